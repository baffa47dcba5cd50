// Files opened for reading, multi-page bitmaps, and their pages.
#include <algorithm>
#include <functional>
#include <string>

#include "../vximgplug.h"
#include "bitmap_loader.h"
#include "bitmap_saver.h"
#include "file_io.h"
#include "format_numbers.h"
#include "guarded_call.h"
#include "isolated_load.h"
#include "page_trial.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"
#include "plugin_objects.h"
#include "replacing_file.h"
#include "tiff_file_tags.h"

using namespace vximgplug;

namespace {

bool SupportsPages(FREE_IMAGE_FORMAT fif) { return fif == FIF_TIFF || fif == FIF_GIF || fif == FIF_ICO; }

// Whether a new file can be made beside the target (the file itself is written on close).
bool CanCreateBeside(const std::string& path) {
  ReplacingFile probe(path);
  return probe.IsOpen();
}

// A GIF frame given no disposal is written without one (0), not with FreeImage's default of
// restoring the background; the mark lasts only while the frame is appended.
class UnspecifiedDisposal {
 public:
  UnspecifiedDisposal(FREE_IMAGE_FORMAT fif, FIBITMAP* dib) : dib_(dib) {
    FITAG* existing = nullptr;
    if (fif != FIF_GIF || FreeImage_GetMetadata(FIMD_ANIMATION, dib, kKey, &existing)) return;
    FITAG* tag = FreeImage_CreateTag();
    if (!tag) return;
    const BYTE none = 0;
    set_ = FreeImage_SetTagKey(tag, kKey) && FreeImage_SetTagType(tag, FIDT_BYTE) && FreeImage_SetTagCount(tag, 1) &&
           FreeImage_SetTagLength(tag, 1) && FreeImage_SetTagValue(tag, &none) &&
           FreeImage_SetMetadata(FIMD_ANIMATION, dib, kKey, tag);
    FreeImage_DeleteTag(tag);
  }
  ~UnspecifiedDisposal() {
    if (set_) FreeImage_SetMetadata(FIMD_ANIMATION, dib_, kKey, nullptr);
  }
  UnspecifiedDisposal(const UnspecifiedDisposal&) = delete;
  UnspecifiedDisposal& operator=(const UnspecifiedDisposal&) = delete;

