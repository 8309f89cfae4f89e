#include "platform/d3d9/shader_program.h"

#include <algorithm>
#include <map>

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/shader_bytecode.h"

namespace d3d9 {

using namespace shader;

namespace {

// The slots of a program's register files, made before its instructions are decoded.
class SlotLayout {
  public:
    explicit SlotLayout(const ParsedShader& s) : pixel_(s.pixel), v3_(s.version >= kVersion30) {
        uint16_t temps = 0;
        auto note = [&](const ParsedParameter& p) {
            if (RegisterTypeOf(p.token) == kTemp)
                temps = std::max<uint16_t>(temps, RegisterNumberOf(p.token) + 1);
        };
        for (const ParsedInstruction& in : s.instructions) {
            if (in.has_destination) note(in.destination);
            for (int i = 0; i < in.source_count; ++i) note(in.sources[i]);
        }
        temp_count = temps;
        uint16_t next = temps;
        input_first = next;
        next += pixel_ ? 10 : 16;  // ps: v0-v9 (or v0, v1, t0-t7); vs: v0-v15
        misc_first = next;
        next += 2;
        output_first = next;
        next +=
            pixel_ ? 5 : 13;  // ps: oC0-oC3, oDepth; vs_2_0: oPos, oFog, oPts, oD0-1, oT0-7; vs_3_0: o0-o11
        address = next++;
        predicate = next++;
        scratch = next;
        next += 4;
        constant_first = next;
    }

    uint16_t InputSlot(uint8_t type, uint32_t n) const {
        return uint16_t(input_first + (type == kAddress ? 2 + n : n));  // t# follow v0, v1 in ps_2_x
    }
    uint16_t InputCount() const { return pixel_ ? 10 : 16; }
    uint16_t OutputSlot(uint8_t type, uint32_t n) const {
        switch (type) {
            case kColorOut:
                return uint16_t(output_first + n);
            case kDepthOut:
                return uint16_t(output_first + 4);
            case kRasterOut:
                return uint16_t(output_first + n);
            case kAttributeOut:
                return uint16_t(output_first + 3 + n);
            default:  // oT# in vs_2_0, o# in vs_3_0
                return uint16_t(output_first + (v3_ ? n : 5 + n));
        }
    }
    uint16_t OutputCount() const { return pixel_ ? 5 : (v3_ ? 12 : 13); }

    uint16_t temp_count, input_first, misc_first, output_first, address, predicate, scratch, constant_first;

  private:
    bool pixel_, v3_;
};

class Decoder {
  public:
    explicit Decoder(const ParsedShader& s) : s_(s), layout_(s) {
        p_.pixel = s.pixel;
        p_.version = s.version;
        p_.temp_count = layout_.temp_count;
        p_.scratch_slot = layout_.scratch;
        if (!s.pixel) p_.address_slot = layout_.address;
    }

    ShaderProgram Run() {
        for (const ParsedInstruction& in : s_.instructions) {
            if (in.opcode == kDcl)
                Declare(in);
            else if (in.opcode == kDef || in.opcode == kDefI || in.opcode == kDefB)
                Define(in);
            else if (in.opcode >= kM4x4 && in.opcode <= kM3x2)
                ExpandMatrix(in);
            else
                p_.code.push_back(Instruction(in));
        }
        Link();
        p_.slot_count = uint16_t(layout_.constant_first + p_.constant_slots.size());
        return std::move(p_);
    }

  private:
    // mNxM as one dot product a written row (its destination never is its vector source).
    void ExpandMatrix(const ParsedInstruction& in) {
        static constexpr int kRows[] = {4, 3, 4, 3, 2};
        const bool four = in.opcode == kM4x4 || in.opcode == kM4x3;
        for (int k = 0; k < kRows[in.opcode - kM4x4]; ++k) {
            if (!(WriteMaskOf(in.destination.token) >> k & 1)) continue;
            ParsedInstruction row = in;
            row.opcode = four ? kDp4 : kDp3;
            row.destination.token = (in.destination.token & ~0x000F0000u) | (1u << (16 + k));
            row.sources[1].token =
                (in.sources[1].token & ~0x7FFu) | (RegisterNumberOf(in.sources[1].token) + k);
            p_.code.push_back(Instruction(row));
        }
    }

