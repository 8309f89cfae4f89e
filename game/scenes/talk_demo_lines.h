// The dialogue of the opening and the ending: who speaks each line, what is said and how long the line
// stays once it is typed. Lines are numbered by the dialogue's script index; indices without a line are
// script steps of the dialogue itself.
#pragma once

#include <cstdint>

enum TalkSpeaker : int32_t {
    kSpeakerNone = 0,
    kSpeakerLeft = 1,   // the elder
    kSpeakerRight = 2,  // the villager
};

struct TalkLine {
    int32_t index;
    int32_t speaker;
    int32_t extraWait;  // frames after typing: 20 within a page, 360 at a page's end
    const char* text;   // Shift-JIS
};

constexpr int32_t kShortWait = 20;
constexpr int32_t kPageEndWait = 360;

// The first index of the opening's and of the ending's lines, and the ending's branch.
constexpr int kOpeningFirstLine = 1;
constexpr int kEndingFirstLine = 22;
constexpr int kBranchFromLine = 39;
constexpr int kBranchFirstLine = 50;

// The line at a script index; null where the index holds none.
const TalkLine* FindTalkLine(int index);
// The index the dialogue reached this one from: the one before, or the line the branch leaves.
int PreviousTalkIndex(int index);
// Every line, in index order.
const TalkLine* TalkLines(int* count);
