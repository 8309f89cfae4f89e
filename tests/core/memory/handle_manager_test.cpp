#include "engine/core/memory/handle_manager.h"

#include <gmock/gmock.h>

#include <set>
#include <vector>

#include "engine/core/memory/tracked_allocator.h"
#include "tests/core/log_capture.h"

namespace {

using ::testing::HasSubstr;

struct TestRecord {
    HandleHeader header;
    int value;
};

int initCalls = 0;
int InitCounting(HandleHeader*) {
    ++initCalls;
    return 0;
}
int KeepAlways(HandleHeader*) {
    return 1;
}
int KeepOddValues(HandleHeader* data) {
    return reinterpret_cast<TestRecord*>(data)->value % 2;
}

constexpr int kTestTypes[] = {kHandleTypeSound, kHandleTypeFont, kHandleTypeSoftSound};

class HandleManager : public LogCapture {
  protected:
    // Every test starts from types never used before: a type's check sequence lives as long as the
    // process, and other tests in the same process use these types too.
    void SetUp() override {
        LogCapture::SetUp();
        initCalls = 0;
        for (int type : kTestTypes) {
            EndHandleType(type);
            handleTypes[type].nextCheck = 0;
        }
    }
    void TearDown() override {
        for (int type : kTestTypes) EndHandleType(type);
        LogCapture::TearDown();
    }
    ResourceHandle Add(int type, int value) {
        ResourceHandle handle = AddHandle(type, -1);
        if (handle >= 0) static_cast<TestRecord*>(GetHandleData(handle))->value = value;
        return handle;
    }
};

TEST_F(HandleManager, ValueCombinesCheckTypeAndIndex) {
    // The first handles of a type never used before carry check values 1 and 2.
    ASSERT_EQ(
        RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 100, InitCounting, nullptr, "サウンド"), 0);
    EXPECT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 100, nullptr, nullptr, "x"), -1);
    EXPECT_EQ(RegisterHandleType(kHandleTypeFont, 4, 100, nullptr, nullptr, "x"),
              -1);  // smaller than a header
    ResourceHandle first = AddHandle(kHandleTypeSound, -1);
    ResourceHandle second = AddHandle(kHandleTypeSound, -1);
    EXPECT_EQ(first, (1 << 16) | (3 << 26) | 0);
    EXPECT_EQ(second, (2 << 16) | (3 << 26) | 1);
    EXPECT_EQ(initCalls, 2);
    auto* header = static_cast<HandleHeader*>(GetHandleData(second));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->handle, uint32_t(second));
    EXPECT_EQ(header->check, 2u);
    EXPECT_EQ(header->dataSize, sizeof(TestRecord));
    EXPECT_EQ(IsHandleLoading(second), 0);
}

TEST_F(HandleManager, CheckValuesRunFrom1To1022ThenWrapTo0) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 4, nullptr, nullptr, "サウンド"), 0);
    std::vector<int> checks;
    for (int i = 0; i < 1024; ++i) {
        ResourceHandle handle = AddHandle(kHandleTypeSound, -1);
        checks.push_back((handle >> 16) & 0x3FF);
        DeleteHandle(handle);
    }
    // Each value follows the last, 1022 wraps to 0.
    int wraps = 0;
    for (size_t i = 1; i < checks.size(); ++i) {
        EXPECT_EQ(checks[i], checks[i - 1] == 1022 ? 0 : checks[i - 1] + 1) << i;
        if (checks[i - 1] == 1022) ++wraps;
    }
    EXPECT_EQ(wraps, 1);
    // The sequence survives un-registration and re-registration of the type.
    EndHandleType(kHandleTypeSound);
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 4, nullptr, nullptr, "サウンド"), 0);
    EXPECT_EQ((AddHandle(kHandleTypeSound, -1) >> 16) & 0x3FF, checks.back() + 1);
}

TEST_F(HandleManager, FullTypeRefusesWithTheLimitMessage) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeFont, sizeof(TestRecord), 3, nullptr, nullptr, "フォント"), 0);
    for (int i = 0; i < 3; ++i) EXPECT_GE(AddHandle(kHandleTypeFont, -1), 0);
    uint32_t blocks = GetTrackedAllocCount();
    EXPECT_EQ(AddHandle(kHandleTypeFont, -1), -1);
    EXPECT_EQ(GetTrackedAllocCount(), blocks);
    // "フォントハンドルの数が限界数( 3 )に達していて新たなハンドルを作成できません" in Shift-JIS
    EXPECT_THAT(ReadLog(),
                HasSubstr("\x83\x74\x83\x48\x83\x93\x83\x67\x83\x6e\x83\x93\x83\x68\x83\x8b\x82\xcc\x90\x94"
                          "\x82\xaa\x8c\xc0\x8a\x45\x90\x94( 3 )"));
    EXPECT_EQ(AddHandle(kHandleTypeGraphic, -1), -1);  // not registered
}

