// Graphics that show a movie: a movie file loaded as a graphic shows its first frame at once, draws move
// it on with the clock, the picture comes back after the device was lost, and freeing the graphic ends
// the movie. Each through the YUV surface, through the frame image, and in software mode.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/core/frame/library_init.h"
#include "engine/core/frame/system_info.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "engine/graphics/handles/graphic_movie.h"
#include "engine/graphics/loss/device_restart.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/movie_record.h"
#include "engine/text_movie/theora_movie.h"
#include "platform/d3d9/yuv_surface.h"
#include "platform/dsound/audio_output_override.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/path_mapping.h"
#include "tests/graphics/handles/graphics_fixture.h"
#include "tests/text_movie/movie_fixtures.h"
#include "tests/wait_until.h"

namespace {

// The graphic's pixels against the oracle: our fixed-point tables and the stand-in's conversion each
// round in their own way.
constexpr int kRgbTolerance = 2;

enum class Path { kSurface, kImage, kSoftware };

const char* Name(Path path) {
    return path == Path::kSurface ? "surface" : path == Path::kImage ? "image" : "software";
}

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

class MovieGraphicTest : public GraphicsTest, public ::testing::WithParamInterface<Path> {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        ClaimVirtualClock();
        InitYuvToRgbTables();
        ASSERT_EQ(RegisterMovieHandleType(), 0);
        SetColorDepthSetting(32);
        if (GetParam() == Path::kImage) D3D9SetYuvSurfaceFormats(false, false, false);
        if (GetParam() == Path::kSoftware) SetHardwareDrawEnabled(0);
        Start();
        ASSERT_EQ(Direct3DMode, GetParam() == Path::kSoftware ? 0 : 1);
        savedInitialised_ = libraryFlags.initialised;
        libraryFlags.initialised = 1;  // as after init: draws refuse to run before it
    }
    void TearDown() override {
        ShutdownGraphics();
        EndMovieHandleType();
        if (soundStarted_) EndSound();
        SetAudioOutputOverride(nullptr);
        libraryFlags.initialised = savedInitialised_;
        GraphicsTest::TearDown();
    }
    void StartSound() {
        SetAudioOutputOverride("manual");
        GetSystemInformation().processorCount = 1;
        libraryFlags.asyncLoad = 0;
        ASSERT_EQ(InitSound(), 0);
        soundStarted_ = true;
    }
    static std::string Fixture(const char* name) {
        return ToWindowsPath(std::string(KORVALUND_TEST_DIR) + "/fixtures/" + name);
    }
    static MovieRecord* MovieOf(int graphic) { return GetMovieData(Entry(graphic)->movieHandle); }

    // The graphic's pixels as 0x00RRGGBB, from its texture or its software image.
    static std::vector<uint32_t> Pixels(int graphic) {
        const GraphicEntry* entry = Entry(graphic);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < entry->height; ++y)
            for (int x = 0; x < entry->width; ++x) {
                uint32_t value = 0;
                if (entry->block->description.hasTextures)
                    value = Texel(Tile(graphic, 0).texture, x, y);
                else
                    std::memcpy(&value, entry->softView.pixels + y * entry->softView.base->pitch + x * 4, 4);
                pixels.push_back(value & 0xFFFFFF);
            }
        return pixels;
    }
    // Largest channel difference from the oracle's frame.
    static int Difference(const std::vector<uint32_t>& pixels, int frame) {
        const uint8_t* oracle = OracleRgbFrame(frame);
        int worst = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int((pixels[i] >> (16 - 8 * c)) & 255) - oracle[i * 3 + c]));
        return worst;
    }
    // The oracle frame the pixels are closest to.
    static int ClosestFrame(const std::vector<uint32_t>& pixels) {
        int best = 0;
        for (int frame = 1; frame < kFixtureFrames; ++frame)
            if (Difference(pixels, frame) < Difference(pixels, best)) best = frame;
        return best;
    }
    // The path the graphic's frames take.
    void ExpectPath(int graphic) {
        const GraphicImageBlock* block = Entry(graphic)->block;
        const TheoraMovie* decoder = MovieOf(graphic)->decoder;
        EXPECT_EQ(block->description.hasTextures, GetParam() != Path::kSoftware);
        // Software graphics can all be drawn into; a texture is a render target only to take the surface.
        if (block->description.hasTextures) {
            EXPECT_EQ(block->description.renderTarget, GetParam() == Path::kSurface);
        }
        EXPECT_EQ(decoder->surface != nullptr, GetParam() == Path::kSurface);
        if (GetParam() == Path::kSurface) {
            EXPECT_EQ(decoder->surfaceFourcc, uint32_t(D3DFMT_YV12));
        }
    }
    int Load(const char* name = "tiny.ogv") {
        const int graphic = LoadGraphFile(Fixture(name).c_str(), 0);
        EXPECT_NE(graphic, -1);
        return graphic;
    }

    bool soundStarted_ = false;
    int savedInitialised_ = 0;
};

