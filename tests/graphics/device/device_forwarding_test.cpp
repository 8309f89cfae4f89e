// Forwarded device calls: at once on the calling thread, or run by the main thread's pump for a loader
// worker, with arguments and result carried unchanged.
#include "engine/graphics/device/device_forwarding.h"

#include <time.h>
#include <atomic>
#include <functional>

#include "engine/graphics/device/color_format_tables.h"
#include "engine/graphics/device/device_probe.h"
#include "engine/graphics/device/memory_textures.h"
#include "tests/graphics/device/device_fixture.h"

namespace {

struct Seen {
    DWORD thread;
    int a;
    UINT b;
    const char* text;
    D3DFORMAT format;
};
Seen seen;

HRESULT Recorder(int a, UINT b, const char* text, D3DFORMAT format) {
    seen = Seen{GetCurrentThreadId(), a, b, text, format};
    return HRESULT(0x88760000 + b);
}

// Runs work on a loader worker while the main thread pumps its queued calls.
class ForwardingTest : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
        ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    }
    void TearDown() override {
        ReleaseAllMemoryTextures();
        StopAsyncLoadThreads();
        EndAsyncLoad();
        DeviceTest::TearDown();
    }
    static void Job(AsyncLoadRequest* request) {
        int offset = 0;
        auto* work =
            reinterpret_cast<ForwardingTest*>(UnpackAsyncArgPointer(AsyncLoadArguments(request), &offset));
        work->work_();
        work->done_ = true;
    }
    void OnWorker(std::function<void()> work) {
        work_ = std::move(work);
        done_ = false;
        int size = 0;
        PackAsyncArgPointer(nullptr, &size, 0);
        AsyncLoadRequest* request = AllocAsyncLoadRequest(size);
        request->job = Job;
        int offset = 0;
        PackAsyncArgPointer(AsyncLoadArguments(request), &offset, reinterpret_cast<uintptr_t>(this));
        AddAsyncLoadRequest(request);
        // Sleep only yields on the virtual clock: bound the wait by real time, so that a worker that a
        // loaded machine starts late is still waited for.
        const time_t giveUp = RealSeconds() + 60;
        while (!done_ && RealSeconds() < giveUp) {
            ProcessMainThreadRequests();
            Sleep(1);
        }
        ASSERT_TRUE(done_);
    }
    static time_t RealSeconds() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return now.tv_sec;
    }
    std::function<void()> work_;
    std::atomic<bool> done_{false};
};

}  // namespace

TEST_F(ForwardingTest, WorkerCallRunsOnTheMainThreadWithItsArguments) {
    const char* text = "argument";
    HRESULT result = 0;
    DWORD worker = 0;
    OnWorker([&] {
        worker = GetCurrentThreadId();
        result = Forwarding<&Recorder>::Run(1, -7, 0xFFFFFFF0u, text, D3DFMT_A8R8G8B8);
    });
    EXPECT_NE(worker, GetCurrentThreadId());
    EXPECT_EQ(seen.thread, GetCurrentThreadId());
    EXPECT_EQ(seen.a, -7);
    EXPECT_EQ(seen.b, 0xFFFFFFF0u);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(result, HRESULT(0x88760000 + 0xFFFFFFF0u));

    EXPECT_EQ(Forwarding<&Recorder>::Run(0, 3, 4, nullptr, D3DFMT_R5G6B5), HRESULT(0x88760004));
    EXPECT_EQ(seen.thread, GetCurrentThreadId());
    EXPECT_EQ(seen.a, 3);
}

TEST_F(ForwardingTest, LoaderTextureIsMadeByThePumpAndFailureComesBackUnchanged) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = E_FAIL;
    OnWorker([&] {
        result = ForwardCreateTexture(32, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr, 1);
    });
    EXPECT_EQ(result, D3D_OK);
    ASSERT_NE(texture, nullptr);
    IDirect3DSurface9* surface = nullptr;
    OnWorker([&] { result = ForwardGetSurfaceLevel(texture, 0, &surface, 1); });
    EXPECT_EQ(result, D3D_OK);
    ASSERT_NE(surface, nullptr);
    ULONG count = 99;
    OnWorker([&] { count = ForwardRelease(surface, 1); });
    EXPECT_EQ(count, 1u);  // the texture still holds its level
    EXPECT_EQ(ForwardRelease(texture, 0), 0u);

    D3D9FailCreation("CreateTexture", 1);
    texture = nullptr;
    OnWorker([&] {
        result = ForwardCreateTexture(32, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr, 1);
    });
    EXPECT_EQ(uint32_t(result), 0x8876017Cu);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(ForwardingTest, LoaderBorrowsAndReturnsAMemoryTexture) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    int index = -2;
    int returned = -2;
    OnWorker([&] {
        index = AcquireMemoryTexture(16, 16, 1, GRAPHIC_FORMAT_X8R8G8B8, 1);
        returned = ReturnMemoryTexture(index, 1);
    });
    ASSERT_EQ(index, 0);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(memoryTexturePool.entries[0].inUse, 1);
    EXPECT_EQ(memoryTexturePool.entries[0].busy, 0);
}

TEST_F(ForwardingTest, LockAndFillReachTheSurface) {
    MakeDirect3D();
    ASSERT_EQ(ProbeDeviceFormats(), 0);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(
        ForwardCreateOffscreenPlainSurface(4, 4, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr, 0),
        D3D_OK);
    D3DLOCKED_RECT locked{};
    HRESULT lock = E_FAIL, unlock = E_FAIL;
    OnWorker([&] {
        lock = ForwardLockSurfaceRect(surface, &locked, nullptr, 0, 1);
        if (lock == D3D_OK) static_cast<uint32_t*>(locked.pBits)[0] = 0x00123456;
        unlock = ForwardUnlockSurface(surface, 1);
    });
    EXPECT_EQ(lock, D3D_OK);
    EXPECT_EQ(unlock, D3D_OK);
    ASSERT_EQ(SurfaceLockRect(surface, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[0] & 0xFFFFFF, 0x123456u);
    SurfaceUnlockRect(surface);
    ReleaseComObject(surface);
}
