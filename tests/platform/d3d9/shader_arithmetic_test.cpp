// The interpreter's arithmetic against the same arithmetic in C++ floats, by instruction family:
// component-wise, scalar (with Direct3D's rules at 0, for negative and large values), products and
// matrices, swizzles, write masks and modifiers.
#include <cmath>
#include <functional>
#include <limits>

#include "tests/platform/d3d9/shader_test_support.h"

namespace d3d9_test {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// Lanes of three inputs each, over signs, zero, fractions and large values.
std::vector<std::array<Vec4, 4>> SampleInputs() {
    const Vec4 values[] = {{0.0f, -0.0f, 1.0f, -1.0f},    {0.25f, -0.75f, 2.5f, -3.5f},
                           {1e30f, -1e30f, 1e-30f, 7.0f}, {0.5f, 0.5f, -2.0f, 3.0f},
                           {-0.125f, 4.0f, 9.0f, 0.0f},   {100.0f, -0.5f, 0.75f, 1.5f},
                           {3.0f, -7.25f, 0.0625f, -1e5f}};
    std::vector<std::array<Vec4, 4>> lanes;
    const size_t n = std::size(values);
    for (size_t i = 0; i < n; ++i) lanes.push_back({values[i], values[(i + 2) % n], values[(i + 5) % n], {}});
    return lanes;
}

bool SameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

void ExpectLanes(const std::vector<Vec4>& got, const std::vector<Vec4>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t l = 0; l < got.size(); ++l)
        for (size_t c = 0; c < 4; ++c)
            EXPECT_TRUE(SameFloat(got[l][c], want[l][c]))
                << what << " lane " << l << " component " << c << ": " << got[l][c] << " want " << want[l][c];
}

struct ComponentCase {
    const char* name;
    uint16_t opcode;
    int sources;
    uint32_t version;
    std::function<float(float, float, float)> expect;
};

TEST(ShaderArithmeticTest, ComponentWiseInstructionsComputeWhatCppFloatsCompute) {
    const ComponentCase cases[] = {
        {"add", sh::kAdd, 2, kPs30, [](float a, float b, float) { return a + b; }},
        {"sub", sh::kSub, 2, kPs30, [](float a, float b, float) { return a - b; }},
        {"mul", sh::kMul, 2, kPs30, [](float a, float b, float) { return a * b; }},
        {"mad", sh::kMad, 3, kPs30, [](float a, float b, float c) { return a * b + c; }},
        {"min", sh::kMin, 2, kPs30, [](float a, float b, float) { return a < b ? a : b; }},
        {"max", sh::kMax, 2, kPs30, [](float a, float b, float) { return a >= b ? a : b; }},
        {"lrp", sh::kLrp, 3, kPs30, [](float a, float b, float c) { return a * (b - c) + c; }},
        {"cmp", sh::kCmp, 3, kPs30, [](float a, float b, float c) { return a >= 0 ? b : c; }},
        {"abs", sh::kAbs, 1, kPs30, [](float a, float, float) { return std::fabs(a); }},
        {"frc", sh::kFrc, 1, kPs30, [](float a, float, float) { return a - std::floor(a); }},
        {"slt", sh::kSlt, 2, kVs30, [](float a, float b, float) { return a < b ? 1.0f : 0.0f; }},
        {"sge", sh::kSge, 2, kVs30, [](float a, float b, float) { return a >= b ? 1.0f : 0.0f; }},
        {"sgn", sh::kSgn, 3, kVs30,
         [](float a, float, float) { return a > 0 ? 1.0f : (a < 0 ? -1.0f : 0.0f); }},
    };
    const auto inputs = SampleInputs();
    for (const ComponentCase& k : cases) {
        ProgramRunner run(k.version);
        std::vector<uint32_t> operands = {Destination(kRegTemp, 0)};
        for (int i = 0; i < k.sources; ++i) operands.push_back(run.In(uint32_t(i)));
        run.tokens().tokens.push_back(k.opcode | uint32_t(operands.size()) << 24);
        run.tokens().tokens.insert(run.tokens().tokens.end(), operands.begin(), operands.end());
        run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
        std::string why;
        const std::vector<Vec4> got = run.Run(inputs, {}, &why);
        std::vector<Vec4> want;
        for (const auto& lane : inputs) {
            Vec4 w;
            for (size_t c = 0; c < 4; ++c) w[c] = k.expect(lane[0][c], lane[1][c], lane[2][c]);
            want.push_back(w);
        }
        ExpectLanes(got, want, std::string(k.name) + " " + why);
    }
}

