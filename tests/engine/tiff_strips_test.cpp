// Strips of written TIFF pages: every TIFF writer, the platform's and the plug-in's, single and
// multi-page, gives LZW and Deflate strips large enough to compress, so its file comes within
// 10 % of the same pixels in one strip (as tiffcp rewrites them), and libtiff and ImageMagick
// read back the very pixels saved. The pages are text pages drawn by ImageMagick.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/saving_test_support.h"
#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"
#include "plugins/vximgplug_support.h"

namespace vx::engine {
namespace {

using saving_test::ScratchFolder;
using vximgplug_test::RunQuiet;

constexpr int32_t kFormatPng = 13;
constexpr int32_t kFormatTiff = 18;
constexpr int32_t kPluginLzw = 0x4000;
constexpr int32_t kPluginAdobeDeflate = 0x0200;
constexpr int32_t kLzw = 2;
constexpr int32_t kCcitt4 = 4;

uint64_t FileSize(const std::string& path) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes(FileSize(path));
  std::ifstream(path, std::ios::binary)
      .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Lines of words, as a letter or an invoice has them, the same in every run.
std::string PageText(int lines) {
  static const char* const words[] = {"invoice", "total", "amount", "the", "archive", "of", "page", "document",
                                      "scanned", "received", "payment", "due", "reference", "account", "and"};
  std::mt19937 random(7);
  std::string text;
  for (int l = 0; l < lines; ++l) {
    for (int w = 0; w < 11; ++w) text += std::string(words[random() % std::size(words)]) + (w < 10 ? " " : "\n");
  }
  return text;
}

// The ImageMagick arguments that turn the drawn colour page into a page of `bits` bits, up to
// the output file's name (true-colour PNG even where a palette would hold the colours).
std::string DepthArguments(int bits) {
  switch (bits) {
    case 1: return "-colorspace Gray -threshold 60% -type Bilevel ";
    case 8: return "-colorspace Gray -depth 8 -type Grayscale ";
    case 32: return "-depth 8 -alpha set -channel A -evaluate set 85% +channel PNG32:";
    default: return "-depth 8 PNG24:";
  }
}

struct Page {
  int width;
  int height;
  int bits;
  int lines = 0;  // of text; 0 fills the page
};

// A text page with a coloured stamp, as PNG.
std::string DrawPage(const std::string& folder, const Page& page) {
  const int lines = page.lines ? page.lines : page.height / 45;
  const std::string name = std::to_string(page.width) + "x" + std::to_string(page.height) + "_" +
                           std::to_string(page.bits) + "_" + std::to_string(page.lines);
  const std::string path = folder + "/" + name + ".png";
  const std::string command = "convert -size " + std::to_string(page.width) + "x" + std::to_string(page.height) +
                              " xc:'#faf8f0' -font Liberation-Serif -pointsize " + std::to_string(page.width / 60) +
                              " -fill '#141420' -annotate +" + std::to_string(page.width / 14) + "+" +
                              std::to_string(page.height / 15) + " '" + PageText(lines) +
                              "' -fill '#c81e1e' -draw 'rectangle " +
                              std::to_string(page.width * 3 / 4) + ",40 " + std::to_string(page.width - 60) +
                              ",160' " + DepthArguments(page.bits) + path;
  EXPECT_TRUE(RunQuiet(command)) << command;
  return path;
}

// RGBA bytes of a picture as ImageMagick decodes it (`[n]` picks a page).
std::vector<uint8_t> RgbaByImageMagick(const std::string& picture, const std::string& scratch) {
  const std::string out = scratch + "/decoded.rgba";
  EXPECT_TRUE(RunQuiet("convert '" + picture + "' -depth 8 rgba:" + out)) << picture;
  std::vector<uint8_t> bytes = ReadBytes(out);
  std::remove(out.c_str());
  return bytes;
}

// RGBA bytes of one page as libtiff decodes it row by row, expanded here from the layouts the
// writers use: bilevel and grey, palette, RGB and RGBA with eight bits a sample.
std::vector<uint8_t> RgbaByLibtiff(const std::string& path, uint16_t page) {
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
  if (!tif || !TIFFSetDirectory(tif.get(), page)) return {};
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1, photometric = 0;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (photometric == PHOTOMETRIC_PALETTE) TIFFGetField(tif.get(), TIFFTAG_COLORMAP, &red, &green, &blue);
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize64(tif.get())));
  std::vector<uint8_t> rgba(size_t{4} * width * height, 255);
  uint8_t* out = rgba.data();
  for (uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(tif.get(), row.data(), y, 0) < 0) return {};
    for (uint32_t x = 0; x < width; ++x, out += 4) {
      if (photometric == PHOTOMETRIC_RGB && bits == 8) {
        std::copy_n(&row[size_t{x} * samples], samples, out);
        continue;
      }
      const unsigned value = bits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
      if (photometric == PHOTOMETRIC_PALETTE && red) {
        out[0] = static_cast<uint8_t>(red[value] >> 8);
        out[1] = static_cast<uint8_t>(green[value] >> 8);
        out[2] = static_cast<uint8_t>(blue[value] >> 8);
        continue;
      }
      const unsigned grey = bits == 1 ? value * 255 : value;
      out[0] = out[1] = out[2] = static_cast<uint8_t>(photometric == PHOTOMETRIC_MINISWHITE ? 255 - grey : grey);
    }
  }
  return rgba;
}

