#include "engine/core/frame/system_info.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/core/frame/millisecond_clock.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "engine/image/color_format.h"
#include "engine/image/pixel_convert.h"
#include "engine/image/soft_image.h"
#include "platform/gdi/gdi32.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/winmm.h"

namespace {

constexpr const char* kLibraryVersion = "3.10a";
constexpr int kClockMeasureMilliseconds = 100;

struct CpuId {
    bool available = false;
    char vendor[13] = {};
    bool tsc = false, mmx = false, sse = false, sse2 = false;
    char brand[49] = {};
};

CpuId ReadCpuId() {
    CpuId cpu;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax, ebx, ecx, edx;
    if (__get_cpuid_max(0, nullptr) == 0) return cpu;
    cpu.available = true;
    __cpuid(0, eax, ebx, ecx, edx);
    std::memcpy(cpu.vendor, &ebx, 4);
    std::memcpy(cpu.vendor + 4, &edx, 4);
    std::memcpy(cpu.vendor + 8, &ecx, 4);
    __cpuid(1, eax, ebx, ecx, edx);
    cpu.tsc = edx & (1u << 4);
    cpu.mmx = edx & (1u << 23);
    cpu.sse = edx & (1u << 25);
    cpu.sse2 = edx & (1u << 26);
    if (__get_cpuid_max(0x80000000u, nullptr) > 0x80000003u) {
        for (unsigned int leaf = 0; leaf < 3; ++leaf) {
            unsigned int regs[4];
            __cpuid(0x80000002u + leaf, regs[0], regs[1], regs[2], regs[3]);
            std::memcpy(cpu.brand + 16 * leaf, regs, 16);
        }
    }
#endif
    return cpu;
}

uint64_t ReadTimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return 0;
#endif
}

// Cycles of the time-stamp counter over 100 ms of the millisecond clock; the wait sleeps, so that a
// virtual clock moves on. 0 without the clock.
int64_t MeasureCycles() {
    int start = GetMillisecondCount();
    if (start < 0) return 0;
    uint64_t first = ReadTimeStampCounter();
    while (MillisecondsBetween(start, GetMillisecondCount()) < kClockMeasureMilliseconds) Sleep(1);
    return static_cast<int64_t>(ReadTimeStampCounter() - first);
}

void LogCpuFeaturesOf(int level) {
    switch (level) {
        case 0:
            LogText("ＣＰＵＩＤ命令は使えません\n");
            break;
        case 1:
            LogText("ＭＭＸは使えません\n");
            break;
        default:
            LogText("ＭＭＸ命令を使用します\n");
            if (level >= 4) LogText("ＳＳＥ命令が使用可能です\n");
            if (level >= 5) LogText("ＳＳＥ２命令が使用可能です\n");
            break;
    }
}

struct LayeredBitmap {
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

LayeredBitmap& CachedBitmap() {
    static LayeredBitmap bitmap;
    return bitmap;
}

bool PrepareBitmap(int width, int height) {
    LayeredBitmap& cached = CachedBitmap();
    if (cached.bitmap && cached.width == width && cached.height == height) return true;
    DeleteLayeredWindowBitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    cached.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!cached.bitmap) return false;
    cached.pixels = static_cast<uint32_t*>(bits);
    cached.width = width;
    cached.height = height;
    std::memset(cached.pixels, 0, static_cast<size_t>(width) * height * 4);
    return true;
}

bool IsFormat(const ColorFormat& format, int depth, uint32_t red, uint32_t green, uint32_t blue) {
    return format.formatCode == COLOR_FORMAT_PLAIN && format.bitDepth == depth && format.redMask == red &&
           format.greenMask == green && format.blueMask == blue;
}