struct ScalarCase {
    const char* name;
    uint16_t opcode;
    float x, y;
    float want;
};

TEST(ShaderArithmeticTest, ScalarInstructionsFollowDirect3DsRules) {
    const ScalarCase cases[] = {
        {"rcp 0", sh::kRcp, 0.0f, 0, kInf},
        {"rcp -0", sh::kRcp, -0.0f, 0, kInf},
        {"rcp 1", sh::kRcp, 1.0f, 0, 1.0f},
        {"rcp -4", sh::kRcp, -4.0f, 0, -0.25f},
        {"rcp 3", sh::kRcp, 3.0f, 0, 1.0f / 3.0f},
        {"rcp large", sh::kRcp, 1e38f, 0, 1.0f / 1e38f},
        {"rsq 0", sh::kRsq, 0.0f, 0, kInf},
        {"rsq -4", sh::kRsq, -4.0f, 0, 0.5f},
        {"rsq 1", sh::kRsq, 1.0f, 0, 1.0f},
        {"rsq 2", sh::kRsq, 2.0f, 0, 1.0f / std::sqrt(2.0f)},
        {"exp 3", sh::kExp, 3.0f, 0, 8.0f},
        {"exp -1", sh::kExp, -1.0f, 0, 0.5f},
        {"exp 0", sh::kExp, 0.0f, 0, 1.0f},
        {"exp large", sh::kExp, 200.0f, 0, kInf},
        {"exp 0.3", sh::kExp, 0.3f, 0, std::exp2(0.3f)},
        {"log 0", sh::kLog, 0.0f, 0, -kInf},
        {"log -8", sh::kLog, -8.0f, 0, 3.0f},
        {"log 1", sh::kLog, 1.0f, 0, 0.0f},
        {"log 10", sh::kLog, 10.0f, 0, std::log2(10.0f)},
        {"pow 2^3", sh::kPow, 2.0f, 3.0f, 8.0f},
        {"pow -2^3", sh::kPow, -2.0f, 3.0f, 8.0f},
        {"pow 0^2", sh::kPow, 0.0f, 2.0f, 0.0f},
        {"pow 4^0.5", sh::kPow, 4.0f, 0.5f, 2.0f},
        {"pow 0^-1", sh::kPow, 0.0f, -1.0f, kInf},
    };
    for (const ScalarCase& k : cases) {
        ProgramRunner run;
        const uint32_t x = run.In(0, kSwizzleYyyy), y = run.In(1, kSwizzleWwww);
        if (k.opcode == sh::kPow)
            run.tokens().Op(Op(k.opcode), {Destination(kRegTemp, 0), x, y});
        else
            run.tokens().Op(Op(k.opcode), {Destination(kRegTemp, 0), x});
        run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
        const auto got = run.Run({{Vec4{9, k.x, 9, 9}, Vec4{9, 9, 9, k.y}, Vec4{}, Vec4{}}});
        ExpectLanes(got, {{k.want, k.want, k.want, k.want}}, k.name);
    }
}

