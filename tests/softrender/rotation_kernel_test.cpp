#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/triangle_kernels.h"
#include "tests/softrender/image_test_support.h"

namespace {

using softtest::GuardedSurface;
using softtest::Source;

constexpr uint32_t kBlank = 0xEEEEEEEE;
constexpr int kSize = 40;

// The texel (tx, ty) a destination pixel shows, or none.
using Mapping = std::function<bool(int x, int y, int* tx, int* ty)>;

class RotationKernel : public testing::Test {
  protected:
    void SetUp() override {
        softtest::EnsureTables();
        softtest::SetState({0, 0, kSize, kSize, 0, 255, 0xFFFFFF});
        ASSERT_EQ(InitMemImg(&source.whole, 7, 5, -1, 0xFFFFFFFF, 1, 0, 0, 0, nullptr), 0);
        for (int j = 0; j < 5; ++j)
            for (int i = 0; i < 7; ++i) source.Put(i, j, 0x01000000u | uint32_t(j) << 16 | uint32_t(i));
        source.used = &source.whole;
    }
    std::unique_ptr<GuardedSurface> Draw(float angle, float scale, int mirror = 0) {
        auto d = std::make_unique<GuardedSurface>(1, kSize, kSize);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) d->Set(x, y, kBlank);
        SoftDrawImageRotated(&d->img, source.used, 20, 20, angle, scale, 0, mirror, nullptr);
        return d;
    }
    // Every pixel shows what `map` says, and pixels outside the image keep their value.
    static void Expect(const GuardedSurface& d, const Mapping& map) {
        int drawn = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                int tx, ty;
                const uint32_t want =
                    map(x, y, &tx, &ty) ? 0x01000000u | uint32_t(ty) << 16 | uint32_t(tx) : kBlank;
                drawn += want != kBlank;
                ASSERT_EQ(d.Get(x, y), want) << x << "," << y;
            }
        }
        EXPECT_GT(drawn, 0);
    }
    static bool Inside(int tx, int ty, int* outX, int* outY) {
        *outX = tx, *outY = ty;
        return tx >= 0 && tx < 7 && ty >= 0 && ty < 5;
    }
    Source source;
};

// Texel (w >> 1, h >> 1) = (3, 2) lands on the centre (20, 20).
TEST_F(RotationKernel, UnturnedUnscaled) {
    Expect(*Draw(0.0f, 1.0f), [](int x, int y, int* tx, int* ty) { return Inside(x - 17, y - 18, tx, ty); });
}

TEST_F(RotationKernel, QuarterAndHalfTurns) {
    Expect(*Draw(3.14159265f / 2, 1.0f),
           [](int x, int y, int* tx, int* ty) { return Inside(y - 20 + 3, 20 + 2 - x, tx, ty); });
    Expect(*Draw(3.14159265f, 1.0f),
           [](int x, int y, int* tx, int* ty) { return Inside(3 - (x - 20), 2 - (y - 20), tx, ty); });
}

// Scaled, the source's middle lies on the centre pixel's top-left corner and pixels sample at their centres.
TEST_F(RotationKernel, Scales) {
    auto floorDiv2 = [](int v) { return v >= 0 ? v / 2 : -((1 - v) / 2); };
    Expect(*Draw(0.0f, 2.0f), [&](int x, int y, int* tx, int* ty) {
        return Inside(floorDiv2(x - 20 + 7), floorDiv2(y - 20 + 5), tx, ty);
    });
    Expect(*Draw(0.0f, 0.5f),
           [](int x, int y, int* tx, int* ty) { return Inside(4 + 2 * (x - 20), 3 + 2 * (y - 20), tx, ty); });
    // A negative scale turns the picture by a half turn about the centre texel.
    Expect(*Draw(0.0f, -1.0f),
           [](int x, int y, int* tx, int* ty) { return Inside(3 - (x - 20), 2 - (y - 20), tx, ty); });
    auto none = Draw(0.7f, 0.0f);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) ASSERT_EQ(none->Get(x, y), kBlank);
}

