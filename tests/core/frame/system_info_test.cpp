#include "engine/core/frame/system_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "engine/image/color_format.h"
#include "engine/image/soft_image.h"
#include "platform/host/host.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/user_test_support.h"
#include "tests/core/log_capture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SystemInfoLog : public LogCapture {
  protected:
    void SetUp() override {
        LogCapture::SetUp();
        saved_mode_ = GetClockMode();
        SetClockMode(ClockMode::kVirtual);
    }
    void TearDown() override {
        SetClockMode(saved_mode_);
        LogCapture::TearDown();
    }
    ClockMode saved_mode_ = ClockMode::kReal;
};

TEST_F(SystemInfoLog, BlockNamesTheLibraryProcessorsSystemAndCpu) {
    ASSERT_EQ(LogSystemInformation(), 0);
    std::string log = ReadLog();
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    EXPECT_THAT(log, HasSubstr(":システムの情報を出力します\r\n"));
    EXPECT_THAT(log, HasSubstr(":\tＴＶライブラリ Ver3.10a\r\n"));
    EXPECT_THAT(log,
                HasSubstr(":\t論理プロセッサの数 : " + std::to_string(system.dwNumberOfProcessors) + "\r\n"));
    EXPECT_THAT(log, HasSubstr(":\tＯＳ  Windows7 ( Build 7601 Service Pack 1 )\r\n"));
    const SystemInformation& info = GetSystemInformation();
    EXPECT_EQ(info.processorCount, static_cast<int>(system.dwNumberOfProcessors));
    EXPECT_EQ(info.osVersionCode, OS_WIN7);
    EXPECT_EQ(info.directXVersion, 0x70000);
#if defined(__x86_64__)
    // Every x86-64 processor has a time-stamp counter, MMX, SSE and SSE2.
    EXPECT_THAT(log, HasSubstr("ＣＰＵ動作速度：大体"));
    EXPECT_THAT(log, HasSubstr("\tＭＭＸ命令を使用します\r\n"));
    EXPECT_THAT(log, HasSubstr("\tＳＳＥ命令が使用可能です\r\n"));
    EXPECT_THAT(log, HasSubstr("\tＳＳＥ２命令が使用可能です\r\n"));
    EXPECT_THAT(log, testing::ContainsRegex("ＣＰＵベンダ：(GenuineIntel|AuthenticAMD|[ -~]{12})\r\n"));
    EXPECT_TRUE(info.cpuHasTsc && info.cpuHasMmx && info.cpuHasSse && info.cpuHasSse2);
#endif
    EXPECT_EQ(log.find("ＯＳ  "), log.rfind("ＯＳ  ")) << "one OS line";
}

TEST_F(SystemInfoLog, FeatureLinesFollowTheLevel) {
    LogCpuFeatureLines(CpuFeatureLevel(true, true, true, false));
    std::string log = ReadLog();
    EXPECT_THAT(log, HasSubstr("ＭＭＸ命令を使用します\r\n"));
    EXPECT_THAT(log, HasSubstr("ＳＳＥ命令が使用可能です\r\n"));
    EXPECT_THAT(log, Not(HasSubstr("ＳＳＥ２")));
    LogCpuFeatureLines(CpuFeatureLevel(true, false, true, true));
    LogCpuFeatureLines(CpuFeatureLevel(false, true, true, true));
    log = ReadLog();
    EXPECT_THAT(log, HasSubstr("ＭＭＸは使えません\r\n")) << "SSE without MMX counts as no MMX";
    EXPECT_THAT(log, HasSubstr("ＣＰＵＩＤ命令は使えません\r\n"));
}

TEST(OsVersionCodeTest, TableOfSystems) {
    struct Case {
        DWORD platform, major, minor;
        const char* service;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32s, 3, 10, "", OS_WIN31, "3.1"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "", OS_WIN95, "95"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "C", OS_WIN95, "95OSR2"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, "A", OS_WIN98, "98SE"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, "", OS_WINME, "Me"},
        {VER_PLATFORM_WIN32_NT, 3, 51, "", OS_WINNT351, "NT 3.51"},
        {VER_PLATFORM_WIN32_NT, 4, 0, "", OS_WINNT4, "4.0"},
        {VER_PLATFORM_WIN32_NT, 5, 0, "", OS_WIN2000, "2000"},
        {VER_PLATFORM_WIN32_NT, 5, 1, "", OS_WINXP, "XP"},
        {VER_PLATFORM_WIN32_NT, 6, 0, "", OS_WINVISTA, "Vista"},
        {VER_PLATFORM_WIN32_NT, 6, 1, "", OS_WIN7, "7"},
        {VER_PLATFORM_WIN32_NT, 10, 0, "", OS_WIN7, "7"},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        std::strcpy(version.szCSDVersion, c.service);
        const char* text = nullptr;
        EXPECT_EQ(OsVersionCodeOf(version, &text), c.code) << c.text;
        EXPECT_STREQ(text, c.text);
    }
}

class LayeredOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetWindowStandInForTests();
        WNDCLASSEXA window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.lpszClassName = "LayeredOutput";
        ASSERT_NE(RegisterClassExA(&window_class), 0);
        // A captioned layered window whose client area is 3 x 2.
        RECT rect{0, 0, 3, 2};
        AdjustWindowRectEx(&rect, kStyle, FALSE, WS_EX_LAYERED);
        caption_ = -rect.top;
        window_ = CreateWindowExA(WS_EX_LAYERED, "LayeredOutput", "", kStyle | WS_VISIBLE, 0, 0,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_NE(window_, nullptr);
        HMODULE user32 = LoadLibraryA("user32");
        target_.window = window_;
        target_.captionHeight = caption_;
        target_.transparentColor = 0x00FF00;
        target_.updateLayeredWindow = reinterpret_cast<decltype(target_.updateLayeredWindow)>(
            GetProcAddress(user32, "UpdateLayeredWindow"));
        ASSERT_NE(target_.updateLayeredWindow, nullptr);
        saved_code_ = GetSystemInformation().osVersionCode;
    }
    void TearDown() override {
        GetSystemInformation().osVersionCode = saved_code_;
        DeleteLayeredWindowBitmap();
        ResetWindowStandInForTests();
    }
    std::vector<uint32_t> Shown() {
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        EXPECT_TRUE(HostReadPicture(window_, &pixels, &width, &height));
        EXPECT_EQ(width, 3);
        EXPECT_EQ(height, 2);
        pixels.resize(6);
        return pixels;
    }
    static constexpr DWORD kStyle = 0x80CA0000u;
    HWND window_ = nullptr;
    int caption_ = 0;
    int saved_code_ = 0;
    LayeredWindowTarget target_{};
};

TEST_F(LayeredOutputTest, TransparentColourPixelsAreFullyTransparentInEveryFormatAndSystem) {
    SoftImage xrgb{};
    ASSERT_EQ(CreateSoftImageXrgb8(3, 2, &xrgb), 0);
    const uint32_t colours[6] = {0x00FF00, 0x123456, 0xFFFFFF, 0x000000, 0x00FF00, 0xFE00FF};
    for (int i = 0; i < 6; ++i)
        SetImagePixelRgba(&xrgb, i % 3, i / 3, colours[i] >> 16, (colours[i] >> 8) & 0xFF, colours[i] & 0xFF,
                          255);
    SoftImage rgb565{};
    ColorFormat format565;
    BuildColorFormat(&format565, 16, 0xF800, 0x07E0, 0x001F, 0, 0, 0, 0);
    ASSERT_EQ(CreateSoftImage(3, 2, &format565, &rgb565), 0);
    for (int i = 0; i < 6; ++i)
        SetImagePixelRgba(&rgb565, i % 3, i / 3, colours[i] >> 16, (colours[i] >> 8) & 0xFF,
                          colours[i] & 0xFF, 255);
    // The system of this stand-in (Windows 7) keys both formats into alpha; older systems key the
    // converted picture by colour (shown here with the 32-bit image).
    struct Case {
        int code;
        SoftImage* image;
        bool exact;  // the image's colours survive unchanged
    };
    for (const Case& c :
         {Case{OS_WIN7, &xrgb, true}, Case{OS_WIN7, &rgb565, false}, Case{OS_WINXP, &xrgb, true}}) {
        GetSystemInformation().osVersionCode = c.code;
        ASSERT_EQ(LayeredWindowPresent(c.image, target_), 0);
        std::vector<uint32_t> shown = Shown();
        for (int i : {0, 4}) EXPECT_EQ(shown[i] >> 24, 0u) << "key pixel " << i << " os " << c.code;
        for (int i : {1, 2, 3, 5}) {
            EXPECT_EQ(shown[i] >> 24, 0xFFu) << i;
            if (c.exact) {
                EXPECT_EQ(shown[i] & 0xFFFFFF, colours[i]) << i;
            }
        }
        // White and black stay white and black in every format.
        EXPECT_EQ(shown[2], 0xFFFFFFFFu);
        EXPECT_EQ(shown[3], 0xFF000000u);
    }
    ReleaseSoftImage(&xrgb);
    ReleaseSoftImage(&rgb565);
}

TEST_F(LayeredOutputTest, NothingShownWithoutTheEntryPointOrAnImage) {
    SoftImage image{};
    ASSERT_EQ(CreateSoftImageXrgb8(3, 2, &image), 0);
    LayeredWindowTarget missing = target_;
    missing.updateLayeredWindow = nullptr;
    EXPECT_EQ(LayeredWindowPresent(&image, missing), -1);
    EXPECT_EQ(LayeredWindowPresent(nullptr, target_), -1);
    ReleaseSoftImage(&image);
}

}  // namespace
