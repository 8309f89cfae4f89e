#include "engine/graphics/draw/vertex_batch.h"

#include <cstring>

#include "engine/core/frame/library_init.h"
#include "engine/core/memory/async_load.h"
#include "engine/graphics/device/device_wrappers.h"
#include "engine/graphics/draw/scene_latch.h"
#include "engine/graphics/draw/transforms.h"

namespace {

alignas(16) uint8_t batchStorage[kVertexBatchBufferCount - 1][65536];

int PrimitiveCount(int type, int n) {
    switch (type) {
        case D3DPT_POINTLIST:
            return n;
        case D3DPT_LINELIST:
            return n / 2;
        case D3DPT_LINESTRIP:
            return n - 1;
        case D3DPT_TRIANGLELIST:
            return n / 3;
        default:
            return n - 2;
    }
}

void Restart() {
    vertexBatch.vertexCount = 0;
    vertexBatch.writePointer =
        vertexBatch.buffers[VertexBatchBufferIndex(vertexBatch.space, vertexBatch.kind)];
}

const bool batchPreset = (ResetVertexBatch(), true);

}  // namespace

VertexBatch vertexBatch;
DeviceVertexFormat deviceVertexFormat;

void ResetVertexBatch() {
    std::memset(batchStorage, 0, sizeof batchStorage);
    for (int i = 0; i < kVertexBatchBufferCount; ++i)
        vertexBatch.buffers[i] = i < kVertexBatchBufferCount - 1 ? batchStorage[i] : nullptr;
    for (int kind = 0; kind < 3; ++kind) {
        const VertexBufferFormat& format = kVertexBufferFormats[kind];
        for (int v = 0; v < format.capacity; ++v) {
            uint8_t* vertex = batchStorage[kind] + v * format.stride;
            const float rhw = 1.0f;
            std::memcpy(vertex + 12, &rhw, 4);
            if (kind == 2) std::memset(vertex + 20, 0xFF, 4);
        }
    }
    vertexBatch.space = 0;
    vertexBatch.kind = 0;
    vertexBatch.primitiveType = D3DPT_TRIANGLELIST;
    deviceVertexFormat = {};
    Restart();
    (void)batchPreset;
}

void ApplyVertexFormat(uint32_t fvf) {
    if (deviceVertexFormat.fvf == fvf) return;
    DeviceSetFVF(fvf);
    deviceVertexFormat.fvf = fvf;
    deviceVertexFormat.declaration = nullptr;
}

int FlushVertexBatch(int post) {
    if (post) {
        MainThreadCall call{FlushVertexBatchCompanion, 0, 0};
        return PostRequestToMainThread(&call);
    }
    if (!HasD3DDevice()) return -1;
    if (vertexBatch.vertexCount > 0 && !IsEndRequested()) {
        BeginSceneIfNeeded();
        const int index = VertexBatchBufferIndex(vertexBatch.space, vertexBatch.kind);
        const VertexBufferFormat& format = kVertexBufferFormats[index];
        ApplyVertexFormat(format.fvf);
        const bool in3D = vertexBatch.space == 1;
        D3DMATRIX identity{};
        for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
        if (in3D) DeviceSetTransform(D3DTS_WORLD, &identity);
        // A strip or fan of fewer than three vertices holds no primitive: nothing to draw.
        const int primitives = PrimitiveCount(vertexBatch.primitiveType, vertexBatch.vertexCount);
        if (primitives > 0)
            DeviceDrawPrimitiveUP(D3DPRIMITIVETYPE(vertexBatch.primitiveType), UINT(primitives),
                                  vertexBatch.buffers[index], UINT(format.stride));
        if (in3D) DeviceSetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&transformState.world));
    }
    Restart();
    return 0;
}

int FlushVertexBatchCompanion(MainThreadCall*) {
    return FlushVertexBatch(0);
}

void* ReserveBatchVertices(int space, int kind, int primitiveType, int count) {
    if (space < 0 || space > 1 || kind < 0 || kind > 2) return nullptr;
    const VertexBufferFormat& format = kVertexBufferFormats[VertexBatchBufferIndex(space, kind)];
    if (count <= 0 || count > format.capacity) return nullptr;
    if (vertexBatch.space != space || vertexBatch.kind != kind ||
        vertexBatch.primitiveType != primitiveType || vertexBatch.vertexCount + count > format.capacity) {
        FlushVertexBatch(0);
        vertexBatch.space = space;
        vertexBatch.kind = kind;
        vertexBatch.primitiveType = primitiveType;
        Restart();
    }
    void* room = vertexBatch.writePointer;
    vertexBatch.writePointer += count * format.stride;
    vertexBatch.vertexCount += count;
    return room;
}