// Whether libtiff decodes the whole first page to RGBA (JPEG strips included).
bool LibtiffDecodesWhole(const std::string& path) {
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
  uint32_t width = 0, height = 0;
  if (!tif || !TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
    return false;
  std::vector<uint32_t> raster(size_t{width} * height);
  return TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0) == 1;
}

uint32_t RowsPerStripOf(const std::string& path) {
  std::unique_ptr<TIFF, void (*)(TIFF*)> tif(TIFFOpen(path.c_str(), "r"), TIFFClose);
  uint32_t rows = 0;
  if (tif) TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &rows);
  return rows;
}

constexpr Page kLetter1{1700, 2200, 1}, kLetter8{1700, 2200, 8}, kLetter24{1700, 2200, 24}, kLetter32{1700, 2200, 32};
constexpr Page kA4Grey300{2480, 3508, 8}, kA4Colour100{827, 1169, 24}, kWideStrip{3000, 300, 24};
constexpr Page kShortLetter24{1700, 2200, 24, 4};  // mostly white, where LZW strips cost the most

enum class Writer { PlatformSave, PlatformMerge, PluginSave, PluginMultiPage };

struct Case {
  const char* name;
  Writer writer;
  Page page;
  int32_t compression;  // the member's or the plug-in's number
  const char* tiffcpCodec;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.name; }

class TiffStrips : public test_support::EngineTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InstallVximgplugReleaseHooks();
    ASSERT_TRUE(IsVximgplugAvailable());
  }

  // Saves the picture through the case's writer; multi-page writers write it as two pages.
  void Write(const Case& c, const std::string& picture, const std::string& out) {
    switch (c.writer) {
      case Writer::PlatformSave: {
        const int32_t id = engine_->CreateImageFromFile(picture);
        ASSERT_NE(id, 0);
        vexiro::SavingTestAccess::SetCurrent(*engine_, id);
        ASSERT_EQ(engine_->SaveAsTIFF(out, c.compression), vexiro::OK);
        engine_->CloseImage(id);
        return;
      }
      case Writer::PlatformMerge: {
        auto list = vexiro::BasicArray<std::string>::FromVector({picture, picture});
        ASSERT_EQ(engine_->TiffMergeFiles(list, out, c.compression), vexiro::OK);
        return;
      }
      case Writer::PluginSave: {
        PluginBitmap bitmap(Vximgplug().LoadU(kFormatPng, picture.c_str(), 0));
        ASSERT_TRUE(bitmap);
        ASSERT_EQ(Vximgplug().SaveU(kFormatTiff, bitmap.get(), out.c_str(), c.compression), 1);
        return;
      }
      case Writer::PluginMultiPage: {
        PluginBitmap bitmap(Vximgplug().LoadU(kFormatPng, picture.c_str(), 0));
        ASSERT_TRUE(bitmap);
        const uint32_t multi = Vximgplug().OpenMultiBitmap(kFormatTiff, out.c_str(), 1, 0, 0, 0);
        ASSERT_NE(multi, 0u);
        Vximgplug().AppendPage(multi, bitmap.get());
        Vximgplug().AppendPage(multi, bitmap.get());
        ASSERT_EQ(Vximgplug().CloseMultiBitmap(multi, c.compression), 1);
        return;
      }
    }
  }

  ScratchFolder folder_;
};

