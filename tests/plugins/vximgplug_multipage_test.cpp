// Multi-page files: opening TIFF and GIF over a file handle, locking pages, writing new
// multi-page files page by page, and the animation settings of GIF frames.
#include <array>

#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

// An 8-bit bitmap of one palette colour.
uint32_t Solid8(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  const int pitch = (width + 3) & ~3;
  std::vector<uint8_t> rows(static_cast<size_t>(pitch) * height, 1);
  const uint32_t bitmap = Api().ConvertFromRawBits(rows.data(), width, height, pitch, 8, 0, 0, 0, 1);
  auto* palette = static_cast<uint8_t*>(Api().GetPalette(bitmap));
  palette[4] = b;
  palette[5] = g;
  palette[6] = r;
  return bitmap;
}

struct OpenedMulti {
  uint32_t file = 0, multi = 0;
  ~OpenedMulti() {
    if (multi) Api().CloseMultiBitmap(multi, 0);
    if (file) Api().CloseFileHandle(file);
  }
};

OpenedMulti OpenForReading(const std::string& path, int32_t format, int32_t flags) {
  OpenedMulti opened;
  opened.file = Api().OpenFileU(path.c_str());
  opened.multi = Api().OpenMultiBitmapU(format, flags, opened.file);
  return opened;
}

struct PagesCase {
  const char* file;
  int32_t format;
  int32_t flags;
};

class ReadPages : public ::testing::TestWithParam<PagesCase> {};

TEST_P(ReadPages, OpenLockUnlockClose) {
  VX_REQUIRE_TOOL("convert");
  const PagesCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / c.file;
  ASSERT_TRUE(RunQuiet("convert -size 8x6 xc:red -size 8x6 xc:lime -size 8x6 xc:blue " + path));
  OpenedMulti opened = OpenForReading(path, c.format, c.flags);
  ASSERT_NE(opened.file, 0u);
  ASSERT_NE(opened.multi, 0u);
  EXPECT_EQ(Api().GetPageCount(opened.multi), 3);

  const uint32_t page = Api().LockPage(opened.multi, 2);
  ASSERT_NE(page, 0u);
  EXPECT_EQ(Api().GetWidth(page), 8);
  EXPECT_EQ(Api().GetHeight(page), 6);
  BitmapHandle rgb(Api().ConvertTo24Bits(page));
  EXPECT_EQ(PixelAt(rgb.get(), 3, 3), 0x0000FFu);
  Api().UnlockPage(opened.multi, page, 0);
  EXPECT_EQ(Api().GetWidth(page), 0);  // the handle is gone with the lock

  EXPECT_EQ(Api().LockPage(opened.multi, 3), 0u);
  EXPECT_EQ(Api().LockPage(opened.multi, -1), 0u);
  // The file handle may go first: the multi-page bitmap keeps reading from it.
  Api().CloseFileHandle(opened.file);
  opened.file = 0;
  const uint32_t first = Api().LockPage(opened.multi, 0);
  EXPECT_EQ(Api().GetWidth(first), 8);
  // Closing with a page still locked gives the page back.
  EXPECT_EQ(Api().CloseMultiBitmap(opened.multi, 0), 1);
  opened.multi = 0;
  EXPECT_EQ(Api().GetWidth(first), 0);
}

INSTANTIATE_TEST_SUITE_P(Plugin, ReadPages,
                         ::testing::Values(PagesCase{"three.tif", 18, 0}, PagesCase{"three.gif", 25, 2}),
                         [](const auto& info) { return std::string(info.param.format == 18 ? "Tiff" : "Gif"); });

// A 4 x 2 grey TIFF of one uncompressed strip (at 8 bits, rows 0x10.. and 0x50..).
std::vector<uint8_t> LonePageTiff(uint16_t bitsPerSample) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0, 16, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
  auto put16 = [&b](uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  const std::vector<std::array<uint32_t, 3>> entries = {{256, 3, 4}, {257, 3, 2}, {258, 3, bitsPerSample},
                                                        {259, 3, 1}, {262, 3, 1}, {273, 4, 8},
                                                        {277, 3, 1}, {278, 3, 2}, {279, 4, 8}};
  put16(static_cast<uint32_t>(entries.size()));
  for (const auto& [tag, type, value] : entries) put16(tag), put16(type), put32(1), put32(value);
  put32(0);
  return b;
}

struct LonePageCase {
  const char* name;
  uint16_t bitsPerSample;
  bool decodes;
};

class LonePage : public ::testing::TestWithParam<LonePageCase> {};

