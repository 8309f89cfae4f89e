// The capability probe: flags, chosen formats, its log and the read-back timing.
#include "engine/graphics/device/device_probe.h"
#include "tests/graphics/device/device_fixture.h"

TEST_F(DeviceTest, DefaultProfileProbeLog) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    ExpectLinesInOrder({
        "画面のフォーマットは D3DFMT_X8R8G8B8 です",
        "Ｚバッファのフォーマットは D3DFMT_D16 です",
        "16bit カラーフォーマットは D3DFMT_R5G6B5 です",
        "32bit カラーフォーマットは D3DFMT_X8R8G8B8 です",
        "アルファ付き 16bit カラーフォーマットは D3DFMT_A4R4G4B4 です",
        "アルファ付き 32bit カラーフォーマットは D3DFMT_A8R8G8B8 です",
        "アルファテスト用 16bit カラーフォーマットは D3DFMT_A1R5G5B5 です",
        "アルファテスト用 32bit カラーフォーマットは D3DFMT_A8R8G8B8 です",
        "ＤＸＴ１テクスチャフォーマットはD3DFMT_DXT1 です",
        "ＤＸＴ５テクスチャフォーマットはD3DFMT_DXT5 です",
        "描画用 16bit カラーフォーマットは D3DFMT_R5G5B5 です",
        "描画用 32bit カラーフォーマットは D3DFMT_X8R8G8B8 です",
        "描画用ABGR整数16ビット型カラーフォーマットは D3DFMT_A16B16G16R16 です",
        "最大テクスチャサイズ　幅:2048 高さ:2048",
        "減算合成のハードウェア対応：ネイティブ",
        "ハードウェア頂点シェーダーバージョンコード：0",
        "エミュレーション頂点シェーダーバージョンコード：fffe0000",
        "ピクセルシェーダーバージョンコード：ffff0000",
        "バックバッファロック転送の時間:0nsec  一時的な描画可能バッファを使用した転送の時間:0nsec",
        "バックバッファロックを使用しません",
    });
    EXPECT_EQ(deviceFormatTable.display, 22);
    EXPECT_EQ(deviceFormatTable.depth, 80);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(deviceFormatTable.textureDxt[i], int(MAKEFOURCC('D', 'X', 'T', '1' + i)));
    EXPECT_EQ(deviceFormatTable.target16, 24);
    // The device takes the desktop's 32 bits: the screen formats are the 32-bit ones.
    EXPECT_EQ(deviceFormatTable.screenTarget, deviceFormatTable.target32);
    EXPECT_EQ(deviceFormatTable.screenAlphaTest, 21);
    EXPECT_EQ(deviceCapabilityFlags.nativeSubtractive, 1);
    EXPECT_EQ(deviceCapabilityFlags.maxTextureSize, 2048);
    EXPECT_EQ(deviceCapabilityFlags.backBufferLock, 0);
    EXPECT_NE(BackBufferSurface, nullptr);
}

// Every render-target entry is the first candidate the device offers: with the wide formats the first of
// each list where the device renders to it (no luminance target), without them the 8-bit fallbacks or 0.
TEST_F(DeviceTest, RenderTargetEntriesFollowWhatTheDeviceOffers) {
    struct Case {
        int32_t DeviceFormatTable::*field;
        int withWide, withoutWide;
    };
    const Case cases[] = {
        {&DeviceFormatTable::targetAbgrInt16, 36, 0},    {&DeviceFormatTable::targetAbgrFloat16, 113, 0},
        {&DeviceFormatTable::targetAbgrFloat32, 116, 0}, {&DeviceFormatTable::targetOneInt8, 21, 21},
        {&DeviceFormatTable::targetOneInt16, 34, 0},     {&DeviceFormatTable::targetOneFloat16, 111, 0},
        {&DeviceFormatTable::targetOneFloat32, 114, 0},  {&DeviceFormatTable::targetTwoInt8, 21, 21},
        {&DeviceFormatTable::targetTwoInt16, 34, 0},     {&DeviceFormatTable::targetTwoFloat16, 112, 0},
        {&DeviceFormatTable::targetTwoFloat32, 115, 0},
    };
    for (bool wide : {true, false}) {
        D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
        profile.wide_formats = wide;
        D3D9SetCapabilityProfile(profile);
        MakeDirect3D();
        ASSERT_EQ(ProbeDeviceFormats(), 0);
        for (const Case& c : cases)
            EXPECT_EQ(deviceFormatTable.*c.field, wide ? c.withWide : c.withoutWide)
                << "wide " << wide << " entry " << (&c - cases);
        ResetDirect3DSystemForTests();
    }
}

// A device without DXT, wide or 24-bit depth formats: the DXT entries hold their fallbacks and log that
// they cannot be used, the wide render targets are missing.
TEST_F(DeviceTest, ProfileWithoutExtraFormatsFallsBack) {
    D3D9CapabilityProfile profile = D3D9DefaultCapabilityProfile();
    profile.dxt_formats = false;
    profile.wide_formats = false;
    profile.depth24_formats = false;
    D3D9SetCapabilityProfile(profile);
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    ExpectLinesInOrder({
        "ＤＸＴ１テクスチャフォーマットは使えません",
        "ＤＸＴ５テクスチャフォーマットは使えません",
        "使用できる描画用ABGR整数16ビット型カラーフォーマットがありませんでした",
    });
    EXPECT_EQ(deviceFormatTable.textureDxt[0], deviceFormatTable.textureAlphaTest16);
    EXPECT_EQ(deviceFormatTable.textureDxt[0], 25);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(deviceFormatTable.textureDxt[i], 21) << i;
    EXPECT_EQ(deviceFormatTable.targetAbgrInt16, 0);
}

