#include "engine/graphics/device/device_probe.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/frame/library_init.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/device/vertical_blank.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/user_shaders.h"

namespace {

using FormatField = int32_t DeviceFormatTable::*;

struct NamedCode {
    int code;
    const char* name;
};

const char* NameOr(const char* name) {
    return name != nullptr ? name : "(null)";
}

bool FormatOffered(DWORD usage, int code) {
    return SUCCEEDED(Direct3DCheckDeviceFormat(CurrentAdapter(), D3DDEVTYPE_HAL,
                                               D3DFORMAT(deviceFormatTable.display), usage, D3DRTYPE_TEXTURE,
                                               D3DFORMAT(code)));
}

// The first offered candidate, or null.
const NamedCode* FirstOffered(DWORD usage, const std::vector<NamedCode>& candidates) {
    for (const NamedCode& candidate : candidates)
        if (FormatOffered(usage, candidate.code)) return &candidate;
    return nullptr;
}

NamedCode Named(int code) {
    return NamedCode{code, Direct3DFormatName(code)};
}

// The textures every graphic needs: a missing one ends the probe.
struct RequiredTexture {
    FormatField field;
    std::vector<NamedCode> candidates;
    const char* noneLine;
    const char* foundFormat;
};

bool ChooseRequiredTextures() {
    const std::vector<RequiredTexture> kinds = {
        {&DeviceFormatTable::texture16,
         {Named(23), Named(24)},
         "使用できる 16bit カラーフォーマットが見つかりませんでした\n",
         "16bit カラーフォーマットは %s です"},
        {&DeviceFormatTable::texture32, {Named(22)}, nullptr, "32bit カラーフォーマットは %s です"},
        {&DeviceFormatTable::textureAlpha16,
         {Named(26), Named(21)},
         "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n",
         "アルファ付き 16bit カラーフォーマットは %s です"},
        {&DeviceFormatTable::textureAlpha32,
         {Named(21), Named(26)},
         "使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n",
         "アルファ付き 32bit カラーフォーマットは %s です"},
        {&DeviceFormatTable::textureAlphaTest16,
         {Named(25), Named(21), Named(26)},
         "使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n",
         "アルファテスト用 16bit カラーフォーマットは %s です"},
        {&DeviceFormatTable::textureAlphaTest32,
         {Named(21), Named(25), Named(26)},
         "使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n",
         "アルファテスト用 32bit カラーフォーマットは %s です"},
    };
    for (const RequiredTexture& kind : kinds) {
        const NamedCode* found = FirstOffered(0, kind.candidates);
        if (found == nullptr && kind.noneLine != nullptr) {
            LogText(kind.noneLine);
            return false;
        }
        // Without a 32-bit texture format the 16-bit one serves.
        const int code = found != nullptr ? found->code : deviceFormatTable.texture16;
        deviceFormatTable.*kind.field = code;
        LogPrintf(kind.foundFormat, NameOr(Direct3DFormatName(code)));
    }
    return true;
}

void ChooseCompressedTextures() {
    static const char* const kLines[5] = {
        "ＤＸＴ１テクスチャフォーマットは%s", "ＤＸＴ２テクスチャフォーマットは%s",
        "ＤＸＴ３テクスチャフォーマットは%s", "ＤＸＴ４テクスチャフォーマットは%s",
        "ＤＸＴ５テクスチャフォーマットは%s"};
    static const char* const kFound[5] = {"D3DFMT_DXT1 です", "D3DFMT_DXT2 です", "D3DFMT_DXT3 です",
                                          "D3DFMT_DXT4 です", "D3DFMT_DXT5 です"};
    for (int i = 0; i < 5; ++i) {
        const int code = int(MAKEFOURCC('D', 'X', 'T', '1' + i));
        const bool offered = FormatOffered(0, code);
        const int fallback = i == 0 ? deviceFormatTable.textureAlphaTest16 : deviceFormatTable.textureAlpha32;
        deviceFormatTable.textureDxt[i] = offered ? code : fallback;
        LogPrintf(kLines[i], offered ? kFound[i] : "使えません");
    }
}

// Render targets: a missing one only logs.
struct TargetKind {
    FormatField field;
    std::vector<NamedCode> candidates;
    const char* label;  // between "描画用" and "カラーフォーマット"
};

void ChooseRenderTargets() {
    const NamedCode r5g6b5{23, "D3DFMT_R5G6B5"}, r5g5b5{24, "D3DFMT_R5G5B5"}, x8r8g8b8{22, "D3DFMT_X8R8G8B8"};
    const NamedCode abgr16{36, "D3DFMT_A16B16G16R16"}, abgr16f{113, "D3DFMT_A16B16G16R16F"},
        abgr32f{116, "D3DFMT_A32B32G32R32F"};
    const bool display565 = deviceFormatTable.display == 23;
    const std::vector<TargetKind> kinds = {
        {&DeviceFormatTable::target16,
         {display565 ? r5g6b5 : r5g5b5, display565 ? r5g5b5 : r5g6b5, x8r8g8b8},
         " 16bit "},
        {&DeviceFormatTable::target32, {x8r8g8b8, r5g6b5, r5g5b5}, " 32bit "},
        {&DeviceFormatTable::targetAlpha32,
         {{21, "D3DFMT_A8R8G8B8"}, {26, "D3DFMT_A4R4G4B4"}},
         "アルファ付き 32bit "},
        {&DeviceFormatTable::targetAbgrInt16, {abgr16}, "ABGR整数16ビット型"},
        {&DeviceFormatTable::targetAbgrFloat16, {abgr16f}, "ABGR浮動小数点16ビット型"},
        {&DeviceFormatTable::targetAbgrFloat32, {abgr32f, abgr16f}, "ABGR浮動小数点32ビット型"},
        {&DeviceFormatTable::targetOneInt8,
         {{50, "D3DFMT_L8"}, {51, "D3DFMT_A8L8"}, {21, "D3DFMT_A8R8G8B8"}},
         "１チャンネル整数8ビット型"},
        {&DeviceFormatTable::targetOneInt16,
         {{81, "D3DFMT_L16"}, {34, "D3DFMT_G16R16"}, abgr16},
         "１チャンネル整数16ビット型"},
        {&DeviceFormatTable::targetOneFloat16,
         {{111, "D3DFMT_R16F"}, {112, "D3DFMT_G16R16F"}, abgr16f, abgr32f},
         "１チャンネル浮動小数点16ビット型"},
        {&DeviceFormatTable::targetOneFloat32,
         {{114, "D3DFMT_R32F"}, {115, "D3DFMT_G32R32F"}, abgr32f, abgr16f},
         "１チャンネル浮動小数点32ビット型"},
        {&DeviceFormatTable::targetTwoInt8,
         {{51, "D3DFMT_V8U8"}, {21, "D3DFMT_A8B8G8R8"}},
         "２チャンネル整数8ビット型"},
        {&DeviceFormatTable::targetTwoInt16, {{34, "D3DFMT_G16R16"}, abgr16}, "２チャンネル整数16ビット型"},
        {&DeviceFormatTable::targetTwoFloat16,
         {{112, "D3DFMT_G16R16F"}, abgr16f, abgr32f},
         "２チャンネル浮動小数点16ビット型"},
        {&DeviceFormatTable::targetTwoFloat32,
         {{115, "D3DFMT_G32R32F"}, abgr32f, abgr16f},
         "２チャンネル浮動小数点32ビット型"},
    };
    for (const TargetKind& kind : kinds) {
        const NamedCode* found = FirstOffered(D3DUSAGE_RENDERTARGET, kind.candidates);
        deviceFormatTable.*kind.field = found != nullptr ? found->code : 0;
        if (found != nullptr)
            LogPrintf("描画用%sカラーフォーマットは %s です", kind.label, found->name);
        else
            LogPrintf("使用できる描画用%sカラーフォーマットがありませんでした", kind.label);
    }
}

void DeriveCapabilityFlags() {
    DeviceCapabilityFlags& flags = deviceCapabilityFlags;
    const D3DCAPS9& caps = DeviceCaps;
    if (DeviceCaps.MaxTextureWidth == 0) DeviceCaps.MaxTextureWidth = 256;
    if (DeviceCaps.MaxTextureHeight == 0) DeviceCaps.MaxTextureHeight = 256;
    flags.tempRegister = (caps.PrimitiveMiscCaps >> 10) & 1;
    flags.nativeSubtractive = (caps.PrimitiveMiscCaps >> 11) & 1;
    flags.nonPow2Conditional = (caps.TextureCaps >> 8) & 1;
    flags.pow2Required = (caps.TextureCaps >> 1) & 1;
    flags.maxTextureWidth = int32_t(caps.MaxTextureWidth);
    flags.maxTextureHeight = int32_t(caps.MaxTextureHeight);
    flags.maxTextureSize =
        flags.maxTextureWidth < flags.maxTextureHeight ? flags.maxTextureWidth : flags.maxTextureHeight;
    flags.maxPrimitiveCount = int32_t(caps.MaxPrimitiveCount);
    flags.renderTargetSlots = caps.NumSimultaneousRTs > 16 ? 16 : int32_t(caps.NumSimultaneousRTs);
    const bool hardware = !deviceCreationSettings.softwareVertexProcessing;
    flags.vertexShader2 = hardware && (caps.VertexShaderVersion & 0xFFFF) >= 0x200;
    flags.pixelShader2 = hardware && (caps.PixelShaderVersion & 0xFFFF) >= 0x200;
    flags.backBufferLock = 0;
}

void ReadDisplayFormat() {
    D3DSURFACE_DESC desc{};
    SurfaceGetDesc(BackBufferSurface, &desc);
    deviceFormatTable.display = int32_t(desc.Format);
    LogDisplayFormat(deviceFormatTable.display);
}

bool ChooseDepthFormat() {
    for (int code : {80, 77, 71}) {
        const D3DFORMAT display = D3DFORMAT(deviceFormatTable.display);
        if (SUCCEEDED(Direct3DCheckDepthStencilMatch(CurrentAdapter(), D3DDEVTYPE_HAL, display, display,
                                                     D3DFORMAT(code)))) {
            deviceFormatTable.depth = code;
            LogPrintf("Ｚバッファのフォーマットは %s です", Direct3DFormatName(code));
            return true;
        }
    }
    LogText("使用できる Zバッファフォーマットが見つかりませんでした\n");
    return false;
}

void LogDeviceFigures() {
    const D3DCAPS9& caps = DeviceCaps;
    LogPrintf("一度に描画できるプリミティブの最大数:%d", int(caps.MaxPrimitiveCount));
    LogPrintf("対応している最大頂点インデックス:%d", int(caps.MaxVertexIndex));
    LogPrintf("同時にレンダリングできるバッファの数:%d", deviceCapabilityFlags.renderTargetSlots);
    LogPrintf("最大テクスチャサイズ　幅:%d 高さ:%d", deviceCapabilityFlags.maxTextureWidth,
              deviceCapabilityFlags.maxTextureHeight);
    LogPrintf("テクスチャステージテンポラリレジスタ：%s",
              deviceCapabilityFlags.tempRegister ? "使用可" : "使用不可");
    LogPrintf("減算合成のハードウェア対応：%s",
              deviceCapabilityFlags.nativeSubtractive ? "ネイティブ" : "エミュレート");
    if (deviceCreationSettings.hardwareVertexProcessing) {
        LogPrintf("ハードウェア頂点シェーダーバージョンコード：%x", unsigned(caps.VertexShaderVersion));
        LogText("エミュレーション頂点シェーダーバージョンコード：エミュレーション無し\n");
    } else {
        LogPrintf("ハードウェア頂点シェーダーバージョンコード：%x",
                  unsigned(deviceCreationSettings.adapterVertexShaderVersion & 0xFFFF));
        LogPrintf("エミュレーション頂点シェーダーバージョンコード：%x", unsigned(caps.VertexShaderVersion));
    }
    LogPrintf("ピクセルシェーダーバージョンコード：%x", unsigned(caps.PixelShaderVersion));
}

// Read-back timing: the microseconds of each path in one pass, -1 while not measured.
struct ReadBackTimes {
    int64_t lock = -1;
    int64_t renderTarget = -1;
};

void CopyRows(const D3DLOCKED_RECT& from, const D3DLOCKED_RECT& to, int rows, int rowBytes) {
    for (int y = 0; y < rows; ++y)
        std::memcpy(static_cast<uint8_t*>(to.pBits) + int64_t(y) * to.Pitch,
                    static_cast<const uint8_t*>(from.pBits) + int64_t(y) * from.Pitch, size_t(rowBytes));
}

struct PassSurfaces {
    IDirect3DSurface9* lockTarget = nullptr;
    bool lockTargetLocked = false;
    IDirect3DSurface9* renderTarget = nullptr;
    IDirect3DSurface9* readBack = nullptr;
    ~PassSurfaces() {
        if (lockTargetLocked) SurfaceUnlockRect(lockTarget);
        ReleaseAndClear(readBack);
        ReleaseAndClear(renderTarget);
        ReleaseAndClear(lockTarget);
    }
};

// The direct lock: true when measured.
bool TimeLockPath(const D3DLOCKED_RECT& into, int edge, int rowBytes, int64_t* time) {
    const int64_t start = GetMicrosecondCount();
    const RECT area{0, 0, edge, edge};
    D3DLOCKED_RECT back{};
    if (FAILED(SurfaceLockRect(BackBufferSurface, &back, &area, D3DLOCK_READONLY))) return false;
    CopyRows(back, into, edge, rowBytes);
    SurfaceUnlockRect(BackBufferSurface);
    *time = GetMicrosecondCount() - start;
    return true;
}

// Through a render target and GetRenderTargetData. A failure after the start counts as slower than any
// lock.
void TimeRenderTargetPath(PassSurfaces& pass, const D3DLOCKED_RECT& into, int edge, int rowBytes,
                          int64_t* time) {
    const int64_t start = GetMicrosecondCount();
    const D3DFORMAT display = D3DFORMAT(deviceFormatTable.display);
    const RECT area{0, 0, edge, edge};
    D3DLOCKED_RECT read{};
    *time = INT64_MAX;
    if (FAILED(DeviceCreateRenderTarget(UINT(edge), UINT(edge), display, D3DMULTISAMPLE_NONE, 0, FALSE,
                                        &pass.renderTarget, nullptr)) ||
        FAILED(DeviceCreateOffscreenPlainSurface(UINT(edge), UINT(edge), display, D3DPOOL_SYSTEMMEM,
                                                 &pass.readBack, nullptr)) ||
        FAILED(DeviceStretchRect(BackBufferSurface, &area, pass.renderTarget, &area, D3DTEXF_NONE)) ||
        FAILED(DeviceGetRenderTargetData(pass.renderTarget, pass.readBack)) ||
        FAILED(SurfaceLockRect(pass.readBack, &read, nullptr, D3DLOCK_READONLY)))
        return;
    CopyRows(read, into, edge, rowBytes);
    SurfaceUnlockRect(pass.readBack);
    ReleaseAndClear(pass.readBack);
    ReleaseAndClear(pass.renderTarget);
    *time = GetMicrosecondCount() - start;
}

ReadBackTimes TimeOnePass() {
    ReadBackTimes times;
    int edge = 256;
    while (edge > screenSettings.width || edge > screenSettings.height) edge /= 2;
    const ColorFormat* format = GetColorFormatDescriptor(uint32_t(deviceFormatTable.display));
    if (format == nullptr || edge == 0) return times;
    const int rowBytes = edge * format->pixelBytes;
    PassSurfaces pass;
    D3DLOCKED_RECT into{};
    if (FAILED(DeviceCreateOffscreenPlainSurface(UINT(edge), UINT(edge), D3DFORMAT(deviceFormatTable.display),
                                                 D3DPOOL_SYSTEMMEM, &pass.lockTarget, nullptr)) ||
        FAILED(SurfaceLockRect(pass.lockTarget, &into, nullptr, D3DLOCK_READONLY)))
        return times;
    pass.lockTargetLocked = true;
    if (!TimeLockPath(into, edge, rowBytes, &times.lock)) return times;
    TimeRenderTargetPath(pass, into, edge, rowBytes, &times.renderTarget);
    return times;
}

void ChooseReadBackPath() {
    ReadBackTimes times;
    for (int pass = 0; pass < 3; ++pass) times = TimeOnePass();
    if (times.lock < 0 || times.renderTarget < 0) {
        LogText("バックバッファロックはロックできません\n");
        return;
    }
    LogPrintf("バックバッファロック転送の時間:%dnsec  一時的な描画可能バッファを使用した転送の時間:%dnsec",
              int32_t(uint32_t(uint64_t(times.lock))), int32_t(uint32_t(uint64_t(times.renderTarget))));
    if (times.lock < times.renderTarget) {
        deviceCapabilityFlags.backBufferLock = 1;
        LogText("バックバッファロックを使用します\n");
    } else {
        LogText("バックバッファロックを使用しません\n");
    }
}

}  // namespace

