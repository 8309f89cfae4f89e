#include <gtest/gtest.h>

#include <cstring>

#include <atomic>

#include "engine/core/frame/library_state.h"
#include "engine/core/memory/async_load.h"
#include "tests/graphics/draw/draw_test_support.h"
#include "tests/wait_until.h"

namespace graphics_test {
namespace {

class VertexBatchTest : public DrawFixture {
  protected:
    void TearDown() override {
        libraryFlags.endRequested = 0;
        DrawFixture::TearDown();
    }
    // n screen-space textured vertices of a small triangle fan around (x, y), colour white.
    void Append(int n, int type, float x = 4, float y = 4) {
        auto* v = static_cast<Vertex2DTex*>(ReserveBatchVertices(0, 1, type, n));
        ASSERT_NE(v, nullptr);
        for (int i = 0; i < n; ++i) {
            v[i].x = x + float(i % 2) * 2, v[i].y = y + float(i / 2) * 2;
            v[i].diffuse = 0xFFFFFFFF;
            v[i].u = v[i].v = 0;
        }
    }
};

TEST_F(VertexBatchTest, SevenListVerticesDrawTwoTrianglesInOneCallInsideAScene) {
    MakeDevice(16, 16);
    Append(7, D3DPT_TRIANGLELIST);
    StartTrace();
    EXPECT_EQ(FlushVertexBatch(0), 0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountPrefix(trace, "IDirect3DDevice9::DrawPrimitiveUP"), 1);
    const int draw = IndexOf(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 2, ptr, 28)");
    const int begin = IndexOf(trace, "IDirect3DDevice9::BeginScene()");
    ASSERT_GE(draw, 0);
    ASSERT_GE(begin, 0);
    EXPECT_LT(begin, draw);
    EXPECT_EQ(sceneLatch, 1);
    EXPECT_EQ(vertexBatch.vertexCount, 0);
    EXPECT_EQ(vertexBatch.writePointer, vertexBatch.buffers[1]);
}

TEST_F(VertexBatchTest, PrimitiveCountFollowsThePrimitiveType) {
    MakeDevice(16, 16);
    struct Case {
        int type, vertices;
        const char* line;
    };
    const Case cases[] = {
        {D3DPT_POINTLIST, 5, "IDirect3DDevice9::DrawPrimitiveUP(1, 5, ptr, 28)"},
        {D3DPT_LINELIST, 5, "IDirect3DDevice9::DrawPrimitiveUP(2, 2, ptr, 28)"},
        {D3DPT_LINESTRIP, 5, "IDirect3DDevice9::DrawPrimitiveUP(3, 4, ptr, 28)"},
        {D3DPT_TRIANGLESTRIP, 5, "IDirect3DDevice9::DrawPrimitiveUP(5, 3, ptr, 28)"},
        {D3DPT_TRIANGLEFAN, 6, "IDirect3DDevice9::DrawPrimitiveUP(6, 4, ptr, 28)"},
    };
    for (const Case& c : cases) {
        Append(c.vertices, c.type);
        StartTrace();
        FlushVertexBatch(0);
        EXPECT_EQ(CountLines(TakeTrace(), c.line), 1) << c.line;
    }
}

TEST_F(VertexBatchTest, ATwoVertexStripDrawsNothingAndEmptiesTheBatch) {
    MakeDevice(16, 16);
    Append(2, D3DPT_TRIANGLESTRIP);
    StartTrace();
    EXPECT_EQ(FlushVertexBatch(0), 0);
    EXPECT_EQ(CountPrefix(TakeTrace(), "IDirect3DDevice9::DrawPrimitiveUP"), 0);
    EXPECT_EQ(vertexBatch.vertexCount, 0);
}

TEST_F(VertexBatchTest, AfterTheEndRequestNothingIsDrawnButTheBatchEmpties) {
    MakeDevice(16, 16);
    Append(6, D3DPT_TRIANGLELIST);
    libraryFlags.endRequested = 1;
    StartTrace();
    EXPECT_EQ(FlushVertexBatch(0), 0);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(vertexBatch.vertexCount, 0);
    EXPECT_EQ(sceneLatch, 0);
}

TEST_F(VertexBatchTest, WithoutADeviceTheFlushFails) {
    EXPECT_EQ(FlushVertexBatch(0), -1);
}

TEST_F(VertexBatchTest, AnEmptyFlushResetsTheWritePointerWithoutADeviceCall) {
    MakeDevice(16, 16);
    vertexBatch.writePointer += 28;
    StartTrace();
    EXPECT_EQ(FlushVertexBatch(0), 0);
    EXPECT_TRUE(TakeTrace().empty());
    EXPECT_EQ(vertexBatch.writePointer, vertexBatch.buffers[VertexBatchBufferIndex(0, vertexBatch.kind)]);
}

TEST_F(VertexBatchTest, TheVertexFormatIsSetOnlyWhenItChanges) {
    MakeDevice(16, 16);
    StartTrace();
    Append(6, D3DPT_TRIANGLELIST);
    FlushVertexBatch(0);
    Append(6, D3DPT_TRIANGLELIST);
    FlushVertexBatch(0);
    auto* colour = static_cast<Vertex2D*>(ReserveBatchVertices(0, 0, D3DPT_TRIANGLELIST, 3));
    ASSERT_NE(colour, nullptr);
    FlushVertexBatch(0);
    const auto trace = TakeTrace();
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetFVF(324)"), 1);
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetFVF(68)"), 1);
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 1, ptr, 20)"), 1);
}

TEST_F(VertexBatchTest, ThreeDimensionalVerticesDrawUnderTheIdentityWorld) {
    MakeDevice(16, 16);
    float world[16] = {};
    world[0] = 2, world[5] = 2, world[10] = 2, world[15] = 1;
    SetWorldMatrix(world);
    ASSERT_NE(ReserveBatchVertices(1, 0, D3DPT_TRIANGLELIST, 3), nullptr);
    StartTrace();
    FlushVertexBatch(0);
    const auto trace = TakeTrace();
    const int first = IndexOf(trace, "IDirect3DDevice9::SetTransform(256, ptr)");
    const int draw = IndexOf(trace, "IDirect3DDevice9::DrawPrimitiveUP(4, 1, ptr, 16)");
    ASSERT_GE(first, 0);
    ASSERT_GT(draw, first);
    EXPECT_EQ(CountLines(trace, "IDirect3DDevice9::SetTransform(256, ptr)"), 2);
    D3DMATRIX back{};
    Device()->GetTransform(D3DTS_WORLD, &back);
    EXPECT_EQ(std::memcmp(&back, world, sizeof back), 0);
}

TEST_F(VertexBatchTest, AFullBufferIsDrawnBeforeMoreVerticesAreTaken) {
    MakeDevice(16, 16);
    const int capacity = kVertexBufferFormats[1].capacity;
    ASSERT_NE(ReserveBatchVertices(0, 1, D3DPT_TRIANGLELIST, capacity - 3), nullptr);
    StartTrace();
    ASSERT_NE(ReserveBatchVertices(0, 1, D3DPT_TRIANGLELIST, 6), nullptr);
    EXPECT_EQ(CountLines(TakeTrace(), "IDirect3DDevice9::DrawPrimitiveUP(4, 779, ptr, 28)"), 1);
    EXPECT_EQ(vertexBatch.vertexCount, 6);
    EXPECT_EQ(ReserveBatchVertices(0, 1, D3DPT_TRIANGLELIST, capacity + 1), nullptr);
    EXPECT_EQ(ReserveBatchVertices(1, 2, D3DPT_TRIANGLELIST, 3), nullptr);
}

TEST_F(VertexBatchTest, ScreenSpaceVerticesArePresetWithRhwOneAndWhiteSpecular) {
    for (int kind = 0; kind < 3; ++kind) {
        const VertexBufferFormat& f = kVertexBufferFormats[kind];
        for (int v : {0, f.capacity - 1}) {
            const uint8_t* p = vertexBatch.buffers[kind] + v * f.stride;
            float z, rhw;
            std::memcpy(&z, p + 8, 4);
            std::memcpy(&rhw, p + 12, 4);
            EXPECT_EQ(z, 0.0f);
            EXPECT_EQ(rhw, 1.0f);
            if (kind == 2) {
                uint32_t specular;
                std::memcpy(&specular, p + 20, 4);
                EXPECT_EQ(specular, 0xFFFFFFFFu);
            }
        }
    }
}

std::atomic<int> postedFlushResult{99};

void PostingFlushJob(AsyncLoadRequest*) {
    postedFlushResult = FlushVertexBatch(1);
}

TEST_F(VertexBatchTest, AFlushPostedFromALoaderThreadRunsOnTheMainThread) {
    MakeDevice(16, 16);
    Append(6, D3DPT_TRIANGLELIST);
    ASSERT_EQ(InitAsyncLoad(GetCurrentThreadId()), 0);
    ASSERT_EQ(StartAsyncLoadThreads(2), 0);
    postedFlushResult = 99;
    AsyncLoadRequest* request = AllocAsyncLoadRequest(0);
    ASSERT_NE(request, nullptr);
    request->job = PostingFlushJob;
    StartTrace();
    AddAsyncLoadRequest(request);
    // The worker only queues the flush: nothing is drawn until the main thread serves the queue.
    WaitUntil([] { return GetMainThreadCallCount() != 0; }, [] { Sleep(1); });
    ASSERT_EQ(GetMainThreadCallCount(), 1);
    EXPECT_EQ(vertexBatch.vertexCount, 6);
    WaitUntil([] { return postedFlushResult != 99; },
              [] {
                  ProcessMainThreadRequests();
                  Sleep(1);
              });
    EXPECT_EQ(postedFlushResult, 0);
    EXPECT_EQ(CountLines(TakeTrace(), "IDirect3DDevice9::DrawPrimitiveUP(4, 2, ptr, 28)"), 1);
    EXPECT_EQ(vertexBatch.vertexCount, 0);
    StopAsyncLoadThreads();
    EXPECT_EQ(EndAsyncLoad(), 0);
}

class SceneLatchTest : public DrawFixture {};

TEST_F(SceneLatchTest, ASceneBeginsOnceAndItsStartClearsTheDrawStateLatch) {
    MakeDevice(16, 16);
    drawStateLatch = {0x1234, 0x3, 1};
    StartTrace();
    BeginSceneIfNeeded();
    BeginSceneIfNeeded();
    EXPECT_EQ(drawStateLatch.texture, 0u);
    EXPECT_EQ(drawStateLatch.flags, 0u);
    EXPECT_EQ(drawStateLatch.statesChanged, 0);
    EndSceneIfBegun();
    EndSceneIfBegun();
    const std::vector<std::string> expected = {"IDirect3DDevice9::BeginScene()",
                                               "IDirect3DDevice9::EndScene()"};
    EXPECT_EQ(TakeTrace(), expected);
    EXPECT_EQ(sceneLatch, 0);
}

TEST_F(SceneLatchTest, WithoutADeviceTheLatchStaysClosed) {
    drawStateLatch.statesChanged = 1;
    EXPECT_EQ(BeginSceneIfNeeded(), 0);
    EXPECT_EQ(sceneLatch, 0);
    EXPECT_EQ(drawStateLatch.statesChanged, 1);
    EXPECT_EQ(EndSceneIfBegun(), 0);
}

}  // namespace
}  // namespace graphics_test
