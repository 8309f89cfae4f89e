// The draw call's quads that copy a rectangle of texels one to one: taken straight from their vertices,
// with what the call's states make of them decided once for the call.
#pragma once

#include "platform/d3d9/draw.h"

namespace d3d9 {

// How a quad's pixels are shaded and written: the call's kinds, and the quad's constant diffuse colour.
struct QuadKernel {
    const PixelPipeline* p;
    BlendKind blend;
    ColorKind color;
    AlphaKind alpha;
    Color diffuse;
};

// Texel coordinates already converted to fixed point, by their bits.
struct TexelMemo {
    static constexpr int kBits = 6;
    struct Entry {
        bool made;
        uint32_t bits;
        int64_t fixed;
    };
    Entry entries[1 << kBits] = {};
};

class RectangleCopies {
  public:
    explicit RectangleCopies(const DrawCall& call);
    // Draws the quad of six pre-transformed vertices (top left, top right, bottom left, bottom right,
    // then the bottom left and top right again) when it maps whole texels one to one onto pixels inside
    // the texture; false leaves it to the other paths, which give the same pixels.
    bool Draw(const uint8_t* const vertices[6]) const;

  private:
    // The rows of the box from texel (column, row) on, by the texture's and the target's formats.
    using CopyRows = void (*)(const QuadKernel& k, int column, int row, IntRect box);

    const DrawCall& call_;
    CopyRows rows_ = nullptr;  // null when no quad of the call can be a copy
    BlendKind blend_ = BlendKind::kGeneric;
    ColorKind color_ = ColorKind::kGeneric;
    AlphaKind alpha_ = AlphaKind::kTexture;
    int texcoord_ = 0;  // the offset of the stage's texture coordinates within a vertex
    // The kernel of the last quad's diffuse colour: a batch's quads mostly share one.
    mutable bool kernel_made_ = false;
    mutable uint32_t kernel_diffuse_ = 0;
    mutable QuadKernel kernel_{};
    mutable TexelMemo u_memo_, v_memo_;
};

}  // namespace d3d9
