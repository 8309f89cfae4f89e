// The model types across a lost device and its restart in Direct3D mode: the default textures are made
// again with their pictures, and the base vertex buffers come back holding the model data.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/memory/handle_manager.h"
#include "engine/graphics/handles/graphic_handles.h"
#include "engine/graphics/handles/graphic_read_back.h"
#include "engine/graphics/scene3d/model_device_objects.h"
#include "engine/graphics/scene3d/model_handles.h"
#include "engine/graphics/scene3d/model_textures.h"
#include "tests/graphics/loss/loss_fixture.h"
#include "tests/graphics/scene3d/model_builder.h"

namespace {

using namespace model_test;

class ModelRestartTest : public LossTest {
  protected:
    void Start(DWORD vertexShaderVersion) {
        D3D9CapabilityProfile profile;
        profile.vertex_shader_version = vertexShaderVersion;
        D3D9SetCapabilityProfile(profile);
        StartDevice(32, 0);
        ASSERT_EQ(RegisterModelHandleTypes(), 0);
        base = AddTestBase(3, 0, 1, 1, 0);
        ASSERT_NE(base, -1);
    }
    void TearDown() override {
        EndModelHandleTypes();
        LossTest::TearDown();
    }
    // The device is lost for one present, then the restart runs.
    static void LoseAndRestart() {
        D3D9SetDeviceLost(true);
        ASSERT_EQ(PresentFrame(nullptr), -1);
        D3D9SetDeviceLost(false);
        ASSERT_EQ(RestartGraphicsKeepMode(), 0);
        ASSERT_EQ(Direct3DMode, 1);
    }
    // Each default texture is alive and shows the image it is made from.
    static void ExpectDefaultTextures() {
        SoftImage expected[kModelDefaultTextureCount]{};
        ASSERT_EQ(MakeDefaultTextureImages(expected), 0);
        for (int i = 0; i < kModelDefaultTextureCount; ++i) {
            SCOPED_TRACE(i);
            const int graphic = modelTypeState.defaultTextures[i];
            ASSERT_EQ(IsGraphicAlive(graphic), 1);
            SoftImage shown{};
            ASSERT_EQ(ReadGraphicToImage(graphic, &shown, nullptr), 0);
            ASSERT_EQ(shown.width, expected[i].width);
            ASSERT_EQ(shown.height, expected[i].height);
            int wrong = 0;
            for (int y = 0; y < shown.height; ++y)
                for (int x = 0; x < shown.width; ++x)
                    wrong += (GetImagePixelArgb(&shown, x, y) & 0xFFFFFF) !=
                             (GetImagePixelArgb(&expected[i], x, y) & 0xFFFFFF);
            EXPECT_EQ(wrong, 0);
            ReleaseSoftImage(&shown);
        }
        for (SoftImage& image : expected) ReleaseSoftImage(&image);
    }
    // Each mesh's vertex buffer holds the mesh's model data; the buffers, in mesh order.
    std::vector<IDirect3DVertexBuffer9*> ExpectBaseBuffersHoldTheModelData() const {
        std::vector<IDirect3DVertexBuffer9*> buffers;
        const ModelBase* b = BaseOf(base);
        for (int i = 0; i < b->meshCount; ++i) {
            const ModelMesh& m = b->meshes[i];
            buffers.push_back(m.vertexBuffer);
            const UINT size = UINT(m.vertexCount * m.vertexStride);
            void* data = nullptr;
            if (m.vertexBuffer == nullptr || FAILED(m.vertexBuffer->Lock(0, size, &data, D3DLOCK_READONLY))) {
                ADD_FAILURE() << "mesh " << i << " has no readable vertex buffer";
                continue;
            }
            EXPECT_EQ(std::memcmp(data, m.vertexData, size), 0) << "mesh " << i;
            m.vertexBuffer->Unlock();
        }
        return buffers;
    }

    int base = -1;
};

}  // namespace

TEST_F(ModelRestartTest, DefaultTexturesAreMadeAgainAfterEachLoss) {
    Start(D3DVS_VERSION(0, 0));
    for (int i = 0; i < kModelDefaultTextureCount; ++i) EXPECT_EQ(modelTypeState.defaultTextures[i], -1);
    LoseAndRestart();
    ExpectDefaultTextures();
    const int graphics = handleTypes[kHandleTypeGraphic].count;
    LoseAndRestart();
    ExpectDefaultTextures();
    // Each restart replaces the default textures: their number stays.
    EXPECT_EQ(handleTypes[kHandleTypeGraphic].count, graphics);
}

TEST_F(ModelRestartTest, VertexShaderTwoBaseBuffersComeBackWithTheSameBytes) {
    Start(D3DVS_VERSION(2, 0));
    ASSERT_EQ(deviceCapabilityFlags.vertexShader2, 1);
    ASSERT_EQ(RebuildModelDeviceObjects(), 0);
    const std::vector<IDirect3DVertexBuffer9*> before = ExpectBaseBuffersHoldTheModelData();
    LoseAndRestart();
    const std::vector<IDirect3DVertexBuffer9*> after = ExpectBaseBuffersHoldTheModelData();
    EXPECT_EQ(after.size(), before.size());
    ExpectDefaultTextures();
}
