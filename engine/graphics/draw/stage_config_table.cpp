// The blend-state table and the stage configurations of every (alpha state, blending on, colour
// modulation, blend-texture mode, class) combination. Colour modulation multiplies the colour by the
// diffuse colour, blending on multiplies the alpha by the diffuse alpha, alpha state 0 takes the alpha
// from the diffuse colour alone.
#include <array>

#include "engine/graphics/draw/stage_setup.h"
#include "platform/d3d9/d3d9_types.h"

const BlendStateRow BlendStateTable[kBlendModeCount] = {
    {-1, -1, 0, D3DBLENDOP_ADD},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, 0, D3DBLENDOP_ADD},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, 0, D3DBLENDOP_ADD},
    {-1, -1, 0, D3DBLENDOP_ADD},
    {-1, -1, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ONE, D3DBLEND_ZERO, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, 0, D3DBLENDOP_ADD},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, 2, D3DBLENDOP_ADD},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, 1, D3DBLENDOP_ADD},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, 3, D3DBLENDOP_ADD},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, 3, D3DBLENDOP_ADD},
    {D3DBLEND_ZERO, D3DBLEND_ONE, 0, D3DBLENDOP_ADD},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, 0, D3DBLENDOP_ADD},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, 0, D3DBLENDOP_REVSUBTRACT},
};

