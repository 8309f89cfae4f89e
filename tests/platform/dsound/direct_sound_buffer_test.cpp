// Secondary buffers: cursors, locks, controls and status.
#include "dsound_fixture.h"

namespace {

using BufferTest = ManualDirectSound;

TEST_F(BufferTest, WriteCursorRunsTenMillisecondsAheadWhilePlaying) {
    struct Case {
        WORD channels, bits;
        DWORD rate, frames, advance;
    } cases[] = {
        {2, 16, 44100, 44100, 100},  // 441 frames ahead
        {1, 8, 22050, 1000, 900},    // 220 frames ahead, wrapping past the end
        {2, 16, 48000, 48000, 0},
    };
    for (const Case& c : cases) {
        WAVEFORMATEX format = PcmFormat(c.channels, c.rate, c.bits);
        IDirectSoundBuffer* buffer = MakeBuffer(format, c.frames * format.nBlockAlign);
        DWORD play = 1, write = 1;
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(play, 0u);
        EXPECT_EQ(write, 0u);
        ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
        // The output runs at 44100 Hz: advance so that the buffer moves by c.advance frames.
        Advance(static_cast<uint32_t>(uint64_t{c.advance} * 44100 / c.rate));
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(play, c.advance * format.nBlockAlign);
        const DWORD lead = c.rate / 100;
        EXPECT_EQ(write, (c.advance + lead) % c.frames * format.nBlockAlign) << c.rate;
        ASSERT_EQ(buffer->Stop(), DS_OK);
        ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), DS_OK);
        EXPECT_EQ(write, play);
    }
}

