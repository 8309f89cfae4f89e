#include "platform/user/imm32.h"

#include <algorithm>
#include <cstring>

#include "platform/kernel/module_registry.h"

namespace {

HIMC const kContext = reinterpret_cast<HIMC>(uintptr_t(0x1C0));

LONG CopyOut(const void* data, size_t size, LPVOID buffer, DWORD bufferLength) {
    if (!buffer || bufferLength == 0) return LONG(size);
    size_t copied = std::min<size_t>(size, bufferLength);
    std::memcpy(buffer, data, copied);
    return LONG(copied);
}

}  // namespace

ImeTestDouble& Imm32TestDouble() {
    static ImeTestDouble* state = new ImeTestDouble;
    return *state;
}

HIMC WINAPI ImmGetContext(HWND window) {
    if (!window) return nullptr;
    ++Imm32TestDouble().contextsHeld;
    return kContext;
}

BOOL WINAPI ImmReleaseContext(HWND, HIMC context) {
    if (context != kContext) return FALSE;
    --Imm32TestDouble().contextsHeld;
    return TRUE;
}

BOOL WINAPI ImmGetOpenStatus(HIMC context) {
    return context == kContext && Imm32TestDouble().open;
}

BOOL WINAPI ImmSetOpenStatus(HIMC context, BOOL open) {
    if (context != kContext) return FALSE;
    Imm32TestDouble().open = open;
    Imm32TestDouble().openStatusSets.push_back(open);
    return TRUE;
}

BOOL WINAPI ImmGetConversionStatus(HIMC context, LPDWORD conversion, LPDWORD sentence) {
    if (context != kContext) return FALSE;
    if (conversion) *conversion = 0;
    if (sentence) *sentence = 0;
    return TRUE;
}

BOOL WINAPI ImmNotifyIME(HIMC context, DWORD action, DWORD, DWORD value) {
    if (context != kContext || action != NI_COMPOSITIONSTR || value != CPS_CANCEL) return FALSE;
    ImeTestDouble& ime = Imm32TestDouble();
    ime.composition.clear();
    ime.cursor = 0;
    ++ime.cancelledCompositions;
    return TRUE;
}

DWORD WINAPI ImmGetCandidateListA(HIMC context, DWORD index, void* list, DWORD bufferLength) {
    ImeTestDouble& ime = Imm32TestDouble();
    if (context != kContext || index != 0) return 0;
    if (!list || bufferLength == 0) return DWORD(ime.candidates.size());
    if (ime.failCandidateRead || bufferLength < ime.candidates.size()) return 0;
    std::memcpy(list, ime.candidates.data(), ime.candidates.size());
    return DWORD(ime.candidates.size());
}

LONG WINAPI ImmGetCompositionStringA(HIMC context, DWORD index, LPVOID buffer, DWORD bufferLength) {
    ImeTestDouble& ime = Imm32TestDouble();
    if (context != kContext) return IMM_ERROR_NODATA;
    switch (index) {
        case GCS_COMPSTR:
            return CopyOut(ime.composition.data(), ime.composition.size(), buffer, bufferLength);
        case GCS_RESULTSTR:
            return CopyOut(ime.result.data(), ime.result.size(), buffer, bufferLength);
        case GCS_COMPCLAUSE:
            return CopyOut(ime.clauses.data(), ime.clauses.size(), buffer, bufferLength);
        case GCS_COMPATTR:
            return CopyOut(ime.attributes.data(), ime.attributes.size(), buffer, bufferLength);
        case GCS_CURSORPOS:
            return ime.cursor;
        default:
            return IMM_ERROR_NODATA;
    }
}

BOOL WINAPI ImmSetCompositionStringA(HIMC context, DWORD index, LPVOID composition, DWORD compositionLength,
                                     LPVOID, DWORD) {
    if (context != kContext || index != SCS_SETSTR) return FALSE;
    ImeTestDouble& ime = Imm32TestDouble();
    ime.setComposition.assign(static_cast<const char*>(composition ? composition : ""),
                              composition ? compositionLength : 0);
    ime.composition = ime.setComposition;
    return TRUE;
}

void InstallImm32TestDouble() {
    Imm32TestDouble() = ImeTestDouble{};
    RegisterPlatformModule("Imm32.dll", {{"ImmGetContext", &ImmGetContext},
                                         {"ImmReleaseContext", &ImmReleaseContext},
                                         {"ImmGetOpenStatus", &ImmGetOpenStatus},
                                         {"ImmGetConversionStatus", &ImmGetConversionStatus},
                                         {"ImmNotifyIME", &ImmNotifyIME},
                                         {"ImmSetOpenStatus", &ImmSetOpenStatus},
                                         {"ImmGetCandidateListA", &ImmGetCandidateListA},
                                         {"ImmGetCompositionStringA", &ImmGetCompositionStringA},
                                         {"ImmSetCompositionStringA", &ImmSetCompositionStringA}});
    SetPlatformModuleAbsent("Imm32.dll", false);
}
