// The switch of drawing to the sub back buffer: the picture so far comes along, a second switch makes no
// device call, and a failed creation leaves the back buffer in place.
#include "engine/graphics/kernels/sub_back_buffer.h"

#include <gtest/gtest.h>

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_objects.h"
#include "platform/d3d9/d3d9_control.h"
#include "tests/graphics/kernels/kernel_fixture.h"

namespace graphics_test {
namespace {

class SubBackBufferTest : public KernelFixture {
  protected:
    void SetUp() override {
        KernelFixture::SetUp();
        MakeTarget(16, 12, 0xFF112233);
        deviceFormatTable.display = D3DFMT_X8R8G8B8;
    }
    void TearDown() override {
        ReleaseSubBackBuffer();
        deviceFormatTable = {};
        KernelFixture::TearDown();
    }
    IDirect3DSurface9* RenderTarget0() {
        IDirect3DSurface9* rt = nullptr;
        Device()->GetRenderTarget(0, &rt);
        rt->Release();
        return rt;
    }
    IDirect3DSurface9* BackBuffer() {
        IDirect3DSurface9* bb = nullptr;
        Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
        bb->Release();
        return bb;
    }
};

TEST_F(SubBackBufferTest, DrawingMovesWithThePictureAndOnlyOnce) {
    EXPECT_EQ(MoveToSubBackBuffer(), 0);
    ASSERT_NE(GetSubBackBuffer(), nullptr);
    EXPECT_EQ(RenderTarget0(), GetSubBackBuffer());
    EXPECT_EQ(ReadTarget(), std::vector<uint32_t>(16 * 12, 0x112233u));
    D3DVIEWPORT9 vp{};
    Device()->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 16u);
    EXPECT_EQ(vp.Height, 12u);
    StartTrace();
    EXPECT_EQ(MoveToSubBackBuffer(), 0);
    EXPECT_TRUE(TakeTrace().empty());
}

TEST_F(SubBackBufferTest, AFailedCreationKeepsTheBackBuffer) {
    D3D9FailCreation("CreateRenderTarget", 1);
    EXPECT_EQ(MoveToSubBackBuffer(), -1);
    EXPECT_EQ(GetSubBackBuffer(), nullptr);
    EXPECT_EQ(RenderTarget0(), BackBuffer());
}

}  // namespace
}  // namespace graphics_test
