// Pools and locks, dirty-region texture updates, reference counts, the lost device, creation failures,
// shader refusal with stored constants, and the call trace.
#include <functional>

#include "tests/platform/d3d9/d3d9_test_support.h"

namespace d3d9_test {
namespace {

class ResourcesTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        MakeDevice(32, 32);
    }
};

struct LockCase {
    const char* name;
    DWORD usage;
    D3DPOOL pool;
    bool lockable;
};

TEST_F(ResourcesTest, TextureLockRulesFollowPoolAndUsage) {
    const LockCase cases[] = {
        {"managed", 0, D3DPOOL_MANAGED, true},
        {"system memory", 0, D3DPOOL_SYSTEMMEM, true},
        {"default", 0, D3DPOOL_DEFAULT, false},
        {"default dynamic", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, true},
        {"render target", D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, false},
    };
    for (const auto& c : cases) {
        IDirect3DTexture9* t = nullptr;
        ASSERT_EQ(device->CreateTexture(16, 16, 1, c.usage, D3DFMT_A8R8G8B8, c.pool, &t, nullptr), D3D_OK)
            << c.name;
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0) == D3D_OK, c.lockable) << c.name;
        if (c.lockable) {
            EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3DERR_INVALIDCALL) << c.name << " locked twice";
            EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        }
        EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL) << c.name << " unlocked when not locked";
        RECT outside{8, 8, 17, 12};
        EXPECT_EQ(t->LockRect(0, &lr, &outside, 0), D3DERR_INVALIDCALL) << c.name;
        t->Release();
    }
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t,
                                    nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(6, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4096, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(ResourcesTest, RenderTargetsLockOnlyWhenMadeLockable) {
    IDirect3DSurface9 *locked = nullptr, *plain = nullptr;
    ASSERT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &plain, nullptr),
        D3D_OK);
    ASSERT_EQ(
        device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &locked, nullptr),
        D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(plain->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(locked->LockRect(&lr, nullptr, 0), D3D_OK);
    locked->UnlockRect();
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(
        device->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
        D3D_OK);
    EXPECT_EQ(depth->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(back->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);  // made with a lockable back buffer
    back->UnlockRect();
    back->Release();
    depth->Release();
    plain->Release();
    locked->Release();
}

TEST_F(ResourcesTest, UpdateTextureCopiesOnlyDirtyRegions) {
    IDirect3DTexture9 *sys = nullptr, *dst = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &dst,
                                    nullptr),
              D3D_OK);
    auto fill = [&](uint32_t v, DWORD flags) {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(sys->LockRect(0, &lr, nullptr, flags), D3D_OK);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] = v;
        sys->UnlockRect(0);
    };
    auto read = [&](int x, int y) {
        IDirect3DSurface9 *s = nullptr, *copy = nullptr;
        dst->GetSurfaceLevel(0, &s);
        device->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        device->GetRenderTargetData(s, copy);
        D3DLOCKED_RECT lr;
        copy->LockRect(&lr, nullptr, D3DLOCK_READONLY);
        uint32_t v = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x];
        copy->UnlockRect();
        copy->Release();
        s->Release();
        return v & 0xFFFFFF;
    };
    fill(0x111111, 0);
    ASSERT_EQ(device->UpdateTexture(sys, dst), D3D_OK);
    EXPECT_EQ(read(7, 7), 0x111111u);
    fill(0x222222, D3DLOCK_NO_DIRTY_UPDATE);  // changed but not marked: nothing is copied
    ASSERT_EQ(device->UpdateTexture(sys, dst), D3D_OK);
    EXPECT_EQ(read(7, 7), 0x111111u);
    RECT dirty{2, 3, 4, 5};
    sys->AddDirtyRect(&dirty);
    ASSERT_EQ(device->UpdateTexture(sys, dst), D3D_OK);
    EXPECT_EQ(read(2, 3), 0x222222u);
    EXPECT_EQ(read(3, 4), 0x222222u);
    EXPECT_EQ(read(4, 4), 0x111111u);
    EXPECT_EQ(read(2, 5), 0x111111u);
    EXPECT_EQ(device->UpdateTexture(dst, sys), D3DERR_INVALIDCALL);
    sys->Release();
    dst->Release();
}