TEST_F(DeviceTest, ShaderTwoProfileLogsHardwareShaders) {
    D3D9CapabilityProfile profile;
    profile.vertex_shader_version = D3DVS_VERSION(2, 0);
    profile.pixel_shader_version = D3DPS_VERSION(2, 0);
    profile.blend_op = false;
    profile.tss_arg_temp = true;
    D3D9SetCapabilityProfile(profile);
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    ExpectLinesInOrder({
        "テクスチャステージテンポラリレジスタ：使用可",
        "減算合成のハードウェア対応：エミュレート",
        "ハードウェア頂点シェーダーバージョンコード：fffe0200",
        "エミュレーション頂点シェーダーバージョンコード：エミュレーション無し",
        "ピクセルシェーダーバージョンコード：ffff0200",
    });
    EXPECT_EQ(deviceCapabilityFlags.vertexShader2, 1);
    EXPECT_EQ(deviceCapabilityFlags.pixelShader2, 1);
    EXPECT_EQ(deviceCapabilityFlags.nativeSubtractive, 0);
    EXPECT_EQ(deviceCapabilityFlags.tempRegister, 1);
}

TEST_F(DeviceTest, ZeroMaximumTextureSizeBecomes256) {
    D3D9CapabilityProfile profile;
    profile.max_texture_width = 0;
    profile.max_texture_height = 0;
    D3D9SetCapabilityProfile(profile);
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_EQ(deviceCapabilityFlags.maxTextureWidth, 256);
    EXPECT_EQ(deviceCapabilityFlags.maxTextureHeight, 256);
    EXPECT_EQ(DeviceCaps.MaxTextureWidth, 256u);
    EXPECT_EQ(DeviceCaps.MaxTextureHeight, 256u);
}

struct ReadBackCase {
    const char* failing;
    const char* line;
    int lockFlag;
};
void PrintTo(const ReadBackCase& c, std::ostream* out) {
    *out << c.failing;
}

class ReadBackTest : public DeviceTest, public ::testing::WithParamInterface<ReadBackCase> {};

// A render-target path that fails after its start is slower than any lock; a lock path that cannot start
// leaves nothing to compare.
TEST_P(ReadBackTest, FailedPathDecides) {
    MakeDirect3D();
    D3D9FailCreation(GetParam().failing, -1);
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_TRUE(Logged(GetParam().line));
    EXPECT_EQ(deviceCapabilityFlags.backBufferLock, GetParam().lockFlag);
}

INSTANTIATE_TEST_SUITE_P(Paths, ReadBackTest,
                         ::testing::Values(ReadBackCase{"CreateRenderTarget",
                                                        "バックバッファロックを使用します", 1},
                                           ReadBackCase{"CreateOffscreenPlainSurface",
                                                        "バックバッファロックはロックできません", 0}));

TEST_F(DeviceTest, RenderTargetFailureLogsTheLowWordOfItsTime) {
    MakeDirect3D();
    D3D9FailCreation("CreateRenderTarget", -1);
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_TRUE(
        Logged("バックバッファロック転送の時間:0nsec  一時的な描画可能バッファを使用した転送の時間:-1nsec"));
}

TEST_F(DeviceTest, SmallScreenShrinksTheTimingSurfaces) {
    SetScreenSize(200, 150);
    MakeDirect3D();
    D3D9SetTraceEnabled(true);
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    std::vector<std::string> trace = D3D9TakeTrace();
    // Two system surfaces in each of three passes.
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateOffscreenPlainSurface(128, 128, 22, 2, ptr, NULL)"), 6);
    EXPECT_EQ(Count(trace, "IDirect3DDevice9::CreateRenderTarget(128, 128, 22, 0, 0, 0, ptr, NULL)"), 3);
}

TEST_F(DeviceTest, ProbeWithoutDirect3DObjectFails) {
    EXPECT_EQ(ProbeDeviceFormats(), -1);
}

TEST_F(DeviceTest, ProbePassesDeviceCreationFailureOn) {
    D3D9SetExAvailable(true);
    MakeDirect3D();
    D3D9FailCreation("CreateDeviceEx", -1);
    EXPECT_EQ(ProbeDeviceFormats(), -2);
}

TEST_F(DeviceTest, SixteenBitDesktopPrefersItsOwnRenderTargetLayout) {
    D3D9CapabilityProfile profile;
    profile.desktop_format = D3DFMT_R5G6B5;
    D3D9SetCapabilityProfile(profile);
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    EXPECT_TRUE(Logged("画面のフォーマットは D3DFMT_R5G6B5 です"));
    EXPECT_TRUE(Logged("描画用 16bit カラーフォーマットは D3DFMT_R5G6B5 です"));
    EXPECT_EQ(GetColorDepth(), 16);
    EXPECT_EQ(deviceFormatTable.screenTarget, 23);
    EXPECT_EQ(deviceFormatTable.screenAlphaTest, 25);
}

// The stand-in shows only the three formats the library names; the log lines are checked on their own.
TEST_F(DeviceTest, UnknownDisplayFormatIsLoggedByNumberAndNamedNull) {
    LogDisplayFormat(21);
    ExpectLinesInOrder(
        {"バックバッファが対応していないフォーマット 21 です", "画面のフォーマットは (null) です"});
    LogDisplayFormat(24);
    EXPECT_TRUE(Logged("画面のフォーマットは D3DFMT_X1R5G5B5 です"));
}
