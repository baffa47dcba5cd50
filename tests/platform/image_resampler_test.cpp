// The resampler against cairo itself: the same source, matrix and target drawn both ways must give
// the same bytes, or the resampler must decline.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/gdiplus/image_resampler.h"

namespace {

using vx::gdiplus::PaintBestScaled;
using vx::gdiplus::PaintBilinearScaled;
using vx::gdiplus::ResamplerInstructionSets;
using vx::gdiplus::UseResamplerInstructionSet;

// Runs `check` once with each instruction set this processor has, the best chosen again after.
template <class Check>
void WithEveryInstructionSet(Check check) {
  struct BestAgain {
    ~BestAgain() { UseResamplerInstructionSet(""); }
  } again;
  for (const std::string& set : ResamplerInstructionSets()) {
    SCOPED_TRACE(set);
    ASSERT_TRUE(UseResamplerInstructionSet(set));
    check();
  }
}
using vx::gdiplus::PixelBox;
using vx::gdiplus::PremultipliedRows;

using Surface = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;

// Random premultiplied pixels; opaque ones where `opaque`.
Surface RandomSurface(int width, int height, bool opaque, std::mt19937& random) {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
  cairo_surface_flush(s.get());
  uint8_t* data = cairo_image_surface_get_data(s.get());
  const int stride = cairo_image_surface_get_stride(s.get());
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t a = opaque ? 255 : random() % 256;
      uint32_t p = a << 24;
      for (int c = 0; c < 3; ++c) p |= (a ? random() % (a + 1) : 0) << (8 * c);
      row[x] = p;
    }
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

std::vector<uint8_t> Bytes(cairo_surface_t* s) {
  cairo_surface_flush(s);
  const uint8_t* data = cairo_image_surface_get_data(s);
  return {data, data + size_t(cairo_image_surface_get_stride(s)) * cairo_image_surface_get_height(s)};
}

struct Case {
  int sourceWidth, sourceHeight;
  double destX, destY, destWidth, destHeight;  // where the whole source lands, before the translation
  int targetWidth, targetHeight;
  int shiftX, shiftY;  // the target's origin in the drawing, as for the second tile of a wide target
  bool opaque;
};

// Draws case `c` through cairo (on `expected`) and through the resampler (on `actual`); false
// when the resampler declined.
bool DrawBothWays(const Case& c, std::mt19937& random, std::vector<uint8_t>& expected, std::vector<uint8_t>& actual,
                  cairo_filter_t filter = CAIRO_FILTER_BEST) {
  Surface source = RandomSurface(c.sourceWidth, c.sourceHeight, c.opaque, random);
  Surface viaCairo = RandomSurface(c.targetWidth, c.targetHeight, c.opaque, random);
  Surface viaResampler(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, c.targetWidth, c.targetHeight),
                       cairo_surface_destroy);
  cairo_surface_flush(viaResampler.get());
  std::memcpy(cairo_image_surface_get_data(viaResampler.get()), cairo_image_surface_get_data(viaCairo.get()),
              size_t(cairo_image_surface_get_stride(viaCairo.get())) * c.targetHeight);
  cairo_surface_mark_dirty(viaResampler.get());

  const double sx = c.destWidth / c.sourceWidth, sy = c.destHeight / c.sourceHeight;
  cairo_matrix_t pattern;
  cairo_matrix_init(&pattern, 1 / sx, 0, 0, 1 / sy, -c.destX / sx, -c.destY / sy);
  cairo_t* cr = cairo_create(viaCairo.get());
  cairo_translate(cr, -c.shiftX, -c.shiftY);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(source.get());
  cairo_pattern_set_matrix(p, &pattern);
  cairo_pattern_set_filter(p, filter);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_set_source(cr, p);
  cairo_rectangle(cr, c.destX, c.destY, c.destWidth, c.destHeight);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  cairo_destroy(cr);
  expected = Bytes(viaCairo.get());

