// Graphic handles made by hand for the draw-entry tests: software graphics over a MEMIMG of their own,
// and a 400 x 300 software draw target with the library in software mode.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "engine/core/frame/library_state.h"
#include "engine/core/memory/handle_manager.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/direct3d_system.h"
#include "engine/graphics/device/graphics_init.h"
#include "engine/graphics/device/screen_settings.h"
#include "engine/graphics/draw/draw_settings.h"
#include "engine/graphics/graphics.h"
#include "engine/graphics/handles/graphic_records.h"
#include "engine/softrender/soft_draw_entries.h"
#include "engine/softrender/soft_render_state.h"

namespace entries_test {

constexpr int kTargetWidth = 400;
constexpr int kTargetHeight = 300;

class SoftwareEntryFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        static const bool tables = (BuildSoftBlendTables(), true);
        (void)tables;
        // Registered here only for these tests: a later graphics start registers its own, with its callbacks
        // and the types beside it.
        registeredType_ = !handleTypes[kGraphicHandleType].registered;
        if (registeredType_)
            RegisterHandleType(kGraphicHandleType, GraphicEntrySize(kInlineDrawTiles), 64, NoOpHandleCallback,
                               NoOpHandleCallback, "graphic");
        savedInitialised_ = libraryFlags.initialised;
        libraryFlags.initialised = 1;
        savedStarted_ = graphicsStarted;
        graphicsStarted = 1;  // the graphics the fixture makes by hand stand for a started system
        libraryState.run.active = 1;
        Direct3DMode = 0;
        screenSettings.colorBits = 32;
        ResetDrawSettingsBlock();
        SetBlend(0, 0);
        SetBright(255, 255, 255);
        targetHandle_ = MakeGraphic(kTargetWidth, kTargetHeight, [](int, int) { return 0u; });
        Entry(targetHandle_)->block->description.renderTarget = 1;
        target_ = &Entry(targetHandle_)->softView;
        SelectDrawTarget(targetHandle_);
        g_softDrawSurfaces = SoftDrawSurfaces{target_, nullptr};
        SetClipRect(0, 0, kTargetWidth, kTargetHeight);
        Fill(0);
    }
    void TearDown() override {
        for (int handle : graphics_) {
            auto* entry = static_cast<GraphicEntry*>(GetHandleData(handle));
            if (entry == nullptr) continue;
            ReleaseMemImg(&entry->softView);
            TrackedFree(entry->block);
            DeleteHandle(handle);
        }
        SelectDrawTarget(kDrawTargetBackBuffer);
        g_softDrawSurfaces = SoftDrawSurfaces{nullptr, nullptr};
        libraryFlags.initialised = savedInitialised_;
        graphicsStarted = savedStarted_;
        SetBlend(0, 0);
        SetBright(255, 255, 255);
        if (registeredType_) EndHandleType(kGraphicHandleType);
    }

    // A software graphic whose pixel (x, y) is pixel(x, y) (XRGB).
    int MakeGraphic(int width, int height, const std::function<uint32_t(int, int)>& pixel) {
        int handle = AddHandle(kGraphicHandleType, -1);
        EXPECT_NE(handle, -1);
        auto* entry = static_cast<GraphicEntry*>(GetHandleData(handle));
        entry->movieHandle = -1;
        entry->width = width;
        entry->height = height;
        entry->block = static_cast<GraphicImageBlock*>(TrackedAllocZeroed(GraphicImageBlockSize(1), "", 0));
        entry->block->referenceCount = 1;
        entry->block->width = width;
        entry->block->height = height;
        EXPECT_EQ(CreateMemImg(&entry->softView, width, height, 1), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetPixel(&entry->softView, x, y, pixel(x, y));
        MarkMemImgDrawn(entry->softView.base);
        graphics_.push_back(handle);
        return handle;
    }
    // A graphic whose every pixel tells its position: x in red, y in green, blue 0x40.
    int MakePositionGraphic(int width, int height) {
        return MakeGraphic(width, height, [](int x, int y) { return Position(x, y); });
    }
    static uint32_t Position(int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | 0x40; }

    GraphicEntry* Entry(int handle) { return static_cast<GraphicEntry*>(GetHandleData(handle)); }

    static void SetPixel(MEMIMG* image, int x, int y, uint32_t value) {
        std::memcpy(image->pixels + y * image->base->pitch + x * 4, &value, 4);
    }
    uint32_t At(int x, int y) const {
        uint32_t v;
        std::memcpy(&v, target_->pixels + y * target_->base->pitch + x * 4, 4);
        return v & 0xFFFFFF;
    }
    void Fill(uint32_t value) { FillMemImgRect(target_, nullptr, value); }
    // Pixels that are not `background`.
    int CountDrawn(uint32_t background = 0) const {
        int n = 0;
        for (int y = 0; y < kTargetHeight; ++y)
            for (int x = 0; x < kTargetWidth; ++x) n += At(x, y) != background;
        return n;
    }
    // Every pixel of the rectangle is `value` and every pixel outside it is `background`.
    ::testing::AssertionResult OnlyRectIs(int x1, int y1, int x2, int y2, uint32_t value,
                                          uint32_t background = 0) {
        for (int y = 0; y < kTargetHeight; ++y)
            for (int x = 0; x < kTargetWidth; ++x) {
                bool inside = x >= x1 && x < x2 && y >= y1 && y < y2;
                if (At(x, y) != (inside ? value : background))
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is " << std::hex << At(x, y);
            }
        return ::testing::AssertionSuccess();
    }

    int targetHandle_ = -1;
    MEMIMG* target_ = nullptr;
    std::vector<int> graphics_;
    int savedInitialised_ = 0;
    int savedStarted_ = 0;
    bool registeredType_ = false;
};

}  // namespace entries_test
