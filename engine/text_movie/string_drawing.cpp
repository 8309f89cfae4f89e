// DrawStringWithFont: the library's text drawing. A texture-cached font draws through the graphics
// layer's part draws; a memory-cached font writes into the draw target's software image, straight or
// through a work image that the software blit puts onto the target with the blend mode.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "engine/core/memory/log.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/entries/draw_entry_sequence.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/softrender/image_kernels.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"
#include "engine/text_movie/font_create.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "engine/text_movie/string_core.h"

namespace {

struct StringCall {
    int x, y;
    const char* text;
    uint32_t color, edgeColor;
    int fontHandle;
    bool vertical;
};

IntRect CurrentDrawArea() {
    IntRect area{};
    GetDrawArea(&area);
    return area;
}

StringDrawRequest MakeRequest(const StringCall& call, bool draw, MEMIMG* target, const IntRect& clip) {
    return StringDrawRequest{.draw = draw,
                             .x = call.x,
                             .y = call.y,
                             .scaled = false,
                             .scaleX = 1.0,
                             .scaleY = 1.0,
                             .text = call.text,
                             .length = -1,
                             .color = call.color,
                             .edgeColor = call.edgeColor,
                             .target = target,
                             .clip = clip,
                             .onlyCovered = true,
                             .fontHandle = call.fontHandle,
                             .vertical = call.vertical};
}

int DrawStringTextured(FontRecord* font, const StringCall& call) {
    if (CreateGlyphCacheTextures(font, 0) != 0) return -1;
    return DrawStringCore(MakeRequest(call, true, nullptr, CurrentDrawArea()), nullptr) < 0 ? -1 : 0;
}

// The software image the text is blitted from: the target's pixel kind, with an alpha byte for grey
// fonts; for 1-bit fonts a key that neither colour takes fills it.
class TextWorkImage {
  public:
    TextWorkImage(const MEMIMG& target, int width, int height, bool grey) {
        ok_ = InitMemImg(&image_, width, height, -1, 0, target.base->kind, 0, grey ? 1 : 0, 0, nullptr) == 0;
    }
    ~TextWorkImage() {
        if (IsMemImgValid(&image_)) ReleaseMemImg(&image_);
    }
    TextWorkImage(const TextWorkImage&) = delete;
    TextWorkImage& operator=(const TextWorkImage&) = delete;
    bool ok() const { return ok_; }
    MEMIMG* image() { return &image_; }

    void Clear(bool grey, const StringColours& colours) {
        uint32_t key = grey ? 0 : image_.base->transparentColor;
        if (!grey)
            while (key == colours.textPixel || key == colours.edgePixel) ++key;
        image_.base->transparentColor = key;
        FillMemImgRect(&image_, nullptr, key);
    }

  private:
    MEMIMG image_{};
    bool ok_ = false;
};

// The part of the text box at (x, y) inside the draw area is drawn into a work image of its size and
// blitted there under a white bright; the draw area and bright are put back.
int DrawThroughWorkImage(const FontRecord& font, const StringCall& call, const StringBox& box) {
    const IntRect area = CurrentDrawArea();
    // A box that ends beyond the int range starts beyond every draw area.
    if (int64_t{call.x} + box.width > INT_MAX || int64_t{call.y} + box.height > INT_MAX) return 0;
    IntRect visible{call.x, call.y, call.x + box.width, call.y + box.height};
    ClipRect(&visible, &area);
    if (visible.left >= visible.right || visible.top >= visible.bottom) return 0;
    MEMIMG* target = g_softDrawSurfaces.target;
    const bool grey = font.fontType & kFontTypeGrey;
    TextWorkImage work(*target, visible.right - visible.left, visible.bottom - visible.top, grey);
    if (!work.ok()) return -1;
    work.Clear(grey, MakeStringColours(call.color, call.edgeColor));
    StringCall shifted = call;
    shifted.x -= visible.left;
    shifted.y -= visible.top;
    const IntRect workArea{0, 0, work.image()->width, work.image()->height};
    if (DrawStringCore(MakeRequest(shifted, true, work.image(), workArea), nullptr) < 0) return -1;
    const uint32_t bright = drawSettings.bright & 0xFFFFFF;
    SetBrightPacked(0xFFFFFF);
    SoftDrawImage(target, work.image(), visible.left, visible.top, 1, nullptr);
    SetBrightPacked(bright);
    return 0;
}

int DrawStringSoftware(const FontRecord& font, const StringCall& call) {
    MEMIMG* target = g_softDrawSurfaces.target;
    if (target == nullptr || !IsMemImgValid(target)) return -1;
    StringBox box{};
    if (DrawStringCore(MakeRequest(call, false, nullptr, CurrentDrawArea()), &box) < 0) return -1;
    const int mode = drawSettings.blendMode, param = drawSettings.blendParam;
    const bool plain = mode == kBlendNone || (mode == kBlendAlpha && param == 255);
    if (plain && !(font.fontType & kFontTypeGrey))
        return DrawStringCore(MakeRequest(call, true, target, CurrentDrawArea()), nullptr) < 0 ? -1 : 0;
    return DrawThroughWorkImage(font, call, box);
}

// The rectangle the mask and the subtractive bracket cover: from the pen to the draw area's edge along
// the line, and at least a line high across it.
// Held inside the int range: a string at the ends of the range has its box there too.
IntRect TextBox(const FontRecord& font, const StringCall& call, const IntRect& area) {
    const int64_t half = font.extraLeading / 2;
    const int64_t across = std::max(font.size + 3, font.lineHeight);
    auto held = [](int64_t v) { return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); };
    if (call.vertical) return IntRect{held(call.x + half), call.y, held(call.x + half + across), area.bottom};
    return IntRect{call.x, held(call.y - half), area.right, held(call.y - half + across)};
}

}  // namespace

int DrawStringWithFont(int x, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor,
                       int vertical) {
    if (text == nullptr || text[0] == 0 || IsDrawingHeld()) return 0;
    FontRecord* font = GetFontRecord(fontHandle);
    if (font == nullptr) {
        WriteLogText("フォントハンドル値が異常です\n");
        return -1;
    }
    WaitIfWindowInactive();
    const bool textured = font->textureCache != 0;
    // In Direct3D mode there is no software image to write a memory-cached font into.
    if (Direct3DMode && !textured) return -1;
    const StringCall call{x, y, text, color, edgeColor, fontHandle, vertical != 0};
    const bool emulate = textured && NeedsSubtractEmulation(true);
    const IntRect area = CurrentDrawArea();
    const IntRect box = TextBox(*font, call, area);
    if ((emulate || GetMaskDrawingEnabled()) && box.left >= area.right) return 0;
    return RunWrappedDraw(
        emulate, [&] { return box; },
        [&] { return textured ? DrawStringTextured(font, call) : DrawStringSoftware(*font, call); });
}
