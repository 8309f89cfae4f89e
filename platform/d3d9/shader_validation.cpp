#include "platform/d3d9/shader_validation.h"

#include <algorithm>
#include <set>

#include "platform/d3d9/shader_bytecode.h"

namespace d3d9 {

using namespace shader;

namespace {

struct Model {
    bool pixel;
    uint32_t version;
    bool V3() const { return version >= kVersion30; }
    bool Extended() const { return version >= kVersion2x; }  // ps_2_x and 3.0; every vertex model
};

// The registers of a type a model has (0: the type does not exist there).
uint16_t RegisterCount(const Model& m, uint8_t type) {
    if (m.pixel) {
        switch (type) {
            case kTemp:
                return m.version == kVersion20 ? 12 : 32;
            case kInput:
                return m.V3() ? 10 : 2;
            case kConst:
                return m.V3() ? 224 : 32;
            case kAddress:
                return m.V3() ? 0 : 8;  // t#
            case kConstInt:
            case kConstBool:
            case kPredicate:
                return m.Extended() ? (type == kPredicate ? 1 : 16) : 0;
            case kSampler:
                return 16;
            case kColorOut:
                return 4;
            case kDepthOut:
                return 1;
            case kLoopRegister:
                return m.V3() ? 1 : 0;
            case kMisc:
                return m.V3() ? 2 : 0;
            case kLabelRegister:
                return m.V3() ? 2048 : (m.Extended() ? 16 : 0);
            default:
                return 0;
        }
    }
    switch (type) {
        case kTemp:
            return m.V3() ? 32 : 12;
        case kInput:
            return 16;
        case kConst:
            return 256;
        case kAddress:
        case kLoopRegister:
            return 1;
        case kConstInt:
        case kConstBool:
            return 16;
        case kRasterOut:
            return m.V3() ? 0 : 3;
        case kAttributeOut:
            return m.V3() ? 0 : 2;
        case kTexCoordOut:
            return m.V3() ? 12 : 8;
        case kSampler:
            return m.V3() ? 4 : 0;
        case kPredicate:
            return m.V3() ? 1 : 0;
        case kLabelRegister:
            return m.V3() ? 2048 : 16;
        default:
            return 0;
    }
}

// What an operand position takes.
enum class Role : uint8_t {
    kFloatSource,
    kFloatDestination,
    kSampler,
    kIntConstant,
    kCondition,  // b# or p0
    kLabel,
    kLoopCounter,
    kPredicate,
    kPredicateDestination,
    kAddressDestination,
    kKill,
};

Role SourceRole(uint16_t opcode, int i) {
    switch (opcode) {
        case kTex:
        case kTexLdl:
        case kTexLdd:
            return i == 1 ? Role::kSampler : Role::kFloatSource;
        case kCall:
        case kLabel:
            return Role::kLabel;
        case kCallNz:
            return i == 0 ? Role::kLabel : Role::kCondition;
        case kLoop:
            return i == 0 ? Role::kLoopCounter : Role::kIntConstant;
        case kRep:
            return Role::kIntConstant;
        case kIf:
            return Role::kCondition;
        case kBreakP:
            return Role::kPredicate;
        default:
            return Role::kFloatSource;
    }
}

Role DestinationRole(uint16_t opcode) {
    switch (opcode) {
        case kMova:
            return Role::kAddressDestination;
        case kSetP:
            return Role::kPredicateDestination;
        case kTexKill:
            return Role::kKill;
        default:
            return Role::kFloatDestination;
    }
}

bool RoleTakes(const Model& m, Role role, uint8_t type) {
    switch (role) {
        case Role::kFloatSource:
            return type == kTemp || type == kInput || type == kConst ||
                   (m.pixel && (type == kAddress || type == kMisc));
        case Role::kFloatDestination:
            return type == kTemp || (m.pixel && (type == kColorOut || type == kDepthOut)) ||
                   (!m.pixel && (type == kRasterOut || type == kAttributeOut || type == kTexCoordOut));
        case Role::kSampler:
            return type == kSampler;
        case Role::kIntConstant:
            return type == kConstInt;
        case Role::kCondition:
            return type == kConstBool || type == kPredicate;
        case Role::kLabel:
            return type == kLabelRegister;
        case Role::kLoopCounter:
            return type == kLoopRegister;
        case Role::kPredicate:
        case Role::kPredicateDestination:
            return type == kPredicate;
        case Role::kAddressDestination:
            return !m.pixel && type == kAddress;
        case Role::kKill:
            return type == kTemp || type == kInput || (m.pixel && type == kAddress);
    }
    return false;
}

// The swizzles ps_2_0 allows (it has no arbitrary swizzle).
bool Ps20Swizzle(uint8_t s) {
    return IsReplicate(s) || s == kSwizzleIdentity || s == 0xC9 /* yzxw */ || s == 0xD2 /* zxyw */ ||
           s == 0x1B /* wzyx */;
}

bool RelativeAllowed(const Model& m, uint8_t type, bool destination) {
    if (destination) return !m.pixel && m.V3() && type == kTexCoordOut;
    if (type == kConst) return !m.pixel || m.V3();
    return type == kInput && m.V3();
}

class Validator {
  public:
    Validator(const uint32_t* tokens, size_t count, const Model& model, ParsedShader* out)
        : tokens_(tokens), count_(count), m_(model), out_(out) {}

