// Placeholder for character input until it lands: a plain ring of character codes, no string inputs and
// no input method (its messages go to the default window procedure). The character-input module deletes
// this file.
#include <cstring>

#include "engine/core/char_input.h"
#include "platform/user/user32.h"

namespace {

constexpr int kRingSize = 256;

struct CharRing {
    char codes[kRingSize];
    int count;
    int read;
    int write;
};

CharRing ring;

}  // namespace

int InitCharCodeBuffer() {
    std::memset(&ring, 0, sizeof(ring));
    return 0;
}
int PutCharCode(int code) {
    if (ring.count >= kRingSize) return -1;
    ring.codes[ring.write] = char(code);
    ring.write = (ring.write + 1) % kRingSize;
    ++ring.count;
    return 0;
}
int CharCodeBufferHasRoom() {
    return ring.count < kRingSize;
}
int ProcessStringInput() {
    return 0;
}
int DeleteAllStringInputs() {
    return 0;
}
LRESULT HandleImeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}