TEST_F(BufferTest, LockGivesTwoRegionsAcrossTheEnd) {
    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, 44100, 16), 400);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(0, 400, &p1, &n1, &p2, &n2, 0), DS_OK);
    uint8_t* base = static_cast<uint8_t*>(p1);
    EXPECT_EQ(n1, 400u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(buffer->Lock(300, 200, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(p1, base + 300);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, base);
    EXPECT_EQ(n2, 100u);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(buffer->Lock(120, 7, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1 + n2, 400u);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    Advance(10);
    ASSERT_EQ(buffer->Lock(0, 8, &p1, &n1, &p2, &n2, DSBLOCK_FROMWRITECURSOR), DS_OK);
    EXPECT_EQ(p1, base + (10 + 441) * 4 % 400);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
}

TEST_F(BufferTest, BadLocksAndUnlocksAreRefused) {
    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, 44100, 16), 400);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(buffer->Lock(400, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 401, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(0, 4, nullptr, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
    uint8_t outside[4];
    EXPECT_EQ(buffer->Unlock(outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(p1, 401, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(p1, n1, nullptr, 0), DS_OK);
}

TEST_F(BufferTest, ControlsNeedTheirCapabilityAndStayInRange) {
    IDirectSoundBuffer* plain = MakeBuffer(PcmFormat(2, 44100, 16), 400, DSBCAPS_STATIC);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(22050), DSERR_CONTROLUNAVAIL);

    IDirectSoundBuffer* buffer = MakeBuffer(PcmFormat(2, 44100, 16), 400);
    struct Case {
        HRESULT (*set)(IDirectSoundBuffer*, long);
        long value;
        HRESULT expected;
    } cases[] = {
        {[](IDirectSoundBuffer* b, long v) { return b->SetVolume(v); }, 0, DS_OK},
        {[](IDirectSoundBuffer* b, long v) { return b->SetVolume(v); }, -10000, DS_OK},
        {[](IDirectSoundBuffer* b, long v) { return b->SetVolume(v); }, -10001, DSERR_INVALIDPARAM},
        {[](IDirectSoundBuffer* b, long v) { return b->SetVolume(v); }, 1, DSERR_INVALIDPARAM},
        {[](IDirectSoundBuffer* b, long v) { return b->SetPan(v); }, 10000, DS_OK},
        {[](IDirectSoundBuffer* b, long v) { return b->SetPan(v); }, -10001, DSERR_INVALIDPARAM},
        {[](IDirectSoundBuffer* b, long v) { return b->SetFrequency(v); }, 100, DS_OK},
        {[](IDirectSoundBuffer* b, long v) { return b->SetFrequency(v); }, 99, DSERR_INVALIDPARAM},
        {[](IDirectSoundBuffer* b, long v) { return b->SetFrequency(v); }, 200001, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) EXPECT_EQ(c.set(buffer, c.value), c.expected) << c.value;
    LONG volume = 1;
    ASSERT_EQ(buffer->GetVolume(&volume), DS_OK);
    EXPECT_EQ(volume, -10000);
}

TEST_F(BufferTest, SetCurrentPositionMovesPlayback) {
    IDirectSoundBuffer* buffer = RampBuffer(100);
    ASSERT_EQ(buffer->SetCurrentPosition(50 * 4 + 3), DS_OK);  // rounded down to a whole frame
    DWORD play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 200u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Advance(1)[0], 50);
    EXPECT_EQ(buffer->SetCurrentPosition(401), DSERR_INVALIDPARAM);
}

TEST_F(BufferTest, StopKeepsThePositionAndPlayResumesThere) {
    IDirectSoundBuffer* buffer = RampBuffer(100);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    Advance(20);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    Advance(20);
    DWORD status = 1;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Advance(1)[0], 20);
}

TEST_F(BufferTest, InvalidDescriptionsAreRefused) {
    WAVEFORMATEX good = PcmFormat(2, 44100, 16);
    WAVEFORMATEX floatFormat = good;
    floatFormat.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    WAVEFORMATEX badAlign = good;
    badAlign.nBlockAlign = 3;
    WAVEFORMATEX tooFast = PcmFormat(2, 200001, 16);
    WAVEFORMATEX threeChannels = PcmFormat(3, 44100, 16);
    struct Case {
        DWORD size, flags, bytes;
        WAVEFORMATEX* format;
    } cases[] = {
        {sizeof(DSBUFFERDESC) - 4, 0, 400, &good},
        {sizeof(DSBUFFERDESC), 0, 400, nullptr},
        {sizeof(DSBUFFERDESC), 0, 2, &good},
        {sizeof(DSBUFFERDESC), 0, 400, &floatFormat},
        {sizeof(DSBUFFERDESC), 0, 400, &badAlign},
        {sizeof(DSBUFFERDESC), 0, 400, &tooFast},
        {sizeof(DSBUFFERDESC), 0, 400, &threeChannels},
        {sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 400, nullptr},
    };
    for (const Case& c : cases) {
        DSBUFFERDESC desc{};
        desc.dwSize = c.size;
        desc.dwFlags = c.flags;
        desc.dwBufferBytes = c.bytes;
        desc.lpwfxFormat = c.format;
        IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(1);
        EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
        EXPECT_EQ(buffer, nullptr);
    }
}

TEST_F(BufferTest, RefusedCreationsAndDuplicationsFailCleanly) {
    SetDirectSoundCreateRefusal(
        [](const DSBUFFERDESC& desc) { return (desc.dwFlags & DSBCAPS_GLOBALFOCUS) != 0; });
    WAVEFORMATEX format = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = kAllControls;
    desc.dwBufferBytes = 400;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_ALLOCATED);
    IDirectSoundBuffer* original = MakeBuffer(format, 400, DSBCAPS_CTRLVOLUME);
    SetDirectSoundDuplicateLimit(1);
    IDirectSoundBuffer* first = nullptr;
    IDirectSoundBuffer* second = nullptr;
    ASSERT_EQ(ds_->DuplicateSoundBuffer(original, &first), DS_OK);
    buffers_.push_back(first);
    EXPECT_EQ(ds_->DuplicateSoundBuffer(original, &second), DSERR_ALLOCATED);
    EXPECT_EQ(second, nullptr);
}

}  // namespace
