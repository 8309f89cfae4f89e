#include "platform/d3d9/shader_bytecode.h"

namespace d3d9::shader {

namespace {

constexpr uint16_t P20 = kVersion20, P2X = kVersion2x, P30 = kVersion30;

// opcode, destination, sources, slots, lowest pixel version, lowest vertex version, texture instruction
constexpr OpcodeInfo kOpcodes[] = {
    {kNop, false, 0, 1, P20, P20, false},    {kMov, true, 1, 1, P20, P20, false},
    {kAdd, true, 2, 1, P20, P20, false},     {kSub, true, 2, 1, P20, P20, false},
    {kMad, true, 3, 1, P20, P20, false},     {kMul, true, 2, 1, P20, P20, false},
    {kRcp, true, 1, 1, P20, P20, false},     {kRsq, true, 1, 1, P20, P20, false},
    {kDp3, true, 2, 1, P20, P20, false},     {kDp4, true, 2, 1, P20, P20, false},
    {kMin, true, 2, 1, P20, P20, false},     {kMax, true, 2, 1, P20, P20, false},
    {kSlt, true, 2, 1, 0, P20, false},       {kSge, true, 2, 1, 0, P20, false},
    {kExp, true, 1, 1, P20, P20, false},     {kLog, true, 1, 1, P20, P20, false},
    {kLit, true, 1, 3, 0, P20, false},       {kDst, true, 2, 1, 0, P20, false},
    {kLrp, true, 3, 2, P20, P20, false},     {kFrc, true, 1, 1, P20, P20, false},
    {kM4x4, true, 2, 4, P20, P20, false},    {kM4x3, true, 2, 3, P20, P20, false},
    {kM3x4, true, 2, 4, P20, P20, false},    {kM3x3, true, 2, 3, P20, P20, false},
    {kM3x2, true, 2, 2, P20, P20, false},    {kCall, false, 1, 2, P2X, P20, false},
    {kCallNz, false, 2, 3, P2X, P20, false}, {kLoop, false, 2, 3, P30, P20, false},
    {kRet, false, 0, 1, P2X, P20, false},    {kEndLoop, false, 0, 2, P30, P20, false},
    {kLabel, false, 1, 0, P2X, P20, false},  {kPow, true, 2, 3, P20, P20, false},
    {kCrs, true, 2, 2, P20, P20, false},     {kSgn, true, 3, 3, 0, P20, false},
    {kAbs, true, 1, 1, P20, P20, false},     {kNrm, true, 1, 3, P20, P20, false},
    {kSinCos, true, 1, 8, P20, P20, false},  {kRep, false, 1, 3, P2X, P20, false},
    {kEndRep, false, 0, 2, P2X, P20, false}, {kIf, false, 1, 3, P2X, P20, false},
    {kIfC, false, 2, 3, P2X, P30, false},    {kElse, false, 0, 1, P2X, P20, false},
    {kEndIf, false, 0, 1, P2X, P20, false},  {kBreak, false, 0, 1, P2X, P30, false},
    {kBreakC, false, 2, 3, P2X, P30, false}, {kMova, true, 1, 1, 0, P20, false},
    {kTexKill, true, 0, 1, P20, 0, true},    {kTex, true, 2, 1, P20, 0, true},
    {kExpP, true, 1, 1, 0, P20, false},      {kLogP, true, 1, 1, 0, P20, false},
    {kCmp, true, 3, 1, P20, 0, false},       {kDp2Add, true, 3, 2, P20, 0, false},
    {kDsx, true, 1, 2, P2X, 0, false},       {kDsy, true, 1, 2, P2X, 0, false},
    {kTexLdd, true, 4, 3, P2X, 0, true},     {kSetP, true, 2, 1, P2X, P30, false},
    {kTexLdl, true, 2, 2, P30, P30, true},   {kBreakP, false, 1, 3, P2X, P30, false},
};

}  // namespace

const OpcodeInfo* FindOpcode(uint16_t opcode) {
    for (const OpcodeInfo& info : kOpcodes)
        if (info.opcode == opcode) return &info;
    return nullptr;
}

int SourceCount(const OpcodeInfo& info, uint32_t version) {
    // Before 3.0 sincos also takes the two constants of its series.
    if (info.opcode == kSinCos && version < kVersion30) return 3;
    return info.sources;
}

}  // namespace d3d9::shader
