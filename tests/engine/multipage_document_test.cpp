// Multi-page TIFF and GIF documents, native and editable: the split, page selection and the
// page operations, checked through the page table and the page images' widths (every fixture
// page has its own width, 10, 20 and 30 pixels).
#include "engine/documents/multipage_document.h"

#include <optional>
#include <tuple>

#include "engine/load/loader.h"
#include "engine/loading_test_support.h"
#include "platform/ole/ole.h"

namespace vx::engine {
namespace {

using namespace test_support;
using gdiplus::PropertyItem;
using gdiplus::PropertyTagFrameDelay;

struct DocumentCase {
  const char* format;
  const char* fileName;
  const char* extraArguments;
};

const DocumentCase kDocuments[] = {
    {"TIFF", "three.tif", "-depth 8 -compress none"},
    {"GIF", "three.gif", ""},
};

// Each document runs with the format plug-in present (TIFF files then open through it) and absent.
class MultiPageDocument : public LoadingTest, public ::testing::WithParamInterface<std::tuple<DocumentCase, bool>> {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    if (!std::get<1>(GetParam())) absence_.emplace(true);
  }
  void TearDown() override {
    absence_.reset();
    LoadingTest::TearDown();
  }
  bool ThroughPlugin() const { return IsVximgplugAvailable() && Format() == "TIFF"; }
  std::string ThreePages() {
    const DocumentCase& c = std::get<0>(GetParam());
    const std::string gifDelays =
        std::string(c.format) == "GIF" ? "-delay 10 -size 10x4 xc:red -delay 0 " : "-size 10x4 xc:red ";
    return fixtures_.Draw(gifDelays + "-size 20x4 xc:green -size 30x4 xc:blue " + c.extraArguments, c.fileName);
  }
  int32_t Open(bool readOnly) {
    int32_t id = 0;
    const LoadOptions options{.TiffReadOnly = readOnly, .GifReadOnly = readOnly};
    EXPECT_EQ(LoadImageFromFile(id, ThreePages(), options), vexiro::OK);
    return id;
  }
  // Which fixture page an image shows: 10 red, 20 green, 30 blue, 40 the black inserted image
  // (a GIF's frames all take the screen's size, so the colour tells them apart).
  static int32_t WidthOf(int32_t id) {
    gdiplus::ARGB argb = 0;
    GetImagePixel(id, 0, 0, argb);
    if (((argb >> 16) & 0xFF) > 128) return 10;
    if (((argb >> 8) & 0xFF) > 100) return 20;
    if ((argb & 0xFF) > 128) return 30;
    return 40;
  }
  std::string Format() const { return std::get<0>(GetParam()).format; }
  std::optional<PluginAbsence> absence_;
};

TEST_P(MultiPageDocument, NativeDocumentSelectsFramesOfOneImage) {
  const int32_t doc = Open(true);
  ImageRecord* r = FindImageRecord(doc);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->NativeMultiPage);
  EXPECT_EQ(r->PageCount, 3);
  EXPECT_EQ(r->CurrentPage, 0);
  EXPECT_EQ(WidthOf(doc), 10);
  EXPECT_EQ(SelectPage(doc, 2, Format()), vexiro::OK);
  EXPECT_EQ(WidthOf(doc), 30);
  EXPECT_EQ(SelectPage(doc, 3, Format()), vexiro::InvalidParameter);
  EXPECT_EQ(DeletePage(doc, 1, Format()), vexiro::UnsupportedImageFormat) << "a native document cannot change";
  r = FindImageRecord(doc);
  if (ThroughPlugin()) {
    EXPECT_EQ(r->Kind, KindPluginBitmap) << "the open plug-in file is the document";
    EXPECT_NE(r->PageImageIDs[2], 0) << "the current page's converted image";
  } else {
    EXPECT_EQ(r->Kind, KindFile) << "one platform image is the document";
    EXPECT_EQ(ImageSlotCount(), 1);
  }
}

