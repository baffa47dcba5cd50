// Native documents, the page and plug-in seams of the store, and the older-platform paths.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/documents/multipage_document.h"
#include "engine/documents/page_file_writer.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/image_graphics.h"
#include "engine/routines/shared_routines.h"
#include "engine_test_support.h"
#include "platform/kernel/environment.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

// A TIFF of `pages` pages written through the platform's multi-frame save; the caller deletes it.
std::string WriteTiff(int pages) {
  const int32_t id = MakeImage(6, 4, PixelFormat24bppRGB);
  const std::string path = GetTempFilePath();
  ULONG flag = EncoderValueMultiFrame;
  EncoderParameters params;
  params.Count = 1;
  params.Parameter[0].Guid = EncoderSaveFlag;
  params.Parameter[0].NumberOfValues = 1;
  params.Parameter[0].Type = EncoderParameterValueTypeLong;
  params.Parameter[0].Value = &flag;
  EXPECT_EQ(GdipSaveImageToFile(GetGpImage(id), path.c_str(), &EncoderClsidTIFF, pages > 1 ? &params : nullptr), Ok);
  if (pages > 1) {
    for (int p = 1; p < pages; ++p) {
      flag = EncoderValueFrameDimensionPage;
      const int32_t more = MakeImage(5, 3, PixelFormat24bppRGB);
      EXPECT_EQ(GdipSaveAddImage(GetGpImage(id), GetGpImage(more), &params), Ok);
      ReleaseImage(more);
    }
    flag = EncoderValueFlush;
    EXPECT_EQ(GdipSaveAdd(GetGpImage(id), &params), Ok);
  }
  ReleaseImage(id);
  return path;
}

// A TIFF loaded as a native document whose page table claims two pages.
int32_t LoadNativeDocument(const std::string& path) {
  int32_t id = 0;
  EXPECT_EQ(CreateImageFromFileGdiPlus(path, id), vexiro::OK);
  ImageRecord* r = FindImageRecord(id);
  r->IsTiffMultiPage = true;
  r->NativeMultiPage = true;
  r->PageCount = 2;
  r->PageImageIDs = {0, 0};
  r->PageBitDepths = {24, 24};
  r->PageFiles = {"", ""};
  return id;
}

using NativeDocument = EngineTest;

TEST_F(NativeDocument, FrameCountsAndTheDocumentShrinkingToOnePage) {
  const std::string two = WriteTiff(2);
  const std::string one = WriteTiff(1);
  const int32_t doc = LoadNativeDocument(two);
  int32_t frames = 0;
  EXPECT_EQ(GetTiffFrameCount(doc, frames), vexiro::OK);
  EXPECT_EQ(frames, 2);
  EXPECT_EQ(GetGpImage(doc), FindImageRecord(doc)->GpImage) << "a native document is its own image";
  EXPECT_EQ(GetImageKind(doc), KindFile);
  MarkImageModified(doc);
  EXPECT_TRUE(FindImageRecord(doc)->IsTiffMultiPage);
  EXPECT_TRUE(FindImageRecord(doc)->Modified);

  const int32_t single = LoadNativeDocument(one);
  MarkImageModified(single);
  const ImageRecord* r = FindImageRecord(single);
  EXPECT_FALSE(r->IsTiffMultiPage) << "fewer than two frames is no document any more";
  EXPECT_TRUE(r->PageImageIDs.empty());
  EXPECT_TRUE(r->PageFiles.empty());
  EXPECT_EQ(r->PageCount, 2) << "the page count is left as it was";
  EXPECT_TRUE(r->Modified);

  const int32_t plain = MakeImage(2, 2, PixelFormat24bppRGB);
  EXPECT_EQ(GetTiffFrameCount(plain, frames), vexiro::OK);
  EXPECT_EQ(frames, 0) << "only TIFF images have pages";
  DeleteFileQuietly(two);
  DeleteFileQuietly(one);
}

VexiroStatus WriteMarker(int32_t, const std::string& path, const std::string& format) {
  std::ofstream(path) << "committed " << format;
  return vexiro::OK;
}
int32_t g_selectedDocument = 0, g_selectedPage = -1;
VexiroStatus RecordSelection(int32_t doc, int32_t page) {
  g_selectedDocument = doc;
  g_selectedPage = page;
  return vexiro::OK;
}

