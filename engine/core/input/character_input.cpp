#include <cstring>

#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/window_utils.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/input/char_input.h"
#include "engine/core/input/input.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"

CharCodeBuffer charCodeBuffer;
StringInputRecord stringInputs[kStringInputCount];
int activeStringInput = -1;

const EditKeyCodeRow EditKeyCodeMap[] = {
    {0x2E, 0x10}, {0x25, 0x1D}, {0x27, 0x1C}, {0x26, 0x1E}, {0x28, 0x1F},
    {0x24, 0x1A}, {0x23, 0x19}, {0x21, 0x17}, {0x22, 0x15}, {0, 0},
};

namespace {

constexpr int kDikLeftShift = 0x2A;
constexpr int kDikRightShift = 0x36;

int NextIndex(int index) {
    return index + 1 == kCharCodeBufferSize ? 0 : index + 1;
}

bool IsKeptControlCode(int code) {
    switch (code) {
        case 0x01:
        case 0x03:
        case 0x08:
        case 0x09:
        case 0x0D:
        case 0x10:
        case 0x16:
        case 0x18:
        case 0x1B:
            return true;
        default:
            return false;
    }
}

bool Shifted() {
    return GetKeyState1(kDikLeftShift) || GetKeyState1(kDikRightShift);
}

int CharSet() {
    return GetCharacterSet();
}

bool IsTrailBefore(const StringInputRecord& record, int position) {
    return position > 1 && GetCharByteKind(record.text, position - 1, CharSet()) == 2;
}

bool HasSelection(const StringInputRecord& record) {
    return record.selectionStart >= 0 && record.selectionEnd >= 0;
}

void ClearSelection(StringInputRecord& record) {
    record.selectionStart = record.selectionEnd = -1;
}

void RemoveBytes(StringInputRecord& record, int from, int count) {
    std::memmove(record.text + from, record.text + from + count, size_t(record.length - from - count + 1));
    record.length -= count;
    if (record.secondPosition > record.length) record.secondPosition = record.length;
}

void DeleteSelectedText(StringInputRecord& record) {
    if (!HasSelection(record)) return;
    int low = record.selectionStart < record.selectionEnd ? record.selectionStart : record.selectionEnd;
    int high = record.selectionStart < record.selectionEnd ? record.selectionEnd : record.selectionStart;
    if (high > record.length) high = record.length;
    if (low > high) low = high;
    RemoveBytes(record, low, high - low);
    record.cursor = low;
    ClearSelection(record);
}

void CopySelection(const StringInputRecord& record) {
    if (!HasSelection(record)) return;
    int low = record.selectionStart < record.selectionEnd ? record.selectionStart : record.selectionEnd;
    int high = record.selectionStart < record.selectionEnd ? record.selectionEnd : record.selectionStart;
    if (high > record.length) high = record.length;
    if (low >= high) return;
    char* copy = static_cast<char*>(TrackedAlloc(size_t(high - low + 1), __FILE__, __LINE__));
    if (!copy) return;
    std::memcpy(copy, record.text + low, size_t(high - low));
    copy[high - low] = 0;
    SetClipboardTextCopy(copy);
    TrackedFree(copy);
}

void Paste() {
    int size = GetClipboardTextCopy(nullptr, 0);
    if (size <= 0) return;
    char* text = static_cast<char*>(TrackedAlloc(size_t(size), __FILE__, __LINE__));
    if (!text) return;
    if (GetClipboardTextCopy(text, size) != -1) {
        text[size - 1] = 0;
        for (int i = 0; text[i]; ++i) {
            if (text[i] == '\r' || text[i] == '\n') continue;
            PutCharCode(static_cast<unsigned char>(text[i]));
            if (IsLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1])
                PutCharCode(static_cast<unsigned char>(text[++i]));
        }
    }
    TrackedFree(text);
}