// The image as 32-bit pixels into the rows below the caption: key-coloured pixels 0 (transparent), every
// other pixel opaque.
void ConvertKeyedToAlpha(const SoftImage& image, uint32_t key, uint32_t* out, int out_pitch) {
    const auto* base = static_cast<const uint8_t*>(image.pixels);
    if (IsFormat(image.format, 32, 0xFF0000, 0xFF00, 0xFF)) {
        for (int y = 0; y < image.height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(base + static_cast<size_t>(y) * image.pitch);
            for (int x = 0; x < image.width; ++x)
                out[y * out_pitch + x] = (row[x] & 0xFFFFFF) == key ? 0 : (row[x] | 0xFF000000u);
        }
        return;
    }
    if (IsFormat(image.format, 16, 0xF800, 0x07E0, 0x001F)) {
        uint16_t packed_key = static_cast<uint16_t>(((key >> 19) & 0x1F) << 11 | ((key >> 10) & 0x3F) << 5 |
                                                    ((key >> 3) & 0x1F));
        for (int y = 0; y < image.height; ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(base + static_cast<size_t>(y) * image.pitch);
            for (int x = 0; x < image.width; ++x) {
                uint16_t v = row[x];
                out[y * out_pitch + x] = v == packed_key ? 0
                                                         : 0xFF000000u | ScaleChannel(v >> 11, 5, 8) << 16 |
                                                               ScaleChannel((v >> 5) & 0x3F, 6, 8) << 8 |
                                                               ScaleChannel(v & 0x1F, 5, 8);
            }
        }
        return;
    }
    ColorFormat xrgb;
    SetColorFormatXrgb8(&xrgb);
    RECT all{0, 0, image.width, image.height};
    ConvertPixelFormatBlit(out, out_pitch * 4, &xrgb, image.pixels, image.pitch, &image.format, nullptr, 0,
                           nullptr, 0, 0, &all, 0, 0, 0, 0, 0, 0, 0, 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint32_t& pixel = out[y * out_pitch + x];
            pixel = (pixel & 0xFFFFFF) == key ? 0 : (pixel | 0xFF000000u);
        }
}

}  // namespace

SystemInformation& GetSystemInformation() {
    static SystemInformation information{};
    return information;
}

int OsVersionCodeOf(const OSVERSIONINFOA& version, const char** text) {
    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            *text = "3.1";
            return OS_WIN31;
        case VER_PLATFORM_WIN32_WINDOWS:
            if (version.dwMinorVersion >= 90) return *text = "Me", OS_WINME;
            if (version.dwMinorVersion >= 10)
                return *text = version.szCSDVersion[0] == 'A' ? "98SE" : "98", OS_WIN98;
            *text = version.szCSDVersion[0] == 'C' ? "95OSR2" : "95";
            return OS_WIN95;
        default:
            if (version.dwMajorVersion <= 3) return *text = "NT 3.51", OS_WINNT351;
            if (version.dwMajorVersion == 4) return *text = "4.0", OS_WINNT4;
            if (version.dwMajorVersion == 5)
                return version.dwMinorVersion == 0 ? (*text = "2000", OS_WIN2000) : (*text = "XP", OS_WINXP);
            if (version.dwMajorVersion == 6 && version.dwMinorVersion == 0)
                return *text = "Vista", OS_WINVISTA;
            *text = "7";
            return OS_WIN7;
    }
}

void LogCpuFeatureLines(int level) {
    LogCpuFeaturesOf(level);
}

int CpuFeatureLevel(bool cpuid, bool mmx, bool sse, bool sse2) {
    if (!cpuid) return 0;
    if (!mmx) return 1;
    if (!sse) return 3;
    return sse2 ? 5 : 4;
}