TEST(ShaderArithmeticTest, ProductsAndMatricesComputeWhatCppLoopsCompute) {
    const Vec4 rows[4] = {{1.5f, -2.0f, 0.25f, 3.0f},
                          {0.0f, 4.0f, -1.0f, 0.5f},
                          {-3.0f, 0.125f, 2.0f, -1.0f},
                          {7.0f, 1.0f, -0.5f, 2.0f}};
    const std::vector<Vec4> constants(rows, rows + 4);
    const auto inputs = SampleInputs();
    auto dot = [](const Vec4& a, const Vec4& b, int n) {
        float s = a[0] * b[0];
        for (int k = 1; k < n; ++k) s += a[size_t(k)] * b[size_t(k)];
        return s;
    };
    struct Case {
        const char* name;
        uint16_t opcode;
        int rows, width;  // matrix rows written and the products' width
        uint32_t mask;
    };
    const Case matrices[] = {{"m4x4", sh::kM4x4, 4, 4, 0xF},
                             {"m4x3", sh::kM4x3, 3, 4, 0x7},
                             {"m3x4", sh::kM3x4, 4, 3, 0xF},
                             {"m3x3", sh::kM3x3, 3, 3, 0x7},
                             {"m3x2", sh::kM3x2, 2, 3, 0x3}};
    for (const Case& m : matrices) {
        ProgramRunner run;
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0), Source(kRegConst, 3)});
        run.tokens().Op(Op(m.opcode), {Destination(kRegTemp, 0, m.mask), run.In(0), Source(kRegConst, 0)});
        run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
        std::vector<Vec4> want;
        for (const auto& lane : inputs) {
            Vec4 w = rows[3];
            for (int r = 0; r < m.rows; ++r) w[size_t(r)] = dot(lane[0], rows[r], m.width);
            want.push_back(w);
        }
        ExpectLanes(run.Run(inputs, constants), want, m.name);
    }
    struct Product {
        const char* name;
        uint16_t opcode;
        std::function<Vec4(const Vec4&, const Vec4&, const Vec4&)> expect;
    };
    const Product products[] = {
        {"dp3", sh::kDp3,
         [&](const Vec4& a, const Vec4& b, const Vec4&) {
             return Vec4{dot(a, b, 3), dot(a, b, 3), dot(a, b, 3), dot(a, b, 3)};
         }},
        {"dp4", sh::kDp4,
         [&](const Vec4& a, const Vec4& b, const Vec4&) {
             return Vec4{dot(a, b, 4), dot(a, b, 4), dot(a, b, 4), dot(a, b, 4)};
         }},
        {"dp2add", sh::kDp2Add,
         [&](const Vec4& a, const Vec4& b, const Vec4& c) {
             const float v = dot(a, b, 2) + c[0];
             return Vec4{v, v, v, v};
         }},
        {"crs", sh::kCrs,
         [](const Vec4& a, const Vec4& b, const Vec4&) {
             return Vec4{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0],
                         0.0f};
         }},
        {"nrm", sh::kNrm,
         [&](const Vec4& a, const Vec4&, const Vec4&) {
             const float f = 1.0f / std::sqrt(dot(a, a, 3));
             return Vec4{a[0] * f, a[1] * f, a[2] * f, a[3] * f};
         }},
    };
    const std::vector<std::array<Vec4, 4>> vectors = {
        {Vec4{1, 2, 3, 4}, Vec4{-0.5f, 0.25f, 8, 2}, Vec4{3, 0, 0, 0}, {}},
        {Vec4{0, 0, 0, 1}, Vec4{1, 1, 1, 1}, Vec4{-2, 0, 0, 0}, {}},
        {Vec4{-3, 4, 12, 0.5f}, Vec4{7, -1, 0.5f, 3}, Vec4{0.5f, 0, 0, 0}, {}}};
    for (const Product& p : products) {
        ProgramRunner run;
        const bool two = p.opcode == sh::kCrs, one = p.opcode == sh::kNrm;
        const uint32_t mask = two ? kMaskRgb : kMaskAll;
        if (one)
            run.tokens().Op(Op(p.opcode), {Destination(kRegTemp, 0, mask), run.In(0)});
        else if (two || p.opcode != sh::kDp2Add)
            run.tokens().Op(Op(p.opcode), {Destination(kRegTemp, 0, mask), run.In(0), run.In(1)});
        else
            run.tokens().Op(Op(p.opcode), {Destination(kRegTemp, 0), run.In(0), run.In(1), run.In(2, 0x00)});
        if (two) run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskW), Source(kRegConst, 0, 0x00)});
        run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
        std::vector<Vec4> want;
        for (const auto& lane : vectors) want.push_back(p.expect(lane[0], lane[1], lane[2]));
        ExpectLanes(run.Run(vectors, {{0, 0, 0, 0}}), want, p.name);
    }
}

