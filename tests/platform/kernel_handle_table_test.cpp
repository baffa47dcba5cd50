#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/handle_table.h"

namespace {

using vx::HANDLE32;
using vx::HandleKind;
using vx::HandleTable;

TEST(KernelHandleTable, HandlesAreNonZeroTaggedAndNotReusedAtOnce) {
  HandleTable<std::string> table(HandleKind::Other);
  HANDLE32 first = table.Insert(std::string("a"));
  ASSERT_NE(first, 0u);
  EXPECT_EQ(vx::KindOfHandle(first), HandleKind::Other);
  EXPECT_GT(static_cast<int32_t>(first), 0) << "handles must stay positive as 32-bit signed values";
  ASSERT_TRUE(table.Remove(first));
  HANDLE32 second = table.Insert(std::string("b"));
  EXPECT_NE(second, first);
  EXPECT_EQ(table.Find(first), nullptr);
  EXPECT_EQ(*table.Find(second), "b");
  EXPECT_EQ(table.Remove(first), nullptr) << "a handle is removed once";
}

TEST(KernelHandleTable, HandlesOfAnotherKindAreNotFound) {
  HandleTable<int> streams(HandleKind::Stream);
  HandleTable<int> pictures(HandleKind::Picture);
  HANDLE32 s = streams.Insert(1);
  HANDLE32 p = pictures.Insert(2);
  EXPECT_EQ(pictures.Find(s), nullptr);
  EXPECT_EQ(streams.Find(p), nullptr);
  EXPECT_EQ(streams.Find(0), nullptr);
  EXPECT_EQ(streams.Remove(p), nullptr);
  EXPECT_EQ(pictures.Size(), 1u);
}

TEST(KernelHandleTable, NullObjectsAreRefused) {
  HandleTable<int> table(HandleKind::Other);
  EXPECT_EQ(table.Insert(std::shared_ptr<int>()), 0u);
  EXPECT_EQ(table.Size(), 0u);
}

TEST(KernelHandleTable, AnObjectOutlivesItsRemovalWhileHeld) {
  HandleTable<std::string> table(HandleKind::Other);
  HANDLE32 h = table.Insert(std::string("kept"));
  auto held = table.Find(h);
  table.Remove(h);
  EXPECT_EQ(*held, "kept");
}

TEST(KernelHandleTable, ConcurrentInsertsGiveDistinctHandles) {
  HandleTable<int> table(HandleKind::Other);
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::vector<HANDLE32>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        HANDLE32 h = table.Insert(i);
        got[t].push_back(h);
        if (i % 2) table.Remove(h);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::set<HANDLE32> all;
  for (const auto& list : got) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), size_t{kThreads * kEach});
  EXPECT_EQ(all.count(0), 0u);
  EXPECT_EQ(table.Size(), size_t{kThreads * kEach / 2});
}

}  // namespace
