// The interpreter's flow control: static loops and branches from the integer and boolean constants, branches,
// breaks and calls that differ per lane, predication, texkill, and the bound on instructions a run executes.
#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

const uint32_t kR0s = Source(kRegTemp, 0);
const uint32_t kI0 = Source(Reg(sh::kConstInt), 0);
const uint32_t kB0 = Source(Reg(sh::kConstBool), 0);
const uint32_t kAL = Source(Reg(sh::kLoopRegister), 0);

float X(const std::vector<Vec4>& lanes, size_t lane = 0) {
    return lanes.at(lane)[0];
}

TEST(ShaderFlowControlTest, RepeatsAsOftenAsTheIntegerConstantSaysUpTo255) {
    for (const auto& [count, want] :
         std::vector<std::pair<int, float>>{{0, 0}, {1, 1}, {5, 5}, {300, 255}, {-2, 0}}) {
        ProgramRunner run;
        run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 1)});
        Raw(run.tokens(), sh::kRep, {kI0});
        run.tokens().Op(kOpAdd, {kR0, kR0s, Source(kRegConst, 0)});
        Raw(run.tokens(), sh::kEndRep, {});
        run.tokens().Op(kOpMov, {run.Out(), kR0s});
        run.ints()[0] = {count, 0, 0, 0};
        EXPECT_EQ(X(run.Run({{}}, {{1, 1, 1, 1}, {0, 0, 0, 0}})), want) << "count " << count;
    }
}

TEST(ShaderFlowControlTest, LoopCounterAddressesConstantsFromItsStartByItsStep) {
    ProgramRunner run;
    run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
    Raw(run.tokens(), sh::kLoop, {kAL, kI0});
    run.tokens().Op(kOpAdd, {kR0, kR0s, Source(kRegConst, 1) | 1u << 13, kAL});
    Raw(run.tokens(), sh::kEndLoop, {});
    run.tokens().Op(kOpMov, {run.Out(), kR0s});
    std::vector<Vec4> constants(12);
    for (size_t i = 1; i < constants.size(); ++i) constants[i] = {float(1 << i), 0, 0, 0};
    run.ints()[0] = {3, 2, 3, 0};  // aL = 2, 5, 8: c3, c6, c9
    EXPECT_EQ(X(run.Run({{}}, constants)), float((1 << 3) + (1 << 6) + (1 << 9)));
    run.ints()[0] = {4, 6, 2, 0};  // aL = 6, 8, 10, 12: c13 lies past what was set, so reads 0
    EXPECT_EQ(X(run.Run({{}}, constants)), float((1 << 7) + (1 << 9) + (1 << 11)));
    run.ints()[0] = {3, -5, 1000, 0};  // the start clamped to 0 and the step to 127: c1, c128, c255
    constants.resize(256);
    constants[128] = {1000, 0, 0, 0};
    EXPECT_EQ(X(run.Run({{}}, constants)), 2.0f + 1000.0f);
}

TEST(ShaderFlowControlTest, StaticBranchesFollowTheBooleanConstantUnlessTheProgramDefinesIt) {
    for (bool defined : {false, true})
        for (BOOL set : {FALSE, TRUE}) {
            ProgramRunner run;
            if (defined) DefineBool(run.tokens(), 0, true);
            Raw(run.tokens(), sh::kIf, {kB0});
            run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
            Raw(run.tokens(), sh::kElse, {});
            run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 1)});
            Raw(run.tokens(), sh::kEndIf, {});
            run.tokens().Op(kOpMov, {run.Out(), kR0s});
            run.bools()[0] = set;
            EXPECT_EQ(X(run.Run({{}}, {{1, 0, 0, 0}, {2, 0, 0, 0}})), defined || set ? 1.0f : 2.0f);
        }
}

TEST(ShaderFlowControlTest, BranchesAndBreaksTakeEachLaneItsOwnWay) {
    // The break as breakc, and as break inside an ifc.
    for (bool inside_if : {false, true}) {
        ProgramRunner run;
        // r0.x = the count of iterations before v0.x < iteration (at most 10); r0.y = 1 where v0.y > 0.5,
        // else 2, or 3 where also v0.y < -1.
        run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
        Raw(run.tokens(), sh::kRep, {kI0});
        if (inside_if) {
            Raw(run.tokens(), sh::kIfC | sh::kCmpLt << 16, {run.In(0, 0x00), kR0s});
            Raw(run.tokens(), sh::kBreak, {});
            Raw(run.tokens(), sh::kEndIf, {});
        } else {
            Raw(run.tokens(), sh::kBreakC | sh::kCmpLt << 16, {run.In(0, 0x00), kR0s});
        }
        run.tokens().Op(kOpAdd, {Destination(kRegTemp, 0, kMaskX), kR0s, Source(kRegConst, 1)});
        Raw(run.tokens(), sh::kEndRep, {});
        Raw(run.tokens(), sh::kIfC | sh::kCmpGt << 16, {run.In(0, 0x55), Source(kRegConst, 2, 0x00)});
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskY), Source(kRegConst, 1, 0x00)});
        Raw(run.tokens(), sh::kElse, {});
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskY), Source(kRegConst, 1, 0xAA)});
        Raw(run.tokens(), sh::kIfC | sh::kCmpLt << 16, {run.In(0, 0x55), Source(kRegConst, 2, 0x55)});
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskY), Source(kRegConst, 1, 0xFF)});
        Raw(run.tokens(), sh::kEndIf, {});
        Raw(run.tokens(), sh::kEndIf, {});
        run.tokens().Op(kOpMov, {run.Out(), kR0s});
        run.ints()[0] = {10, 0, 0, 0};
        const std::vector<std::array<Vec4, 4>> lanes = {{Vec4{2.5f, 0.9f, 0, 0}},
                                                        {Vec4{0.0f, 0.0f, 0, 0}},
                                                        {Vec4{7.0f, -3.0f, 0, 0}},
                                                        {Vec4{50.0f, 0.6f, 0, 0}},
                                                        {Vec4{-1.0f, -1.5f, 0, 0}}};
        const auto got = run.Run(lanes, {{0, 0, 0, 0}, {1, 0, 2, 3}, {0.5f, -1, 0, 0}});
        const float want[][2] = {{3, 1}, {1, 2}, {8, 3}, {10, 1}, {0, 3}};
        ASSERT_EQ(got.size(), 5u);
        for (size_t l = 0; l < 5; ++l) {
            EXPECT_EQ(got[l][0], want[l][0]) << "lane " << l << " inside if " << inside_if;
            EXPECT_EQ(got[l][1], want[l][1]) << "lane " << l << " inside if " << inside_if;
        }
    }
}

