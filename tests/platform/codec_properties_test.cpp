// Property items through JPEG (EXIF block) and TIFF (tags): items keep id, type, count and bytes
// over a save and a reload, land in the EXIF and GPS directories another reader expects, and
// big-endian EXIF written by another tool is read into the platform's little-endian items.
#include <gtest/gtest.h>

#include "codec_test_tools.h"
#include "support/required_tool.h"

using namespace codec_test;

namespace {

class CodecProperties : public Session {};

struct Item {
  PROPID id;
  WORD type;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Text(const std::string& s) {
  std::vector<uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

std::vector<uint8_t> Longs(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> v;
  for (uint32_t x : values)
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
  return v;
}

const std::vector<Item>& Items() {
  static const std::vector<Item> items = {
      {0x010E, PropertyTagTypeASCII, Text("a test picture")},
      {0x013B, PropertyTagTypeASCII, Text("vexiro tests")},
      {0x0110, PropertyTagTypeASCII, Text("Model 7")},
      {0x829A, PropertyTagTypeRational, Longs({1, 250})},
      {0x9003, PropertyTagTypeASCII, Text("2024:01:02 03:04:05")},
      {0x9286, PropertyTagTypeUndefined, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}},
      {0x8827, PropertyTagTypeShort, {200, 0}},
      {0x9204, PropertyTagTypeSRational, Longs({0xFFFFFFFFu, 3})},
      {0xA002, PropertyTagTypeLong, Longs({640})},
      {0x0001, PropertyTagTypeASCII, Text("N")},
      {0x0002, PropertyTagTypeRational, Longs({48, 1, 51, 1, 2940, 100})},
  };
  return items;
}

void SetItems(GpImage* image) {
  for (const Item& item : Items()) {
    PropertyItem p;
    p.id = item.id;
    p.type = item.type;
    p.length = static_cast<ULONG>(item.bytes.size());
    p.value = const_cast<uint8_t*>(item.bytes.data());
    ASSERT_EQ(GdipSetPropertyItem(image, &p), Ok) << std::hex << item.id;
  }
}

bool ReadItem(GpImage* image, PROPID id, Item& out) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, id, &size) != Ok) return false;
  std::vector<uint8_t> buffer(size);
  auto* p = reinterpret_cast<PropertyItem*>(buffer.data());
  if (GdipGetPropertyItem(image, id, size, p) != Ok) return false;
  const auto* value = static_cast<const uint8_t*>(p->value);
  out = {p->id, p->type, std::vector<uint8_t>(value, value + p->length)};
  return true;
}

void ExpectItemsSurvive(const CLSID& encoder, const char* extension) {
  BitmapPtr picture = MakePicture(16, 16, PixelFormat24bppRGB);
  SetItems(picture.get());
  const std::string path = ScratchPath(std::string("items.") + extension);
  ASSERT_EQ(Save(picture.get(), path, encoder), Ok);
  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  for (const Item& expected : Items()) {
    Item actual;
    ASSERT_TRUE(ReadItem(loaded.get(), expected.id, actual)) << std::hex << expected.id;
    EXPECT_EQ(actual.type, expected.type) << std::hex << expected.id;
    EXPECT_EQ(actual.bytes, expected.bytes) << std::hex << expected.id;
  }
  if (!HaveTool("exiftool")) return;
  const std::string seen = Shell("exiftool -s -s -s -n -ImageDescription -Artist -Model -ExposureTime -DateTimeOriginal -ISO "
                                 "-ExposureCompensation -ExifImageWidth -GPSLatitudeRef -GPSLatitude '" + path + "'");
  EXPECT_EQ(seen,
            "a test picture\nvexiro tests\nModel 7\n0.004\n2024:01:02 03:04:05\n200\n-0.3333333333\n640\nN\n48.8581666666667\n");
}

TEST_F(CodecProperties, ItemsSurviveAJpegRoundTrip) { ExpectItemsSurvive(EncoderClsidJPEG, "jpg"); }
TEST_F(CodecProperties, ItemsSurviveATiffRoundTrip) { ExpectItemsSurvive(EncoderClsidTIFF, "tif"); }

TEST_F(CodecProperties, BigEndianExifBecomesLittleEndianItems) {
  VX_REQUIRE_TOOL("exiftool");
  VX_REQUIRE_TOOL("convert");
  const std::string path = ScratchPath("motorola.jpg");
  ASSERT_EQ(std::system(("convert -size 8x8 xc:gray '" + path + "'").c_str()), 0);
  ASSERT_EQ(std::system(("exiftool -q -overwrite_original -ExifByteOrder=Big-endian -Artist=someone -ExposureTime=1/60 "
                         "-ISO=400 -GPSLatitude=10.5 -GPSLatitudeRef=S '" + path + "'").c_str()),
            0);
  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  const Item expected[] = {{0x013B, PropertyTagTypeASCII, Text("someone")},
                           {0x829A, PropertyTagTypeRational, Longs({1, 60})},
                           {0x8827, PropertyTagTypeShort, {0x90, 0x01}},
                           {0x0001, PropertyTagTypeASCII, Text("S")}};
  for (const Item& e : expected) {
    Item actual;
    ASSERT_TRUE(ReadItem(loaded.get(), e.id, actual)) << std::hex << e.id;
    EXPECT_EQ(actual.type, e.type);
    EXPECT_EQ(actual.bytes, e.bytes) << std::hex << e.id;
  }
  Item latitude;
  ASSERT_TRUE(ReadItem(loaded.get(), 0x0002, latitude));
  EXPECT_EQ(latitude.type, PropertyTagTypeRational);
  EXPECT_EQ(latitude.bytes.size(), 24u);
}

TEST_F(CodecProperties, JpegWithoutJfifDensityTakesItsResolutionFromExif) {
  VX_REQUIRE_TOOL("exiftool");
  VX_REQUIRE_TOOL("convert");
  const std::string path = ScratchPath("exifdpi.jpg");
  ASSERT_EQ(std::system(("convert -size 8x8 xc:gray -units Undefined -density 1x1 '" + path + "'").c_str()), 0);
  ASSERT_EQ(std::system(("exiftool -q -overwrite_original -XResolution=118 -YResolution=59 -ResolutionUnit=cm '" + path + "'").c_str()), 0);
  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  REAL x = 0, y = 0;
  ASSERT_EQ(GdipGetImageHorizontalResolution(loaded.get(), &x), Ok);
  ASSERT_EQ(GdipGetImageVerticalResolution(loaded.get(), &y), Ok);
  EXPECT_NEAR(x, 118 * 2.54, 0.01);
  EXPECT_NEAR(y, 59 * 2.54, 0.01);
}

TEST_F(CodecProperties, PlatformOwnItemsAreNotWrittenIntoFiles) {
  BitmapPtr picture = MakePicture(8, 8, PixelFormat24bppRGB);
  const std::vector<uint8_t> delay = Longs({10});
  PropertyItem p;
  p.id = PropertyTagFrameDelay;
  p.type = PropertyTagTypeLong;
  p.length = 4;
  p.value = const_cast<uint8_t*>(delay.data());
  ASSERT_EQ(GdipSetPropertyItem(picture.get(), &p), Ok);
  const std::string path = ScratchPath("plain.jpg");
  ASSERT_EQ(Save(picture.get(), path, EncoderClsidJPEG), Ok);
  ImagePtr loaded = Load(path);
  UINT count = 99;
  ASSERT_EQ(GdipGetPropertyCount(loaded.get(), &count), Ok);
  EXPECT_EQ(count, 0u);
}

}  // namespace