namespace {

constexpr int16_t kDiffuse = D3DTA_DIFFUSE, kCurrent = D3DTA_CURRENT, kTexture = D3DTA_TEXTURE,
                  kFactor = D3DTA_TFACTOR, kSpecular = D3DTA_SPECULAR, kComplement = D3DTA_COMPLEMENT,
                  kLeave = -1;

struct Op {
    int16_t op, arg1, arg2;
};

constexpr Op Sel1(int16_t a) {
    return {D3DTOP_SELECTARG1, a, kLeave};
}
constexpr Op Sel2(int16_t b) {
    return {D3DTOP_SELECTARG2, kLeave, b};
}
constexpr Op Mod(int16_t a, int16_t b) {
    return {D3DTOP_MODULATE, a, b};
}

constexpr StageRecord Stage(int texCoord, Op colour, Op alpha) {
    return StageRecord{0, texCoord, 0, alpha.arg1, alpha.arg2, alpha.op, colour.arg1, colour.arg2, colour.op};
}

constexpr StageRecord kClosing{0, -1, -1, -1, -1, D3DTOP_DISABLE, -1, -1, D3DTOP_DISABLE};

struct Builder {
    StageConfigEntry entry{};
    int count = 0;
    constexpr void Add(const StageRecord& r) { entry.stages[count++] = r; }
    constexpr StageConfigEntry Finish() {
        for (int i = count; i < kMaxStageRecords; ++i) entry.stages[i] = kClosing;
        entry.stages[0].texture = uintptr_t(count);
        return entry;
    }
};

// The texture's colour, modulated by the diffuse colour when asked.
constexpr Op TextureColour(int colourModulation) {
    return colourModulation ? Mod(kTexture, kDiffuse) : Sel1(kTexture);
}
// Alpha state 0: the diffuse alpha alone; else the texture's alpha, times the diffuse alpha when
// blending is on.
constexpr Op TextureAlpha(int alphaState, int blendingOn) {
    if (alphaState == 0) return Sel2(kDiffuse);
    return blendingOn ? Mod(kTexture, kDiffuse) : Sel1(kTexture);
}

// Without a blend texture, by the row's stage kind.
constexpr void PlainStages(Builder& b, int alpha, int blendingOn, int colourModulation, int kind) {
    const Op a = TextureAlpha(alpha, blendingOn);
    switch (kind) {
        case 0:
            b.Add(Stage(0, TextureColour(colourModulation), a));
            break;
        case 1:  // multiply: the colour moves toward white as the alpha falls
            b.Add(Stage(0, TextureColour(colourModulation), a));
            b.Add(Stage(0, {D3DTOP_BLENDCURRENTALPHA, kCurrent, kFactor}, Sel1(kCurrent)));
            break;
        case 2:  // inverted colour
            if (colourModulation) {
                b.Add(Stage(0, Mod(kTexture, kDiffuse), a));
                b.Add(Stage(0, Sel1(kCurrent | kComplement), Sel1(kCurrent)));
            } else {
                b.Add(Stage(0, Sel1(kTexture | kComplement), a));
            }
            break;
        default:  // four times the colour
            b.Add(Stage(0, {D3DTOP_MODULATE4X, kTexture, kDiffuse}, a));
            break;
    }
}

// The diffuse stage that ends the blend-texture paths with colour modulation or blending on.
constexpr StageRecord DiffuseStage(int colourModulation, int blendingOn) {
    return Stage(0, colourModulation ? Mod(kCurrent, kDiffuse) : Sel1(kCurrent),
                 blendingOn ? Mod(kCurrent, kDiffuse) : Sel1(kCurrent));
}

// With a blend texture: texture coordinates 0 are the blend graphic's, 1 the graphic's.
constexpr void BlendStages(Builder& b, int alpha, int blendingOn, int colourModulation, int kind, int cls) {
    const bool diffuse = colourModulation || blendingOn;
    switch (kind) {
        case 0:  // cross-fade by the factor's alpha
            b.Add(Stage(0, Sel1(kTexture), Sel1(kTexture)));
            b.Add(Stage(1, {D3DTOP_BLENDFACTORALPHA, kCurrent, kTexture},
                        {D3DTOP_BLENDFACTORALPHA, kCurrent, kTexture}));
            if (diffuse || cls == 3) b.Add(Stage(0, Mod(kCurrent, kDiffuse), Mod(kCurrent, kDiffuse)));
            if (cls == 3) {
                b.Add(Stage(0, {D3DTOP_ADD, kCurrent, kCurrent}, Sel1(kCurrent)));
                b.Add(Stage(0, {D3DTOP_ADD, kCurrent, kCurrent}, Sel1(kCurrent)));
            }
            break;
        case 1:  // border: the blend texture's value against the factor's alpha
            b.Add(Stage(0, Sel2(kDiffuse), {D3DTOP_ADD, kTexture, kFactor}));
            if (alpha == 1) b.Add(Stage(1, Sel1(kCurrent), Mod(kSpecular, kCurrent)));
            b.Add(Stage(1, Sel1(kTexture), Mod(kTexture, kCurrent)));
            if (diffuse) b.Add(DiffuseStage(colourModulation, blendingOn));
            break;
        default:  // the graphic's alpha times the blend texture's
            b.Add(Stage(1, Sel1(kTexture), Sel1(kTexture)));
            b.Add(Stage(0, Sel1(kCurrent), Mod(kCurrent, kTexture)));
            if (diffuse) b.Add(DiffuseStage(colourModulation, blendingOn));
            break;
    }
    if (cls == 2) b.Add(Stage(0, Sel1(kCurrent | kComplement), Sel1(kCurrent)));
    if (cls == 3 && kind != 0) b.Add(Stage(0, {D3DTOP_MODULATE4X, kCurrent, kDiffuse}, Sel1(kCurrent)));
}

constexpr StageConfigEntry MakeEntry(int index) {
    const int alpha = index % 3;
    const int blendingOn = (index / 3) % 2;
    const int colourModulation = (index / 6) % 2;
    const int blendTextureMode = (index / 12) % 4;
    const int cls = index / 48;
    Builder b;
    if (blendTextureMode == 0)
        PlainStages(b, alpha, blendingOn, colourModulation, cls);
    else if (cls != 1)
        BlendStages(b, alpha, blendingOn, colourModulation, blendTextureMode - 1, cls);
    return b.Finish();
}

constexpr StageConfigTableArray MakeTable() {
    StageConfigTableArray table{};
    for (int i = 0; i < kStageConfigEntryCount; ++i) table[i] = MakeEntry(i);
    return table;
}

}  // namespace

constinit const StageConfigTableArray StageConfigTable = MakeTable();
