// The input method's window messages, its enabling, and the reset of a pending composition after an
// activation change. Every Imm call goes through the run-time loaded Imm32 functions; without them the
// messages do nothing.
#include <cstring>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/message_pump.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/input/char_input.h"
#include "engine/core/memory/fatal_exit.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/user/imm32.h"
#include "platform/user/user32.h"

ImeState imeState;

namespace {

constexpr int64_t kOpenStatusWaitMicroseconds = 1999;

bool VistaOrLater() {
    return GetSystemInformation().osVersionCode >= OS_WINVISTA;
}

HIMC GetContext(HWND window) {
    return systemFunctions.ImmGetContext ? systemFunctions.ImmGetContext(window) : nullptr;
}

void ReleaseContext(HWND window, HIMC context) {
    if (context && systemFunctions.ImmReleaseContext) systemFunctions.ImmReleaseContext(window, context);
}

// Reads a composition string into a buffer, which stays terminated; returns the bytes read.
int ReadString(HIMC context, DWORD index, void* buffer, int size, bool terminate) {
    std::memset(buffer, 0, size_t(size));
    if (!systemFunctions.ImmGetCompositionStringA) return 0;
    int capacity = terminate ? size - 1 : size;
    LONG read = systemFunctions.ImmGetCompositionStringA(context, index, buffer, DWORD(capacity));
    if (read < 0) return 0;
    return read > capacity ? capacity : int(read);
}

void FreeCandidateList() {
    if (imeState.candidateList) TrackedFree(imeState.candidateList);
    imeState.candidateList = nullptr;
    imeState.candidateListSize = 0;
}

void OnComposition(HWND window, LPARAM flags) {
    HIMC context = GetContext(window);
    if (!context) return;
    if (flags & GCS_COMPSTR) ReadString(context, GCS_COMPSTR, imeState.composition, kImeTextSize, true);
    if (flags & GCS_RESULTSTR) {
        char result[kImeTextSize];
        const int length = ReadString(context, GCS_RESULTSTR, result, kImeTextSize, false);
        for (int i = 0; i < length; ++i) PutCharCode(static_cast<unsigned char>(result[i]));
        ReadString(context, GCS_COMPSTR, imeState.composition, kImeTextSize, true);
    }
    if ((flags & GCS_CURSORPOS) && systemFunctions.ImmGetCompositionStringA) {
        LONG position = systemFunctions.ImmGetCompositionStringA(context, GCS_CURSORPOS, nullptr, 0);
        imeState.cursorPosition = CountCharsInBytes(imeState.composition, position < 0 ? 0 : int(position));
    }
    if (flags & GCS_COMPCLAUSE)
        imeState.clauseCount =
            ReadString(context, GCS_COMPCLAUSE, imeState.clauses, kImeClauseSize, false) / 4;
    if (flags & GCS_COMPATTR)
        imeState.attributeCount = ReadString(context, GCS_COMPATTR, imeState.attributes, kImeTextSize, false);
    ReleaseContext(window, context);
}

void ReadCandidateList(HWND window) {
    HIMC context = GetContext(window);
    if (!context || !systemFunctions.ImmGetCandidateListA) {
        ReleaseContext(window, context);
        return;
    }
    const DWORD size = systemFunctions.ImmGetCandidateListA(context, 0, nullptr, 0);
    if (size == 0) {
        ReleaseContext(window, context);
        LogPrintf("漢字変換候補のデータサイズが０でした  DefHWND:%x IMC:%x\n", unsigned(uintptr_t(window)),
                  unsigned(uintptr_t(context)));
        return;
    }
    FreeCandidateList();
    imeState.candidateList = TrackedAlloc(size, __FILE__, __LINE__);
    if (!imeState.candidateList) {
        ReleaseContext(window, context);
        FatalLibraryExitf(
            "漢字変換候補を保存するメモリの確保に失敗しました( 確保しようとしたサイズ %d バイト )",
            int(size));
    }
    imeState.candidateListSize = int(size);
    if (systemFunctions.ImmGetCandidateListA(context, 0, imeState.candidateList, size) == 0) {
        FreeCandidateList();
        ReleaseContext(window, context);
        LogPrintf("漢字変換候補の取得に失敗しました  BufSize:%d\n", int(size));
        return;
    }
    ReleaseContext(window, context);
}

LRESULT OnOpenStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (imeState.openStatusGuard) return 0;
    imeState.openStatusGuard = 1;
    DefWindowProcA(window, message, wParam, lParam);
    const int64_t start = GetMicrosecondCount();
    while (PumpMessagesCore() == 0 && GetMicrosecondCount() - start <= kOpenStatusWaitMicroseconds) {
    }
    imeState.openStatusGuard = 0;
    HIMC context = GetContext(window);
    imeState.openStatus =
        context && systemFunctions.ImmGetOpenStatus ? systemFunctions.ImmGetOpenStatus(context) : 0;
    ReleaseContext(window, context);
    return 0;
}