TEST(ShaderArithmeticTest, SwizzlesMasksAndModifiersShapeWhatIsWritten) {
    struct Case {
        uint32_t swizzle;
        uint8_t modifier;
        uint32_t mask;
        bool saturate;
    };
    const Case cases[] = {
        {kSwizzleXyzw, sh::kModNone, kMaskAll, false},
        {Swizzle(3, 2, 1, 0), sh::kModNone, kMaskAll, false},
        {Swizzle(1, 1, 0, 3), sh::kModNegate, kMaskAll, false},
        {Swizzle(2, 0, 3, 1), sh::kModAbs, 0x5, false},
        {Swizzle(0, 3, 3, 2), sh::kModAbsNegate, 0xA, false},
        {kSwizzleXyzw, sh::kModNegate, kMaskAll, true},
        {Swizzle(3, 3, 3, 3), sh::kModNone, kMaskX, true},
        {Swizzle(1, 2, 3, 0), sh::kModAbs, 0x6, true},
    };
    const Vec4 input = {-0.5f, 2.0f, 0.25f, -3.0f}, before = {7, 8, 9, 10};
    for (const Case& k : cases) {
        ProgramRunner run;
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0), Source(kRegConst, 0)});
        run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, k.mask) | (k.saturate ? kSaturate : 0),
                                 run.In(0, k.swizzle, Modifier(k.modifier))});
        run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
        Vec4 want = before;
        for (size_t c = 0; c < 4; ++c) {
            if (!(k.mask >> c & 1)) continue;
            float v = input[(k.swizzle >> (2 * c)) & 3];
            if (k.modifier == sh::kModAbs || k.modifier == sh::kModAbsNegate) v = std::fabs(v);
            if (k.modifier == sh::kModNegate || k.modifier == sh::kModAbsNegate) v = -v;
            if (k.saturate) v = std::clamp(v, 0.0f, 1.0f);
            want[c] = v;
        }
        ExpectLanes(run.Run({{input, {}, {}, {}}}, {before}), {want},
                    "swizzle " + std::to_string(k.swizzle) + " modifier " + std::to_string(k.modifier));
    }
}

TEST(ShaderArithmeticTest, SaturateTurnsNanAndInfinitiesIntoTheRange) {
    ProgramRunner run;
    run.tokens().Op(Op(sh::kRcp), {Destination(kRegTemp, 1), run.In(0, 0x00)});
    run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskX) | kSaturate, Source(kRegTemp, 1)});
    run.tokens().Op(kOpMul,
                    {Destination(kRegTemp, 0, kMaskY) | kSaturate, run.In(0, 0x00), Source(kRegTemp, 1)});
    run.tokens().Op(Op(sh::kRcp), {Destination(kRegTemp, 0, kMaskZ) | kSaturate, run.In(0, 0x55)});
    run.tokens().Op(kOpMov, {Destination(kRegTemp, 0, kMaskW) | kSaturate, run.In(0, 0xFF, kSourceNegate)});
    run.tokens().Op(kOpMov, {run.Out(), Source(kRegTemp, 0)});
    // x: rcp(0) = inf -> 1; y: 0 * inf = NaN -> 0; z: rcp(-0) = +inf -> 1; w: -1e30 -> 0.
    ExpectLanes(run.Run({{Vec4{0.0f, -0.0f, 0, 1e30f}, {}, {}, {}}}), {{1, 0, 1, 0}}, "saturate");
}

TEST(ShaderArithmeticTest, GradientsAreTheDifferencesAcrossTheQuad) {
    // Lane l is the quad's pixel (l & 1, l >> 1).
    const std::vector<std::array<Vec4, 4>> quad = {
        {Vec4{1, 10, -2, 0}}, {Vec4{4, 30, -2, 8}}, {Vec4{0, 15, 5, 0.5f}}, {Vec4{9, 11, 5, -1}}};
    for (uint16_t opcode : {sh::kDsx, sh::kDsy}) {
        ProgramRunner run;
        run.tokens().Op(Op(opcode), {run.Out(), run.In(0)});
        std::vector<Vec4> want;
        for (size_t l = 0; l < 4; ++l) {
            const size_t from = opcode == sh::kDsx ? (l & 2) : (l & 1),
                         to = from + (opcode == sh::kDsx ? 1 : 2);
            Vec4 w;
            for (size_t c = 0; c < 4; ++c) w[c] = quad[to][0][c] - quad[from][0][c];
            want.push_back(w);
        }
        ExpectLanes(run.Run(quad), want, opcode == sh::kDsx ? "dsx" : "dsy");
    }
}

}  // namespace
}  // namespace d3d9_test
