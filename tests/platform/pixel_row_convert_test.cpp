// Row conversion between 24 and 32-bit pixels: a whole row, converted in one call, gives the bytes
// of its pixels converted one by one, at every length and start around the sixteen pixels the
// vector paths take at once, and writes nothing past the run.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/gdiplus/image_object.h"

namespace {

using namespace vx::gdiplus;

constexpr uint8_t kGuard = 0xA5;

int BytesPerPixel(PixelFormat f) { return f == PixelFormat24bppRGB ? 3 : 4; }

// Random pixels; premultiplied ones valid (no channel above alpha), opaque where `opaqueShare`
// of them, or all of them when it is 1.
std::vector<uint8_t> RandomRow(PixelFormat format, int pixels, double opaqueShare, std::mt19937& random) {
  const int bytes = BytesPerPixel(format);
  std::vector<uint8_t> row(size_t(pixels) * bytes);
  std::bernoulli_distribution opaque(opaqueShare);
  for (int p = 0; p < pixels; ++p) {
    uint8_t* px = row.data() + size_t(p) * bytes;
    const uint8_t a = bytes == 4 && !opaque(random) ? uint8_t(random() % 255) : 0xFF;
    for (int c = 0; c < 3; ++c)
      px[c] = format == PixelFormat32bppPARGB ? uint8_t(random() % (a + 1)) : uint8_t(random());
    if (bytes == 4) px[3] = a;
  }
  return row;
}

struct Pair {
  PixelFormat from, to;
  double opaqueShare;
};

TEST(ConvertRow, WholeRowsGiveTheBytesOfSinglePixels) {
  const Pair pairs[] = {
      {PixelFormat24bppRGB, PixelFormat32bppARGB, 1},   {PixelFormat24bppRGB, PixelFormat32bppPARGB, 1},
      {PixelFormat24bppRGB, PixelFormat32bppRGB, 1},    {PixelFormat32bppARGB, PixelFormat24bppRGB, 0.5},
      {PixelFormat32bppRGB, PixelFormat24bppRGB, 0.5},  {PixelFormat32bppPARGB, PixelFormat24bppRGB, 1},
      {PixelFormat32bppPARGB, PixelFormat24bppRGB, 0.97},  // a translucent pixel now and then
      {PixelFormat32bppPARGB, PixelFormat24bppRGB, 0},
  };
  std::mt19937 random(3);
  for (const Pair& pair : pairs) {
    const int out = BytesPerPixel(pair.to);
    for (int count : {0, 1, 5, 15, 16, 17, 31, 32, 33, 47, 64, 100}) {
      for (int start : {0, 1, 7}) {
        SCOPED_TRACE(testing::Message() << pair.from << " to " << pair.to << ", " << count << " from " << start);
        const std::vector<uint8_t> source = RandomRow(pair.from, start + count, pair.opaqueShare, random);
        std::vector<uint8_t> whole(size_t(start + count + 1) * out, kGuard), single = whole;
        ConvertRow({source.data(), pair.from, {}, start}, {whole.data(), pair.to, {}, start}, count);
        for (int p = start; p < start + count; ++p)
          ConvertRow({source.data(), pair.from, {}, p}, {single.data(), pair.to, {}, p}, 1);
        ASSERT_EQ(whole, single);
        for (size_t b = size_t(start + count) * out; b < whole.size(); ++b) ASSERT_EQ(whole[b], kGuard);
        for (size_t b = 0; b < size_t(start) * out; ++b) ASSERT_EQ(whole[b], kGuard);
      }
    }
  }
}

}  // namespace