void MoveCursor(StringInputRecord& record, int step) {
    if (!Shifted()) {
        record.cursor += step;
        ClearSelection(record);
        return;
    }
    if (!HasSelection(record)) record.selectionStart = record.cursor;
    record.cursor += step;
    record.selectionEnd = record.cursor;
}

void JumpCursor(StringInputRecord& record, int position) {
    if (Shifted()) {
        if (!HasSelection(record)) record.selectionStart = record.cursor;
        record.selectionEnd = position;
    } else {
        ClearSelection(record);
    }
    record.cursor = position;
}

bool CharacterPasses(const StringInputRecord& record, const char* character, int width) {
    if (record.digitsOnly) {
        char byte = character[0];
        if (width != 1) return false;
        if (byte == '-') return record.cursor == 0;
        if (byte == '.') return !std::strchr(record.text, '.');
        return byte >= '0' && byte <= '9';
    }
    if (record.singleByteOnly && width != 1) return false;
    if (record.doubleByteOnly && width != 2) return false;
    return true;
}

void InsertCharacter(StringInputRecord& record, const char* character, int width) {
    DeleteSelectedText(record);
    if (!CharacterPasses(record, character, width)) return;
    if (width > record.maxLength) return;  // never fits
    while (record.length + width > record.maxLength && record.length > 0) {
        int last = GetCharByteKind(record.text, record.length - 1, CharSet()) == 2 ? 2 : 1;
        bool atEnd = record.cursor == record.length;
        RemoveBytes(record, record.length - last, last);
        if (atEnd || record.cursor > record.length) record.cursor = record.length;
    }
    std::memmove(record.text + record.cursor + width, record.text + record.cursor,
                 size_t(record.length - record.cursor + 1));
    std::memcpy(record.text + record.cursor, character, size_t(width));
    record.cursor += width;
    record.length += width;
}

void EndActive(StringInputRecord& record) {
    record.ended = 1;
    activeStringInput = -1;
}

void ApplyCode(StringInputRecord& record, const char* character, int width) {
    const int code = static_cast<unsigned char>(character[0]);
    switch (code) {
        case 0x03:
            CopySelection(record);
            break;
        case 0x08:
            if (HasSelection(record)) {
                DeleteSelectedText(record);
            } else if (record.cursor > 0) {
                int step = IsTrailBefore(record, record.cursor) ? 2 : 1;
                record.cursor -= step;
                RemoveBytes(record, record.cursor, step);
            }
            break;
        case 0x09:
        case 0x1E:
        case 0x1F:
            break;
        case 0x0D:
            EndActive(record);
            break;
        case 0x10:
            if (HasSelection(record)) {
                if (Shifted()) CopySelection(record);
                DeleteSelectedText(record);
            } else if (record.cursor < record.length) {
                RemoveBytes(record, record.cursor,
                            GetCharByteKind(record.text, record.cursor, CharSet()) == 1 ? 2 : 1);
            }
            break;
        case 0x16:
            Paste();
            break;
        case 0x18:
            if (HasSelection(record)) {
                CopySelection(record);
                DeleteSelectedText(record);
            }
            break;
        case 0x19:
            JumpCursor(record, record.length);
            break;
        case 0x1A:
            JumpCursor(record, 0);
            break;
        case 0x1B:
            if (record.cancelAllowed) {
                record.cancelled = 1;
                EndActive(record);
            }
            break;
        case 0x1C:
            if (record.cursor < record.length)
                MoveCursor(record, GetCharByteKind(record.text, record.cursor, CharSet()) == 1 ? 2 : 1);
            break;
        case 0x1D:
            if (record.cursor > 0) MoveCursor(record, IsTrailBefore(record, record.cursor) ? -2 : -1);
            break;
        default:
            InsertCharacter(record, character, width);
            break;
    }
}

int RecordIndexOf(int handle) {
    if (handle < 0 || ((handle >> 26) & 0x1F) != kStringInputHandleType) return -1;
    int index = handle & 0xFFFF;
    if (index >= kStringInputCount || !stringInputs[index].used) return -1;
    if (stringInputs[index].checkValue != ((handle >> 16) & 0x3FF)) return -1;
    return index;
}

}  // namespace

