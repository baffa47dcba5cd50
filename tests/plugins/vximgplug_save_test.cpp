// Saving the write formats: the files read back by ImageMagick with the right size, format and
// row order; TIFF-JPEG carries compression 7; failed saves leave no file behind.
#include <sys/stat.h>

#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 12;

// A picture whose top half is red and bottom half blue, rows given top row first.
uint32_t RedOverBlue24() {
  std::vector<uint8_t> rows(kWidth * 3 * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = &rows[(y * kWidth + x) * 3];
      const bool top = y < kHeight / 2;
      p[0] = top ? 0 : 255;  // blue
      p[1] = 0;
      p[2] = top ? 255 : 0;  // red
    }
  }
  return Api().ConvertFromRawBits(rows.data(), kWidth, kHeight, kWidth * 3, 24, 0, 0, 0, 1);
}

// Top half black, bottom half white, 1 bit per pixel with palette black, white.
uint32_t BlackOverWhite1() {
  const int pitch = 4;
  std::vector<uint8_t> rows(pitch * kHeight, 0);
  for (int y = kHeight / 2; y < kHeight; ++y) std::fill_n(&rows[y * pitch], pitch, 0xFF);
  const uint32_t bitmap = Api().ConvertFromRawBits(rows.data(), kWidth, kHeight, pitch, 1, 0, 0, 0, 1);
  auto* palette = static_cast<uint8_t*>(Api().GetPalette(bitmap));
  const uint8_t entries[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  std::copy(entries, entries + 8, palette);
  return bitmap;
}

uint32_t Grey8(uint32_t colour) { return Api().ConvertToGreyscale(colour); }

enum class Look { Any, RedOverBlue, DarkOverLight };

// What ImageMagick sees at the top-left and bottom-left pixels of a file.
bool LooksRight(const std::string& path, Look look) {
  const std::string bottom = "p{0," + std::to_string(kHeight - 1) + "}";
  std::string fx;
  if (look == Look::RedOverBlue)
    fx = "%[fx:p{0,0}.r>0.8&&p{0,0}.b<0.2]%[fx:" + bottom + ".b>0.8&&" + bottom + ".r<0.2]";
  if (look == Look::DarkOverLight) fx = "%[fx:p{0,0}.intensity<0.2]%[fx:" + bottom + ".intensity>0.8]";
  return look == Look::Any || Shell("convert '" + path + "' -auto-orient -format '" + fx + "' info:") == "11";
}

enum class Source { Colour, Bilevel, Grey, Float };

struct SaveCase {
  const char* file;
  int32_t format;
  int32_t flags;
  Source source;
  const char* identifyFormat;
  Look look;
};

const SaveCase kSaveCases[] = {
    {"a.j2k", 30, 16, Source::Colour, "J2K", Look::RedOverBlue},
    {"a.jp2", 31, 1, Source::Colour, "JP2", Look::RedOverBlue},
    {"a.exr", 29, 0, Source::Float, "EXR", Look::RedOverBlue},
    {"zip.exr", 29, 4, Source::Float, "EXR", Look::RedOverBlue},
    {"a.ico", 1, 0, Source::Colour, "ICO", Look::RedOverBlue},
    {"a.pbm", 7, 0, Source::Bilevel, "PBM", Look::DarkOverLight},
    {"a.jbg", 35, 0, Source::Bilevel, "JBG", Look::DarkOverLight},
    {"a.tga", 17, 0, Source::Colour, "TGA", Look::RedOverBlue},
    {"a.tif", 18, -32768, Source::Colour, "TIFF", Look::Any},
    {"grey.tif", 18, -32768, Source::Grey, "TIFF", Look::Any},
    {"a.wbmp", 19, 0, Source::Bilevel, "WBMP", Look::DarkOverLight},
    {"a.xpm", 23, 0, Source::Grey, "XPM", Look::Any},
    {"grey.jpg", 2, 90, Source::Grey, "JPEG", Look::Any},
};

uint32_t MakeSource(Source source) {
  switch (source) {
    case Source::Bilevel: return BlackOverWhite1();
    case Source::Grey: {
      BitmapHandle colour(RedOverBlue24());
      return Grey8(colour.get());
    }
    case Source::Float: {
      BitmapHandle colour(RedOverBlue24());
      return Api().ConvertToRGBF(colour.get());
    }
    case Source::Colour: break;
  }
  return RedOverBlue24();
}

class SaveFormats : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveFormats, WritesAFileAnotherToolReadsUpright) {
  VX_REQUIRE_TOOL("identify");
  const SaveCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / c.file;
  BitmapHandle bitmap(MakeSource(c.source));
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(Api().SaveU(c.format, bitmap.get(), path.c_str(), c.flags), 1);
  EXPECT_EQ(Shell("identify -format '%m %w %h' '" + path + "'"),
            std::string(c.identifyFormat) + " " + std::to_string(kWidth) + " " + std::to_string(kHeight));
  EXPECT_TRUE(LooksRight(path, c.look));
  EXPECT_EQ(folder.Files().size(), 1u);  // no temporary file left beside it
}