TEST_F(ResourcesTest, ReferenceCountsOfTexturesAndTheirSurfaces) {
    IDirect3DTexture9* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 3u);
    IDirect3DSurface9* s = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(1, &s), D3D_OK);
    EXPECT_EQ(t->AddRef(), 3u);  // the surface holds its texture
    EXPECT_EQ(t->Release(), 2u);
    device->SetTexture(0, t);
    EXPECT_EQ(s->Release(), 2u);  // the device holds the bound texture
    device->SetTexture(0, nullptr);
    EXPECT_EQ(t->Release(), 0u);
    IDirect3DSwapChain9* chain = nullptr;
    ULONG before = device->AddRef() - 1;
    device->Release();
    ASSERT_EQ(device->GetSwapChain(0, &chain), D3D_OK);
    EXPECT_EQ(chain->Release(), before);
}

TEST_F(ResourcesTest, LostDeviceDropsDefaultPoolContents) {
    IDirect3DTexture9* managed =
        MakeTexture(2, 2, D3DFMT_X8R8G8B8, {0xFF123456, 0xFF123456, 0xFF123456, 0xFF123456});
    IDirect3DSurface9* rt = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(2, 2, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &rt, nullptr),
              D3D_OK);
    ASSERT_EQ(device->ColorFill(rt, nullptr, 0xFFABCDEF), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    D3D9SetDeviceLost(true);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    IDirect3DDevice9* second = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = TestWindow();
    EXPECT_EQ(
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &second),
        D3DERR_DEVICELOST);
    D3D9SetDeviceLost(false);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(rt->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(lr.pBits), 0u);  // dropped
    rt->UnlockRect();
    ASSERT_EQ(managed->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(lr.pBits) & 0xFFFFFF, 0x123456u);  // kept
    managed->UnlockRect(0);
    ASSERT_EQ(
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &second),
        D3D_OK);
    EXPECT_EQ(second->TestCooperativeLevel(), D3D_OK);
    second->Release();
    rt->Release();
    managed->Release();
}

TEST_F(ResourcesTest, CreationFailureSwitches) {
    D3D9FailCreation("CreateTexture", 1);
    IDirect3DTexture9* t = nullptr;
    EXPECT_TRUE(FAILED(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr)));
    EXPECT_EQ(t, nullptr);
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    t->Release();
    D3D9FailCreation("Direct3DCreate9", -1);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    D3D9FailCreation("Direct3DCreate9", 0);
    IDirect3D9* again = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(again, nullptr);
    again->Release();
}

// Pixel memory the system refuses: every creation answers E_OUTOFMEMORY with no object, as a device
// does, and works again once memory is there.
TEST_F(ResourcesTest, PixelMemoryTheSystemRefusesIsOutOfMemory) {
    const struct {
        const char* what;
        std::function<HRESULT(IUnknown**)> create;
    } cases[] = {
        {"texture",
         [this](IUnknown** made) {
             return device->CreateTexture(64, 64, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          reinterpret_cast<IDirect3DTexture9**>(made), nullptr);
         }},
        {"render-target texture",
         [this](IUnknown** made) {
             return device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                          reinterpret_cast<IDirect3DTexture9**>(made), nullptr);
         }},
        {"volume texture",
         [this](IUnknown** made) {
             return device->CreateVolumeTexture(8, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                reinterpret_cast<IDirect3DVolumeTexture9**>(made), nullptr);
         }},
        {"render target",
         [this](IUnknown** made) {
             return device->CreateRenderTarget(64, 64, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                               reinterpret_cast<IDirect3DSurface9**>(made), nullptr);
         }},
        {"depth surface",
         [this](IUnknown** made) {
             return device->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                      reinterpret_cast<IDirect3DSurface9**>(made), nullptr);
         }},
        {"offscreen surface",
         [this](IUnknown** made) {
             return device->CreateOffscreenPlainSurface(64, 64, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                        reinterpret_cast<IDirect3DSurface9**>(made), nullptr);
         }},
        {"vertex buffer",
         [this](IUnknown** made) {
             return device->CreateVertexBuffer(256, 0, 0, D3DPOOL_MANAGED,
                                               reinterpret_cast<IDirect3DVertexBuffer9**>(made), nullptr);
         }},
        {"index buffer",
         [this](IUnknown** made) {
             return device->CreateIndexBuffer(256, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                              reinterpret_cast<IDirect3DIndexBuffer9**>(made), nullptr);
         }},
    };
    for (const auto& c : cases) {
        IUnknown* made = reinterpret_cast<IUnknown*>(uintptr_t(1));
        D3D9FailCreation("PixelMemory", -1);
        EXPECT_EQ(c.create(&made), E_OUTOFMEMORY) << c.what;
        EXPECT_EQ(made, nullptr) << c.what;
        D3D9FailCreation("PixelMemory", 0);
        ASSERT_EQ(c.create(&made), D3D_OK) << c.what;
        made->Release();
    }
}