TEST(ShaderFlowControlTest, CallsRunTheirSubroutineAndComeBack) {
    for (BOOL call : {FALSE, TRUE}) {
        ProgramRunner run;
        run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
        Raw(run.tokens(), sh::kCall, {Source(Reg(sh::kLabelRegister), 2)});
        Raw(run.tokens(), sh::kCallNz, {Source(Reg(sh::kLabelRegister), 7), kB0});
        run.tokens().Op(kOpMov, {run.Out(), kR0s});
        Raw(run.tokens(), sh::kRet, {});
        Raw(run.tokens(), sh::kLabel, {Source(Reg(sh::kLabelRegister), 7)});
        run.tokens().Op(kOpMul, {kR0, kR0s, Source(kRegConst, 2)});
        Raw(run.tokens(), sh::kRet, {});
        Raw(run.tokens(), sh::kLabel, {Source(Reg(sh::kLabelRegister), 2)});
        run.tokens().Op(kOpAdd, {kR0, kR0s, Source(kRegConst, 1)});
        Raw(run.tokens(), sh::kRet, {});
        run.bools()[0] = call;
        EXPECT_EQ(X(run.Run({{}}, {{1, 0, 0, 0}, {2, 0, 0, 0}, {10, 0, 0, 0}})), call ? 30.0f : 3.0f);
    }
}

TEST(ShaderFlowControlTest, PredicatesGuardWritesPerComponentAndLane) {
    ProgramRunner run;
    const uint32_t p0 = Destination(Reg(sh::kPredicate), 0);
    run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
    Raw(run.tokens(), sh::kSetP | sh::kCmpGe << 16, {p0, run.In(0), Source(kRegConst, 1)});
    // (p0) mov r0, c2 and (!p0.wzyx) add r0.xy, r0, c2
    run.tokens().tokens.insert(
        run.tokens().tokens.end(),
        {0x10000000u | sh::kMov | 3u << 24, kR0, Source(Reg(sh::kPredicate), 0), Source(kRegConst, 2)});
    run.tokens().tokens.insert(run.tokens().tokens.end(),
                               {0x10000000u | sh::kAdd | 4u << 24, Destination(kRegTemp, 0, 0x3),
                                Source(Reg(sh::kPredicate), 0, Swizzle(3, 2, 1, 0), Modifier(sh::kModNot)),
                                kR0s, Source(kRegConst, 2)});
    run.tokens().Op(kOpMov, {run.Out(), kR0s});
    const auto got =
        run.Run({{Vec4{1, -1, 1, -1}}, {Vec4{-1, 1, -1, 1}}}, {{0, 0, 0, 0}, {0, 0, 0, 0}, {5, 5, 5, 5}});
    // Lane 0: p0 = (1, 0, 1, 0); x and z take c2; the add goes where p0.w, p0.z are 0: x only (p0.w = 0).
    EXPECT_EQ(got.at(0), (Vec4{10, 0, 5, 0}));
    // Lane 1: p0 = (0, 1, 0, 1); y and w take c2; the add goes where p0.w, p0.z are 0: y (p0.z = 0).
    EXPECT_EQ(got.at(1), (Vec4{0, 10, 0, 5}));
}

TEST(ShaderFlowControlTest, TexkillKillsTheLanesWithANegativeCoordinate) {
    ProgramRunner run(kPs20);
    run.tokens().Op(Op(sh::kTexKill), {Destination(kRegTexture, 0)});
    run.tokens().Op(kOpMov, {run.Out(), run.In(0)});
    run.Run({{Vec4{0, 0, 0, -1}}, {Vec4{-0.1f, 0, 0, 0}}, {Vec4{1, 2, 3, 4}}, {Vec4{0, 0, -5, 0}}});
    EXPECT_EQ(run.killed(), 0b1010u);  // w does not count
}

TEST(ShaderFlowControlTest, ARunStopsAfterItsInstructionBudget) {
    ProgramRunner run;
    run.tokens().Op(kOpMov, {kR0, Source(kRegConst, 0)});
    for (int i = 0; i < 4; ++i) Raw(run.tokens(), sh::kRep, {kI0});
    run.tokens().Op(kOpAdd, {kR0, kR0s, Source(kRegConst, 1)});
    for (int i = 0; i < 4; ++i) Raw(run.tokens(), sh::kEndRep, {});
    run.tokens().Op(kOpMov, {run.Out(), kR0s});
    run.ints()[0] = {255, 0, 0, 0};
    const auto got = run.Run({{}}, {{0, 0, 0, 0}, {1, 0, 0, 0}});
    // 255^4 additions were asked for; fewer than the budget ran, and the output was never written.
    EXPECT_EQ(X(got), 0.0f);
}

}  // namespace
}  // namespace d3d9_test
