// Every encoder at the depths it writes: the file is read back by ImageMagick and by the
// platform's own decoder, and both must see the size and the pixels that were saved.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "codec_test_tools.h"
#include "platform/ole/ole.h"

using namespace codec_test;

namespace {

class CodecRoundTrip : public Session {};

struct RoundTripCase {
  const char* name;
  PixelFormat source;
  CLSID encoder;
  const char* extension;
  PixelFormat reloaded;
  int tolerance;  // largest channel error allowed against the source (0: lossless)
};

const RoundTripCase kCases[] = {
    {"bmp1", PixelFormat1bppIndexed, EncoderClsidBMP, "bmp", PixelFormat1bppIndexed, 0},
    {"bmp4", PixelFormat4bppIndexed, EncoderClsidBMP, "bmp", PixelFormat4bppIndexed, 0},
    {"bmp8", PixelFormat8bppIndexed, EncoderClsidBMP, "bmp", PixelFormat8bppIndexed, 0},
    {"bmp555", PixelFormat16bppRGB555, EncoderClsidBMP, "bmp", PixelFormat16bppRGB555, 0},
    {"bmp565", PixelFormat16bppRGB565, EncoderClsidBMP, "bmp", PixelFormat16bppRGB565, 0},
    {"bmp24", PixelFormat24bppRGB, EncoderClsidBMP, "bmp", PixelFormat24bppRGB, 0},
    {"bmp32", PixelFormat32bppRGB, EncoderClsidBMP, "bmp", PixelFormat32bppRGB, 0},
    {"bmp48", PixelFormat48bppRGB, EncoderClsidBMP, "bmp", PixelFormat24bppRGB, 0},
    {"png1", PixelFormat1bppIndexed, EncoderClsidPNG, "png", PixelFormat1bppIndexed, 0},
    {"png4", PixelFormat4bppIndexed, EncoderClsidPNG, "png", PixelFormat4bppIndexed, 0},
    {"png8", PixelFormat8bppIndexed, EncoderClsidPNG, "png", PixelFormat8bppIndexed, 0},
    {"png24", PixelFormat24bppRGB, EncoderClsidPNG, "png", PixelFormat24bppRGB, 0},
    {"png32", PixelFormat32bppARGB, EncoderClsidPNG, "png", PixelFormat32bppARGB, 0},
    {"png48", PixelFormat48bppRGB, EncoderClsidPNG, "png", PixelFormat48bppRGB, 0},
    {"png64", PixelFormat64bppARGB, EncoderClsidPNG, "png", PixelFormat64bppARGB, 0},
    {"gif8", PixelFormat8bppIndexed, EncoderClsidGIF, "gif", PixelFormat8bppIndexed, 0},
    {"gif24", PixelFormat24bppRGB, EncoderClsidGIF, "gif", PixelFormat8bppIndexed, 0x1a},
    {"tif1", PixelFormat1bppIndexed, EncoderClsidTIFF, "tif", PixelFormat1bppIndexed, 0},
    {"tif4", PixelFormat4bppIndexed, EncoderClsidTIFF, "tif", PixelFormat4bppIndexed, 0},
    {"tif8", PixelFormat8bppIndexed, EncoderClsidTIFF, "tif", PixelFormat8bppIndexed, 0},
    {"tif24", PixelFormat24bppRGB, EncoderClsidTIFF, "tif", PixelFormat24bppRGB, 0},
    {"tif32", PixelFormat32bppARGB, EncoderClsidTIFF, "tif", PixelFormat32bppARGB, 0},
    {"tif48", PixelFormat48bppRGB, EncoderClsidTIFF, "tif", PixelFormat48bppRGB, 0},
    {"tif64", PixelFormat64bppARGB, EncoderClsidTIFF, "tif", PixelFormat64bppARGB, 0},
};

void ExpectSameRgb(const std::vector<ARGB>& expected, const std::vector<ARGB>& actual, bool compareAlpha, int tolerance,
                   const std::string& what) {
  ASSERT_EQ(expected.size(), actual.size()) << what;
  const ARGB mask = compareAlpha ? 0xffffffffu : 0x00ffffffu;
  for (size_t i = 0; i < expected.size(); ++i)
    if (ChannelDistance(expected[i] & mask, actual[i] & mask) > tolerance) {
      ADD_FAILURE() << what << ": pixel " << i << " expected " << std::hex << expected[i] << " got " << actual[i];
      return;
    }
}

TEST_F(CodecRoundTrip, EveryEncoderAndDepthReadsBackTheSamePixels) {
  const bool imageMagick = HaveTool("convert") && HaveTool("identify");
  for (const RoundTripCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const bool alpha = IsAlphaPixelFormat(c.source) && IsAlphaPixelFormat(c.reloaded);
    BitmapPtr original = MakePicture(37, 21, c.source, alpha);
    const std::vector<ARGB> expected = ArgbPixels(original.get());
    const std::string path = ScratchPath(std::string(c.name) + "." + c.extension);
    ASSERT_EQ(Save(original.get(), path, c.encoder), Ok);

    ImagePtr reloaded = Load(path);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(WidthOf(reloaded.get()), 37u);
    EXPECT_EQ(HeightOf(reloaded.get()), 21u);
    EXPECT_EQ(FormatOf(reloaded.get()), c.reloaded);
    const std::vector<ARGB> ours = ArgbPixels(reloaded.get());
    ExpectSameRgb(expected, ours, alpha, c.tolerance, "own decoder");

    if (imageMagick) {
      EXPECT_EQ(Shell("identify -format '%w %h' '" + path + "'"), "37 21");
      ExpectSameRgb(ours, PixelsByImageMagick(path), alpha, 0, "ImageMagick");
    }
  }
}

TEST_F(CodecRoundTrip, JpegQualityTradesBytesForFidelity) {
  BitmapPtr original = MakePicture(64, 48, PixelFormat24bppRGB);
  const std::vector<ARGB> expected = ArgbPixels(original.get());
  size_t previousSize = 0;
  double previousError = 1e9;
  for (ULONG quality : {10u, 75u, 100u}) {
    SCOPED_TRACE(quality);
    const std::string path = ScratchPath("q" + std::to_string(quality) + ".jpg");
    Params params;
    params.Add(EncoderQuality, quality);
    ASSERT_EQ(Save(original.get(), path, EncoderClsidJPEG, &params), Ok);
    const size_t size = ReadFile(path).size();
    EXPECT_GT(size, previousSize);
    previousSize = size;
    ImagePtr reloaded = Load(path);
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(FormatOf(reloaded.get()), PixelFormat24bppRGB);
    const std::vector<ARGB> ours = ArgbPixels(reloaded.get());
    double error = 0;
    for (size_t i = 0; i < ours.size(); ++i) error += ChannelDistance(ours[i], expected[i]);
    EXPECT_LT(error, previousError);
    previousError = error;
    if (HaveTool("identify")) {
      EXPECT_EQ(Shell("identify -format '%w %h %Q' '" + path + "'"), "64 48 " + std::to_string(quality));
      ExpectSameRgb(ours, PixelsByImageMagick(path), false, 3, "ImageMagick");
    }
  }
  Params tooHigh;
  tooHigh.Add(EncoderQuality, 101);
  EXPECT_EQ(Save(original.get(), ScratchPath("bad.jpg"), EncoderClsidJPEG, &tooHigh), InvalidParameter);
}

TEST_F(CodecRoundTrip, ResolutionSurvivesEveryFormat) {
  const CLSID encoders[] = {EncoderClsidBMP, EncoderClsidPNG, EncoderClsidJPEG, EncoderClsidTIFF};
  for (const CLSID& encoder : encoders) {
    BitmapPtr original = MakePicture(8, 8, PixelFormat24bppRGB);
    ASSERT_EQ(GdipBitmapSetResolution(original.get(), 300.0f, 150.0f), Ok);
    const std::string path = ScratchPath("dpi" + std::to_string(encoder.Data1 & 0xf));
    ASSERT_EQ(Save(original.get(), path, encoder), Ok);
    ImagePtr reloaded = Load(path);
    ASSERT_TRUE(reloaded);
    REAL x = 0, y = 0;
    UINT flags = 0;
    ASSERT_EQ(GdipGetImageHorizontalResolution(reloaded.get(), &x), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(reloaded.get(), &y), Ok);
    ASSERT_EQ(GdipGetImageFlags(reloaded.get(), &flags), Ok);
    EXPECT_NEAR(x, 300.0f, 0.05f) << std::hex << encoder.Data1;
    EXPECT_NEAR(y, 150.0f, 0.05f) << std::hex << encoder.Data1;
    EXPECT_TRUE(flags & ImageFlagsHasRealDPI);
  }
}

TEST_F(CodecRoundTrip, StreamsCarryTheSameBytesAsFiles) {
  BitmapPtr original = MakePicture(20, 10, PixelFormat24bppRGB);
  const std::string path = ScratchPath("file.png");
  ASSERT_EQ(Save(original.get(), path, EncoderClsidPNG), Ok);
  const std::vector<uint8_t> fileBytes = ReadFile(path);

  vx::ole::IStream* raw = nullptr;
  ASSERT_EQ(vx::ole::CreateStreamOnHGlobal(0, 1, &raw), vx::S_OK);
  vx::ole::ComPtr<vx::ole::IStream> stream(raw);
  ASSERT_EQ(GdipSaveImageToStream(original.get(), stream.get(), &EncoderClsidPNG, nullptr), Ok);
  ASSERT_EQ(stream->Seek(0, vx::ole::STREAM_SEEK_SET, nullptr), vx::S_OK);
  std::string streamBytes;
  ASSERT_EQ(vx::ole::ReadStreamToEnd(stream.get(), streamBytes), vx::S_OK);
  EXPECT_EQ(std::vector<uint8_t>(streamBytes.begin(), streamBytes.end()), fileBytes);

  ASSERT_EQ(stream->Seek(0, vx::ole::STREAM_SEEK_SET, nullptr), vx::S_OK);
  GpImage* image = nullptr;
  ASSERT_EQ(GdipLoadImageFromStream(stream.get(), &image), Ok);
  ImagePtr loaded(image);
  EXPECT_EQ(ArgbPixels(loaded.get()), ArgbPixels(original.get()));
}

}  // namespace