INSTANTIATE_TEST_SUITE_P(Plugin, SaveFormats, ::testing::ValuesIn(kSaveCases), [](const auto& info) {
  std::string name = info.param.file;
  for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

// Noise, so that the JPEG quality shows in the file size.
uint32_t Noise24() {
  std::vector<uint8_t> rows(kWidth * 3 * kHeight);
  uint32_t state = 12345;
  for (uint8_t& b : rows) {
    state = state * 1103515245u + 12345u;
    b = static_cast<uint8_t>(state >> 24);
  }
  return Api().ConvertFromRawBits(rows.data(), kWidth, kHeight, kWidth * 3, 24, 0, 0, 0, 1);
}

TEST(SaveTiffJpeg, CompressionSevenAtTheQualitySet) {
  VX_REQUIRE_TOOL("tiffinfo");
  TempFolder folder;
  BitmapHandle bitmap(Noise24());
  const std::string low = folder / "low.tif", high = folder / "high.tif";
  Api().SetTiffJpegCompression(5);
  ASSERT_EQ(Api().SaveU(18, bitmap.get(), low.c_str(), -32768), 1);
  Api().SetTiffJpegCompression(130);  // clamped to 100
  ASSERT_EQ(Api().SaveU(18, bitmap.get(), high.c_str(), 0x8000), 1);
  Api().SetTiffJpegCompression(75);
  for (const std::string& path : {low, high}) {
    EXPECT_NE(Shell("tiffinfo '" + path + "'").find("Compression Scheme: JPEG"), std::string::npos);
    EXPECT_EQ(Shell("tiffdump '" + path + "' | grep -E '^Compression \\(259\\)' | grep -o '<7>'"), "<7>");
  }
  EXPECT_LT(ReadBytes(low).size(), ReadBytes(high).size());
  BitmapHandle picture(RedOverBlue24());
  const std::string upright = folder / "upright.tif";
  ASSERT_EQ(Api().SaveU(18, picture.get(), upright.c_str(), -32768), 1);
  EXPECT_TRUE(LooksRight(upright, Look::RedOverBlue));
}

// The deflate flags swap meaning against the backing library: 0x0200 must give code 8.
TEST(SaveTiff, CompressionFlagsGiveTheirCodes) {
  VX_REQUIRE_TOOL("tiffdump");
  struct FlagCase {
    int32_t flags;
    const char* code;
  } cases[] = {{0x0800, "<1>"}, {0x0100, "<32773>"}, {0x0200, "<8>"}, {0x0400, "<32946>"}, {0x4000, "<5>"}};
  TempFolder folder;
  BitmapHandle bitmap(RedOverBlue24());
  for (const FlagCase& c : cases) {
    const std::string path = folder / ("f" + std::to_string(c.flags) + ".tif");
    ASSERT_EQ(Api().SaveU(18, bitmap.get(), path.c_str(), c.flags), 1);
    EXPECT_EQ(Shell("tiffdump '" + path + "' | grep -E '^Compression \\(259\\)' | grep -o '<[0-9]*>'"), c.code)
        << c.flags;
  }
  BitmapHandle bilevel(BlackOverWhite1());
  const std::string g4 = folder / "g4.tif";
  ASSERT_EQ(Api().SaveU(18, bilevel.get(), g4.c_str(), 0x2000), 1);
  EXPECT_EQ(Shell("tiffdump '" + g4 + "' | grep -E '^Compression \\(259\\)' | grep -o '<[0-9]*>'"), "<4>");
}

TEST(SaveFailures, LeaveNoFileAndKeepAnExistingOne) {
  TempFolder folder;
  BitmapHandle colour(RedOverBlue24());
  const std::string existing = folder / "keep.jbg";
  WriteBytes(existing, {'o', 'l', 'd'});
  // JBIG takes bilevel bitmaps only: the save fails and the old file stays as it was.
  EXPECT_EQ(Api().SaveU(35, colour.get(), existing.c_str(), 0), 0);
  EXPECT_EQ(ReadBytes(existing), (std::vector<uint8_t>{'o', 'l', 'd'}));
  // Formats nobody writes, unknown bitmaps and folders that do not exist.
  EXPECT_EQ(Api().SaveU(4, colour.get(), (folder / "a.koa").c_str(), 0), 0);
  EXPECT_EQ(Api().SaveU(27, colour.get(), (folder / "a.g3").c_str(), 0), 0);
  EXPECT_EQ(Api().SaveU(17, 0, (folder / "a.tga").c_str(), 0), 0);
  EXPECT_EQ(Api().SaveU(17, 987654321, (folder / "a.tga").c_str(), 0), 0);
  EXPECT_EQ(Api().SaveU(17, colour.get(), (folder / "no/such/dir/a.tga").c_str(), 0), 0);
  EXPECT_EQ(Api().SaveU(17, colour.get(), "", 0), 0);
  // An icon larger than icons go.
  std::vector<uint8_t> big(300 * 3 * 2, 0);
  BitmapHandle wide(Api().ConvertFromRawBits(big.data(), 300, 2, 900, 24, 0, 0, 0, 1));
  EXPECT_EQ(Api().SaveU(1, wide.get(), (folder / "big.ico").c_str(), 0), 0);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"keep.jbg"});
}

