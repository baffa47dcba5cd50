#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include <string>

#include "gdiplus_test_session.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/graphics.h"

namespace {

using namespace gdiplus_test;

struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;

// The file fontconfig holds for a family's regular face.
std::string FaceFile(const char* family) {
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, p, &r);
  FcChar8* file = nullptr;
  std::string out;
  if (m && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) out = reinterpret_cast<const char*>(file);
  if (m) FcPatternDestroy(m);
  FcPatternDestroy(p);
  return out;
}

// Unhinted advance widths summed by FreeType itself, in pixels at `em` pixels per em.
double FreeTypeWidth(const std::string& file, const std::string& text, double em) {
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face face;
  double width = -1;
  if (FT_New_Face(lib, file.c_str(), 0, &face) == 0) {
    width = 0;
    for (unsigned char c : text) {
      FT_Load_Char(face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_SCALE);
      width += face->glyph->advance.x * em / face->units_per_EM;
    }
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return width;
}

class Text : public Session {
 protected:
  struct Owned {
    GpFontFamily* family = nullptr;
    GpFont* font = nullptr;
    GpStringFormat* format = nullptr;
    ~Owned() {
      if (format) GdipDeleteStringFormat(format);
      if (font) GdipDeleteFont(font);
      if (family) GdipDeleteFontFamily(family);
    }
  };
  void MakeFont(Owned& o, const char* name, REAL size, Unit unit, INT style = 0) {
    ASSERT_EQ(GdipCreateFontFamilyFromName(name, nullptr, &o.family), Ok);
    ASSERT_EQ(GdipCreateFont(o.family, size, style, unit, &o.font), Ok);
    ASSERT_EQ(GdipCreateStringFormat(0, 0, &o.format), Ok);
  }
  GpRectF Measure(GpBitmap* b, const Owned& o, const std::string& text, GpRectF layout = {}) {
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(b, &g), Ok);
    GraphicsPtr owned(g);
    GpRectF box;
    EXPECT_EQ(GdipMeasureString(g, text, -1, o.font, &layout, o.format, &box, nullptr, nullptr), Ok);
    return box;
  }
};

TEST_F(Text, FamiliesResolveByNameOrMetricAlias) {
  const struct {
    const char* name;
    Status status;
  } cases[] = {
      {"Liberation Sans", Ok}, {"liberation serif", Ok}, {"Arial", Ok}, {"Times New Roman", Ok},
      {"Courier New", Ok},     {"No Such Family 42", FontFamilyNotFound}, {"", FontFamilyNotFound},
  };
  for (const auto& c : cases) {
    GpFontFamily* f = nullptr;
    EXPECT_EQ(GdipCreateFontFamilyFromName(c.name, nullptr, &f), c.status) << c.name;
    if (f) GdipDeleteFontFamily(f);
  }
  INT count = 0;
  ASSERT_EQ(GdipGetFontCollectionFamilyCount(nullptr, &count), Ok);
  EXPECT_GT(count, 2);
  GpFontFamily* arial = nullptr;
  ASSERT_EQ(GdipCreateFontFamilyFromName("Arial", nullptr, &arial), Ok);
  BOOL available = 0;
  EXPECT_EQ(GdipIsStyleAvailable(arial, FontStyleBoldItalic | FontStyleUnderline, &available), Ok);
  EXPECT_TRUE(available);
  GdipDeleteFontFamily(arial);
}