int InitCharCodeBuffer() {
    LogText("文字コードバッファの初期化を行います... ");
    std::memset(&charCodeBuffer, 0, sizeof(charCodeBuffer));
    std::memset(&imeState, 0, sizeof(imeState));
    std::memset(stringInputs, 0, sizeof(stringInputs));
    activeStringInput = -1;
    imeState.blinkTime = 0;
    imeState.cursorShown = 1;
    LogText("完了しました\n");
    return 0;
}

int CharCodeBufferHasRoom() {
    const int next = NextIndex(charCodeBuffer.write);
    return next != charCodeBuffer.read ? 1 : 0;
}

int PutCharCode(int code) {
    if (!CharCodeBufferHasRoom()) return -1;
    charCodeBuffer.codes[charCodeBuffer.write] = uint8_t(code);
    charCodeBuffer.write = NextIndex(charCodeBuffer.write);
    return 0;
}

int GetCharCode(char* out, int consume) {
    out[0] = out[1] = 0;
    if (charCodeBuffer.read == charCodeBuffer.write) return 0;
    int read = charCodeBuffer.read;
    const uint8_t first = charCodeBuffer.codes[read];
    read = NextIndex(read);
    int count = 1;
    out[0] = char(first);
    if (!IsEditControlCode(first) && IsLeadByte(first)) {
        if (read == charCodeBuffer.write) {
            out[0] = 0;
            return 0;
        }
        out[1] = char(charCodeBuffer.codes[read]);
        read = NextIndex(read);
        count = 2;
    }
    if (consume) charCodeBuffer.read = read;
    return count;
}

int IsEditControlCode(int code) {
    for (const EditKeyCodeRow* row = EditKeyCodeMap; row->virtualKey; ++row)
        if (row->code == code) return 1;
    return 0;
}

int EditKeyCodeOf(int virtualKey) {
    for (const EditKeyCodeRow* row = EditKeyCodeMap; row->virtualKey; ++row)
        if (row->virtualKey == virtualKey) return row->code;
    return 0;
}

int CharMessageCode(int character) {
    if (character == 0x0A) return 0x0D;
    if (character >= 0x20 || IsKeptControlCode(character)) return character & 0xFF;
    return -1;
}

int CountCharsInBytes(const char* text, int n) {
    if (n < 1) return 0;
    int count = 0;
    for (int i = 0; i < n && text[i]; ++count)
        i += IsLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] ? 2 : 1;
    return count;
}

int ResetCursorBlink() {
    imeState.blinkTime = GetMillisecondCount();
    imeState.cursorShown = 1;
    return 0;
}

int StringInputHandle(int index) {
    return ((stringInputs[index].checkValue | 0x2400) << 16) | index;
}

int DeleteStringInput(int handle) {
    const int index = RecordIndexOf(handle);
    if (index < 0) return -1;
    StringInputRecord& record = stringInputs[index];
    if (record.text) TrackedFree(record.text);
    std::memset(&record, 0, sizeof(record));
    if (activeStringInput == handle) activeStringInput = -1;
    for (const StringInputRecord& other : stringInputs)
        if (other.used) return 0;
    SetImeEnabled(0);
    return 0;
}

int DeleteAllStringInputs() {
    for (int index = 0; index < kStringInputCount; ++index)
        if (stringInputs[index].used) DeleteStringInput(StringInputHandle(index));
    activeStringInput = -1;
    return 0;
}

int ProcessStringInput() {
    if (imeState.resetStage == 1) ResetImeComposition();
    if (activeStringInput == -1) return 0;
    const int index = RecordIndexOf(activeStringInput);
    if (index < 0) return -1;
    StringInputRecord& record = stringInputs[index];
    while (!record.ended) {
        char character[2];
        const int width = GetCharCode(character, 1);
        if (width == 0) return 0;
        ResetCursorBlink();
        ApplyCode(record, character, width);
    }
    return 0;
}
