// The dialogue: its lines as Shift-JIS with their speakers and lengths, letter-by-letter typing, when a line
// ends, the script indices that wait for and advance the owner's step, the ending and its branch, and what is
// drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/scenes/talk_demo_lines.h"
#include "game/scenes/talk_demo_task.h"
#include "tests/game/scenes/story_fixture.h"

namespace {

// The script's lines: the indices that hold one, those the villager (right) speaks and those that end a
// page (and wait 360 frames instead of 20).
std::vector<int> Indices(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> indices;
    for (const auto& [first, last] : runs) {
        for (int i = first; i <= last; ++i) indices.push_back(i);
    }
    return indices;
}
const std::vector<int> kLineIndices =
    Indices({{1, 3}, {5, 7}, {9, 13}, {15, 19}, {22, 40}, {50, 51}, {53, 56}});
const std::set<int> kVillagerLines = {1, 5, 6, 9, 10, 17, 18, 19, 22, 23, 24, 36, 37, 38, 39, 51, 55, 56};
const std::set<int> kPageEnds = {1, 3, 6, 7, 10, 13, 16, 19, 24, 27, 30, 33, 35, 37, 39, 40, 51, 54, 56};

std::string ShiftJis(const char8_t* utf8) {
    return ConvertText("UTF-8", "CP932", reinterpret_cast<const char*>(utf8));
}

class TalkDemoTest : public StoryTest {
  protected:
    void SetUp() override {
        StoryTest::SetUp();
        MakeMap(5, -1);
    }

    // A dialogue at the index, as if the previous line had just ended there.
    TalkDemoTask* TalkAt(int index, int32_t* step) {
        TalkDemoTask* talk = CreateTask<TalkDemoTask>(0.0, 0.0, &map_, step);
        talk->state = index;
        talk->leftOffset = talk->rightOffset = 0;
        return talk;
    }

    // Updates until the index changes; the number of updates, or -1 beyond the limit.
    static int UpdatesUntilLineEnds(TalkDemoTask& talk, uint32_t mask, int limit = 2000) {
        const int index = talk.LineIndex();
        for (int n = 1; n <= limit; ++n) {
            Step(talk, mask);
            if (talk.LineIndex() != index) return n;
        }
        return -1;
    }

