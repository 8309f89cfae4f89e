// The input method manager ("Imm32.dll"). It is absent by default: nothing registers it, so the library
// runs without an input method. Tests install the test double below, which registers the module and
// answers from a composition the test sets up.
#pragma once

#include <string>
#include <vector>

#include "platform/kernel/win_types.h"

#define GCS_COMPREADSTR 0x0001
#define GCS_COMPSTR 0x0008
#define GCS_COMPATTR 0x0010
#define GCS_COMPCLAUSE 0x0020
#define GCS_CURSORPOS 0x0080
#define GCS_RESULTSTR 0x0800
#define SCS_SETSTR (GCS_COMPREADSTR | GCS_COMPSTR)
#define NI_COMPOSITIONSTR 0x0015
#define CPS_CANCEL 0x0004
#define IMN_CLOSECANDIDATE 0x0004
#define IMN_CHANGECANDIDATE 0x0003
#define IMN_OPENCANDIDATE 0x0005
#define IMN_SETOPENSTATUS 0x0008
#define IMN_SETCANDIDATEPOS 0x0009
#define IMM_ERROR_NODATA (-1)

HIMC WINAPI ImmGetContext(HWND window);
BOOL WINAPI ImmReleaseContext(HWND window, HIMC context);
BOOL WINAPI ImmGetOpenStatus(HIMC context);
BOOL WINAPI ImmSetOpenStatus(HIMC context, BOOL open);
BOOL WINAPI ImmGetConversionStatus(HIMC context, LPDWORD conversion, LPDWORD sentence);
BOOL WINAPI ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD value);
DWORD WINAPI ImmGetCandidateListA(HIMC context, DWORD index, void* list, DWORD bufferLength);
LONG WINAPI ImmGetCompositionStringA(HIMC context, DWORD index, LPVOID buffer, DWORD bufferLength);
BOOL WINAPI ImmSetCompositionStringA(HIMC context, DWORD index, LPVOID composition, DWORD compositionLength,
                                     LPVOID reading, DWORD readingLength);

// ---- Test double ----

struct ImeTestDouble {
    std::string composition;  // CP932 bytes
    std::string result;
    LONG cursor = 0;  // byte position in the composition
    std::vector<uint8_t> clauses;
    std::vector<uint8_t> attributes;
    std::vector<uint8_t> candidates;  // the candidate list block as returned
    bool failCandidateRead = false;
    BOOL open = FALSE;
    int contextsHeld = 0;  // ImmGetContext calls not yet released
    int cancelledCompositions = 0;
    std::vector<BOOL> openStatusSets;  // every ImmSetOpenStatus, in order
    std::string setComposition;        // the last ImmSetCompositionStringA(SCS_SETSTR) text
};

// Registers "Imm32.dll" (present from now on) and resets the double's state.
void InstallImm32TestDouble();
ImeTestDouble& Imm32TestDouble();
