// Reading ".pttune" scores: directives, instruments, notes, and refusals naming the line.
#include <gtest/gtest.h>

#include "platform/music/tune_score.h"

namespace {

TuneScore Parse(const std::string& text) {
    TuneScore score;
    std::string error;
    EXPECT_TRUE(ParseTuneScore(text, &score, &error)) << error;
    return score;
}

TEST(TuneScore, ReadsDirectivesInstrumentsAndTracks) {
    const TuneScore score = Parse(
        "# a comment line\n"
        "pttune 1\n"
        "tempo 150   # trailing comment\n"
        "beat 8\n"
        "loop 4\n"
        "instrument lead pulse attack=2 decay=80 sustain=0.5 release=40 volume=0.25 pan=-0.5\n"
        "instrument bass triangle\n"
        "track bass\n"
        "notes c4:2 r:2\n"
        "\tnotes a4:4\n"
        "track lead\n"
        "notes f#3:1 bb2:3 c0:1 b8:1 e5:16\n");
    EXPECT_EQ(score.tempo, 150.0);
    EXPECT_EQ(score.ticksPerBeat, 8);
    EXPECT_EQ(score.loopTick, 4);
    ASSERT_EQ(score.instruments.size(), 2u);
    const TuneInstrument& lead = score.instruments[0];
    EXPECT_EQ(lead.wave, TuneWave::kPulse);
    EXPECT_EQ(lead.attackMs, 2.0);
    EXPECT_EQ(lead.decayMs, 80.0);
    EXPECT_EQ(lead.sustain, 0.5);
    EXPECT_EQ(lead.releaseMs, 40.0);
    EXPECT_EQ(lead.volume, 0.25);
    EXPECT_EQ(lead.pan, -0.5);
    EXPECT_EQ(score.instruments[1].volume, 0.3);  // defaults
    ASSERT_EQ(score.tracks.size(), 2u);
    EXPECT_EQ(score.tracks[0].instrument, 1);
    ASSERT_EQ(score.tracks[0].events.size(), 3u);
    EXPECT_EQ(score.tracks[0].events[0].note, 60);
    EXPECT_EQ(score.tracks[0].events[1].note, -1);
    EXPECT_EQ(score.tracks[0].events[2].note, 69);
    EXPECT_EQ(score.tracks[0].events[2].startTick, 4);
    EXPECT_EQ(score.tracks[0].lengthTicks, 8);
    std::vector<int> notes;
    for (const TuneEvent& event : score.tracks[1].events) notes.push_back(event.note);
    EXPECT_EQ(notes, (std::vector<int>{54, 46, 12, 119, 76}));
    EXPECT_EQ(score.lengthTicks, 22);  // the longer track
}

TEST(TuneScore, GivenLengthOverridesTheTracks) {
    const TuneScore score = Parse("pttune 1\nlength 3\ninstrument a sine\ntrack a\nnotes c4:8\n");
    EXPECT_EQ(score.lengthTicks, 3);
}

TEST(TuneScore, RefusesBrokenScoresNamingTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "line 1: not a pttune 1 score"},
        {"pttune 2\n", "line 1: not a pttune 1 score"},
        {"pttune 1\n", "line 1: no tracks"},
        {"pttune 1\ntempo 0\n", "line 2: bad line starting 'tempo'"},
        {"pttune 1\ntempo 120 3\n", "line 2: bad line starting 'tempo'"},
        {"pttune 1\ntempo nan\n", "line 2: bad line starting 'tempo'"},
        {"pttune 1\nbeat 2.5\n", "line 2: bad line starting 'beat'"},
        {"pttune 1\nvolume 1\n", "line 2: bad line starting 'volume'"},
        {"pttune 1\ntrack lead\n", "line 2: unknown instrument 'lead'"},
        {"pttune 1\nnotes c4:1\n", "line 2: notes before any track"},
        {"pttune 1\ninstrument a\n", "line 2: instrument needs a name and a wave"},
        {"pttune 1\ninstrument a organ\n", "line 2: unknown wave"},
        {"pttune 1\ninstrument a sine\ninstrument a saw\n", "line 3: instrument defined twice"},
        {"pttune 1\ninstrument a sine sustain=2\n", "line 2: bad instrument setting 'sustain=2'"},
        {"pttune 1\ninstrument a sine loud=1\n", "line 2: bad instrument setting 'loud=1'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes h4:1\n", "line 4: bad note 'h4:1'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes c9:1\n", "line 4: bad note 'c9:1'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes c4:0\n", "line 4: bad note 'c4:0'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes c4\n", "line 4: bad note 'c4'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes c#:1\n", "line 4: bad note 'c#:1'"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes c4:4194304 c4:1\n", "line 4: track too long"},
        {"pttune 1\nloop 4\ninstrument a sine\ntrack a\nnotes c4:4\n",
         "line 5: loop point at or past the end"},
        {"pttune 1\ninstrument a sine\ntrack a\nnotes r:1\nlength 0\n", "line 5: bad line starting 'length'"},
        {"pttune 1\ninstrument a sine\ntrack a\n", "line 3: the tune has no length"},
    };
    for (const Case& c : cases) {
        TuneScore score;
        std::string error;
        EXPECT_FALSE(ParseTuneScore(c.text, &score, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(TuneScore, LimitsCountsAndSize) {
    std::string text = "pttune 1\n";
    for (int i = 0; i < 17; ++i) text += "instrument i" + std::to_string(i) + " sine\n";
    TuneScore score;
    std::string error;
    EXPECT_FALSE(ParseTuneScore(text, &score, &error));
    EXPECT_EQ(error, "line 18: too many instruments");

    text = "pttune 1\ninstrument a sine\n";
    for (int i = 0; i < 17; ++i) text += "track a\nnotes c4:1\n";
    EXPECT_FALSE(ParseTuneScore(text, &score, &error));
    EXPECT_EQ(error, "line 35: too many tracks");

    text = "pttune 1\ninstrument a sine\ntrack a\nnotes";
    for (int i = 0; i < 16385; ++i) text += " r:1";
    EXPECT_FALSE(ParseTuneScore(text + "\n", &score, &error));
    EXPECT_EQ(error, "line 4: too many notes in a track");

    EXPECT_FALSE(ParseTuneScore(std::string(kTuneFileLimit + 1, ' '), &score, &error));
    EXPECT_FALSE(ParseTuneScore(std::string("pttune 1\0\n", 10), &score, &error));
}

TEST(TuneScore, MissingFileSaysSo) {
    TuneScore score;
    std::string error;
    EXPECT_FALSE(LoadTuneScore("/nonexistent/x.pttune", &score, &error));
    EXPECT_EQ(error, "cannot open /nonexistent/x.pttune");
}

}  // namespace
