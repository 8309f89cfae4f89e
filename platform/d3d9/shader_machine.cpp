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

// A pixel program that runs the same instructions on every lane: it can run a block of quads at once.
bool IsStraight(const ShaderProgram& program) {
    if (!program.pixel || program.code.size() > size_t(kShaderInstructionBudget)) return false;
    for (const ShaderInstruction& in : program.code) {
        if ((in.op >= kCall && in.op <= kLabel) || (in.op >= kRep && in.op <= kBreakC) || in.op == kBreakP ||
            in.op == kTexKill || in.predicated || in.destination.relative != RelativeBy::kNone)
            return false;
        for (int i = 0; i < in.source_count; ++i)
            if (in.sources[i].relative != RelativeBy::kNone) return false;
    }
    return true;
}

}  // namespace

void ShaderMachine::Load(const ShaderProgram& program, const ShaderConstants& k,
                         const ShaderSampler* samplers) {
    program_ = &program;
    samplers_ = samplers;
    block_ = IsStraight(program) ? kShaderBlockQuads : 1;
    slots_.assign(size_t(program.slot_count) * size_t(block_), LaneVector{});
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
        for (int c = 0; c < 4; ++c) Fill(slot, c, Broadcast(floats_[n][c]));
}

void ShaderMachine::Fill(uint16_t slot, int c, LaneFloat value) {
    for (int q = 0; q < block_; ++q) Slot(slot, q).c[c] = value;
}

const LaneVector* ShaderMachine::Register(const ShaderOperand& o, int scratch) {
    const int loop = loop_count_ > 0 ? loops_[loop_count_ - 1].counter : 0;
    LaneVector& made = made_[scratch][0];
    if (o.file == OperandFile::kLanes) {
        if (o.relative == RelativeBy::kNone) return &Slot(o.slot);
        const int index = o.slot + loop;
        if (index >= o.first && index < o.first + o.count) return &Slot(uint16_t(index));
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
                               : IndexOffset(Slot(program_->address_slot).c[o.relative_component][l]);
        const int index = o.slot + offset;
        const bool inside = index >= 0 && index < o.count;
        for (int c = 0; c < 4; ++c) made.c[c][l] = inside ? floats_[index][c] : 0.0f;
    }
    return &made;
}

void ShaderMachine::Read(const ShaderOperand& o, int scratch, int quads, const LaneFloat* out[4]) {
    const LaneVector* reg = Register(o, scratch);
    for (int c = 0; c < 4; ++c) out[c] = &reg->c[SwizzleComponent(o.swizzle, c)];
    if (o.modifier == kModNone) return;
    LaneVector* made = made_[scratch];
    for (int q = quads - 1; q >= 0; --q) {
        LaneVector v;
        for (int c = 0; c < 4; ++c) {
            const LaneFloat& x = out[c][q * kQuadStride];
            v.c[c] = o.modifier == kModNegate ? -x : (o.modifier == kModAbs ? Abs(x) : -Abs(x));
        }
        made[q] = v;
    }
    for (int c = 0; c < 4; ++c) out[c] = &made[0].c[c];
}

void ShaderMachine::Write(const ShaderInstruction& in, const LaneVector* value, int quads) {
    const ShaderDestination& d = in.destination;
    int slot = d.slot;
    if (d.relative != RelativeBy::kNone) {
        slot += loop_count_ > 0 ? loops_[loop_count_ - 1].counter : 0;
        if (slot < d.first || slot >= d.first + d.count) return;
    }
    LaneVector* reg = &Slot(uint16_t(slot));
    const bool whole = active_ == kAllLanes && !in.predicated;
    if (whole) {
        for (int c = 0; c < 4; ++c) {
            if (!(d.mask >> c & 1)) continue;
            for (int q = 0; q < quads; ++q)
                reg[q].c[c] = d.saturate ? Saturate(value[q].c[c]) : value[q].c[c];
        }
        return;
    }
    const LaneInt lanes = MaskLanes(active_);
    for (int c = 0; c < 4; ++c) {
        if (!(d.mask >> c & 1)) continue;
        const LaneFloat v = d.saturate ? Saturate(value->c[c]) : value->c[c];
        LaneInt write = lanes;
        if (in.predicated) {
            const LaneFloat& p = Slot(in.predicate.slot).c[SwizzleComponent(in.predicate.swizzle, c)];
            write &= in.predicate.modifier == kModNot ? (p == 0.0f) : (p != 0.0f);
        }
        reg->c[c] = write ? v : reg->c[c];
    }
}

LaneMask ShaderMachine::Condition(const ShaderOperand& o) {
    if (o.file == OperandFile::kBool) return bools_[o.slot] ? kAllLanes : 0;
    const LaneFloat& p = Slot(o.slot).c[SwizzleComponent(o.swizzle, 0)];
    return LanesOf(o.modifier == kModNot ? (p == 0.0f) : (p != 0.0f));
}