// The first engine hands the store the library's own seams; later engines leave a seam that was
// replaced (by a test, say) as it is.
TEST_F(NativeDocument, EnginesWireTheStoresSeamsOnceAndLeaveReplacementsAlone) {
  const PageFileWriter writer = SetPageFileWriter(&WriteMarker);
  const PageSelector selector = SetPageSelector(&RecordSelection);
  const LentDCReleaser releaser = SetLentDCReleaser(nullptr);
  EXPECT_EQ(writer, &WriteDocumentPageFile);
  EXPECT_EQ(selector, &SelectPageOfDocument);
  EXPECT_EQ(releaser, &ReturnLentDCAndGraphics);
  auto another = std::make_unique<vexiro::cImaging>();
  another.reset();
  EXPECT_EQ(SetPageFileWriter(writer), &WriteMarker);
  EXPECT_EQ(SetPageSelector(selector), &RecordSelection);
  EXPECT_EQ(SetLentDCReleaser(releaser), nullptr);
}

TEST_F(NativeDocument, CommittingTheCurrentTiffPageWritesItAndSelectsItAgain) {
  const PageFileWriter previousWriter = SetPageFileWriter(&WriteMarker);
  const PageSelector previousSelector = SetPageSelector(&RecordSelection);
  int32_t doc = 0;
  RegisterImage(doc, nullptr, "", "", KindGeneric);
  const int32_t page = MakeImage(2, 2, PixelFormat24bppRGB);
  const std::string oldFile = GetTempFilePath();
  ImageRecord* d = FindImageRecord(doc);
  d->IsTiffMultiPage = true;
  d->PageCount = 2;
  d->PageFiles = {"", oldFile};
  d->PageImageIDs = {0, page};
  d->CurrentPage = 1;
  CommitCurrentTiffPage(doc);
  d = FindImageRecord(doc);
  EXPECT_FALSE(std::filesystem::exists(oldFile));
  EXPECT_NE(d->PageFiles[1], oldFile);
  std::ifstream in(d->PageFiles[1]);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "committed TIFF");
  EXPECT_EQ(GetImageIndex(page), -1);
  EXPECT_EQ(d->CurrentPage, -1);
  EXPECT_EQ(g_selectedDocument, doc);
  EXPECT_EQ(g_selectedPage, 1);
  SetPageFileWriter(previousWriter);
  SetPageSelector(previousSelector);
}

TEST_F(NativeDocument, WithoutAPageWriterNothingIsLost) {
  const PageFileWriter previous = SetPageFileWriter(nullptr);
  int32_t doc = 0;
  RegisterImage(doc, nullptr, "", "", KindGeneric);
  const int32_t page = MakeImage(2, 2, PixelFormat24bppRGB);
  const std::string file = GetTempFilePath();
  ImageRecord* d = FindImageRecord(doc);
  d->IsGifMultiPage = true;
  d->PageCount = 1;
  d->PageFiles = {file};
  d->PageImageIDs = {page};
  d->CurrentPage = 0;
  const int32_t replacement = MakeImage(3, 3, PixelFormat24bppRGB);
  EXPECT_EQ(ReplaceImage(doc, replacement), 0);
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(FindImageRecord(doc)->PageImageIDs[0], page);
  CommitCurrentTiffPage(doc);
  EXPECT_EQ(FindImageRecord(doc)->PageImageIDs[0], page);
  EXPECT_EQ(FindImageRecord(doc)->PageFiles[0], file);
  SetPageFileWriter(previous);
}

TEST_F(NativeDocument, PluginTagsBecomePropertyItemsAndResolutions) {
  const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
  const int32_t x[2] = {600, 2}, y[2] = {150, 1}, broken[2] = {72, 0};
  const char maker[] = "vexiro";
  const std::vector<PluginTag> tags = {
      {PropertyTagXResolution, PropertyTagTypeRational, 1, 8, x},
      {PropertyTagYResolution, PropertyTagTypeRational, 1, 8, y},
      {0x010F, PropertyTagTypeASCII, sizeof(maker), sizeof(maker), maker},
  };
  float v = 0, h = 0;
  ApplyTagsToImage(id, tags, v, h);
  EXPECT_EQ(h, 300.0f);
  EXPECT_EQ(v, 150.0f);
  int32_t size = 0;
  EXPECT_EQ(GetImagePropertyItemSize(id, 0x010F, size), vexiro::OK);
  EXPECT_GT(size, 0);
  v = h = -1;
  ApplyTagsToImage(id, {{PropertyTagXResolution, PropertyTagTypeRational, 1, 8, broken}}, v, h);
  EXPECT_EQ(h, -1.0f) << "a zero denominator gives no resolution";
}