const char* Direct3DFormatName(int code) {
    switch (code) {
        case 21:
            return "D3DFMT_A8R8G8B8";
        case 22:
            return "D3DFMT_X8R8G8B8";
        case 23:
            return "D3DFMT_R5G6B5";
        case 24:
            return "D3DFMT_X1R5G5B5";
        case 25:
            return "D3DFMT_A1R5G5B5";
        case 26:
            return "D3DFMT_A4R4G4B4";
        case 71:
            return "D3DFMT_D32";
        case 77:
            return "D3DFMT_D24X8";
        case 80:
            return "D3DFMT_D16";
    }
    return nullptr;
}

// A format the library does not show is logged by its number, and its name as "(null)".
void LogDisplayFormat(int code) {
    const char* name = code == 22 || code == 23 || code == 24 ? Direct3DFormatName(code) : nullptr;
    if (name == nullptr) LogPrintf("バックバッファが対応していないフォーマット %d です", code);
    LogPrintf("画面のフォーマットは %s です", NameOr(name));
}

namespace {

// The shader model the device about to be made will have. The device's own cannot tell: it was just
// released, or none was made yet (with it, multisampling could never be kept). The adapter's
// capabilities tell it, as the shader flags derive it (none with software vertex processing forced).
int AdapterShaderModel() {
    D3DCAPS9 caps{};
    if (deviceCreationSettings.softwareVertexProcessing ||
        FAILED(direct3DSystem.direct3D->GetDeviceCaps(CurrentAdapter(), D3DDEVTYPE_HAL, &caps)))
        return 0;
    return ShaderModelFromVersions(caps.VertexShaderVersion, caps.PixelShaderVersion);
}

}  // namespace

