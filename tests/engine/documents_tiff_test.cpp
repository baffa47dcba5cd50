// Multi-page TIFF documents: made from files and images, edited, saved, written page by page and
// merged, each file checked with tiffinfo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/documents/tiff_documents.h"
#include "engine/image_store.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/saving_test_support.h"

namespace vx::engine {
namespace {

using saving_test::FileExists;
using saving_test::ReadFile;
using saving_test::ScratchFolder;
using saving_test::Shell;
using vexiro::BasicArray;

struct TiffPage {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::string compression;
  bool operator==(const TiffPage&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TiffPage& p) {
  return os << p.width << "x" << p.height << " " << p.bits << "bit " << p.compression;
}

// Every directory of the file as tiffinfo reports it.
std::vector<TiffPage> PagesByTiffinfo(const std::string& path) {
  std::istringstream in(Shell("tiffinfo '" + path + "' 2>/dev/null"));
  std::vector<TiffPage> pages;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("TIFF Directory")) pages.emplace_back();
    if (pages.empty()) continue;
    TiffPage& p = pages.back();
    std::sscanf(line.c_str(), "  Image Width: %d Image Length: %d", &p.width, &p.height);
    std::sscanf(line.c_str(), "  Bits/Sample: %d", &p.bits);
    if (const size_t at = line.find("Compression Scheme: "); at != std::string::npos) p.compression = line.substr(at + 20);
  }
  return pages;
}

// Names in the folder, so a test sees that no file was left beside its output.
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class TiffDocuments : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VX_REQUIRE_TOOL("tiffinfo");
  }
  // A picture of the given size and depth, saved where the test wants it.
  std::string SavedPicture(const std::string& name, int32_t width, int32_t height, int16_t bits = 24) {
    const int32_t id = engine_->CreateNewImage(width, height, bits, -16744448);
    EXPECT_NE(id, 0);
    const std::string path = folder_.File(name);
    const bool tiff = name.ends_with(".tif");
    EXPECT_EQ(tiff ? engine_->SaveAsTIFF(path, bits == 1 ? 4 : 2) : engine_->SaveAsPNG(path), vexiro::OK);
    EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
    return path;
  }
  // A three-page TIFF of 7x7, 9x9 and 11x11 pages.
  std::string ThreePageTiff() {
    const std::string path = folder_.File("three.tif");
    engine_->CreateNewImage(7, 7, 24);
    EXPECT_EQ(engine_->TiffSaveAsNativeMultiPage(path), vexiro::OK);
    for (int32_t size : {9, 11}) {
      const int32_t page = engine_->CreateNewImage(size, size, 24);
      EXPECT_EQ(engine_->TiffAddToNativeMultiPage(page), vexiro::OK);
      engine_->CloseImage(page);
    }
    EXPECT_EQ(engine_->TiffCloseNativeMultiPage(), vexiro::OK);
    return path;
  }
  ScratchFolder folder_;
};

TEST_F(TiffDocuments, CreatedFromFilesOfEveryKind) {
  const std::string png = SavedPicture("one.png", 12, 6);
  const std::string three = ThreePageTiff();
  const int32_t single = engine_->TiffCreateMultiPageFromFile(png);
  ASSERT_NE(single, 0);
  EXPECT_TRUE(engine_->TiffIsEditableMultiPage(single));
  EXPECT_EQ(engine_->TiffGetPageCount(single), 1);

  engine_->TiffOpenMultiPageAsReadOnly(true);
  const int32_t split = engine_->TiffCreateMultiPageFromFile(three);
  ASSERT_NE(split, 0);
  EXPECT_TRUE(engine_->TiffIsEditableMultiPage(split)) << "this member always splits";
  EXPECT_EQ(engine_->TiffGetPageCount(split), 3);
  EXPECT_EQ(engine_->TiffGetCurrentPage(split), 1);
  EXPECT_EQ(engine_->GetWidth(), 7) << "the document is the current image, at its first page";

  EXPECT_EQ(engine_->TiffCreateMultiPageFromFile(folder_.File("missing.tif")), 0);
  EXPECT_NE(engine_->GetStat(), vexiro::OK);
}

