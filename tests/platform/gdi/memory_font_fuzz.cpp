// Any bytes as a memory font: refused, or added, and then a 12-pixel font on it gives metrics and
// glyph bitmaps of a few ASCII and Shift-JIS characters in every format without reading or writing
// beyond the buffers, and no glyph larger than the refusal bound of the stand-in.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi32.h"

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// The family names the fuzz seeds use; an added font with another name falls back to a system face.
constexpr const char* kFaces[] = {"KvSquare", "KvTall", "KvBroken"};

void DrawCharacters(const char* face) {
    HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                             FIXED_PITCH, face);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    for (UINT code : {UINT('A'), UINT('B'), UINT('C'), UINT(' '), 0x82A0u, 0x8140u}) {
        for (UINT format : {GGO_BITMAP, GGO_GRAY4_BITMAP, GGO_GRAY8_BITMAP}) {
            GLYPHMETRICS gm{};
            DWORD size = GetGlyphOutlineA(dc, code, format, &gm, 0, nullptr, &kIdentity);
            if (size == GDI_ERROR || size == 0) continue;
            const UINT bound = UINT(8 * metrics.tmHeight + 64 + 3);  // the refusal bound, and rounding
            if (gm.gmBlackBoxX > bound || gm.gmBlackBoxY > bound) __builtin_trap();
            std::vector<uint8_t> bits(size);
            if (GetGlyphOutlineA(dc, code, format, &gm, size, bits.data(), &kIdentity) != size)
                __builtin_trap();
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    DWORD count = 0;
    HANDLE added = AddFontMemResourceEx(bytes.data(), DWORD(bytes.size()), nullptr, &count);
    if (added == nullptr) return 0;
    for (const char* face : kFaces) DrawCharacters(face);
    RemoveFontMemResourceEx(added);
    return 0;
}
