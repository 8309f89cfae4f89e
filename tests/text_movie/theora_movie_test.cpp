#include "engine/text_movie/theora_movie.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/kernel/clock.h"
#include "tests/text_movie/movie_fixtures.h"

namespace {

// swscale rounds where the fixed-point tables truncate: one step either way.
constexpr int kRgbTolerance = 1;

struct OpenMovie {
    std::vector<uint8_t> bytes;
    uintptr_t stream = 0;
    TheoraMovie* movie = nullptr;

    explicit OpenMovie(std::vector<uint8_t> data, int stock = 10) : bytes(std::move(data)) {
        stream = OpenMemoryStream(bytes.data(), uint32_t(bytes.size()));
        movie = OpenTheoraMovie(MemoryFileTable(), stream, stock, 0);
    }
    ~OpenMovie() {
        CloseTheoraMovie(movie);
        CloseMemoryStream(stream);
    }
};

// Largest difference between the shown frame's planes and the oracle's frame; -1 without a slot.
int YuvDifference(TheoraMovie* movie, int oracleFrame) {
    const TheoraFrameSlot* slot = FindTheoraSlot(movie, GetTheoraCurrentFrame(movie));
    if (!slot) return -1;
    const uint8_t* oracle = OracleYuvFrame(oracleFrame);
    const int offsetX = int(movie->info.offset_x), offsetY = int(movie->info.offset_y);
    int worst = 0;
    for (int p = 0; p < 3; p++) {
        const int shift = p == 0 ? 0 : 1;
        const int w = kFixtureWidth >> shift, h = kFixtureHeight >> shift;
        const int stride = p == 0 ? slot->yWidth : slot->chromaWidth;
        const uint8_t* plane = oracle + (p == 0   ? 0
                                         : p == 1 ? kFixtureWidth * kFixtureHeight
                                                  : kFixtureWidth * kFixtureHeight * 5 / 4);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                int ours =
                    slot->planes[p][size_t((y + (offsetY >> shift)) * stride + x + (offsetX >> shift))];
                worst = std::max(worst, std::abs(ours - plane[y * w + x]));
            }
    }
    return worst;
}

int RgbDifference(TheoraMovie* movie, int oracleFrame) {
    const SoftImage* image = GetTheoraImage(movie);
    const uint8_t* oracle = OracleRgbFrame(oracleFrame);
    int worst = 0;
    for (int y = 0; y < kFixtureHeight; y++)
        for (int x = 0; x < kFixtureWidth; x++) {
            const uint8_t* ours = static_cast<const uint8_t*>(image->pixels) + y * image->pitch + x * 4;
            const uint8_t* want = oracle + (y * kFixtureWidth + x) * 3;
            worst = std::max({worst, std::abs(ours[2] - want[0]), std::abs(ours[1] - want[1]),
                              std::abs(ours[0] - want[2])});
            if (ours[3] != 255) return 1000;
        }
    return worst;
}

void ExpectShows(TheoraMovie* movie, int frame) {
    ASSERT_EQ(GetTheoraCurrentFrame(movie), frame);
    UpdateTheoraImage(movie, 1, 0, 0);
    EXPECT_EQ(YuvDifference(movie, frame), 0) << "frame " << frame;
    EXPECT_LE(RgbDifference(movie, frame), kRgbTolerance) << "frame " << frame;
}

class TheoraMovieTest : public ::testing::Test {
  protected:
    void SetUp() override { InitYuvToRgbTables(); }
};

TEST_F(TheoraMovieTest, ReportsTheStreamAndShowsFrameZeroOnOpen) {
    for (const char* name : {"tiny.ogv", "tiny_sound.ogv"}) {
        OpenMovie open(ReadMovieFixture(name));
        ASSERT_NE(open.movie, nullptr) << name;
        TheoraMovieInfo info{};
        ASSERT_EQ(GetTheoraMovieInfo(open.movie, &info), 0);
        EXPECT_DOUBLE_EQ(info.framesPerSecond, 10.0);
        EXPECT_EQ(info.frameCount, kFixtureFrames);
        EXPECT_EQ(info.width, kFixtureWidth);
        EXPECT_EQ(info.height, kFixtureHeight);
        EXPECT_EQ(GetTheoraImage(open.movie)->width, kFixtureWidth);
        EXPECT_EQ(GetTheoraImage(open.movie)->height, kFixtureHeight);
        // The open converted frame 0 already: there is nothing left to do for the image.
        EXPECT_EQ(open.movie->imageCurrent, 1);
        EXPECT_EQ(UpdateTheoraImage(open.movie, 1, 0, 0), 0);
        EXPECT_LE(RgbDifference(open.movie, 0), kRgbTolerance) << name;
    }
}

