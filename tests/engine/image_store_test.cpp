#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"
#include "engine_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using ImageStore = EngineTest;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(ImageStore, UnknownIdentifiers) {
  for (int32_t id : {0, 1, -5, 123456789}) {
    EXPECT_EQ(GetImageIndex(id), -1);
    EXPECT_EQ(GetGpImage(id), nullptr);
    EXPECT_EQ(ReleaseImage(id), vexiro::InvalidParameter);
    std::string name = "x";
    EXPECT_EQ(ReadRawFormatName(id, name), vexiro::InvalidParameter);
    EXPECT_EQ(name, "");
    EXPECT_EQ(GetImageKind(id), KindGeneric);
    EXPECT_EQ(ReplaceImage(id, id), 0);
    EXPECT_FALSE(IsGreyPalette(id));
    int32_t frames = 9;
    EXPECT_EQ(GetTiffFrameCount(id, frames), vexiro::InvalidParameter);
    EXPECT_EQ(frames, 0);
  }
  EXPECT_EQ(FindImageByDC(1234), -1);
}

TEST_F(ImageStore, RecordWithoutImageHasNoFormatOrDepth) {
  int32_t id = 0;
  RegisterImage(id, nullptr, "", "", KindGeneric);
  ASSERT_NE(id, 0);
  EXPECT_EQ(FindImageRecord(id)->FormatName, "");
  EXPECT_EQ(FindImageRecord(id)->BitDepth, 0);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
}

TEST_F(ImageStore, RegistrationRecordsFormatDepthAndKind) {
  const int32_t id = MakeImage(3, 3, PixelFormat16bppRGB565);
  const ImageRecord* r = FindImageRecord(id);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->FormatName, "Memory BMP");
  EXPECT_EQ(r->BitDepth, 16);
  EXPECT_EQ(r->Kind, KindScan0);
}

TEST_F(ImageStore, SlotsAreReusedAndTheStoreShrinksFromTheEnd) {
  const int32_t a = MakeImage(1, 1, PixelFormat24bppRGB);
  const int32_t b = MakeImage(1, 1, PixelFormat24bppRGB);
  const int32_t c = MakeImage(1, 1, PixelFormat24bppRGB);
  EXPECT_EQ(ImageSlotCount(), 3);
  EXPECT_EQ(ReleaseImage(b), vexiro::OK);
  EXPECT_EQ(ImageSlotCount(), 3) << "a slot in the middle is blanked, not removed";
  const int32_t d = MakeImage(1, 1, PixelFormat24bppRGB);
  EXPECT_EQ(GetImageIndex(d), 1) << "the free slot is reused";
  EXPECT_EQ(ReleaseImage(c), vexiro::OK);
  EXPECT_EQ(ImageSlotCount(), 2) << "releasing the last slot shrinks the store";
  EXPECT_EQ(ReleaseImage(a), vexiro::OK);
  EXPECT_EQ(ImageSlotCount(), 2);
  EXPECT_EQ(GetImageIndex(d), 1);
  EXPECT_EQ(ReleaseImage(d), vexiro::OK);
  EXPECT_EQ(ImageSlotCount(), 1);
  ReleaseAllImages();
  EXPECT_EQ(ImageSlotCount(), 0) << "trailing free slots are dropped";
}

TEST_F(ImageStore, IdentifiersAreNeverZeroNorReused) {
  SeedRandomGenerator(1234);
  const int32_t first = MakeImage(1, 1, PixelFormat24bppRGB);
  SeedRandomGenerator(1234);  // the next draw repeats the first identifier
  const int32_t second = MakeImage(1, 1, PixelFormat24bppRGB);
  EXPECT_NE(first, second);
  std::set<int32_t> ids{first, second};
  for (int i = 0; i < 200; ++i) {
    const int32_t id = NewImageID();
    EXPECT_GT(id, 0);
    EXPECT_LE(id, 99999994);
    EXPECT_NE(id, first);
    EXPECT_NE(id, second);
    ids.insert(id);
  }
  EXPECT_GT(ids.size(), 150u);
}

TEST_F(ImageStore, RawFormatNames) {
  const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
  const struct {
    GUID format;
    const char* name;
  } cases[] = {
      {ImageFormatUndefined, "UNKNOWN"}, {ImageFormatMemoryBMP, "Memory BMP"}, {ImageFormatBMP, "BMP"},
      {ImageFormatEMF, "EMF"},           {ImageFormatWMF, "WMF"},               {ImageFormatJPEG, "JPEG"},
      {ImageFormatPNG, "PNG"},           {ImageFormatGIF, "GIF"},               {ImageFormatTIFF, "TIFF"},
      {ImageFormatEXIF, "EXIF"},         {ImageFormatIcon, "ICON"},             {FrameDimensionPage, "Undefined"},
  };
  for (const auto& c : cases) {
    GetGpImage(id)->rawFormat = c.format;
    std::string name;
    EXPECT_EQ(ReadRawFormatName(id, name), vexiro::OK);
    EXPECT_EQ(name, c.name);
  }
}

