#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_recreation.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/draw/device_buffers.h"
#include "tests/graphics/draw/draw_test_support.h"

namespace graphics_test {
namespace {

class ShadersAndBuffersTest : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        ASSERT_EQ(RegisterHandleType(kHandleTypeShader, sizeof(UserShaderRecord), kUserShaderLimit, nullptr,
                                     UserShaderDeleteCallback, "シェーダー"),
                  0);
        ASSERT_EQ(RegisterHandleType(kHandleTypeVertexBuffer, sizeof(DeviceBufferRecord), kDeviceBufferLimit,
                                     nullptr, DeviceBufferDeleteCallback, "頂点バッファ"),
                  0);
        ASSERT_EQ(RegisterHandleType(kHandleTypeIndexBuffer, sizeof(DeviceBufferRecord), kDeviceBufferLimit,
                                     nullptr, DeviceBufferDeleteCallback, "インデックスバッファ"),
                  0);
    }
    void TearDown() override {
        for (int type : {kHandleTypeShader, kHandleTypeVertexBuffer, kHandleTypeIndexBuffer})
            EndHandleType(type);
        DrawFixture::TearDown();
    }
    static std::vector<uint8_t> DeviceBytes(int handle, int type) {
        auto* record = static_cast<DeviceBufferRecord*>(GetTypedHandleData(handle, type));
        const size_t bytes = size_t(record->elementSize) * record->count;
        std::vector<uint8_t> out(bytes);
        void* p = nullptr;
        if (type == kHandleTypeVertexBuffer) {
            auto* b = static_cast<IDirect3DVertexBuffer9*>(record->buffer);
            EXPECT_EQ(b->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
            std::memcpy(out.data(), p, bytes);
            b->Unlock();
        } else {
            auto* b = static_cast<IDirect3DIndexBuffer9*>(record->buffer);
            EXPECT_EQ(b->Lock(0, 0, &p, D3DLOCK_READONLY), D3D_OK);
            std::memcpy(out.data(), p, bytes);
            b->Unlock();
        }
        return out;
    }
    static std::vector<uint8_t> CopyBytes(int handle, int type) {
        auto* record = static_cast<DeviceBufferRecord*>(GetTypedHandleData(handle, type));
        const auto* p = static_cast<const uint8_t*>(record->copy);
        return std::vector<uint8_t>(p, p + size_t(record->elementSize) * record->count);
    }
};

TEST_F(ShadersAndBuffersTest, UploadsOutsideTheBufferAreRefusedAndAValidRangeReachesBothCopies) {
    MakeDevice(8, 8);
    const int vb = CreateDeviceVertexBuffer(8, 4);
    const int ib = CreateDeviceIndexBuffer(6);
    ASSERT_GE(vb, 0);
    ASSERT_GE(ib, 0);
    const uint8_t data[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    struct Case {
        int first, count, result;
    };
    const Case cases[] = {{-1, 1, -1}, {3, 2, -1}, {4, 1, -1}, {0, -1, -1}, {0, 0, 0}, {2, 2, 0}};
    for (const Case& c : cases) {
        const auto deviceBefore = DeviceBytes(vb, kHandleTypeVertexBuffer);
        const auto copyBefore = CopyBytes(vb, kHandleTypeVertexBuffer);
        EXPECT_EQ(SetVertexBufferData(c.first, data, c.count, vb), c.result) << c.first << " " << c.count;
        if (c.result != 0 || c.count == 0) {
            EXPECT_EQ(DeviceBytes(vb, kHandleTypeVertexBuffer), deviceBefore);
            EXPECT_EQ(CopyBytes(vb, kHandleTypeVertexBuffer), copyBefore);
        }
    }
    std::vector<uint8_t> expected(32, 0);
    std::memcpy(expected.data() + 16, data, 16);
    EXPECT_EQ(DeviceBytes(vb, kHandleTypeVertexBuffer), expected);
    EXPECT_EQ(CopyBytes(vb, kHandleTypeVertexBuffer), expected);

    const uint16_t index[3] = {7, 8, 9};
    EXPECT_EQ(SetIndexBufferData(4, index, 3, ib), -1);
    EXPECT_EQ(SetIndexBufferData(3, index, 3, ib), 0);
    const auto indexBytes = CopyBytes(ib, kHandleTypeIndexBuffer);
    EXPECT_EQ(DeviceBytes(ib, kHandleTypeIndexBuffer), indexBytes);
    uint16_t back[6];
    std::memcpy(back, indexBytes.data(), 12);
    EXPECT_EQ(back[3], 7);
    EXPECT_EQ(back[5], 9);
    EXPECT_EQ(SetVertexBufferData(0, data, 1, ib), -1);
    EXPECT_EQ(SetIndexBufferData(0, index, 1, vb), -1);
}

TEST_F(ShadersAndBuffersTest, ARestartMakesTheDeviceBufferAgainFromTheKeptCopy) {
    MakeDevice(8, 8);
    const int vb = CreateDeviceVertexBuffer(4, 4);
    const uint8_t data[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
    ASSERT_EQ(SetVertexBufferData(0, data, 4, vb), 0);
    auto* record = static_cast<DeviceBufferRecord*>(GetTypedHandleData(vb, kHandleTypeVertexBuffer));
    record->buffer->Release();
    record->buffer = nullptr;
    EXPECT_EQ(RecreateDeviceBufferObjects(kHandleTypeVertexBuffer), 0);
    ASSERT_NE(record->buffer, nullptr);
    EXPECT_EQ(DeviceBytes(vb, kHandleTypeVertexBuffer), std::vector<uint8_t>(data, data + 16));
    EXPECT_EQ(DeleteHandle(vb), 0);
    EXPECT_EQ(GetHandleData(vb), nullptr);
}

// Buffers come back after a restart only where the device processes vertices itself.
TEST_F(ShadersAndBuffersTest, RestartRecreatesBuffersOnlyWithHardwareVerticesOrShaderTwo) {
    struct Case {
        int hardware, shader2;
        bool remade;
    };
    for (Case c : {Case{0, 0, false}, Case{1, 0, true}, Case{0, 1, true}}) {
        MakeDevice(8, 8);
        const int vb = CreateDeviceVertexBuffer(4, 2);
        const int ib = CreateDeviceIndexBuffer(3);
        const uint8_t vertices[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        const uint16_t indices[3] = {7, 0, 65535};
        ASSERT_EQ(SetVertexBufferData(0, vertices, 2, vb), 0);
        ASSERT_EQ(SetIndexBufferData(0, indices, 3, ib), 0);
        EXPECT_EQ(ReleaseDeviceBufferObjects(kHandleTypeVertexBuffer), 0);
        EXPECT_EQ(ReleaseDeviceBufferObjects(kHandleTypeIndexBuffer), 0);
        auto* v = static_cast<DeviceBufferRecord*>(GetTypedHandleData(vb, kHandleTypeVertexBuffer));
        auto* i = static_cast<DeviceBufferRecord*>(GetTypedHandleData(ib, kHandleTypeIndexBuffer));
        ASSERT_EQ(v->buffer, nullptr);
        ASSERT_EQ(i->buffer, nullptr);
        deviceCreationSettings.hardwareVertexProcessing = c.hardware;
        deviceCapabilityFlags.vertexShader2 = c.shader2;
        EXPECT_EQ(RecreateDeviceBuffers(), 0);
        EXPECT_EQ(v->buffer != nullptr, c.remade) << c.hardware << c.shader2;
        EXPECT_EQ(i->buffer != nullptr, c.remade) << c.hardware << c.shader2;
        if (c.remade) {
            EXPECT_EQ(DeviceBytes(vb, kHandleTypeVertexBuffer), std::vector<uint8_t>(vertices, vertices + 8));
            EXPECT_EQ(DeviceBytes(ib, kHandleTypeIndexBuffer), CopyBytes(ib, kHandleTypeIndexBuffer));
        }
        deviceCreationSettings.hardwareVertexProcessing = 0;
        deviceCapabilityFlags.vertexShader2 = 0;
        DeleteHandle(vb);
        DeleteHandle(ib);
        DropDevice();
    }
}

TEST_F(ShadersAndBuffersTest, WithoutADeviceABufferKeepsOnlyItsCopy) {
    const int vb = CreateDeviceVertexBuffer(4, 2);
    ASSERT_GE(vb, 0);
    const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(SetVertexBufferData(0, data, 2, vb), 0);
    EXPECT_EQ(CopyBytes(vb, kHandleTypeVertexBuffer), std::vector<uint8_t>(data, data + 8));
    EXPECT_EQ(CreateDeviceVertexBuffer(0, 2), -1);
    EXPECT_EQ(CreateDeviceIndexBuffer(-3), -1);
}

TEST_F(ShadersAndBuffersTest, ShaderCreationIsRefusedBeforeAnyDeviceCall) {
    D3D9CapabilityProfile profile;
    profile.vertex_shader_version = D3DVS_VERSION(2, 0);
    profile.pixel_shader_version = D3DPS_VERSION(2, 0);
    D3D9SetCapabilityProfile(profile);
    MakeDevice(8, 8);
    const DWORD code[4] = {0xFFFF0200, 0x0000FFFF, 0, 0};
    StartTrace();
    EXPECT_EQ(CreateUserShader(0, code, sizeof code, 0, 0), -1);
    EXPECT_EQ(CreateUserShader(1, code, sizeof code, 0, 0), -1);
    EXPECT_EQ(CreatePixelShaderFromArchive("ps_blend0_type0_igcolor0_igtalpha0.pso"), -1);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(handleTypes[kHandleTypeShader].count, 0);
    EXPECT_EQ(GetShaderModel(), 0);
}

TEST_F(ShadersAndBuffersTest, ShaderHandlesAreBoundByKindAndUnboundWhenDeleted) {
    MakeDevice(8, 8);
    const int pixel = AddHandle(kHandleTypeShader, -1);
    const int vertex = AddHandle(kHandleTypeShader, -1);
    auto* p = static_cast<UserShaderRecord*>(GetHandleData(pixel));
    auto* v = static_cast<UserShaderRecord*>(GetHandleData(vertex));
    p->kind = 0, v->kind = 1;
    p->code = TrackedAlloc(16, __FILE__, __LINE__);
    EXPECT_EQ(BindUserPixelShader(vertex), -1);
    EXPECT_EQ(BindUserVertexShader(pixel), -1);
    EXPECT_EQ(BindUserPixelShader(pixel), 0);
    EXPECT_EQ(BindUserVertexShader(vertex), 0);
    EXPECT_EQ(userShaderBinding.pixelShader, pixel);
    EXPECT_EQ(SetUserPixelShader(vertex), -1);
    EXPECT_EQ(SetUserPixelShader(pixel), 0);
    SavedUserShaderBinding saved{};
    SaveUserShaderBinding(&saved);
    EXPECT_EQ(SetUserPixelShader(0), 0);
    EXPECT_EQ(userShaderBinding.nextPixelShader, 0);
    RestoreUserShaderBinding(&saved);
    EXPECT_EQ(userShaderBinding.nextPixelShader, pixel);
    EXPECT_EQ(DeleteHandle(pixel), 0);
    EXPECT_EQ(userShaderBinding.pixelShader, 0);
    EXPECT_EQ(userShaderBinding.nextPixelShader, 0);
    EXPECT_EQ(userShaderBinding.vertexShader, vertex);
}

TEST_F(ShadersAndBuffersTest, UserShaderTexturesTakeSixteenStagesOfValidGraphics) {
    EXPECT_EQ(SetUserShaderTexture(16, -1), -1);
    EXPECT_EQ(SetUserShaderTexture(-1, -1), -1);
    // No graphic is valid while graphics are not built up: a handle is refused, -1 means none.
    EXPECT_EQ(SetUserShaderTexture(3, 0x04010000), -1);
    userShaderBinding.stageGraphics[3] = 77;
    EXPECT_EQ(SetUserShaderTexture(3, -1), 0);
    EXPECT_EQ(userShaderBinding.stageGraphics[3], 0);
}

TEST_F(ShadersAndBuffersTest, ApplyingAllStatesRewritesTheCacheOverTheDevicesOwnState) {
    MakeDevice(8, 8);
    SetZEnable(1);
    SetZFunction(D3DCMP_GREATER);
    SetCullMode(2);
    SetTextureAddressU(2, D3DTADDRESS_MIRROR);
    SetWorldMatrix(std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 7, 8, 9, 1}.data());
    Device()->SetRenderState(D3DRS_ZENABLE, 0);
    Device()->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Device()->SetSamplerState(2, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    const float junk[16] = {};
    Device()->SetVertexShaderConstantF(94, junk, 4);
    drawStateLatch.statesChanged = 0;
    ApplyAllDeviceStates();
    DWORD v = 0;
    Device()->GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, 1u);
    Device()->GetRenderState(D3DRS_ZFUNC, &v);
    EXPECT_EQ(v, DWORD(D3DCMP_GREATER));
    Device()->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, DWORD(D3DCULL_CW));
    Device()->GetSamplerState(2, D3DSAMP_ADDRESSU, &v);
    EXPECT_EQ(v, DWORD(D3DTADDRESS_MIRROR));
    float back[4];
    Device()->GetVertexShaderConstantF(94, back, 1);
    EXPECT_EQ(back[3], 7.0f);
    EXPECT_EQ(renderStateCache.force, 0);
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
}

}  // namespace
}  // namespace graphics_test
