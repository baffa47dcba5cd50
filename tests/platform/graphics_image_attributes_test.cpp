// Drawing images through image attributes: remap tables, colour keys, output channels (with and
// without a CMYK output profile), the category fallback, source rectangles and argument checks.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gdiplus_test_session.h"
#include "metafile_test_builders.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image_attributes.h"
#include "platform/gdiplus/metafile.h"

namespace {

using namespace gdiplus_test;
using vx::FALSE_;
using vx::TRUE_;

struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;

struct AttributesDeleter {
  void operator()(GpImageAttributes* a) const { GdipDisposeImageAttributes(a); }
};
using AttributesPtr = std::unique_ptr<GpImageAttributes, AttributesDeleter>;

// A file in the suite's private temporary folder, removed at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir && *dir ? dir : "/tmp") + "/" + name;
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Ink of the plain separation rule, written out independently of the library.
int PlainInk(ARGB c, ColorChannelFlags channel) {
  const int cyan = 255 - int((c >> 16) & 0xff), magenta = 255 - int((c >> 8) & 0xff), yellow = 255 - int(c & 0xff);
  const int black = std::min({cyan, magenta, yellow});
  const int inks[] = {cyan - black, magenta - black, yellow - black, black};
  return inks[channel];
}

// A CMYK output profile whose ink is half of the plain rule's, so that a conversion through it
// is told apart from the plain rule. Lab is taken to sRGB by the colour engine while sampling.
struct HalfInkSampler {
  cmsHTRANSFORM labToRgb;
  static cmsInt32Number Sample(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    const auto* self = static_cast<HalfInkSampler*>(cargo);
    cmsCIELab lab;
    cmsLabEncoded2FloatV2(&lab, in);
    double rgb[3];
    cmsDoTransform(self->labToRgb, &lab, rgb, 1);
    ARGB c = 0xFF000000u;
    for (int i = 0; i < 3; ++i) c |= ARGB(std::clamp(std::lround(rgb[i] * 255), 0L, 255L)) << (16 - 8 * i);
    for (int ch = 0; ch < 4; ++ch) out[ch] = cmsUInt16Number(PlainInk(c, ColorChannelFlags(ch)) * 257 / 2);
    return 1;
  }
};

bool WriteHalfInkProfile(const std::string& path) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr), srgb = cmsCreate_sRGBProfile();
  HalfInkSampler sampler{
      cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE)};
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 2.1);
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetColorSpace(profile, cmsSigCmykData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsPipeline* toCmyk = cmsPipelineAlloc(nullptr, 3, 4);
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 33, 3, 4, nullptr);
  bool ok = sampler.labToRgb && toCmyk && clut && cmsStageSampleCLut16bit(clut, HalfInkSampler::Sample, &sampler, 0) &&
            cmsPipelineInsertStage(toCmyk, cmsAT_END, clut) && cmsWriteTag(profile, cmsSigBToA0Tag, toCmyk) &&
            cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ()) && cmsSaveProfileToFile(profile, path.c_str());
  if (toCmyk) cmsPipelineFree(toCmyk);
  if (sampler.labToRgb) cmsDeleteTransform(sampler.labToRgb);
  cmsCloseProfile(profile);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  return ok;
}

class ImageAttributes : public Session {
 protected:
  AttributesPtr NewAttributes() {
    GpImageAttributes* a = nullptr;
    EXPECT_EQ(GdipCreateImageAttributes(&a), Ok);
    return AttributesPtr(a);
  }
  // One row of the given colours.
  BitmapPtr Row(std::initializer_list<ARGB> colours, PixelFormat format = PixelFormat32bppARGB) {
    BitmapPtr b = Make(INT(colours.size()), 1, format);
    INT x = 0;
    for (ARGB c : colours) GdipBitmapSetPixel(b.get(), x++, 0, c);
    return b;
  }
  // Draws the whole source 1:1 onto the target through the attributes.
  Status Draw(GpBitmap* target, GpBitmap* source, const GpImageAttributes* attributes) {
    GpGraphics* raw = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(target, &raw), Ok);
    GraphicsPtr g(raw);
    GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor);
    const INT w = INT(WidthOf(source)), h = INT(HeightOf(source));
    return GdipDrawImageRectRectI(g.get(), source, 0, 0, w, h, 0, 0, w, h, UnitPixel, attributes);
  }
  // The colours of the source drawn onto a transparent 32bppARGB row.
  std::vector<ARGB> DrawnRow(GpBitmap* source, const GpImageAttributes* attributes) {
    BitmapPtr target = Make(INT(WidthOf(source)), 1, PixelFormat32bppARGB);
    EXPECT_EQ(Draw(target.get(), source, attributes), Ok);
    std::vector<ARGB> out;
    for (INT x = 0; x < INT(WidthOf(source)); ++x) out.push_back(Pixel(target.get(), x, 0));
    return out;
  }
};

