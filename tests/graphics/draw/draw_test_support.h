// The device fixture with every drawing-state module back at its start values, and small helpers to
// read the trace.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/draw/draw_state_preparation.h"
#include "engine/graphics/draw/render_state_cache.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/shader_constant_cache.h"
#include "engine/graphics/draw/stage_setup.h"
#include "engine/graphics/draw/transforms.h"
#include "engine/graphics/draw/user_shaders.h"
#include "engine/graphics/draw/vertex_batch.h"
#include "tests/graphics/device_fixture.h"

namespace graphics_test {

inline void ResetDrawModules() {
    ResetVertexBatch();
    ResetTransforms();
    ResetRenderStateCache();
    ResetShaderConstantCache(&shaderConstantCache);
    SelectShaderConstantSets(&shaderConstantCache, 1);
    ResetDrawSettingsBlock();
    ResetStageSetupState();
    ResetUserShaderBinding();
    sceneLatch = 0;
    drawStateLatch = {};
}

class DrawFixture : public DeviceFixture {
  protected:
    void SetUp() override {
        DeviceFixture::SetUp();
        ResetDrawModules();
    }
    void TearDown() override {
        DeviceFixture::TearDown();
        ResetDrawModules();
    }
};

inline int CountLines(const std::vector<std::string>& trace, const std::string& line) {
    return int(std::count(trace.begin(), trace.end(), line));
}
inline int CountPrefix(const std::vector<std::string>& trace, const std::string& prefix) {
    return int(std::count_if(trace.begin(), trace.end(),
                             [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
}
// Index of the first line equal to `line` (or starting with it when `prefix`), -1 when absent.
inline int IndexOf(const std::vector<std::string>& trace, const std::string& line, bool prefix = false) {
    for (size_t i = 0; i < trace.size(); ++i)
        if (prefix ? trace[i].rfind(line, 0) == 0 : trace[i] == line) return int(i);
    return -1;
}

}  // namespace graphics_test
