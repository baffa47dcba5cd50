#include <gtest/gtest.h>

#include "engine/save/encoder_table.h"
#include "engine_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

ImageCodecInfo Codec(uint32_t tag, const char* masks) {
  ImageCodecInfo c;
  c.Clsid = MakeGuid(tag, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  c.FilenameExtension = masks;
  return c;
}

TEST(EncoderTable, MaskLookupIgnoresCase) {
  const ImageCodecInfo codecs[] = {
      Codec(10, "*.BMP;*.DIB;*.RLE"),
      Codec(11, "*.JPG;*.JPEG;*.JPE;*.JFIF"),
      Codec(12, " *.A; *.B "),
      Codec(13, nullptr),
      Codec(14, "*.GIF;*.JPG"),
  };
  BuildEncoderTableFrom(codecs, 5);
  EXPECT_EQ(EncoderCount(), 5);
  const struct {
    const char* mask;
    int32_t index;
  } cases[] = {
      {"*.BMP", 0}, {"*.rle", 0}, {"*.jpg", 1}, {"*.JpEg", 1}, {"*.jfif", 1},
      {"*.B", 2},   {" *.a", 2},  {"*.A", -1},  {"*.gif", 4}, {"*.png", -1},
      {"", -1},     {"*.JPG;", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(FindEncoderIndex(c.mask), c.index) << "'" << c.mask << "'";

  CLSID clsid;
  GetEncoderClsid(clsid, 4);
  EXPECT_EQ(clsid.Data1, 14u);
  GetEncoderClsid(clsid, 99);
  EXPECT_EQ(clsid.Data1, 14u) << "an index outside the table leaves the CLSID alone";

  ClearEncoderTable();
  EXPECT_EQ(FindEncoderIndex("*.BMP"), -1) << "a table never built finds nothing";
}

using PlatformEncoders = test_support::EngineTest;

TEST_F(PlatformEncoders, MasksOfTheBuiltInEncoders) {
  const struct {
    const char* mask;
    CLSID clsid;
  } cases[] = {
      {"*.bmp", EncoderClsidBMP}, {"*.jpeg", EncoderClsidJPEG}, {"*.GIF", EncoderClsidGIF},
      {"*.tif", EncoderClsidTIFF}, {"*.Png", EncoderClsidPNG},
  };
  for (const auto& c : cases) {
    const int32_t index = FindEncoderIndex(c.mask);
    ASSERT_GE(index, 0) << c.mask;
    CLSID clsid;
    GetEncoderClsid(clsid, index);
    EXPECT_EQ(clsid, c.clsid) << c.mask;
  }
}

}  // namespace
}  // namespace vx::engine
