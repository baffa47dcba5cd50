// Documents of several frames: multi-page TIFF written through the multi-frame save and its
// additions, and animated GIF files (made by ImageMagick) read as composited frames in time.
#include <gtest/gtest.h>

#include "codec_test_tools.h"
#include "platform/ole/ole.h"
#include "support/required_tool.h"

using namespace codec_test;

namespace {

class CodecMultiFrame : public Session {};

Params SaveFlag(ULONG flag) {
  Params p;
  p.Add(EncoderSaveFlag, flag);
  return p;
}

UINT FrameCount(GpImage* image, const GUID& dimension) {
  UINT count = 0;
  EXPECT_EQ(GdipImageGetFrameCount(image, &dimension, &count), Ok);
  return count;
}

std::vector<uint8_t> PropertyBytes(GpImage* image, PROPID id, WORD* type = nullptr) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, id, &size) != Ok) return {};
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(GdipGetPropertyItem(image, id, size, item), Ok);
  if (type) *type = item->type;
  const auto* value = static_cast<const uint8_t*>(item->value);
  return std::vector<uint8_t>(value, value + item->length);
}

TEST_F(CodecMultiFrame, TiffPagesAddedAfterAMultiFrameSave) {
  BitmapPtr first = MakePicture(30, 20, PixelFormat24bppRGB);
  BitmapPtr second = MakePicture(16, 12, PixelFormat8bppIndexed);
  BitmapPtr third = MakePicture(40, 8, PixelFormat1bppIndexed);
  const std::string path = ScratchPath("pages.tif");
  Params begin = SaveFlag(EncoderValueMultiFrame);
  ASSERT_EQ(Save(first.get(), path, EncoderClsidTIFF, &begin), Ok);
  Params page = SaveFlag(EncoderValueFrameDimensionPage);
  ASSERT_EQ(GdipSaveAddImage(first.get(), second.get(), page.get()), Ok);
  ASSERT_EQ(GdipSaveAddImage(first.get(), third.get(), page.get()), Ok);
  Params flush = SaveFlag(EncoderValueFlush);
  ASSERT_EQ(GdipSaveAdd(first.get(), flush.get()), Ok);
  EXPECT_EQ(GdipSaveAdd(first.get(), flush.get()), WrongState);  // the session is over

  if (HaveTool("tiffinfo")) {
    EXPECT_EQ(Shell("tiffinfo '" + path + "' 2>/dev/null | grep -c 'TIFF Directory'"), "3\n");
  }
  if (HaveTool("identify")) {
    EXPECT_EQ(Shell("identify -format '%wx%h ' '" + path + "'"), "30x20 16x12 40x8 ");
  }

  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(FrameCount(loaded.get(), FrameDimensionPage), 3u);
  const PixelFormat formats[] = {PixelFormat24bppRGB, PixelFormat8bppIndexed, PixelFormat1bppIndexed};
  GpBitmap* sources[] = {first.get(), second.get(), third.get()};
  for (UINT i = 0; i < 3; ++i) {
    ASSERT_EQ(GdipImageSelectActiveFrame(loaded.get(), &FrameDimensionPage, i), Ok);
    EXPECT_EQ(FormatOf(loaded.get()), formats[i]);
    EXPECT_EQ(ArgbPixels(loaded.get()), ArgbPixels(sources[i])) << "page " << i;
  }
}

TEST_F(CodecMultiFrame, DisposingAnImageWritesItsUnfinishedMultiFrameSave) {
  const std::string path = ScratchPath("unflushed.tif");
  {
    BitmapPtr first = MakePicture(12, 10, PixelFormat24bppRGB);
    BitmapPtr second = MakePicture(7, 5, PixelFormat24bppRGB);
    Params begin = SaveFlag(EncoderValueMultiFrame);
    ASSERT_EQ(Save(first.get(), path, EncoderClsidTIFF, &begin), Ok);
    Params page = SaveFlag(EncoderValueFrameDimensionPage);
    ASSERT_EQ(GdipSaveAddImage(first.get(), second.get(), page.get()), Ok);
  }  // no flush: disposing the image ends the save
  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(FrameCount(loaded.get(), FrameDimensionPage), 2u);
}

