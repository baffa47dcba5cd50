#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/routines/shared_routines.h"
#include "platform/ole/ole.h"

#include "engine_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using ImagesFromMemory = EngineTest;

TEST_F(ImagesFromMemory, BadScan0InputRegistersNothing) {
  std::vector<uint8_t> pixels(64);
  const auto p = reinterpret_cast<intptr_t>(pixels.data());
  const struct {
    int32_t w, h, stride;
    PixelFormat format;
    intptr_t pixels;
  } cases[] = {
      {0, 4, 16, PixelFormat32bppARGB, p},          // no width
      {4, -1, 16, PixelFormat32bppARGB, p},         // negative height
      {4, 4, 12, PixelFormat32bppARGB, p},          // stride too small for the width
      {4, 4, -12, PixelFormat32bppARGB, p},         // the same, bottom-up
      {4, 4, 16, 0x12345, p},                       // unknown format over caller memory
      {100000, 100000, 0, PixelFormat64bppARGB, 0},  // beyond the supported size
  };
  for (const auto& c : cases) {
    int32_t id = 77;
    EXPECT_NE(CreateImageFromScan0(c.w, c.h, c.stride, c.format, c.pixels, id, false), vexiro::OK)
        << c.w << "x" << c.h << " stride " << c.stride;
    EXPECT_EQ(id, 0);
    EXPECT_EQ(ImageSlotCount(), 0);
  }
}

TEST_F(ImagesFromMemory, StreamCreatorWithoutStream) {
  int32_t id = 5;
  EXPECT_EQ(CreateImageFromStreamObject(nullptr, id, false), vexiro::InvalidParameter);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(ImageSlotCount(), 0);
}

TEST_F(ImagesFromMemory, ClonesAndThumbnailsOfUnknownSources) {
  int32_t id = 0;
  EXPECT_NE(CloneImage(id, 424242), vexiro::OK);
  ASSERT_NE(id, 0) << "a clone is registered even when it failed, for the caller to release";
  EXPECT_EQ(GetGpImage(id), nullptr);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);

  EXPECT_NE(CreateImageThumbnail(424242, 8, 8, id), vexiro::OK);
  EXPECT_NE(id, 0);
  EXPECT_EQ(GetGpImage(id), nullptr);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);

  EXPECT_NE(CreateImageThumbnail(0, 8, 8, id), vexiro::OK);
  EXPECT_EQ(id, 0) << "no source at all registers nothing";
  EXPECT_EQ(ImageSlotCount(), 0);
}

TEST_F(ImagesFromMemory, CloneKeepsPixels) {
  const int32_t source = MakeImage(3, 3, PixelFormat32bppARGB);
  ASSERT_EQ(SetImagePixel(source, 2, 1, 0xFF102030u), vexiro::OK);
  int32_t clone = 0, area = 0;
  ASSERT_EQ(CloneImage(clone, source), vexiro::OK);
  ASSERT_EQ(CloneImageArea(1, 1, 2, 2, PixelFormat24bppRGB, source, area), vexiro::OK);
  ARGB c = 0;
  GetImagePixel(clone, 2, 1, c);
  EXPECT_EQ(c, 0xFF102030u);
  GetImagePixel(area, 1, 0, c);
  EXPECT_EQ(c, 0xFF102030u);
  EXPECT_EQ(GetImagePixelFormatValue(area), PixelFormat24bppRGB);
}

