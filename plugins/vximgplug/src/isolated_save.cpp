#include "isolated_save.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <vector>

#include "bitmap_description.h"
#include "child_process.h"
#include "compact_tiff_strips.h"
#include "file_io.h"
#include "helper_requests.h"
#include "metadata_transfer.h"

namespace vximgplug {
namespace {

// The helper's time limit covers the whole save, which FreeImage does at some tens of MB a
// second; a larger picture is saved in the host, with libtiff's default strips.
constexpr uint64_t kMostPixelBytesForHelper = uint64_t{128} << 20;

// Reading the spool and the answer, both memory files, never waits on anyone.
Deadline NoWait() { return std::chrono::steady_clock::now() + std::chrono::hours(1); }

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using OwnedDib = std::unique_ptr<FIBITMAP, DibDeleter>;

// A bitmap, its rows bottom row first as FreeImage keeps them, then (for a page) whether a
// thumbnail follows, and the thumbnail.
bool SpoolBitmap(int fd, FIBITMAP* dib, bool withThumbnail) {
  const PixelHeader h = HeaderOf(dib);
  if (!HeaderAcceptable(h) || !SendDescription(fd, dib, h, TagReading::kDirect)) return false;
  for (int y = 0; y < h.height; ++y) {
    if (!WriteAll(fd, FreeImage_GetScanLine(dib, y), h.lineBytes)) return false;
  }
  if (!withThumbnail) return true;
  FIBITMAP* thumbnail = FreeImage_GetThumbnail(dib);
  const uint8_t follows = thumbnail ? 1 : 0;
  return WriteAll(fd, &follows, 1) && (!thumbnail || SpoolBitmap(fd, thumbnail, false));
}

OwnedDib UnspoolBitmap(int fd, bool withThumbnail) {
  const Deadline deadline = NoWait();
  PixelHeader h{};
  if (!ReadAll(fd, &h, sizeof h, deadline) || !HeaderAcceptable(h)) return nullptr;
  OwnedDib dib(FreeImage_AllocateT(static_cast<FREE_IMAGE_TYPE>(h.type), h.width, h.height, h.bpp, h.redMask,
                                   h.greenMask, h.blueMask));
  if (!dib || FreeImage_GetLine(dib.get()) != h.lineBytes || !ReadPalette(fd, h, deadline, dib.get()) ||
      !ReadProfile(fd, h, deadline, dib.get()) || !ReadMetadata(fd, deadline, dib.get()))
    return nullptr;
  ApplyHeader(h, dib.get());
  for (int y = 0; y < h.height; ++y) {
    if (!ReadAll(fd, FreeImage_GetScanLine(dib.get(), y), h.lineBytes, deadline)) return nullptr;
  }
  if (!withThumbnail) return dib;
  uint8_t follows = 0;
  if (!ReadAll(fd, &follows, 1, deadline) || follows > 1) return nullptr;
  if (follows) {
    OwnedDib thumbnail = UnspoolBitmap(fd, false);
    if (!thumbnail || !FreeImage_SetThumbnail(dib.get(), thumbnail.get())) return nullptr;
  }
  return dib;
}

// FreeImage writes a multi-page document only from a multi-page bitmap, which it would write
// again on closing when it has a file's name. It gets one under /proc/self/fd, where no file can
// be made: its closing then writes nothing, and frees the pages.
struct MultiCloser {
  void operator()(FIMULTIBITMAP* multi) const { FreeImage_CloseMultiBitmap(multi, 0); }
};

bool SavePages(int source, uint32_t pages, int flags, FILE* out) {
  std::unique_ptr<FIMULTIBITMAP, MultiCloser> multi(
      FreeImage_OpenMultiBitmap(FIF_TIFF, SourcePath(source).c_str(), TRUE, FALSE, TRUE, 0));
  if (!multi) return false;
  for (uint32_t page = 0; page < pages; ++page) {
    OwnedDib dib = UnspoolBitmap(source, true);
    if (!dib) return false;
    FreeImage_AppendPage(multi.get(), dib.get());
  }
  return FreeImage_GetPageCount(multi.get()) == static_cast<int>(pages) &&
         FreeImage_SaveMultiBitmapToHandle(FIF_TIFF, multi.get(), StdioCallbacks(), out, flags);
}

bool SaveSpooled(const HelperRequest& request, int source, FILE* out) {
  const CompactTiffStrips strips;
  if (request.asPages) return SavePages(source, request.pages, request.flags, out);
  OwnedDib dib = request.pages == 1 ? UnspoolBitmap(source, true) : nullptr;
  return dib && FreeImage_SaveToHandle(FIF_TIFF, dib.get(), StdioCallbacks(), out, request.flags);
}

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

// The helper's answer, the file FreeImage wrote, to the host's stream.
bool CopyAnswer(int fd, FILE* out) {
  struct stat written{};
  if (fstat(fd, &written) != 0 || written.st_size <= 0) return false;
  std::vector<uint8_t> chunk(size_t{1} << 20);
  for (auto left = static_cast<uint64_t>(written.st_size); left > 0;) {
    const size_t n = left < chunk.size() ? static_cast<size_t>(left) : chunk.size();
    if (!ReadAll(fd, chunk.data(), n, NoWait()) || std::fwrite(chunk.data(), 1, n, out) != n) return false;
    left -= n;
  }
  return true;
}

// All of one spool after the end of another (the source's offset is left alone).
bool CopySpool(int from, int to) {
  std::vector<uint8_t> chunk(size_t{1} << 20);
  for (off_t at = 0;; ) {
    const ssize_t n = pread(from, chunk.data(), chunk.size(), at);
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, chunk.data(), static_cast<size_t>(n))) return false;
    at += n;
  }
}

}  // namespace

