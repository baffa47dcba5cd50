// Decoding files written by an independent encoder (ImageMagick, made at test time) in the
// layouts each reader handles: the pixel format the platform reports, its flags, the resolution
// and the pixels, which must match ImageMagick's own reading of the same file.
#include <gtest/gtest.h>

#include "codec_test_tools.h"
#include "support/required_tool.h"

using namespace codec_test;

namespace {

class CodecDecode : public Session {
 protected:
  void SetUp() override {
    Session::SetUp();
    VX_REQUIRE_TOOL("convert");
    opaque_ = ScratchPath("opaque.png");
    translucent_ = ScratchPath("translucent.png");
    ASSERT_EQ(std::system(("convert -seed 7 -size 24x16 plasma:fractal -fill lime -draw 'rectangle 4,4 10,10' -alpha off '" + opaque_ + "'").c_str()), 0);
    ASSERT_EQ(std::system(("convert -seed 7 -size 24x16 plasma:fractal \\( -size 24x16 gradient:white-black \\) -alpha off -compose copy_opacity -composite -fill '#00ff0080' -draw 'rectangle 4,4 10,10' '" +
                           translucent_ + "'").c_str()),
              0);
  }
  std::string opaque_, translucent_;
};

struct DecodeCase {
  const char* name;
  bool translucentInput;
  const char* options;  // ImageMagick options between input and output
  const char* output;   // output file name, with ImageMagick's format prefix where needed
  PixelFormat format;
  UINT flags;           // flags that must be set
  float dpiX, dpiY;     // 0: not checked
  int tolerance;        // largest channel difference against ImageMagick's reading
};

constexpr const char* kDpi = "-units PixelsPerInch -density 120x60";

const DecodeCase kCases[] = {
    {"png-grey8", false, "-type Grayscale -define png:color-type=0 -define png:bit-depth=8", "g8.png", PixelFormat8bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 0},
    {"png-grey1", false, "-threshold 50% -type Bilevel -define png:color-type=0 -define png:bit-depth=1", "g1.png", PixelFormat1bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 0},
    {"png-grey-alpha", true, "-colorspace Gray -define png:color-type=4", "ga.png", PixelFormat32bppARGB, ImageFlagsHasAlpha, 0, 0, 1},
    {"png-rgb16", false, "-define png:bit-depth=16 -define png:color-type=2", "c16.png", PixelFormat48bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 1},
    {"png-rgba16", true, "-define png:bit-depth=16 -define png:color-type=6", "ca16.png", PixelFormat64bppARGB, ImageFlagsHasAlpha, 0, 0, 1},
    {"png-palette-trns", true, "-channel A -threshold 50% +channel -colors 16", "PNG8:p8.png", PixelFormat8bppIndexed, ImageFlagsHasAlpha, 0, 0, 0},
    {"png-interlaced", false, "-interlace PNG", "i.png", PixelFormat24bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"bmp-rle8", false, "-colors 32 -type Palette -compress RLE", "BMP3:r8.bmp", PixelFormat8bppIndexed, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"bmp-os2", false, "", "BMP2:os2.bmp", PixelFormat24bppRGB, ImageFlagsColorSpaceRGB, 0, 0, 0},
    {"bmp-alpha-bitfields", true, "", "BMP:a.bmp", PixelFormat32bppARGB, ImageFlagsHasAlpha, 120, 60, 0},
    {"bmp-palette4", false, "-colors 12 -type Palette", "BMP3:p4.bmp", PixelFormat4bppIndexed, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"jpeg-grey", false, "-colorspace Gray", "g.jpg", PixelFormat8bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 2},
    {"jpeg-cmyk", false, "-colorspace CMYK", "cmyk.jpg", PixelFormat24bppRGB, ImageFlagsColorSpaceCMYK, 120, 60, 8},
    {"jpeg-progressive", false, "-interlace JPEG", "p.jpg", PixelFormat24bppRGB, ImageFlagsColorSpaceYCBCR, 120, 60, 2},
    {"tiff-g4", false, "-threshold 50% -type Bilevel -compress Group4", "g4.tif", PixelFormat1bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 0},
    {"tiff-g3", false, "-threshold 50% -type Bilevel -compress Fax", "g3.tif", PixelFormat1bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 0},
    {"tiff-palette-lzw", false, "-colors 40 -type Palette -compress LZW", "p.tif", PixelFormat8bppIndexed, ImageFlagsColorSpaceRGB, 120, 60, 1},
    {"tiff-grey-zip", false, "-type Grayscale -compress Zip", "g.tif", PixelFormat8bppIndexed, ImageFlagsColorSpaceGRAY, 120, 60, 0},
    {"tiff-miniswhite", false, "-type Grayscale -define quantum:polarity=min-is-white", "mw.tif", PixelFormat8bppIndexed, ImageFlagsColorSpaceGRAY, 0, 0, 0},
    {"tiff-packbits", false, "-compress RLE", "pb.tif", PixelFormat24bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"tiff-jpeg", false, "-compress JPEG", "j.tif", PixelFormat24bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 3},
    {"tiff-rgb16", false, "-depth 16", "c16.tif", PixelFormat48bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 1},
    {"tiff-grey16", false, "-type Grayscale -depth 16", "g16.tif", PixelFormat48bppRGB, ImageFlagsColorSpaceGRAY, 120, 60, 1},
    {"tiff-big-endian", false, "-endian MSB -compress LZW", "be.tif", PixelFormat24bppRGB, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"tiff-rgba", true, "-alpha on", "a.tif", PixelFormat32bppARGB, ImageFlagsHasAlpha, 120, 60, 0},
    {"tiff-cmyk", false, "-colorspace CMYK", "cmyk.tif", PixelFormat24bppRGB, ImageFlagsColorSpaceCMYK, 120, 60, 8},
    {"tiff-tiled", false, "-define tiff:tile-geometry=16x16", "t.tif", PixelFormat32bppARGB, ImageFlagsColorSpaceRGB, 120, 60, 0},
    {"gif-transparent", true, "-channel A -threshold 50% +channel", "t.gif", PixelFormat8bppIndexed, ImageFlagsHasAlpha, 0, 0, 0},
    {"ico", true, "", "i.ico", PixelFormat32bppARGB, ImageFlagsHasAlpha, 0, 0, 0},
};

// Compares colours, ignoring the colour of pixels both readers call fully transparent.
void ExpectMatches(const std::vector<ARGB>& ours, const std::vector<ARGB>& theirs, int tolerance) {
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    const bool bothClear = (ours[i] >> 24) == 0 && (theirs[i] >> 24) == 0;
    if (!bothClear && ChannelDistance(ours[i], theirs[i]) > tolerance) {
      ADD_FAILURE() << "pixel " << i << ": ours " << std::hex << ours[i] << ", ImageMagick " << theirs[i];
      return;
    }
  }
}