TEST_F(HandleManager, SlotChoiceOrder) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 5, nullptr, nullptr, "サウンド"), 0);
    ResourceHandle h[5];
    for (ResourceHandle& handle : h) handle = AddHandle(kHandleTypeSound, -1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(HandleIndexOf(h[i]), i);
    // Above the highest is full; below the lowest needs lowest >= 2; then the first free slot.
    DeleteHandle(h[1]);
    DeleteHandle(h[3]);
    EXPECT_EQ(HandleIndexOf(AddHandle(kHandleTypeSound, -1)), 1);
    DeleteHandle(h[0]);
    DeleteHandle(h[4]);  // highest moves down to 2
    EXPECT_EQ(HandleIndexOf(AddHandle(kHandleTypeSound, -1)), 3);
    EXPECT_EQ(HandleIndexOf(AddHandle(kHandleTypeSound, -1)), 4);
    EXPECT_EQ(HandleIndexOf(AddHandle(kHandleTypeSound, -1)), 0);  // lowest 1: 0 only by the scan
}

TEST_F(HandleManager, LowestMinusOneIsTakenWhenTheTopIsFull) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 4, nullptr, nullptr, "サウンド"), 0);
    ResourceHandle h[4];
    for (ResourceHandle& handle : h) handle = AddHandle(kHandleTypeSound, -1);
    DeleteHandle(h[0]);
    DeleteHandle(h[1]);
    DeleteHandle(h[2]);  // lowest moves up to 3, highest stays 3 (the limit's top)
    EXPECT_EQ(HandleIndexOf(AddHandle(kHandleTypeSound, -1)), 2);
}

TEST_F(HandleManager, DeletedHandleIsRefusedAndRecreatingGivesItBack) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 10, nullptr, nullptr, "サウンド"), 0);
    ResourceHandle old = Add(kHandleTypeSound, 5);
    EXPECT_EQ(DeleteHandle(old), 0);
    EXPECT_EQ(GetHandleData(old), nullptr);
    EXPECT_EQ(DeleteHandle(old), -1);
    ResourceHandle again = AddHandle(kHandleTypeSound, old);
    EXPECT_EQ(again, old);
    EXPECT_EQ(static_cast<TestRecord*>(GetHandleData(again))->value, 0);  // fresh, zero-filled data
    // A handle whose slot is taken, or of another type, makes a new handle instead.
    ResourceHandle occupied = AddHandle(kHandleTypeSound, again);
    EXPECT_NE(occupied, again);
    EXPECT_NE(HandleIndexOf(occupied), HandleIndexOf(again));
    DeleteHandle(occupied);
    DeleteHandle(again);
    ResourceHandle foreign = (old & ~int(kHandleTypeBits)) | (kHandleTypeFont << kHandleTypeShift);
    ResourceHandle notRecreated = AddHandle(kHandleTypeSound, foreign);
    EXPECT_NE((notRecreated >> 16) & 0x3FF, (old >> 16) & 0x3FF);
    DeleteHandle(notRecreated);
    ResourceHandle fresh = AddHandle(kHandleTypeSound, -1);
    EXPECT_EQ(HandleIndexOf(fresh), HandleIndexOf(old));
    EXPECT_NE(fresh, old);  // a new handle in the same slot gets another check value
    EXPECT_EQ(GetHandleData(old), nullptr);
}

TEST_F(HandleManager, InvalidHandlesOfEveryKindGiveMinusOne) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 10, nullptr, nullptr, "サウンド"), 0);
    ResourceHandle good = AddHandle(kHandleTypeSound, -1);
    const ResourceHandle invalid[] = {
        -1,
        int(0x80000000u | uint32_t(good)),           // negative
        (good & ~int(kHandleTypeBits)) | (1 << 26),  // another type (graphics, unregistered)
        good ^ (1 << 16),                            // wrong check value
        (good & ~0xFFFF) | 5,                        // empty slot
        (good & ~0xFFFF) | 10,                       // index at the limit
        (good & ~0xFFFF) | 0xFFFF,                   // index far beyond
    };
    for (ResourceHandle handle : invalid) {
        EXPECT_EQ(GetHandleData(handle), nullptr) << std::hex << handle;
        EXPECT_EQ(DeleteHandle(handle), -1) << std::hex << handle;
        EXPECT_EQ(IsHandleLoading(handle), -1);
        EXPECT_EQ(ResizeHandleData(handle, 200), -1);
        EXPECT_EQ(AddHandleLoadJob(handle, 1), -1);
        EXPECT_EQ(DropHandleLoadJob(handle), -1);
        EXPECT_EQ(SetHandleLostFlag(handle, nullptr), -1);
    }
    // A sound handle passed where a graphic one is wanted is refused by its type bits.
    EXPECT_EQ(GetTypedHandleData(good, kHandleTypeGraphic), nullptr);
    EXPECT_NE(GetTypedHandleData(good, kHandleTypeSound), nullptr);
}

