// The sound module's start and end, sound handles loaded from files (whole or streamed), their play
// calls, and the stream thread, on the manually clocked output.
#include "tests/sound/sound_handles_fixture.h"
#include "tests/wait_until.h"

namespace {

TEST_F(SoundHandlesTest, SecondInitAndEndAfterFailedInitGiveMinusOne) {
    ASSERT_EQ(InitSound(), 0);
    IDirectSound* device = soundOutput.directSound;
    const int buffers = GetLiveDirectSoundBufferCount();
    EXPECT_EQ(InitSound(), -1);
    EXPECT_EQ(soundOutput.directSound, device);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), buffers);
    for (int type : {kHandleTypeSound, kHandleTypeSoftSound, kHandleTypeMusic})
        EXPECT_EQ(handleTypes[type].registered, 1) << type;
    EXPECT_EQ(handleTypes[kHandleTypeSound].limit, 32768);
    EXPECT_EQ(handleTypes[kHandleTypeSoftSound].limit, 8192);
    EXPECT_EQ(handleTypes[kHandleTypeMusic].limit, 256);
    EXPECT_EQ(soundOutput.loadSettings.vorbisBytesPerSample, 2);
    EXPECT_EQ(EndSound(), 0);
    EXPECT_NE(Log().find("DirectSound の終了処理は正常に終了しました"), std::string::npos);
    EXPECT_EQ(EndSound(), -1);
    for (int type : {kHandleTypeSound, kHandleTypeSoftSound, kHandleTypeMusic})
        EXPECT_EQ(handleTypes[type].registered, 0) << type;

    SetComClassFailing(CLSID_DirectSound, true);
    EXPECT_EQ(InitSound(), -1);
    EXPECT_EQ(soundOutput.directSound, nullptr);
    EXPECT_EQ(handleTypes[kHandleTypeSound].registered, 0);
    EXPECT_EQ(EndSound(), -1);
    const std::string path = Write("a.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(100)));
    EXPECT_EQ(LoadSoundFile(path.c_str(), 3, -1), -1);
    EXPECT_EQ(PauseAllSounds(1), -1);
    EXPECT_EQ(UpdateAllStreamSounds(), -1);
}

TEST_F(SoundHandlesTest, EndWaitsForTheStreamThreadEvenWhenTheWindowWasClosed) {
    GetSystemInformation().processorCount = 2;
    ASSERT_EQ(InitSound(), 0);
    ASSERT_NE(soundOutput.streamThread, nullptr);
    soundOutput.loadSettings.streamMode = kStreamFileImage;
    const std::string path = Write("s.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(44100)));
    const int handle = LoadSoundFile(path.c_str(), 1, -1);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(PlaySoundHandle(handle, 3, 1), 0);
    libraryState.run.quit = 1;  // the pump reports the window closed from its first call
    // Hold the thread inside its refill for a while, so that it cannot have ended by itself.
    std::thread holder([] {
        SoundTypeLock lock;
        Sleep(50);
    });
    Sleep(5);
    ASSERT_EQ(EndSound(), 0);
    holder.join();
    EXPECT_EQ(soundOutput.streamStop, 2);
    EXPECT_EQ(soundOutput.streamThread, nullptr);
}

TEST_F(SoundHandlesTest, WithOneProcessorNoThreadIsStarted) {
    ASSERT_EQ(InitSound(), 0);
    EXPECT_EQ(soundOutput.streamThread, nullptr);
    EXPECT_EQ(EndSound(), 0);
}

TEST_F(SoundHandlesTest, TwelveBuffersAskedGiveTenThatPlayInTurn) {
    ASSERT_EQ(InitSound(), 0);
    const int before = GetLiveDirectSoundBufferCount();
    const std::string path = Write("a.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(2000)));
    const int handle = LoadSoundFile(path.c_str(), 12, -1);
    ASSERT_NE(handle, -1);
    EXPECT_EQ(HandleTypeOf(handle), kHandleTypeSound);
    ASSERT_EQ(Record(handle)->bufferCount, 10);
    EXPECT_EQ(Record(handle)->streamFlag, 0);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), before + 10);
    for (int play = 0; play < 10; ++play) {
        ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
        AdvanceManualAudioOutputs(10);
    }
    // Ten overlapping plays, 10 frames apart: frame i of the mix sums (i + 10 k) for k = 0..9.
    TakeManualAudioFrames();
    AdvanceManualAudioOutputs(1);
    std::vector<int16_t> mixed = TakeManualAudioFrames();
    EXPECT_EQ(mixed[0], 100 + 90 + 80 + 70 + 60 + 50 + 40 + 30 + 20 + 10);
    EXPECT_EQ(QuerySoundPlaying(handle), 1);
    EXPECT_EQ(StopSoundHandle(handle), 0);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
    EXPECT_EQ(DeleteHandle(handle), 0);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), before);
}