// ---- The format plug-in's releases, in order ----

std::vector<std::string> g_calls;
void Unload(intptr_t b) { g_calls.push_back("unload " + std::to_string(b)); }
void CloseMulti(intptr_t m) { g_calls.push_back("close-multi " + std::to_string(m)); }
void Unlock(intptr_t m, intptr_t p) { g_calls.push_back("unlock " + std::to_string(m) + "/" + std::to_string(p)); }
void CloseFile(intptr_t f) { g_calls.push_back("close-file " + std::to_string(f)); }

TEST_F(NativeDocument, PluginHandlesAreReleasedPagesFirstFilesLast) {
  const PluginReleaseHooks previous = SetPluginReleaseHooks({&Unload, &CloseMulti, &Unlock, &CloseFile});
  const int32_t bitmap = MakeImage(1, 1, PixelFormat24bppRGB);
  SetImagePluginBitmap(bitmap, 11);
  const int32_t page = MakeImage(1, 1, PixelFormat24bppRGB);
  SetImagePluginPage(page, 22, 33);
  FindImageRecord(page)->PluginFileHandle = 44;
  int32_t doc = 0;
  RegisterImage(doc, nullptr, "", "", KindGeneric);
  SetImagePluginBitmap(doc, 55);
  FindImageRecord(doc)->IsTiffMultiPage = true;
  FindImageRecord(doc)->NativeMultiPage = true;

  g_calls.clear();
  ReleaseImage(bitmap);
  ReleaseImage(page);
  ReleaseImage(doc);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"unload 11", "unlock 33/22", "close-file 44", "close-multi 55"}));
  SetPluginReleaseHooks(previous);
}

TEST_F(NativeDocument, BitonalImageOverForeignPixelsIsCopiedBeforeTurning) {
  const int32_t id = MakeImage(3, 2, PixelFormat1bppIndexed);
  test_support::WriteRow(id, 0, {0b10000000});
  SetImageKind(id, KindHBitmap);
  EXPECT_EQ(RotateFlipImage(id, Rotate90FlipNone), vexiro::OK);
  // The copy owned its pixels; when the turn moved them into the platform's memory the record
  // let go of the old block and says so.
  const ImageRecord* r = FindImageRecord(id);
  EXPECT_TRUE(r->Kind == KindOwnedScan0 || (r->Kind == KindScan0 && !r->OwnsPixelBuffer && r->PixelBuffer == 0))
      << r->Kind;
  int32_t w = 0;
  GetImageWidth(id, w);
  EXPECT_EQ(w, 2);
  ARGB c = 0;
  GetImagePixel(id, 1, 0, c);
  EXPECT_EQ(c, 0xFFFFFFFFu);
  // A flip keeps the geometry and needs no copy.
  const int32_t flipped = MakeImage(3, 2, PixelFormat1bppIndexed);
  SetImageKind(flipped, KindHIcon);
  EXPECT_EQ(RotateFlipImage(flipped, RotateNoneFlipX), vexiro::OK);
  EXPECT_EQ(FindImageRecord(flipped)->Kind, KindHIcon);
}

TEST(OlderPlatform, IndexedImagesAreWidenedBeforeAForeignWriteLock) {
  OverridePlatformVersionForTesting("5.1.3102.2180");
  {
    vexiro::cImaging engine;
    ASSERT_TRUE(GdiplusBefore60());
    const int32_t id = MakeImage(2, 2, PixelFormat8bppIndexed);
    std::vector<uint32_t> pixels(4, 0xFF123456u);
    ASSERT_EQ(test_support::LockWholeArgb(id, pixels, ImageLockModeWrite), vexiro::OK);
    EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat32bppARGB) << "converted in place, same identifier";
    ARGB c = 0;
    GetImagePixel(id, 1, 1, c);
    EXPECT_EQ(c, 0xFF123456u);
  }
  OverridePlatformVersionForTesting("");
  vexiro::cImaging engine;
  const int32_t id = MakeImage(2, 2, PixelFormat8bppIndexed);
  std::vector<uint32_t> pixels(4, 0xFF000000u);
  ASSERT_EQ(test_support::LockWholeArgb(id, pixels, ImageLockModeWrite), vexiro::OK);
  EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat8bppIndexed) << "a current platform writes into the index";
}

}  // namespace
}  // namespace vx::engine
