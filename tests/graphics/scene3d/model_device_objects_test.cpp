#include "engine/graphics/scene3d/model_device_objects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/memory/tracked_allocator.h"
#include "engine/graphics/scene3d/model_handles.h"
#include "tests/graphics/device_fixture.h"
#include "tests/graphics/scene3d/model_builder.h"

namespace {

using namespace model_test;

template <class Buffer>
std::vector<uint8_t> BufferBytes(Buffer* buffer, UINT size) {
    void* data = nullptr;
    if (buffer == nullptr || FAILED(buffer->Lock(0, size, &data, D3DLOCK_READONLY))) return {};
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    buffer->Unlock();
    return bytes;
}

class ModelDeviceObjectsTest : public graphics_test::DeviceFixture {
  protected:
    void Start(DWORD vertexShaderVersion) {
        D3D9CapabilityProfile profile;
        profile.vertex_shader_version = vertexShaderVersion;
        D3D9SetCapabilityProfile(profile);
        MakeDevice(64, 64);
        ASSERT_EQ(RegisterModelHandleTypes(), 0);
        base = AddTestBase(3, 1, 1, 1, 0);
        instance = AddTestInstance(base);
    }
    void TearDown() override {
        EndModelHandleTypes();
        DeviceFixture::TearDown();
    }
    void ExpectBaseBuffersHoldTheModelData() {
        const ModelBase* b = BaseOf(base);
        for (int i = 0; i < b->meshCount; ++i) {
            const ModelMesh& m = b->meshes[i];
            const UINT size = UINT(m.vertexCount * m.vertexStride);
            EXPECT_EQ(BufferBytes(m.vertexBuffer, size),
                      std::vector<uint8_t>(m.vertexData, m.vertexData + size));
            const auto* indices = reinterpret_cast<const uint8_t*>(m.indexData);
            EXPECT_EQ(BufferBytes(m.indexBuffer, 6), std::vector<uint8_t>(indices, indices + 6));
            EXPECT_EQ(b->bufferLists[m.listKind][m.listSet][m.listSlot]->vertexBuffer, m.vertexBuffer);
        }
    }
    int base = -1, instance = -1;
};

TEST_F(ModelDeviceObjectsTest, VertexShaderTwoRebuildsBaseBuffersWithTheSameBytes) {
    Start(D3DVS_VERSION(2, 0));
    ASSERT_EQ(RebuildModelDeviceObjects(), 0);
    ExpectBaseBuffersHoldTheModelData();
    ASSERT_EQ(ReleaseModelDeviceObjects(), 0);
    const ModelBase* b = BaseOf(base);
    for (int i = 0; i < b->meshCount; ++i) {
        EXPECT_EQ(b->meshes[i].vertexBuffer, nullptr);
        EXPECT_EQ(InstanceOf(instance)->meshBuffers[i], nullptr);
    }
    for (const auto& kind : b->bufferLists)
        for (const auto& set : kind)
            for (const ModelBufferEntry* entry : set) EXPECT_EQ(entry, nullptr);
    ASSERT_EQ(RebuildModelDeviceObjects(), 0);
    ExpectBaseBuffersHoldTheModelData();
}

TEST_F(ModelDeviceObjectsTest, InstanceBuffersAreDynamicAndMadeOnlyWhereMissing) {
    Start(D3DVS_VERSION(0, 0));
    ASSERT_EQ(RebuildModelDeviceObjects(), 0);
    const ModelBase* b = BaseOf(base);
    ModelInstance* i = InstanceOf(instance);
    EXPECT_EQ(b->meshes[0].vertexBuffer, nullptr);  // no vertex processing for models: no base rebuild
    IDirect3DVertexBuffer9* first = i->meshBuffers[0];
    for (int m = 0; m < b->meshCount; ++m) {
        D3DVERTEXBUFFER_DESC desc{};
        ASSERT_NE(i->meshBuffers[m], nullptr);
        i->meshBuffers[m]->GetDesc(&desc);
        EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY));
        EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
        EXPECT_EQ(desc.Size, UINT(b->meshes[m].vertexCount * 16));
        EXPECT_EQ(desc.FVF, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
    }
    ASSERT_EQ(RebuildModelDeviceObjects(), 0);
    EXPECT_EQ(i->meshBuffers[0], first);
}

TEST_F(ModelDeviceObjectsTest, FailedBufferLeavesTheBaseWithoutBuffersOrEntries) {
    Start(D3DVS_VERSION(2, 0));
    const uint32_t blocks = GetTrackedAllocCount();
    D3D9FailCreation("CreateIndexBuffer", 1);
    ModelBase* b = BaseOf(base);
    EXPECT_EQ(RebuildBaseDeviceObjects(b), -1);
    for (int m = 0; m < b->meshCount; ++m) EXPECT_EQ(b->meshes[m].vertexBuffer, nullptr);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
    b->meshes[1].listSlot = kModelListSlots;  // a list outside the table is refused, not written
    EXPECT_EQ(RebuildBaseDeviceObjects(b), -1);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
}

}  // namespace
