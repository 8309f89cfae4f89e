// The interpreter of decoded shader programs: runs a program over four lanes at a time (a 2x2 quad of
// pixels, whose neighbours give the gradients of texld and dsx/dsy, or four vertices), with Direct3D's
// arithmetic, the device's constant registers under the program's own definitions, flow control
// (static and per lane) and texture sampling.
#pragma once

#include <array>
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3d9/shader_lanes.h"
#include "platform/d3d9/shader_program.h"
#include "platform/d3d9/shader_sampling.h"

namespace d3d9 {

// The device's constant registers of one shader stage.
struct ShaderConstants {
    const std::array<float, 4>* floats = nullptr;
    int float_count = 0;
    const std::array<int, 4>* ints = nullptr;  // 16
    const BOOL* bools = nullptr;               // 16
};

// At most this many instructions run for one group of lanes; a program that loops on past it ends there.
constexpr int kShaderInstructionBudget = 65536;

// The quads a straight pixel program (no flow control, predicates, relative addressing or texkill) runs
// at once: each instruction is decoded and dispatched once for all of them.
constexpr int kShaderBlockQuads = 16;

class ShaderMachine {
  public:
    // Makes the machine run `program` with the constants and the program's samplers (16 for pixel
    // shaders, 4 for vertex shaders; null when the program samples nothing).
    void Load(const ShaderProgram& program, const ShaderConstants& constants, const ShaderSampler* samplers);
    const ShaderProgram& program() const { return *program_; }
    // A register slot of quad `quad` of the block; the quads of a slot follow each other.
    LaneVector& Slot(uint16_t slot, int quad = 0) {
        return slots_[size_t(slot) * size_t(block_) + size_t(quad)];
    }
    // Sets a component of a slot in every quad of the block.
    void Fill(uint16_t slot, int c, LaneFloat value);
    // The quads RunBlock takes at once: 1 unless the program is a straight pixel program.
    int BlockQuads() const { return block_; }

    // Runs the program for the lanes of `lanes` of quad 0; returns those texkill did not kill.
    LaneMask Run(LaneMask lanes);
    // Runs a straight program for every lane of quads 0..quads-1 (at most BlockQuads()).
    void RunBlock(int quads);

  private:
    struct Branch {
        bool per_lane;
        LaneMask saved, taken;
    };
    struct Loop {
        int start, end;
        int remaining, counter, step;
        LaneMask saved, live;
        int branches;  // open branches when the loop began
    };
    struct Call {
        int back;
        LaneMask saved;
        int branches, loops;
    };

    // Runs `in` over quads 0..quads-1 (more than one only for straight programs).
    void Execute(const ShaderInstruction& in, int quads);
    // Resolves a source into its four components of quad 0 after swizzle and modifier (`scratch`: 0..3,
    // where values made up on the way are kept); quad q's follow at out[c] + q * kQuadStride.
    void Read(const ShaderOperand& o, int scratch, int quads, const LaneFloat* out[4]);
    const LaneVector* Register(const ShaderOperand& o, int scratch);
    void Write(const ShaderInstruction& in, const LaneVector* value, int quads);
    LaneMask Condition(const ShaderOperand& o);
    LaneMask Compare(const ShaderInstruction& in);
    void Sample(const ShaderInstruction& in, const LaneFloat* const (*sources)[4], int quad, LaneVector* out);
    void Break(LaneMask lanes);
    int Jump(int pc);  // the flow-control instruction at pc

    const ShaderProgram* program_ = nullptr;
    const ShaderSampler* samplers_ = nullptr;
    std::vector<LaneVector> slots_;
    int block_ = 1;
    LaneVector made_[4][kShaderBlockQuads];  // relative reads and modified sources
    LaneVector result_[kShaderBlockQuads];
    TexelIndexCache texels_[2];  // along u and v
    float floats_[256][4] = {};
    int ints_[16][4] = {};
    bool bools_[16] = {};
    LaneMask active_ = kAllLanes, killed_ = 0;
    // Blocks nest at most 24 deep (4 of them loops) in each of the main program and 4 calls.
    Branch branches_[128];
    Loop loops_[24];
    Call calls_[4];
    int branch_count_ = 0, loop_count_ = 0, call_count_ = 0;
};

}  // namespace d3d9
