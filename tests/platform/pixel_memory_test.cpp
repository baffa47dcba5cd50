// Large pixel blocks: the picture's block given back last serves the next request that fits it,
// whole; working copies do not displace it; memory that must start clear still does when it
// comes from a block used before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gdiplus_test_session.h"
#include "platform/gdiplus/pixel_bytes.h"

using namespace gdiplus_test;

namespace {

constexpr size_t kMiB = size_t{1} << 20;

TEST(PixelMemory, AReusedBlockServesASmallerRequestAndThenItsWholeSizeAgain) {
  void* first = AllocatePixelMemory(8 * kMiB);
  std::memset(first, 0x11, 8 * kMiB);
  FreePixelMemory(first, 8 * kMiB);

  void* smaller = AllocatePixelMemory(5 * kMiB);
  EXPECT_EQ(smaller, first) << "a block of at least half the size is reused";
  std::memset(smaller, 0x22, 5 * kMiB);
  FreePixelMemory(smaller, 5 * kMiB);

  // Given back under the smaller size, the block must still be known by its real one.
  void* whole = AllocatePixelMemory(8 * kMiB);
  EXPECT_EQ(whole, first);
  std::memset(whole, 0x33, 8 * kMiB);
  FreePixelMemory(whole, 8 * kMiB);

  // More than twice the request: the spare is released and a block of the request's own size made.
  void* tiny = AllocatePixelMemory(3 * kMiB);
  std::memset(tiny, 0x44, 3 * kMiB);
  FreePixelMemory(tiny, 3 * kMiB);
}

TEST(PixelMemory, AWorkingBufferGivesItsBlockBackWithoutDisplacingThePicturesOne) {
  void* picture = AllocatePixelMemory(8 * kMiB);
  {
    WorkingBuffer<uint8_t> working(8 * kMiB);
    working.back() = 1;
    FreePixelMemory(picture, 8 * kMiB);
  }
  void* next = AllocatePixelMemory(8 * kMiB);
  EXPECT_EQ(next, picture) << "the picture's block stays the spare";
  FreePixelMemory(next, 8 * kMiB);
}

TEST(PixelMemory, ClearedFramesAndPaddingStayClearOverAUsedBlock) {
  {
    PixelBytes dirty(8 * kMiB);
    std::fill(dirty.begin(), dirty.end(), uint8_t{0xAB});
  }
  Frame cleared;
  ASSERT_EQ(MakeFrame(1500, 1400, PixelFormat24bppRGB, cleared), Ok);
  const size_t bytes = static_cast<size_t>(cleared.stride) * cleared.height;
  EXPECT_TRUE(std::all_of(cleared.scan0, cleared.scan0 + bytes, [](uint8_t b) { return b == 0; }));

  {
    PixelBytes dirty(8 * kMiB);
    std::fill(dirty.begin(), dirty.end(), uint8_t{0xCD});
  }
  // 1501 pixels of 3 bytes leave 1 byte of padding per row, which files must always see as 0.
  PixelBytes rows;
  SizeForRows(rows, 1501 * 3, 4504, 1400);
  for (size_t y = 0; y < 1400; ++y) ASSERT_EQ(rows[y * 4504 + 4503], 0) << "row " << y;
}

}  // namespace
