// Row order of loaded bitmaps: JPEG, PNG, J2K and JP2 come with their top row first in memory,
// every other format with its bottom row first; the header's height sign says which, and a
// save writes the picture the right way up whatever the order. (ImageMagick's TGA writer marks
// top-down rows as bottom-up, so TGA is not among the fixtures.)
#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

struct OrderCase {
  const char* file;
  int32_t format;
  bool topRowFirst;
};

const OrderCase kOrderCases[] = {
    {"a.jpg", 2, true},  {"a.png", 13, true}, {"a.j2k", 30, true}, {"a.jp2", 31, true},
    {"a.bmp", 0, false}, {"a.tif", 18, false}, {"a.ppm", 15, false},
    {"a.psd", 20, false}, {"a.sgi", 28, false},
};

bool Reddish(uint32_t rgb) { return (rgb >> 16) > 200 && (rgb & 0xFF) < 60; }
bool Bluish(uint32_t rgb) { return (rgb & 0xFF) > 200 && (rgb >> 16) < 60; }

uint32_t FirstPixelInMemory(uint32_t bitmap) {
  const uint8_t* p = Api().GetBits(bitmap);
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

int32_t InfoHeight(uint32_t bitmap) {
  int32_t height;
  std::memcpy(&height, static_cast<const uint8_t*>(Api().GetInfo(bitmap)) + 8, 4);
  return height;
}

class RowOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(RowOrder, MemoryOrderHeaderSignAndUprightSave) {
  VX_REQUIRE_TOOL("convert");
  const OrderCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / c.file;
  const std::string prefix = c.format == 0 ? "bmp3:" : c.format == 13 ? "png24:" : "";
  ASSERT_TRUE(RunQuiet("convert -size 16x16 xc:red -size 16x16 xc:blue -append -depth 8 -type TrueColor " + prefix +
                       path));
  BitmapHandle bitmap(Api().LoadU(c.format, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  ASSERT_EQ(Api().GetBPP(bitmap.get()), 24);
  const uint32_t first = FirstPixelInMemory(bitmap.get());
  EXPECT_TRUE(c.topRowFirst ? Reddish(first) : Bluish(first)) << std::hex << first;
  EXPECT_EQ(InfoHeight(bitmap.get()), c.topRowFirst ? -32 : 32);
  EXPECT_TRUE(Reddish(PixelAt(bitmap.get(), 0, 0)));
  EXPECT_TRUE(Bluish(PixelAt(bitmap.get(), 0, 31)));

  // Flipping reverses the rows in memory; the picture the bitmap saves stays upright.
  ASSERT_EQ(Api().FlipVertical(bitmap.get()), 1);
  EXPECT_EQ(InfoHeight(bitmap.get()), c.topRowFirst ? 32 : -32);
  const uint32_t flipped = FirstPixelInMemory(bitmap.get());
  EXPECT_TRUE(c.topRowFirst ? Bluish(flipped) : Reddish(flipped)) << std::hex << flipped;
  const std::string out = folder / "out.tga";
  ASSERT_EQ(Api().SaveU(17, bitmap.get(), out.c_str(), 0), 1);
  EXPECT_EQ(Shell("convert '" + out + "' -auto-orient -format '%[fx:p{0,0}.r>0.8&&p{0,0}.b<0.2]' info:"), "1");
  // Conversions keep the row order of their source.
  BitmapHandle grey(Api().ConvertToGreyscale(bitmap.get()));
  EXPECT_EQ(InfoHeight(grey.get()), InfoHeight(bitmap.get()));
}

INSTANTIATE_TEST_SUITE_P(Plugin, RowOrder, ::testing::ValuesIn(kOrderCases), [](const auto& info) {
  std::string name = info.param.file;
  for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

// Rows of a 24-bit `bitmap` that differ from `expected`, ImageMagick's RGB rows top first.
int WrongRows(uint32_t bitmap, const std::vector<uint8_t>& expected, int width, int height) {
  if (expected.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 3) return height;
  const bool topRowFirst = InfoHeight(bitmap) < 0;
  const uint8_t* bits = Api().GetBits(bitmap);
  const size_t pitch = Api().GetPitch(bitmap);
  int wrongRows = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bits + pitch * static_cast<size_t>(topRowFirst ? y : height - 1 - y);
    const uint8_t* want = expected.data() + static_cast<size_t>(width) * 3 * static_cast<size_t>(y);
    for (int x = 0; x < width * 3; x += 3)
      if (row[x] != want[x + 2] || row[x + 1] != want[x + 1] || row[x + 2] != want[x]) {
        ++wrongRows;
        break;
      }
  }
  return wrongRows;
}

// A picture tall enough to come from the decoding helper in many batches, large ones first and
// smaller toward its end, arrives row for row as ImageMagick decodes it, in either row order.
TEST(RowOrder, ATallPictureArrivesRowForRow) {
  VX_REQUIRE_TOOL("convert");
  constexpr int kWidth = 1200, kHeight = 1500;
  TempFolder folder;
  const std::string raw = folder / "expected.rgb";
  for (const auto& [file, format] : {std::pair{"t.tif", 18}, std::pair{"t.png", 13}, std::pair{"t.bmp", 0}}) {
    SCOPED_TRACE(file);
    const std::string path = folder / file;
    ASSERT_TRUE(RunQuiet("convert -size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                         " xc:gray -seed 5 +noise Random -depth 8 -type TrueColor -compress none " +
                         (format == 0 ? "bmp3:" : format == 13 ? "png24:" : "") + path));
    ASSERT_TRUE(RunQuiet("convert " + path + " -depth 8 rgb:" + raw));
    const std::vector<uint8_t> expected = ReadBytes(raw);
    ASSERT_EQ(expected.size(), size_t{kWidth} * kHeight * 3);
    BitmapHandle bitmap(Api().LoadU(format, path.c_str(), 0));
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(Api().GetBPP(bitmap.get()), 24);
    EXPECT_EQ(WrongRows(bitmap.get(), expected, kWidth, kHeight), 0);
  }
}

// Pictures loaded one after another, each into the memory the one before it left (at least half
// its size), arrive as ImageMagick decodes them, and the padding at their rows' ends is zero
// whatever the earlier picture held there.
TEST(RowOrder, PicturesInMemoryAnEarlierOneLeftArriveWhole) {
  VX_REQUIRE_TOOL("convert");
  TempFolder folder;
  const std::string raw = folder / "expected.rgb";
  int seed = 1;
  for (const auto& [width, height] : {std::pair{320, 240}, std::pair{301, 199}, std::pair{263, 181}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const std::string path = folder / ("p" + std::to_string(seed) + ".tif");
    ASSERT_TRUE(RunQuiet("convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                         " xc:gray -seed " + std::to_string(seed++) +
                         " +noise Random -depth 8 -type TrueColor -compress none " + path));
    ASSERT_TRUE(RunQuiet("convert " + path + " -depth 8 rgb:" + raw));
    BitmapHandle bitmap(Api().LoadU(18, path.c_str(), 0));
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(Api().GetBPP(bitmap.get()), 24);
    EXPECT_EQ(WrongRows(bitmap.get(), ReadBytes(raw), width, height), 0);
    const uint8_t* bits = Api().GetBits(bitmap.get());
    const size_t pitch = Api().GetPitch(bitmap.get());
    int paddingSet = 0;
    for (size_t y = 0; y < static_cast<size_t>(height); ++y)
      for (size_t x = static_cast<size_t>(width) * 3; x < pitch; ++x) paddingSet += bits[y * pitch + x] != 0;
    EXPECT_EQ(paddingSet, 0);
  }
}

}  // namespace