TEST_P(MovieGraphicTest, LoadedMovieShowsItsFirstFrameBeforeItPlays) {
    const int graphic = Load();
    ASSERT_NE(graphic, -1);
    int width = 0, height = 0;
    ASSERT_EQ(GetGraphicEntrySize(graphic, 0, &width, &height), 0);
    EXPECT_EQ(width, kFixtureWidth);
    EXPECT_EQ(height, kFixtureHeight);
    ASSERT_NE(MovieOf(graphic), nullptr);
    EXPECT_EQ(MovieOf(graphic)->stopped, 1);
    ExpectPath(graphic);
    EXPECT_LE(Difference(Pixels(graphic), 0), kRgbTolerance) << Name(GetParam());
}

TEST_P(MovieGraphicTest, DrawsShowTheFrameTheClockHasReached) {
    const int graphic = Load();
    ASSERT_NE(graphic, -1);
    ASSERT_EQ(PlayMovie(Entry(graphic)->movieHandle, 1, 0), 0);
    AdvanceVirtualClock(350'000'000);
    ASSERT_EQ(DrawImageAt(0, 0, graphic, 0), 0);
    const std::vector<uint32_t> pixels = Pixels(graphic);
    const int frame = ClosestFrame(pixels);
    EXPECT_NEAR(frame, 3, 2) << Name(GetParam());
    EXPECT_LE(Difference(pixels, frame), kRgbTolerance);
    EXPECT_EQ(GetTheoraCurrentFrame(MovieOf(graphic)->decoder), frame);
}

TEST_P(MovieGraphicTest, PausedPictureComesBackAfterTheDeviceWasLost) {
    if (GetParam() == Path::kSoftware) GTEST_SKIP() << "no device to lose";
    const int graphic = Load();
    ASSERT_NE(graphic, -1);
    const int movie = Entry(graphic)->movieHandle;
    ASSERT_EQ(PlayMovie(movie, 1, 0), 0);
    AdvanceVirtualClock(350'000'000);
    ASSERT_EQ(DrawImageAt(0, 0, graphic, 0), 0);
    ASSERT_EQ(PauseMovie(movie, 0), 0);
    const std::vector<uint32_t> paused = Pixels(graphic);
    ASSERT_NE(ClosestFrame(paused), 0);

    D3D9SetDeviceLost(true);
    D3D9SetDeviceLost(false);
    ASSERT_EQ(RestartGraphicsKeepMode(), 0);
    ASSERT_EQ(Direct3DMode, 1);
    // The textures were made again empty; the next draw puts the paused frame back.
    const std::vector<uint32_t> restored = Pixels(graphic);
    EXPECT_TRUE(std::all_of(restored.begin(), restored.end(), [](uint32_t p) { return p == 0; }));
    ASSERT_EQ(DrawImageAt(0, 0, graphic, 0), 0);
    ExpectPath(graphic);
    EXPECT_EQ(Pixels(graphic), paused);
}

