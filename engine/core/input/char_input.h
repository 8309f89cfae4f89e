// Character input: the ring of typed characters and editing keys that the window procedure fills, the
// string inputs the pump drives, and the input method's window messages.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

constexpr int kCharCodeBufferSize = 1025;  // 1024 bytes fit
constexpr int kImeTextSize = 1024;
constexpr int kImeClauseSize = 4096;
constexpr int kStringInputCount = 256;
constexpr int kStringInputHandleType = 9;

struct CharCodeBuffer {
    uint8_t codes[kCharCodeBufferSize];
    int read;
    int write;
};
extern CharCodeBuffer charCodeBuffer;

// WM_KEYDOWN's editing keys: {virtual key, control code}, ended by a zero virtual key.
struct EditKeyCodeRow {
    uint8_t virtualKey;
    uint8_t code;
};
extern const EditKeyCodeRow EditKeyCodeMap[];

struct ImeState {
    int enabled;  // the last value given to WINNLSEnableIME
    int composing;
    char composition[kImeTextSize];
    int cursorPosition;  // in characters
    uint8_t clauses[kImeClauseSize];
    int clauseCount;
    uint8_t attributes[kImeTextSize];
    int attributeCount;
    void* candidateList;  // tracked block
    int candidateListSize;
    int openStatus;
    int openStatusGuard;
    int resetStage;  // 1: the activation handler asked for a reset
    char savedComposition[kImeTextSize];
    int blinkTime;
    int cursorShown;
};
extern ImeState imeState;

struct StringInputRecord {
    int32_t used;
    int32_t checkValue;
    int32_t ended;
    int32_t cancelled;
    int32_t length;
    int32_t maxLength;
    int32_t selectionStart;  // -1: no selection
    int32_t selectionEnd;
    int32_t secondPosition;
    int32_t cursor;
    char* text;
    int32_t cancelAllowed;
    int32_t singleByteOnly;
    int32_t digitsOnly;
    int32_t doubleByteOnly;
};
extern StringInputRecord stringInputs[kStringInputCount];
extern int activeStringInput;  // -1: none

int InitCharCodeBuffer();
// Puts one character byte or editing code into the ring; -1 when it is full.
int PutCharCode(int code);
// 1 while the ring has room for another code.
int CharCodeBufferHasRoom();
// Bytes of the next character (0: none yet); consume 0 peeks.
int GetCharCode(char* out, int consume);
int IsEditControlCode(int code);
// The control code WM_KEYDOWN puts for a virtual key, 0 for none.
int EditKeyCodeOf(int virtualKey);
// What WM_CHAR puts for its character code: LF becomes CR; -1 for a dropped control code.
int CharMessageCode(int character);

int ProcessStringInput();
int DeleteStringInput(int handle);
int DeleteAllStringInputs();
// The handle of a string-input record (type 9 with the record's check value).
int StringInputHandle(int index);
int CountCharsInBytes(const char* text, int n);
int ResetCursorBlink();

int SetImeEnabled(int flag);
LRESULT HandleImeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The activation handler's request: cancel and restore a pending composition on the next pump.
int RequestImeReset();
// The reset itself (ProcessStringInput runs it when requested): cancels the composition and sets it again.
int ResetImeComposition();