TEST_P(MultiPageDocument, EditableDocumentKeepsEachPageInItsOwnFile) {
  const int32_t doc = Open(false);
  ImageRecord* r = FindImageRecord(doc);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->NativeMultiPage);
  ASSERT_EQ(r->PageCount, 3);
  EXPECT_EQ(r->CurrentPage, 0);
  EXPECT_NE(r->PageImageIDs[0], 0);
  EXPECT_EQ(r->PageImageIDs[1], 0);
  for (const std::string& f : r->PageFiles) EXPECT_TRUE(std::filesystem::exists(f)) << f;
  if (Format() == "GIF") {
    EXPECT_EQ(r->PageDelays, (std::vector<int32_t>{10, 25, 25})) << "delays below 1 become 25";
    EXPECT_EQ(r->PageDisposals, (std::vector<int32_t>{-1, -1, -1}));
  }
  EXPECT_EQ(WidthOf(doc), 10);
  EXPECT_EQ(SelectPage(doc, 1, Format()), vexiro::OK);
  EXPECT_EQ(WidthOf(doc), 20);
  if (Format() == "GIF") {
    int32_t bytes = 0;
    EXPECT_EQ(GetImagePropertyItemSize(doc, PropertyTagFrameDelay, bytes), vexiro::OK);
    EXPECT_EQ(bytes, static_cast<int32_t>(sizeof(PropertyItem) + 12)) << "the page carries every frame's delay";
  }
  r = FindImageRecord(doc);
  EXPECT_EQ(r->PageImageIDs[0], 0) << "only the current page stays loaded";
  EXPECT_EQ(ImageSlotCount(), 2);
}

