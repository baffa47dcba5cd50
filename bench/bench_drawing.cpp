// Drawing on a 4000 x 3000 24-bit bitmap: each shape and string converts only the pixels it can
// touch, so the cost follows the shapes, not the bitmap.
#include <benchmark/benchmark.h>

#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/graphics_shapes.h"

namespace {

using namespace vx::gdiplus;

constexpr INT kWidth = 4000, kHeight = 3000;

struct Canvas {
  Canvas() {
    GdiplusStartupInput input;
    GdiplusStartup(&token, &input, nullptr);
    GdipCreateBitmapFromScan0(kWidth, kHeight, 0, PixelFormat24bppRGB, nullptr, &bitmap);
    GdipGetImageGraphicsContext(bitmap, &graphics);
  }
  ~Canvas() {
    GdipDeleteGraphics(graphics);
    GdipDisposeImage(bitmap);
    GdiplusShutdown(token);
  }
  uint32_t token = 0;
  GpBitmap* bitmap = nullptr;
  GpGraphics* graphics = nullptr;
};

// Shape i of 10,000, spread over the whole bitmap.
GpRectF ShapeAt(int i) { return {REAL((i * 397) % (kWidth - 60)), REAL((i * 211) % (kHeight - 60)), 50, 40}; }

void FillAndStrokeShapes(benchmark::State& state) {
  Canvas c;
  GpBrush* brush = nullptr;
  GpPen* pen = nullptr;
  GdipCreateSolidFill(0xFF3060C0, &brush);
  GdipCreatePen1(0xFF000000, 2, UnitPixel, &pen);
  GdipSetSmoothingMode(c.graphics, static_cast<SmoothingMode>(state.range(0)));
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      const GpRectF r = ShapeAt(i);
      if (i % 2) {
        GdipFillEllipse(c.graphics, brush, r.X, r.Y, r.Width, r.Height);
      } else {
        GdipDrawRectangle(c.graphics, pen, r.X, r.Y, r.Width, r.Height);
      }
    }
  }
  GdipDeletePen(pen);
  GdipDeleteBrush(brush);
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(FillAndStrokeShapes)->Arg(SmoothingModeNone)->Arg(SmoothingModeAntiAlias)->Unit(benchmark::kMillisecond);

void DrawStrings(benchmark::State& state) {
  Canvas c;
  GpFontFamily* family = nullptr;
  GpFont* font = nullptr;
  GpBrush* brush = nullptr;
  GdipCreateFontFamilyFromName("Arial", nullptr, &family);
  GdipCreateFont(family, 12, FontStyleRegular, UnitPoint, &font);
  GdipCreateSolidFill(0xFF000000, &brush);
  GdipSetTextRenderingHint(c.graphics, TextRenderingHintAntiAlias);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      const GpRectF at = ShapeAt(i * 7), r{at.X, at.Y, 0, 0};
      GdipDrawString(c.graphics, "The quick brown fox", -1, font, &r, nullptr, brush);
    }
  }
  GdipDeleteBrush(brush);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(DrawStrings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