TEST_F(HandleManager, DeleteCallbackCanKeepAHandle) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 10, nullptr, KeepAlways, "サウンド"),
              0);
    ResourceHandle handle = AddHandle(kHandleTypeSound, -1);
    int lost = 0;
    SetHandleLostFlag(handle, &lost);
    EXPECT_EQ(DeleteHandle(handle), 0);
    EXPECT_NE(GetHandleData(handle), nullptr);
    EXPECT_EQ(lost, -1);
    SetHandleLostFlag(handle, nullptr);  // `lost` ends with this test
}

TEST_F(HandleManager, DeleteAllRespectsTheKeepCallbackAndListsNewestFirst) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 10, nullptr, nullptr, "サウンド"), 0);
    std::vector<ResourceHandle> handles;
    for (int i = 0; i < 6; ++i) handles.push_back(Add(kHandleTypeSound, i));
    std::vector<int> listed;
    for (HandleListNode* node = handleTypes[kHandleTypeSound].head.next; node->handle != uint32_t(-1);
         node = node->next)
        listed.push_back(static_cast<TestRecord*>(node->data)->value);
    EXPECT_EQ(listed, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(DeleteAllHandles(kHandleTypeSound, KeepOddValues), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(GetHandleData(handles[size_t(i)]) != nullptr, i % 2 == 1) << i;
    EXPECT_EQ(handleTypes[kHandleTypeSound].count, 3);
    EXPECT_EQ(DeleteAllHandles(kHandleTypeGraphic, nullptr), -1);
}

TEST_F(HandleManager, ResizeMovesTheDataAndKeepsTheList) {
    ASSERT_EQ(RegisterHandleType(kHandleTypeSound, sizeof(TestRecord), 10, nullptr, nullptr, "サウンド"), 0);
    ResourceHandle a = Add(kHandleTypeSound, 1);
    ResourceHandle b = Add(kHandleTypeSound, 2);
    ResourceHandle c = Add(kHandleTypeSound, 3);
    EXPECT_EQ(ResizeHandleData(b, 100000), 0);
    auto* record = static_cast<TestRecord*>(GetHandleData(b));
    EXPECT_EQ(record->value, 2);
    EXPECT_EQ(record->header.node.data, record);
    std::vector<int> listed;
    for (HandleListNode* node = handleTypes[kHandleTypeSound].head.next; node->handle != uint32_t(-1);
         node = node->next)
        listed.push_back(static_cast<TestRecord*>(node->data)->value);
    EXPECT_EQ(listed, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(ResizeHandleData(b, 100000), 0);
    EXPECT_EQ(DeleteHandle(b), 0);
    EXPECT_EQ(DeleteHandle(a), 0);
    EXPECT_EQ(DeleteHandle(c), 0);
}

TEST_F(HandleManager, LimitsOfTheLibraryTypes) {
    struct Limit {
        int type, limit;
    };
    // The limits the registering modules use; a table of them must fit the 16-bit index.
    const Limit limits[] = {{1, 32768},  {2, 8192},   {3, 32768},  {4, 8192},  {5, 256},
                            {6, 100},    {7, 512},    {8, 40},     {12, 4096}, {13, 32768},
                            {14, 32768}, {15, 16384}, {16, 16384}, {17, 32768}};
    for (const Limit& limit : limits) {
        if (handleTypes[limit.type].registered) continue;  // in use by another module's test
        ASSERT_EQ(RegisterHandleType(limit.type, sizeof(TestRecord), limit.limit, nullptr, nullptr, "t"), 0);
        ResourceHandle handle = AddHandle(limit.type, -1);
        EXPECT_EQ(HandleTypeOf(handle), limit.type);
        EXPECT_EQ(handleTypes[limit.type].limit, limit.limit);
        EXPECT_EQ(EndHandleType(limit.type), 0);
        EXPECT_EQ(GetHandleData(handle), nullptr);
    }
    EXPECT_EQ(EndHandleType(kHandleTypeGraphic), -1);
}

}  // namespace