TEST_F(CodecMultiFrame, TiffMultiFrameSaveAddsTheImagesOwnFramesAndWritesToStreams) {
  BitmapPtr picture = MakePicture(10, 10, PixelFormat1bppIndexed);
  vx::ole::IStream* raw = nullptr;
  ASSERT_EQ(vx::ole::CreateStreamOnHGlobal(0, 1, &raw), vx::S_OK);
  vx::ole::ComPtr<vx::ole::IStream> stream(raw);
  Params begin;
  begin.Add(EncoderSaveFlag, EncoderValueMultiFrame).Add(EncoderCompression, EncoderValueCompressionCCITT4);
  ASSERT_EQ(GdipSaveImageToStream(picture.get(), stream.get(), &EncoderClsidTIFF, begin.get()), Ok);
  Params page = SaveFlag(EncoderValueFrameDimensionPage);
  ASSERT_EQ(GdipSaveAdd(picture.get(), page.get()), Ok);
  BitmapPtr colour = MakePicture(10, 10, PixelFormat24bppRGB);
  EXPECT_EQ(GdipSaveAddImage(picture.get(), colour.get(), page.get()), InvalidParameter);  // CCITT needs 1 bpp
  Params last = SaveFlag(EncoderValueLastFrame);
  ASSERT_EQ(GdipSaveAdd(picture.get(), last.get()), Ok);
  ASSERT_EQ(stream->Seek(0, vx::ole::STREAM_SEEK_SET, nullptr), vx::S_OK);
  GpImage* image = nullptr;
  ASSERT_EQ(GdipLoadImageFromStream(stream.get(), &image), Ok);
  ImagePtr loaded(image);
  EXPECT_EQ(FrameCount(loaded.get(), FrameDimensionPage), 2u);
  EXPECT_EQ(ArgbPixels(loaded.get()), ArgbPixels(picture.get()));
}

TEST_F(CodecMultiFrame, TiffCompressionAndDepthParameters) {
  struct Case {
    PixelFormat source;
    ULONG compression, depth;
    Status status;
    const char* tiffinfoScheme;
  };
  const Case cases[] = {
      {PixelFormat1bppIndexed, EncoderValueCompressionCCITT4, 0, Ok, "CCITT Group 4"},
      {PixelFormat1bppIndexed, EncoderValueCompressionCCITT3, 0, Ok, "CCITT Group 3"},
      {PixelFormat24bppRGB, EncoderValueCompressionCCITT4, 0, InvalidParameter, nullptr},
      {PixelFormat24bppRGB, EncoderValueCompressionCCITT4, 1, Ok, "CCITT Group 4"},
      {PixelFormat24bppRGB, EncoderValueCompressionLZW, 8, Ok, "LZW"},
      {PixelFormat24bppRGB, EncoderValueCompressionRle, 24, Ok, "PackBits"},
      {PixelFormat32bppARGB, EncoderValueCompressionNone, 32, Ok, "None"},
      {PixelFormat24bppRGB, EncoderValueCompressionLZW, 4, Ok, "LZW"},
      {PixelFormat24bppRGB, 99, 0, InvalidParameter, nullptr},
      {PixelFormat24bppRGB, EncoderValueCompressionLZW, 7, InvalidParameter, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.compression) + "/" + std::to_string(c.depth));
    BitmapPtr picture = MakePicture(12, 9, c.source);
    Params params;
    params.Add(EncoderCompression, c.compression);
    if (c.depth) params.Add(EncoderColorDepth, c.depth);
    const std::string path = ScratchPath(std::to_string(c.source & 0xff) + "c" + std::to_string(c.compression) + "d" +
                                         std::to_string(c.depth) + ".tif");
    ASSERT_EQ(Save(picture.get(), path, EncoderClsidTIFF, &params), c.status);
    if (c.status != Ok) {
      EXPECT_NE(::access(path.c_str(), F_OK), 0) << "nothing is written on failure";
      continue;
    }
    ImagePtr loaded = Load(path);
    ASSERT_TRUE(loaded);
    if (c.depth) {
      EXPECT_EQ(GetPixelFormatSize(FormatOf(loaded.get())), c.depth);
    }
    if (HaveTool("tiffinfo")) {
      EXPECT_NE(Shell("tiffinfo '" + path + "' 2>/dev/null").find(std::string("Compression Scheme: ") + c.tiffinfoScheme), std::string::npos);
    }
  }
}