TEST_F(TiffDocuments, EditedAndSavedPageByPage) {
  const int32_t a = engine_->CreateNewImage(10, 8, 24);
  const int32_t b = engine_->CreateNewImage(12, 6, 8);
  const int32_t c = engine_->CreateNewImage(5, 5, 1);
  const int32_t doc = engine_->TiffCreateMultiPageFromVexiroImage(a);
  ASSERT_NE(doc, 0);
  ASSERT_EQ(engine_->TiffAppendPageFromVexiroImage(doc, b), vexiro::OK);
  ASSERT_EQ(engine_->TiffInsertPageFromVexiroImage(doc, 1, c), vexiro::OK);    // c a b
  ASSERT_EQ(engine_->TiffAppendPageFromFile(doc, SavedPicture("d.png", 3, 4)), vexiro::OK);  // c a b d
  ASSERT_EQ(engine_->TiffSwapPages(doc, 1, 3), vexiro::OK);                     // b a c d
  ASSERT_EQ(engine_->TiffDeletePage(doc, 2), vexiro::OK);                       // b c d
  ASSERT_EQ(engine_->TiffGetPageCount(doc), 3);

  struct Case {
    int32_t compression;
    std::vector<std::string> schemes;
  };
  const Case cases[] = {
      {2, {"LZW", "LZW", "LZW"}},
      {4, {"LZW", "LZW", "LZW"}},  // a deeper page makes the bilevel scheme LZW for the whole file
      {6, {"None", "None", "None"}},
  };
  for (const Case& k : cases) {
    const std::string out = folder_.File("doc" + std::to_string(k.compression) + ".tif");
    ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, out, k.compression), vexiro::OK);
    const std::vector<TiffPage> pages = PagesByTiffinfo(out);
    ASSERT_EQ(pages.size(), 3u) << k.compression;
    const int sizes[3][2] = {{12, 6}, {5, 5}, {3, 4}};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(pages[i].width, sizes[i][0]) << i;
      EXPECT_EQ(pages[i].height, sizes[i][1]) << i;
      EXPECT_EQ(pages[i].compression, k.schemes[i]) << k.compression << " page " << i;
    }
  }
}

TEST_F(TiffDocuments, BilevelDocumentKeepsTheFaxScheme) {
  const int32_t a = engine_->CreateNewImage(16, 8, 1);
  const int32_t b = engine_->CreateNewImage(8, 16, 1);
  const int32_t doc = engine_->TiffCreateMultiPageFromVexiroImage(a);
  ASSERT_EQ(engine_->TiffAppendPageFromVexiroImage(doc, b), vexiro::OK);
  const std::string out = folder_.File("fax.tif");
  ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, out, 4), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(out), (std::vector<TiffPage>{{16, 8, 1, "CCITT Group 4"}, {8, 16, 1, "CCITT Group 4"}}));
}

TEST_F(TiffDocuments, PageMembersRefuseWhatIsNoEditableDocument) {
  const int32_t plain = engine_->CreateNewImage(4, 4, 24);
  const int32_t doc = engine_->TiffCreateMultiPageFromVexiroImage(plain);
  struct Case {
    const char* what;
    std::function<VexiroStatus()> call;
    VexiroStatus status;
  };
  const std::vector<Case> cases = {
      {"insert into a plain image", [&] { return engine_->TiffInsertPageFromVexiroImage(plain, 1, plain); },
       vexiro::UnsupportedImageFormat},
      {"delete on a plain image", [&] { return engine_->TiffDeletePage(plain, 1); }, vexiro::UnsupportedImageFormat},
      {"swap on a plain image", [&] { return engine_->TiffSwapPages(plain, 1, 1); }, vexiro::UnsupportedImageFormat},
      {"save a plain image", [&] { return engine_->TiffSaveMultiPageToFile(plain, folder_.File("x.tif")); },
       vexiro::UnsupportedImageFormat},
      {"save an unknown image", [&] { return engine_->TiffSaveMultiPageToFile(12345, folder_.File("x.tif")); },
       vexiro::InvalidParameter},
      {"select on a plain image", [&] { return engine_->TiffSelectPage(plain, 1); }, vexiro::UnsupportedImageFormat},
      {"select page 0", [&] { return engine_->TiffSelectPage(doc, 0); }, vexiro::InvalidParameter},
      {"select past the end", [&] { return engine_->TiffSelectPage(doc, 2); }, vexiro::InvalidParameter},
      {"delete past the end", [&] { return engine_->TiffDeletePage(doc, 2); }, vexiro::InvalidParameter},
      {"swap past the end", [&] { return engine_->TiffSwapPages(doc, 1, 2); }, vexiro::InvalidParameter},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), c.status) << c.what;
    EXPECT_EQ(engine_->GetStat(), c.status) << c.what;
  }
  EXPECT_EQ(engine_->TiffGetPageCount(doc), 1) << "the document is intact";
  EXPECT_EQ(engine_->TiffGetCurrentPage(plain), 0);
  EXPECT_EQ(engine_->TiffGetCurrentPage(12345), 0);
  EXPECT_FALSE(FileExists(folder_.File("x.tif")));
}