 private:
  static constexpr const char* kKey = "DisposalMethod";
  FIBITMAP* dib_;
  bool set_ = false;
};

// Pages past those the trial saw were appended by the host.
TriedPage TriedPageOf(const MultiBitmap& multi, int32_t page) {
  const auto index = static_cast<size_t>(page);
  return index >= multi.pagesTried.size() ? TriedPage{kPageSafe, 0} : multi.pagesTried[index];
}

// The file a read-only multi-page bitmap reads from, named so that opening it again (to hand it
// to the helper) gives an offset of its own and leaves the host's position alone.
std::string PathOf(const std::shared_ptr<OpenFile>& open) { return "/proc/self/fd/" + std::to_string(fileno(open->file)); }

// A page of a read-only TIFF file is decoded on its own from its directory: FreeImage's page
// access would walk every directory before it.
bool DecodedOnItsOwn(const MultiBitmap& multi, int32_t page) {
  return multi.readOnly && multi.source.fif == FIF_TIFF && static_cast<size_t>(page) < multi.pagesTried.size();
}

std::unique_ptr<Bitmap> HoldCopy(FIBITMAP* copy) {
  if (!BitmapSizeAcceptable(copy)) {
    UnloadBitmap(copy);
    return nullptr;
  }
  return std::make_unique<Bitmap>(copy, false);
}

// A page held in the host: locked in FreeImage's multi-page bitmap, or a copy of its own (read
// here from its TIFF directory or, when FreeImage left its tags unreadable or the page was never
// tried, decoded in the helper with its sound tags only); changes to a copy are not written back.
std::unique_ptr<Bitmap> HoldPage(MultiBitmap& multi, int32_t page) {
  const TriedPage tried = TriedPageOf(multi, page);
  if (tried.trial == kPageTagsUnreadable || tried.trial == kPageUntried)
    return HoldCopy(DecodePageInHelper(multi.source, tried, page));
  if (DecodedOnItsOwn(multi, page)) return HoldCopy(DecodePage(multi.source, tried, page));
  FIBITMAP* dib = FreeImage_LockPage(multi.multi, page);
  if (!dib) return nullptr;
  if (!BitmapSizeAcceptable(dib)) {
    FreeImage_UnlockPage(multi.multi, dib, FALSE);
    return nullptr;
  }
  if (multi.source.fif == FIF_TIFF && tried.tiffDirectory != 0)
    TakeTagsFromTiffDirectory(dib, multi.source.path, tried.tiffDirectory);
  auto held = std::make_unique<Bitmap>(dib, false);
  held->lockedIn = multi.multi;
  return held;
}

// Pages past the most a document may hold are not offered.
int32_t PageCountOf(const MultiBitmap& multi) {
  return std::min(FreeImage_GetPageCount(multi.multi), vx::limits::kMaxDocumentPages);
}

// A TIFF file that may change is written by the plug-in, not by FreeImage's closing (which would
// write it in the host, with libtiff's default strips): FreeImage knows the file by a name under
// /proc/self/fd, which reads the file (through a stream of the plug-in's own) but where no file
// can be made, so that its closing writes nothing. Empty when the file cannot be opened.
std::string NameForFreeImage(MultiBitmap& multi, FREE_IMAGE_FORMAT fif, const std::string& path, bool createNew,
                             bool readOnly) {
  if (fif != FIF_TIFF || (readOnly && !createNew)) return path;
  multi.target = path;
  if (createNew) return "/proc/self/fd/vximgplug-new-pages";
  FILE* file = vx::kernel::OpenRegularFileStream(path.c_str());
  if (!file) return "";
  multi.file = std::make_shared<OpenFile>(file);
  return PathOf(multi.file);
}

// The document's pages in order: the file's own as FreeImage reads them (or as changed), then
// those appended. False when one cannot be had.
bool SpoolDocument(MultiBitmap& multi, TiffPagesForHelper& pages) {
  for (int page = 0; page < multi.filePages; ++page) {
    const auto changed = multi.changedPages.find(page);
    if (changed != multi.changedPages.end()) {
      if (!pages.AddPagesOf(*changed->second)) return false;
      continue;
    }
    FIBITMAP* dib = FreeImage_LockPage(multi.multi, page);
    const bool spooled = pages.Add(dib);
    if (dib) FreeImage_UnlockPage(multi.multi, dib, FALSE);
    if (!spooled) return false;
  }
  if (multi.appendedPages && !pages.AddPagesOf(*multi.appendedPages)) return false;
  return pages.Pages() == static_cast<uint32_t>(FreeImage_GetPageCount(multi.multi));
}

// A page appended or changed, kept as it is now (in FreeImage's row order) for the plug-in's
// writing of the file.
void KeepPage(std::unique_ptr<TiffPagesForHelper>& kept, FIBITMAP* dib) {
  if (!kept) kept = std::make_unique<TiffPagesForHelper>(true);
  kept->Add(dib);
}

// A page FreeImage cannot give leaves the file to FreeImage's own writing.
bool WriteTiffPages(MultiBitmap& multi, int flags) {
  ReplacingFile file(multi.target);
  bool written = false;
  if (file.IsOpen()) {
    TiffPagesForHelper pages(true);
    const auto saveHere = [&] {
      return FreeImage_SaveMultiBitmapToHandle(FIF_TIFF, multi.multi, StdioCallbacks(), file.Stream(), flags) != FALSE;
    };
    written = SpoolDocument(multi, pages) ? SaveTiffPages(pages, flags, file, saveHere) : saveHere();
  }
  FreeImage_CloseMultiBitmap(multi.multi, 0);  // frees the pages; writes nothing
  multi.multi = nullptr;
  return written && file.Commit();
}

void ReleaseLockedPages(MultiBitmap& multi) {
  for (uint32_t page : multi.lockedPages) Bitmaps().Take(page);
  multi.lockedPages.clear();
}

}  // namespace

extern "C" {

uint32_t VXIMGPLUG_OpenFileU(const char* path) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    if (!path || !*path) return 0;
    FILE* file = vx::kernel::OpenRegularFileStream(path);
    if (!file) return 0;
    auto ref = std::make_unique<FileRef>();
    ref->open = std::make_shared<OpenFile>(file);
    return Files().Add(std::move(ref));
  });
}

void VXIMGPLUG_CloseFileHandle(uint32_t file) {
  // A multi-page bitmap still reading from the file keeps it open until it is closed.
  GuardedVoid([&] { Files().Take(file); });
}

uint32_t VXIMGPLUG_OpenMultiBitmapU(int32_t format, int32_t flags, uint32_t file) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    const FREE_IMAGE_FORMAT fif = ToFreeImageFormat(format);
    FileRef* ref = Files().Find(file);
    if (!ref || !SupportsPages(fif)) return 0;
    std::shared_ptr<OpenFile> open = ref->open;
    if (std::fseek(open->file, 0, SEEK_SET) != 0) return 0;
    auto multi = std::make_unique<MultiBitmap>();
    multi->source = PageSource{fif, PathOf(open), flags};
    multi->readOnly = true;
    auto tried = TryPagesInHelper(multi->source, true);
    if (!tried) return 0;
    multi->pagesTried = std::move(*tried);
    multi->multi = FreeImage_OpenMultiBitmapFromHandle(fif, StdioCallbacks(), open->file, flags);
    if (!multi->multi) return 0;
    multi->format = fif;
    multi->file = std::move(open);
    return MultiBitmaps().Add(std::move(multi));
  });
}