int ProbeDeviceFormats() {
    if (!HasDirect3D9Object()) return -1;
    ReleaseAndClear(BackBufferSurface);
    ReleaseDirect3DDevice();
    sceneLatch = 0;
    if (AdapterShaderModel() < 200) {
        deviceCreationSettings.multiSampleType = 0;
        deviceCreationSettings.multiSampleQuality = 0;
    }
    const int created = CreateDirect3DDevice();
    if (created < 0) return created;
    MeasureVerticalBlankPeriod();
    ForgetCachedVertexFormatAndShaders();
    // Every later step reads the back buffer: without it there is no device to draw with.
    if (FAILED(DeviceGetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBufferSurface))) return -1;
    LogText("成功\n");
    DeviceGetDeviceCaps(&DeviceCaps);
    DeriveCapabilityFlags();
    InvalidateCachedStatesAfterProbe();
    D3DADAPTER_IDENTIFIER9 identifier{};
    Direct3DGetAdapterIdentifier(0, 0, &identifier);
    LogPrintf("Driver:%s  Description:%s", identifier.Driver, identifier.Description);
    ReadDisplayFormat();
    if (!ChooseDepthFormat() || !ChooseRequiredTextures()) return -1;
    ChooseCompressedTextures();
    ChooseRenderTargets();
    const bool deep = screenSettings.colorBits == 32;
    deviceFormatTable.screenTarget = deep ? deviceFormatTable.target32 : deviceFormatTable.target16;
    deviceFormatTable.screenAlphaTest =
        deep ? deviceFormatTable.textureAlphaTest32 : deviceFormatTable.textureAlphaTest16;
    LogDeviceFigures();
    ChooseReadBackPath();
    return 0;
}