LaneMask ShaderMachine::Compare(const ShaderInstruction& in) {
    const LaneFloat *a[4], *b[4];
    Read(in.sources[0], 0, 1, a);
    Read(in.sources[1], 1, 1, b);
    return LanesOf(Compared(in.controls, *a[0], *b[0]));
}

void ShaderMachine::Sample(const ShaderInstruction& in, const LaneFloat* const (*sources)[4], int q,
                           LaneVector* out) {
    static const ShaderSampler kUnbound;
    const ShaderSampler& sampler = samplers_ ? samplers_[in.sources[1].slot] : kUnbound;
    const int at = q * kQuadStride;
    const LaneFloat* s[4] = {sources[0][0] + at, sources[0][1] + at, sources[0][2] + at, sources[0][3] + at};
    LaneFloat coordinate[3] = {*s[0], *s[1], *s[2]};
    if (in.op == kTex && in.controls == kTexProject)
        for (LaneFloat& c : coordinate) c = c / *s[3];
    SampleRequest r;
    r.texels = texels_;
    LaneFloat along_x[3], along_y[3];
    for (int a = 0; a < 3; ++a) r.coordinates[a] = &coordinate[a];
    if (in.op == kTexLdl) {
        r.source = LodSource::kGiven;
        r.lod = *s[3];
    } else if (in.op == kTexLdd) {
        for (int a = 0; a < 3; ++a)
            r.gradients_x[a] = sources[2][a] + at, r.gradients_y[a] = sources[3][a] + at;
    } else if (sampler.level_count > 0 &&
               (sampler.mip_filter != D3DTEXF_NONE || sampler.linear_min != sampler.linear_mag)) {
        // Only a sampler whose level or filter depends on the level of detail needs the gradients.
        for (int a = 0; a < 3; ++a) {
            along_x[a] = AlongX(coordinate[a]);
            along_y[a] = AlongY(coordinate[a]);
            r.gradients_x[a] = &along_x[a];
            r.gradients_y[a] = &along_y[a];
        }
    }
    if (in.op == kTex && in.controls == kTexBias) r.lod = *s[3];
    SampleLanes(sampler, r, out);
}

