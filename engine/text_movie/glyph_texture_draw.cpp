// The texture path of the string core: each glyph is its cell of the cache texture tinted through the
// draw bright, the edge layer (the right half) first in the edge colour, then the body in the text colour.
#include <algorithm>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/target/draw_target_state.h"
#include "engine/graphics/target/frame_flip.h"
#include "engine/text_movie/string_core.h"

namespace {

// The draw bright and the blend graphic of the caller, switched off for a glyph and put back after it:
// the glyph's colour goes through the bright, and the cache texture is no picture to blend with.
class GlyphDrawState {
  public:
    GlyphDrawState() : bright_(drawSettings.bright & 0xFFFFFF), blendGraphic_(drawSettings.blendGraphic) {
        if (blendGraphic_ == -1) return;
        blendKind_ = renderStateCache.stageSetup.blendKind;
        SetBlendGraphicCore(-1, 0, nullptr);
    }
    ~GlyphDrawState() {
        SetBrightPacked(bright_);
        if (blendGraphic_ != -1)
            SetBlendGraphicCore(blendGraphic_, blendKind_, drawSettings.blendGraphicParams);
    }
    GlyphDrawState(const GlyphDrawState&) = delete;
    GlyphDrawState& operator=(const GlyphDrawState&) = delete;

  private:
    uint32_t bright_;
    int blendGraphic_;
    int blendKind_ = 0;
};

// The draw area of the caller, narrowed to a turned glyph's box and put back after it.
class GlyphClip {
  public:
    explicit GlyphClip(IntRect box) {
        GetDrawArea(&saved_);
        requested_ = drawTargetState.requested;
        ClipRect(&box, &saved_);
        SetClipRect(box.left, box.top, box.right, box.bottom);
    }
    ~GlyphClip() {
        SetClipRect(saved_.left, saved_.top, saved_.right, saved_.bottom);
        drawTargetState.requested = requested_;
    }
    GlyphClip(const GlyphClip&) = delete;
    GlyphClip& operator=(const GlyphClip&) = delete;

  private:
    IntRect saved_{};
    IntRect requested_{};
};

// The glyph's cell upright at (x + pen + x offset, y + y offset), scaled from the pen when asked.
void DrawUpright(const StringDrawRequest& request, const PlacedGlyph& placed, int graphic) {
    const GlyphEntry& g = *placed.glyph;
    if (!request.scaled) {
        DrawImagePart(request.x + int(placed.pen) + g.xOffset, request.y + g.yOffset, placed.cellX,
                      placed.cellY, g.width, g.height, graphic, 1, 0);
        return;
    }
    const double left = request.x + placed.pen + g.xOffset * request.scaleX;
    const double top = request.y + g.yOffset * request.scaleY;
    DrawImagePartStretchedF(float(left), float(top), float(left + g.width * request.scaleX),
                            float(top + g.height * request.scaleY), placed.cellX, placed.cellY, g.width,
                            g.height, graphic, 1);
}

// The glyph turned a quarter clockwise (its top to the right): the whole cache texture as a free quad
// placed so that the glyph's cell falls on its box, drawn through the box as the draw area.
void DrawTurned(const FontRecord& font, const StringDrawRequest& request, const PlacedGlyph& placed,
                int graphic) {
    const GlyphEntry& g = *placed.glyph;
    const int right = request.x + font.lineHeight - g.yOffset;
    const int top = request.y + int(placed.pen) + g.xOffset;
    GlyphClip clip(IntRect{right - g.height - 1, top, right + 1, top + g.width});
    // A texel (u, v) lands at (right - (v - cellY), top + (u - cellX)). The corners are the texture's
    // top left, top right, bottom right and bottom left, as the quad draw takes them.
    const float w = float(font.cacheWidth), h = float(font.cacheHeight);
    const float x0 = float(right + placed.cellY) - 0.5f, y0 = float(top - placed.cellX) - 0.5f;
    DrawImageQuadF(x0, y0, x0, y0 + w, x0 - h, y0 + w, x0 - h, y0, graphic, 1);
}

void DrawLayer(const FontRecord& font, const StringDrawRequest& request, const PlacedGlyph& placed,
               int graphic, uint32_t rgb) {
    SetBrightPacked(rgb);
    if (request.vertical)
        DrawTurned(font, request, placed, graphic);
    else
        DrawUpright(request, placed, graphic);
}

}  // namespace

void DrawTextureGlyph(const FontRecord& font, const StringDrawRequest& request, const StringColours& colours,
                      const PlacedGlyph& placed) {
    GlyphDrawState state;
    if ((font.fontType & kFontTypeEdge) && font.edgeGraphic >= 0)
        DrawLayer(font, request, placed, font.edgeGraphic, colours.edgeRgb);
    DrawLayer(font, request, placed, font.textureGraphic, colours.textRgb);
}