TEST_F(ImagesFromMemory, ConvertingInPlaceKeepsIdentifierResolutionAndMetadata) {
  const int32_t id = MakeImage(5, 4, PixelFormat24bppRGB);
  ASSERT_EQ(SetImageResolution(id, 150, 300), vexiro::OK);
  ASSERT_EQ(SetImagePixel(id, 1, 1, 0xFFFFFFFFu), vexiro::OK);
  char description[] = "hello";
  PropertyItem item;
  item.id = PropertyTagImageDescription;
  item.type = PropertyTagTypeASCII;
  item.length = sizeof(description);
  item.value = description;
  ASSERT_EQ(GdipSetPropertyItem(GetGpImage(id), &item), Ok);

  int32_t newId = 0;
  ASSERT_EQ(ConvertImagePixelFormat(id, PixelFormat8bppIndexed, false, newId), vexiro::OK);
  EXPECT_EQ(newId, id);
  EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat8bppIndexed);
  EXPECT_EQ(FindImageRecord(id)->Kind, KindOwnedScan0);
  float h = 0, v = 0;
  GetImageHorizontalResolution(id, h);
  GetImageVerticalResolution(id, v);
  EXPECT_EQ(h, 150.0f);
  EXPECT_EQ(v, 300.0f);
  int32_t size = 0;
  EXPECT_EQ(GetImagePropertyItemSize(id, PropertyTagImageDescription, size), vexiro::OK);
  EXPECT_GT(size, 0);
  ARGB c = 0;
  GetImagePixel(id, 1, 1, c);
  EXPECT_EQ(c, 0xFFFFFFFFu);
  GetImagePixel(id, 0, 0, c);
  EXPECT_EQ(c, 0xFF000000u);
}

TEST_F(ImagesFromMemory, ConvertingUnknownOrEmptyImages) {
  int32_t newId = 0;
  EXPECT_EQ(ConvertImagePixelFormat(31337, PixelFormat24bppRGB, true, newId), vexiro::InvalidParameter);
  int32_t empty = 0;
  RegisterImage(empty, nullptr, "", "", KindGeneric);
  EXPECT_EQ(ConvertImagePixelFormat(empty, PixelFormat24bppRGB, true, newId), vexiro::GenericError);
  EXPECT_EQ(newId, 0);
  EXPECT_EQ(CopyImageToOwnMemory(31337, newId), vexiro::InvalidParameter);
  EXPECT_EQ(ForceValidation(31337), vexiro::InvalidParameter);
}

TEST_F(ImagesFromMemory, SameIndexedFormatKeepsThePalette) {
  for (PixelFormat format : {PixelFormat1bppIndexed, PixelFormat4bppIndexed, PixelFormat8bppIndexed}) {
    const int32_t id = MakeImage(4, 2, format);
    ColorPalette palette;
    palette.Count = 1u << GetPixelFormatSize(format);
    for (UINT i = 0; i < palette.Count; ++i) palette.Entries[i] = 0xFF000000u | (i * 0x010203u + 0x400000u);
    ASSERT_EQ(SetImagePaletteRaw(id, palette), vexiro::OK);
    test_support::WriteRow(id, 1, {0x81, 0x81, 0x81, 0x81});
    ARGB before = 0;
    GetImagePixel(id, 0, 1, before);

    int32_t copy = 0;
    ASSERT_EQ(CopyImageToOwnMemory(id, copy), vexiro::OK);
    int32_t converted = 0;
    ASSERT_EQ(ConvertImagePixelFormat(id, format, true, converted), vexiro::OK);
    for (int32_t made : {copy, converted}) {
      EXPECT_EQ(GetImagePixelFormatValue(made), format);
      ARGB after = 0;
      GetImagePixel(made, 0, 1, after);
      EXPECT_EQ(after, before) << "format " << std::hex << format;
      int32_t bytes = 0;
      ColorPalette back;
      ASSERT_EQ(GetImagePaletteSize(made, bytes), vexiro::OK);
      ASSERT_EQ(GetImagePalette(made, back, bytes), vexiro::OK);
      EXPECT_EQ(back.Count, palette.Count);
      EXPECT_EQ(back.Entries[1], palette.Entries[1]);
    }
  }
}

