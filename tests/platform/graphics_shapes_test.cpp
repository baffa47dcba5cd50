#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gdiplus_test_session.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/graphics_shapes.h"
#include "platform/gdiplus/path.h"

namespace {

using namespace gdiplus_test;

struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;
struct PenDeleter {
  void operator()(GpPen* p) const { GdipDeletePen(p); }
};
using PenPtr = std::unique_ptr<GpPen, PenDeleter>;
struct BrushDeleter {
  void operator()(GpBrush* b) const { GdipDeleteBrush(b); }
};
using BrushPtr = std::unique_ptr<GpBrush, BrushDeleter>;
struct PathDeleter {
  void operator()(GpPath* p) const { GdipDeletePath(p); }
};
using PathPtr = std::unique_ptr<GpPath, PathDeleter>;

constexpr ARGB kInk = 0xFFFF0000, kPaper = 0xFFFFFFFF;

class Shapes : public Session {
 protected:
  GraphicsPtr On(GpBitmap* bitmap) {
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
    return GraphicsPtr(g);
  }
  static PenPtr Pen(ARGB colour, REAL width) {
    GpPen* p = nullptr;
    EXPECT_EQ(GdipCreatePen1(colour, width, UnitPixel, &p), Ok);
    return PenPtr(p);
  }
  static BrushPtr Solid(ARGB colour) {
    GpBrush* b = nullptr;
    EXPECT_EQ(GdipCreateSolidFill(colour, &b), Ok);
    return BrushPtr(b);
  }
  // Every pixel: the ink where `inked` says so, the paper elsewhere.
  static void ExpectInk(GpBitmap* b, INT w, INT h, const std::function<bool(INT, INT)>& inked, const char* what) {
    int wrong = 0;
    for (INT y = 0; y < h; ++y)
      for (INT x = 0; x < w; ++x) {
        const ARGB want = inked(x, y) ? kInk : kPaper;
        if (Pixel(b, x, y) != want && ++wrong < 5) ADD_FAILURE() << what << " at " << x << "," << y;
      }
  }
  // Semi-transparent noise that a premultiplied round trip would not keep.
  static BitmapPtr Noise(INT w, INT h) {
    BitmapPtr b = Make(w, h, PixelFormat32bppARGB);
    uint32_t seed = 12345;
    for (INT y = 0; y < h; ++y)
      for (INT x = 0; x < w; ++x) {
        seed = seed * 1103515245u + 12345u;
        GdipBitmapSetPixel(b.get(), x, y, (seed >> 1) | 0x01000000u);
      }
    return b;
  }
  static std::vector<ARGB> Pixels(GpBitmap* b, INT w, INT h) {
    std::vector<ARGB> out;
    for (INT y = 0; y < h; ++y)
      for (INT x = 0; x < w; ++x) out.push_back(Pixel(b, x, y));
    return out;
  }
};

TEST_F(Shapes, AliasedRasterRules) {
  struct Case {
    const char* what;
    std::function<Status(GpGraphics*)> draw;
    std::function<bool(INT, INT)> inked;
  };
  const Case cases[] = {
      {"filled rectangle covers x .. x + w - 1",
       [](GpGraphics* g) { return GdipFillRectangle(g, Solid(kInk).get(), 3, 2, 5, 4); },
       [](INT x, INT y) { return x >= 3 && x <= 7 && y >= 2 && y <= 5; }},
      {"one-pixel outline covers x .. x + w",
       [](GpGraphics* g) { return GdipDrawRectangleI(g, Pen(kInk, 1).get(), 3, 2, 5, 4); },
       [](INT x, INT y) {
         return (x >= 3 && x <= 8 && (y == 2 || y == 6)) || (y >= 2 && y <= 6 && (x == 3 || x == 8));
       }},
      {"horizontal line on its row",
       [](GpGraphics* g) { return GdipDrawLineI(g, Pen(kInk, 1).get(), 2, 5, 10, 5); },
       [](INT x, INT y) { return y == 5 && x >= 2 && x < 10; }},
      {"vertical line on its column",
       [](GpGraphics* g) { return GdipDrawLineI(g, Pen(kInk, 1).get(), 4, 1, 4, 9); },
       [](INT x, INT y) { return x == 4 && y >= 1 && y < 9; }},
      {"pens below one pixel draw one pixel",
       [](GpGraphics* g) { return GdipDrawLineI(g, Pen(kInk, 0.2f).get(), 2, 7, 10, 7); },
       [](INT x, INT y) { return y == 7 && x >= 2 && x < 10; }},
      {"three-pixel line centred on its row",
       [](GpGraphics* g) { return GdipDrawLineI(g, Pen(kInk, 3).get(), 2, 5, 10, 5); },
       [](INT x, INT y) { return y >= 4 && y <= 6 && x >= 2 && x < 10; }},
  };
  for (const Case& c : cases) {
    BitmapPtr b = Make(14, 12, PixelFormat24bppRGB);
    GraphicsPtr g = On(b.get());
    GdipGraphicsClear(g.get(), kPaper);
    ASSERT_EQ(c.draw(g.get()), Ok) << c.what;
    ExpectInk(b.get(), 14, 12, c.inked, c.what);
  }
}

TEST_F(Shapes, EveryDrawableFormatTakesTheFillAndKeepsTheRest) {
  for (PixelFormat format : {PixelFormat16bppRGB555, PixelFormat16bppRGB565, PixelFormat24bppRGB, PixelFormat32bppRGB,
                             PixelFormat32bppARGB, PixelFormat32bppPARGB, PixelFormat48bppRGB, PixelFormat64bppARGB}) {
    BitmapPtr b = Make(8, 8, format);
    GraphicsPtr g = On(b.get());
    GdipGraphicsClear(g.get(), kPaper);
    ASSERT_EQ(GdipFillRectangle(g.get(), Solid(kInk).get(), 2, 2, 3, 3), Ok);
    ExpectInk(b.get(), 8, 8, [](INT x, INT y) { return x >= 2 && x <= 4 && y >= 2 && y <= 4; }, "format");
  }
}

TEST_F(Shapes, ShapesAcrossTilesOfWideBitmaps) {
  // 5000 pixels wide: the drawing runs in tiles of at most 2048 pixels, whose seams must not show.
  BitmapPtr b = Make(5000, 6, PixelFormat24bppRGB);
  GraphicsPtr g = On(b.get());
  GdipGraphicsClear(g.get(), kPaper);
  ASSERT_EQ(GdipFillRectangle(g.get(), Solid(kInk).get(), 1000, 1, 3500, 3), Ok);
  ASSERT_EQ(GdipDrawLineI(g.get(), Pen(kInk, 1).get(), 0, 5, 4999, 5), Ok);
  for (INT x : {999, 1000, 2047, 2048, 4095, 4096, 4499, 4500})
    for (INT y = 0; y < 6; ++y) {
      const bool inked = (x >= 1000 && x < 4500 && y >= 1 && y < 4) || y == 5;
      EXPECT_EQ(Pixel(b.get(), x, y), inked ? kInk : kPaper) << x << "," << y;
    }
}

TEST_F(Shapes, UntouchedPixelsComeBackBitIdentical) {
  // Antialiased ellipse and a triangle clip: outside the drawn pixels nothing changes, even for
  // semi-transparent pixels that a premultiplied round trip would alter.
  BitmapPtr b = Noise(40, 30);
  const std::vector<ARGB> before = Pixels(b.get(), 40, 30);
  GraphicsPtr g = On(b.get());
  GpPath* raw = nullptr;
  ASSERT_EQ(GdipCreatePath(FillModeAlternate, &raw), Ok);
  PathPtr triangle(raw);
  const GpPoint corners[3] = {{5, 5}, {35, 5}, {20, 25}};
  ASSERT_EQ(GdipAddPathPolygonI(triangle.get(), corners, 3), Ok);
  ASSERT_EQ(GdipSetClipPath(g.get(), triangle.get()), Ok);
  ASSERT_EQ(GdipSetSmoothingMode(g.get(), SmoothingModeAntiAlias), Ok);
  ASSERT_EQ(GdipFillRectangle(g.get(), Solid(0xFF00FF00).get(), 0, 0, 40, 30), Ok);
  const std::vector<ARGB> after = Pixels(b.get(), 40, 30);
  int inside = 0;
  for (INT y = 0; y < 30; ++y)
    for (INT x = 0; x < 40; ++x) {
      const size_t i = size_t(y) * 40 + x;
      // Clearly outside the triangle (beyond its edges by more than a pixel).
      const bool outside = y < 4 || y > 26 || (x - 5) * 20 < (y - 5) * 15 - 30 || (35 - x) * 20 < (y - 5) * 15 - 30;
      if (outside) {
        EXPECT_EQ(after[i], before[i]) << x << "," << y;
      }
      if (after[i] == 0xFF00FF00) ++inside;
    }
  EXPECT_GT(inside, 200);
  EXPECT_EQ(after[size_t(10) * 40 + 20], 0xFF00FF00u);
}

// Two overlapping squares combined every way: each pixel is inked exactly where the combined
// clip says, and its edges fall where a filled square's would (x .. x + w - 1).
TEST_F(Shapes, ClipRegionsCombineInEveryMode) {
  struct Square {
    INT x, y, side;
    bool Holds(INT px, INT py) const { return px >= x && px < x + side && py >= y && py < y + side; }
  };
  const Square a{2, 2, 10}, b{8, 6, 10};
  const auto regionOf = [](const Square& s) {
    GpPath* path = nullptr;
    EXPECT_EQ(GdipCreatePath(FillModeAlternate, &path), Ok);
    EXPECT_EQ(GdipAddPathRectangle(path, REAL(s.x), REAL(s.y), REAL(s.side), REAL(s.side)), Ok);
    GpRegion* region = nullptr;
    EXPECT_EQ(GdipCreateRegionPath(path, &region), Ok);
    GdipDeletePath(path);
    return std::unique_ptr<GpRegion, Status (*)(GpRegion*)>(region, GdipDeleteRegion);
  };
  auto regionA = regionOf(a), regionB = regionOf(b);
  GpRegion* rawInfinite = nullptr;
  ASSERT_EQ(GdipCreateRegion(&rawInfinite), Ok);
  std::unique_ptr<GpRegion, Status (*)(GpRegion*)> infinite(rawInfinite, GdipDeleteRegion);
  struct Case {
    const char* name;
    GpRegion* first;  // set with Replace; null: no clip before the second
    GpRegion* second;
    CombineMode mode;
    std::function<bool(bool, bool)> inked;  // by membership of a and b
  };
  const std::vector<Case> cases = {
      {"replace", regionA.get(), regionB.get(), CombineModeReplace, [](bool, bool inB) { return inB; }},
      {"intersect", regionA.get(), regionB.get(), CombineModeIntersect, [](bool inA, bool inB) { return inA && inB; }},
      {"union", regionA.get(), regionB.get(), CombineModeUnion, [](bool inA, bool inB) { return inA || inB; }},
      {"xor", regionA.get(), regionB.get(), CombineModeXor, [](bool inA, bool inB) { return inA != inB; }},
      {"exclude", regionA.get(), regionB.get(), CombineModeExclude, [](bool inA, bool inB) { return inA && !inB; }},
      {"complement", regionA.get(), regionB.get(), CombineModeComplement,
       [](bool inA, bool inB) { return inB && !inA; }},
      {"exclude from no clip", nullptr, regionA.get(), CombineModeExclude, [](bool inA, bool) { return !inA; }},
      {"intersect with the plane", regionA.get(), infinite.get(), CombineModeIntersect,
       [](bool inA, bool) { return inA; }},
      {"union with the plane", regionA.get(), infinite.get(), CombineModeUnion, [](bool, bool) { return true; }},
      {"complement of the plane", regionA.get(), infinite.get(), CombineModeComplement,
       [](bool inA, bool) { return !inA; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BitmapPtr bitmap = Make(20, 20, PixelFormat24bppRGB);
    GraphicsPtr g = On(bitmap.get());
    ASSERT_EQ(GdipGraphicsClear(g.get(), kPaper), Ok);
    if (c.first) ASSERT_EQ(GdipSetClipRegion(g.get(), c.first, CombineModeReplace), Ok);
    ASSERT_EQ(GdipSetClipRegion(g.get(), c.second, c.mode), Ok);
    ASSERT_EQ(GdipFillRectangle(g.get(), Solid(kInk).get(), 0, 0, 20, 20), Ok);
    ExpectInk(bitmap.get(), 20, 20, [&](INT x, INT y) { return c.inked(a.Holds(x, y), b.Holds(x, y)); }, c.name);
  }
  BitmapPtr bitmap = Make(4, 4, PixelFormat24bppRGB);
  GraphicsPtr g = On(bitmap.get());
  EXPECT_EQ(GdipSetClipRegion(g.get(), regionA.get(), 6), InvalidParameter);
  EXPECT_EQ(GdipSetClipRegion(g.get(), regionA.get(), -1), InvalidParameter);
}

TEST_F(Shapes, ArrowAnchorPutsItsTipOnTheEndPoint) {
  BitmapPtr b = Make(40, 20, PixelFormat24bppRGB);
  GraphicsPtr g = On(b.get());
  GdipGraphicsClear(g.get(), kPaper);
  PenPtr pen = Pen(kInk, 2);
  ASSERT_EQ(GdipSetPenEndCap(pen.get(), LineCapArrowAnchor), Ok);
  ASSERT_EQ(GdipDrawLineI(g.get(), pen.get(), 5, 10, 30, 10), Ok);
  EXPECT_EQ(Pixel(b.get(), 29, 10), kInk) << "tip reaches the end point";
  EXPECT_EQ(Pixel(b.get(), 32, 10), kPaper) << "nothing beyond the tip";
  EXPECT_EQ(Pixel(b.get(), 24, 8), kInk) << "the head is wider than the line";
  EXPECT_EQ(Pixel(b.get(), 8, 7), kPaper) << "no head at the start";
}

TEST_F(Shapes, BrushesColourByPosition) {
  BitmapPtr b = Make(40, 40, PixelFormat32bppARGB);
  GraphicsPtr g = On(b.get());
  GdipGraphicsClear(g.get(), kPaper);
  // Linear gradient from x = 0 (black) to x = 10 (blue), tiled: x = 10 starts over.
  GpBrush* raw = nullptr;
  const GpPoint from{0, 0}, to{10, 0};
  ASSERT_EQ(GdipCreateLineBrushI(&from, &to, 0xFF000000, 0xFF0000FF, WrapModeTile, &raw), Ok);
  BrushPtr linear(raw);
  ASSERT_EQ(GdipFillRectangle(g.get(), linear.get(), 0, 0, 40, 5), Ok);
  EXPECT_LT(Pixel(b.get(), 0, 2) & 0xFF, 0x20u);
  EXPECT_GT(Pixel(b.get(), 9, 2) & 0xFF, 0xC0u);
  EXPECT_LT(Pixel(b.get(), 10, 2) & 0xFF, 0x20u) << "tiled";

  // Texture of a 2 x 1 red-green image, tiled from the world origin.
  BitmapPtr tile = Make(2, 1, PixelFormat24bppRGB);
  GdipBitmapSetPixel(tile.get(), 0, 0, 0xFFFF0000);
  GdipBitmapSetPixel(tile.get(), 1, 0, 0xFF00FF00);
  ASSERT_EQ(GdipCreateTexture(tile.get(), WrapModeTile, &raw), Ok);
  BrushPtr texture(raw);
  ASSERT_EQ(GdipSetPixelOffsetMode(g.get(), PixelOffsetModeHalf), Ok);
  ASSERT_EQ(GdipFillRectangle(g.get(), texture.get(), 0, 6, 40, 2), Ok);
  EXPECT_EQ(Pixel(b.get(), 6, 6), 0xFFFF0000u);
  EXPECT_EQ(Pixel(b.get(), 7, 7), 0xFF00FF00u);
  ASSERT_EQ(GdipSetPixelOffsetMode(g.get(), PixelOffsetModeNone), Ok);

  // Path gradient: the centre colour at the centre point, the surround colour at the rim, the
  // centre colour held over the focus.
  GpPath* path = nullptr;
  ASSERT_EQ(GdipCreatePath(FillModeWinding, &path), Ok);
  PathPtr circle(path);
  ASSERT_EQ(GdipAddPathEllipseI(circle.get(), 10, 12, 24, 24), Ok);
  ASSERT_EQ(GdipCreatePathGradientFromPath(circle.get(), &raw), Ok);
  BrushPtr spot(raw);
  const GpPoint centre{22, 24};
  ASSERT_EQ(GdipSetPathGradientCenterPointI(spot.get(), &centre), Ok);
  ASSERT_EQ(GdipSetPathGradientCenterColor(spot.get(), 0xFFFFFF00), Ok);
  ARGB rim = 0xFF0000FF;
  INT count = 1;
  ASSERT_EQ(GdipSetPathGradientSurroundColorsWithCount(spot.get(), &rim, &count), Ok);
  ASSERT_EQ(GdipSetPathGradientFocusScales(spot.get(), 0.25f, 0.25f), Ok);
  ASSERT_EQ(GdipFillPath(g.get(), spot.get(), circle.get()), Ok);
  EXPECT_EQ(Pixel(b.get(), 22, 24), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(b.get(), 24, 24), 0xFFFFFF00u) << "inside the focus";
  const ARGB edge = Pixel(b.get(), 12, 24);
  EXPECT_GT(edge & 0xFF, 0xA0u) << std::hex << edge;
  EXPECT_EQ(Pixel(b.get(), 5, 24), kPaper) << "nothing outside the path";
}

TEST_F(Shapes, TransformsAndPointsAgree) {
  BitmapPtr b = Make(30, 30, PixelFormat24bppRGB);
  GraphicsPtr g = On(b.get());
  ASSERT_EQ(GdipTranslateWorldTransform(g.get(), 10, 0, MatrixOrderAppend), Ok);
  ASSERT_EQ(GdipRotateWorldTransform(g.get(), 90, MatrixOrderPrepend), Ok);
  GpPointF p[1] = {{5, 0}};
  ASSERT_EQ(GdipTransformPoints(g.get(), CoordinateSpaceDevice, CoordinateSpaceWorld, p, 1), Ok);
  EXPECT_NEAR(p[0].X, 10, 1e-4);
  EXPECT_NEAR(p[0].Y, 5, 1e-4);
  ASSERT_EQ(GdipTransformPoints(g.get(), CoordinateSpaceWorld, CoordinateSpaceDevice, p, 1), Ok);
  EXPECT_NEAR(p[0].X, 5, 1e-4);
  EXPECT_NEAR(p[0].Y, 0, 1e-4);
  EXPECT_EQ(GdipTransformPoints(g.get(), CoordinateSpaceWorld, CoordinateSpaceDevice, p, 0), InvalidParameter);
}

TEST_F(Shapes, ThreePointSkewMapsTheCorners) {
  BitmapPtr source = Make(4, 4, PixelFormat24bppRGB);
  GraphicsPtr sg = On(source.get());
  GdipGraphicsClear(sg.get(), 0xFF0000FF);
  GdipBitmapSetPixel(source.get(), 0, 0, 0xFFFF0000);
  GdipBitmapSetPixel(source.get(), 3, 0, 0xFF00FF00);
  GdipBitmapSetPixel(source.get(), 0, 3, 0xFF000000);
  BitmapPtr target = Make(40, 40, PixelFormat24bppRGB);
  GraphicsPtr g = On(target.get());
  GdipGraphicsClear(g.get(), kPaper);
  GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor);
  // Top-left to (10, 4), top-right to (30, 4), bottom-left to (2, 24): a sheared parallelogram.
  const GpPoint points[3] = {{10, 4}, {30, 4}, {2, 24}};
  ASSERT_EQ(GdipDrawImagePointsI(g.get(), source.get(), points, 3), Ok);
  EXPECT_EQ(Pixel(target.get(), 10, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(target.get(), 28, 5), 0xFF00FF00u);
  EXPECT_EQ(Pixel(target.get(), 3, 22), 0xFF000000u);
  EXPECT_EQ(Pixel(target.get(), 2, 5), kPaper);
  EXPECT_EQ(GdipDrawImagePointsI(g.get(), source.get(), points, 2), InvalidParameter);

  // The bottom-right corner given as well: the same parallelogram, pixel for pixel; a corner
  // off the parallelogram is refused and draws nothing.
  const std::vector<ARGB> threePoint = Pixels(target.get(), 40, 40);
  GdipGraphicsClear(g.get(), kPaper);
  const GpPoint four[4] = {{10, 4}, {30, 4}, {2, 24}, {22, 24}};
  ASSERT_EQ(GdipDrawImagePointsI(g.get(), source.get(), four, 4), Ok);
  EXPECT_EQ(Pixels(target.get(), 40, 40), threePoint);
  GdipGraphicsClear(g.get(), kPaper);
  const GpPoint perspective[4] = {{10, 4}, {30, 4}, {2, 24}, {26, 28}};
  EXPECT_EQ(GdipDrawImagePointsI(g.get(), source.get(), perspective, 4), NotImplemented);
  EXPECT_EQ(Pixel(target.get(), 10, 5), kPaper);
  const GpPoint five[5] = {{10, 4}, {30, 4}, {2, 24}, {22, 24}, {22, 24}};
  EXPECT_EQ(GdipDrawImagePointsI(g.get(), source.get(), five, 5), InvalidParameter);
}

TEST_F(Shapes, CurvesArcsAndRefusedArguments) {
  BitmapPtr b = Make(40, 40, PixelFormat24bppRGB);
  GraphicsPtr g = On(b.get());
  GdipGraphicsClear(g.get(), kPaper);
  PenPtr pen = Pen(kInk, 1);
  // The polar angle 0 is the right end of the ellipse, 90 the bottom.
  ASSERT_EQ(GdipDrawArcI(g.get(), pen.get(), 0, 10, 38, 20, 0, 90), Ok);
  EXPECT_EQ(Pixel(b.get(), 38, 20), kInk);
  EXPECT_EQ(Pixel(b.get(), 19, 30), kInk);
  EXPECT_EQ(Pixel(b.get(), 20, 10), kPaper) << "the top is not in the sweep";
  const GpPoint through[3] = {{2, 2}, {20, 2}, {38, 2}};
  ASSERT_EQ(GdipDrawCurveI(g.get(), pen.get(), through, 3), Ok);
  EXPECT_EQ(Pixel(b.get(), 20, 2), kInk) << "a curve passes through its points";
  const GpPoint one[1] = {{1, 1}};
  EXPECT_EQ(GdipDrawCurveI(g.get(), pen.get(), one, 1), InvalidParameter);
  EXPECT_EQ(GdipFillPolygonI(g.get(), Solid(kInk).get(), one, 0, FillModeAlternate), InvalidParameter);
  EXPECT_EQ(GdipDrawLineI(g.get(), nullptr, 0, 0, 1, 1), InvalidParameter);
  GpPen* bad = nullptr;
  EXPECT_EQ(GdipCreatePen1(kInk, -1, UnitPixel, &bad), InvalidParameter);
}

TEST_F(Shapes, AlternateAndWindingFills) {
  // A pentagram: its centre is inside by winding, outside by the alternate rule.
  const GpPoint star[5] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  for (FillMode mode : {FillModeAlternate, FillModeWinding}) {
    BitmapPtr b = Make(40, 40, PixelFormat24bppRGB);
    GraphicsPtr g = On(b.get());
    GdipGraphicsClear(g.get(), kPaper);
    ASSERT_EQ(GdipFillPolygonI(g.get(), Solid(kInk).get(), star, 5, mode), Ok);
    EXPECT_EQ(Pixel(b.get(), 20, 20), mode == FillModeWinding ? kInk : kPaper);
    EXPECT_EQ(Pixel(b.get(), 20, 6), kInk);
  }
}

}  // namespace