TEST_P(TiffStrips, WithinTenPerCentOfOneStripAndReadBackAsSaved) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("tiffcp");
  const Case& c = GetParam();
  const std::string picture = DrawPage(folder_.Path(), c.page);
  const std::string out = folder_.File("written.tif");
  Write(c, picture, out);
  if (HasFatalFailure()) return;

  const std::string single = folder_.File("one-strip.tif");
  ASSERT_TRUE(RunQuiet(std::string("tiffcp -c ") + c.tiffcpCodec + " -r 100000 " + out + " " + single));
  RecordProperty("bytes", std::to_string(FileSize(out)));
  RecordProperty("one_strip_bytes", std::to_string(FileSize(single)));
  EXPECT_LE(FileSize(out), FileSize(single) * 110 / 100) << "one strip: " << FileSize(single) << " bytes";

  const std::vector<uint8_t> saved = RgbaByImageMagick(picture, folder_.Path());
  ASSERT_EQ(saved.size(), size_t{4} * c.page.width * c.page.height);
  const bool twoPages = c.writer == Writer::PlatformMerge || c.writer == Writer::PluginMultiPage;
  for (uint16_t page = 0; page < (twoPages ? 2 : 1); ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    EXPECT_TRUE(RgbaByLibtiff(out, page) == saved) << "libtiff reads other pixels";
    EXPECT_TRUE(RgbaByImageMagick(out + "[" + std::to_string(page) + "]", folder_.Path()) == saved)
        << "ImageMagick reads other pixels";
  }
}


INSTANTIATE_TEST_SUITE_P(
    Writers, TiffStrips,
    ::testing::Values(Case{"PlatformLzw1", Writer::PlatformSave, kLetter1, kLzw, "lzw"},
                      Case{"PlatformLzw8", Writer::PlatformSave, kLetter8, kLzw, "lzw"},
                      Case{"PlatformLzw24", Writer::PlatformSave, kLetter24, kLzw, "lzw"},
                      Case{"PlatformLzw32", Writer::PlatformSave, kLetter32, kLzw, "lzw"},
                      Case{"PlatformLzwA4Grey", Writer::PlatformSave, kA4Grey300, kLzw, "lzw"},
                      Case{"PlatformLzwWide", Writer::PlatformSave, kWideStrip, kLzw, "lzw"},
                      Case{"PlatformLzwShortLetter", Writer::PlatformSave, kShortLetter24, kLzw, "lzw"},
                      Case{"PlatformG4", Writer::PlatformSave, kLetter1, kCcitt4, "g4"},
                      Case{"PlatformMergeLzw8", Writer::PlatformMerge, kLetter8, kLzw, "lzw"},
                      Case{"PlatformMergeG4", Writer::PlatformMerge, kLetter1, kCcitt4, "g4"},
                      Case{"PluginLzw24", Writer::PluginSave, kLetter24, kPluginLzw, "lzw"},
                      Case{"PluginLzw32", Writer::PluginSave, kLetter32, kPluginLzw, "lzw"},
                      Case{"PluginLzwShortLetter", Writer::PluginSave, kShortLetter24, kPluginLzw, "lzw"},
                      Case{"PluginDeflate1", Writer::PluginSave, kLetter1, kPluginAdobeDeflate, "zip"},
                      Case{"PluginDeflate8", Writer::PluginSave, kLetter8, kPluginAdobeDeflate, "zip"},
                      Case{"PluginDeflate24", Writer::PluginSave, kLetter24, kPluginAdobeDeflate, "zip"},
                      Case{"PluginDeflate32", Writer::PluginSave, kLetter32, kPluginAdobeDeflate, "zip"},
                      Case{"PluginMultiPageLzw8", Writer::PluginMultiPage, kLetter8, kPluginLzw, "lzw"},
                      Case{"PluginMultiPageDeflate24", Writer::PluginMultiPage, kLetter24, kPluginAdobeDeflate,
                           "zip"}),
    [](const auto& info) { return std::string(info.param.name); });

