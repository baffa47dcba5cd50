// A TIFF file opened for changing through the plug-in's multi-page bitmap: closing it unchanged
// leaves every byte as it was; closing it with a page changed and one appended writes the file's
// pages in order, the changed one as changed, each with the strips of the shared rule. The file
// is made by ImageMagick, which (with tiffinfo) also reads back what was written.
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"
#include "support/required_tool.h"
#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr int32_t kFormatPng = 13;
constexpr int32_t kFormatTiff = 18;
constexpr int32_t kLzw = 0x4000;
constexpr int kWidth = 1700, kHeight = 2200;  // 24-bit pages of several strips

std::string Size() { return std::to_string(kWidth) + "x" + std::to_string(kHeight); }

std::string ColourOfPage(const std::string& path, int page) {
  return Shell("convert '" + path + "[" + std::to_string(page) + "]' -format '%[hex:p{10,10}]' info:");
}

std::vector<std::string> RowsPerStrip(const std::string& path) {
  std::vector<std::string> rows;
  const std::string info = Shell("tiffinfo '" + path + "' 2>/dev/null");
  const std::string key = "Rows/Strip: ";
  for (size_t at = info.find(key); at != std::string::npos; at = info.find(key, at + 1)) {
    const size_t start = at + key.size();
    rows.push_back(info.substr(start, info.find_first_of(" \n", start) - start));
  }
  return rows;
}

class TiffRewrite : public ::testing::Test {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("convert");
    VX_REQUIRE_TOOL("tiffinfo");
    path_ = folder_ / "pages.tif";
    ASSERT_TRUE(RunQuiet("convert -size " + Size() + " xc:red xc:blue -depth 8 -type TrueColor -compress lzw '" + path_ + "'"));
  }
  TempFolder folder_;
  std::string path_;
};

TEST_F(TiffRewrite, ClosedUnchangedLeavesTheFileAsItWas) {
  const std::vector<uint8_t> before = ReadBytes(path_);
  const uint32_t multi = Api().OpenMultiBitmap(kFormatTiff, path_.c_str(), 0, 0, 0, 0);
  ASSERT_NE(multi, 0u);
  const uint32_t page = Api().LockPage(multi, 1);
  ASSERT_NE(page, 0u);
  Api().UnlockPage(multi, page, 0);
  EXPECT_EQ(Api().CloseMultiBitmap(multi, kLzw), 1);
  EXPECT_TRUE(ReadBytes(path_) == before);
}

TEST_F(TiffRewrite, AChangedAndAnAppendedPageAreWrittenInOrderWithTheRulesStrips) {
  const std::string green = folder_ / "green.png";
  ASSERT_TRUE(RunQuiet("convert -size " + Size() + " xc:lime PNG24:'" + green + "'"));
  const uint32_t multi = Api().OpenMultiBitmap(kFormatTiff, path_.c_str(), 0, 0, 0, 0);
  ASSERT_NE(multi, 0u);
  const uint32_t page = Api().LockPage(multi, 1);
  ASSERT_NE(page, 0u);
  ASSERT_EQ(Api().Invert(page), 1);  // blue becomes yellow
  Api().UnlockPage(multi, page, 1);
  BitmapHandle appended(Api().LoadU(kFormatPng, green.c_str(), 0));
  ASSERT_TRUE(appended);
  Api().AppendPage(multi, appended.get());
  ASSERT_EQ(Api().CloseMultiBitmap(multi, kLzw), 1);

  EXPECT_EQ(ColourOfPage(path_, 0), "FF0000");
  EXPECT_EQ(ColourOfPage(path_, 1), "FFFF00");
  EXPECT_EQ(ColourOfPage(path_, 2), "00FF00");
  const std::string rule = std::to_string(vx::tiff::RowsPerStrip(vx::tiff::StoredRowBytes(kWidth, 24), kHeight));
  EXPECT_EQ(RowsPerStrip(path_), (std::vector<std::string>{rule, rule, rule}));
}

}  // namespace