constexpr ARGB Grey(int v) { return 0xFF000000u | ARGB(v) * 0x010101u; }

TEST_F(ImageAttributes, ColorKeyLetsTheImageBelowShowThroughOnlyInsideTheRange) {
  const ARGB blue = 0xFF0000FF;
  BitmapPtr target = Row({blue, blue, blue, blue, blue});
  // Inside on every channel, inside, low blue channel outside, high red outside, at the bounds.
  BitmapPtr source = Row({0xFF202020, 0xFF303030, 0xFF303010, 0xFFFF3030, 0xFF404040});
  AttributesPtr a = NewAttributes();
  // The keys' alpha is not compared: a transparent low key still matches opaque pixels.
  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, TRUE_, 0x00151515, 0xFF404040), Ok);
  ASSERT_EQ(Draw(target.get(), source.get(), a.get()), Ok);
  EXPECT_EQ(Pixel(target.get(), 0, 0), blue);
  EXPECT_EQ(Pixel(target.get(), 1, 0), blue);
  EXPECT_EQ(Pixel(target.get(), 2, 0), 0xFF303010u);
  EXPECT_EQ(Pixel(target.get(), 3, 0), 0xFFFF3030u);
  EXPECT_EQ(Pixel(target.get(), 4, 0), blue) << "the bounds belong to the range";

  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, FALSE_, 0, 0), Ok);
  ASSERT_EQ(Draw(target.get(), source.get(), a.get()), Ok);
  EXPECT_EQ(Pixel(target.get(), 0, 0), 0xFF202020u) << "a disabled key draws every pixel";
}

TEST_F(ImageAttributes, RemapTableSwapsExactColoursOnly) {
  const ARGB red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, halfRed = 0x80FF0000;
  BitmapPtr source = Row({red, red, green, blue, halfRed, halfRed, green});
  AttributesPtr a = NewAttributes();
  const ColorMap swap[] = {{red, green}, {green, red}, {red, blue}};
  ASSERT_EQ(GdipSetImageAttributesRemapTable(a.get(), ColorAdjustTypeDefault, TRUE_, 3, swap), Ok);
  // A pixel is remapped once (green does not turn back into red); the alpha must match too; the
  // first entry for a colour decides.
  EXPECT_EQ(DrawnRow(source.get(), a.get()), (std::vector<ARGB>{green, green, red, blue, halfRed, halfRed, red}));

  ASSERT_EQ(GdipSetImageAttributesRemapTable(a.get(), ColorAdjustTypeDefault, FALSE_, 0, nullptr), Ok);
  EXPECT_EQ(DrawnRow(source.get(), a.get()), (std::vector<ARGB>{red, red, green, blue, halfRed, halfRed, green}));
}

TEST_F(ImageAttributes, RemapComesBeforeTheColorKey) {
  BitmapPtr source = Row({0xFFFF0000, 0xFFFFFFFF});
  AttributesPtr a = NewAttributes();
  const ColorMap toWhite[] = {{0xFFFF0000, 0xFFFFFFFF}};
  ASSERT_EQ(GdipSetImageAttributesRemapTable(a.get(), ColorAdjustTypeDefault, TRUE_, 1, toWhite), Ok);
  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, TRUE_, 0xFFFFFFFF, 0xFFFFFFFF), Ok);
  const std::vector<ARGB> row = DrawnRow(source.get(), a.get());
  EXPECT_EQ(row[0] >> 24, 0u) << "red became white, then the white key took it";
  EXPECT_EQ(row[1] >> 24, 0u);
}

TEST_F(ImageAttributes, OutputChannelGivesTheInverseInkAsGrey) {
  const ARGB colours[] = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF00FFFF, 0xFF4080C0, 0xFF808080};
  for (ColorChannelFlags channel : {ColorChannelFlagsC, ColorChannelFlagsM, ColorChannelFlagsY, ColorChannelFlagsK}) {
    // Separations are drawn between bitmaps of the image's own format.
    BitmapPtr source = Make(6, 1, PixelFormat24bppRGB);
    for (INT x = 0; x < 6; ++x) GdipBitmapSetPixel(source.get(), x, 0, colours[x]);
    BitmapPtr target = Make(6, 1, PixelFormat24bppRGB);
    AttributesPtr a = NewAttributes();
    ASSERT_EQ(GdipSetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, TRUE_, channel), Ok);
    ASSERT_EQ(Draw(target.get(), source.get(), a.get()), Ok);
    for (INT x = 0; x < 6; ++x)
      EXPECT_EQ(Pixel(target.get(), x, 0), Grey(255 - PlainInk(colours[x], channel)))
          << "channel " << channel << " colour " << std::hex << colours[x];
  }
}