TEST_F(TheoraMovieTest, IndexesKeyframesAsTheEncoderMarkedThem) {
    OpenMovie open(ReadMovieFixture("tiny.ogv"));
    ASSERT_NE(open.movie, nullptr);
    std::vector<uint8_t> flags = ReadMovieFixture("tiny_keyframes.txt");
    ASSERT_EQ(flags.size(), size_t(kFixtureFrames));
    for (int f = 0; f < kFixtureFrames; f++) EXPECT_EQ(open.movie->keyframes[f], flags[f] - '0') << f;
}

TEST_F(TheoraMovieTest, EveryFrameInTurnMatchesTheOracle) {
    for (const char* name : {"tiny.ogv", "tiny_sound.ogv"}) {
        SCOPED_TRACE(name);
        OpenMovie open(ReadMovieFixture(name));
        ASSERT_NE(open.movie, nullptr);
        ExpectShows(open.movie, 0);
        for (int f = 1; f < kFixtureFrames; f++) {
            AdvanceTheoraFrame(open.movie, 1);
            ExpectShows(open.movie, f);
        }
    }
}

TEST_F(TheoraMovieTest, SmallStocksAndJumpsStillShowTheRightFrames) {
    struct Case {
        int stock;
        std::vector<int> steps;
    };
    const Case cases[] = {
        {1, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},  // one slot: every frame, then the wrap
        {3, {5, 2, 4, 1, 9}},                    // jumps past the stock, over keyframes and the wrap
        {10, {3, 3, 3, 3, 3, 3, 3, 3}},          // three passes through a looping movie
        {2, {27}},                               // more than two passes at once
    };
    for (const Case& c : cases) {
        OpenMovie open(ReadMovieFixture("tiny.ogv"), c.stock);
        ASSERT_NE(open.movie, nullptr);
        int expected = 0;
        for (int step : c.steps) {
            AdvanceTheoraFrame(open.movie, step);
            expected = (expected + step) % kFixtureFrames;
            SCOPED_TRACE("stock " + std::to_string(c.stock) + " step " + std::to_string(step));
            ExpectShows(open.movie, expected);
        }
    }
}

TEST_F(TheoraMovieTest, AdvanceBelowOneDoesNothing) {
    OpenMovie open(ReadMovieFixture("tiny.ogv"));
    ASSERT_NE(open.movie, nullptr);
    for (int n : {0, -1, -20}) {
        AdvanceTheoraFrame(open.movie, n);
        EXPECT_EQ(GetTheoraCurrentFrame(open.movie), 0);
        EXPECT_EQ(open.movie->imageCurrent, 1);
    }
}

TEST_F(TheoraMovieTest, SeeksToAnyFrameThroughItsKeyframe) {
    OpenMovie open(ReadMovieFixture("tiny.ogv"), 3);
    ASSERT_NE(open.movie, nullptr);
    const int targets[][2] = {{9, 9}, {5, 5}, {3, 3}, {8, 8}, {1, 1}, {0, 0}, {42, 9}, {-4, 0}, {7, 7}};
    for (const auto& target : targets) {
        SeekTheoraMovie(open.movie, target[0]);
        SCOPED_TRACE(target[0]);
        ExpectShows(open.movie, target[1]);
    }
}