  cairo_matrix_t toSource = pattern;
  cairo_matrix_t shift;
  cairo_matrix_init_translate(&shift, c.shiftX, c.shiftY);
  cairo_matrix_multiply(&toSource, &shift, &toSource);
  const int left = std::max(0, int(c.destX) - c.shiftX), top = std::max(0, int(c.destY) - c.shiftY);
  const int right = std::min(c.targetWidth, int(c.destX + c.destWidth) - c.shiftX);
  const int bottom = std::min(c.targetHeight, int(c.destY + c.destHeight) - c.shiftY);
  const uint8_t* pixels = cairo_image_surface_get_data(source.get());
  const int stride = cairo_image_surface_get_stride(source.get());
  int rowsLoaded = 0;
  const PremultipliedRows from{c.sourceWidth, c.sourceHeight, [&](int y, int x, int count, uint8_t* out) {
                                 ASSERT_TRUE(y >= 0 && y < c.sourceHeight);
                                 ASSERT_TRUE(x >= 0 && count >= 1 && x + count <= c.sourceWidth);
                                 std::memcpy(out, pixels + size_t(y) * stride + size_t(x) * 4, size_t(count) * 4);
                                 ++rowsLoaded;
                               }};
  const auto paint = filter == CAIRO_FILTER_BILINEAR ? PaintBilinearScaled : PaintBestScaled;
  const bool painted = paint(from, toSource, cairo_image_surface_get_data(viaResampler.get()),
                                       cairo_image_surface_get_stride(viaResampler.get()),
                                       PixelBox{left, top, right - left, bottom - top});
  cairo_surface_mark_dirty(viaResampler.get());
  actual = Bytes(viaResampler.get());
  // Each source row is premultiplied once, not once for every destination row that reads it.
  if (painted && c.destHeight <= c.sourceHeight) {
    EXPECT_LE(rowsLoaded, c.sourceHeight);
  }
  return painted;
}

// Every case gives cairo's bytes through `filter`.
template <size_t N>
void ExpectCairosBytes(const Case (&cases)[N], std::mt19937& random, cairo_filter_t filter) {
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sourceWidth << " x " << c.sourceHeight << " to " << c.destWidth << " x "
                                    << c.destHeight << " shifted " << c.shiftX << ", " << c.shiftY);
    std::vector<uint8_t> expected, actual;
    ASSERT_TRUE(DrawBothWays(c, random, expected, actual, filter));
    EXPECT_TRUE(expected == actual);
  }
}

// Sixty random sizes give cairo's bytes through `filter` or are declined, most taken.
void ExpectRandomSizesMatchOrDeclined(std::mt19937& random, cairo_filter_t filter) {
  int taken = 0;
  for (int i = 0; i < 60; ++i) {
    const int sw = 1 + random() % 120, sh = 1 + random() % 60, dw = 1 + random() % 150, dh = 1 + random() % 70;
    const Case c{sw, sh, 0, 0, double(dw), double(dh), dw, dh, 0, 0, i % 3 != 0};
    SCOPED_TRACE(testing::Message() << sw << " x " << sh << " to " << dw << " x " << dh);
    std::vector<uint8_t> expected, actual;
    if (!DrawBothWays(c, random, expected, actual, filter)) continue;
    ++taken;
    EXPECT_TRUE(expected == actual);
  }
  EXPECT_GT(taken, 50);
}