TEST_P(MultiPageDocument, InsertDeleteAndSwapMoveThePageTable) {
  const int32_t doc = Open(false);
  const std::string f = Format();
  ASSERT_EQ(SelectPage(doc, 1, f), vexiro::OK);  // page 2 (width 20) current
  const int32_t extra = MakeImage(40, 4, gdiplus::PixelFormat24bppRGB);

  EXPECT_EQ(InsertPageFromImage(doc, 0, extra, f), vexiro::OK) << "position 0 inserts at 1";
  const ImageRecord* r = FindImageRecord(doc);
  EXPECT_EQ(r->PageCount, 4);
  EXPECT_EQ(r->CurrentPage, 2) << "the current page moves with its entry";
  EXPECT_EQ(r->PageImageIDs[0], 0);
  EXPECT_EQ(r->PageDelays[0], 25);
  EXPECT_EQ(WidthOf(doc), 20);
  EXPECT_EQ(InsertPageFromImage(doc, 99, extra, f), vexiro::OK) << "far past the end appends";
  EXPECT_EQ(FindImageRecord(doc)->PageCount, 5);
  EXPECT_GE(GetImageIndex(extra), 0) << "the inserted image stays registered";

  // Pages now: 40, 10, 20*, 30, 40. Deleting a page before the current keeps it current.
  EXPECT_EQ(DeletePage(doc, 1, f), vexiro::OK);
  EXPECT_EQ(FindImageRecord(doc)->CurrentPage, 1);
  EXPECT_EQ(WidthOf(doc), 20);
  // Pages: 10, 20*, 30, 40. Swapping the current page keeps its image current at the other index.
  EXPECT_EQ(SwapPages(doc, 2, 4, f), vexiro::OK);
  EXPECT_EQ(FindImageRecord(doc)->CurrentPage, 3);
  EXPECT_EQ(WidthOf(doc), 20);
  EXPECT_EQ(SwapPages(doc, 0, 1, f), vexiro::InvalidParameter);
  // Pages: 10, 40, 30, 20*. Deleting the current last page makes the new last page current.
  EXPECT_EQ(DeletePage(doc, 4, f), vexiro::OK);
  EXPECT_EQ(FindImageRecord(doc)->CurrentPage, 2);
  EXPECT_EQ(WidthOf(doc), 30);
  EXPECT_EQ(SelectPage(doc, 1, f), vexiro::OK);
  EXPECT_EQ(WidthOf(doc), 40);

  for (int32_t left = 3; left > 0; --left) EXPECT_EQ(DeletePage(doc, 1, f), vexiro::OK);
  r = FindImageRecord(doc);
  EXPECT_EQ(r->PageCount, 0);
  EXPECT_EQ(r->CurrentPage, -1);
  EXPECT_EQ(r->PageFiles.size(), 1u);
  EXPECT_EQ(DeletePage(doc, 1, f), vexiro::InvalidParameter);
  ReleaseImage(extra);
  ReleaseImage(doc);
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_P(MultiPageDocument, WrongFormatOrIdentifierIsRefused) {
  const int32_t doc = Open(false);
  const std::string other = Format() == "TIFF" ? "GIF" : "TIFF";
  EXPECT_EQ(SelectPage(doc, 0, other), vexiro::UnsupportedImageFormat);
  EXPECT_EQ(SelectPage(12345, 0, Format()), vexiro::GenericError);
  EXPECT_EQ(InsertPageFromImage(doc, 1, 12345, Format()), vexiro::GenericError);
  int32_t count = -1;
  EXPECT_EQ(GetTiffPageCount(12345, count), vexiro::UnsupportedImageFormat);
  EXPECT_EQ(count, -1) << "an unknown identifier leaves the count alone";
}

TEST_P(MultiPageDocument, ReleasingTheDocumentDeletesEveryPageFile) {
  const int32_t doc = Open(false);
  const std::vector<std::string> files = FindImageRecord(doc)->PageFiles;
  ReleaseImage(doc);
  for (const std::string& f : files) EXPECT_FALSE(std::filesystem::exists(f));
  EXPECT_EQ(GetImageIndex(doc), -1);
}

VexiroStatus FailingWriter(int32_t, const std::string&, const std::string&) { return vexiro::Win32Error; }

// A modified page that cannot be written back is kept, loaded and current, and the failure is
// reported instead of the change being dropped.
TEST_P(MultiPageDocument, FailedWriteBackKeepsTheModifiedPage) {
  const int32_t doc = Open(false);
  const int32_t page = FindImageRecord(doc)->PageImageIDs[0];
  const std::string file = FindImageRecord(doc)->PageFiles[0];
  MarkImageModified(doc);
  SetPageFileWriter(&FailingWriter);
  EXPECT_EQ(SelectPage(doc, 1, Format()), vexiro::Win32Error);
  SetPageFileWriter(&WriteDocumentPageFile);
  const ImageRecord* r = FindImageRecord(doc);
  EXPECT_EQ(r->CurrentPage, 0);
  EXPECT_EQ(r->PageImageIDs[0], page);
  EXPECT_EQ(r->PageFiles[0], file);
  EXPECT_TRUE(FindImageRecord(page)->Modified);
  EXPECT_EQ(SelectPage(doc, 1, Format()), vexiro::OK) << "a working writer saves it after all";
  EXPECT_NE(FindImageRecord(doc)->PageFiles[0], file);
}

INSTANTIATE_TEST_SUITE_P(Formats, MultiPageDocument,
                         ::testing::Combine(::testing::ValuesIn(kDocuments), ::testing::Bool()), [](const auto& info) {
                           return std::string(std::get<0>(info.param).format) +
                                  (std::get<1>(info.param) ? "_PluginPresent" : "_PluginAbsent");
                         });

TEST_F(LoadingTest, OnePageTiffStaysAPlainImageAndStreamsAlwaysSplit) {
  FixtureFolder folder;
  int32_t id = 0;
  ASSERT_EQ(LoadImageFromFile(id, folder.Draw("-size 5x5 xc:red -depth 8", "one.tif")), vexiro::OK);
  EXPECT_FALSE(FindImageRecord(id)->IsDocument());
  ReleaseImage(id);
  const std::string bytes = ReadBytes(folder.Draw("-size 5x5 xc:red -size 6x5 xc:blue -depth 8", "two.tif"));
  ole::ComPtr<ole::IStream> stream;
  ASSERT_EQ(ole::CreateStreamOnMemory(bytes.data(), bytes.size(), stream.put()), 0);
  ASSERT_EQ(LoadImageFromStream(id, stream.get(), false), vexiro::OK);
  EXPECT_TRUE(IsEditableMultiPageTiff(id));
  int32_t count = 0;
  EXPECT_EQ(GetTiffPageCount(id, count), vexiro::OK);
  EXPECT_EQ(count, 2);
  ReleaseImage(id);
}

TEST_F(LoadingTest, CreatedDocumentGrowsFromImagesAndFiles) {
  const int32_t image = MakeImage(8, 3, gdiplus::PixelFormat8bppIndexed);
  int32_t doc = 0;
  ASSERT_EQ(CreateMultiPageFromImageGif(image, doc), vexiro::OK);
  EXPECT_TRUE(IsEditableMultiPageGif(doc));
  EXPECT_EQ(GetGifCurrentPage(doc), 0);
  EXPECT_EQ(FindImageRecord(doc)->PageBitDepths[0], 8);
  FixtureFolder folder;
  const std::string three = folder.Draw("-size 9x3 xc:red -size 11x3 xc:blue -depth 8", "two.tif");
  EXPECT_EQ(InsertPageFromFileGif(doc, 2, three, false), vexiro::OK) << "only the first page goes in";
  EXPECT_EQ(FindImageRecord(doc)->PageCount, 2);
  EXPECT_EQ(SelectPageGif(doc, 1), vexiro::OK);
  gdiplus::ARGB argb = 0;
  GetImagePixel(doc, 0, 0, argb);
  EXPECT_EQ(argb, 0xFFFF0000u);
  ReleaseImage(doc);
  ReleaseImage(image);
}

}  // namespace
}  // namespace vx::engine
