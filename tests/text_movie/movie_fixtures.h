// The committed Ogg Theora fixtures (made by fixtures/make_movie_fixtures.sh with ffmpeg) and their
// oracles from ffmpeg's own Theora decoder, with a file table that reads a movie from memory.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/files/file_access.h"
#include "tests/text_movie/memory_file_table.h"

inline std::vector<uint8_t> ReadMovieFixture(const std::string& name) {
    std::ifstream in(std::string(KORVALUND_TEST_DIR) + "/fixtures/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr int kFixtureWidth = 32;
constexpr int kFixtureHeight = 24;
constexpr int kFixtureFrames = 10;
constexpr int kFixtureFrameBytes = kFixtureWidth * kFixtureHeight * 3 / 2;

// Planar 4:2:0 frame `frame` of the oracle, Y then U then V.
inline const uint8_t* OracleYuvFrame(int frame) {
    static const std::vector<uint8_t> yuv = ReadMovieFixture("tiny.yuv");
    return yuv.data() + size_t(frame) * kFixtureFrameBytes;
}

inline const uint8_t* OracleRgbFrame(int frame) {
    static const std::vector<uint8_t> rgb = ReadMovieFixture("tiny.rgb");
    return rgb.data() + size_t(frame) * kFixtureWidth * kFixtureHeight * 3;
}