TEST_F(Text, MeasuredSizesFollowUnitsResolutionAndTheFace) {
  BitmapPtr screen = Make(10, 10, PixelFormat24bppRGB);
  BitmapPtr print = Make(10, 10, PixelFormat24bppRGB);
  ASSERT_EQ(GdipBitmapSetResolution(print.get(), 300, 300), Ok);
  Text::Owned points;
  MakeFont(points, "Arial", 12, UnitPoint);
  const GpRectF small = Measure(screen.get(), points, "Hello"), large = Measure(print.get(), points, "Hello");
  EXPECT_NEAR(large.Height / small.Height, 300.0 / 96.0, 1e-3);
  EXPECT_NEAR(large.Width / small.Width, 300.0 / 96.0, 1e-3);
  // 12 points at 96 dpi are 16 pixels per em; one line is the face's line spacing.
  EXPECT_NEAR(small.Height, 16 * 2355.0 / 2048.0, 0.05);

  Text::Owned pixels;
  MakeFont(pixels, "Arial", 40, UnitPixel);
  const std::string file = FaceFile("Liberation Sans");
  ASSERT_FALSE(file.empty());
  for (const char* s : {"Hello, World", "iiii", "WWWW", "The quick brown fox"}) {
    const GpRectF box = Measure(print.get(), pixels, s);
    EXPECT_NEAR(box.Width - 40.0 / 3, FreeTypeWidth(file, s, 40), 0.05) << s;
  }
  // Trailing blanks count only when asked for.
  const REAL bare = Measure(screen.get(), pixels, "ab").Width;
  EXPECT_FLOAT_EQ(Measure(screen.get(), pixels, "ab  ").Width, bare);
  ASSERT_EQ(GdipSetStringFormatFlags(pixels.format, StringFormatFlagsMeasureTrailingSpaces), Ok);
  EXPECT_GT(Measure(screen.get(), pixels, "ab  ").Width, bare);
}

TEST_F(Text, LayoutRectanglesWrapAndAlign) {
  BitmapPtr b = Make(10, 10, PixelFormat24bppRGB);
  Text::Owned o;
  MakeFont(o, "Arial", 20, UnitPixel);
  const GpRectF one = Measure(b.get(), o, "word");
  const GpRectF wrapped = Measure(b.get(), o, "word word word", GpRectF{0, 0, one.Width + 2, 400});
  EXPECT_NEAR(wrapped.Height, 3 * one.Height, 1e-3);
  EXPECT_EQ(Measure(b.get(), o, "a\nb\n").Height, 3 * one.Height);
  ASSERT_EQ(GdipSetStringFormatAlign(o.format, StringAlignmentCenter), Ok);
  ASSERT_EQ(GdipSetStringFormatLineAlign(o.format, StringAlignmentFar), Ok);
  const GpRectF box = Measure(b.get(), o, "word", GpRectF{10, 10, 200, 100});
  EXPECT_NEAR(box.X + box.Width / 2, 110, 1e-3);
  EXPECT_NEAR(box.Y + box.Height, 110, 1e-3);
}

TEST_F(Text, DrawingInksInsideTheMeasuredBox) {
  for (TextRenderingHint hint : {TextRenderingHintSingleBitPerPixel, TextRenderingHintAntiAlias}) {
    BitmapPtr b = Make(120, 40, PixelFormat24bppRGB);
    GpGraphics* raw = nullptr;
    ASSERT_EQ(GdipGetImageGraphicsContext(b.get(), &raw), Ok);
    GraphicsPtr g(raw);
    GdipGraphicsClear(g.get(), 0xFFFFFFFF);
    ASSERT_EQ(GdipSetTextRenderingHint(g.get(), hint), Ok);
    Text::Owned o;
    MakeFont(o, "Arial", 20, UnitPixel);
    GpBrush* ink = nullptr;
    ASSERT_EQ(GdipCreateSolidFill(0xFF000000, &ink), Ok);
    const GpRectF at{10, 5, 0, 0};
    GpRectF box;
    ASSERT_EQ(GdipMeasureString(g.get(), "Hxg", -1, o.font, &at, o.format, &box, nullptr, nullptr), Ok);
    ASSERT_EQ(GdipDrawString(g.get(), "Hxg", -1, o.font, &at, o.format, ink), Ok);
    GdipDeleteBrush(ink);
    int inked = 0, grey = 0;
    for (INT y = 0; y < 40; ++y)
      for (INT x = 0; x < 120; ++x) {
        const ARGB c = Pixel(b.get(), x, y);
        if (c == 0xFFFFFFFF) continue;
        ++inked;
        if (c != 0xFF000000) ++grey;
        // Antialiased edges may shade the pixel row just under the box.
        EXPECT_TRUE(x >= box.X && x < box.X + box.Width && y >= box.Y && y < box.Y + box.Height + 1) << x << "," << y;
      }
    EXPECT_GT(inked, 40);
    if (hint == TextRenderingHintSingleBitPerPixel) {
      EXPECT_EQ(grey, 0) << "single-bit text has no shades";
    } else {
      EXPECT_GT(grey, 0);
    }
  }
}

}  // namespace
