// Start-up counting of the imaging platform and the refusal of image calls while it is down.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"

using namespace vx::gdiplus;

namespace {

uint32_t Start() {
  uint32_t token = 0;
  GdiplusStartupInput input;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
  EXPECT_NE(token, 0u);
  return token;
}

// The checks below need a stopped platform; another suite's session must not be running.
#define REQUIRE_STOPPED() \
  if (GdiplusIsRunning()) GTEST_SKIP() << "the platform is held running by another session"

Status Probe() {
  GpBitmap* bitmap = nullptr;
  const Status status = GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat24bppRGB, nullptr, &bitmap);
  if (bitmap) GdipDisposeImage(bitmap);
  return status;
}

}  // namespace

TEST(GdiplusStartup, ProbeFailsBeforeStartAndWorksAfter) {
  REQUIRE_STOPPED();
  EXPECT_EQ(Probe(), GdiplusNotInitialized);
  const uint32_t token = Start();
  EXPECT_TRUE(GdiplusIsRunning());
  EXPECT_EQ(Probe(), Ok);
  GdiplusShutdown(token);
  EXPECT_FALSE(GdiplusIsRunning());
  EXPECT_EQ(Probe(), GdiplusNotInitialized);
}

TEST(GdiplusStartup, RunsWhileAnyTokenIsLive) {
  REQUIRE_STOPPED();
  const uint32_t first = Start();
  const uint32_t second = Start();
  EXPECT_NE(first, second);
  GdiplusShutdown(first);
  EXPECT_TRUE(GdiplusIsRunning());
  GdiplusShutdown(first);  // a token counts once
  EXPECT_TRUE(GdiplusIsRunning());
  GdiplusShutdown(12345678);  // an unknown token changes nothing
  EXPECT_TRUE(GdiplusIsRunning());
  GdiplusShutdown(second);
  EXPECT_FALSE(GdiplusIsRunning());
}

TEST(GdiplusStartup, RejectsBadStartupRecords) {
  uint32_t token = 0;
  GdiplusStartupInput input;
  EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
  EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), InvalidParameter);
  input.GdiplusVersion = 0;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
  input.GdiplusVersion = 1;
  input.SuppressBackgroundThread = 1;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), InvalidParameter);
  GdiplusStartupOutput output;
  ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
  GdiplusShutdown(token);
}

TEST(GdiplusStartup, ImageCallsAnswerNotInitializedAfterLastShutdown) {
  REQUIRE_STOPPED();
  const uint32_t token = Start();
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat8bppIndexed, nullptr, &bitmap), Ok);
  GdiplusShutdown(token);

  UINT u = 0;
  INT i = 0;
  ARGB c = 0;
  PixelFormat f = 0;
  BitmapData data;
  GpImage* clone = nullptr;
  EXPECT_EQ(GdipGetImageWidth(bitmap, &u), GdiplusNotInitialized);
  EXPECT_EQ(GdipGetImagePixelFormat(bitmap, &f), GdiplusNotInitialized);
  EXPECT_EQ(GdipGetImagePaletteSize(bitmap, &i), GdiplusNotInitialized);
  EXPECT_EQ(GdipBitmapGetPixel(bitmap, 0, 0, &c), GdiplusNotInitialized);
  EXPECT_EQ(GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data),
            GdiplusNotInitialized);
  EXPECT_EQ(GdipCloneImage(bitmap, &clone), GdiplusNotInitialized);
  EXPECT_EQ(GdipImageRotateFlip(bitmap, Rotate90FlipNone), GdiplusNotInitialized);
  EXPECT_EQ(GdipGetPropertyCount(bitmap, &u), GdiplusNotInitialized);
  // Disposal still frees what was made while the platform ran.
  EXPECT_EQ(GdipDisposeImage(bitmap), Ok);
}

TEST(GdiplusStartup, CountsAcrossThreads) {
  REQUIRE_STOPPED();
  constexpr int kThreads = 8, kRounds = 200;
  std::vector<std::vector<uint32_t>> tokens(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&tokens, t] {
      GdiplusStartupInput input;
      for (int r = 0; r < kRounds; ++r) {
        uint32_t token = 0;
        if (GdiplusStartup(&token, &input, nullptr) == Ok) tokens[t].push_back(token);
        if (r % 2) GdiplusShutdown(token);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_TRUE(GdiplusIsRunning());
  // Tokens that are live at the same time are distinct.
  std::set<uint32_t> live;
  for (const auto& list : tokens) {
    ASSERT_EQ(list.size(), static_cast<size_t>(kRounds));
    for (size_t r = 0; r < list.size(); r += 2) live.insert(list[r]);
  }
  EXPECT_EQ(live.size(), static_cast<size_t>(kThreads * kRounds / 2));
  for (uint32_t token : live) GdiplusShutdown(token);
  EXPECT_FALSE(GdiplusIsRunning());
}

TEST(GdiplusStartup, AllocatorHandsOutUsableMemory) {
  void* p = GdipAlloc(64);
  ASSERT_NE(p, nullptr);
  std::fill_n(static_cast<char*>(p), 64, 'x');
  GdipFree(p);
  GdipFree(nullptr);
}
