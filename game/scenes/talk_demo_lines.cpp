#include "game/scenes/talk_demo_lines.h"

#include <iterator>

namespace {

constexpr TalkLine kLines[] = {
    // The arrival.
    {1, kSpeakerRight, kPageEndWait, "長老！あれを見ろ！空から何かがやってきたぞ！"},
    {2, kSpeakerLeft, kShortWait, "わしも長いこと生きておるが、あんなものは見たことがない。"},
    {3, kSpeakerLeft, kPageEndWait, "あれはいったい何なんじゃ……。"},
    // The attack.
    {5, kSpeakerRight, kShortWait, "長老！たいへんだ！村が襲われている！"},
    {6, kSpeakerRight, kPageEndWait, "空から災いがやってきた！"},
    {7, kSpeakerLeft, kPageEndWait, "なんということじゃ！みんな逃げるんじゃ！"},
    // The prayer.
    {9, kSpeakerRight, kShortWait, "偉大なる精霊よ。我らを護りたまえ。"},
    {10, kSpeakerRight, kPageEndWait, "我らに災いを退ける知恵と力を与えたまえ。"},
    {11, kSpeakerLeft, kShortWait, "……災いをなす者は、プンゲ山の洞窟を根城としている。"},
    {12, kSpeakerLeft, kShortWait, "村で最も足の速い者をそこへ向かわせよ……"},
    {13, kSpeakerLeft, kPageEndWait, "……との精霊のお告げじゃ。"},
    // The hero sets out.
    {15, kSpeakerLeft, kShortWait, "zod！お前が行くのじゃ。"},
    {16, kSpeakerLeft, kPageEndWait, "一族のために災いの元を断つのじゃ。"},
    {17, kSpeakerRight, kShortWait, "勇敢な男、zodよ。"},
    {18, kSpeakerRight, kShortWait, "一族に代々伝わる精霊石のナイフを持っていけ。"},
    {19, kSpeakerRight, kPageEndWait, "頼んだぞ！"},
    // The ending: the eruption.
    {22, kSpeakerRight, kShortWait, "長老！長老！たいへんだ！プンゲ山が火を噴いた！"},
    {23, kSpeakerRight, kShortWait, "赤く溶けた岩が流れてくる！焼けた石が降ってくる！"},
    {24, kSpeakerRight, kPageEndWait, "逃げなければ！"},
    {25, kSpeakerLeft, kShortWait, "だいじょうぶじゃ。この村には精霊の加護がある。"},
    {26, kSpeakerLeft, kShortWait, "溶けた岩も、焼けた石も、ここまでは届かぬよ。"},
    {27, kSpeakerLeft, kPageEndWait, "精霊が守ってくれる……。"},
    {28, kSpeakerLeft, kShortWait, "空から来た災いをなす者たちも、"},
    {29, kSpeakerLeft, kShortWait, "炎に焼かれて全滅したじゃろう。"},
    {30, kSpeakerLeft, kPageEndWait, "わしらの村は救われたんじゃ。"},
    {31, kSpeakerLeft, kShortWait, "しかし、zodには気の毒なことじゃ……。"},
    {32, kSpeakerLeft, kShortWait, "いくら精霊の加護があるとはいえ、"},
    {33, kSpeakerLeft, kPageEndWait, "あの炎に飲まれてしまっては助かるまいて……。"},
    {34, kSpeakerLeft, kShortWait, "zod……。"},
    {35, kSpeakerLeft, kPageEndWait, "わしらのために戦ってくれた勇敢な若者じゃった……。"},
    {36, kSpeakerRight, kShortWait, "長老。おれはこれからこの村で生まれてくる子供たちに"},
    {37, kSpeakerRight, kPageEndWait, "zodのことを話してやろうと思う。"},
    {38, kSpeakerRight, kShortWait, "zodの歌も作ろう。一族のために戦った英雄の歌だ。"},
    {39, kSpeakerRight, kPageEndWait, "おれたち一族が続く限り、zodの名も永遠に残るんだ。"},
    {40, kSpeakerLeft, kPageEndWait, "それがよい。zodの魂は我らの中で生き続けるんじゃ……。"},
    // The ending's branch: the hero returns.
    {50, kSpeakerLeft, kShortWait, "それがよい。zodの魂は我らの中で生き続け……"},
    {51, kSpeakerRight, kPageEndWait, "あっ！長老！あれを！あれを見ろ！"},
    {53, kSpeakerLeft, kShortWait, "zod！生きておったか！"},
    {54, kSpeakerLeft, kPageEndWait, "奇跡じゃ！精霊のみわざじゃ！"},
    {55, kSpeakerRight, kShortWait, "zod！よく帰った！祭だ！みんな祭の準備だ！"},
    {56, kSpeakerRight, kPageEndWait, "精霊に感謝をささげる祭を始めるぞ！"},
};

}  // namespace

const TalkLine* FindTalkLine(int index) {
    for (const TalkLine& line : kLines) {
        if (line.index == index) return &line;
    }
    return nullptr;
}

int PreviousTalkIndex(int index) {
    return index == kBranchFirstLine ? kBranchFromLine : index - 1;
}

const TalkLine* TalkLines(int* count) {
    *count = static_cast<int>(std::size(kLines));
    return kLines;
}
