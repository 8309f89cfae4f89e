// The Theora movie's Direct3D YUV surface: the format chosen in the order YV12, YUY2, UYVY, the shown
// frame written in that format's layout, and the surface made again after the device's resources were
// released or when it will not lock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/text_movie/theora_movie.h"
#include "platform/d3d9/yuv_surface.h"
#include "tests/graphics/device_fixture.h"
#include "tests/text_movie/movie_fixtures.h"

namespace {

struct Planes {
    std::vector<uint8_t> y, u, v;
};

// The columns [left, left + width) of the oracle's planar frame (left and width even).
Planes OraclePlanes(int frame, int left, int width) {
    const uint8_t* y = OracleYuvFrame(frame);
    const uint8_t* u = y + kFixtureWidth * kFixtureHeight;
    const uint8_t* v = u + kFixtureWidth * kFixtureHeight / 4;
    Planes p;
    for (int row = 0; row < kFixtureHeight; ++row)
        p.y.insert(p.y.end(), y + row * kFixtureWidth + left, y + row * kFixtureWidth + left + width);
    for (int row = 0; row < kFixtureHeight / 2; ++row) {
        const int at = row * (kFixtureWidth / 2) + left / 2;
        p.u.insert(p.u.end(), u + at, u + at + width / 2);
        p.v.insert(p.v.end(), v + at, v + at + width / 2);
    }
    return p;
}

// The surface's picture of the given width read back through a lock, by the layout of its format. For
// the pair formats the chroma of a 2 x 2 block is taken from its upper row; `rowsAgree` says whether the
// lower row repeats it.
Planes ReadSurface(IDirect3DSurface9* surface, D3DFORMAT format, int w, bool* rowsAgree) {
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    const int pitch = locked.Pitch, h = kFixtureHeight;
    Planes p;
    *rowsAgree = true;
    if (format == D3DFMT_YV12) {
        const uint8_t* vPlane = bits + pitch * h;
        const uint8_t* uPlane = vPlane + (pitch / 2) * (h / 2);
        for (int row = 0; row < h; ++row) p.y.insert(p.y.end(), bits + row * pitch, bits + row * pitch + w);
        for (int row = 0; row < h / 2; ++row) {
            p.u.insert(p.u.end(), uPlane + row * (pitch / 2), uPlane + row * (pitch / 2) + w / 2);
            p.v.insert(p.v.end(), vPlane + row * (pitch / 2), vPlane + row * (pitch / 2) + w / 2);
        }
    } else {
        const int luma = format == D3DFMT_YUY2 ? 0 : 1, chroma = 1 - luma;
        for (int row = 0; row < h; ++row)
            for (int x = 0; x < w; ++x) p.y.push_back(bits[row * pitch + x * 2 + luma]);
        for (int row = 0; row < h; row += 2)
            for (int pair = 0; pair < w / 2; ++pair) {
                const uint8_t* upper = bits + row * pitch + pair * 4;
                const uint8_t* lower = upper + pitch;
                p.u.push_back(upper[chroma]);
                p.v.push_back(upper[chroma + 2]);
                *rowsAgree =
                    *rowsAgree && upper[chroma] == lower[chroma] && upper[chroma + 2] == lower[chroma + 2];
            }
    }
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    return p;
}

uint32_t OggChecksum(const uint8_t* page, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(page[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// The movie with its picture narrowed to `width` columns from column `left` of the coded frame: the
// identification header alone fills the first page, whose checksum is made again.
std::vector<uint8_t> WithPicture(std::vector<uint8_t> movie, int width, int left) {
    const size_t header = 27 + movie[26];
    movie[header + 14] = 0;
    movie[header + 15] = 0;
    movie[header + 16] = uint8_t(width);
    movie[header + 20] = uint8_t(left);
    const size_t page = header + movie[27];
    std::fill(movie.begin() + 22, movie.begin() + 26, 0);
    const uint32_t crc = OggChecksum(movie.data(), page);
    for (int i = 0; i < 4; ++i) movie[22 + size_t(i)] = uint8_t(crc >> (8 * i));
    return movie;
}

class TheoraSurfaceTest : public graphics_test::DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        InitYuvToRgbTables();
        bytes_ = ReadMovieFixture("tiny.ogv");
    }
    void TearDown() override {
        Close();
        DeviceFixture::TearDown();
    }
    TheoraMovie* Open(const std::vector<uint8_t>& bytes) {
        bytes_ = bytes;
        return Open();
    }
    TheoraMovie* Open() {
        stream_ = OpenMemoryStream(bytes_.data(), uint32_t(bytes_.size()));
        movie_ = OpenTheoraMovie(MemoryFileTable(), stream_, 10, 0);
        return movie_;
    }
    void Close() {
        if (movie_) CloseTheoraMovie(movie_);
        if (stream_) CloseMemoryStream(stream_);
        movie_ = nullptr;
        stream_ = 0;
    }
    static IDirect3DSurface9* Surface(TheoraMovie* m) {
        return static_cast<IDirect3DSurface9*>(GetTheoraSurface(m));
    }
    // The surface holds the oracle's frame exactly, in the layout of its format.
    static void ExpectSurfaceShows(TheoraMovie* m, int frame) {
        ASSERT_NE(Surface(m), nullptr);
        EXPECT_EQ(m->surfaceCurrent, 1);
        bool rowsAgree = false;
        const int width = int(m->info.frame_width);
        const Planes got = ReadSurface(Surface(m), D3DFORMAT(m->surfaceFourcc), width, &rowsAgree);
        const Planes want = OraclePlanes(frame, int(m->info.offset_x), width);
        EXPECT_TRUE(got.y == want.y) << "Y plane";
        EXPECT_TRUE(got.u == want.u) << "U plane";
        EXPECT_TRUE(got.v == want.v) << "V plane";
        EXPECT_TRUE(rowsAgree);
    }
    static int SurfaceCreations(const std::vector<std::string>& trace) {
        int n = 0;
        for (const std::string& call : trace)
            n += call.rfind("IDirect3DDevice9::CreateOffscreenPlainSurface", 0) == 0;
        return n;
    }

    std::vector<uint8_t> bytes_;
    uintptr_t stream_ = 0;
    TheoraMovie* movie_ = nullptr;
};

TEST_F(TheoraSurfaceTest, FormatsAreTriedInTheOrderYv12Yuy2Uyvy) {
    struct Case {
        bool yv12, yuy2, uyvy;
        uint32_t chosen;
        int tries;
    };
    const Case cases[] = {
        {true, true, true, uint32_t(D3DFMT_YV12), 1},
        {false, true, true, uint32_t(D3DFMT_YUY2), 2},
        {false, false, true, uint32_t(D3DFMT_UYVY), 3},
        {false, false, false, 0, 3},
    };
    MakeDevice(64, 64);
    for (const Case& c : cases) {
        D3D9SetYuvSurfaceFormats(c.yv12, c.yuy2, c.uyvy);
        StartTrace();
        TheoraMovie* m = Open();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(SurfaceCreations(TakeTrace()), c.tries) << c.chosen;
        EXPECT_EQ(m->surfaceFourcc, c.chosen);
        if (c.chosen == 0) {
            EXPECT_EQ(Surface(m), nullptr);
        } else {
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(Surface(m)->GetDesc(&desc), D3D_OK);
            EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
            EXPECT_EQ(uint32_t(desc.Format), c.chosen);
            EXPECT_EQ(desc.Width, UINT(kFixtureWidth));
            EXPECT_EQ(desc.Height, UINT(kFixtureHeight));
            ExpectSurfaceShows(m, 0);
        }
        // The frame image is made either way.
        EXPECT_EQ(m->imageCurrent, 1);
        Close();
    }
}

TEST_F(TheoraSurfaceTest, OnlyPicturesOfWholeChromaBlocksGetASurface) {
    struct Case {
        int width, left;
        bool surface;
    };
    const Case cases[] = {{30, 2, true}, {31, 0, false}, {30, 1, false}};
    MakeDevice(64, 64);
    const std::vector<uint8_t> plain = bytes_;
    for (const Case& c : cases) {
        StartTrace();
        TheoraMovie* m = Open(WithPicture(plain, c.width, c.left));
        ASSERT_NE(m, nullptr) << c.width << " from " << c.left;
        ASSERT_EQ(int(m->info.frame_width), c.width);
        ASSERT_EQ(int(m->info.offset_x), c.left);
        EXPECT_EQ(SurfaceCreations(TakeTrace()), c.surface ? 1 : 0);
        if (c.surface) ExpectSurfaceShows(m, 0);
        EXPECT_EQ(Surface(m) != nullptr, c.surface);
        EXPECT_EQ(m->imageCurrent, 1);
        Close();
    }
}

TEST_F(TheoraSurfaceTest, SoftwareModeMakesNoSurface) {
    MakeDevice(64, 64);
    Direct3DMode = 0;
    StartTrace();
    TheoraMovie* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(SurfaceCreations(TakeTrace()), 0);
    EXPECT_EQ(Surface(m), nullptr);
    EXPECT_EQ(UpdateTheoraImage(m, 0, 1, 0), 0);
}

TEST_F(TheoraSurfaceTest, AnUpdateFillsTheSurfaceWithTheShownFrame) {
    MakeDevice(64, 64);
    TheoraMovie* m = Open();
    ASSERT_NE(m, nullptr);
    AdvanceTheoraFrame(m, 5);
    EXPECT_EQ(m->surfaceCurrent, 0);
    EXPECT_EQ(UpdateTheoraImage(m, 0, 1, 0), 1);
    ExpectSurfaceShows(m, 5);
    // Wanted only as the surface: the image still holds frame 0.
    EXPECT_EQ(m->imageCurrent, 0);
    EXPECT_EQ(UpdateTheoraImage(m, 0, 1, 0), 0);
}

TEST_F(TheoraSurfaceTest, InvalidationDropsTheSurfaceAndTheNextUpdateMakesItAgain) {
    MakeDevice(64, 64);
    TheoraMovie* m = Open();
    ASSERT_NE(m, nullptr);
    ASSERT_NE(Surface(m), nullptr);
    EXPECT_EQ(InvalidateTheoraImage(m), 0);
    EXPECT_EQ(Surface(m), nullptr);
    EXPECT_EQ(m->surfaceInvalid.load(), 1);
    EXPECT_EQ(m->imageCurrent, 0);
    EXPECT_EQ(m->surfaceCurrent, 0);
    EXPECT_EQ(UpdateTheoraImage(m, 1, 1, 0), 1);
    EXPECT_EQ(m->surfaceInvalid.load(), 0);
    EXPECT_EQ(m->imageCurrent, 1);
    ExpectSurfaceShows(m, 0);
}

TEST_F(TheoraSurfaceTest, ASurfaceThatWillNotLockIsMadeAgain) {
    MakeDevice(64, 64);
    TheoraMovie* m = Open();
    ASSERT_NE(m, nullptr);
    IDirect3DSurface9* stuck = Surface(m);
    stuck->AddRef();
    D3DLOCKED_RECT held{};
    ASSERT_EQ(stuck->LockRect(&held, nullptr, 0), D3D_OK);
    AdvanceTheoraFrame(m, 2);
    EXPECT_EQ(UpdateTheoraImage(m, 0, 1, 0), 1);
    EXPECT_NE(Surface(m), stuck);
    ExpectSurfaceShows(m, 2);

    // When no surface can be made any more, the frame goes to the image alone.
    ASSERT_EQ(Surface(m)->LockRect(&held, nullptr, 0), D3D_OK);
    D3D9FailCreation("CreateOffscreenPlainSurface", -1);
    AdvanceTheoraFrame(m, 1);
    EXPECT_EQ(UpdateTheoraImage(m, 1, 1, 0), 1);
    EXPECT_EQ(Surface(m), nullptr);
    EXPECT_EQ(m->surfaceCurrent, 0);
    EXPECT_EQ(m->imageCurrent, 1);
    stuck->UnlockRect();
    stuck->Release();
}

}  // namespace
