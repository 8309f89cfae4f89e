// A ".pttune" score (see PTTUNE.md): tempo, instruments, and one monophonic track of notes and rests
// per line of play, timed in ticks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TuneWave { kSquare, kPulse, kTriangle, kSaw, kSine, kNoise };

struct TuneInstrument {
    std::string name;
    TuneWave wave = TuneWave::kSquare;
    double attackMs = 5.0;
    double decayMs = 50.0;
    double sustain = 0.7;  // level held after the decay, 0 to 1
    double releaseMs = 60.0;
    double volume = 0.3;  // 0 to 1
    double pan = 0.0;     // -1 left to 1 right
};

struct TuneEvent {
    int32_t startTick = 0;
    int32_t ticks = 0;
    int32_t note = -1;  // MIDI note number (69 = A4 = 440 Hz); -1 for a rest
};

struct TuneTrack {
    int instrument = 0;  // index into TuneScore::instruments
    std::vector<TuneEvent> events;
    int32_t lengthTicks = 0;
};

struct TuneScore {
    double tempo = 120.0;  // beats per minute
    int32_t ticksPerBeat = 4;
    int32_t loopTick = 0;
    int32_t lengthTicks = 0;  // the tune's end: the longest track unless given
    std::vector<TuneInstrument> instruments;
    std::vector<TuneTrack> tracks;
};

constexpr size_t kTuneFileLimit = 256 * 1024;
constexpr size_t kTuneInstrumentLimit = 16;
constexpr size_t kTuneTrackLimit = 16;
constexpr size_t kTuneEventLimit = 16384;
constexpr int32_t kTuneTickLimit = 1 << 22;

// Parses the text of a score; false with a message naming the line when it is not a valid score.
bool ParseTuneScore(const std::string& text, TuneScore* score, std::string* error);
// Reads and parses a score file.
bool LoadTuneScore(const std::string& path, TuneScore* score, std::string* error);
