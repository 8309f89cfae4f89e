// Soft-sound players fed from their rings while they play, the window's pause of all players, and the
// music handles' stop and play query. Nothing in the library makes a player or a music handle, so the
// tests make them as a program would.
#include <cstring>

#include "engine/sound/music_handles.h"
#include "engine/sound/soft_sound_players.h"
#include "engine/sound/sound_buffers.h"
#include "tests/sound/sound_handles_fixture.h"

namespace {

constexpr uint32_t kBufferFrames = 1000;
constexpr uint32_t kStep = 100;  // frames mixed between two updates

class SoftSoundFixture : public SoundHandlesTest {
  protected:
    // An active player of 16-bit stereo 44100 Hz with a buffer of kBufferFrames frames, playing.
    SoftSoundPlayer* MakePlayer(int* handle) {
        *handle = AddHandle(kHandleTypeSoftSound, -1);
        auto* player = static_cast<SoftSoundPlayer*>(GetHandleData(*handle));
        player->kind = 1;
        player->format = WaveFormat(1, 2, 44100, 16);
        player->bufferSize = kBufferFrames * 4;
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2;
        desc.dwBufferBytes = player->bufferSize;
        desc.lpwfxFormat = &player->format;
        EXPECT_EQ(SoundBufferCreate(&player->slot, &desc), 0);
        InsertHandleListNode(&soundOutput.playerHead, &player->node, static_cast<uint32_t>(*handle), player);
        player->active = 1;
        UpdateAllSoftSoundPlayers();
        EXPECT_EQ(SoundBufferPlay(&player->slot, 1), 0);
        return player;
    }
    void Feed(SoftSoundPlayer* player, const std::vector<uint8_t>& pcm) {
        ASSERT_EQ(GrowRingBuffer(&player->ring, static_cast<int>(pcm.size())), 0);
        for (uint8_t byte : pcm) {
            player->ring.data[player->ring.write++] = byte;
            ++player->ring.stored;
            WrapRingBufferPositions(&player->ring);
        }
    }
    // Mixes `frames` frames, updating the players every kStep frames; the left channel.
    std::vector<int16_t> Hear(uint32_t frames) {
        TakeManualAudioFrames();
        for (uint32_t done = 0; done < frames; done += kStep) {
            AdvanceManualAudioOutputs(kStep);
            UpdateAllSoftSoundPlayers();
        }
        const std::vector<int16_t> mixed = TakeManualAudioFrames();
        std::vector<int16_t> left;
        for (size_t i = 0; i < mixed.size(); i += 2) left.push_back(mixed[i]);
        return left;
    }
};

int Playing(SoftSoundPlayer* player) {
    DWORD status = 0;
    SoundBufferGetStatus(&player->slot, &status);
    return (status & DSBSTATUS_PLAYING) ? 1 : 0;
}

std::vector<int16_t> Ramp(uint32_t frames, uint32_t first) {
    std::vector<int16_t> left;
    for (uint32_t i = 0; i < frames; ++i) left.push_back(static_cast<int16_t>((first + i) % 30000));
    return left;
}

// The ring's data follows in the parts of the buffer that have been played; once the ring runs dry
// silence is written, and data fed later is heard one buffer after it came.
TEST_F(SoftSoundFixture, PlayerRefillsThePlayedPartFromItsRing) {
    ASSERT_EQ(InitSound(), 0);
    int handle = 0;
    SoftSoundPlayer* player = MakePlayer(&handle);
    Feed(player, StereoRamp(2500, 0));
    std::vector<int16_t> expected(kBufferFrames, 0);  // the buffer filled before the ring had data
    const std::vector<int16_t> ramp = Ramp(2500, 0);
    expected.insert(expected.end(), ramp.begin(), ramp.end());
    expected.resize(4000, 0);
    EXPECT_EQ(Hear(4000), expected);
    EXPECT_EQ(player->ring.stored, 0u);

    Feed(player, StereoRamp(700, 5000));
    expected.assign(kBufferFrames, 0);
    const std::vector<int16_t> late = Ramp(700, 5000);
    expected.insert(expected.end(), late.begin(), late.end());
    expected.resize(3000, 0);
    EXPECT_EQ(Hear(3000), expected);
    EXPECT_EQ(DeleteHandle(handle), 0);
}

TEST_F(SoftSoundFixture, PauseOfAllPlayersHoldsThemAndResumeGoesOn) {
    ASSERT_EQ(InitSound(), 0);
    int first = 0, second = 0;
    SoftSoundPlayer* playing = MakePlayer(&first);
    SoftSoundPlayer* stopped = MakePlayer(&second);
    ASSERT_EQ(SoundBufferStop(&stopped->slot), 0);
    Feed(playing, StereoRamp(3000, 0));
    std::vector<int16_t> heard = Hear(1500);
    ASSERT_EQ(PauseSoftSoundPlayers(1), 0);
    EXPECT_EQ(Playing(playing), 0);
    const std::vector<int16_t> gap = Hear(800);
    EXPECT_EQ(gap, std::vector<int16_t>(gap.size(), 0));
    ASSERT_EQ(PauseSoftSoundPlayers(0), 0);
    EXPECT_EQ(Playing(playing), 1);
    EXPECT_EQ(Playing(stopped), 0) << "a player stopped before the pause stays stopped";
    const std::vector<int16_t> rest = Hear(3000);
    heard.insert(heard.end(), rest.begin(), rest.end());
    std::vector<int16_t> expected(kBufferFrames, 0);
    const std::vector<int16_t> ramp = Ramp(3000, 0);
    expected.insert(expected.end(), ramp.begin(), ramp.end());
    expected.resize(heard.size(), 0);
    EXPECT_EQ(heard, expected);
}

TEST_F(SoftSoundFixture, MusicHandleStopsAndAnswersItsPlayQuery) {
    ASSERT_EQ(InitSound(), 0);
    const int handle = AddHandle(kHandleTypeMusic, -1);
    ASSERT_NE(handle, -1);
    auto* record = static_cast<MusicRecord*>(GetHandleData(handle));
    EXPECT_EQ(record->volume, 255);
    record->playing = 1;
    record->playSeen = 1;
    EXPECT_EQ(QueryMusicPlaying(handle), 0) << "no MCI playback runs";
    EXPECT_EQ(StopMusicHandle(handle), 0);
    EXPECT_EQ(record->playing, 0);
    EXPECT_EQ(record->playSeen, 0);
    for (int bad : {-1, 0, handle + 1}) {
        EXPECT_EQ(StopMusicHandle(bad), -1) << bad;
        EXPECT_EQ(QueryMusicPlaying(bad), -1) << bad;
    }
    record->playing = 1;
    EXPECT_EQ(DeleteHandle(handle), 0) << "a playing music handle is stopped and deleted";
    EXPECT_EQ(QueryMusicPlaying(handle), -1);
}

}  // namespace
