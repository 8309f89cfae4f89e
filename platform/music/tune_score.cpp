#include "platform/music/tune_score.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

struct Line {
    int number;
    std::vector<std::string> words;
};

bool Fail(std::string* error, int line, const std::string& message) {
    *error = "line " + std::to_string(line) + ": " + message;
    return false;
}

bool ParseNumber(const std::string& text, double low, double high, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < low || value > high) return false;
    *out = value;
    return true;
}

bool ParseInteger(const std::string& text, int32_t low, int32_t high, int32_t* out) {
    double value;
    if (!ParseNumber(text, low, high, &value) || value != std::floor(value)) return false;
    *out = static_cast<int32_t>(value);
    return true;
}

bool ParseWave(const std::string& text, TuneWave* wave) {
    static const struct {
        const char* name;
        TuneWave wave;
    } kWaves[] = {{"square", TuneWave::kSquare},     {"pulse", TuneWave::kPulse},
                  {"triangle", TuneWave::kTriangle}, {"saw", TuneWave::kSaw},
                  {"sine", TuneWave::kSine},         {"noise", TuneWave::kNoise}};
    for (const auto& entry : kWaves) {
        if (text == entry.name) {
            *wave = entry.wave;
            return true;
        }
    }
    return false;
}

// "c4", "f#3", "bb2": letter, optional sharp or flat, octave 0 to 8.
bool ParsePitch(const std::string& text, int32_t* note) {
    static const int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (text.size() < 2 || text[0] < 'a' || text[0] > 'g') return false;
    int semitone = kSemitones[text[0] - 'a'];
    size_t at = 1;
    if (text[at] == '#' || (text[at] == 'b' && at + 1 < text.size())) {
        semitone += text[at] == '#' ? 1 : -1;
        ++at;
    }
    int32_t octave;
    if (!ParseInteger(text.substr(at), 0, 8, &octave)) return false;
    *note = 12 * (octave + 1) + semitone;
    return true;
}

// "<pitch>:<ticks>" or "r:<ticks>".
bool ParseEvent(const std::string& word, TuneEvent* event) {
    const size_t colon = word.find(':');
    if (colon == std::string::npos) return false;
    const std::string pitch = word.substr(0, colon);
    if (!ParseInteger(word.substr(colon + 1), 1, kTuneTickLimit, &event->ticks)) return false;
    if (pitch == "r") {
        event->note = -1;
        return true;
    }
    return ParsePitch(pitch, &event->note);
}

bool ParseInstrument(const Line& line, TuneScore* score, std::string* error) {
    if (line.words.size() < 3) return Fail(error, line.number, "instrument needs a name and a wave");
    if (score->instruments.size() >= kTuneInstrumentLimit)
        return Fail(error, line.number, "too many instruments");
    TuneInstrument instrument;
    instrument.name = line.words[1];
    for (const TuneInstrument& other : score->instruments) {
        if (other.name == instrument.name) return Fail(error, line.number, "instrument defined twice");
    }
    if (!ParseWave(line.words[2], &instrument.wave)) return Fail(error, line.number, "unknown wave");
    for (size_t i = 3; i < line.words.size(); ++i) {
        const std::string& word = line.words[i];
        const size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        bool ok = false;
        if (key == "attack") ok = ParseNumber(value, 0, 10000, &instrument.attackMs);
        if (key == "decay") ok = ParseNumber(value, 0, 10000, &instrument.decayMs);
        if (key == "sustain") ok = ParseNumber(value, 0, 1, &instrument.sustain);
        if (key == "release") ok = ParseNumber(value, 0, 10000, &instrument.releaseMs);
        if (key == "volume") ok = ParseNumber(value, 0, 1, &instrument.volume);
        if (key == "pan") ok = ParseNumber(value, -1, 1, &instrument.pan);
        if (!ok) return Fail(error, line.number, "bad instrument setting '" + word + "'");
    }
    score->instruments.push_back(instrument);
    return true;
}