TEST_F(ImageAttributes, OutputChannelConvertsThroughTheOutputProfile) {
  TempFile profile("half_ink_cmyk.icc");
  ASSERT_TRUE(WriteHalfInkProfile(profile.path()));
  // Colours well inside the gamut: the test profile's coarse table is least exact at its edge.
  const ARGB colours[] = {0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF40C0C0, 0xFF4080C0};
  for (ColorChannelFlags channel : {ColorChannelFlagsC, ColorChannelFlagsM, ColorChannelFlagsY, ColorChannelFlagsK}) {
    AttributesPtr a = NewAttributes();
    ASSERT_EQ(
        GdipSetImageAttributesOutputChannelColorProfile(a.get(), ColorAdjustTypeDefault, TRUE_, profile.path().c_str()),
        Ok);
    ASSERT_EQ(GdipSetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, TRUE_, channel), Ok);
    // A refused profile leaves the one in place.
    EXPECT_EQ(
        GdipSetImageAttributesOutputChannelColorProfile(a.get(), ColorAdjustTypeDefault, TRUE_, "/nonexistent.icc"),
        FileNotFound);
    BitmapPtr source = Row({colours[0], colours[1], colours[2], colours[3], colours[4]});
    const std::vector<ARGB> row = DrawnRow(source.get(), a.get());
    for (size_t i = 0; i < row.size(); ++i) {
      const int expected = 255 - PlainInk(colours[i], channel) / 2;
      EXPECT_EQ(row[i] >> 24, 0xFFu);
      EXPECT_EQ(row[i] & 0xff, (row[i] >> 8) & 0xff) << "grey";
      EXPECT_NEAR(int(row[i] & 0xff), expected, 8) << "channel " << channel << " colour " << std::hex << colours[i];
    }
  }
}

TEST_F(ImageAttributes, CategoriesWithoutSettingsBorrowTheDefaultOnesWhole) {
  BitmapPtr source = Row({0xFF000000, 0xFFFF0000});
  AttributesPtr a = NewAttributes();
  ASSERT_EQ(GdipSetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, TRUE_, ColorChannelFlagsK), Ok);
  // Settings of other categories leave image drawing alone.
  const ColorMap anything[] = {{0xFF000000, 0xFF00FF00}};
  ASSERT_EQ(GdipSetImageAttributesRemapTable(a.get(), ColorAdjustTypeBrush, TRUE_, 1, anything), Ok);
  EXPECT_EQ(DrawnRow(source.get(), a.get()), (std::vector<ARGB>{Grey(0), Grey(255)}));

  // Once the bitmap category has a setting of its own, none of the default's apply.
  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeBitmap, TRUE_, 0xFF0000FF, 0xFF0000FF), Ok);
  EXPECT_EQ(DrawnRow(source.get(), a.get()), (std::vector<ARGB>{0xFF000000, 0xFFFF0000}));

  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeBitmap, FALSE_, 0, 0), Ok);
  EXPECT_EQ(DrawnRow(source.get(), a.get()), (std::vector<ARGB>{Grey(0), Grey(255)}));
}

TEST_F(ImageAttributes, CloneIsIndependent) {
  BitmapPtr source = Row({0xFFFFFFFF});
  AttributesPtr a = NewAttributes();
  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, TRUE_, 0xFFFFFFFF, 0xFFFFFFFF), Ok);
  GpImageAttributes* raw = nullptr;
  ASSERT_EQ(GdipCloneImageAttributes(a.get(), &raw), Ok);
  AttributesPtr clone(raw);
  ASSERT_EQ(GdipSetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, FALSE_, 0, 0), Ok);
  EXPECT_EQ(DrawnRow(source.get(), clone.get())[0] >> 24, 0u);
  EXPECT_EQ(DrawnRow(source.get(), a.get())[0], 0xFFFFFFFFu);
}