TEST_F(ImageStore, GreyPaletteTest) {
  const int32_t id = MakeImage(2, 2, PixelFormat8bppIndexed);
  ColorPalette grey;
  grey.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) grey.Entries[i] = 0x7F000000u | i << 16 | i << 8 | i;  // alpha is not tested
  ASSERT_EQ(SetImagePaletteRaw(id, grey), vexiro::OK);
  EXPECT_TRUE(IsGreyPalette(id));
  grey.Entries[200] ^= 0x100;
  ASSERT_EQ(SetImagePaletteRaw(id, grey), vexiro::OK);
  EXPECT_FALSE(IsGreyPalette(id));
  EXPECT_FALSE(IsGreyPalette(MakeImage(2, 2, PixelFormat24bppRGB)));
}

TEST_F(ImageStore, ReplaceImageOnAPlainImage) {
  const int32_t old = MakeImage(2, 2, PixelFormat24bppRGB);
  const int32_t replacement = MakeImage(9, 4, PixelFormat32bppARGB);
  GpImage* replacementImage = GetGpImage(replacement);
  EXPECT_EQ(ReplaceImage(old, replacement), old);
  EXPECT_EQ(GetImageIndex(replacement), -1) << "the new identifier is gone";
  EXPECT_EQ(GetGpImage(old), replacementImage) << "the old identifier names the new image";
  int32_t width = 0;
  EXPECT_EQ(GetImageWidth(old, width), vexiro::OK);
  EXPECT_EQ(width, 9);
  EXPECT_EQ(ReplaceImage(old, old), old);
  EXPECT_EQ(GetGpImage(old), replacementImage);
}

TEST_F(ImageStore, ReplaceWithUnknownNewImageKeepsTheOldOne) {
  const int32_t old = MakeImage(2, 2, PixelFormat24bppRGB);
  GpImage* image = GetGpImage(old);
  EXPECT_EQ(ReplaceImage(old, 987654), 0);
  EXPECT_EQ(GetGpImage(old), image) << "nothing is released when there is nothing to put in its place";
}

// ---- Editable documents made by hand: pages are files, the current page an image ----

std::string g_writerFailsWith;
VexiroStatus TestPageWriter(int32_t imageId, const std::string& path, const std::string& format) {
  if (!g_writerFailsWith.empty()) return vexiro::GenericError;
  int32_t width = 0;
  GetImageWidth(imageId, width);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << format << " page of width " << width;
  return vexiro::OK;
}

class EditableDocument : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    previousWriter_ = SetPageFileWriter(&TestPageWriter);
    g_writerFailsWith.clear();
    RegisterImage(doc_, nullptr, "", "", KindGeneric);
    page_ = MakeImage(3, 3, PixelFormat24bppRGB);
    ImageRecord* d = FindImageRecord(doc_);
    d->IsTiffMultiPage = true;
    d->PageCount = 2;
    for (int p = 0; p < 2; ++p) {
      const std::string file = GetTempFilePath();
      std::ofstream(file, std::ios::binary) << "original page " << p;
      d->PageFiles.push_back(file);
    }
    d->PageImageIDs = {page_, 0};
    d->PageBitDepths = {24, 24};
    d->CurrentPage = 0;
  }
  void TearDown() override {
    SetPageFileWriter(previousWriter_);
    EngineTest::TearDown();
  }
  ImageRecord& Doc() { return *FindImageRecord(doc_); }
  PageFileWriter previousWriter_ = nullptr;
  int32_t doc_ = 0;
  int32_t page_ = 0;
};

TEST_F(EditableDocument, CurrentPageIsWhatTheDocumentShows) {
  EXPECT_EQ(GetGpImage(doc_), GetGpImage(page_));
  EXPECT_EQ(ResolvePageImageID(doc_), page_);
  EXPECT_EQ(GetImageKind(doc_), KindScan0);
  MarkImageModified(doc_);
  EXPECT_TRUE(FindImageRecord(page_)->Modified);
  ClearImageModified(doc_);
  EXPECT_FALSE(FindImageRecord(page_)->Modified);
  Doc().CurrentPage = -1;
  EXPECT_EQ(GetGpImage(doc_), nullptr);
  EXPECT_EQ(ResolvePageImageID(doc_), 0);
  Doc().CurrentPage = 0;
}