TEST_F(TiffDocuments, DirectoryLoopEndsThePageList) {
  // Two pages whose second directory points back to the first.
  std::vector<uint8_t> tiff = ReadFile(ThreePageTiff());
  auto u32 = [&](size_t at) { return uint32_t{tiff[at]} | tiff[at + 1] << 8 | tiff[at + 2] << 16 | uint32_t{tiff[at + 3]} << 24; };
  auto next = [&](uint32_t ifd) { return ifd + 2 + 12 * (tiff[ifd] | tiff[ifd + 1] << 8); };
  ASSERT_EQ(tiff[0], 'I');
  const uint32_t first = u32(4), second = u32(next(first));
  for (int i = 0; i < 4; ++i) tiff[next(second) + i] = static_cast<uint8_t>(first >> (8 * i));
  const std::string looped = folder_.File("looped.tif");
  std::ofstream(looped, std::ios::binary).write(reinterpret_cast<const char*>(tiff.data()), static_cast<std::streamsize>(tiff.size()));

  const int32_t doc = engine_->TiffCreateMultiPageFromFile(looped);
  ASSERT_NE(doc, 0);
  EXPECT_EQ(engine_->TiffGetPageCount(doc), 2);
  ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, folder_.File("fixed.tif")), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("fixed.tif")), (std::vector<TiffPage>{{7, 7, 8, "LZW"}, {9, 9, 8, "LZW"}}));
}

TEST_F(TiffDocuments, SavingWithoutPagesIsAnError) {
  const int32_t doc = engine_->TiffCreateMultiPageFromVexiroImage(engine_->CreateNewImage(4, 4, 24));
  ASSERT_EQ(engine_->TiffDeletePage(doc, 1), vexiro::OK);
  ASSERT_EQ(engine_->TiffGetPageCount(doc), 0);
  EXPECT_EQ(engine_->TiffSaveMultiPageToFile(doc, folder_.File("empty.tif")), vexiro::GenericError);
  EXPECT_FALSE(FileExists(folder_.File("empty.tif")));
}

TEST_F(TiffDocuments, FailedSaveKeepsTheFileAlreadyThere) {
  const int32_t doc = engine_->TiffCreateMultiPageFromVexiroImage(engine_->CreateNewImage(4, 4, 24));
  ASSERT_EQ(engine_->TiffAppendPageFromVexiroImage(doc, engine_->CreateNewImage(6, 6, 24)), vexiro::OK);
  const std::string out = folder_.File("kept.tif");
  ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, out), vexiro::OK);
  const std::vector<uint8_t> before = ReadFile(out);
  // The second page's file goes missing behind the document's back.
  std::filesystem::remove(GetTiffPageFile(doc, 1));
  EXPECT_NE(engine_->TiffSaveMultiPageToFile(doc, out), vexiro::OK);
  EXPECT_EQ(ReadFile(out), before);
  EXPECT_EQ(FolderEntries(std::filesystem::path(out).parent_path()), std::vector<std::string>{"kept.tif"});
}

TEST_F(TiffDocuments, NativeWriterPageByPage) {
  const std::string out = ThreePageTiff();
  EXPECT_EQ(PagesByTiffinfo(out), (std::vector<TiffPage>{{7, 7, 8, "LZW"}, {9, 9, 8, "LZW"}, {11, 11, 8, "LZW"}}));
  EXPECT_EQ(FolderEntries(std::filesystem::path(out).parent_path()), std::vector<std::string>{"three.tif"});

  // Nothing open: adding fails, closing leaves the last status as it was.
  const int32_t image = engine_->CreateNewImage(3, 3, 24);
  EXPECT_EQ(engine_->TiffAddToNativeMultiPage(image), vexiro::GenericError);
  EXPECT_EQ(engine_->TiffCloseNativeMultiPage(), vexiro::GenericError);
  // While open, its first image cannot be closed but by the writer.
  ASSERT_EQ(engine_->TiffSaveAsNativeMultiPage(folder_.File("open.tif"), 6), vexiro::OK);
  EXPECT_EQ(engine_->CloseImage(image), vexiro::Aborted);
  EXPECT_FALSE(FileExists(folder_.File("open.tif"))) << "the file takes its place when it is closed";
  ASSERT_EQ(engine_->TiffCloseNativeMultiPage(), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("open.tif")), (std::vector<TiffPage>{{3, 3, 8, "None"}}));
}