// Readers other than libtiff's own tools and ImageMagick read pages of several strips as saved:
// libvips, and Pillow (through /usr/bin/python3, whose modules Debian installs).
TEST_F(TiffStrips, VipsAndPillowReadPagesOfSeveralStrips) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("compare");
  VX_REQUIRE_TOOL("vips");
  VX_REQUIRE(RunQuiet("/usr/bin/python3 -c 'import PIL.Image'"), "Pillow", "python3-pil");
  const std::string picture = DrawPage(folder_.Path(), kLetter32);
  const Case writers[] = {{"platform", Writer::PlatformSave, kLetter32, kLzw, ""},
                          {"plug-in pages", Writer::PluginMultiPage, kLetter32, kPluginAdobeDeflate, ""}};
  for (const Case& c : writers) {
    SCOPED_TRACE(c.name);
    const std::string out = folder_.File("written.tif");
    Write(c, picture, out);
    ASSERT_LT(RowsPerStripOf(out), 2200u) << "the page should need several strips";
    const std::string byVips = folder_.File("vips.png");
    ASSERT_TRUE(RunQuiet("vips copy " + out + " " + byVips));
    EXPECT_EQ(saving_test::Shell("compare -metric AE " + byVips + " " + picture + " null: 2>&1"), "0");
    const std::string pillow = "from PIL import Image, ImageChops; import sys; a = Image.open(sys.argv[1]); a.load(); "
                               "b = Image.open(sys.argv[2]).convert(a.mode); "
                               "print(a.size == b.size and ImageChops.difference(a, b).getbbox() is None)";
    EXPECT_EQ(vximgplug_test::Shell("/usr/bin/python3 -c '" + pillow + "' " + out + " " + picture), "True");
  }
}

// JPEG-in-TIFF takes its strips by the same rule: a page below the strip size is one strip, a
// larger one strips of a whole number of JPEG blocks, and both read back at their size.
TEST_F(TiffStrips, JpegInTiffStripsFollowTheSameRule) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  const struct {
    Page page;
    uint32_t rows;
  } cases[] = {{kA4Colour100, 1169}, {kLetter24, 1648}, {kLetter8, 2200}};
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.page.width) + "x" + std::to_string(k.page.height) + "x" +
                 std::to_string(k.page.bits));
    const int32_t id = engine_->CreateImageFromFile(DrawPage(folder_.Path(), k.page));
    ASSERT_NE(id, 0);
    vexiro::SavingTestAccess::SetCurrent(*engine_, id);
    const std::string out = folder_.File("jpeg.tif");
    ASSERT_EQ(engine_->SaveAsTIFFjpg(out), vexiro::OK);
    engine_->CloseImage(id);
    EXPECT_EQ(RowsPerStripOf(out), k.rows);
    EXPECT_EQ(vximgplug_test::Shell("identify -format '%w %h %[tiff:rows-per-strip]' '" + out + "'"),
              std::to_string(k.page.width) + " " + std::to_string(k.page.height) + " " + std::to_string(k.rows));
    EXPECT_TRUE(LibtiffDecodesWhole(out));
  }
}

}  // namespace
}  // namespace vx::engine

namespace vx::tiff {
namespace {

// The rule itself: a page of up to the strip size whole, a larger one cut into strips of at
// least that size in multiples of 16 rows, never more rows than the page has.
TEST(RowsPerStrip, WholePageOrStripsOfTheTargetSize) {
  const struct {
    uint64_t rowBytes;
    uint32_t height;
    uint32_t rows;
  } cases[] = {
      {5100, 2200, 1648},            // 8 MiB / 5100 = 1644.8, up to 16s
      {1700, 2200, 2200},            // 3.7 MB: one strip
      {213, 2200, 2200},             // bilevel
      {kStripTargetBytes, 100, 16},  // a row as large as the target: 16 rows, the least a JPEG strip takes
      {kStripTargetBytes, 10, 10},   // ... but never more than the page
      {4096, 2048, 2048},            // exactly the target: whole
      {4096, 2049, 2048},            // one row more: 2048 rows, then one
      {0, 100, 100},
      {100, 0, 1},
      {uint64_t{1} << 40, 65535, 16},
  };
  for (const auto& c : cases) EXPECT_EQ(RowsPerStrip(c.rowBytes, c.height), c.rows) << c.rowBytes << " x " << c.height;
}

}  // namespace
}  // namespace vx::tiff
