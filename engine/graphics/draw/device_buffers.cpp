#include "engine/graphics/draw/device_buffers.h"

#include <cstring>

#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/device/device_wrappers.h"

namespace {

constexpr DWORD kBufferFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2;

DeviceBufferRecord* LookupBuffer(int handle, int type) {
    auto* record = static_cast<DeviceBufferRecord*>(GetTypedHandleData(handle, type));
    if (!record || record->header.asyncLoadCount != 0) return nullptr;
    return record;
}

HRESULT MakeDeviceBuffer(DeviceBufferRecord* record, int type) {
    const UINT bytes = UINT(record->elementSize) * UINT(record->count);
    if (type == kHandleTypeVertexBuffer) {
        IDirect3DVertexBuffer9* buffer = nullptr;
        const HRESULT hr = DeviceCreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, kBufferFvf, D3DPOOL_DEFAULT,
                                                    &buffer, nullptr);
        if (hr != D3D_OK) LogText("頂点バッファの作成に失敗しました\n");
        record->buffer = buffer;
        return hr;
    }
    IDirect3DIndexBuffer9* buffer = nullptr;
    const HRESULT hr =
        DeviceCreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &buffer, nullptr);
    if (hr != D3D_OK) LogText("インデックスバッファの作成に失敗しました\n");
    record->buffer = buffer;
    return hr;
}

template <class Buffer>
HRESULT WriteDevice(Buffer* buffer, UINT offset, UINT bytes, const void* data) {
    void* locked = nullptr;
    const HRESULT hr = BufferLock(buffer, offset, bytes, &locked, 0);
    if (hr != D3D_OK) return hr;
    std::memcpy(locked, data, bytes);
    BufferUnlock(buffer);
    return D3D_OK;
}

int Create(int type, int elementSize, int count) {
    if (elementSize <= 0 || count <= 0 || int64_t(elementSize) * count > 0x7FFFFFFF) return -1;
    const int handle = AddHandle(type, -1);
    if (handle < 0) return -1;
    auto* record = static_cast<DeviceBufferRecord*>(GetHandleData(handle));
    record->elementSize = elementSize;
    record->count = count;
    record->copy = TrackedAllocZeroed(size_t(elementSize) * count, __FILE__, __LINE__);
    if (!record->copy || (HasD3DDevice() && MakeDeviceBuffer(record, type) != D3D_OK)) {
        DeleteHandle(handle);
        return -1;
    }
    return handle;
}

int SetData(int type, int first, const void* data, int count, int handle) {
    DeviceBufferRecord* record = LookupBuffer(handle, type);
    if (!record || first < 0 || count < 0 || int64_t(first) + count > record->count) return -1;
    if (count == 0) return 0;
    if (data == nullptr) return -1;
    const UINT offset = UINT(first) * UINT(record->elementSize),
               bytes = UINT(count) * UINT(record->elementSize);
    if (record->buffer) {
        const HRESULT hr =
            type == kHandleTypeVertexBuffer
                ? WriteDevice(static_cast<IDirect3DVertexBuffer9*>(record->buffer), offset, bytes, data)
                : WriteDevice(static_cast<IDirect3DIndexBuffer9*>(record->buffer), offset, bytes, data);
        if (hr != D3D_OK) {
            LogText(type == kHandleTypeVertexBuffer ? "頂点バッファのロックに失敗しました\n"
                                                    : "インデックスバッファのロックに失敗しました\n");
            return -1;
        }
    }
    std::memcpy(static_cast<uint8_t*>(record->copy) + offset, data, bytes);
    return 0;
}

}  // namespace

int DeviceBufferDeleteCallback(HandleHeader* data) {
    auto* record = reinterpret_cast<DeviceBufferRecord*>(data);
    if (record->buffer) ReleaseComObject(record->buffer);
    record->buffer = nullptr;
    TrackedFree(record->copy);
    record->copy = nullptr;
    return 0;
}

int CreateDeviceVertexBuffer(int elementSize, int count) {
    return Create(kHandleTypeVertexBuffer, elementSize, count);
}
int CreateDeviceIndexBuffer(int count) {
    return Create(kHandleTypeIndexBuffer, 2, count);
}

int SetVertexBufferData(int first, const void* data, int count, int handle) {
    return SetData(kHandleTypeVertexBuffer, first, data, count, handle);
}
int SetIndexBufferData(int first, const void* data, int count, int handle) {
    return SetData(kHandleTypeIndexBuffer, first, data, count, handle);
}

int ReleaseDeviceBufferObjects(int type) {
    if (type != kHandleTypeVertexBuffer && type != kHandleTypeIndexBuffer) return 0;
    ForEachHandle<DeviceBufferRecord>(type, [](DeviceBufferRecord* record) {
        if (record->buffer) ReleaseComObject(record->buffer);
        record->buffer = nullptr;
    });
    return 0;
}

int RecreateDeviceBufferObjects(int type) {
    if (!HasD3DDevice() || (type != kHandleTypeVertexBuffer && type != kHandleTypeIndexBuffer)) return 0;
    ForEachHandle<DeviceBufferRecord>(type, [type](DeviceBufferRecord* record) {
        if (record->buffer || MakeDeviceBuffer(record, type) != D3D_OK) return;
        const UINT bytes = UINT(record->elementSize) * UINT(record->count);
        if (type == kHandleTypeVertexBuffer)
            WriteDevice(static_cast<IDirect3DVertexBuffer9*>(record->buffer), 0, bytes, record->copy);
        else
            WriteDevice(static_cast<IDirect3DIndexBuffer9*>(record->buffer), 0, bytes, record->copy);
    });
    return 0;
}
