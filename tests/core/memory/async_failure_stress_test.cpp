// Many asynchronous file opens, sound loads and font creations that all fail, polled from the main
// thread while the workers end them: every handle ends invalid, none is freed under its owner's check
// (AddressSanitizer and ThreadSanitizer builds watch the header reads), and no handle is left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/async_load.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/font_environment.h"
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "platform/dsound/audio_output_override.h"
#include "platform/kernel/kernel32.h"

namespace {

int WindowGone() {
    return 1;
}

class AsyncFailureStressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadSystemLibraries();
        SetAudioOutputOverride("manual");
        ASSERT_EQ(InitSound(), 0);
        InitFileHandleType();
        ASSERT_EQ(InitFontSystem(), 0);
        // Every font creation fails from here on, as it does once the window is gone.
        FontEnvironment failing = GetFontEnvironment();
        failing.mainWindowDestroyed = WindowGone;
        SetFontEnvironment(&failing);
        ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
        ASSERT_EQ(StartAsyncLoadThreads(4), 0);
        libraryFlags.asyncLoad = 1;
    }
    void TearDown() override {
        libraryFlags.asyncLoad = 0;
        StopAsyncLoadThreads();
        EndAsyncLoad();
        SetFontEnvironment(nullptr);
        EndFontSystem();
        EndFileHandleType();
        EndSound();
        SetAudioOutputOverride(nullptr);
    }
};

TEST_F(AsyncFailureStressTest, FailedJobsLeaveTheirHandlesToTheOwner) {
    const int types[] = {kHandleTypeFile, kHandleTypeSound, kFontHandleType};
    std::vector<int> before;
    for (int type : types) before.push_back(handleTypes[type].count);
    FontCreateSettings settings{};
    GetFontCreateSettings(&settings);
    constexpr int kRounds = 300;
    for (int round = 0; round < kRounds; ++round) {
        std::string missing = "C:/nonexistent_folder/missing" + std::to_string(round) + ".wav";
        std::vector<int> handles = {
            OpenFileHandleCore(missing.c_str(), 0, 1),
            LoadSoundFile(missing.c_str(), 1, -1),
            CreateFontHandleCore(settings, "KvSquare", 12, 1, 0, -1, -1, 0, -1, 1),
        };
        for (int handle : handles) ASSERT_GT(handle, 0) << "round " << round;
        // Poll as a game would, while the workers fail the jobs.
        for (bool pending = true; pending;) {
            pending = false;
            for (int handle : handles) {
                int loading = IsHandleLoading(handle);
                ASSERT_TRUE(loading == 1 || loading == -1) << "a failed job's handle looked loaded";
                pending |= loading == 1;
            }
            ProcessMainThreadRequests();
        }
        EXPECT_EQ(IsFileHandleAtEnd(handles[0]), -1);
        EXPECT_EQ(QuerySoundPlaying(handles[1]), -1);
        EXPECT_EQ(GetFontSize(handles[2]), -1);
    }
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(handleTypes[types[i]].count, before[i]);
}

}  // namespace