TEST_F(ImageAttributes, SourceRectangleSelectsAndScalesPartOfTheImage) {
  // 4 x 4 source of four 2 x 2 quadrants.
  const ARGB quadrant[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFF00}};
  BitmapPtr source = Make(4, 4, PixelFormat32bppARGB);
  for (INT y = 0; y < 4; ++y)
    for (INT x = 0; x < 4; ++x) GdipBitmapSetPixel(source.get(), x, y, quadrant[y / 2][x / 2]);
  BitmapPtr target = Make(8, 8, PixelFormat32bppARGB);
  GpGraphics* raw = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(target.get(), &raw), Ok);
  GraphicsPtr g(raw);
  ASSERT_EQ(GdipSetInterpolationMode(g.get(), InterpolationModeNearestNeighbor), Ok);
  // The upper right quadrant, doubled, at (1, 1).
  ASSERT_EQ(GdipDrawImageRectRectI(g.get(), source.get(), 1, 1, 4, 4, 2, 0, 2, 2, UnitPixel, nullptr), Ok);
  for (INT y = 0; y < 8; ++y) {
    for (INT x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
      EXPECT_EQ(Pixel(target.get(), x, y), inside ? 0xFF00FF00u : 0u) << x << "," << y;
    }
  }
  // A source rectangle reaching past the image draws only where the image is.
  BitmapPtr second = Make(8, 8, PixelFormat32bppARGB);
  ASSERT_EQ(GdipGetImageGraphicsContext(second.get(), &raw), Ok);
  GraphicsPtr g2(raw);
  ASSERT_EQ(GdipSetInterpolationMode(g2.get(), InterpolationModeNearestNeighbor), Ok);
  ASSERT_EQ(GdipDrawImageRectRectI(g2.get(), source.get(), 0, 0, 8, 8, 2, 2, 4, 4, UnitPixel, nullptr), Ok);
  EXPECT_EQ(Pixel(second.get(), 0, 0), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(second.get(), 3, 3), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(second.get(), 4, 4), 0u);
  EXPECT_EQ(Pixel(second.get(), 7, 0), 0u);
}

TEST_F(ImageAttributes, MetafileSourceRectangleIsScaledAndClippedToTheDestination) {
  // 100 x 100 picture with a red square over (10, 10) - (40, 40).
  metafile_test::EmfBuilder emf(100);
  emf.Record(39, {1, 0, metafile_test::Ref(255, 0, 0), 0})
      .Record(37, {1})
      .Record(37, {0x80000008u})
      .Record(43, {10, 10, 40, 40});
  const std::vector<uint8_t> bytes = emf.Finish();
  GpImage* raw = nullptr;
  ASSERT_EQ(LoadMetafileFromMemory(bytes.data(), bytes.size(), &raw), Ok);
  ImagePtr picture(raw);
  BitmapPtr target = Make(100, 100, PixelFormat32bppARGB);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(target.get(), &g), Ok);
  GraphicsPtr graphics(g);
  // The upper left 50 x 25 of the picture, doubled, into the upper half of the target.
  ASSERT_EQ(GdipDrawImageRectRectI(g, picture.get(), 0, 0, 100, 50, 0, 0, 50, 25, UnitPixel, nullptr), Ok);
  EXPECT_EQ(Pixel(target.get(), 50, 30), 0xFFFF0000u) << "source (25, 15)";
  EXPECT_EQ(Pixel(target.get(), 90, 30), 0u) << "source (45, 15)";
  EXPECT_EQ(Pixel(target.get(), 50, 60), 0u) << "source (25, 30) lies below the source rectangle";
}

TEST_F(ImageAttributes, LargeImagesRunInTiles) {
  // Wider than a source tile: every tile row goes through the adjustments.
  BitmapPtr source = Make(9000, 1, PixelFormat24bppRGB);
  BitmapPtr target = Make(9000, 1, PixelFormat24bppRGB);
  AttributesPtr a = NewAttributes();
  ASSERT_EQ(GdipSetImageAttributesOutputChannel(a.get(), ColorAdjustTypeBitmap, TRUE_, ColorChannelFlagsK), Ok);
  ASSERT_EQ(Draw(target.get(), source.get(), a.get()), Ok);
  EXPECT_EQ(Pixel(target.get(), 0, 0), Grey(0));
  EXPECT_EQ(Pixel(target.get(), 8999, 0), Grey(0));
}

