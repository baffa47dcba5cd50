#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"

namespace {

using namespace vx;

struct BlockGuard {
  HGLOBAL h;
  ~BlockGuard() {
    if (h) GlobalFree(h);
  }
};

bool AllZero(const void* p, size_t n) {
  auto* bytes = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(KernelGlobalMemory, MoveableBlockCountsLocks) {
  BlockGuard block{GlobalAlloc(GHND, 100)};
  ASSERT_NE(block.h, 0u);
  EXPECT_EQ(GlobalSize(block.h), 100u);
  void* p1 = GlobalLock(block.h);
  void* p2 = GlobalLock(block.h);
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1, p2);
  EXPECT_TRUE(AllZero(p1, 100));
  EXPECT_EQ(GlobalFlags(block.h), GMEM_MOVEABLE | 2u);
  EXPECT_EQ(GlobalUnlock(block.h), TRUE_) << "one lock is still held";
  EXPECT_EQ(GlobalUnlock(block.h), FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << "the last unlock is not an error";
  EXPECT_EQ(GlobalUnlock(block.h), FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
}

TEST(KernelGlobalMemory, FixedBlockHasNoLockCount) {
  BlockGuard block{GlobalAlloc(GMEM_FIXED, 16)};
  ASSERT_NE(block.h, 0u);
  EXPECT_NE(GlobalLock(block.h), nullptr);
  EXPECT_EQ(GlobalFlags(block.h), 0u);
  EXPECT_EQ(GlobalUnlock(block.h), FALSE_);
}

TEST(KernelGlobalMemory, ReAllocKeepsContentAndZeroFillsGrowth) {
  BlockGuard block{GlobalAlloc(GMEM_MOVEABLE, 4)};
  std::memcpy(GlobalLock(block.h), "abcd", 4);
  GlobalUnlock(block.h);
  ASSERT_EQ(GlobalReAlloc(block.h, 2, GMEM_MOVEABLE), block.h);
  ASSERT_EQ(GlobalReAlloc(block.h, 100000, GMEM_MOVEABLE), block.h);
  EXPECT_EQ(GlobalSize(block.h), 100000u);
  auto* p = static_cast<uint8_t*>(GlobalLock(block.h));
  EXPECT_EQ(std::memcmp(p, "ab", 2), 0);
  EXPECT_TRUE(AllZero(p + 2, 100000 - 2)) << "bytes cut off by the shrink must not come back";
  GlobalUnlock(block.h);
}

TEST(KernelGlobalMemory, LockedOrFixedBlockDoesNotMove) {
  BlockGuard moveable{GlobalAlloc(GMEM_MOVEABLE, 64)};
  void* p = GlobalLock(moveable.h);
  EXPECT_EQ(GlobalReAlloc(moveable.h, 1 << 20, GMEM_MOVEABLE), 0u) << "a locked block cannot move";
  EXPECT_EQ(GlobalReAlloc(moveable.h, 32, GMEM_MOVEABLE), moveable.h) << "but can shrink where it lies";
  EXPECT_EQ(GlobalLock(moveable.h), p);
  GlobalUnlock(moveable.h);
  GlobalUnlock(moveable.h);

  BlockGuard fixed{GlobalAlloc(GMEM_FIXED, 64)};
  EXPECT_EQ(GlobalReAlloc(fixed.h, 1 << 20, 0), 0u);
  EXPECT_EQ(GlobalSize(fixed.h), 64u);
  EXPECT_EQ(GlobalReAlloc(fixed.h, 1 << 20, GMEM_MOVEABLE), fixed.h);
  EXPECT_EQ(GlobalSize(fixed.h), size_t{1} << 20);
}

TEST(KernelGlobalMemory, BadHandlesAndSizesFail) {
  const HGLOBAL bogus = 0x01ABCDEF;
  EXPECT_EQ(GlobalLock(0), nullptr);
  EXPECT_EQ(GlobalLock(bogus), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalSize(bogus), 0u);
  EXPECT_EQ(GlobalUnlock(bogus), FALSE_);
  EXPECT_EQ(GlobalReAlloc(bogus, 10, GMEM_MOVEABLE), 0u);
  EXPECT_EQ(GlobalFree(bogus), bogus);
  EXPECT_EQ(GlobalFlags(bogus), GMEM_INVALID_HANDLE);

  EXPECT_EQ(GlobalAlloc(GHND, kMaxGlobalBlockBytes + 1), 0u);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  BlockGuard block{GlobalAlloc(GHND, 8)};
  EXPECT_EQ(GlobalReAlloc(block.h, kMaxGlobalBlockBytes + 1, GMEM_MOVEABLE), 0u);
  EXPECT_EQ(GlobalSize(block.h), 8u);
}

TEST(KernelGlobalMemory, FreedHandleIsDead) {
  HGLOBAL h = GlobalAlloc(GHND, 10);
  ASSERT_EQ(GlobalFree(h), 0u);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalFree(h), h) << "double free is reported, not performed";
  HGLOBAL next = GlobalAlloc(GHND, 10);
  EXPECT_NE(next, h);
  GlobalFree(next);
}

TEST(KernelGlobalMemory, EmptyBlockStillLocks) {
  BlockGuard block{GlobalAlloc(GMEM_MOVEABLE, 0)};
  ASSERT_NE(block.h, 0u);
  EXPECT_EQ(GlobalSize(block.h), 0u);
  EXPECT_NE(GlobalLock(block.h), nullptr);
  GlobalUnlock(block.h);
}

}  // namespace
