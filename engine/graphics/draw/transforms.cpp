#include "engine/graphics/draw/transforms.h"

#include <cstring>

#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "engine/graphics/target/draw_target_state.h"

TransformState transformState;
CameraDerivedState cameraDerivedState;

namespace {

namespace reg = shader_registers;

bool Applying() {
    return Direct3DMode == 1 && HasD3DDevice();
}

void SetTransposedConstants(int set, int first, const Matrix4& m) {
    Matrix4 t;
    TransposeMatrix(&t, &m);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, set, first, &t, 4, 1);
}

void ApplyWorld() {
    if (!Applying()) return;
    DeviceSetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&transformState.world));
    SetTransposedConstants(0, reg::kWorld, transformState.world);
}

void ApplyView() {
    if (!Applying()) return;
    DeviceSetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&transformState.view));
    SetTransposedConstants(0, reg::kView, transformState.view);
    WriteLightPositionConstants();
}

void ApplyProjection() {
    if (!Applying()) return;
    Matrix4 product;
    MultiplyMatrix(&product, &transformState.projection, &transformState.second);
    MultiplyMatrix(&product, &product, &transformState.drawArea);
    DeviceSetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&product));
    SetTransposedConstants(0, reg::kProjection, product);
}

int Store(Matrix4& target, int32_t& setFlag, const float* matrix, void (*apply)()) {
    FlushVertexBatch(0);
    std::memcpy(&target, matrix, sizeof target);
    setFlag = 1;
    cameraDerivedState.valid = 0;
    UpdateCameraMatrices();
    apply();
    return 0;
}

// A device-coordinate point (x, y) at depth z in [0, 1] taken back through `fromScreen`.
Vector3 Unproject(const Matrix4& fromScreen, float x, float y, float z) {
    const Vector3 p{x, y, z};
    const float w = 1.0f;
    Vector3 out;
    float outW = 1.0f;
    TransformVector4(&out, &outW, &p, &w, &fromScreen);
    if (outW != 0.0f) out = {out.x / outW, out.y / outW, out.z / outW};
    return out;
}

void TransformRow(float out[4], const float in[4], const Matrix4& m) {
    for (int c = 0; c < 4; ++c)
        out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
}

void Colour4(float out[4], const D3DCOLORVALUE& a, const D3DCOLORVALUE& b) {
    out[0] = a.r * b.r, out[1] = a.g * b.g, out[2] = a.b * b.b, out[3] = a.a * b.a;
}

}  // namespace

void ResetTransforms() {
    std::memset(&transformState, 0, sizeof transformState);
    for (Matrix4* m : {&transformState.world, &transformState.view, &transformState.projection,
                       &transformState.second, &transformState.drawArea})
        SetIdentityMatrix(m);
    cameraDerivedState = {};
}

namespace {
const bool transformsPreset = (ResetTransforms(), true);
}

int SetWorldMatrix(const float* matrix) {
    return Store(transformState.world, transformState.worldSet, matrix, ApplyWorld);
}
int SetViewMatrix(const float* matrix) {
    return Store(transformState.view, transformState.viewSet, matrix, ApplyView);
}
int SetProjectionMatrix(const float* matrix) {
    return Store(transformState.projection, transformState.projectionSet, matrix, ApplyProjection);
}
int SetSecondMatrix(const float* matrix) {
    return Store(transformState.second, transformState.secondSet, matrix, ApplyProjection);
}
int SetDrawAreaMatrix(const float* matrix) {
    int32_t unused = 0;
    return Store(transformState.drawArea, unused, matrix, ApplyProjection);
}