TEST_P(MovieGraphicTest, FreeingTheGraphicEndsItsMovie) {
    StartSound();
    // ThreadSanitizer starts a thread of its own at the process's first thread creation: a thread made
    // and joined first keeps that one out of the difference.
    std::thread([] {}).join();
    const int before = ThreadCount();
    const int graphic = Load("tiny_sound.ogv");
    ASSERT_NE(graphic, -1);
    const int movie = Entry(graphic)->movieHandle;
    const int sound = MovieOf(graphic)->soundHandle;
    ASSERT_NE(sound, -1);
    ASSERT_NE(GetHandleData(sound), nullptr);
    EXPECT_EQ(ThreadCount(), before + 1);  // the decode thread

    ASSERT_EQ(FreeGraphic(graphic, 0), 0);
    EXPECT_EQ(GetMovieData(movie), nullptr);
    EXPECT_EQ(GetHandleData(sound), nullptr);
    // The decode thread has been told to stop and was waited for; its system thread goes right after.
    WaitUntil([&] { return ThreadCount() == before; }, [] { usleep(1000); });
    EXPECT_EQ(ThreadCount(), before);
}

TEST_P(MovieGraphicTest, LoadJobMakesTheSameGraphicThroughTheMainThread) {
    ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    SetAsyncLoadEnabled(1);
    const int graphic = Load();
    SetAsyncLoadEnabled(0);
    // With a device the job needs the main thread for its device calls: it cannot have ended yet.
    if (GetParam() != Path::kSoftware) {
        EXPECT_NE(IsHandleLoading(graphic), 0);
    }
    WaitUntil([&] { return graphic == -1 || IsHandleLoading(graphic) == 0; },
              [] {
                  ProcessMainThreadRequests();
                  Sleep(1);
              });
    StopAsyncLoadThreads();
    EndAsyncLoad();
    ASSERT_NE(graphic, -1);
    ASSERT_EQ(IsHandleLoading(graphic), 0);
    ASSERT_EQ(IsGraphicAlive(graphic), 1);
    ExpectPath(graphic);
    EXPECT_LE(Difference(Pixels(graphic), 0), kRgbTolerance) << Name(GetParam());
}

TEST_P(MovieGraphicTest, AlphaBesideThePictureFillsTheAlphaOfAHalfWidthGraphic) {
    GraphicCreateParams params;
    FillGraphicCreateParams(&params);
    params.words[CREATE_ALPHA] = 1;
    const int graphic = CreateGraphicFromParams(params, kFixtureWidth / 2, kFixtureHeight, 0, 0, 0);
    ASSERT_NE(graphic, -1);
    const int32_t halfWidth = 1;
    const int movie = OpenMovie(&halfWidth, Fixture("tiny.ogv").c_str(), nullptr, nullptr, 0, 0);
    ASSERT_NE(movie, -1);
    ASSERT_EQ(SetMovieFrameCallback(movie, MovieFrameToGraphic, reinterpret_cast<void*>(uintptr_t(graphic))),
              0);
    AdvanceTheoraFrame(GetMovieData(movie)->decoder, 4);
    ASSERT_EQ(UpdateMovieFrame(movie), 0);

    // The left half is the picture; the right half's red is the alpha.
    const GraphicEntry* entry = Entry(graphic);
    const uint8_t* oracle = OracleRgbFrame(4);
    int worst = 0;
    for (int y = 0; y < kFixtureHeight; ++y)
        for (int x = 0; x < kFixtureWidth / 2; ++x) {
            uint32_t argb = 0;
            if (entry->block->description.hasTextures)
                argb = Texel(Tile(graphic, 0).texture, x, y);
            else
                std::memcpy(&argb, entry->softView.pixels + y * entry->softView.base->pitch + x * 4, 4);
            const uint8_t* picture = oracle + (y * kFixtureWidth + x) * 3;
            const uint8_t* alpha = oracle + (y * kFixtureWidth + x + kFixtureWidth / 2) * 3;
            worst = std::max(
                {worst, std::abs(int(argb >> 24) - alpha[0]), std::abs(int((argb >> 16) & 255) - picture[0]),
                 std::abs(int((argb >> 8) & 255) - picture[1]), std::abs(int(argb & 255) - picture[2])});
        }
    EXPECT_LE(worst, kRgbTolerance) << Name(GetParam());
    DeleteHandle(movie);
}

INSTANTIATE_TEST_SUITE_P(Paths, MovieGraphicTest,
                         ::testing::Values(Path::kSurface, Path::kImage, Path::kSoftware),
                         [](const ::testing::TestParamInfo<Path>& info) {
                             return std::string(Name(info.param));
                         });

}  // namespace