TEST_F(ImageAttributes, InvalidArgumentsAreRefused) {
  AttributesPtr a = NewAttributes();
  GpImageAttributes* at = a.get();
  const ColorMap one[] = {{0, 0}};
  TempFile rgbProfile("rgb.icc"), junk("junk.icc");
  {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    ASSERT_TRUE(cmsSaveProfileToFile(srgb, rgbProfile.path().c_str()));
    cmsCloseProfile(srgb);
    std::ofstream(junk.path()) << "not a profile";
  }
  const auto type = [](int v) { return ColorAdjustType(v); };
  const struct {
    const char* what;
    Status got;
    Status expected;
  } cases[] = {
      {"create into null", GdipCreateImageAttributes(nullptr), InvalidParameter},
      {"clone of null", GdipCloneImageAttributes(nullptr, &at), InvalidParameter},
      {"dispose null", GdipDisposeImageAttributes(nullptr), InvalidParameter},
      {"keys on null", GdipSetImageAttributesColorKeys(nullptr, ColorAdjustTypeDefault, TRUE_, 0, 0), InvalidParameter},
      {"type -1", GdipSetImageAttributesColorKeys(at, type(-1), TRUE_, 0, 0), InvalidParameter},
      {"type count", GdipSetImageAttributesColorKeys(at, ColorAdjustTypeCount, TRUE_, 0, 0), InvalidParameter},
      {"type any", GdipSetImageAttributesOutputChannel(at, ColorAdjustTypeAny, TRUE_, ColorChannelFlagsC),
       InvalidParameter},
      {"type text", GdipSetImageAttributesColorKeys(at, ColorAdjustTypeText, TRUE_, 0, 0), Ok},
      {"null map", GdipSetImageAttributesRemapTable(at, ColorAdjustTypeDefault, TRUE_, 2, nullptr), InvalidParameter},
      {"empty map", GdipSetImageAttributesRemapTable(at, ColorAdjustTypeDefault, TRUE_, 0, one), InvalidParameter},
      {"negative size", GdipSetImageAttributesRemapTable(at, ColorAdjustTypeDefault, TRUE_, UINT(-1), one),
       InvalidParameter},
      {"disabled null map", GdipSetImageAttributesRemapTable(at, ColorAdjustTypeDefault, FALSE_, 5, nullptr), Ok},
      {"channel last", GdipSetImageAttributesOutputChannel(at, ColorAdjustTypeDefault, TRUE_, ColorChannelFlagsLast),
       InvalidParameter},
      {"channel -1", GdipSetImageAttributesOutputChannel(at, ColorAdjustTypeDefault, TRUE_, ColorChannelFlags(-1)),
       InvalidParameter},
      {"channel off", GdipSetImageAttributesOutputChannel(at, ColorAdjustTypeDefault, FALSE_, ColorChannelFlags(9)),
       Ok},
      {"null profile", GdipSetImageAttributesOutputChannelColorProfile(at, ColorAdjustTypeDefault, TRUE_, nullptr),
       InvalidParameter},
      {"missing profile",
       GdipSetImageAttributesOutputChannelColorProfile(at, ColorAdjustTypeDefault, TRUE_, "/no/such/profile.icc"),
       FileNotFound},
      {"rgb profile",
       GdipSetImageAttributesOutputChannelColorProfile(at, ColorAdjustTypeDefault, TRUE_, rgbProfile.path().c_str()),
       InvalidParameter},
      {"junk profile",
       GdipSetImageAttributesOutputChannelColorProfile(at, ColorAdjustTypeDefault, TRUE_, junk.path().c_str()),
       InvalidParameter},
      {"profile off", GdipSetImageAttributesOutputChannelColorProfile(at, ColorAdjustTypeDefault, FALSE_, nullptr), Ok},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  BitmapPtr image = Make(2, 2, PixelFormat32bppARGB);
  GpGraphics* raw = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(image.get(), &raw), Ok);
  GraphicsPtr g(raw);
  EXPECT_EQ(GdipDrawImageRectRectI(g.get(), nullptr, 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, at), InvalidParameter);
  EXPECT_EQ(GdipDrawImageRectRectI(nullptr, image.get(), 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, at), InvalidParameter);
  EXPECT_EQ(GdipDrawImageRectRectI(g.get(), image.get(), 0, 0, 2, 2, 0, 0, 2, 2, Unit(7), at), InvalidParameter);
  EXPECT_EQ(GdipDrawImageRectRectI(g.get(), image.get(), 0, 0, 2, 2, 0, 0, 2, 2, UnitInch, at), NotImplemented);
  EXPECT_EQ(GdipDrawImageRectRect(g.get(), image.get(), 0, 0, 2, 2, 0, 0, NAN, 2, UnitPixel, at), InvalidParameter);
  EXPECT_EQ(GdipDrawImageRectRectI(g.get(), image.get(), 0, 0, 2, 2, 0, 0, 0, 2, UnitPixel, at), Ok) << "empty source";
}

TEST_F(ImageAttributes, CallsBeforeStartupAreRefused) {
  GdiplusShutdown(token_);
  GpImageAttributes* a = nullptr;
  EXPECT_EQ(GdipCreateImageAttributes(&a), GdiplusNotInitialized);
  GdiplusStartupInput input;
  ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
}

}  // namespace