    bool Run();
    const std::string& error() const { return error_; }

  private:
    bool Fail(const char* why) {
        if (error_.empty()) error_ = why;
        return false;
    }
    bool Instruction(uint32_t token, size_t end);
    bool Declaration(ParsedInstruction& in, size_t end);
    bool Definition(ParsedInstruction& in, size_t end);
    bool Parameter(ParsedParameter* p, bool destination, size_t end);
    bool CheckDestination(const ParsedParameter& p, Role role);
    bool CheckSource(const ParsedParameter& p, Role role, bool any_swizzle = false);
    bool CheckRegister(uint8_t type, uint32_t number, bool relative);
    bool Structure(const ParsedInstruction& in);
    bool CheckOpcodeRules(const ParsedInstruction& in);
    bool Slots(const OpcodeInfo& info);

    const uint32_t* tokens_;
    size_t count_;
    size_t at_ = 1;
    Model m_;
    ParsedShader* out_;
    std::string error_;
    bool started_ = false;  // an instruction other than a declaration was seen
    // Flow control: open blocks (true for loops), the section (0 main, 1 after a ret, 2 in a subroutine).
    std::vector<bool> blocks_;
    int section_ = 0;
    std::set<uint32_t> labels_, called_;
    // Declarations: input masks by register (v# then t#), samplers, outputs, misc registers.
    uint8_t inputs_[16] = {}, texcoords_[8] = {}, outputs_[12] = {}, misc_[2] = {};
    bool samplers_[16] = {};
    int arithmetic_slots_ = 0, texture_slots_ = 0;
};

bool Validator::Run() {
    while (at_ < count_) {
        const uint32_t token = tokens_[at_];
        if (token == kEndToken) {
            if (at_ + 1 != count_) return Fail("tokens after the end token");
            if (!blocks_.empty()) return Fail("unclosed flow-control block");
            if (section_ == 2) return Fail("subroutine without ret");
            for (uint32_t label : called_)
                if (!labels_.count(label)) return Fail("call of a label that is not defined");
            return true;
        }
        if (IsParameterToken(token)) return Fail("parameter token where an instruction was expected");
        if (OpcodeOf(token) == kCommentOpcode) {
            const size_t length = CommentLengthOf(token);
            if (length >= count_ - at_) return Fail("comment runs past the stream");
            at_ += 1 + length;
            continue;
        }
        const size_t length = LengthOf(token);
        if (length >= count_ - at_) return Fail("instruction runs past the stream");
        const size_t end = at_ + 1 + length;
        if (!Instruction(token, end)) return false;
        if (at_ != end) return Fail("instruction length does not match its parameters");
    }
    return Fail("no end token");
}

bool Validator::Parameter(ParsedParameter* p, bool destination, size_t end) {
    if (at_ >= end) return Fail("too few parameters");
    p->token = tokens_[at_++];
    if (!IsParameterToken(p->token)) return Fail("parameter token without its marker bit");
    if (!IsRelative(p->token)) return true;
    if (!RelativeAllowed(m_, RegisterTypeOf(p->token), destination))
        return Fail("relative addressing where the model has none");
    if (at_ >= end) return Fail("relative address token missing");
    p->relative = tokens_[at_++];
    const uint8_t type = RegisterTypeOf(p->relative);
    if (!IsParameterToken(p->relative) || RegisterNumberOf(p->relative) != 0 ||
        !(type == kLoopRegister || (type == kAddress && !m_.pixel)) || RegisterCount(m_, type) == 0)
        return Fail("bad relative address register");
    return true;
}

bool Validator::CheckRegister(uint8_t type, uint32_t number, bool relative) {
    const uint16_t count = RegisterCount(m_, type);
    if (count == 0) return Fail("register type the model does not have");
    if (number >= count) return Fail("register number out of range");
    if (relative) return true;
    if (type == kInput && !inputs_[number]) return Fail("input register not declared");
    if (type == kAddress && m_.pixel && !texcoords_[number]) return Fail("texture coordinate not declared");
    if (type == kSampler && !samplers_[number]) return Fail("sampler not declared");
    if (type == kMisc && !misc_[number]) return Fail("vPos or vFace not declared");
    return true;
}

bool Validator::CheckDestination(const ParsedParameter& p, Role role) {
    const uint8_t type = RegisterTypeOf(p.token);
    if (!RoleTakes(m_, role, type)) return Fail("register type not allowed as this destination");
    if (!CheckRegister(type, RegisterNumberOf(p.token), p.relative != 0)) return false;
    if (ShiftOf(p.token) != 0) return Fail("result shift");
    const uint8_t mask = WriteMaskOf(p.token), modifiers = ResultModifiersOf(p.token);
    if (mask == 0) return Fail("empty write mask");
    if (role != Role::kFloatDestination && modifiers != 0) return Fail("result modifier not allowed here");
    const uint8_t allowed =
        m_.pixel ? (kResultSaturate | kResultPartialPrecision) : (m_.V3() ? kResultSaturate : uint8_t(0));
    if (modifiers & ~allowed) return Fail("result modifier the model does not have");
    if (m_.pixel && !m_.V3() && type == kColorOut && mask != 0xF) return Fail("partial write of oC#");
    if (!m_.pixel && m_.V3() && type == kTexCoordOut && !p.relative && !outputs_[RegisterNumberOf(p.token)])
        return Fail("output register not declared");
    return true;
}

// `any_swizzle`: a predicate that guards an instruction may select per component.
bool Validator::CheckSource(const ParsedParameter& p, Role role, bool any_swizzle) {
    const uint8_t type = RegisterTypeOf(p.token);
    if (!RoleTakes(m_, role, type)) return Fail("register type not allowed as this source");
    if (!CheckRegister(type, RegisterNumberOf(p.token), p.relative != 0)) return false;
    if (p.token & 0x0000C000u) return Fail("reserved source bits");
    const uint8_t modifier = SourceModifierOf(p.token), swizzle = SwizzleOf(p.token);
    if (role == Role::kCondition || role == Role::kPredicate) {
        if (type == kPredicate && !any_swizzle && !IsReplicate(swizzle))
            return Fail("predicate needs one component");
        if (modifier != kModNone && !(modifier == kModNot && type == kPredicate))
            return Fail("modifier not allowed on a condition");
        return true;
    }
    if (role != Role::kFloatSource)
        return modifier == kModNone ? true : Fail("modifier on a special register");
    const bool abs = modifier == kModAbs || modifier == kModAbsNegate;
    if (!(modifier == kModNone || modifier == kModNegate || (abs && m_.V3())))
        return Fail("source modifier the model does not have");
    if (m_.pixel && m_.version == kVersion20 && !Ps20Swizzle(swizzle))
        return Fail("swizzle ps_2_0 does not have");
    return true;
}

bool Validator::Declaration(ParsedInstruction& in, size_t end) {
    if (at_ >= end) return Fail("dcl without its usage token");
    in.declaration = tokens_[at_++];
    if (!IsParameterToken(in.declaration)) return Fail("dcl usage token without its marker bit");
    if (!Parameter(&in.destination, true, end) || in.destination.relative) return Fail("bad dcl register");
    in.has_destination = true;
    const uint32_t token = in.destination.token;
    const uint8_t type = RegisterTypeOf(token), mask = WriteMaskOf(token);
    const uint32_t number = RegisterNumberOf(token);
    const uint16_t count = RegisterCount(m_, type);
    if (number >= count) return Fail("dcl of a register the model does not have");
    if (mask == 0 || ShiftOf(token) != 0) return Fail("bad dcl mask");
    const uint8_t modifiers = ResultModifiersOf(token);
    const bool semantic = !m_.pixel || m_.V3();
    const uint8_t usage = DeclarationUsageOf(in.declaration);
    if (type == kSampler) {
        const uint8_t sampler = SamplerTypeOf(in.declaration);
        if (sampler != kSampler2D && sampler != kSamplerCube && sampler != kSamplerVolume)
            return Fail("bad sampler type");
        if (samplers_[number]) return Fail("sampler declared twice");
        samplers_[number] = true;
        return modifiers == 0 ? true : Fail("modifier on a sampler dcl");
    }
    if (semantic && (usage > 13 || (type != kMisc && (in.declaration & 0x7FF0FFE0u))))
        return Fail("bad dcl usage");
    uint8_t* declared = nullptr;
    if (type == kInput) declared = &inputs_[number];
    if (m_.pixel && !m_.V3() && type == kAddress) declared = &texcoords_[number];
    if (!m_.pixel && m_.V3() && type == kTexCoordOut) declared = &outputs_[number];
    if (m_.pixel && m_.V3() && type == kMisc) declared = &misc_[number];
    if (!declared) return Fail("dcl of a register that takes none");
    if (*declared & mask) return Fail("register component declared twice");
    *declared |= mask;
    const bool input = type == kInput || type == kAddress || type == kMisc;
    if (modifiers & ~(m_.pixel && input ? (kResultCentroid | kResultPartialPrecision) : 0))
        return Fail("modifier on a dcl");
    return true;
}

bool Validator::Definition(ParsedInstruction& in, size_t end) {
    if (!Parameter(&in.destination, true, end) || in.destination.relative) return Fail("bad def register");
    in.has_destination = true;
    const uint8_t want = in.opcode == kDef ? kConst : in.opcode == kDefI ? kConstInt : kConstBool;
    const uint32_t token = in.destination.token;
    if (RegisterTypeOf(token) != want || RegisterNumberOf(token) >= RegisterCount(m_, want))
        return Fail("def of a register the model does not have");
    const int values = in.opcode == kDefB ? 1 : 4;
    if (end - at_ != size_t(values)) return Fail("def with a wrong number of values");
    for (int i = 0; i < values; ++i) in.values[i] = tokens_[at_++];
    return true;
}

bool Validator::Structure(const ParsedInstruction& in) {
    const uint16_t op = in.opcode;
    if (section_ == 1 && op != kLabel) return Fail("code after ret outside a subroutine");
    switch (op) {
        case kIf:
        case kIfC:
            blocks_.push_back(false);
            break;
        case kLoop:
        case kRep:
            if (std::count(blocks_.begin(), blocks_.end(), true) >= 4) return Fail("loops nested too deep");
            blocks_.push_back(true);
            break;
        case kElse:
        case kEndIf:
            if (blocks_.empty() || blocks_.back()) return Fail("else or endif without if");
            if (op == kEndIf) blocks_.pop_back();
            break;
        case kEndLoop:
        case kEndRep:
            if (blocks_.empty() || !blocks_.back()) return Fail("end of a loop without its start");
            blocks_.pop_back();
            break;
        case kBreak:
        case kBreakC:
        case kBreakP:
            if (std::find(blocks_.begin(), blocks_.end(), true) == blocks_.end())
                return Fail("break outside a loop");
            break;
        case kRet:
            if (!blocks_.empty()) return Fail("ret inside a block");
            section_ = 1;
            break;
        case kLabel: {
            if (section_ != 1) return Fail("label not after a ret");
            if (!labels_.insert(RegisterNumberOf(in.sources[0].token)).second)
                return Fail("label defined twice");
            section_ = 2;
            break;
        }
        case kCall:
        case kCallNz:
            called_.insert(RegisterNumberOf(in.sources[0].token));
            break;
        default:
            break;
    }
    if (blocks_.size() > 24) return Fail("blocks nested too deep");
    return true;
}

bool Validator::CheckOpcodeRules(const ParsedInstruction& in) {
    const uint16_t op = in.opcode;
    if (op == kTex) {
        if (in.controls > kTexBias) return Fail("bad texld controls");
    } else if (op == kIfC || op == kBreakC || op == kSetP) {
        if (in.controls < kCmpGt || in.controls > kCmpLe) return Fail("bad comparison");
    } else if (in.controls != 0) {
        return Fail("controls on an instruction that takes none");
    }
    if (op == kSinCos) {
        if (WriteMaskOf(in.destination.token) & ~3u) return Fail("sincos writes only x and y");
        if (m_.version < kVersion30 && !IsReplicate(SwizzleOf(in.sources[0].token)))
            return Fail("sincos needs one component");
    }
    const bool scalar =
        op == kRcp || op == kRsq || op == kExp || op == kLog || op == kExpP || op == kLogP || op == kPow;
    for (int i = 0; scalar && i < in.source_count; ++i)
        if (!IsReplicate(SwizzleOf(in.sources[i].token)))
            return Fail("scalar instruction needs one component");
    if (op >= kM4x4 && op <= kM3x2 &&
        (in.destination.token & 0x70001FFFu) == (in.sources[0].token & 0x70001FFFu))
        return Fail("matrix destination is its vector source");
    if (op >= kM4x4 && op <= kM3x2 && !in.sources[1].relative) {
        static constexpr int kRows[] = {4, 3, 4, 3, 2};
        const uint8_t type = RegisterTypeOf(in.sources[1].token);
        if (RegisterNumberOf(in.sources[1].token) + kRows[op - kM4x4] > RegisterCount(m_, type))
            return Fail("matrix rows past the register file");
    }
    if (op == kCallNz || op == kIf) {
        const ParsedParameter& c = in.sources[op == kIf ? 0 : 1];
        if (RegisterTypeOf(c.token) == kPredicate && m_.version < kVersion2x) return Fail("predicate");
    }
    return true;
}

bool Validator::Slots(const OpcodeInfo& info) {
    // ps_2_0 counts texture and arithmetic instructions apart; the other models count them together.
    const bool split = m_.pixel && m_.version == kVersion20;
    (split && info.texture ? texture_slots_ : arithmetic_slots_) += info.slots;
    if (split) return arithmetic_slots_ <= 64 && texture_slots_ <= 32 ? true : Fail("too many instructions");
    const int limit = m_.V3() ? 32768 : (m_.pixel ? 512 : 256);
    return arithmetic_slots_ <= limit ? true : Fail("too many instructions");
}

bool Validator::Instruction(uint32_t token, size_t end) {
    ParsedInstruction in;
    in.opcode = OpcodeOf(token);
    in.controls = ControlsOf(token);
    in.predicated = IsPredicated(token);
    ++at_;
    if (token & 0x60000000u) return Fail("co-issue or reserved instruction bits");
    const bool declaration =
        in.opcode == kDcl || in.opcode == kDef || in.opcode == kDefI || in.opcode == kDefB;
    if (declaration) {
        if (started_) return Fail("declaration after the first instruction");
        if (in.predicated || in.controls) return Fail("predicated declaration");
        if ((in.opcode == kDefI || in.opcode == kDefB) && !m_.Extended())
            return Fail("defi or defb in ps_2_0");
        if (!(in.opcode == kDcl ? Declaration(in, end) : Definition(in, end))) return false;
        out_->instructions.push_back(in);
        return true;
    }
    started_ = true;
    const OpcodeInfo* info = FindOpcode(in.opcode);
    const uint16_t lowest = info ? (m_.pixel ? info->pixel_min : info->vertex_min) : 0;
    if (!info || lowest == 0 || m_.version < lowest) return Fail("opcode the model does not have");
    if (in.predicated &&
        !(m_.Extended() && info->has_destination && in.opcode != kTexKill && in.opcode != kSetP))
        return Fail("predication not allowed");
    in.has_destination = info->has_destination;
    in.source_count = uint8_t(SourceCount(*info, m_.version));
    if (in.has_destination && !Parameter(&in.destination, true, end)) return false;
    if (in.predicated && !Parameter(&in.predicate, false, end)) return false;
    for (int i = 0; i < in.source_count; ++i)
        if (!Parameter(&in.sources[i], false, end)) return false;
    if (in.has_destination && !CheckDestination(in.destination, DestinationRole(in.opcode))) return false;
    if (in.predicated && !CheckSource(in.predicate, Role::kPredicate, true)) return false;
    for (int i = 0; i < in.source_count; ++i)
        if (!CheckSource(in.sources[i], SourceRole(in.opcode, i))) return false;
    if (!CheckOpcodeRules(in) || !Structure(in) || !Slots(*info)) return false;
    out_->instructions.push_back(in);
    return true;
}

bool Accepted(const Model& m, const ShaderModels& models) {
    const uint32_t highest = m.pixel ? models.pixel : models.vertex;
    switch (m.version) {
        case kVersion20:
            return highest >= kVersion20;
        case kVersion2x:
            return m.pixel && highest >= kVersion20;
        case kVersion30:
            return highest >= kVersion30;
        default:
            return false;
    }
}

}  // namespace

size_t ShaderStreamLength(const uint32_t* tokens, size_t max_tokens) {
    if (!tokens || max_tokens == 0) return 0;
    const uint32_t version = tokens[0];
    const uint32_t prefix = version & 0xFFFF0000u;
    // Before 2.0 instruction tokens carry no length: such streams are not walked.
    if ((prefix != kPixelVersionPrefix && prefix != kVertexVersionPrefix) || (version & 0xFFFF) < kVersion20)
        return 0;
    size_t at = 1;
    while (at < max_tokens) {
        const uint32_t token = tokens[at];
        if (token == kEndToken) return at + 1;
        at += 1 + (OpcodeOf(token) == kCommentOpcode && !IsParameterToken(token) ? CommentLengthOf(token)
                                                                                 : LengthOf(token));
    }
    return 0;
}

bool ParseShaderTokens(const uint32_t* tokens, size_t count, const ShaderModels& models, ParsedShader* out,
                       std::string* error) {
    std::string unused;
    std::string& why = error ? *error : unused;
    *out = ParsedShader{};
    if (!tokens || count < 2) {
        why = "stream too short";
        return false;
    }
    const uint32_t prefix = tokens[0] & 0xFFFF0000u;
    const Model model{prefix == kPixelVersionPrefix, tokens[0] & 0xFFFF};
    if ((prefix != kPixelVersionPrefix && prefix != kVertexVersionPrefix) || !Accepted(model, models)) {
        why = "version not accepted";
        return false;
    }
    out->pixel = model.pixel;
    out->version = model.version;
    Validator validator(tokens, count, model, out);
    if (validator.Run()) return true;
    why = validator.error();
    *out = ParsedShader{};
    return false;
}

}  // namespace d3d9