    void Declare(const ParsedInstruction& in) {
        const uint32_t token = in.destination.token;
        const uint8_t type = RegisterTypeOf(token), mask = WriteMaskOf(token);
        const uint32_t n = RegisterNumberOf(token);
        if (type == kSampler) {
            p_.sampler_types[n] = SamplerTypeOf(in.declaration);
            return;
        }
        if (type == kMisc) {
            (n == 0 ? p_.position_slot : p_.face_slot) = uint16_t(layout_.misc_first + n);
            return;
        }
        const bool semantic = !s_.pixel || s_.version >= kVersion30;
        // ps_2_x: v# are the colours, t# the texture coordinates.
        const uint8_t usage = semantic
                                  ? DeclarationUsageOf(in.declaration)
                                  : uint8_t(type == kAddress ? D3DDECLUSAGE_TEXCOORD : D3DDECLUSAGE_COLOR);
        const uint8_t index = semantic ? DeclarationUsageIndexOf(in.declaration) : uint8_t(n);
        if (type == kTexCoordOut)
            p_.outputs.push_back({layout_.OutputSlot(type, n), usage, index, mask});
        else
            p_.inputs.push_back({layout_.InputSlot(type, n), usage, index, mask});
    }

    void Define(const ParsedInstruction& in) {
        const uint16_t n = uint16_t(RegisterNumberOf(in.destination.token));
        if (in.opcode == kDef)
            p_.float_definitions.push_back({n, {in.values[0], in.values[1], in.values[2], in.values[3]}});
        else if (in.opcode == kDefI)
            p_.int_definitions.push_back({n, {in.values[0], in.values[1], in.values[2], in.values[3]}});
        else
            p_.bool_definitions.push_back({n, in.values[0]});
    }

    uint16_t ConstantSlot(uint32_t n) {
        auto found = constants_.find(n);
        if (found != constants_.end()) return found->second;
        const uint16_t slot = uint16_t(layout_.constant_first + p_.constant_slots.size());
        p_.constant_slots.push_back({uint16_t(n), slot});
        constants_.emplace(n, slot);
        return slot;
    }

    // Written outputs of models whose outputs carry no declaration.
    void NoteOutput(uint8_t type, uint32_t n, uint16_t slot) {
        uint8_t usage = 0, index = uint8_t(n);
        switch (type) {
            case kColorOut:
                usage = D3DDECLUSAGE_COLOR;
                break;
            case kDepthOut:
                usage = 12 /* DEPTH */, p_.writes_depth = true;
                break;
            case kRasterOut:
                usage = n == 0 ? D3DDECLUSAGE_POSITION : (n == 1 ? D3DDECLUSAGE_FOG : D3DDECLUSAGE_PSIZE);
                index = 0;
                break;
            case kAttributeOut:
                usage = D3DDECLUSAGE_COLOR;
                break;
            case kTexCoordOut:
                if (s_.version >= kVersion30) return;  // declared
                usage = D3DDECLUSAGE_TEXCOORD;
                break;
            default:
                return;
        }
        for (const ShaderSemantic& o : p_.outputs)
            if (o.slot == slot) return;
        p_.outputs.push_back({slot, usage, index, 0xF});
    }

    void Relative(const ParsedParameter& p, RelativeBy* by, uint8_t* component) {
        if (!p.relative) return;
        *by = RegisterTypeOf(p.relative) == kLoopRegister ? RelativeBy::kLoop : RelativeBy::kAddress;
        *component = uint8_t(SwizzleComponent(SwizzleOf(p.relative), 0));
    }

    ShaderOperand Source(const ParsedParameter& p) {
        ShaderOperand o;
        const uint8_t type = RegisterTypeOf(p.token);
        const uint32_t n = RegisterNumberOf(p.token);
        o.swizzle = SwizzleOf(p.token);
        o.modifier = SourceModifierOf(p.token);
        Relative(p, &o.relative, &o.relative_component);
        switch (type) {
            case kTemp:
                o.slot = uint16_t(n);
                break;
            case kInput:
            case kAddress:  // t# (a0 is never a source)
                o.slot = layout_.InputSlot(type, n);
                o.first = layout_.input_first, o.count = layout_.InputCount();
                break;
            case kConst:
                if (o.relative != RelativeBy::kNone) {
                    o.file = OperandFile::kConstant, o.slot = uint16_t(n);
                    o.count = s_.pixel ? (s_.version >= kVersion30 ? 224 : 32) : 256;
                } else {
                    o.slot = ConstantSlot(n);
                }
                break;
            case kMisc:
                o.slot = uint16_t(layout_.misc_first + n);
                break;
            case kPredicate:
                o.slot = layout_.predicate;
                break;
            case kConstInt:
                o.file = OperandFile::kInt, o.slot = uint16_t(n);
                break;
            case kConstBool:
                o.file = OperandFile::kBool, o.slot = uint16_t(n);
                break;
            case kSampler:
                o.file = OperandFile::kSampler, o.slot = uint16_t(n);
                break;
            case kLabelRegister:
                o.file = OperandFile::kLabel, o.slot = uint16_t(n);  // resolved by Link
                break;
            default:  // aL of loop: read from the loop itself
                break;
        }
        return o;
    }