// The lone page of a TIFF file is counted from its directory, not decoded to be counted: a page
// that cannot be decoded still opens as one page, but neither locks nor loads.
TEST_P(LonePage, CountedFromItsDirectoryAndDecodedWhenUsed) {
  const LonePageCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / "one.tif";
  WriteBytes(path, LonePageTiff(c.bitsPerSample));
  OpenedMulti viaFile = OpenForReading(path, 18, 0);
  for (const uint32_t multi : {viaFile.multi, Api().OpenMultiBitmap(18, path.c_str(), 0, 1, 0, 0),
                               Api().OpenMultiBitmap(18, path.c_str(), 0, 0, 0, 0)}) {
    ASSERT_NE(multi, 0u);
    EXPECT_EQ(Api().GetPageCount(multi), 1);
    const uint32_t page = Api().LockPage(multi, 0);
    EXPECT_EQ(page != 0, c.decodes);
    if (page) {
      BitmapHandle rgb(Api().ConvertTo24Bits(page));
      EXPECT_EQ(PixelAt(rgb.get(), 3, 1), 0x808080u);
      Api().UnlockPage(multi, page, 0);
    }
    if (multi != viaFile.multi) {
      EXPECT_EQ(Api().CloseMultiBitmap(multi, 0), 1);
    }
  }
  BitmapHandle loaded(Api().LoadU(18, path.c_str(), 0));
  ASSERT_EQ(loaded.get() != 0, c.decodes);
  if (loaded) {
    EXPECT_EQ(Api().GetWidth(loaded.get()), 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Plugin, LonePage,
                         ::testing::Values(LonePageCase{"Sound", 8, true},
                                           LonePageCase{"DepthTheDecoderRefuses", 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WritePages, AnimatedGifKeepsDelaysDisposalAndLoopCount) {
  TempFolder folder;
  const std::string path = folder / "anim.gif";
  const uint32_t multi = Api().OpenMultiBitmap(25, path.c_str(), 1, 0, 0, 0);
  ASSERT_NE(multi, 0u);
  const int delays[] = {100, 200, 300};
  const uint8_t colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  for (int i = 0; i < 3; ++i) {
    BitmapHandle frame(Solid8(10, 7, colours[i][0], colours[i][1], colours[i][2]));
    EXPECT_EQ(Api().WriteFrameDelay(frame.get(), delays[i]), 1);
    if (i == 1) {
      EXPECT_EQ(Api().WriteFrameDisposal(frame.get(), 2), 1);
    }
    if (i == 0) {
      EXPECT_EQ(Api().WriteLoopCount(frame.get(), 5), 1);
    }
    Api().AppendPage(multi, frame.get());
  }
  EXPECT_FALSE(std::filesystem::exists(path));  // written on close
  ASSERT_EQ(Api().CloseMultiBitmap(multi, 0), 1);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"anim.gif"});

  if (HaveTool("identify")) {
    EXPECT_EQ(Shell("identify -format '%w,%h,%T,%D;' '" + path + "'"),
              "10,7,10,Undefined;10,7,20,Background;10,7,30,Undefined;");
    EXPECT_EQ(Shell("identify -verbose '" + path + "' | grep -m1 Iterations | tr -d ' '"), "Iterations:5");
  }

  // Read back through the plug-in: the animation model holds what was written.
  OpenedMulti opened = OpenForReading(path, 25, 0);
  ASSERT_EQ(Api().GetPageCount(opened.multi), 3);
  const uint32_t page = Api().LockPage(opened.multi, 1);
  ASSERT_NE(page, 0u);
  VximgplugTagRecord tag{};
  int32_t frameTime = -1;
  const uint32_t search = Api().FindFirstMetadata(9, page, &tag);
  ASSERT_NE(search, 0u);
  do {
    if (std::string(tag.key) == "FrameTime" && tag.length == 4) std::memcpy(&frameTime, tag.value, 4);
  } while (Api().FindNextMetadata(search, &tag));
  Api().FindCloseMetadata(search);
  EXPECT_EQ(frameTime, 200);
  Api().UnlockPage(opened.multi, page, 0);
}

TEST(WritePages, TiffOfTwoPagesWithCompression) {
  TempFolder folder;
  const std::string path = folder / "two.tif";
  const uint32_t multi = Api().OpenMultiBitmap(18, path.c_str(), 1, 0, 0, 0);
  ASSERT_NE(multi, 0u);
  for (int i = 0; i < 2; ++i) {
    BitmapHandle page(Solid8(12 + i, 5, 10, 20, 30));
    Api().AppendPage(multi, page.get());
  }
  ASSERT_EQ(Api().CloseMultiBitmap(multi, 0x4000), 1);
  VX_REQUIRE_TOOL("tiffinfo");
  const std::string info = Shell("tiffinfo '" + path + "'");
  EXPECT_NE(info.find("Image Width: 12"), std::string::npos);
  EXPECT_NE(info.find("Image Width: 13"), std::string::npos);
  EXPECT_NE(info.find("Compression Scheme: LZW"), std::string::npos);
}

TEST(WritePages, FailuresAnswerZero) {
  TempFolder folder;
  EXPECT_EQ(Api().OpenMultiBitmap(25, (folder / "no/dir/a.gif").c_str(), 1, 0, 0, 0), 0u);
  EXPECT_EQ(Api().OpenMultiBitmap(13, (folder / "a.png").c_str(), 1, 0, 0, 0), 0u);  // no pages in PNG
  EXPECT_EQ(Api().OpenMultiBitmap(18, (folder / "missing.tif").c_str(), 0, 1, 0, 0), 0u);
  EXPECT_EQ(Api().OpenFileU((folder / "missing.tif").c_str()), 0u);
  EXPECT_EQ(Api().OpenMultiBitmapU(18, 0, 0), 0u);
  EXPECT_EQ(Api().CloseMultiBitmap(0, 0), 0);
  EXPECT_EQ(Api().GetPageCount(12345), 0);
  EXPECT_EQ(Api().LockPage(12345, 0), 0u);
  // The folder vanishes before the file is written on close: the close reports failure.
  std::filesystem::create_directory(folder / "gone");
  const uint32_t failing = Api().OpenMultiBitmap(25, (folder / "gone/a.gif").c_str(), 1, 0, 0, 0);
  ASSERT_NE(failing, 0u);
  BitmapHandle frame(Solid8(4, 4, 1, 2, 3));
  Api().AppendPage(failing, frame.get());
  std::filesystem::remove(folder / "gone");
  EXPECT_EQ(Api().CloseMultiBitmap(failing, 0), 0);
  EXPECT_TRUE(folder.Files().empty());
  // An empty new file writes nothing.
  const uint32_t multi = Api().OpenMultiBitmap(25, (folder / "empty.gif").c_str(), 1, 0, 0, 0);
  ASSERT_NE(multi, 0u);
  EXPECT_EQ(Api().CloseMultiBitmap(multi, 0), 1);
  EXPECT_TRUE(folder.Files().empty());
}

}  // namespace