uint32_t VXIMGPLUG_OpenMultiBitmap(int32_t format, const char* path, int32_t createNew, int32_t readOnly,
                                   int32_t keepCacheInMemory, int32_t flags) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    const FREE_IMAGE_FORMAT fif = ToFreeImageFormat(format);
    if (!path || !*path || !SupportsPages(fif)) return 0;
    if (createNew && !CanCreateBeside(path)) return 0;
    auto multi = std::make_unique<MultiBitmap>();
    if (!createNew) {
      if (!IsNonEmptyRegularFile(path)) return 0;
      multi->source = PageSource{fif, path, flags};
      multi->readOnly = readOnly != 0;
      auto tried = TryPagesInHelper(multi->source, multi->readOnly);
      if (!tried) return 0;
      multi->pagesTried = std::move(*tried);
    }
    const std::string name = NameForFreeImage(*multi, fif, path, createNew != 0, readOnly != 0);
    if (name.empty()) return 0;
    // Pages are cached in memory: a cache file beside the target could outlive a crash.
    multi->multi = FreeImage_OpenMultiBitmap(fif, name.c_str(), createNew ? TRUE : FALSE, readOnly ? TRUE : FALSE, TRUE, flags);
    if (!multi->multi) return 0;
    if (!createNew) multi->filePages = FreeImage_GetPageCount(multi->multi);
    multi->format = fif;
    return MultiBitmaps().Add(std::move(multi));
  });
}

int32_t VXIMGPLUG_CloseMultiBitmap(uint32_t multiHandle, int32_t flags) {
  return Guarded<int32_t>(0, [&] {
    std::unique_ptr<MultiBitmap> multi = MultiBitmaps().Take(multiHandle);
    if (!multi) return 0;
    ReleaseLockedPages(*multi);
    const int translated = TranslateSaveFlags(FromFreeImageFormat(multi->format), flags);
    if (!multi->target.empty() && multi->changed) return WriteTiffPages(*multi, translated) ? 1 : 0;
    FIMULTIBITMAP* m = multi->multi;
    multi->multi = nullptr;
    return FreeImage_CloseMultiBitmap(m, translated) ? 1 : 0;
  });
}

int32_t VXIMGPLUG_GetPageCount(uint32_t multiHandle) {
  return Guarded<int32_t>(0, [&] {
    MultiBitmap* multi = MultiBitmaps().Find(multiHandle);
    return multi ? PageCountOf(*multi) : 0;
  });
}

uint32_t VXIMGPLUG_LockPage(uint32_t multiHandle, int32_t page) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    MultiBitmap* multi = MultiBitmaps().Find(multiHandle);
    if (!multi || page < 0 || page >= PageCountOf(*multi) || TriedPageOf(*multi, page).trial == kPageRefused)
      return 0;
    std::unique_ptr<Bitmap> bitmap = HoldPage(*multi, page);
    if (!bitmap) return 0;
    bitmap->multiHandle = multiHandle;
    bitmap->pageNumber = page;
    multi->lockedPages.reserve(multi->lockedPages.size() + 1);
    const uint32_t handle = Bitmaps().Add(std::move(bitmap));
    if (handle) multi->lockedPages.push_back(handle);
    return handle;
  });
}

void VXIMGPLUG_UnlockPage(uint32_t multiHandle, uint32_t page, int32_t changed) {
  GuardedVoid([&] {
    MultiBitmap* multi = MultiBitmaps().Find(multiHandle);
    Bitmap* bitmap = Bitmaps().Find(page);
    if (!multi || !bitmap || bitmap->multiHandle != multiHandle) return;
    bitmap->changed = changed != 0;
    if (bitmap->changed && bitmap->lockedIn) {
      multi->changed = true;
      if (!multi->target.empty()) {
        BottomRowFirst upright(*bitmap);
        std::unique_ptr<TiffPagesForHelper>& kept = multi->changedPages[bitmap->pageNumber];
        kept.reset();  // changed again: only the last change counts
        KeepPage(kept, bitmap->dib);
      }
    }
    std::erase(multi->lockedPages, page);
    Bitmaps().Take(page);
  });
}

void VXIMGPLUG_AppendPage(uint32_t multiHandle, uint32_t bitmapHandle) {
  GuardedVoid([&] {
    MultiBitmap* multi = MultiBitmaps().Find(multiHandle);
    Bitmap* bitmap = Bitmaps().Find(bitmapHandle);
    if (!multi || !bitmap || !FreeImage_HasPixels(bitmap->dib)) return;
    if (PageCountOf(*multi) >= vx::limits::kMaxDocumentPages) return;
    BottomRowFirst upright(*bitmap);
    UnspecifiedDisposal disposal(multi->format, bitmap->dib);
    FreeImage_AppendPage(multi->multi, bitmap->dib);
    multi->changed = true;
    if (!multi->target.empty()) KeepPage(multi->appendedPages, bitmap->dib);
  });
}

}  // extern "C"
