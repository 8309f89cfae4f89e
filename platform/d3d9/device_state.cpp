#include "platform/d3d9/device_state.h"

#include <cstring>

namespace d3d9 {

D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

namespace {

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}

}  // namespace

void SetInitialStates(DeviceState& s, bool auto_depth) {
    auto& r = s.render;
    r[D3DRS_ZENABLE] = auto_depth ? D3DZB_TRUE : D3DZB_FALSE;
    r[D3DRS_FILLMODE] = D3DFILL_SOLID;
    r[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    r[D3DRS_ZWRITEENABLE] = TRUE;
    r[D3DRS_ALPHATESTENABLE] = FALSE;
    r[D3DRS_LASTPIXEL] = TRUE;
    r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    r[D3DRS_CULLMODE] = D3DCULL_CCW;
    r[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    r[D3DRS_ALPHAREF] = 0;
    r[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_DITHERENABLE] = FALSE;
    r[D3DRS_ALPHABLENDENABLE] = FALSE;
    r[D3DRS_FOGENABLE] = FALSE;
    r[D3DRS_SPECULARENABLE] = FALSE;
    r[D3DRS_FOGCOLOR] = 0;
    r[D3DRS_FOGSTART] = FloatBits(0.0f);
    r[D3DRS_FOGEND] = FloatBits(1.0f);
    r[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    r[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    r[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    r[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    r[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    r[D3DRS_CLIPPING] = TRUE;
    r[D3DRS_LIGHTING] = TRUE;
    r[D3DRS_COLORVERTEX] = TRUE;
    r[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    r[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    r[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    r[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    r[D3DRS_POINTSIZE] = FloatBits(1.0f);
    r[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    r[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    r[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    r[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    r[D3DRS_COLORWRITEENABLE] = 0xF;
    r[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    r[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    r[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    r[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    r[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (int i = 0; i < kStageCount; ++i) {
        auto& t = s.stage[size_t(i)];
        t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = DWORD(i);
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        s.texture_transform[size_t(i)] = IdentityMatrix();
    }
    auto sampler_defaults = [](std::array<DWORD, D3D_SAMPLER_STATE_COUNT>& sampler) {
        sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_BORDERCOLOR] = 0;
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    };
    for (auto& sampler : s.sampler) sampler_defaults(sampler);
    for (auto& sampler : s.vertex_sampler) sampler_defaults(sampler);
    s.world = s.view = s.projection = IdentityMatrix();
    s.material = {};
}

}  // namespace d3d9
