// A shader program decoded once from its validated token stream: flat instructions whose operands name
// register slots of the interpreter (shader_machine.h), flow control linked to its targets, the constants
// the program defines, and what it declares (inputs and outputs by semantic, samplers by type).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d9/shader_validation.h"

namespace d3d9 {

constexpr uint16_t kNoSlot = 0xFFFF;

// Where an operand's value lives.
enum class OperandFile : uint8_t {
    kLanes,     // a lane slot (temporaries, inputs, outputs, a0, p0, constants read directly)
    kConstant,  // a float constant read through relative addressing
    kInt,       // i#
    kBool,      // b#
    kSampler,   // s#
    kLabel,     // a subroutine: slot is the index of its label instruction
};

enum class RelativeBy : uint8_t { kNone, kAddress, kLoop };

struct ShaderOperand {
    OperandFile file = OperandFile::kLanes;
    uint16_t slot = 0;  // lane slot, or the register number of the other files
    uint8_t swizzle = 0xE4;
    uint8_t modifier = 0;  // shader::SourceModifier
    RelativeBy relative = RelativeBy::kNone;
    uint8_t relative_component = 0;  // of a0
    uint16_t first = 0, count = 0;   // relative: the slots (or constants) the index may reach
};

struct ShaderDestination {
    uint16_t slot = 0;
    uint8_t mask = 0xF;
    bool saturate = false;
    RelativeBy relative = RelativeBy::kNone;
    uint16_t first = 0, count = 0;
};

struct ShaderInstruction {
    uint16_t op = 0;  // shader::Opcode
    uint8_t controls = 0;
    uint8_t source_count = 0;
    bool predicated = false;
    ShaderDestination destination;
    ShaderOperand sources[4];
    ShaderOperand predicate;
    // Flow control: if to its else or endif, else to its endif, a loop to its end and the end to its start,
    // a break to its loop's end, a call to its label.
    int32_t link = -1;
};

// A register slot and the semantic that fills it (inputs) or that it gives (outputs), with its mask.
// Usages are D3DDECLUSAGE values; oDepth is D3DDECLUSAGE_DEPTH.
struct ShaderSemantic {
    uint16_t slot;
    uint8_t usage, index, mask;
};

struct ShaderProgram {
    bool pixel = false;
    uint32_t version = 0;
    std::vector<ShaderInstruction> code;  // the main program, then its subroutines
    uint16_t slot_count = 0;
    uint16_t temp_count = 0;
    uint16_t address_slot = kNoSlot, predicate_slot = kNoSlot;
    uint16_t position_slot = kNoSlot, face_slot = kNoSlot;  // vPos, vFace
    uint16_t scratch_slot = 0;                              // four slots for operands made up on the way
    std::vector<ShaderSemantic> inputs;
    std::vector<ShaderSemantic> outputs;
    std::vector<std::array<uint16_t, 2>> constant_slots;  // (c#, slot) of constants read directly
    std::vector<std::pair<uint16_t, std::array<uint32_t, 4>>> float_definitions, int_definitions;
    std::vector<std::pair<uint16_t, uint32_t>> bool_definitions;
    uint8_t sampler_types[16] = {};  // shader::SamplerType by declared sampler
    bool writes_depth = false;
    bool kills = false;
};

// Decodes a validated stream.
ShaderProgram DecodeShader(const ParsedShader& parsed);

}  // namespace d3d9