TEST_F(TiffDocuments, NativeWriterLeftOpenIsFinishedWithItsEngine) {
  engine_->CreateNewImage(5, 5, 24);
  ASSERT_EQ(engine_->TiffSaveAsNativeMultiPage(folder_.File("first.tif")), vexiro::OK);
  const int32_t page = engine_->CreateNewImage(6, 6, 24);
  ASSERT_EQ(engine_->TiffAddToNativeMultiPage(page), vexiro::OK);
  // A second file begun while the first is open: the first is finished as it stands.
  ASSERT_EQ(engine_->TiffSaveAsNativeMultiPage(folder_.File("second.tif")), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("first.tif")), (std::vector<TiffPage>{{5, 5, 8, "LZW"}, {6, 6, 8, "LZW"}}));
  engine_.reset();
  engine_ = std::make_unique<vexiro::cImaging>();
  EXPECT_EQ(PagesByTiffinfo(folder_.File("second.tif")), (std::vector<TiffPage>{{6, 6, 8, "LZW"}}));
  EXPECT_EQ(FolderEntries(std::filesystem::path(folder_.File("first.tif")).parent_path()),
            (std::vector<std::string>{"first.tif", "second.tif"}));
}

TEST_F(TiffDocuments, NativeWriterWithoutCurrentImage) {
  vexiro::SavingTestAccess::SetCurrent(*engine_, 0);
  EXPECT_EQ(engine_->TiffSaveAsNativeMultiPage(folder_.File("none.tif")), vexiro::GenericError);
  EXPECT_FALSE(FileExists(folder_.File("none.tif")));
}

TEST_F(TiffDocuments, MergesOfTwoAndThreeFiles) {
  const std::string three = ThreePageTiff();
  const std::string png = SavedPicture("one.png", 12, 6);
  const std::string fax = SavedPicture("fax.tif", 16, 4, 1);
  const TiffPage p7{7, 7, 8, "LZW"}, p9{9, 9, 8, "LZW"}, p11{11, 11, 8, "LZW"}, png12{12, 6, 8, "LZW"};

  ASSERT_EQ(engine_->TiffMerge2Files(png, three, folder_.File("two.tif")), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("two.tif")), (std::vector<TiffPage>{png12, p7, p9, p11}));

  BasicArray<std::string> list = BasicArray<std::string>::FromVector({three, png, fax});
  ASSERT_EQ(engine_->TiffMergeFiles(list, folder_.File("all.tif")), vexiro::OK);
  const std::vector<TiffPage> all = PagesByTiffinfo(folder_.File("all.tif"));
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[4].width, 16);

  // A list read from its own lower bound, whatever it is.
  BasicArray<std::string> oneBased({vexiro::ArrayBound{1, 2}});
  oneBased.Data() = {fax, fax};
  ASSERT_EQ(engine_->TiffMergeFiles(oneBased, folder_.File("faxes.tif"), 4), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("faxes.tif")),
            (std::vector<TiffPage>{{16, 4, 1, "CCITT Group 4"}, {16, 4, 1, "CCITT Group 4"}}));

  ASSERT_EQ(engine_->TiffMergeFileList(fax + "," + png, folder_.File("list.tif"), 4), vexiro::OK);
  EXPECT_EQ(PagesByTiffinfo(folder_.File("list.tif")), (std::vector<TiffPage>{{16, 4, 1, "LZW"}, png12}));
}