TEST_F(ImagesFromMemory, EightBitImageFromRows) {
  // Two rows of three pixels, each padded to four bytes, top row first.
  const uint8_t rows[] = {0, 1, 2, 0xEE, 2, 1, 0, 0xEE};
  const ColorPalette palette = test_support::PaletteOf({0x00000000u, 0x00FF0000u, 0x000000FFu});
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromDIBits(id, 2, 3, rows, sizeof(rows), palette), vexiro::OK);
  EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat8bppIndexed);
  const struct {
    int32_t x, y;
    ARGB colour;
  } cases[] = {{0, 0, 0xFF000000u}, {1, 0, 0xFFFF0000u}, {2, 0, 0xFF0000FFu}, {0, 1, 0xFF0000FFu}};
  for (const auto& c : cases) {
    ARGB got = 0;
    GetImagePixel(id, c.x, c.y, got);
    EXPECT_EQ(got, c.colour) << c.x << "," << c.y;
  }
  int32_t none = 0;
  EXPECT_EQ(CreateImageFromDIBits(none, 2, 3, rows, sizeof(rows) - 1, palette), vexiro::InvalidParameter);
  EXPECT_EQ(CreateImageFromDIBits(none, 0, 3, rows, sizeof(rows), palette), vexiro::InvalidParameter);
  EXPECT_EQ(CreateImageFromDIBits(none, 2, 3, nullptr, 0, palette), vexiro::InvalidParameter);
  EXPECT_EQ(none, 0);
  EXPECT_EQ(ImageSlotCount(), 1);
}

}  // namespace
}  // namespace vx::engine

namespace vx::engine {
namespace {

using namespace vx::gdiplus;

class ImagesFromFiles : public test_support::EngineTest {
 protected:
  // A 4 x 3 PNG written by the platform's encoder; the caller deletes it.
  std::string WritePng() {
    const int32_t id = test_support::MakeImage(4, 3, PixelFormat24bppRGB);
    EXPECT_EQ(SetImagePixel(id, 3, 2, 0xFF808000u), vexiro::OK);
    const std::string path = GetTempFilePath();
    EXPECT_EQ(GdipSaveImageToFile(GetGpImage(id), path.c_str(), &EncoderClsidPNG, nullptr), Ok);
    ReleaseImage(id);
    return path;
  }
};

TEST_F(ImagesFromFiles, FileAndStreamCreators) {
  const std::string path = WritePng();
  for (bool icm : {false, true}) {
    int32_t id = 0;
    ASSERT_EQ(icm ? CreateImageFromFileGdiPlusICM(path, id) : CreateImageFromFileGdiPlus(path, id), vexiro::OK);
    EXPECT_EQ(FindImageRecord(id)->Kind, KindFile);
    EXPECT_EQ(GetImageFormatName(id), "PNG");
    ARGB c = 0;
    GetImagePixel(id, 3, 2, c);
    EXPECT_EQ(c, 0xFF808000u);
  }
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ole::ComPtr<ole::IStream> stream;
  ASSERT_EQ(ole::CreateStreamOnMemory(bytes.data(), bytes.size(), stream.put()), S_OK);
  int32_t fromStream = 0;
  ASSERT_EQ(CreateImageFromStreamObject(stream.get(), fromStream, false), vexiro::OK);
  EXPECT_EQ(FindImageRecord(fromStream)->Kind, KindGeneric);
  EXPECT_EQ(GetImageFormatName(fromStream), "PNG");
  DeleteFileQuietly(path);

  int32_t missing = 7;
  EXPECT_NE(CreateImageFromFileGdiPlus(path, missing), vexiro::OK);
  EXPECT_EQ(missing, 0);
  const std::string garbage = "not an image at all";
  ole::ComPtr<ole::IStream> bad;
  ASSERT_EQ(ole::CreateStreamOnMemory(garbage.data(), garbage.size(), bad.put()), S_OK);
  EXPECT_NE(CreateImageFromStreamObject(bad.get(), missing, true), vexiro::OK);
  EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace vx::engine