class CodecAnimatedGif : public CodecMultiFrame {
 protected:
  void SetUp() override {
    CodecMultiFrame::SetUp();
    VX_REQUIRE_TOOL("convert");
    path_ = ScratchPath("anim.gif");
    // Three frames on a 20x10 screen: a red field, a blue square drawn over it (delay 20), and a
    // green square on a transparent frame that is disposed to background afterwards.
    const std::string command =
        "convert -loop 3 -dispose none -delay 10 -size 20x10 xc:red -comment 'made for tests' "
        "\\( -delay 20 -size 6x6 xc:blue -repage 20x10+2+2 \\) "
        "\\( -delay 30 -dispose background -size 4x4 xc:lime -repage 20x10+12+4 \\) '" + path_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  std::string path_;
};

TEST_F(CodecAnimatedGif, FramesAreCompositedInTheTimeDimension) {
  ImagePtr gif = Load(path_);
  ASSERT_TRUE(gif);
  UINT dimensions = 0;
  ASSERT_EQ(GdipImageGetFrameDimensionsCount(gif.get(), &dimensions), Ok);
  ASSERT_EQ(dimensions, 1u);
  GUID dimension;
  ASSERT_EQ(GdipImageGetFrameDimensionsList(gif.get(), &dimension, 1), Ok);
  EXPECT_TRUE(dimension == FrameDimensionTime);
  ASSERT_EQ(FrameCount(gif.get(), FrameDimensionTime), 3u);
  struct Probe {
    UINT frame;
    INT x, y;
    ARGB colour;
  };
  const Probe probes[] = {{0, 3, 3, 0xffff0000}, {1, 3, 3, 0xff0000ff}, {1, 0, 0, 0xffff0000},
                          {2, 13, 5, 0xff00ff00}, {2, 3, 3, 0xff0000ff}, {2, 19, 9, 0xffff0000}};
  for (const Probe& p : probes) {
    ASSERT_EQ(GdipImageSelectActiveFrame(gif.get(), &FrameDimensionTime, p.frame), Ok);
    EXPECT_EQ(FormatOf(gif.get()), PixelFormat32bppARGB);
    EXPECT_EQ(WidthOf(gif.get()), 20u);
    EXPECT_EQ(Pixel(gif.get(), p.x, p.y), p.colour) << "frame " << p.frame << " at " << p.x << "," << p.y;
  }
}

TEST_F(CodecAnimatedGif, DelaysLoopCountAndCommentAreProperties) {
  ImagePtr gif = Load(path_);
  ASSERT_TRUE(gif);
  WORD type = 0;
  const std::vector<uint8_t> delays = PropertyBytes(gif.get(), PropertyTagFrameDelay, &type);
  EXPECT_EQ(type, PropertyTagTypeLong);
  EXPECT_EQ(delays, (std::vector<uint8_t>{10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0}));
  // ImageMagick stores the repeats after the first play: -loop 3 is written as 2.
  EXPECT_EQ(PropertyBytes(gif.get(), PropertyTagLoopCount, &type), (std::vector<uint8_t>{2, 0}));
  EXPECT_EQ(type, PropertyTagTypeShort);
  const std::vector<uint8_t> comment = PropertyBytes(gif.get(), PropertyTagExifUserComment, &type);
  EXPECT_EQ(type, PropertyTagTypeASCII);
  EXPECT_EQ(std::string(comment.begin(), comment.end()), std::string("made for tests") + '\0');
  if (HaveTool("giftext")) {
    EXPECT_NE(Shell("giftext '" + path_ + "' 2>/dev/null").find("Image #3"), std::string::npos);
  }
}

TEST_F(CodecAnimatedGif, SingleFrameGifStaysIndexed) {
  const std::string single = ScratchPath("one.gif");
  ASSERT_EQ(std::system(("convert '" + path_ + "[1]' '" + single + "'").c_str()), 0);
  ImagePtr gif = Load(single);
  ASSERT_TRUE(gif);
  EXPECT_EQ(FormatOf(gif.get()), PixelFormat8bppIndexed);
  EXPECT_EQ(FrameCount(gif.get(), FrameDimensionTime), 1u);
}

}  // namespace
