#include "memory_peer.h"

#include "platform/memory_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace platform;

TEST(MemoryBlock, ZeroFilledBlockHasItsSizeAndAlignedData) {
    MemHandle handle = memAlloc(1000, MemZeroInit);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(memSize(handle), 1000u);
    auto* data = static_cast<unsigned char*>(memLock(handle));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % alignof(std::max_align_t), 0u);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(data[i], 0) << i;
    }
    EXPECT_EQ(memFree(handle), nullptr);
}

TEST(MemoryBlock, LocksNestAndUnlockReportsWhetherStillLocked) {
    MemHandle handle = memAlloc(16);
    void* first = memLock(handle);
    void* second = memLock(handle);
    EXPECT_EQ(first, second);
    EXPECT_EQ(memLockCount(handle), 2u);
    EXPECT_TRUE(memUnlock(handle));
    EXPECT_FALSE(memUnlock(handle));
    EXPECT_FALSE(memUnlock(handle)) << "unlocking an unlocked block changes nothing";
    EXPECT_EQ(memLockCount(handle), 0u);
    memFree(handle);
}

TEST(MemoryBlock, HandleIsFoundFromLockedAddress) {
    MemHandle handle = memAlloc(64);
    void* data = memLock(handle);
    EXPECT_EQ(memHandle(data), handle);
    memUnlock(handle);
    EXPECT_EQ(memHandle(data), handle) << "still the block's address after unlocking";
    EXPECT_EQ(memHandle(nullptr), nullptr);
    memFree(handle);
}

TEST(MemoryBlock, ReAllocKeepsContentAndZeroFillsGrowth) {
    MemHandle handle = memAlloc(4);
    std::memcpy(memLock(handle), "abcd", 4);
    EXPECT_EQ(memReAlloc(handle, 8), nullptr) << "a locked block cannot move";
    memUnlock(handle);
    ASSERT_EQ(memReAlloc(handle, 1 << 20, MemZeroInit), handle);
    const auto* data = static_cast<const char*>(memLock(handle));
    EXPECT_EQ(std::memcmp(data, "abcd", 4), 0);
    EXPECT_EQ(data[4], 0);
    EXPECT_EQ(data[(1 << 20) - 1], 0);
    EXPECT_EQ(memHandle(data), handle);
    EXPECT_EQ(memSize(handle), std::size_t{1} << 20);
    memFree(handle);
}

TEST(MemoryBlock, NullHandlesAndImpossibleSizesFailQuietly) {
    EXPECT_EQ(memAlloc(SIZE_MAX), nullptr);
    EXPECT_EQ(memAlloc(SIZE_MAX - 8), nullptr);
    EXPECT_EQ(memLock(nullptr), nullptr);
    EXPECT_FALSE(memUnlock(nullptr));
    EXPECT_EQ(memSize(nullptr), 0u);
    EXPECT_EQ(memFree(nullptr), nullptr);
    EXPECT_EQ(memReAlloc(nullptr, 10), nullptr);
    MemHandle handle = memAlloc(10);
    EXPECT_EQ(memReAlloc(handle, SIZE_MAX), nullptr);
    EXPECT_EQ(memSize(handle), 10u) << "a failed resize leaves the block as it was";
    memFree(handle);
}

TEST(MemoryBlock, EmptyBlockIsValid) {
    MemHandle handle = memAlloc(0);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(memLock(handle), nullptr);
    EXPECT_EQ(memSize(handle), 0u);
    memFree(handle);
}

TEST(MemoryBlock, BlocksCrossModuleBoundariesBothWays) {
    // Made by another shared library, used and freed here.
    MemHandle fromPeer = peerAllocFilled(32, 0xAB);
    auto* bytes = static_cast<unsigned char*>(memLock(fromPeer));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[31], 0xAB);
    EXPECT_EQ(memHandle(bytes), fromPeer);
    memUnlock(fromPeer);
    EXPECT_EQ(memFree(fromPeer), nullptr);

    // Made here, used and freed by the other library.
    MemHandle ours = memAlloc(48, MemZeroInit);
    EXPECT_EQ(peerSize(ours), 48u);
    auto* seen = static_cast<unsigned char*>(peerLock(ours));
    ASSERT_NE(seen, nullptr);
    seen[5] = 7;
    EXPECT_FALSE(peerUnlock(ours));
    EXPECT_EQ(static_cast<unsigned char*>(memLock(ours))[5], 7);
    memUnlock(ours);
    EXPECT_EQ(peerFree(ours), nullptr);
}