bool ParseTrack(const Line& line, TuneScore* score, std::string* error) {
    if (line.words.size() != 2) return Fail(error, line.number, "track needs one instrument name");
    if (score->tracks.size() >= kTuneTrackLimit) return Fail(error, line.number, "too many tracks");
    for (size_t i = 0; i < score->instruments.size(); ++i) {
        if (score->instruments[i].name == line.words[1]) {
            TuneTrack track;
            track.instrument = static_cast<int>(i);
            score->tracks.push_back(track);
            return true;
        }
    }
    return Fail(error, line.number, "unknown instrument '" + line.words[1] + "'");
}

bool ParseNotes(const Line& line, TuneScore* score, std::string* error) {
    if (score->tracks.empty()) return Fail(error, line.number, "notes before any track");
    TuneTrack& track = score->tracks.back();
    for (size_t i = 1; i < line.words.size(); ++i) {
        TuneEvent event;
        if (!ParseEvent(line.words[i], &event))
            return Fail(error, line.number, "bad note '" + line.words[i] + "'");
        if (track.events.size() >= kTuneEventLimit)
            return Fail(error, line.number, "too many notes in a track");
        if (event.ticks > kTuneTickLimit - track.lengthTicks)
            return Fail(error, line.number, "track too long");
        event.startTick = track.lengthTicks;
        track.lengthTicks += event.ticks;
        track.events.push_back(event);
    }
    return true;
}

bool ParseLine(const Line& line, TuneScore* score, bool* haveLength, std::string* error) {
    const std::string& key = line.words[0];
    const bool oneValue = line.words.size() == 2;
    if (key == "instrument") return ParseInstrument(line, score, error);
    if (key == "track") return ParseTrack(line, score, error);
    if (key == "notes") return ParseNotes(line, score, error);
    if (key == "tempo" && oneValue && ParseNumber(line.words[1], 20, 400, &score->tempo)) return true;
    if (key == "beat" && oneValue && ParseInteger(line.words[1], 1, 48, &score->ticksPerBeat)) return true;
    if (key == "loop" && oneValue && ParseInteger(line.words[1], 0, kTuneTickLimit, &score->loopTick))
        return true;
    if (key == "length" && oneValue && ParseInteger(line.words[1], 1, kTuneTickLimit, &score->lengthTicks)) {
        *haveLength = true;
        return true;
    }
    return Fail(error, line.number, "bad line starting '" + key + "'");
}

// A comment starts with a '#' at the start of a word; inside a word it is a sharp ("f#3").
size_t CommentStart(const std::string& line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return i;
    }
    return std::string::npos;
}

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        std::istringstream words(raw.substr(0, CommentStart(raw)));
        Line line{number, {}};
        for (std::string word; words >> word;) line.words.push_back(word);
        if (!line.words.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool ParseTuneScore(const std::string& text, TuneScore* score, std::string* error) {
    *score = TuneScore();
    if (text.size() > kTuneFileLimit) return Fail(error, 0, "file larger than 256 KiB");
    if (text.find('\0') != std::string::npos) return Fail(error, 0, "not a text file");
    const std::vector<Line> lines = SplitLines(text);
    if (lines.empty() || lines[0].words.size() != 2 || lines[0].words[0] != "pttune" ||
        lines[0].words[1] != "1") {
        return Fail(error, lines.empty() ? 1 : lines[0].number, "not a pttune 1 score");
    }
    bool haveLength = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!ParseLine(lines[i], score, &haveLength, error)) return false;
    }
    if (score->tracks.empty()) return Fail(error, lines.back().number, "no tracks");
    if (!haveLength) {
        for (const TuneTrack& track : score->tracks)
            score->lengthTicks = std::max(score->lengthTicks, track.lengthTicks);
    }
    if (score->lengthTicks < 1) return Fail(error, lines.back().number, "the tune has no length");
    if (score->loopTick >= score->lengthTicks)
        return Fail(error, lines.back().number, "loop point at or past the end");
    return true;
}

bool LoadTuneScore(const std::string& path, TuneScore* score, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0 && text.size() <= kTuneFileLimit) {
        text.append(chunk, got);
    }
    std::fclose(file);
    if (!ParseTuneScore(text, score, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}