TEST(ImageResampler, GivesCairosBytesForEveryScaleItTakes) {
  const Case cases[] = {
      {40, 30, 0, 0, 20, 15, 20, 15, 0, 0, true},            // half size: one phase, 8 x 8 taps
      {72, 30, 0, 0, 36, 15, 36, 15, 0, 0, false},           // the same, translucent, four pixels at a time
      {160, 60, 0, 0, 40, 15, 40, 15, 0, 0, true},           // a quarter: 16 x 16 taps
      {100, 10, 0, 0, 90, 9, 90, 9, 0, 0, true},             // 90 %: every phase, 5 taps
      {100, 10, 0, 0, 37, 9, 37, 9, 0, 0, true},             // odd tap counts need padding
      {30, 10, 0, 0, 90, 30, 90, 30, 0, 0, true},            // three times larger: two taps
      {3, 5, 0, 0, 200, 150, 200, 150, 0, 0, true},          // far larger: weights beyond 16 bits
      {27, 16, 0, 0, 24, 72, 24, 72, 0, 0, true},            // smaller one way, larger the other
      {113, 51, 0, 0, 148, 17, 148, 17, 0, 0, false},        // translucent over translucent
      {4200, 6, 0, 0, 2300, 4, 252, 4, 2048, 0, true},       // the second tile of a wide target
      {6, 4200, 0, 0, 4, 2300, 4, 252, 0, 2048, false},      // the second tile of a tall one
      {64, 64, -10, 5, 48, 40, 40, 50, 0, 0, true},          // partly outside the target
      {64, 64, 7, 3, 20, 21, 40, 30, 0, 0, false},           // inside, with margins left alone
      {320, 240, 0, 0, 20, 15, 20, 15, 0, 0, true},          // a sixteenth: 64 x 64 taps
  };
  WithEveryInstructionSet([&] {
    std::mt19937 random(11);
    ExpectCairosBytes(cases, random, CAIRO_FILTER_BEST);
  });
}

TEST(ImageResampler, RandomSizesMatchOrAreDeclined) {
  WithEveryInstructionSet([] {
    std::mt19937 random(5);
    ExpectRandomSizesMatchOrDeclined(random, CAIRO_FILTER_BEST);
  });
}

TEST(ImageResampler, NamesOnlyInstructionSetsItHas) {
  const std::vector<std::string> sets = ResamplerInstructionSets();
  ASSERT_FALSE(sets.empty());
  EXPECT_EQ(sets.back(), "sse2");
  EXPECT_FALSE(UseResamplerInstructionSet("mmx"));
  EXPECT_TRUE(UseResamplerInstructionSet(""));
}

// Bilinear: the same cases and random sizes give cairo's bytes, or are declined.
TEST(ImageResampler, BilinearGivesCairosBytes) {
  const Case cases[] = {
      {40, 30, 0, 0, 20, 15, 20, 15, 0, 0, true},        {100, 10, 0, 0, 90, 9, 90, 9, 0, 0, true},
      {30, 10, 0, 0, 90, 30, 90, 30, 0, 0, true},        {3, 5, 0, 0, 200, 150, 200, 150, 0, 0, true},
      {113, 51, 0, 0, 148, 17, 148, 17, 0, 0, false},    {4200, 6, 0, 0, 2300, 4, 252, 4, 2048, 0, true},
      {6, 4200, 0, 0, 4, 2300, 4, 252, 0, 2048, false},  {64, 64, -10, 5, 48, 40, 40, 50, 0, 0, true},
      {64, 64, 7, 3, 20, 21, 40, 30, 0, 0, false},       {320, 240, 0, 0, 20, 15, 20, 15, 0, 0, true},
      {400, 10, 0, 0, 399, 10, 399, 10, 0, 0, true},
  };
  std::mt19937 random(17);
  ExpectCairosBytes(cases, random, CAIRO_FILTER_BILINEAR);
  ExpectRandomSizesMatchOrDeclined(random, CAIRO_FILTER_BILINEAR);
}

TEST(ImageResampler, DeclinesWhatCairoFiltersOtherwise) {
  const Case declined[] = {
      {300, 10, 0, 0, 17, 3, 17, 3, 0, 0, true},    // beyond 16 source pixels a pixel: another kernel
      {400, 10, 0, 0, 399, 10, 399, 10, 0, 0, true},  // near unit scale: sampled without a filter
  };
  std::mt19937 random(3);
  for (const Case& c : declined) {
    std::vector<uint8_t> expected, actual;
    EXPECT_FALSE(DrawBothWays(c, random, expected, actual)) << c.sourceWidth << " to " << c.destWidth;
  }
}

}  // namespace