// At scale 1.5 on a source with even sides, every third pixel centre lies on a texel edge: it shows the
// texel after the edge (the mirrored texel after the reflected edge), as the device shows it, however far
// the walk has stepped from the box's corner. The source is the 6x4 corner of the 7x5 one.
TEST_F(RotationKernel, ScaledCentresOnTexelEdgesTakeTheTexelAfter) {
    CreateMemImgView(&source.view, &source.whole, 0, 0, 6, 4);
    ASSERT_TRUE(IsMemImgValid(&source.view));
    source.used = &source.view;
    auto floorDiv3 = [](int v) { return v >= 0 ? v / 3 : -((2 - v) / 3); };
    // The middle (3, 2) lies on the centre pixel's top-left corner: pixel x shows u = 3 + (2x - 39) / 3.
    for (int mirror : {0, 1}) {
        SCOPED_TRACE(mirror);
        Expect(*Draw(0.0f, 1.5f, mirror), [&](int x, int y, int* tx, int* ty) {
            const int u3 = 2 * x - 30, v3 = 2 * y - 33;  // three times the positions
            if (u3 < 0 || u3 >= 18 || v3 < 0 || v3 >= 12) return false;
            *tx = mirror ? std::min(floorDiv3(18 - u3), 5) : floorDiv3(u3);
            *ty = floorDiv3(v3);
            return true;
        });
    }
}

// The mirror flag reflects the texel columns over the pixels of the unmirrored draw.
TEST_F(RotationKernel, MirrorReflectsTheColumnsInPlace) {
    Expect(*Draw(0.0f, 1.0f, 1),
           [](int x, int y, int* tx, int* ty) { return Inside(6 - (x - 17), y - 18, tx, ty); });
    Expect(*Draw(3.14159265f / 2, 1.0f, 1),
           [](int x, int y, int* tx, int* ty) { return Inside(6 - (y - 20 + 3), 20 + 2 - x, tx, ty); });
    Expect(*Draw(0.0f, 2.0f, 1), [](int x, int y, int* tx, int* ty) {
        auto floorDiv2 = [](int v) { return v >= 0 ? v / 2 : -((1 - v) / 2); };
        return Inside(6 - floorDiv2(x - 20 + 7), floorDiv2(y - 20 + 5), tx, ty);
    });
}

TEST_F(RotationKernel, EntryAndRefusals) {
    // The entry truncates the centre and passes the current target and blend image.
    auto viaEntry = std::make_unique<GuardedSurface>(1, kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) viaEntry->Set(x, y, kBlank);
    g_softDrawSurfaces = {&viaEntry->img, nullptr};
    EXPECT_EQ(SoftTargetDrawImageRotated(20.9f, 20.2f, 1.0, 0.0, &source.whole, 0, 0), 0);
    g_softDrawSurfaces = {};
    EXPECT_EQ(viaEntry->block, Draw(0.0f, 1.0f)->block);

    auto d = Draw(0.0f, 0.0f);
    const auto before = d->block;
    for (int mode : {5, 9, 12, -1}) {
        softtest::SetState({0, 0, kSize, kSize, mode, 100, 0xFFFFFF});
        SoftDrawImageRotated(&d->img, source.used, 20, 20, 0.3f, 1.0f, 0, 0, nullptr);
    }
    softtest::SetState({0, 0, kSize, kSize, 0, 255, 0xFFFFFF});
    MEMIMG tall{}, small{}, k0{};
    ASSERT_EQ(InitMemImg(&tall, 1, 4097, -1, 0, 1, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&small, 7, 4, -1, 0, 2, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(InitMemImg(&k0, 4, 4, -1, 0, 0, 0, 0, 0, nullptr), 0);
    SoftDrawImageRotated(&d->img, &tall, 20, 20, 0.0f, 0.01f, 0, 0, nullptr);
    SoftDrawImageRotated(&d->img, source.used, 20, 20, 0.0f, 1.0f, 0, 0, &small);
    SoftDrawImageRotated(&d->img, &k0, 20, 20, 0.0f, 1.0f, 0, 0, nullptr);
    // A clip rectangle that removes the box.
    softtest::SetState({30, 0, kSize, kSize, 0, 255, 0xFFFFFF});
    SoftDrawImageRotated(&d->img, source.used, 10, 20, 0.0f, 1.0f, 0, 0, nullptr);
    // Far outside every range: nothing is drawn and nothing is read outside the source.
    softtest::SetState({0, 0, kSize, kSize, 0, 255, 0xFFFFFF});
    SoftDrawImageRotated(&d->img, source.used, 2000000000, -2000000000, 1.0f, 1e30f, 0, 0, nullptr);
    ReleaseMemImg(&tall);
    ReleaseMemImg(&small);
    ReleaseMemImg(&k0);
    EXPECT_EQ(d->block, before);
}

}  // namespace
