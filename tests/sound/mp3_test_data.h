// The MP3 fixtures of the sound tests (made by fixtures/make_mp3_fixtures.sh) with their oracle PCM, and
// a converter over bytes in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "converter_fixture.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/sound/sound_converter.h"
#include "sound_test_data.h"

struct Mp3Fixture {
    const char* file;
    const char* oracle;
    int channels;
    int rate;
    int frames;           // MPEG frames in the file
    int samplesPerFrame;  // per channel
    size_t audioStart;    // first frame's offset (after an ID3v2 tag)
    size_t audioEnd;      // end of the last frame (before an ID3v1 tag)
};

inline const std::vector<Mp3Fixture>& Mp3Fixtures() {
    static const std::vector<Mp3Fixture> fixtures = {
        {"tone_stereo.mp3", "tone_stereo.raw", 2, 44100, 13, 1152, 0, 4075},
        {"tone_mono.mp3", "tone_mono.raw", 1, 22050, 22, 576, 133, 2560 - 128},
        {"tone_layer2.mp2", "tone_layer2.raw", 2, 32000, 6, 1152, 0, 3456},
    };
    return fixtures;
}

inline std::vector<int16_t> AsSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

// The oracle (libmad through sox) stops before the file's last frames, so it is compared with the
// start of the decoded PCM. The two decoders round differently: one step of 16-bit PCM apart at most.
inline ::testing::AssertionResult MatchesOracle(const std::vector<uint8_t>& pcm, const Mp3Fixture& fixture) {
    const std::vector<int16_t> got = AsSamples(pcm);
    const std::vector<int16_t> oracle = AsSamples(ReadFixture(fixture.oracle));
    if (oracle.size() < 1000) return ::testing::AssertionFailure() << "oracle missing: " << fixture.oracle;
    if (got.size() < oracle.size())
        return ::testing::AssertionFailure() << got.size() << " samples, oracle has " << oracle.size();
    for (size_t i = 0; i < oracle.size(); ++i) {
        if (std::abs(got[i] - oracle[i]) > 1)
            return ::testing::AssertionFailure() << "sample " << i << ": " << got[i] << ", oracle "
                                                 << oracle[i] << " (" << fixture.file << ")";
    }
    return ::testing::AssertionSuccess();
}
