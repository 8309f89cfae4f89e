// Graphics made by the loader threads: the handle comes at once and is found only by the relaxed lookup
// until its job has ended; a load that fails leaves no handle.
#include <unistd.h>

#include "engine/core/frame/library_init.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/handles/graphic_loading.h"
#include "tests/graphics/handles/graphics_fixture.h"
#include "tests/wait_until.h"

namespace {

class GraphicAsyncLoadTest : public GraphicsTest {
  protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        Start();
        ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
        SetAsyncLoadEnabled(1);
    }
    void TearDown() override {
        SetAsyncLoadEnabled(0);
        StopAsyncLoadThreads();
        EndAsyncLoad();
        GraphicsTest::TearDown();
    }
    // Runs the loader threads and serves their device calls until no handle is loading any more.
    static void RunLoads(std::initializer_list<int> handles) {
        ASSERT_EQ(StartAsyncLoadThreads(2), 0);
        auto loading = [&] {
            for (int h : handles)
                if (IsHandleLoading(h) == 1) return true;
            return false;
        };
        // Real pauses: the virtual clock's Sleep gives the loader threads no time to run.
        WaitUntil([&] { return !loading(); },
                  [] {
                      ProcessMainThreadRequests();
                      usleep(1000);
                  });
        ASSERT_FALSE(loading());
    }
};

TEST_F(GraphicAsyncLoadTest, LoadedGraphicIsAliveOnlyOnceItsJobHasEnded) {
    SoftImage image = RgbImage(4, 4, [](int x, int) { return x < 2 ? 0xFF0000u : 0x0000FFu; });
    const std::string path = WritePng("async.png", &image);
    ReleaseSoftImage(&image);
    const int file = LoadGraphFile(path.c_str(), 0);
    const int target = MakeDrawTarget(64, 32, 0);
    for (int handle : {file, target}) {
        ASSERT_GE(handle, 0);
        EXPECT_EQ(IsGraphicAlive(handle), 0) << std::hex << handle;
        EXPECT_EQ(LookupGraphic(handle, 0), nullptr);
        EXPECT_NE(LookupGraphic(handle, 1), nullptr);
        EXPECT_EQ(SelectDrawTarget(handle), -1);
    }
    ASSERT_NO_FATAL_FAILURE(RunLoads({file, target}));
    EXPECT_EQ(IsGraphicAlive(file), 1);
    EXPECT_EQ(IsGraphicAlive(target), 1);
    IDirect3DTexture9* texture = Tile(file, 0).texture;
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(Texel(texture, 0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Texel(texture, 3, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(TextureDesc(Tile(target, 0).texture).Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(SelectDrawTarget(target), 0);
    SelectDrawTarget(-2);
}

TEST_F(GraphicAsyncLoadTest, FailedLoadLeavesNoGraphic) {
    const int before = handleTypes[kGraphicHandleType].count;
    const int missing = LoadGraphFile(("C:" + folder_ + "/absent.png").c_str(), 0);
    ASSERT_GE(missing, 0);
    EXPECT_NE(LookupGraphic(missing, 1), nullptr);
    ASSERT_NO_FATAL_FAILURE(RunLoads({missing}));
    EXPECT_EQ(IsGraphicAlive(missing), 0);
    EXPECT_EQ(LookupGraphic(missing, 1), nullptr);
    EXPECT_EQ(handleTypes[kGraphicHandleType].count, before);
}

}  // namespace