TiffPagesForHelper::TiffPagesForHelper(bool asPages)
    : spool_(memfd_create("vximgplug-pages", MFD_CLOEXEC)), asPages_(asPages) {}

bool TiffPagesForHelper::Add(FIBITMAP* dib) {
  spooled_ = spooled_ && spool_.get() >= 0 && dib && FreeImage_HasPixels(dib);
  if (spooled_) pixelBytes_ += PixelBytes(HeaderOf(dib));
  spooled_ = spooled_ && pixelBytes_ <= kMostPixelBytesForHelper && SpoolBitmap(spool_.get(), dib, true);
  return Spooled(1);
}

// What a spool that gave up holds is of no more use: its memory goes back at once.
bool TiffPagesForHelper::Spooled(uint32_t pages) {
  pages_ += spooled_ ? pages : 0;
  if (!spooled_ && spool_.get() >= 0) ftruncate(spool_.get(), 0);
  return spooled_;
}

bool TiffPagesForHelper::AddPagesOf(const TiffPagesForHelper& other) {
  spooled_ = spooled_ && other.spooled_ && spool_.get() >= 0;
  pixelBytes_ += other.pixelBytes_;
  spooled_ = spooled_ && pixelBytes_ <= kMostPixelBytesForHelper && CopySpool(other.spool_.get(), spool_.get());
  return Spooled(other.pages_);
}

HelperSave TiffPagesForHelper::WriteTo(int flags, FILE* out) {
  if (!spooled_ || pages_ == 0) return HelperSave::kSaveHere;
  HelperRequest request;
  request.kind = RequestKind::kTiffSave;
  request.flags = flags;
  request.pages = pages_;
  request.asPages = asPages_ ? 1 : 0;
  const bool saved = RunInHelper(EncodeRequest(request), spool_.get(), [&](int fd, Deadline) { return CopyAnswer(fd, out); });
  if (saved) return HelperSave::kSaved;
  return LastHelperStart() == HelperStart::kStarted ? HelperSave::kFailed : HelperSave::kSaveHere;
}

bool ServeTiffSave(const HelperRequest& request, int source, int reply) {
  if (lseek(source, 0, SEEK_SET) != 0) return false;  // the host's offset is at the spool's end
  const int written = dup(reply);
  std::unique_ptr<FILE, FileCloser> out(written >= 0 ? fdopen(written, "w+b") : nullptr);
  if (!out) {
    if (written >= 0) close(written);
    return false;
  }
  const bool saved = SaveSpooled(request, source, out.get());
  return std::fflush(out.get()) == 0 && saved;
}

}  // namespace vximgplug
