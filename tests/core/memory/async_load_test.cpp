#include "engine/core/memory/async_load.h"

#include <gmock/gmock.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/clock.h"
#include "tests/core/log_capture.h"
#include "tests/wait_until.h"

namespace {

using ::testing::HasSubstr;

// What a test job sees: its number, and the shared record of the test.
struct JobBoard {
    std::mutex lock;
    std::vector<int> started;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::atomic<bool> gateOpen{true};
    std::atomic<int> finished{0};
    std::vector<int> callsRun;
    std::atomic<int> nextTicket{0};
    DWORD mainThread = 0;
};

struct JobArguments {
    JobBoard* board;
    int number;
    ResourceHandle handle;
};

AsyncLoadRequest* MakeRequest(AsyncLoadJob job, JobBoard* board, int number, ResourceHandle handle = -1) {
    int size = 0;
    PackAsyncArgPointer(nullptr, &size, reinterpret_cast<uintptr_t>(board));
    PackAsyncArgInt(nullptr, &size, uint32_t(number));
    PackAsyncArgInt(nullptr, &size, uint32_t(handle));
    AsyncLoadRequest* request = AllocAsyncLoadRequest(size);
    int offset = 0;
    request->job = job;
    PackAsyncArgPointer(AsyncLoadArguments(request), &offset, reinterpret_cast<uintptr_t>(board));
    PackAsyncArgInt(AsyncLoadArguments(request), &offset, uint32_t(number));
    PackAsyncArgInt(AsyncLoadArguments(request), &offset, uint32_t(handle));
    return request;
}

JobArguments Unpack(AsyncLoadRequest* request) {
    int offset = 0;
    JobArguments arguments;
    arguments.board =
        reinterpret_cast<JobBoard*>(UnpackAsyncArgPointer(AsyncLoadArguments(request), &offset));
    arguments.number = int(UnpackAsyncArgInt(AsyncLoadArguments(request), &offset));
    arguments.handle = ResourceHandle(UnpackAsyncArgInt(AsyncLoadArguments(request), &offset));
    return arguments;
}

void GatedJob(AsyncLoadRequest* request) {
    JobArguments arguments = Unpack(request);
    JobBoard& board = *arguments.board;
    {
        std::lock_guard<std::mutex> guard(board.lock);
        board.started.push_back(arguments.number);
    }
    int now = ++board.running;
    int most = board.mostRunning;
    while (now > most && !board.mostRunning.compare_exchange_weak(most, now)) {
    }
    while (!board.gateOpen) Sleep(1);
    --board.running;
    if (arguments.handle >= 0) DropHandleLoadJob(arguments.handle);
    ++board.finished;
}

struct ReportCall {
    MainThreadCall call;
    JobBoard* board;
    int number;
};

int RunOnMain(MainThreadCall* call) {
    auto* report = reinterpret_cast<ReportCall*>(call);
    EXPECT_EQ(GetCurrentThreadId(), report->board->mainThread);
    report->board->callsRun.push_back(report->number);
    Sleep(1);  // with the virtual clock each call takes exactly 1 ms
    return 1000 + report->number;
}

// Posts its main-thread calls in ticket order, one after the other, and checks what comes back.
void PostingJob(AsyncLoadRequest* request) {
    JobArguments arguments = Unpack(request);
    JobBoard& board = *arguments.board;
    EXPECT_NE(GetCurrentThreadId(), board.mainThread);
    int ticket = board.nextTicket++;
    while (GetMainThreadCallCount() != ticket) std::this_thread::yield();
    ReportCall report{{RunOnMain, 0, 0}, &board, ticket};
    EXPECT_EQ(PostRequestToMainThread(&report.call), 1000 + ticket);
    ++board.finished;
}

class AsyncLoad : public LogCapture {
  protected:
    void SetUp() override {
        LogCapture::SetUp();
        board_.mainThread = GetCurrentThreadId();
        ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    }
    void TearDown() override {
        board_.gateOpen = true;
        StopAsyncLoadThreads();
        EXPECT_EQ(EndAsyncLoad(), 0);
        LogCapture::TearDown();
    }
    // Pumps as the message pump does until `done` holds.
    template <typename Done>
    bool PumpUntil(Done done) {
        return WaitUntil(done, [] {
            ProcessMainThreadRequests();
            Sleep(1);
        });
    }
    JobBoard board_;
};

TEST_F(AsyncLoad, RunningWorkersAreProcessorsMinusOneAtLeastOne) {
    struct Case {
        int processors, allowed;
    };
    for (Case c : {Case{1, 1}, Case{2, 1}, Case{8, 7}, Case{0, 1}}) {
        SCOPED_TRACE(c.processors);
        if (c.processors != 1) {
            StopAsyncLoadThreads();
            EndAsyncLoad();
            InitAsyncLoad(GetCurrentThreadId());
        }
        board_.mostRunning = 0;
        board_.finished = 0;
        board_.gateOpen = false;
        ASSERT_EQ(StartAsyncLoadThreads(c.processors), 0);
        EXPECT_EQ(GetAsyncLoadAllowedCount(), c.allowed);
        const int jobs = 3 * c.allowed + 2;
        for (int i = 0; i < jobs; ++i) AddAsyncLoadRequest(MakeRequest(GatedJob, &board_, i));
        ASSERT_TRUE(PumpUntil([&] { return board_.running == c.allowed; }));
        for (int i = 0; i < 20; ++i) ProcessMainThreadRequests();
        Sleep(30);
        EXPECT_EQ(board_.running, c.allowed);
        board_.gateOpen = true;
        ASSERT_TRUE(PumpUntil([&] { return GetAsyncLoadPendingCount() == 0; }));
        EXPECT_EQ(board_.finished, jobs);
        EXPECT_EQ(board_.mostRunning, c.allowed);
    }
}

TEST_F(AsyncLoad, JobsStartOldestFirstTiesByLowestSlot) {
    const uint32_t creationTimes[] = {30, 10, 20, 10};
    for (int i = 0; i < 4; ++i) {
        AsyncLoadRequest* request = MakeRequest(GatedJob, &board_, i);
        AddAsyncLoadRequest(request);  // no workers yet: it waits in the queue
        request->creationTime = creationTimes[i];
    }
    EXPECT_EQ(GetAsyncLoadPendingCount(), 4);
    ASSERT_EQ(StartAsyncLoadThreads(1), 0);
    ASSERT_TRUE(PumpUntil([&] { return GetAsyncLoadPendingCount() == 0; }));
    EXPECT_EQ(board_.started, (std::vector<int>{1, 3, 2, 0}));
}

TEST_F(AsyncLoad, MainThreadCallsRoundTripAndShareTheTwoMillisecondBudget) {
    ASSERT_EQ(StartAsyncLoadThreads(8), 0);
    for (int i = 0; i < 6; ++i) AddAsyncLoadRequest(MakeRequest(PostingJob, &board_, i));
    // Every worker has handed its call over; nothing has run them yet.
    WaitUntil([] { return GetMainThreadCallCount() >= 6; }, [] { std::this_thread::yield(); });
    ASSERT_EQ(GetMainThreadCallCount(), 6);
    SetClockMode(ClockMode::kVirtual);
    ProcessMainThreadRequests();  // calls at 0, 1 and 2 ms run; at 3 ms the budget is spent
    EXPECT_EQ(board_.callsRun, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(GetMainThreadCallCount(), 3);
    ProcessMainThreadRequests();
    EXPECT_EQ(board_.callsRun, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    SetClockMode(ClockMode::kReal);
    ASSERT_TRUE(PumpUntil([&] { return board_.finished == 6; }));
    ASSERT_TRUE(PumpUntil([&] { return GetAsyncLoadPendingCount() == 0; }));
}

TEST_F(AsyncLoad, PumpOnAnotherThreadIsRefused) {
    int result = 0;
    std::thread([&] { result = ProcessMainThreadRequests(); }).join();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(InitAsyncLoad(GetCurrentThreadId()), -1);
}

TEST_F(AsyncLoad, FreeingRequestsMovesTheHighMark) {
    int slots[3];
    for (int& slot : slots) {
        AsyncLoadRequest* request = MakeRequest(GatedJob, &board_, 0);
        AddAsyncLoadRequest(request);
        slot = int(request->slot);
    }
    EXPECT_EQ((std::vector<int>{slots[0], slots[1], slots[2]}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(FreeAsyncLoadRequest(1, 1), 0);
    EXPECT_EQ(FreeAsyncLoadRequest(1, 1), -1);
    EXPECT_EQ(FreeAsyncLoadRequest(2, 0), 0);
    // The high mark fell past the empty slots 2 and 1: the next request takes slot 1.
    AsyncLoadRequest* next = MakeRequest(GatedJob, &board_, 0);
    AddAsyncLoadRequest(next);
    EXPECT_EQ(next->slot, 1u);
    EXPECT_EQ(GetAsyncLoadPendingCount(), 2);
    EXPECT_EQ(FreeAsyncLoadRequest(0, 0), 0);
    EXPECT_EQ(FreeAsyncLoadRequest(1, 0), 0);
    EXPECT_EQ(GetAsyncLoadPendingCount(), 0);
    EXPECT_EQ(FreeAsyncLoadRequest(-1, 0), -1);
    EXPECT_EQ(FreeAsyncLoadRequest(kAsyncLoadRequestLimit, 0), -1);
}

TEST_F(AsyncLoad, StartingAgainForgetsRequestsLeftQueuedAtTheEnd) {
    std::vector<AsyncLoadRequest*> left;
    for (int i = 0; i < 3; ++i) {
        left.push_back(MakeRequest(GatedJob, &board_, i));
        AddAsyncLoadRequest(left.back());
    }
    ASSERT_EQ(EndAsyncLoad(), 0);
    ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    EXPECT_EQ(GetAsyncLoadPendingCount(), 0);
    EXPECT_EQ(GetMainThreadCallCount(), 0);
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(FreeAsyncLoadRequest(slot, 0), -1) << slot;
    AsyncLoadRequest* fresh = MakeRequest(GatedJob, &board_, 9);
    AddAsyncLoadRequest(fresh);
    EXPECT_EQ(fresh->slot, 0u);
    EXPECT_EQ(FreeAsyncLoadRequest(0, 0), 0);
    for (AsyncLoadRequest* request : left) TrackedFree(request);
}

TEST_F(AsyncLoad, DeletingAHandleCancelsAQueuedJobAndWaitsForARunningOne) {
    struct Record {
        HandleHeader header;
    };
    ASSERT_EQ(RegisterHandleType(kHandleTypeMovie, sizeof(Record), 10, nullptr, nullptr, "m"), 0);
    ResourceHandle queued = AddHandle(kHandleTypeMovie, -1);
    AsyncLoadRequest* request = MakeRequest(GatedJob, &board_, 0, queued);
    AddAsyncLoadRequest(request);
    AddHandleLoadJob(queued, request->slot);
    EXPECT_EQ(IsHandleLoading(queued), 1);
    EXPECT_EQ(DeleteHandle(queued), 0);
    EXPECT_EQ(GetAsyncLoadPendingCount(), 0);
    EXPECT_EQ(board_.finished, 0);

    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    ResourceHandle running = AddHandle(kHandleTypeMovie, -1);
    board_.gateOpen = false;
    request = MakeRequest(GatedJob, &board_, 1, running);
    AddAsyncLoadRequest(request);  // held at its gate, so it cannot end before the job is recorded
    AddHandleLoadJob(running, request->slot);
    ASSERT_TRUE(PumpUntil([&] { return board_.running == 1; }));
    std::thread opener([&] {
        Sleep(30);
        board_.gateOpen = true;
    });
    EXPECT_EQ(DeleteHandle(running), 0);
    EXPECT_EQ(board_.finished, 1);  // deletion returned only after the job ended
    EXPECT_EQ(GetHandleData(running), nullptr);
    opener.join();
    EndHandleType(kHandleTypeMovie);
}

TEST_F(AsyncLoad, The32769thRequestIsFatal) {
    GTEST_FLAG_SET(death_test_style, "fast");
    auto flood = [&] {
        for (int i = 0; i <= kAsyncLoadRequestLimit; ++i)
            AddAsyncLoadRequest(MakeRequest(GatedJob, &board_, i));
    };
    EXPECT_EXIT(flood(), ::testing::ExitedWithCode(255), "");
    // "非同期読み込みデータの数が許容量を越えました終了します"
    EXPECT_THAT(ReadLog(),
                HasSubstr("\x94\xf1\x93\xaf\x8a\xfa\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x83\x66\x81\x5b\x83\x5e"
                          "\x82\xcc\x90\x94\x82\xaa"));
    EXPECT_EQ(GetAsyncLoadPendingCount(), 0);
}

TEST_F(AsyncLoad, MainThreadCallFromOutsideTheWorkersIsFatal) {
    GTEST_FLAG_SET(death_test_style, "fast");
    ReportCall report{{RunOnMain, 0, 0}, &board_, 0};
    EXPECT_EXIT(PostRequestToMainThread(&report.call), ::testing::ExitedWithCode(255), "");
    EXPECT_THAT(ReadLog(),
                HasSubstr("\x88\xc8\x8a\x4f\x82\xa9\x82\xe7\x83\x81\x83\x43\x83\x93"));  // 以外からメイン
}

TEST(AsyncArguments, PackMeasuresThenWritesAndUnpacksInOrder) {
    const char blob[] = {1, 2, 3, 0, 5};
    auto pack = [&](unsigned char* buffer) {
        int offset = 0;
        PackAsyncArgInt(buffer, &offset, 0xDEADBEEF);
        EXPECT_EQ(PackAsyncArgBlob(buffer, &offset, blob, 5), 0);
        EXPECT_EQ(PackAsyncArgString(buffer, &offset, "name.png"), 0);
        EXPECT_EQ(PackAsyncArgString(buffer, &offset, nullptr), 0);
        PackAsyncArgPointer(buffer, &offset, reinterpret_cast<uintptr_t>(blob));
        return offset;
    };
    int size = pack(nullptr);
    EXPECT_EQ(size, 4 + (2 + 5) + (2 + 9) + 2 + int(sizeof(uintptr_t)));
    std::vector<unsigned char> buffer(size_t(size) + 8, 0xEE);
    EXPECT_EQ(pack(buffer.data()), size);
    EXPECT_EQ(buffer[size_t(size)], 0xEE);  // nothing written past the measured size
    int offset = 0;
    EXPECT_EQ(UnpackAsyncArgInt(buffer.data(), &offset), 0xDEADBEEFu);
    int blobSize = 0;
    const void* unpacked = UnpackAsyncArgBlob(buffer.data(), &offset, &blobSize);
    EXPECT_EQ(blobSize, 5);
    EXPECT_EQ(std::memcmp(unpacked, blob, 5), 0);
    EXPECT_STREQ(UnpackAsyncArgString(buffer.data(), &offset), "name.png");
    EXPECT_EQ(UnpackAsyncArgString(buffer.data(), &offset), nullptr);
    EXPECT_EQ(UnpackAsyncArgPointer(buffer.data(), &offset), reinterpret_cast<uintptr_t>(blob));
    EXPECT_EQ(offset, size);

    std::string tooLong(70000, 'x');
    int unchanged = 0;
    EXPECT_EQ(PackAsyncArgString(nullptr, &unchanged, tooLong.c_str()), -1);
    EXPECT_EQ(PackAsyncArgBlob(nullptr, &unchanged, tooLong.data(), 65534), -1);
    EXPECT_EQ(unchanged, 0);
}

}  // namespace