TEST_F(TiffDocuments, MergeListsThatEndEarlyOrNameNothing) {
  const std::string png = SavedPicture("one.png", 12, 6);
  const std::string out = folder_.File("merged.tif");
  struct Case {
    const char* what;
    std::vector<std::string> files;
    VexiroStatus status;
    size_t pages;
  };
  const Case cases[] = {
      {"a blank entry ends the list", {png, "  ", png}, vexiro::OK, 1},
      {"no entry", {}, vexiro::FileNotFound, 0},
      {"a blank first entry", {"", png}, vexiro::FileNotFound, 0},
      {"a missing file", {png, folder_.File("missing.png")}, vexiro::FileNotFound, 0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(out);
    BasicArray<std::string> files = BasicArray<std::string>::FromVector(c.files);
    EXPECT_EQ(engine_->TiffMergeFiles(files, out), c.status) << c.what;
    EXPECT_EQ(PagesByTiffinfo(out).size(), c.pages) << c.what;
  }
  EXPECT_EQ(FolderEntries(std::filesystem::path(out).parent_path()), (std::vector<std::string>{"one.png"}));
}

// A compression code read from a file gives the flag that writes the same code again; the two
// deflate codes are easy to swap, so both go through the plug-in and back.
TEST_F(TiffDocuments, CompressionFlagRoundTripsThroughThePlugin) {
  struct Case {
    int32_t code;
    int32_t flag;
    const char* scheme;
  };
  const Case cases[] = {{8, 0x0200, "AdobeDeflate"}, {32946, 0x0400, "Deflate"}, {5, 0x4000, "LZW"},
                        {1, 0x0800, "None"},         {32773, 0x0100, "PackBits"}, {77, 0x4000, "LZW"}};
  ScopedImage image(engine_->CreateNewImage(8, 8, 24));
  uint32_t bitmap = 0;
  ASSERT_EQ(ImageToPluginBitmap(image.get(), bitmap), vexiro::OK);
  EXPECT_EQ(TiffCompressionToPluginFlag(bitmap), 0x4000) << "no compression tag";
  for (const Case& c : cases) {
    const int32_t flag = TiffCompressionCodeToPluginFlag(c.code);
    EXPECT_EQ(flag, c.flag) << c.code;
    const std::string path = folder_.File("flag.tif");
    EXPECT_TRUE(VximgplugSave(PluginFormatTIFF, bitmap, path, flag)) << c.code;
    const std::vector<TiffPage> pages = PagesByTiffinfo(path);
    ASSERT_EQ(pages.size(), 1u) << c.code;
    EXPECT_EQ(pages[0].compression, c.scheme) << c.code;
  }
  Vximgplug().Unload(bitmap);
}

// Pages of grey noise drawn by ImageMagick, each its own, which LZW barely shrinks: a page on
// disk is at least half its pixels.
constexpr int kNoiseWidth = 320, kNoiseHeight = 240;
constexpr uint64_t kNoisePixels = uint64_t{kNoiseWidth} * kNoiseHeight;

std::vector<std::string> NoisePages(const std::string& folder, int count) {
  std::filesystem::create_directories(folder);
  std::vector<std::string> pages;
  for (int i = 0; i < count; ++i) {
    pages.push_back(folder + "/noise" + std::to_string(i) + ".png");
    const std::string command = "convert -size " + std::to_string(kNoiseWidth) + "x" + std::to_string(kNoiseHeight) +
                                " -seed " + std::to_string(i + 1) + " xc:gray +noise Random -colorspace Gray " +
                                "-depth 8 -type Grayscale '" + pages.back() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  return pages;
}

uint64_t BytesInFolder(const std::string& folder) {
  uint64_t bytes = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.is_regular_file()) bytes += e.file_size();
  return bytes;
}

// The "Page Number" of every directory as tiffinfo reports it ("" where a directory has none).
std::vector<std::string> PageNumbersByTiffinfo(const std::string& path) {
  std::istringstream in(Shell("tiffinfo '" + path + "' 2>/dev/null"));
  std::vector<std::string> numbers;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("TIFF Directory")) numbers.emplace_back();
    if (const size_t at = line.find("Page Number: "); at != std::string::npos && !numbers.empty())
      numbers.back() = line.substr(at + 13);
  }
  return numbers;
}

// Each page of the file holds the pixels of its picture, as ImageMagick reads both.
void ExpectPagesAsDrawn(const std::string& file, const std::vector<std::string>& pictures) {
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(Shell("compare -metric AE '" + file + "[" + std::to_string(i) + "]' '" + pictures[i] + "' null: 2>&1"),
              "0")
        << "page " << i;
  }
}

