// Every format the plug-in reads, from fixtures ImageMagick writes: found by content, loaded
// with its size and depth.
#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

struct ReadCase {
  const char* file;
  const char* make;  // ImageMagick arguments writing the file into the folder ("{}" = path)
  int32_t format;
  int32_t width, height, bpp;
};

constexpr const char* kPicture = "-size 6x4 gradient:red-blue -depth 8";
constexpr const char* kBilevel = "-size 10x5 pattern:checkerboard -monochrome";

const ReadCase kReadCases[] = {
    {"a.bmp", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor bmp3:{}", 0, 6, 4, 24},
    {"a.ico", "-size 16x16 gradient:red-blue -depth 8 {}", 1, 16, 16, 32},
    {"a.jpg", "-size 6x4 gradient:red-blue -depth 8 {}", 2, 6, 4, 24},
    {"a.jng", "-size 6x4 gradient:red-blue -depth 8 {}", 3, 6, 4, 24},
    {"a.mng", "-size 6x4 gradient:red-blue -depth 8 {}", 6, 6, 4, 8},
    {"a.pbm", "-size 10x5 pattern:checkerboard -monochrome -compress none {}", 7, 10, 5, 1},
    {"raw.pbm", "-size 10x5 pattern:checkerboard -monochrome {}", 8, 10, 5, 1},
    {"a.pcd", "-size 6x4 gradient:red-blue -depth 8 {}", 9, 768, 512, 24},
    {"a.pcx", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 10, 6, 4, 24},
    {"a.pgm", "-size 6x4 gradient:red-blue -depth 8 -colorspace Gray -compress none {}", 11, 6, 4, 8},
    {"raw.pgm", "-size 6x4 gradient:red-blue -depth 8 -colorspace Gray {}", 12, 6, 4, 8},
    {"a.png", "-size 6x4 gradient:red-blue -depth 8 png24:{}", 13, 6, 4, 24},
    {"a.ppm", "-size 6x4 gradient:red-blue -depth 8 -compress none {}", 14, 6, 4, 24},
    {"raw.ppm", "-size 6x4 gradient:red-blue -depth 8 {}", 15, 6, 4, 24},
    {"a.ras", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 16, 6, 4, 24},
    {"a.tga", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 17, 6, 4, 24},
    {"a.tif", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 18, 6, 4, 24},
    {"a.wbmp", "-size 10x5 pattern:checkerboard -monochrome {}", 19, 10, 5, 1},
    {"a.psd", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 20, 6, 4, 24},
    {"a.xbm", "-size 10x5 pattern:checkerboard -monochrome {}", 22, 10, 5, 1},
    {"a.xpm", "-size 6x4 gradient:red-blue -depth 8 -colors 8 {}", 23, 6, 4, 8},
    {"a.dds", "-size 8x4 gradient:red-blue -depth 8 -define dds:compression=none {}", 24, 8, 4, 24},
    {"a.gif", "-size 6x4 gradient:red-blue -depth 8 {}", 25, 6, 4, 4},
    {"a.hdr", "-size 6x4 gradient:red-blue -depth 8 {}", 26, 6, 4, 96},
    {"a.g3", "-size 10x5 pattern:checkerboard -monochrome g3:{}", 27, 1728, 5, 1},
    {"a.sgi", "-size 6x4 gradient:red-blue -depth 8 -type TrueColor {}", 28, 6, 4, 24},
    {"a.exr", "-size 6x4 gradient:red-blue -depth 8 {}", 29, 6, 4, 0},
    {"a.j2k", "-size 6x4 gradient:red-blue -depth 8 {}", 30, 6, 4, 24},
    {"a.jp2", "-size 6x4 gradient:red-blue -depth 8 {}", 31, 6, 4, 24},
    {"a.pfm", "-size 6x4 gradient:red-blue -depth 8 {}", 32, 6, 4, 96},
    {"a.pict", "-size 6x4 gradient:red-blue -depth 8 {}", 33, 6, 4, 32},
    {"a.jbg", "-size 10x5 pattern:checkerboard -monochrome {}", 35, 10, 5, 1},
};

class ReadFormats : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadFormats, DetectsAndLoadsWithSizeAndDepth) {
  VX_REQUIRE_TOOL("convert");
  const ReadCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / c.file;
  std::string make = c.make;
  make.replace(make.find("{}"), 2, path);
  ASSERT_TRUE(RunQuiet("convert " + make)) << make;
  const VximgplugApi& api = Api();