int LogSystemInformation() {
    SystemInformation& info = GetSystemInformation();
    LogText("システムの情報を出力します\n");
    LogIndentIn();
    LogPrintf("ＴＶライブラリ Ver%s", kLibraryVersion);

    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    info.processorCount = static_cast<int>(system.dwNumberOfProcessors);
    LogPrintf("論理プロセッサの数 : %d", info.processorCount);

    LogText("ＯＳ  ");
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    const char* os_text = "";
    info.osVersionCode = OsVersionCodeOf(version, &os_text);
    int build = version.dwPlatformId == VER_PLATFORM_WIN32_NT
                    ? static_cast<int>(version.dwBuildNumber)
                    : static_cast<int>(version.dwBuildNumber & 0xFFFF);
    char csd[sizeof(version.szCSDVersion) + 1] = {};
    std::memcpy(csd, version.szCSDVersion, sizeof(version.szCSDVersion));
    std::snprintf(info.osDescription, sizeof(info.osDescription), "Windows%s ( Build %d %s )", os_text, build,
                  csd);
    LogPrintf("%s", info.osDescription);

    info.directXVersion = 0x70000;
    if (systemFunctions.timeGetDevCaps && systemFunctions.timeBeginPeriod) {
        TIMECAPS caps{};
        if (systemFunctions.timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR)
            systemFunctions.timeBeginPeriod(caps.wPeriodMin);
    }

    CpuId cpu = ReadCpuId();
    int level = CpuFeatureLevel(cpu.available, cpu.mmx, cpu.sse, cpu.sse2);
    info.cpuHasTsc = cpu.tsc;
    info.cpuHasMmx = level >= 3;
    info.cpuHasSse = level >= 4;
    info.cpuHasSse2 = level >= 5;
    if (cpu.tsc) {
        info.cpuMeasuredCycles = MeasureCycles();
        info.cpuMegahertz = static_cast<int>(info.cpuMeasuredCycles / 100000);
        LogPrintf("ＣＰＵ動作速度：大体%.2fGHz", info.cpuMegahertz / 1000.0);
    }
    LogCpuFeatureLines(level);
    if (cpu.available) {
        LogText("ＣＰＵベンダ：");
        for (int piece = 0; piece < 3; ++piece) {
            char four[5] = {};
            std::memcpy(four, cpu.vendor + 4 * piece, 4);
            LogText(four);
        }
        LogText("\n");
        if (cpu.brand[0]) {
            std::snprintf(info.cpuName, sizeof(info.cpuName), "%s", cpu.brand);
            LogPrintf("ＣＰＵ名：%s", info.cpuName);
        }
    }
    LogIndentOut();
    return 0;
}

int LayeredWindowPresent(const SoftImage* image, const LayeredWindowTarget& target) {
    if (!image || !image->pixels || image->width <= 0 || image->height <= 0 || !target.window) return -1;
    int caption = target.captionHeight > 0 ? target.captionHeight : 0;
    HDC screen_dc = GetDC(nullptr);
    HDC window_dc = GetDC(target.window);
    int result = -1;
    if (PrepareBitmap(image->width, image->height + caption)) {
        LayeredBitmap& cached = CachedBitmap();
        uint32_t key = target.transparentColor & 0xFFFFFF;
        uint32_t* below_caption = cached.pixels + static_cast<size_t>(caption) * cached.width;
        bool old_system = GetSystemInformation().osVersionCode < OS_WINVISTA;
        DWORD flags;
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (old_system) {
            for (int i = 0; i < caption * cached.width; ++i) cached.pixels[i] = key;
            ColorFormat xrgb;
            SetColorFormatXrgb8(&xrgb);
            RECT all{0, 0, image->width, image->height};
            ConvertPixelFormatBlit(below_caption, cached.width * 4, &xrgb, image->pixels, image->pitch,
                                   &image->format, nullptr, 0, nullptr, 0, 0, &all, 0, 0, 0, 0, 0, 0, 0, 0);
            flags = ULW_COLORKEY;
        } else {
            ConvertKeyedToAlpha(*image, key, below_caption, cached.width);
            flags = ULW_ALPHA;
        }
        HDC memory_dc = CreateCompatibleDC(window_dc);
        HGDIOBJ old = SelectObject(memory_dc, cached.bitmap);
        SIZE size{cached.width, cached.height};
        POINT origin{0, 0};
        COLORREF key_color = RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
        if (target.updateLayeredWindow &&
            target.updateLayeredWindow(target.window, screen_dc, nullptr, &size, memory_dc, &origin,
                                       key_color, &blend, flags))
            result = 0;
        SelectObject(memory_dc, old);
        DeleteDC(memory_dc);
    }
    ReleaseDC(target.window, window_dc);
    ReleaseDC(nullptr, screen_dc);
    return result;
}

void DeleteLayeredWindowBitmap() {
    LayeredBitmap& cached = CachedBitmap();
    if (cached.bitmap) DeleteObject(cached.bitmap);
    cached = LayeredBitmap{};
}