    int32_t step_ = 0;
};

// Each line is whole Shift-JIS text (the first, a line with ASCII letters and the last checked against
// iconv), spoken by its speaker with its wait, and typed to its whole byte length.
TEST_F(TalkDemoTest, EveryLineIsShiftJisSpokenByItsSpeakerAndTypedWhole) {
    int count = 0;
    const TalkLine* lines = TalkLines(&count);
    std::vector<int> indices;
    for (int i = 0; i < count; ++i) indices.push_back(lines[i].index);
    EXPECT_EQ(indices, kLineIndices);
    EXPECT_EQ(std::string(FindTalkLine(1)->text), ShiftJis(u8"長老！あれを見ろ！空から何かがやってきたぞ！"));
    EXPECT_EQ(std::string(FindTalkLine(15)->text), ShiftJis(u8"zod！お前が行くのじゃ。"));
    EXPECT_EQ(std::string(FindTalkLine(56)->text), ShiftJis(u8"精霊に感謝をささげる祭を始めるぞ！"));
    for (int index : kLineIndices) {
        SCOPED_TRACE(index);
        const std::string bytes = FindTalkLine(index)->text;
        const std::string utf8 = ConvertText("CP932", "UTF-8", bytes);
        ASSERT_FALSE(utf8.empty());
        EXPECT_EQ(ConvertText("UTF-8", "CP932", utf8), bytes);
        TalkDemoTask* talk = TalkAt(index, &step_);
        Step(*talk, kAttack);
        EXPECT_EQ(talk->speaker, kVillagerLines.count(index) != 0 ? kSpeakerRight : kSpeakerLeft);
        EXPECT_EQ(talk->extraWait, kPageEnds.count(index) != 0 ? 360 : 20);
        EXPECT_EQ(talk->lineLength, static_cast<int>(bytes.size()));
        while (talk->shownBytes < talk->lineLength) Step(*talk, kAttack);
        EXPECT_EQ(talk->shownBytes, talk->lineLength);
        EXPECT_EQ(talk->LineIndex(), index);
        talk->dead = 1;
    }
}

// One character every five frames, ASCII letters included; the drawn part of the line is always whole
// characters.
TEST_F(TalkDemoTest, TypingShowsOneWholeCharacterEveryFiveFrames) {
    for (int index : {15, 17, 34, 2}) {
        SCOPED_TRACE(index);
        TalkDemoTask* talk = TalkAt(index, &step_);
        const std::string text = FindTalkLine(index)->text;
        const size_t characters = static_cast<size_t>(ShiftJisCharacters(text));
        std::vector<int> growthFrames;
        int previous = 0;
        for (int f = 0; f == 0 || talk->shownBytes < talk->lineLength; ++f) {
            Step(*talk);
            if (talk->shownBytes != previous) growthFrames.push_back(f);
            previous = talk->shownBytes;
            const std::string shown = text.substr(0, static_cast<size_t>(talk->shownBytes));
            EXPECT_FALSE(ConvertText("CP932", "UTF-8", shown).empty() && !shown.empty()) << f;
        }
        ASSERT_EQ(growthFrames.size(), characters);
        for (size_t i = 0; i < growthFrames.size(); ++i) EXPECT_EQ(growthFrames[i], static_cast<int>(5 * i));
        talk->dead = 1;
    }
}

TEST_F(TalkDemoTest, HoldingAttackTypesACharacterEveryFrame) {
    TalkDemoTask* talk = TalkAt(2, &step_);
    for (int f = 1; f <= 28; ++f) {
        Step(*talk, kAttack);
        EXPECT_EQ(talk->shownBytes, 2 * f);
    }
    EXPECT_EQ(talk->shownBytes, talk->lineLength);
}

// Mashing ATTACK speeds the typing but a line ends only on a press after it was whole.
TEST_F(TalkDemoTest, AttackNeverCutsALineShortBeforeItIsFullyTyped) {
    for (int index : {1, 2, 15, 24}) {
        SCOPED_TRACE(index);
        TalkDemoTask* talk = TalkAt(index, &step_);
        bool wholeBefore = false;
        for (int f = 0; f < 400 && talk->LineIndex() == index; ++f) {
            const bool whole = talk->lineLength > 0 && talk->shownBytes == talk->lineLength;
            Step(*talk, f % 2 == 0 ? kAttack : 0);
            if (talk->LineIndex() != index) {
                EXPECT_TRUE(wholeBefore);
            }
            wholeBefore = whole || wholeBefore;
        }
        EXPECT_NE(talk->LineIndex(), index);
        talk->dead = 1;
    }
}

// Without input a line stays its typing time (5 frames a character) and its wait; holding ATTACK ends a
// line within a page soon after it is whole, not one at a page's end; a new press ends any whole line.
TEST_F(TalkDemoTest, ALineEndsAfterItsWaitOrOnANewPress) {
    struct Case {
        int index;
        uint32_t held;
        int updates;
    };
    // Line 2: 28 characters, wait 20; line 1: 22 characters, wait 360; line 17: 10 characters, wait 20.
    // The first update types at counter 0; the line ends on the update whose counter exceeds typing + wait.
    const Case cases[] = {
        {2, 0, 28 * 5 + 20 + 2},
        {1, 0, 22 * 5 + 360 + 2},
        {17, 0, 10 * 5 + 20 + 2},
        {2, kAttack, 28 + (28 * 5 + 1 - (27 * 5 + 1)) + 1},
        {1, kAttack, 22 + (22 * 5 + 360 + 1 - (21 * 5 + 1)) + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        TalkDemoTask* talk = TalkAt(c.index, &step_);
        EXPECT_EQ(UpdatesUntilLineEnds(*talk, c.held), c.updates);
        talk->dead = 1;
    }
    TalkDemoTask* talk = TalkAt(1, &step_);
    Step(*talk, kAttack);
    while (talk->shownBytes < talk->lineLength) Step(*talk, kAttack);
    Step(*talk);
    Step(*talk, kAttack);
    EXPECT_EQ(talk->LineIndex(), 2);
    EXPECT_EQ(talk->shownBytes, 0);
}

TEST_F(TalkDemoTest, EachCharacterPlaysTheTalkSoundAtVolume120) {
    TalkDemoTask* talk = TalkAt(19, &step_);
    ClearCalls();
    Steps(*talk, 25);
    int talks = 0;
    for (int id : EffectsPlayed()) talks += id == kSeTalk;
    EXPECT_EQ(talks, 5);
    EXPECT_EQ(soundEffectVolume[kSeTalk], 120);
    const std::vector<int> volumes = VolumesSet(kSeTalk);
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.back(), 120);
}

// The portraits slide in by 2 a frame, then the opening's first line, or on the ending map the ending's.
TEST_F(TalkDemoTest, ThePortraitsSlideInThenTheOpeningOrTheEndingBegins) {
    for (int kind : {5, 6}) {
        SCOPED_TRACE(kind);
        map_.kind = kind;
        TalkDemoTask* talk = CreateTask<TalkDemoTask>(0.0, 0.0, &map_, &step_);
        for (int f = 1; f <= 39; ++f) {
            Step(*talk);
            EXPECT_EQ(talk->leftOffset, 80 - 2 * f);
            EXPECT_EQ(talk->LineIndex(), 0);
        }
        Step(*talk);
        EXPECT_EQ(talk->LineIndex(), kind == 6 ? 22 : 1);
        talk->dead = 1;
    }
}

TEST_F(TalkDemoTest, AtIndexFourTheArrivalWaitsThenTheAttackMovesOn) {
    TalkDemoTask* talk = TalkAt(4, &step_);
    Steps(*talk, 61);
    EXPECT_EQ(step_, 0);
    Step(*talk);
    EXPECT_EQ(step_, 1);
    step_ = 2;
    Steps(*talk, 50);
    EXPECT_EQ(talk->LineIndex(), 4);
    step_ = 3;
    Step(*talk);
    EXPECT_EQ(talk->LineIndex(), 5);
}

// Between scenes the portraits slide out; after 101 frames the owner's step moves on, and at its next
// step they slide back and the next line begins.
TEST_F(TalkDemoTest, IntermissionsSlideThePortraitsOutAndBackIn) {
    struct Case {
        int index, outStep, doneStep, inStep, nextIndex;
    };
    for (const Case& c : {Case{8, 3, 4, 5, 9}, Case{14, 5, 6, 7, 15}}) {
        SCOPED_TRACE(c.index);
        step_ = c.outStep;
        TalkDemoTask* talk = TalkAt(c.index, &step_);
        Steps(*talk, 40);
        EXPECT_EQ(talk->leftOffset, 80);
        EXPECT_EQ(talk->rightOffset, 80);
        Steps(*talk, 61);
        EXPECT_EQ(step_, c.outStep);
        Step(*talk);
        EXPECT_EQ(step_, c.doneStep);
        Steps(*talk, 20);
        EXPECT_EQ(talk->leftOffset, 80);
        step_ = c.inStep;
        Steps(*talk, 39);
        EXPECT_EQ(talk->leftOffset, 2);
        EXPECT_EQ(talk->LineIndex(), c.index);
        Step(*talk);
        EXPECT_EQ(talk->LineIndex(), c.nextIndex);
        talk->dead = 1;
    }
}

TEST_F(TalkDemoTest, TheOpeningsLastIndexEndsTheOpening) {
    step_ = 7;
    TalkDemoTask* talk = TalkAt(20, &step_);
    Step(*talk);
    EXPECT_EQ(step_, 8);
}

// The ending's lines in order; with the ending-branch flag line 39 is followed by 50 and 40 never shows,
// and the branch hands over to the director (step 10), waits for step 12, and ends at step 13.
TEST_F(TalkDemoTest, TheEndingTakesTheBranchOnlyWithTheFlag) {
    map_.kind = 6;
    for (uint8_t flag : {0, 1}) {
        SCOPED_TRACE(flag);
        finalEventFlag = flag;
        step_ = 0;
        TalkDemoTask* talk = CreateTask<TalkDemoTask>(0.0, 0.0, &map_, &step_);
        std::vector<int> indices;
        for (int f = 0; f < 20000 && step_ == 0; ++f) {
            Step(*talk, f % 2 == 0 ? kAttack : 0);
            if (indices.empty() || indices.back() != talk->LineIndex()) indices.push_back(talk->LineIndex());
        }
        std::vector<int> expected;
        for (int i = 22; i <= 39; ++i) expected.push_back(i);
        if (flag == 0) {
            expected.insert(expected.end(), {40, 41});
            EXPECT_EQ(step_, 1);
        } else {
            expected.insert(expected.end(), {50, 51, 52});
            EXPECT_EQ(step_, 10);
        }
        ASSERT_FALSE(indices.empty());
        indices.erase(indices.begin());  // the slide-in at index 0
        EXPECT_EQ(indices, expected);
        if (flag == 1) {
            step_ = 11;
            Steps(*talk, 30);
            EXPECT_EQ(talk->LineIndex(), 52);
            step_ = 12;
            indices.clear();
            for (int f = 0; f < 20000 && step_ == 12; ++f) {
                Step(*talk, f % 2 == 0 ? kAttack : 0);
                if (indices.empty() || indices.back() != talk->LineIndex())
                    indices.push_back(talk->LineIndex());
            }
            EXPECT_EQ(indices, (std::vector<int>{53, 54, 55, 56, 57}));
            EXPECT_EQ(step_, 13);
            EXPECT_EQ(talk->leftOffset, 80);
        }
        talk->dead = 1;
    }
}

// The page's earlier lines in full above the line being typed, the box and the speaker's name plate.
TEST_F(TalkDemoTest, APageShowsItsEarlierLinesAboveTheOneBeingTyped) {
    TalkDemoTask* talk = TalkAt(13, &step_);
    Steps(*talk, 6);  // two characters
    ClearCalls();
    talk->Draw();
    std::vector<std::pair<int, std::string>> lines;
    for (const auto& call : recording::Named("DrawStringWithFont")) {
        if (call.args[2] == 0xF7F7F7) lines.push_back({static_cast<int>(call.args[1]), call.text});
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (std::pair<int, std::string>{230, FindTalkLine(11)->text}));
    EXPECT_EQ(lines[1], (std::pair<int, std::string>{250, FindTalkLine(12)->text}));
    EXPECT_EQ(lines[2], (std::pair<int, std::string>{270, std::string(FindTalkLine(13)->text, 4)}));
    // The left speaker's plate over the box.
    bool plate = false;
    for (const auto& call : recording::Named("DrawImagePart")) {
        if (call.args[2] == 220 && call.args[4] == 80 && call.args[5] == 20) {
            plate = true;
            EXPECT_EQ(call.args[3], 400);  // the elder's
        }
    }
    EXPECT_TRUE(plate);
    // A line that starts a page stands alone at the top.
    TalkDemoTask* single = TalkAt(50, &step_);
    Step(*single);
    ClearCalls();
    single->Draw();
    ASSERT_EQ(FontTexts().size(), 1u);
    EXPECT_EQ(recording::Named("DrawStringWithFont").back().args[1], 230);
}

TEST_F(TalkDemoTest, PortraitsDrawAtTheirOffsetsWithMouthAndBlink) {
    TalkDemoTask* talk = CreateTask<TalkDemoTask>(0.0, 0.0, &map_, &step_);
    ClearCalls();
    talk->Draw();
    auto parts = recording::Named("DrawImagePart");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ((std::vector<int64_t>{parts[0].args[0], parts[0].args[1], parts[0].args[2], parts[0].args[3]}),
              (std::vector<int64_t>{-80, 280, 0, 0}));
    EXPECT_EQ((std::vector<int64_t>{parts[1].args[0], parts[1].args[1], parts[1].args[2], parts[1].args[3]}),
              (std::vector<int64_t>{400, 280, 0, 100}));
    // The right speaker's line: its mouth opens on the first 6 of every 12 frames while typing.
    TalkDemoTask* speaking = TalkAt(1, &step_);
    int mouthFrames = 0;
    for (int f = 0; f < 24; ++f) {
        Step(*speaking);
        ClearCalls();
        speaking->Draw();
        for (const auto& call : recording::Named("DrawImagePart"))
            mouthFrames +=
                call.args[2] >= 80 && call.args[2] < 160 && call.args[3] >= 100 && call.args[3] < 200;
    }
    EXPECT_EQ(mouthFrames, 12);
    // Eyes close on frames 70-77 of every 140 (left) while the portrait is in.
    TalkDemoTask* blinking = TalkAt(4, &step_);
    std::vector<int> blinkFrames;
    for (int f = 1; f <= 140; ++f) {
        Step(*blinking);
        ClearCalls();
        blinking->Draw();
        for (const auto& call : recording::Named("DrawImagePart"))
            if (call.args[3] >= 400 && call.args[2] < 80) blinkFrames.push_back(f);
    }
    ASSERT_EQ(blinkFrames.size(), 8u);
    EXPECT_EQ(blinkFrames.front(), 70);
    EXPECT_EQ(blinkFrames.back(), 77);
}

}  // namespace