LRESULT OnNotify(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case IMN_CHANGECANDIDATE:
        case IMN_OPENCANDIDATE:
        case IMN_SETCANDIDATEPOS:
            ReadCandidateList(window);
            return 0;
        case IMN_CLOSECANDIDATE:
            FreeCandidateList();
            return 0;
        case IMN_SETOPENSTATUS:
            return OnOpenStatus(window, message, wParam, lParam);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT HandleImeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ResetCursorBlink();
    switch (message) {
        case WM_IME_STARTCOMPOSITION:
            imeState.cursorPosition = 0;
            imeState.composing = 1;
            if (VistaOrLater() && imeState.openStatus == 0) imeState.openStatus = 1;
            return 0;
        case WM_IME_ENDCOMPOSITION:
            std::memset(imeState.composition, 0, sizeof(imeState.composition));
            imeState.composing = 0;
            if (VistaOrLater() && imeState.openStatus == 1) imeState.openStatus = 0;
            return 0;
        case WM_IME_COMPOSITION:
            OnComposition(window, lParam);
            return 0;
        case WM_IME_SETCONTEXT:
            return DefWindowProcA(window, message, wParam, 0);
        case WM_IME_NOTIFY:
            return OnNotify(window, message, wParam, lParam);
        default:
            return 0;
    }
}

int SetImeEnabled(int flag) {
    if (flag == imeState.enabled) return 0;
    if (systemFunctions.WINNLSEnableIME) systemFunctions.WINNLSEnableIME(GetMainWindowHandle(), flag);
    imeState.enabled = flag;
    if (!flag) {
        FreeCandidateList();
        std::memset(imeState.composition, 0, sizeof(imeState.composition));
        imeState.composing = 0;
    }
    return 0;
}

int RequestImeReset() {
    imeState.resetStage = 1;
    return 0;
}

int ResetImeComposition() {
    HWND window = GetMainWindowHandle();
    std::memset(imeState.composition, 0, sizeof(imeState.composition));
    std::memset(imeState.savedComposition, 0, sizeof(imeState.savedComposition));
    if (HIMC context = GetContext(window)) {
        ReadString(context, GCS_COMPSTR, imeState.savedComposition, kImeTextSize, true);
        ReleaseContext(window, context);
    }
    if (HIMC context = GetContext(window)) {
        if (systemFunctions.ImmNotifyIME)
            systemFunctions.ImmNotifyIME(context, NI_COMPOSITIONSTR, 0, CPS_CANCEL);
        ReleaseContext(window, context);
    }
    for (BOOL open : {FALSE, TRUE, TRUE}) {
        if (HIMC context = GetContext(window)) {
            if (systemFunctions.ImmSetOpenStatus) systemFunctions.ImmSetOpenStatus(context, open);
            ReleaseContext(window, context);
        }
    }
    if (HIMC context = GetContext(window)) {
        if (systemFunctions.ImmSetCompositionStringA)
            systemFunctions.ImmSetCompositionStringA(context, SCS_SETSTR, imeState.savedComposition,
                                                     DWORD(std::strlen(imeState.savedComposition)), nullptr,
                                                     0);
        ReleaseContext(window, context);
    }
    imeState.resetStage = 0;
    return 0;
}