// Bilevel round trips through the plug-in's own JBIG and fax readers keep black black: the
// bitmaps come back white-is-zero with their black bits set.
TEST(SaveJbig, ReadsBackWithBlackBitsSet) {
  TempFolder folder;
  BitmapHandle source(BlackOverWhite1());
  const std::string path = folder / "round.jbg";
  ASSERT_EQ(Api().SaveU(35, source.get(), path.c_str(), 0), 1);
  EXPECT_EQ(Api().GetFileTypeU(path.c_str(), 0), 35);
  BitmapHandle back(Api().LoadU(35, path.c_str(), 0));
  ASSERT_TRUE(back);
  EXPECT_EQ(Api().GetPhotoMetric(back.get()), 0);
  const uint8_t* bits = Api().GetBits(back.get());
  const int pitch = Api().GetPitch(back.get());
  EXPECT_EQ(bits[0], 0x00);                            // bottom row: white
  EXPECT_EQ(bits[(kHeight - 1) * pitch], 0xFF);        // top row: black
}

TEST(SaveJpeg2000, SmallPicturesAndLossless) {
  TempFolder folder;
  std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
  BitmapHandle tiny(Api().ConvertFromRawBits(pixels.data(), 2, 2, 6, 24, 0, 0, 0, 1));
  const std::string path = folder / "tiny.jp2";
  ASSERT_EQ(Api().SaveU(31, tiny.get(), path.c_str(), 1), 1);
  BitmapHandle back(Api().LoadU(31, path.c_str(), 0));
  ASSERT_TRUE(back);
  ASSERT_EQ(Api().GetBPP(back.get()), 24);
  // Lossless: every sample comes back.
  EXPECT_EQ(PixelAt(back.get(), 0, 0), 0x1E140Au);
  EXPECT_EQ(PixelAt(back.get(), 1, 1), 0x786E64u);
}

}  // namespace