TEST_F(CodecDecode, ReadsTheLayoutsOfAnotherEncoder) {
  for (const DecodeCase& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string output = c.output;
    const size_t colon = output.find(':');
    const std::string prefix = colon == std::string::npos ? "" : output.substr(0, colon + 1);
    const std::string path = ScratchPath(colon == std::string::npos ? output : output.substr(colon + 1));
    const std::string command = "convert '" + (c.translucentInput ? translucent_ : opaque_) + "' -depth 8 " + c.options + " " +
                                (c.dpiX ? kDpi : "") + " '" + prefix + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ImagePtr image = Load(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(WidthOf(image.get()), 24u);
    EXPECT_EQ(HeightOf(image.get()), 16u);
    EXPECT_EQ(FormatOf(image.get()), c.format) << std::hex << FormatOf(image.get());
    UINT flags = 0;
    ASSERT_EQ(GdipGetImageFlags(image.get(), &flags), Ok);
    EXPECT_EQ(flags & c.flags, c.flags) << std::hex << flags;
    if (c.dpiX) {
      REAL x = 0, y = 0;
      GdipGetImageHorizontalResolution(image.get(), &x);
      GdipGetImageVerticalResolution(image.get(), &y);
      EXPECT_NEAR(x, c.dpiX, 0.6);
      EXPECT_NEAR(y, c.dpiY, 0.6);
      EXPECT_TRUE(flags & ImageFlagsHasRealDPI);
    }
    ExpectMatches(ArgbPixels(image.get()), PixelsByImageMagick(path), c.tolerance);
  }
}

TEST_F(CodecDecode, IconTakesItsLargestImage) {
  const std::string path = ScratchPath("sizes.ico");
  ASSERT_EQ(std::system(("convert '" + translucent_ + "' -define icon:auto-resize=16,48,32 '" + path + "'").c_str()), 0);
  ImagePtr image = Load(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(WidthOf(image.get()), 48u);
  GUID raw;
  ASSERT_EQ(GdipGetImageRawFormat(image.get(), &raw), Ok);
  EXPECT_TRUE(raw == ImageFormatIcon);
}

TEST_F(CodecDecode, RawFormatNamesTheFileFormat) {
  const std::pair<const char*, GUID> formats[] = {{"f.bmp", ImageFormatBMP}, {"f.png", ImageFormatPNG}, {"f.jpg", ImageFormatJPEG},
                                                  {"f.gif", ImageFormatGIF}, {"f.tif", ImageFormatTIFF}};
  for (const auto& [name, format] : formats) {
    const std::string path = ScratchPath(name);
    ASSERT_EQ(std::system(("convert '" + opaque_ + "' '" + path + "'").c_str()), 0);
    ImagePtr image = Load(path);
    ASSERT_TRUE(image);
    GUID raw;
    ASSERT_EQ(GdipGetImageRawFormat(image.get(), &raw), Ok);
    EXPECT_TRUE(raw == format) << name;
  }
}

TEST_F(CodecDecode, UnknownContentAndMissingFilesAnswerWithStatuses) {
  const std::string text = ScratchPath("notes.txt");
  WriteFile(text, {'h', 'e', 'l', 'l', 'o'});
  Load(text, UnknownImageFormat);
  Load(ScratchPath("missing.png"), FileNotFound);
  Load(ScratchDir(), FileNotFound);
  const std::string emf = ScratchPath("tiny.emf");
  std::vector<uint8_t> header(88, 0);
  header[0] = 1;
  std::memcpy(&header[40], " EMF", 4);
  WriteFile(emf, header);
  Load(emf, UnknownImageFormat);  // no metafile decoder registered in this suite
}

TEST_F(CodecDecode, CallsBeforeStartUpAreRefused) {
  const std::string path = ScratchPath("early.png");
  ASSERT_EQ(std::system(("cp '" + opaque_ + "' '" + path + "'").c_str()), 0);
  GdiplusShutdown(token_);
  GpImage* image = nullptr;
  EXPECT_EQ(GdipLoadImageFromFile(path.c_str(), &image), GdiplusNotInitialized);
  GdiplusStartupInput input;
  ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
}

}  // namespace