// The store's queries and the kind setter agree on what a document shows: its current page, or
// nothing while no page is loaded or none is left.
TEST_F(EditableDocument, EveryQueryFollowsTheDocumentToTheSamePage) {
  struct Case {
    const char* state;
    int32_t currentPage, pageCount;
    bool showsPage;
  } cases[] = {
      {"page loaded", 0, 2, true},
      {"no current page", -1, 2, false},
      {"current page not loaded", 1, 2, false},
      {"no pages left", 0, 0, false},
  };
  for (const Case& c : cases) {
    Doc().CurrentPage = c.currentPage;
    Doc().PageCount = c.pageCount;
    FindImageRecord(page_)->Kind = KindScan0;
    EXPECT_EQ(GetGpImage(doc_), c.showsPage ? GetGpImage(page_) : nullptr) << c.state;
    EXPECT_EQ(ResolvePageImageID(doc_), c.showsPage ? page_ : 0) << c.state;
    EXPECT_EQ(GetImageKind(doc_), c.showsPage ? KindScan0 : KindGeneric) << c.state;
    SetImageKind(doc_, KindHBitmap);
    EXPECT_EQ(FindImageRecord(page_)->Kind, c.showsPage ? KindHBitmap : KindScan0) << c.state;
    EXPECT_EQ(Doc().Kind, KindGeneric) << c.state << ": the document record keeps its kind";
  }
  Doc().CurrentPage = 0;
  Doc().PageCount = 2;
}

TEST_F(ImageStore, ScopedImageReleasesUnlessKept) {
  struct Case {
    const char* what;
    void (*end)(ScopedImage&);
    bool survives;
  } cases[] = {
      {"left to the scope", [](ScopedImage&) {}, false},
      {"kept", [](ScopedImage& owner) { owner.Keep(); }, true},
      {"released early", [](ScopedImage& owner) { owner.Release(); }, false},
  };
  for (const Case& c : cases) {
    const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
    {
      ScopedImage owner(id);
      c.end(owner);
    }
    EXPECT_EQ(GetImageIndex(id) >= 0, c.survives) << c.what;
    ReleaseImage(id);
  }
  ScopedImage filled;
  const int32_t id = MakeImage(2, 2, PixelFormat24bppRGB);
  *filled.put() = id;
  EXPECT_EQ(filled.Release(), id) << "the identifier it released";
  EXPECT_EQ(filled.Release(), 0) << "a second release frees nothing";
  EXPECT_EQ(GetImageIndex(id), -1);
  ScopedImage empty;
  EXPECT_EQ(empty.Keep(), 0);
  EXPECT_EQ(ImageSlotCount(), 0);
}

TEST_F(EditableDocument, ReplaceImageWritesTheNewPageFirst) {
  const std::string oldFile = Doc().PageFiles[0];
  const int32_t replacement = MakeImage(7, 2, PixelFormat8bppIndexed);
  MarkImageModified(replacement);
  EXPECT_EQ(ReplaceImage(doc_, replacement), doc_);
  EXPECT_EQ(Doc().PageImageIDs[0], replacement);
  EXPECT_EQ(Doc().PageBitDepths[0], 8);
  EXPECT_NE(Doc().PageFiles[0], oldFile);
  EXPECT_FALSE(std::filesystem::exists(oldFile)) << "the old page file goes once the new one is in place";
  EXPECT_EQ(ReadFile(Doc().PageFiles[0]), "TIFF page of width 7");
  EXPECT_EQ(GetImageIndex(page_), -1) << "the old page image is released";
  EXPECT_FALSE(FindImageRecord(replacement)->Modified);
  EXPECT_EQ(GetGpImage(doc_), GetGpImage(replacement));
}

TEST_F(EditableDocument, FailedPageWriteKeepsTheOldPage) {
  const std::string oldFile = Doc().PageFiles[0];
  const int32_t replacement = MakeImage(7, 2, PixelFormat24bppRGB);
  g_writerFailsWith = "disk full";
  const int32_t slotsBefore = ImageSlotCount();
  EXPECT_EQ(ReplaceImage(doc_, replacement), 0) << "the failure is reported";
  EXPECT_EQ(Doc().PageFiles[0], oldFile);
  EXPECT_EQ(ReadFile(oldFile), "original page 0");
  EXPECT_EQ(Doc().PageImageIDs[0], page_);
  EXPECT_GE(GetImageIndex(page_), 0);
  EXPECT_EQ(GetImageIndex(replacement), -1) << "the new image is released, not leaked";
  EXPECT_LE(ImageSlotCount(), slotsBefore);
}

