#include "platform/d3d9/shader_machine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/shader_bytecode.h"

namespace d3d9 {

using namespace shader;

namespace {

constexpr int kMaxCallDepth = 4;

float FloatOf(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// Direct3D's rules for the scalar instructions.
float Rcp(float x) {
    if (x == 1.0f) return 1.0f;
    return x == 0.0f ? INFINITY : 1.0f / x;
}
float Rsq(float x) {
    x = std::fabs(x);
    if (x == 1.0f) return 1.0f;
    return x == 0.0f ? INFINITY : 1.0f / std::sqrt(x);
}
float Log(float x) {
    x = std::fabs(x);
    return x == 0.0f ? -INFINITY : std::log2(x);
}
float Exp(float x) {
    return std::exp2(x);
}
float Pow(float x, float y) {
    return Exp(y * Log(x));
}
float Fraction(float x) {
    return x - std::floor(x);
}
float RoundToNearest(float x) {
    return std::floor(x + 0.5f);
}

template <typename F>
LaneFloat EachLane(const LaneFloat& a, F f) {
    LaneFloat r;
    for (int l = 0; l < kShaderLanes; ++l) r[l] = f(a[l]);
    return r;
}
template <typename F>
LaneFloat EachLane(const LaneFloat& a, const LaneFloat& b, F f) {
    LaneFloat r;
    for (int l = 0; l < kShaderLanes; ++l) r[l] = f(a[l], b[l]);
    return r;
}

// The sign bit cleared (vector casts keep the bits).
LaneFloat Abs(const LaneFloat& v) {
    return (LaneFloat)((LaneInt)v & 0x7FFFFFFF);
}

using Components = const LaneFloat* [4];

LaneFloat Dot(const Components& a, const Components& b, int n) {
    LaneFloat s = *a[0] * *b[0];
    for (int k = 1; k < n; ++k) s += *a[k] * *b[k];
    return s;
}

// Lane l of a quad is pixel (l & 1, l >> 1): the differences to the neighbour along x and along y.
LaneFloat AlongX(const LaneFloat& v) {
    return LaneFloat{v[1] - v[0], v[1] - v[0], v[3] - v[2], v[3] - v[2]};
}
LaneFloat AlongY(const LaneFloat& v) {
    return LaneFloat{v[2] - v[0], v[3] - v[1], v[2] - v[0], v[3] - v[1]};
}

LaneInt Compared(uint8_t comparison, const LaneFloat& a, const LaneFloat& b) {
    switch (comparison) {
        case kCmpGt:
            return a > b;
        case kCmpEq:
            return a == b;
        case kCmpGe:
            return a >= b;
        case kCmpLt:
            return a < b;
        case kCmpNe:
            return a != b;
        default:
            return a <= b;
    }
}

// An address-register value as a register index offset; far values (and NaN) fall outside every file.
int IndexOffset(float v) {
    return v >= -65536.0f && v <= 65536.0f ? int(v) : 1 << 20;
}

}  // namespace

void ShaderMachine::Load(const ShaderProgram& program, const ShaderConstants& k,
                         const ShaderSampler* samplers) {
    program_ = &program;
    samplers_ = samplers;
    slots_.assign(program.slot_count, LaneVector{});
    const int floats = std::clamp(k.float_count, 0, 256);
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 4; ++c) floats_[i][c] = i < floats ? k.floats[i][size_t(c)] : 0.0f;
    for (int i = 0; i < 16; ++i) {
        for (int c = 0; c < 4; ++c) ints_[i][c] = k.ints ? k.ints[i][size_t(c)] : 0;
        bools_[i] = k.bools && k.bools[i];
    }
    // The program's own definitions take the place of the device's values.
    for (const auto& [n, bits] : program.float_definitions)
        for (int c = 0; c < 4; ++c) floats_[n][c] = FloatOf(bits[size_t(c)]);
    for (const auto& [n, bits] : program.int_definitions)
        for (int c = 0; c < 4; ++c) ints_[n][c] = int32_t(bits[size_t(c)]);
    for (const auto& [n, value] : program.bool_definitions) bools_[n] = value != 0;
    for (const auto& [n, slot] : program.constant_slots)
        for (int c = 0; c < 4; ++c) slots_[slot].c[c] = Broadcast(floats_[n][c]);
}

const LaneVector* ShaderMachine::Register(const ShaderOperand& o, int scratch) {
    const int loop = loop_count_ > 0 ? loops_[loop_count_ - 1].counter : 0;
    LaneVector& made = made_[scratch];
    if (o.file == OperandFile::kLanes) {
        if (o.relative == RelativeBy::kNone) return &slots_[o.slot];
        const int index = o.slot + loop;
        if (index >= o.first && index < o.first + o.count) return &slots_[size_t(index)];
        made = LaneVector{};
        return &made;
    }
    if (o.file != OperandFile::kConstant) {
        made = LaneVector{};
        return &made;
    }
    for (int l = 0; l < kShaderLanes; ++l) {
        const int offset = o.relative == RelativeBy::kLoop
                               ? loop
                               : IndexOffset(slots_[program_->address_slot].c[o.relative_component][l]);
        const int index = o.slot + offset;
        const bool inside = index >= 0 && index < o.count;
        for (int c = 0; c < 4; ++c) made.c[c][l] = inside ? floats_[index][c] : 0.0f;
    }
    return &made;
}

void ShaderMachine::Read(const ShaderOperand& o, int scratch, const LaneFloat* out[4]) {
    const LaneVector* reg = Register(o, scratch);
    for (int c = 0; c < 4; ++c) out[c] = &reg->c[SwizzleComponent(o.swizzle, c)];
    if (o.modifier == kModNone) return;
    LaneVector v;
    for (int c = 0; c < 4; ++c) {
        const LaneFloat& x = *out[c];
        v.c[c] = o.modifier == kModNegate ? -x : (o.modifier == kModAbs ? Abs(x) : -Abs(x));
    }
    made_[scratch] = v;
    for (int c = 0; c < 4; ++c) out[c] = &made_[scratch].c[c];
}

void ShaderMachine::Write(const ShaderInstruction& in, const LaneVector& value) {
    const ShaderDestination& d = in.destination;
    int slot = d.slot;
    if (d.relative != RelativeBy::kNone) {
        slot += loop_count_ > 0 ? loops_[loop_count_ - 1].counter : 0;
        if (slot < d.first || slot >= d.first + d.count) return;
    }
    LaneVector& reg = slots_[size_t(slot)];
    const bool whole = active_ == kAllLanes && !in.predicated;
    const LaneInt lanes = MaskLanes(active_);
    for (int c = 0; c < 4; ++c) {
        if (!(d.mask >> c & 1)) continue;
        const LaneFloat v = d.saturate ? Saturate(value.c[c]) : value.c[c];
        if (whole) {
            reg.c[c] = v;
            continue;
        }
        LaneInt write = lanes;
        if (in.predicated) {
            const LaneFloat& p = slots_[in.predicate.slot].c[SwizzleComponent(in.predicate.swizzle, c)];
            write &= in.predicate.modifier == kModNot ? (p == 0.0f) : (p != 0.0f);
        }
        reg.c[c] = write ? v : reg.c[c];
    }
}

LaneMask ShaderMachine::Condition(const ShaderOperand& o) {
    if (o.file == OperandFile::kBool) return bools_[o.slot] ? kAllLanes : 0;
    const LaneFloat& p = slots_[o.slot].c[SwizzleComponent(o.swizzle, 0)];
    return LanesOf(o.modifier == kModNot ? (p == 0.0f) : (p != 0.0f));
}

LaneMask ShaderMachine::Compare(const ShaderInstruction& in) {
    const LaneFloat *a[4], *b[4];
    Read(in.sources[0], 0, a);
    Read(in.sources[1], 1, b);
    return LanesOf(Compared(in.controls, *a[0], *b[0]));
}

void ShaderMachine::Sample(const ShaderInstruction& in, const LaneFloat* const* s, LaneVector* out) {
    static const ShaderSampler kUnbound;
    const ShaderSampler& sampler = samplers_ ? samplers_[in.sources[1].slot] : kUnbound;
    LaneFloat coordinate[3] = {*s[0], *s[1], *s[2]};
    if (in.op == kTex && in.controls == kTexProject)
        for (LaneFloat& c : coordinate) c = c / *s[3];
    SampleRequest r;
    LaneFloat along_x[3], along_y[3];
    for (int a = 0; a < 3; ++a) r.coordinates[a] = &coordinate[a];
    if (in.op == kTexLdl) {
        r.source = LodSource::kGiven;
        r.lod = *s[3];
    } else if (in.op == kTexLdd) {
        const LaneFloat *x[4], *y[4];
        Read(in.sources[2], 2, x);
        Read(in.sources[3], 3, y);
        for (int a = 0; a < 3; ++a) r.gradients_x[a] = x[a], r.gradients_y[a] = y[a];
    } else {
        for (int a = 0; a < 3; ++a) {
            along_x[a] = AlongX(coordinate[a]);
            along_y[a] = AlongY(coordinate[a]);
            r.gradients_x[a] = &along_x[a];
            r.gradients_y[a] = &along_y[a];
        }
        if (in.controls == kTexBias) r.lod = *s[3];
    }
    SampleLanes(sampler, r, out);
}

void ShaderMachine::Execute(const ShaderInstruction& in) {
    const LaneFloat* s[4][4];
    for (int i = 0; i < in.source_count; ++i) Read(in.sources[i], i, s[i]);
    LaneVector r;
    auto each = [&](auto f) {
        for (int c = 0; c < 4; ++c) r.c[c] = f(*s[0][c], c);
    };
    auto fill = [&](const LaneFloat& v) {
        for (LaneFloat& c : r.c) c = v;
    };
    auto scalar = [&](float (*f)(float)) { fill(EachLane(*s[0][0], f)); };
    switch (in.op) {
        case kMov:
            each([](const LaneFloat& a, int) { return a; });
            break;
        case kAdd:
            each([&](const LaneFloat& a, int c) { return a + *s[1][c]; });
            break;
        case kSub:
            each([&](const LaneFloat& a, int c) { return a - *s[1][c]; });
            break;
        case kMul:
            each([&](const LaneFloat& a, int c) { return a * *s[1][c]; });
            break;
        case kMad:
            each([&](const LaneFloat& a, int c) { return a * *s[1][c] + *s[2][c]; });
            break;
        case kMin:
            each([&](const LaneFloat& a, int c) { return a < *s[1][c] ? a : *s[1][c]; });
            break;
        case kMax:
            each([&](const LaneFloat& a, int c) { return a >= *s[1][c] ? a : *s[1][c]; });
            break;
        case kSlt:
            each([&](const LaneFloat& a, int c) { return a < *s[1][c] ? Broadcast(1) : Broadcast(0); });
            break;
        case kSge:
            each([&](const LaneFloat& a, int c) { return a >= *s[1][c] ? Broadcast(1) : Broadcast(0); });
            break;
        case kSgn:
            each([](const LaneFloat& a, int) {
                return (a > 0.0f ? Broadcast(1) : Broadcast(0)) - (a < 0.0f ? Broadcast(1) : Broadcast(0));
            });
            break;
        case kAbs:
            each([](const LaneFloat& a, int) { return Abs(a); });
            break;
        case kFrc:
            each([](const LaneFloat& a, int) { return EachLane(a, Fraction); });
            break;
        case kLrp:
            each([&](const LaneFloat& a, int c) { return *s[2][c] + a * (*s[1][c] - *s[2][c]); });
            break;
        case kCmp:
            each([&](const LaneFloat& a, int c) { return a >= 0.0f ? *s[1][c] : *s[2][c]; });
            break;
        case kDp3:
            fill(Dot(s[0], s[1], 3));
            break;
        case kDp4:
            fill(Dot(s[0], s[1], 4));
            break;
        case kDp2Add:
            fill(Dot(s[0], s[1], 2) + *s[2][0]);
            break;
        case kCrs:
            r.c[0] = *s[0][1] * *s[1][2] - *s[0][2] * *s[1][1];
            r.c[1] = *s[0][2] * *s[1][0] - *s[0][0] * *s[1][2];
            r.c[2] = *s[0][0] * *s[1][1] - *s[0][1] * *s[1][0];
            r.c[3] = Broadcast(0);
            break;
        case kNrm: {
            const LaneFloat f = EachLane(Dot(s[0], s[0], 3), Rsq);
            each([&](const LaneFloat& a, int) { return a * f; });
            break;
        }
        case kRcp:
            scalar(Rcp);
            break;
        case kRsq:
            scalar(Rsq);
            break;
        case kExp:
        case kExpP:
            scalar(Exp);
            break;
        case kLog:
        case kLogP:
            scalar(Log);
            break;
        case kPow:
            fill(EachLane(*s[0][0], *s[1][0], Pow));
            break;
        case kLit: {
            const LaneFloat x = *s[0][0], y = *s[0][1] > 0.0f ? *s[0][1] : Broadcast(0);
            const LaneFloat w = EachLane(*s[0][3], [](float v) { return std::clamp(v, -128.0f, 128.0f); });
            r.c[0] = r.c[3] = Broadcast(1);
            r.c[1] = x > 0.0f ? x : Broadcast(0);
            r.c[2] =
                x > 0.0f ? EachLane(y, w, [](float b, float e) { return std::pow(b, e); }) : Broadcast(0);
            break;
        }
        case kDst:
            r.c[0] = Broadcast(1);
            r.c[1] = *s[0][1] * *s[1][1];
            r.c[2] = *s[0][2];
            r.c[3] = *s[1][3];
            break;
        case kSinCos:
            r.c[0] = EachLane(*s[0][0], [](float v) { return std::cos(v); });
            r.c[1] = EachLane(*s[0][0], [](float v) { return std::sin(v); });
            r.c[2] = r.c[3] = Broadcast(0);
            break;
        case kMova:
            each([](const LaneFloat& a, int) { return EachLane(a, RoundToNearest); });
            break;
        case kDsx:
            each([](const LaneFloat& a, int) { return AlongX(a); });
            break;
        case kDsy:
            each([](const LaneFloat& a, int) { return AlongY(a); });
            break;
        case kSetP:
            each([&](const LaneFloat& a, int c) {
                return Compared(in.controls, a, *s[1][c]) ? Broadcast(1) : Broadcast(0);
            });
            break;
        case kTex:
        case kTexLdl:
        case kTexLdd:
            Sample(in, s[0], &r);
            break;
        case kTexKill: {
            const LaneInt below = (*s[0][0] < 0.0f) | (*s[0][1] < 0.0f) | (*s[0][2] < 0.0f);
            killed_ |= active_ & LanesOf(below);
            return;
        }
        default:  // nop
            return;
    }
    Write(in, r);
}

void ShaderMachine::Break(LaneMask lanes) {
    Loop& loop = loops_[loop_count_ - 1];
    loop.live &= ~lanes;
    for (int b = loop.branches; b < branch_count_; ++b) {
        branches_[b].saved &= ~lanes;
        branches_[b].taken &= ~lanes;
    }
    active_ &= ~lanes;
}

int ShaderMachine::Jump(int pc) {
    const std::vector<ShaderInstruction>& code = program_->code;
    const ShaderInstruction& in = code[size_t(pc)];
    switch (in.op) {
        case kIf:
        case kIfC: {
            const bool per_lane = in.op == kIfC || in.sources[0].file == OperandFile::kLanes;
            if (!per_lane) {
                // A static branch: the part that does not run is jumped over.
                const bool taken = bools_[in.sources[0].slot];
                if (taken || code[size_t(in.link)].op == kElse) branches_[branch_count_++] = {false, 0, 0};
                return taken ? pc + 1 : in.link + 1;
            }
            const LaneMask condition = in.op == kIfC ? Compare(in) : Condition(in.sources[0]);
            branches_[branch_count_++] = {true, active_, active_ & condition};
            active_ &= condition;
            return active_ ? pc + 1 : in.link;  // its else or endif takes over
        }
        case kElse: {
            const Branch& b = branches_[branch_count_ - 1];
            if (!b.per_lane) {  // reached only after the taken part
                --branch_count_;
                return in.link + 1;
            }
            active_ = b.saved & ~b.taken;
            return active_ ? pc + 1 : in.link;
        }
        case kEndIf: {
            const Branch& b = branches_[--branch_count_];
            if (b.per_lane) active_ = b.saved;
            return pc + 1;
        }
        case kLoop:
        case kRep: {
            // The count, start and step in the ranges Direct3D gives them: 0..255, 0..255, -128..127.
            const int* i = ints_[in.sources[in.op == kLoop ? 1 : 0].slot];
            const int count = std::clamp(i[0], 0, 255);
            if (count == 0 || active_ == 0) return in.link + 1;
            const bool loop = in.op == kLoop;
            const int start =
                loop ? std::clamp(i[1], 0, 255) : (loop_count_ > 0 ? loops_[loop_count_ - 1].counter : 0);
            const int step = loop ? std::clamp(i[2], -128, 127) : 0;
            loops_[loop_count_++] = {pc + 1, in.link, count, start, step, active_, active_, branch_count_};
            return pc + 1;
        }
        case kEndLoop:
        case kEndRep: {
            Loop& loop = loops_[loop_count_ - 1];
            if (--loop.remaining > 0 && loop.live) {
                loop.counter += loop.step;
                active_ = loop.live;
                return loop.start;
            }
            active_ = loop.saved;
            --loop_count_;
            return pc + 1;
        }
        case kBreak:
        case kBreakC:
        case kBreakP: {
            LaneMask lanes = active_;
            if (in.op == kBreakC) lanes &= Compare(in);
            if (in.op == kBreakP) lanes &= Condition(in.sources[0]);
            Break(lanes);
            Loop& loop = loops_[loop_count_ - 1];
            if (loop.live) return pc + 1;
            branch_count_ = loop.branches;
            return in.link;
        }
        case kCall:
        case kCallNz: {
            LaneMask lanes = active_;
            if (in.op == kCallNz) lanes &= Condition(in.sources[1]);
            if (!lanes || call_count_ == kMaxCallDepth) return pc + 1;
            calls_[call_count_++] = {pc + 1, active_, branch_count_, loop_count_};
            active_ = lanes;
            return in.link + 1;
        }
        case kRet: {
            if (call_count_ == 0) return int(code.size());
            const Call& c = calls_[--call_count_];
            active_ = c.saved;
            branch_count_ = c.branches;
            loop_count_ = c.loops;
            return c.back;
        }
        case kLabel:
            return pc + 1;
        default:
            if (active_) Execute(in);
            return pc + 1;
    }
}

LaneMask ShaderMachine::Run(LaneMask lanes) {
    active_ = lanes;
    killed_ = 0;
    branch_count_ = loop_count_ = call_count_ = 0;
    const int n = int(program_->code.size());
    int budget = kShaderInstructionBudget;
    for (int pc = 0; pc < n && budget > 0; --budget) pc = Jump(pc);
    return lanes & ~killed_;
}

}  // namespace d3d9