    ShaderDestination Destination(const ParsedParameter& p) {
        ShaderDestination d;
        const uint8_t type = RegisterTypeOf(p.token);
        const uint32_t n = RegisterNumberOf(p.token);
        d.mask = WriteMaskOf(p.token);
        d.saturate = (ResultModifiersOf(p.token) & kResultSaturate) != 0;
        uint8_t unused = 0;
        Relative(p, &d.relative, &unused);
        switch (type) {
            case kTemp:
                d.slot = uint16_t(n);
                break;
            case kAddress:
                d.slot = layout_.address;
                break;
            case kPredicate:
                d.slot = layout_.predicate;
                p_.predicate_slot = layout_.predicate;
                break;
            default:
                d.slot = layout_.OutputSlot(type, n);
                d.first = layout_.output_first, d.count = layout_.OutputCount();
                NoteOutput(type, n, d.slot);
                break;
        }
        return d;
    }

    ShaderInstruction Instruction(const ParsedInstruction& in) {
        ShaderInstruction out;
        out.op = in.opcode;
        out.controls = in.controls;
        out.source_count = in.source_count;
        out.predicated = in.predicated;
        if (in.predicated) out.predicate = Source(in.predicate);
        for (int i = 0; i < in.source_count; ++i) out.sources[i] = Source(in.sources[i]);
        if (in.opcode == kTexKill) {
            // Its register comes as a destination token; it is read.
            ParsedParameter read{(in.destination.token & ~0x00FF0000u) | (uint32_t(kSwizzleIdentity) << 16),
                                 0};
            out.sources[0] = Source(read);
            out.source_count = 1;
            p_.kills = true;
        } else if (in.has_destination) {
            out.destination = Destination(in.destination);
        }
        return out;
    }

    // Links flow control to its targets and calls to their labels.
    void Link() {
        std::vector<int32_t> open;
        std::map<uint16_t, int32_t> labels;
        for (int32_t pc = 0; pc < int32_t(p_.code.size()); ++pc) {
            ShaderInstruction& in = p_.code[size_t(pc)];
            switch (in.op) {
                case kIf:
                case kIfC:
                case kLoop:
                case kRep:
                    open.push_back(pc);
                    break;
                case kElse:
                    p_.code[size_t(open.back())].link = pc;
                    open.back() = pc;
                    break;
                case kEndIf:
                    p_.code[size_t(open.back())].link = pc;
                    open.pop_back();
                    break;
                case kEndLoop:
                case kEndRep:
                    p_.code[size_t(open.back())].link = pc;
                    in.link = open.back();
                    open.pop_back();
                    break;
                case kLabel:
                    labels[in.sources[0].slot] = pc;
                    break;
                default:
                    break;
            }
        }
        // Breaks go to the end of their innermost loop.
        std::vector<int32_t> loops;
        for (int32_t pc = 0; pc < int32_t(p_.code.size()); ++pc) {
            ShaderInstruction& in = p_.code[size_t(pc)];
            if (in.op == kLoop || in.op == kRep) loops.push_back(in.link);
            if (in.op == kEndLoop || in.op == kEndRep) loops.pop_back();
            if (in.op == kBreak || in.op == kBreakC || in.op == kBreakP) in.link = loops.back();
            if (in.op == kCall || in.op == kCallNz) in.link = labels[in.sources[0].slot];
        }
    }

    const ParsedShader& s_;
    SlotLayout layout_;
    ShaderProgram p_;
    std::map<uint32_t, uint16_t> constants_;
};

}  // namespace

ShaderProgram DecodeShader(const ParsedShader& parsed) {
    return Decoder(parsed).Run();
}

}  // namespace d3d9