TEST_F(EditableDocument, UnloadingWritesOnlyAModifiedPage) {
  const std::string original = Doc().PageFiles[0];
  UnloadCurrentPage(doc_, "TIFF");
  EXPECT_EQ(GetImageIndex(page_), -1);
  EXPECT_EQ(Doc().CurrentPage, -1);
  EXPECT_EQ(Doc().PageFiles[0], original) << "an unchanged page keeps its file";

  const int32_t again = MakeImage(5, 5, PixelFormat24bppRGB);
  Doc().PageImageIDs[0] = again;
  Doc().CurrentPage = 0;
  MarkImageModified(doc_);
  UnloadCurrentPage(doc_, "GIF");
  EXPECT_NE(Doc().PageFiles[0], original);
  EXPECT_FALSE(std::filesystem::exists(original));
  EXPECT_EQ(ReadFile(Doc().PageFiles[0]), "GIF page of width 5");
  EXPECT_EQ(GetImageIndex(again), -1);
}

TEST_F(EditableDocument, ReleasingTheDocumentReleasesPagesAndDeletesTheirFiles) {
  const std::vector<std::string> files = Doc().PageFiles;
  EXPECT_EQ(ReleaseImage(doc_), vexiro::OK);
  EXPECT_EQ(GetImageIndex(page_), -1);
  for (const std::string& f : files) EXPECT_FALSE(std::filesystem::exists(f)) << f;
}

TEST_F(ImageStore, OwnedSourceFileIsDeletedAtRelease) {
  const int32_t id = MakeImage(1, 1, PixelFormat24bppRGB);
  const std::string file = GetTempFilePath();
  SetImageSourceFile(id, file);
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
  EXPECT_FALSE(std::filesystem::exists(file));
}

// The device context lent out for an image is returned while the image still exists.
GpImage* g_lentImage = nullptr;
int g_dcReturns = 0;
void CheckingDCReleaser(GpGraphics*, HDC dc) {
  ++g_dcReturns;
  UINT width = 0;
  EXPECT_EQ(GdipGetImageWidth(g_lentImage, &width), Ok) << "the image must outlive its lent DC";
  EXPECT_EQ(dc, 4242u);
}

TEST_F(ImageStore, LentDCIsReturnedBeforeTheImageIsDisposed) {
  const LentDCReleaser previous = SetLentDCReleaser(&CheckingDCReleaser);
  const int32_t id = MakeImage(6, 1, PixelFormat24bppRGB);
  g_lentImage = GetGpImage(id);
  FindImageRecord(id)->DC = 4242;
  EXPECT_EQ(FindImageByDC(4242), GetImageIndex(id));
  g_dcReturns = 0;
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
  EXPECT_EQ(g_dcReturns, 1);
  SetLentDCReleaser(previous);
}

TEST_F(ImageStore, OwnedPixelMemoryIsFreedOnceAndBorrowedMemoryNever) {
  const int32_t stride = ComputeStride(4, 24);
  void* owned = GdipAlloc(static_cast<size_t>(stride) * 4);
  ASSERT_NE(owned, nullptr);
  int32_t ownedId = 0;
  ASSERT_EQ(CreateImageFromScan0(4, 4, stride, PixelFormat24bppRGB, reinterpret_cast<intptr_t>(owned), ownedId, true),
            vexiro::OK);
  EXPECT_EQ(FindImageRecord(ownedId)->Kind, KindOwnedScan0);
  EXPECT_TRUE(FindImageRecord(ownedId)->OwnsPixelBuffer);

  std::vector<uint8_t> borrowed(static_cast<size_t>(stride) * 4, 0x55);
  int32_t borrowedId = 0;
  ASSERT_EQ(CreateImageFromScan0(4, 4, stride, PixelFormat24bppRGB, reinterpret_cast<intptr_t>(borrowed.data()),
                                 borrowedId, false),
            vexiro::OK);
  EXPECT_EQ(FindImageRecord(borrowedId)->Kind, KindScan0);
  // The leak checker and the address checker judge the rest: the owned block must be freed
  // exactly once, the vector's block never.
  EXPECT_EQ(ReleaseImage(ownedId), vexiro::OK);
  EXPECT_EQ(ReleaseImage(borrowedId), vexiro::OK);
  EXPECT_EQ(borrowed[0], 0x55);
}

}  // namespace
}  // namespace vx::engine