  EXPECT_EQ(api.GetFileTypeU(path.c_str(), 0), c.format);
  BitmapHandle bitmap(api.LoadU(c.format, path.c_str(), 0));
  ASSERT_TRUE(bitmap) << c.file;
  EXPECT_EQ(api.GetWidth(bitmap.get()), c.width);
  EXPECT_EQ(api.GetHeight(bitmap.get()), c.height);
  if (c.bpp) {
    EXPECT_EQ(api.GetBPP(bitmap.get()), c.bpp);
  } else {
    EXPECT_GE(api.GetBPP(bitmap.get()), 48);  // half or full floats, as the file holds them
  }
  EXPECT_GE(api.GetPitch(bitmap.get()), (c.width * api.GetBPP(bitmap.get()) + 7) / 8);
  EXPECT_NE(api.GetBits(bitmap.get()), nullptr);
}

// Damaged copies of every fixture: cut short, with bytes flipped through the file, and with a
// scrambled header behind the signature. Each load fails or gives a bitmap of sane size.
TEST_P(ReadFormats, DamagedFilesFailOrLoadSafely) {
  VX_REQUIRE_TOOL("convert");
  const ReadCase& c = GetParam();
  TempFolder folder;
  const std::string good = folder / c.file;
  std::string make = c.make;
  make.replace(make.find("{}"), 2, good);
  ASSERT_TRUE(RunQuiet("convert " + make));
  const std::vector<uint8_t> bytes = ReadBytes(good);
  ASSERT_GT(bytes.size(), 8u);

  std::vector<std::vector<uint8_t>> damaged;
  for (size_t cut : {bytes.size() / 2, bytes.size() - 1, std::min<size_t>(16, bytes.size() - 2), size_t{4}})
    damaged.emplace_back(bytes.begin(), bytes.begin() + static_cast<long>(cut));
  for (int k = 1; k < 8; ++k) {
    std::vector<uint8_t> flipped = bytes;
    for (size_t i = bytes.size() * k / 8; i < bytes.size() && i < bytes.size() * k / 8 + 4; ++i) flipped[i] ^= 0xFF;
    damaged.push_back(std::move(flipped));
  }
  uint32_t state = 99;
  for (size_t start : {size_t{4}, size_t{8}, size_t{12}}) {
    std::vector<uint8_t> scrambled = bytes;
    for (size_t i = start; i < scrambled.size() && i < start + 24; ++i) {
      state = state * 1103515245u + 12345u;
      scrambled[i] = static_cast<uint8_t>(state >> 24);
    }
    damaged.push_back(std::move(scrambled));
  }
  std::vector<uint8_t> huge = bytes;  // every size field at its largest
  for (size_t i = 4; i < huge.size() && i < 24; ++i) huge[i] = 0xFF;
  damaged.push_back(std::move(huge));

  const std::string bad = folder / (std::string("bad-") + c.file);
  for (size_t i = 0; i < damaged.size(); ++i) {
    WriteBytes(bad, damaged[i]);
    Api().GetFileTypeU(bad.c_str(), 0);
    BitmapHandle bitmap(Api().LoadU(c.format, bad.c_str(), 0));
    if (bitmap) {
      EXPECT_GT(Api().GetWidth(bitmap.get()), 0) << i;
      EXPECT_LE(Api().GetWidth(bitmap.get()), 65535) << i;
      EXPECT_LE(static_cast<int64_t>(Api().GetWidth(bitmap.get())) * Api().GetHeight(bitmap.get()), int64_t{1} << 28);
      EXPECT_NE(Api().GetBits(bitmap.get()), nullptr);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Plugin, ReadFormats, ::testing::ValuesIn(kReadCases), [](const auto& info) {
  std::string name = info.param.file;
  for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return name;
});

// KOALA (C64) pictures are a load address and 10001 bytes: no tool writes them here, but the
// layout is fixed, so the test writes one itself.
TEST(ReadFormats, KoalaPicture) {
  TempFolder folder;
  const std::string path = folder / "a.koa";
  std::vector<uint8_t> bytes(10003, 0);
  bytes[1] = 0x60;
  WriteBytes(path, bytes);
  EXPECT_EQ(Api().GetFileTypeU(path.c_str(), 0), 4);
  BitmapHandle bitmap(Api().LoadU(4, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(Api().GetWidth(bitmap.get()), 320);
  EXPECT_EQ(Api().GetHeight(bitmap.get()), 200);
}

// Dr. Halo CUT: no tool writes it here either; rows of run-length data after a small header.
TEST(ReadFormats, HaloCutPictureFoundByItsRows) {
  TempFolder folder;
  const std::string path = folder / "a.cut";
  std::vector<uint8_t> bytes = {5, 0, 3, 0, 0, 0};
  for (uint8_t level : {10, 20, 30}) {
    const uint8_t row[] = {3, 0, 0x85, level, 0};  // one run of five pixels, then end of row
    bytes.insert(bytes.end(), row, row + sizeof row);
  }
  WriteBytes(path, bytes);
  EXPECT_EQ(Api().GetFileTypeU(path.c_str(), 0), 21);
  BitmapHandle bitmap(Api().LoadU(21, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(Api().GetWidth(bitmap.get()), 5);
  EXPECT_EQ(Api().GetHeight(bitmap.get()), 3);
  EXPECT_EQ(Api().GetBPP(bitmap.get()), 8);
  EXPECT_EQ(Api().GetBits(bitmap.get())[0], 30);  // bottom row first
  // One row short of its width is no CUT file.
  bytes[8] = 0x84;
  WriteBytes(path, bytes);
  EXPECT_EQ(Api().GetFileTypeU(path.c_str(), 0), -1);
}

// An IFF ILBM (LBM) picture of one bit plane, 16 x 2, built chunk by chunk.
TEST(ReadFormats, InterleavedBitmapPicture) {
  auto be16 = [](std::vector<uint8_t>& v, int x) {
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
  };
  auto be32 = [&](std::vector<uint8_t>& v, uint32_t x) {
    be16(v, static_cast<int>(x >> 16));
    be16(v, static_cast<int>(x & 0xFFFF));
  };
  auto chunk = [&](std::vector<uint8_t>& v, const char* id, const std::vector<uint8_t>& data) {
    v.insert(v.end(), id, id + 4);
    be32(v, static_cast<uint32_t>(data.size()));
    v.insert(v.end(), data.begin(), data.end());
  };
  std::vector<uint8_t> header;
  be16(header, 16);
  be16(header, 2);
  be16(header, 0);
  be16(header, 0);
  header.insert(header.end(), {1, 0, 0, 0});  // one plane, no mask, no compression
  be16(header, 0);
  header.insert(header.end(), {1, 1});
  be16(header, 16);
  be16(header, 2);
  std::vector<uint8_t> form = {'I', 'L', 'B', 'M'};
  chunk(form, "BMHD", header);
  chunk(form, "CMAP", {0, 0, 0, 255, 255, 255});
  chunk(form, "BODY", {0xFF, 0x00, 0x0F, 0xF0});
  std::vector<uint8_t> file;
  chunk(file, "FORM", form);

  TempFolder folder;
  const std::string path = folder / "a.lbm";
  WriteBytes(path, file);
  EXPECT_EQ(Api().GetFileTypeU(path.c_str(), 0), 5);
  BitmapHandle bitmap(Api().LoadU(5, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(Api().GetWidth(bitmap.get()), 16);
  EXPECT_EQ(Api().GetHeight(bitmap.get()), 2);
}

TEST(ReadFormats, NamesAndUnknownContent) {
  const VximgplugApi& api = Api();
  EXPECT_EQ(api.GetFIFFromFilenameU("x/a.JBG"), 35);
  EXPECT_EQ(api.GetFIFFromFilenameU("a.g3"), 27);
  EXPECT_EQ(api.GetFIFFromFilenameU("a.tiff"), 18);
  EXPECT_EQ(api.GetFIFFromFilenameU("a.webp"), -1);  // outside the table
  EXPECT_EQ(api.GetFIFFromFilenameU("noextension"), -1);
  TempFolder folder;
  const std::string text = folder / "text.png";
  WriteBytes(text, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
  EXPECT_EQ(api.GetFileTypeU(text.c_str(), 0), -1);
  EXPECT_EQ(api.LoadU(13, text.c_str(), 0), 0u);
  EXPECT_EQ(api.GetFileTypeU((folder / "missing.png").c_str(), 0), -1);
  // Twelve zero bits then a one look like a fax line start; without fax data behind it they
  // are not taken for one.
  const std::string zeros = folder / "zeros.bin";
  WriteBytes(zeros, {0x00, 0x10, 0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56});
  EXPECT_EQ(api.GetFileTypeU(zeros.c_str(), 0), -1);
  EXPECT_EQ(api.LoadU(13, (folder / "missing.png").c_str(), 0), 0u);
  EXPECT_EQ(api.LoadU(-1, text.c_str(), 0), 0u);
  EXPECT_EQ(api.LoadU(36, text.c_str(), 0), 0u);
}

// A loader asked for a format the content plainly contradicts refuses instead of decoding
// another format's bytes.
TEST(ReadFormats, ContentContradictingTheFormatIsRefused) {
  VX_REQUIRE_TOOL("convert");
  TempFolder folder;
  const std::string png = folder / "a.png";
  ASSERT_TRUE(RunQuiet(std::string("convert ") + kPicture + " " + png));
  EXPECT_EQ(Api().LoadU(17, png.c_str(), 0), 0u);  // TARGA has no signature of its own
  EXPECT_EQ(Api().LoadU(35, png.c_str(), 0), 0u);
  EXPECT_EQ(Api().LoadU(27, png.c_str(), 0), 0u);
  (void)kBilevel;
}

}  // namespace