TEST_F(SoundHandlesTest, GameEffectThreeBuffersStopPlayAndVolume) {
    ASSERT_EQ(InitSound(), 0);
    const std::string path = Write("a.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(1000)));
    const int handle = LoadSoundFile(path.c_str(), 3, -1);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(SetSoundVolume(128, handle), 0);
    EXPECT_EQ(Record(handle)->volume, -299);
    for (int play = 0; play < 4; ++play) {
        ASSERT_EQ(StopSoundHandle(handle), 0);
        ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
        EXPECT_EQ(QuerySoundPlaying(handle), 1);
        EXPECT_EQ(Record(handle)->currentBuffer, (play + 1) % 3);
        AdvanceManualAudioOutputs(441);
        EXPECT_EQ(GetSoundPlayTime(handle), 10);
    }
    Play(1000);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
}

TEST_F(SoundHandlesTest, OneHundredEightyOneSecondsOrMoreBecomeAStreamSound) {
    ASSERT_EQ(InitSound(), 0);
    const WAVEFORMATEX format = WaveFormat(1, 1, 8000, 8);  // 8000 bytes a second
    struct Case {
        uint32_t bytes;
        int streamed;
    } cases[] = {{180 * 8000 + 7200, 0}, {181 * 8000 - 1, 0}, {181 * 8000, 1}, {190 * 8000, 1}};
    for (const Case& c : cases) {
        std::vector<uint8_t> pcm(c.bytes);
        for (uint32_t i = 0; i < c.bytes; ++i) pcm[i] = static_cast<uint8_t>(i / 800);
        const std::string path = Write("long.wav", WaveFile(format, pcm));
        const int handle = LoadSoundFile(path.c_str(), 3, -1);
        ASSERT_NE(handle, -1) << c.bytes;
        SoundRecord* record = Record(handle);
        EXPECT_EQ(record->streamFlag, c.streamed) << c.bytes;
        EXPECT_EQ(record->bufferCount, c.streamed ? 1 : 3) << c.bytes;
        if (c.streamed) {
            EXPECT_EQ(record->stream.bufferSize, 8000);
            EXPECT_EQ(record->stream.totalSamples, static_cast<int>(c.bytes));
            EXPECT_EQ(record->stream.writePosition, 6000);  // the first fill: 3/4 second
            EXPECT_EQ(record->pcm, nullptr);
        } else {
            EXPECT_EQ(record->pcmSize, c.bytes);
        }
        ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
        Play(44100 * 3);
        EXPECT_EQ(QuerySoundPlaying(handle), 1);
        EXPECT_NEAR(GetSoundPlayTime(handle), c.streamed ? 3000 : 3000, 20) << c.bytes;
        EXPECT_EQ(DeleteHandle(handle), 0);
    }
}

TEST_F(SoundHandlesTest, StreamSoundPlaysItsDataInOrderThenStops) {
    ASSERT_EQ(InitSound(), 0);
    soundOutput.loadSettings.streamMode = kStreamFileImage;
    const uint32_t frames = 44100 * 5 / 2;
    const std::vector<uint8_t> pcm = StereoRamp(frames);
    const std::string path = Write("s.wav", WaveFile(WaveFormat(1, 2, 44100, 16), pcm));
    const int handle = LoadSoundFile(path.c_str(), 3, -1);
    ASSERT_NE(handle, -1);
    SoundRecord* record = Record(handle);
    ASSERT_EQ(record->streamFlag, 1);
    EXPECT_EQ(record->stream.bufferSize, 176400);
    EXPECT_EQ(record->stream.writePosition, 132300);
    ASSERT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    std::vector<int16_t> mixed = Play(44100 * 2);
    EXPECT_EQ(QuerySoundPlaying(handle), 1);
    EXPECT_NEAR(GetSoundPlayTime(handle), 2000, 11);
    std::vector<int16_t> rest = Play(44100 * 2);
    mixed.insert(mixed.end(), rest.begin(), rest.end());
    EXPECT_EQ(QuerySoundPlaying(handle), 0);  // played out, then stopped by itself
    ASSERT_EQ(mixed.size(), size_t{44100 * 4 * 2});
    for (uint32_t i = 0; i < frames; ++i) {
        ASSERT_EQ(mixed[2 * i], static_cast<int16_t>(i % 30000)) << i;
        ASSERT_EQ(mixed[2 * i + 1], static_cast<int16_t>(-static_cast<int32_t>(i % 30000))) << i;
    }
    for (uint32_t i = frames * 2; i < mixed.size(); ++i) ASSERT_EQ(mixed[i], 0) << i;
}

TEST_F(SoundHandlesTest, LoopingStreamStartsAgainWithoutAGap) {
    ASSERT_EQ(InitSound(), 0);
    soundOutput.loadSettings.streamMode = kStreamFileImage;
    const uint32_t frames = 30000;  // shorter than the first fill
    const std::string path = Write("s.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(frames)));
    const int handle = LoadSoundFile(path.c_str(), 1, -1);
    ASSERT_NE(handle, -1);
    ASSERT_EQ(PlaySoundHandle(handle, 3, 1), 0);
    std::vector<int16_t> mixed = Play(44100 * 3);
    for (uint32_t i = 0; i < 44100 * 3; ++i) ASSERT_EQ(mixed[2 * i], static_cast<int16_t>(i % frames)) << i;
    EXPECT_EQ(QuerySoundPlaying(handle), 1);
    EXPECT_LE(GetSoundPlayTime(handle), static_cast<int>(frames * 1000 / 44100));
    EXPECT_EQ(StopSoundHandle(handle), 0);
    EXPECT_EQ(QuerySoundPlaying(handle), 0);
}

TEST_F(SoundHandlesTest, JoinedStreamPlaysThroughTheFirstOnesBuffer) {
    ASSERT_EQ(InitSound(), 0);
    soundOutput.loadSettings.streamMode = kStreamFileImage;
    const int before = GetLiveDirectSoundBufferCount();
    const std::string path = Write("s.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(44100)));
    const int first = LoadSoundFile(path.c_str(), 1, -1);
    const int second = LoadSoundFile(path.c_str(), 1, first);
    ASSERT_NE(first, -1);
    ASSERT_NE(second, -1);
    EXPECT_EQ(Record(second)->stream.joinedTo, first);
    EXPECT_EQ(Record(first)->stream.userCount, 1);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), before + 1);
    ASSERT_EQ(PlaySoundHandle(second, 1, 1), 0);
    std::vector<int16_t> mixed = Play(441 * 10);
    EXPECT_EQ(QuerySoundPlaying(second), 1);
    EXPECT_EQ(QuerySoundPlaying(first), 0);
    EXPECT_EQ(mixed[2 * 4000], 4000);
    // The first handle is kept while the second plays through it, and goes with the second.
    EXPECT_EQ(DeleteHandle(first), 0);
    EXPECT_EQ(Record(first)->stream.deletionPending, 1);
    EXPECT_EQ(DeleteHandle(second), 0);
    EXPECT_EQ(Record(first), nullptr);
    EXPECT_EQ(GetLiveDirectSoundBufferCount(), before);
}

TEST_F(SoundHandlesTest, PauseAndResumeOfAllSounds) {
    ASSERT_EQ(InitSound(), 0);
    const std::string path = Write("a.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(20000)));
    const int playing = LoadSoundFile(path.c_str(), 2, -1);
    const int idle = LoadSoundFile(path.c_str(), 2, -1);
    ASSERT_EQ(PlaySoundHandle(playing, 1, 1), 0);
    AdvanceManualAudioOutputs(100);
    ASSERT_EQ(PauseAllSounds(1), 0);
    EXPECT_EQ(QuerySoundPlaying(playing), 0);
    AdvanceManualAudioOutputs(100);
    ASSERT_EQ(PauseAllSounds(0), 0);
    EXPECT_EQ(QuerySoundPlaying(playing), 1);
    EXPECT_EQ(QuerySoundPlaying(idle), 0);
    EXPECT_EQ(GetSoundPlayTime(playing), 100 * 1000 / 44100);
}

TEST_F(SoundHandlesTest, BadFilesAndHandlesAreRefused) {
    ASSERT_EQ(InitSound(), 0);
    const int live = handleTypes[kHandleTypeSound].count;
    WAVEFORMATEX wide = WaveFormat(1, 2, 44100, 24);
    const std::string cases[] = {
        ToWindowsPath(folder_ + "/missing.wav"),
        Write("garbage.wav", std::vector<uint8_t>(1000, 0x5A)),
        Write("empty.wav", {}),
        Write("wide.wav", WaveFile(wide, std::vector<uint8_t>(600, 1))),
        Write("nodata.wav", WaveFile(WaveFormat(1, 2, 44100, 16), {})),
    };
    for (const std::string& path : cases) EXPECT_EQ(LoadSoundFile(path.c_str(), 3, -1), -1) << path;
    EXPECT_EQ(handleTypes[kHandleTypeSound].count, live);
    for (int bad : {-1, 0, 12345}) {
        EXPECT_EQ(PlaySoundHandle(bad, 1, 1), -1);
        EXPECT_EQ(StopSoundHandle(bad), -1);
        EXPECT_EQ(QuerySoundPlaying(bad), -1);
        EXPECT_EQ(SetSoundVolume(255, bad), -1);
        EXPECT_EQ(GetSoundPlayTime(bad), -1);
    }
}

TEST_F(SoundHandlesTest, AsynchronousLoadRefusesTheHandleUntilItIsDone) {
    ASSERT_EQ(InitSound(), 0);
    ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    libraryFlags.asyncLoad = 1;
    const std::string path = Write("a.wav", WaveFile(WaveFormat(1, 2, 44100, 16), StereoRamp(1000)));
    const int handle = LoadSoundFile(path.c_str(), 3, -1);
    const int missing = LoadSoundFile(ToWindowsPath(folder_ + "/missing.wav").c_str(), 3, -1);
    ASSERT_NE(handle, -1);
    ASSERT_NE(missing, -1);
    // No worker runs yet: the loads stay pending and every call refuses the handles.
    EXPECT_EQ(IsHandleLoading(handle), 1);
    EXPECT_EQ(PlaySoundHandle(handle, 1, 1), -1);
    EXPECT_EQ(StopSoundHandle(handle), -1);
    EXPECT_EQ(QuerySoundPlaying(handle), -1);
    EXPECT_EQ(SetSoundVolume(10, handle), -1);
    EXPECT_EQ(GetSoundPlayTime(handle), -1);
    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    WaitUntil(
        [&] { return IsHandleLoading(handle) != 1 && IsHandleLoading(missing) != 1; },
        [] {
            ProcessMainThreadRequests();  // wakes the workers for the requests queued before they existed
            Sleep(1);
        });
    EXPECT_EQ(IsHandleLoading(handle), 0);
    EXPECT_EQ(IsHandleLoading(missing), -1);  // the check deleted the failed load's handle
    EXPECT_EQ(Record(handle)->bufferCount, 3);
    EXPECT_EQ(PlaySoundHandle(handle, 1, 1), 0);
    EXPECT_EQ(QuerySoundPlaying(handle), 1);
    StopAsyncLoadThreads();
    EndAsyncLoad();
    libraryFlags.asyncLoad = 0;
}

TEST_F(SoundHandlesTest, EndWritesTheCaptureHeaderOverTheSpaceLeftForIt) {
    ASSERT_EQ(InitSound(), 0);
    const std::string path = ToWindowsPath(folder_ + "/capture.wav");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> body(46 + 4 * 3, 0xEE);  // the space for the header, then three frames
    DWORD written = 0;
    WriteFile(file, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    soundOutput.captureOpen = 1;
    soundOutput.captureFile = file;
    soundOutput.captureFrames = 3;
    ASSERT_EQ(EndSound(), 0);
    EXPECT_EQ(soundOutput.captureOpen, 0);
    std::ifstream in(folder_ + "/capture.wav", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<uint8_t> expected = {'R', 'I', 'F', 'F'};
    Append32(expected, 4 * 3 + 38);
    for (char c : std::string("WAVEfmt ")) expected.push_back(static_cast<uint8_t>(c));
    Append32(expected, 18);
    Append16(expected, 1);
    Append16(expected, 2);
    Append32(expected, 44100);
    Append32(expected, 176400);
    Append16(expected, 4);
    Append16(expected, 16);
    Append16(expected, 0);
    for (char c : std::string("data")) expected.push_back(static_cast<uint8_t>(c));
    Append32(expected, 4 * 3);
    expected.insert(expected.end(), 12, 0xEE);
    EXPECT_EQ(bytes, expected);
}

TEST_F(SoundHandlesTest, AcmFunctionsAreAbsentWhileTheirModuleIs) {
    SetPlatformModuleAbsent("msacm32.dll", true);
    EXPECT_EQ(LoadAcmFunctions(), -1);
    EXPECT_EQ(acmFunctions.loaded, 0);
    EXPECT_EQ(acmFunctions.module, nullptr);
    EXPECT_EQ(acmFunctions.formatSuggest, nullptr);
    EXPECT_EQ(FreeAcmFunctions(), 0);
    SetPlatformModuleAbsent("msacm32.dll", false);
    SetPlatformExportAbsent("msacm32.dll", "acmStreamSize", true);
    EXPECT_EQ(LoadAcmFunctions(), -1);
    EXPECT_EQ(acmFunctions.module, nullptr);
    EXPECT_EQ(acmFunctions.formatSuggest, nullptr);
    SetPlatformExportAbsent("msacm32.dll", "acmStreamSize", false);
    EXPECT_EQ(LoadAcmFunctions(), 0);
    EXPECT_EQ(acmFunctions.loaded, 1);
    EXPECT_NE(acmFunctions.streamSize, nullptr);
    EXPECT_EQ(FreeAcmFunctions(), 0);
    EXPECT_EQ(acmFunctions.loaded, 0);
}

TEST_F(SoundHandlesTest, CallsBeforeInitGiveMinusOne) {
    EXPECT_EQ(LoadSoundFile("x.wav", 3, -1), -1);
    EXPECT_EQ(PlaySoundHandle(0x0C000000, 1, 1), -1);
    EXPECT_EQ(PauseAllSounds(1), -1);
    EXPECT_EQ(EndSound(), -1);
}

}  // namespace
