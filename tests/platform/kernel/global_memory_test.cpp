#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/kernel32.h"
#include "platform/kernel/module_registry.h"

namespace {

class GlobalMemory : public ::testing::Test {
  protected:
    void TearDown() override { ResetPlatformTestSwitches(); }
};

TEST_F(GlobalMemory, MovableBlockKeepsItsBytesAcrossLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 6);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 6u);
    char* bytes = static_cast<char*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_NE(static_cast<void*>(bytes), block);
    std::memcpy(bytes, "hello", 6);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    const char* again = static_cast<const char*>(GlobalLock(block));
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again, "hello");
    GlobalUnlock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST_F(GlobalMemory, ZeroInitClearsTheBlock) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4096);
    ASSERT_NE(block, nullptr);
    const unsigned char* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(bytes[i], 0) << i;
    GlobalUnlock(block);
    GlobalFree(block);
}

TEST_F(GlobalMemory, LocksNest) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    void* first = GlobalLock(block);
    void* second = GlobalLock(block);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(GlobalUnlock(block));  // one lock left
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    GlobalFree(block);
}

TEST_F(GlobalMemory, FreedAndMadeUpHandlesAreRefused) {
    HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_EQ(GlobalFree(freed), nullptr);
    int local = 0;
    for (HGLOBAL handle : {freed, static_cast<HGLOBAL>(&local)}) {
        EXPECT_EQ(GlobalLock(handle), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(GlobalUnlock(handle));
        EXPECT_EQ(GlobalSize(handle), 0u);
        EXPECT_EQ(GlobalFree(handle), handle);
    }
    // A new block never takes a freed block's handle.
    HGLOBAL next = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(next, freed);
    GlobalFree(next);
}

TEST_F(GlobalMemory, LockedBlockCanBeFreed) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
}

TEST_F(GlobalMemory, BlockOfNoBytesCannotBeLocked) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISCARDED));
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST_F(GlobalMemory, RefusedAllocations) {
    struct Case {
        UINT flags;
        SIZE_T bytes;
        DWORD error;
    };
    const Case cases[] = {
        {GMEM_FIXED, 16, ERROR_INVALID_PARAMETER},               // fixed blocks are not offered
        {GMEM_MOVEABLE | 0x0100u, 16, ERROR_INVALID_PARAMETER},  // unknown flag
        {GMEM_MOVEABLE, SIZE_T(-1), ERROR_NOT_ENOUGH_MEMORY},    // beyond any memory
        {GMEM_MOVEABLE, SIZE_T(-1) / 2 + 1, ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GlobalAlloc(c.flags, c.bytes), nullptr) << c.flags << " " << c.bytes;
        EXPECT_EQ(GetLastError(), c.error) << c.flags << " " << c.bytes;
    }
}

TEST_F(GlobalMemory, FailingSwitchRefusesAllocation) {
    SetPlatformCallFailing("GlobalAlloc", true);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    SetPlatformCallFailing("GlobalAlloc", false);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_NE(block, nullptr);
    GlobalFree(block);
}

}  // namespace