// The native writer puts every page into the file as it is added, not when the file is closed:
// the file beside the target grows by a page with every page.
TEST_F(TiffDocuments, NativeWriterWritesEachPageAsItIsAdded) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("compare");
  const std::vector<std::string> pages = NoisePages(folder_.File("in"), 5);
  const std::string written = folder_.File("out");
  std::filesystem::create_directories(written);
  const std::string out = written + "/scan.tif";
  ASSERT_NE(engine_->CreateImageFromFile(pages[0]), 0);
  ASSERT_EQ(engine_->TiffSaveAsNativeMultiPage(out, vexiro::CompressionLZW), vexiro::OK);
  uint64_t before = BytesInFolder(written);
  for (size_t i = 1; i < pages.size(); ++i) {
    const int32_t page = engine_->CreateImageFromFile(pages[i]);
    ASSERT_EQ(engine_->TiffAddToNativeMultiPage(page), vexiro::OK);
    engine_->CloseImage(page);
    const uint64_t now = BytesInFolder(written);
    EXPECT_GE(now, before + kNoisePixels / 2) << "page " << i << " is not in the file before it is closed";
    before = now;
  }
  EXPECT_FALSE(FileExists(out)) << "the file takes its place when it is closed";
  ASSERT_EQ(engine_->TiffCloseNativeMultiPage(), vexiro::OK);
  EXPECT_EQ(FolderEntries(written), std::vector<std::string>{"scan.tif"});
  EXPECT_EQ(PageNumbersByTiffinfo(out), (std::vector<std::string>{"0-5", "1-5", "2-5", "3-5", "4-5"}));
  ExpectPagesAsDrawn(out, pages);
}

// Every multi-page writer (the native one, the merge, a document's save) gives each page its pixels
// and its number among all the file's pages, which only the file's end tells; a file of one
// page carries no number.
TEST_F(TiffDocuments, EveryMultiPageWriterNumbersItsPages) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("compare");
  const std::vector<std::string> pages = NoisePages(folder_.File("in"), 3);
  const auto native = [&](const std::vector<std::string>& files, const std::string& out) {
    ASSERT_NE(engine_->CreateImageFromFile(files[0]), 0);
    ASSERT_EQ(engine_->TiffSaveAsNativeMultiPage(out), vexiro::OK);
    for (size_t i = 1; i < files.size(); ++i) {
      const int32_t page = engine_->CreateImageFromFile(files[i]);
      ASSERT_EQ(engine_->TiffAddToNativeMultiPage(page), vexiro::OK);
      engine_->CloseImage(page);
    }
    ASSERT_EQ(engine_->TiffCloseNativeMultiPage(), vexiro::OK);
  };
  const auto merge = [&](const std::vector<std::string>& files, const std::string& out) {
    std::string list;
    for (const std::string& f : files) list += (list.empty() ? "" : ",") + f;
    ASSERT_EQ(engine_->TiffMergeFileList(list, out), vexiro::OK);
  };
  const auto document = [&](const std::vector<std::string>& files, const std::string& out) {
    const int32_t doc = engine_->TiffCreateMultiPageFromFile(files[0]);
    ASSERT_NE(doc, 0);
    for (size_t i = 1; i < files.size(); ++i) ASSERT_EQ(engine_->TiffAppendPageFromFile(doc, files[i]), vexiro::OK);
    ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, out), vexiro::OK);
    engine_->CloseImage(doc);
  };
  const struct {
    const char* name;
    std::function<void(const std::vector<std::string>&, const std::string&)> write;
  } writers[] = {{"native", native}, {"merge", merge}, {"document", document}};
  for (const auto& w : writers) {
    SCOPED_TRACE(w.name);
    const std::string out = folder_.File(std::string(w.name) + ".tif");
    w.write(pages, out);
    EXPECT_EQ(PageNumbersByTiffinfo(out), (std::vector<std::string>{"0-3", "1-3", "2-3"}));
    ExpectPagesAsDrawn(out, pages);
    const std::string single = folder_.File(std::string(w.name) + "-one.tif");
    w.write({pages[1]}, single);
    EXPECT_EQ(PageNumbersByTiffinfo(single), std::vector<std::string>{""});
    ExpectPagesAsDrawn(single, {pages[1]});
  }
}

}  // namespace
}  // namespace vx::engine