// A file cut anywhere either is refused or plays the frames it still holds, each as the oracle shows it.
TEST_F(TheoraMovieTest, TruncatedFilesAreRefusedOrPlayWhatTheyHold) {
    const std::vector<uint8_t> whole = ReadMovieFixture("tiny.ogv");
    int refused = 0, opened = 0;
    for (size_t cut = 0; cut < whole.size(); cut += 97) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + ptrdiff_t(cut));
        OpenMovie open(part, 4);
        if (!open.movie) {
            refused++;
            continue;
        }
        opened++;
        TheoraMovieInfo info{};
        GetTheoraMovieInfo(open.movie, &info);
        ASSERT_GE(info.frameCount, 1);
        ASSERT_LE(info.frameCount, kFixtureFrames);
        for (int f = 0; f < info.frameCount + 2; f++) {
            SCOPED_TRACE("cut " + std::to_string(cut) + " frame " + std::to_string(f));
            ExpectShows(open.movie, f % info.frameCount);
            AdvanceTheoraFrame(open.movie, 1);
        }
    }
    // Cuts inside the headers are refused, later ones open: both sides were seen.
    EXPECT_GT(refused, 0);
    EXPECT_GT(opened, 0);
}

TEST_F(TheoraMovieTest, FilesWithoutATheoraStreamAreRefused) {
    std::vector<uint8_t> corruptHeader = ReadMovieFixture("tiny.ogv");
    corruptHeader[28 + 1] ^= 0xFF;  // the "theora" signature of the first header packet
    const std::vector<std::vector<uint8_t>> files = {
        {},
        {'O', 'g', 'g'},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '},
        {'O', 'g', 'g', 'S', 0, 2, 0, 0},
        ReadMovieFixture("../../sound/fixtures/tone_mono.ogg"),  // Ogg with only a Vorbis stream
        corruptHeader,
    };
    for (size_t i = 0; i < files.size(); i++) {
        OpenMovie open(files[i]);
        EXPECT_EQ(open.movie, nullptr) << "file " << i;
    }
}

// Damaged frame data never stops the decoder or reaches outside its buffers.
TEST_F(TheoraMovieTest, DamagedFrameDataStillPlays) {
    const std::vector<uint8_t> whole = ReadMovieFixture("tiny.ogv");
    for (size_t at = whole.size() / 3; at < whole.size(); at += 211) {
        std::vector<uint8_t> damaged = whole;
        for (size_t i = at; i < std::min(damaged.size(), at + 16); i++) damaged[i] ^= 0x5A;
        OpenMovie open(damaged, 2);
        if (!open.movie) continue;
        TheoraMovieInfo info{};
        GetTheoraMovieInfo(open.movie, &info);
        for (int f = 0; f < info.frameCount * 2; f++) {
            UpdateTheoraImage(open.movie, 1, 0, 0);
            AdvanceTheoraFrame(open.movie, 1);
        }
        EXPECT_LT(GetTheoraCurrentFrame(open.movie), info.frameCount);
    }
}

TEST_F(TheoraMovieTest, ClosingWhileTheThreadFillsTheStock) {
    for (int i = 0; i < 20; i++) {
        OpenMovie open(ReadMovieFixture("tiny.ogv"), 1 + i % 5);
        ASSERT_NE(open.movie, nullptr);
        AdvanceTheoraFrame(open.movie, i % 7);
    }
}

}  // namespace

// On the virtual clock the decode thread's idle wait ends only when the owning (pumping) thread moves the
// clock; that thread's waits for a frame or a seek must still end.
TEST_F(TheoraMovieTest, JumpsAndSeeksEndOnTheVirtualClock) {
    SetClockMode(ClockMode::kVirtual);
    ClaimVirtualClock();
    {
        OpenMovie open(ReadMovieFixture("tiny.ogv"), 2);
        ASSERT_NE(open.movie, nullptr);
        Sleep(50);
        usleep(20000);  // real time: the thread has filled its stock and idles
        AdvanceTheoraFrame(open.movie, 5);
        ExpectShows(open.movie, 5);
        Sleep(50);
        usleep(20000);
        SeekTheoraMovie(open.movie, 2);
        ExpectShows(open.movie, 2);
        Sleep(50);
        usleep(20000);
        SeekTheoraMovie(open.movie, 8);
        ExpectShows(open.movie, 8);
    }
    SetClockMode(ClockMode::kReal);
}