TEST_F(ResourcesTest, ShadersAreRefusedButConstantsAreKept) {
    const DWORD code[] = {0xFFFF0200, 0x0000FFFF};
    IDirect3DPixelShader9* ps = nullptr;
    EXPECT_TRUE(FAILED(device->CreatePixelShader(code, &ps)));
    EXPECT_EQ(ps, nullptr);
    D3DCAPS9 caps;
    device->GetDeviceCaps(&caps);
    EXPECT_EQ(caps.PixelShaderVersion & 0xFFFF, 0u);
    EXPECT_EQ(caps.VertexShaderVersion & 0xFFFF, 0u);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP);
    EXPECT_FALSE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP);
    EXPECT_EQ(caps.MaxTextureWidth, 2048u);
    const float v[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(device->SetVertexShaderConstantF(254, v, 2), D3D_OK);
    EXPECT_EQ(device->SetVertexShaderConstantF(255, v, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetPixelShaderConstantF(222, v, 2), D3D_OK);
    EXPECT_EQ(device->SetPixelShaderConstantF(223, v, 2), D3DERR_INVALIDCALL);
    float back[8] = {};
    ASSERT_EQ(device->GetVertexShaderConstantF(254, back, 2), D3D_OK);
    EXPECT_EQ(back[7], 8.0f);
    ASSERT_EQ(device->GetPixelShaderConstantF(222, back, 2), D3D_OK);
    EXPECT_EQ(back[4], 5.0f);
}

TEST_F(ResourcesTest, TraceRecordsCallsWithArguments) {
    D3D9SetTraceEnabled(true);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    device->SetTexture(0, nullptr);
    auto trace = D3D9TakeTrace();
    std::vector<std::string> expected{
        "IDirect3DDevice9::SetRenderState(27, 1)", "IDirect3DDevice9::SetTextureStageState(1, 1, 1)",
        "IDirect3DDevice9::Clear(0, NULL, 1, 4278255360, 1, 0)", "IDirect3DDevice9::SetTexture(0, NULL)"};
    EXPECT_EQ(trace, expected);
    D3D9SetTraceEnabled(false);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    EXPECT_TRUE(D3D9TakeTrace().empty());
}

TEST_F(ResourcesTest, PresentShowsTheBackBufferRectangles) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    D3DRECT left{0, 0, 16, 32};
    device->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    auto picture = D3D9GetPresentedPicture();
    ASSERT_EQ(picture.width, 32u);
    EXPECT_EQ(picture.pixels[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(picture.pixels[31] & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(picture.window, TestWindow());
    RECT src{0, 0, 16, 16}, dst{16, 16, 32, 32};
    ASSERT_EQ(device->Present(&src, &dst, nullptr, nullptr), D3D_OK);
    picture = D3D9GetPresentedPicture();
    EXPECT_EQ(picture.pixels[31 * 32 + 31] & 0xFFFFFF, 0xFFFFFFu);  // the white half moved right
    EXPECT_EQ(picture.pixels[0] & 0xFFFFFF, 0xFFFFFFu);             // the rest kept from the last frame
}

TEST_F(ResourcesTest, ClearIsClippedToTheViewport) {
    D3DVIEWPORT9 vp{4, 4, 8, 8, 0, 1};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    auto px = ReadTarget();
    EXPECT_EQ(px[4 * 32 + 4] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[11 * 32 + 11] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[12 * 32 + 11] & 0xFFFFFF, 0u);
    EXPECT_EQ(px[3 * 32 + 4] & 0xFFFFFF, 0u);
    D3DVIEWPORT9 too_big{30, 0, 8, 8, 0, 1};
    EXPECT_EQ(device->SetViewport(&too_big), D3DERR_INVALIDCALL);
}

}  // namespace
}  // namespace d3d9_test