int UpdateCameraMatrices() {
    (void)transformsPreset;
    if (cameraDerivedState.valid) return 0;
    CameraDerivedState& c = cameraDerivedState;
    MultiplyMatrix(&c.viewProjection, &transformState.view, &transformState.projection);
    MultiplyMatrix(&c.viewProjection, &c.viewProjection, &transformState.second);
    MultiplyMatrix(&c.worldViewProjection, &transformState.world, &c.viewProjection);
    const Matrix4& v = transformState.view;
    c.axisX = {v.m[0][0], v.m[1][0], v.m[2][0]};
    c.axisY = {v.m[0][1], v.m[1][1], v.m[2][1]};
    c.axisZ = {v.m[0][2], v.m[1][2], v.m[2][2]};
    // Screen to world: a draw-area pixel to normalised device coordinates, then through the inverse
    // of the camera product.
    Matrix4 fromScreen;
    InvertMatrix(&fromScreen, &c.viewProjection);
    IntRect area{};
    GetDrawArea(&area);
    const float width = float(area.right - area.left), height = float(area.bottom - area.top);
    const int xs[4] = {area.left, area.right, area.left, area.right};
    const int ys[4] = {area.top, area.top, area.bottom, area.bottom};
    for (int i = 0; i < 4; ++i) {
        const float x = width > 0 ? float(xs[i] - area.left) / width * 2.0f - 1.0f : 0.0f;
        const float y = height > 0 ? 1.0f - float(ys[i] - area.top) / height * 2.0f : 0.0f;
        c.cornerNear[i] = Unproject(fromScreen, x, y, 0.0f);
        c.cornerFar[i] = Unproject(fromScreen, x, y, 1.0f);
    }
    c.valid = 1;
    return 0;
}

void WriteLightPositionConstants() {
    for (int i = 0; i < kConstantLightCount; ++i) {
        const D3DLIGHT9& light = renderStateCache.lights[i];
        const float position[4] = {light.Position.x, light.Position.y, light.Position.z, 1.0f};
        const float direction[4] = {light.Direction.x, light.Direction.y, light.Direction.z, 0.0f};
        float pair[2][4];
        TransformRow(pair[0], position, transformState.view);
        TransformRow(pair[1], direction, transformState.view);
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0,
                           reg::kLightBase0 + reg::kLightStride * i, pair, 2, 1);
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 3,
                           reg::kLightBase3 + reg::kLightStride * i, pair, 2, 1);
    }
}

void WriteLightColourConstants() {
    const D3DMATERIAL9& material = renderStateCache.material;
    const uint32_t ambientColour = renderStateCache.render[D3DRS_AMBIENT];
    const float global[4] = {float((ambientColour >> 16) & 0xFF) / 255.0f,
                             float((ambientColour >> 8) & 0xFF) / 255.0f,
                             float(ambientColour & 0xFF) / 255.0f, float(ambientColour >> 24) / 255.0f};
    float ambient[4] = {material.Emissive.r + global[0] * material.Ambient.r,
                        material.Emissive.g + global[1] * material.Ambient.g,
                        material.Emissive.b + global[2] * material.Ambient.b,
                        material.Emissive.a + global[3] * material.Ambient.a};
    for (int i = 0; i < kConstantLightCount; ++i) {
        if (!renderStateCache.lightEnable[i]) continue;
        const D3DLIGHT9& light = renderStateCache.lights[i];
        float term[4];
        Colour4(term, light.Ambient, material.Ambient);
        for (int k = 0; k < 4; ++k) ambient[k] += term[k];
        float diffuse[4];
        Colour4(diffuse, light.Diffuse, material.Diffuse);
        // Light 11's diffuse register would fall on the world matrix (94..97) of set 0; the world
        // matrix keeps its registers.
        const int set0 = reg::kLightBase0 + reg::kLightStride * i + 4;
        if (set0 < reg::kWorld || set0 >= reg::kWorld + 4)
            SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, set0, diffuse, 1, 1);
        SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 3,
                           reg::kLightBase3 + reg::kLightStride * i + 4, diffuse, 1, 1);
        SetShaderConstants(&shaderConstantCache, kBankPixelFloat, 3, reg::kLightDiffusePixel + 3 * i, diffuse,
                           1, 1);
    }
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 0, reg::kAmbient, ambient, 1, 1);
    SetShaderConstants(&shaderConstantCache, kBankVertexFloat, 3, reg::kAmbient, ambient, 1, 1);
}