void ShaderMachine::Execute(const ShaderInstruction& in, int quads) {
    const LaneFloat* s[4][4];
    for (int i = 0; i < in.source_count; ++i) Read(in.sources[i], i, quads, s[i]);
    // Component c of source i in quad q.
    auto at = [&](int i, int c, int q) -> const LaneFloat& { return s[i][c][q * kQuadStride]; };
    LaneVector* r = result_;
    const uint8_t mask = in.destination.mask;
    // The written components only: the others are never stored.
    auto each = [&](auto f) {
        for (int c = 0; c < 4; ++c)
            if (mask >> c & 1)
                for (int q = 0; q < quads; ++q) r[q].c[c] = f(at(0, c, q), c, q);
    };
    auto fill = [&](auto f) {
        for (int q = 0; q < quads; ++q) {
            const LaneFloat v = f(q);
            for (LaneFloat& c : r[q].c) c = v;
        }
    };
    auto scalar = [&](float (*f)(float)) { fill([&](int q) { return EachLane(at(0, 0, q), f); }); };
    auto dot = [&](int n, int q) {
        LaneFloat sum = at(0, 0, q) * at(1, 0, q);
        for (int k = 1; k < n; ++k) sum += at(0, k, q) * at(1, k, q);
        return sum;
    };
    switch (in.op) {
        case kMov:
            each([](const LaneFloat& a, int, int) { return a; });
            break;
        case kAdd:
            each([&](const LaneFloat& a, int c, int q) { return a + at(1, c, q); });
            break;
        case kSub:
            each([&](const LaneFloat& a, int c, int q) { return a - at(1, c, q); });
            break;
        case kMul:
            each([&](const LaneFloat& a, int c, int q) { return a * at(1, c, q); });
            break;
        case kMad:
            each([&](const LaneFloat& a, int c, int q) { return a * at(1, c, q) + at(2, c, q); });
            break;
        case kMin:
            each([&](const LaneFloat& a, int c, int q) { return a < at(1, c, q) ? a : at(1, c, q); });
            break;
        case kMax:
            each([&](const LaneFloat& a, int c, int q) { return a >= at(1, c, q) ? a : at(1, c, q); });
            break;
        case kSlt:
            each([&](const LaneFloat& a, int c, int q) {
                return a < at(1, c, q) ? Broadcast(1) : Broadcast(0);
            });
            break;
        case kSge:
            each([&](const LaneFloat& a, int c, int q) {
                return a >= at(1, c, q) ? Broadcast(1) : Broadcast(0);
            });
            break;
        case kSgn:
            each([](const LaneFloat& a, int, int) {
                return (a > 0.0f ? Broadcast(1) : Broadcast(0)) - (a < 0.0f ? Broadcast(1) : Broadcast(0));
            });
            break;
        case kAbs:
            each([](const LaneFloat& a, int, int) { return Abs(a); });
            break;
        case kFrc:
            each([](const LaneFloat& a, int, int) { return EachLane(a, Fraction); });
            break;
        case kLrp:
            each([&](const LaneFloat& a, int c, int q) {
                return at(2, c, q) + a * (at(1, c, q) - at(2, c, q));
            });
            break;
        case kCmp:
            each([&](const LaneFloat& a, int c, int q) { return a >= 0.0f ? at(1, c, q) : at(2, c, q); });
            break;
        case kDp3:
            fill([&](int q) { return dot(3, q); });
            break;
        case kDp4:
            fill([&](int q) { return dot(4, q); });
            break;
        case kDp2Add:
            fill([&](int q) { return dot(2, q) + at(2, 0, q); });
            break;
        case kCrs:
            for (int q = 0; q < quads; ++q) {
                auto x = [&](int i, int c) -> const LaneFloat& { return at(i, c, q); };
                r[q].c[0] = x(0, 1) * x(1, 2) - x(0, 2) * x(1, 1);
                r[q].c[1] = x(0, 2) * x(1, 0) - x(0, 0) * x(1, 2);
                r[q].c[2] = x(0, 0) * x(1, 1) - x(0, 1) * x(1, 0);
                r[q].c[3] = Broadcast(0);
            }
            break;
        case kNrm:
            for (int q = 0; q < quads; ++q) {
                LaneFloat sum = at(0, 0, q) * at(0, 0, q);
                for (int k = 1; k < 3; ++k) sum += at(0, k, q) * at(0, k, q);
                const LaneFloat f = EachLane(sum, Rsq);
                for (int c = 0; c < 4; ++c) r[q].c[c] = at(0, c, q) * f;
            }
            break;
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
            fill([&](int q) { return EachLane(at(0, 0, q), at(1, 0, q), Pow); });
            break;
        case kLit:
            for (int q = 0; q < quads; ++q) {
                const LaneFloat x = at(0, 0, q), y = at(0, 1, q) > 0.0f ? at(0, 1, q) : Broadcast(0);
                const LaneFloat w =
                    EachLane(at(0, 3, q), [](float v) { return std::clamp(v, -128.0f, 128.0f); });
                r[q].c[0] = r[q].c[3] = Broadcast(1);
                r[q].c[1] = x > 0.0f ? x : Broadcast(0);
                r[q].c[2] =
                    x > 0.0f ? EachLane(y, w, [](float b, float e) { return std::pow(b, e); }) : Broadcast(0);
            }
            break;
        case kDst:
            for (int q = 0; q < quads; ++q) {
                r[q].c[0] = Broadcast(1);
                r[q].c[1] = at(0, 1, q) * at(1, 1, q);
                r[q].c[2] = at(0, 2, q);
                r[q].c[3] = at(1, 3, q);
            }
            break;
        case kSinCos:
            for (int q = 0; q < quads; ++q) {
                r[q].c[0] = EachLane(at(0, 0, q), [](float v) { return std::cos(v); });
                r[q].c[1] = EachLane(at(0, 0, q), [](float v) { return std::sin(v); });
                r[q].c[2] = r[q].c[3] = Broadcast(0);
            }
            break;
        case kMova:
            each([](const LaneFloat& a, int, int) { return EachLane(a, RoundToNearest); });
            break;
        case kDsx:
            each([](const LaneFloat& a, int, int) { return AlongX(a); });
            break;
        case kDsy:
            each([](const LaneFloat& a, int, int) { return AlongY(a); });
            break;
        case kSetP:
            each([&](const LaneFloat& a, int c, int q) {
                return Compared(in.controls, a, at(1, c, q)) ? Broadcast(1) : Broadcast(0);
            });
            break;
        case kTex:
        case kTexLdl:
        case kTexLdd:
            for (int q = 0; q < quads; ++q) Sample(in, s, q, &r[q]);
            break;
        case kTexKill: {  // never in a block
            const LaneInt below = (at(0, 0, 0) < 0.0f) | (at(0, 1, 0) < 0.0f) | (at(0, 2, 0) < 0.0f);
            killed_ |= active_ & LanesOf(below);
            return;
        }
        default:  // nop
            return;
    }
    Write(in, r, quads);
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
            if (active_) Execute(in, 1);
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

void ShaderMachine::RunBlock(int quads) {
    active_ = kAllLanes;
    killed_ = 0;
    for (const ShaderInstruction& in : program_->code) Execute(in, quads);
}

}  // namespace d3d9
