#include "page_trial.h"

#include <algorithm>

#include "bitmap_loader.h"
#include "file_io.h"
#include "header_dimensions.h"
#include "child_process.h"
#include "helper_requests.h"
#include "isolated_load.h"
#include "metadata_transfer.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"
#include "tiff_page_view.h"
#include "tiff_screen.h"

namespace vximgplug {
namespace {

constexpr int32_t kMaxPages = vx::limits::kMaxDocumentPages;

// The pages to try: TIFF pages with their directories' verdicts and offsets, others all open.
std::vector<ScreenedPage> PagesToTry(const PageSource& source, int32_t count) {
  std::vector<ScreenedPage> pages;
  if (source.fif == FIF_TIFF) pages = ScreenTiffPages(source.path, count);
  else pages.assign(static_cast<size_t>(count), ScreenedPage{true, 0});
  pages.resize(static_cast<size_t>(count));
  return pages;
}

bool TryLonePage(int fd, const PageSource& source) {
  const std::vector<ScreenedPage> screened = PagesToTry(source, 1);
  const TriedPage tried{screened[0].acceptable ? kPageUntried : kPageRefused, screened[0].directoryOffset};
  return WriteAll(fd, &tried, sizeof tried);
}

bool TryEveryPage(int fd, FIMULTIBITMAP* multi, const PageSource& source, bool readOnly) {
  const int32_t count = std::min(FreeImage_GetPageCount(multi), kMaxPages);
  if (count < 0 || !WriteAll(fd, &count, sizeof count)) return false;
  if (readOnly && count == 1 && source.fif == FIF_TIFF) return TryLonePage(fd, source);
  const std::vector<ScreenedPage> screened = PagesToTry(source, count);
  for (int32_t page = 0; page < count; ++page) {
    const ScreenedPage& s = screened[static_cast<size_t>(page)];
    TriedPage tried{kPageRefused, s.directoryOffset};
    FIBITMAP* dib = nullptr;
    if (s.acceptable) dib = source.fif == FIF_TIFF ? DecodePage(source, tried, page) : FreeImage_LockPage(multi, page);
    // A page whose tags lead nowhere would fault when the host reads its metadata.
    if (BitmapSizeAcceptable(dib)) tried.trial = EveryTagReadable(dib) ? kPageSafe : kPageTagsUnreadable;
    if (dib && source.fif == FIF_TIFF) FreeImage_Unload(dib);
    else if (dib) FreeImage_UnlockPage(multi, dib, FALSE);
    if (!WriteAll(fd, &tried, sizeof tried)) return false;
  }
  return true;
}

}  // namespace

// A TIFF file's pages are screened one by one from their directories; the pages of other files
// (an icon's images) pass the screen a single-picture load of the file passes, or none is opened.
FIMULTIBITMAP* PageSource::Reopen() const {
  if (fif != FIF_TIFF && !ClaimedSizeAcceptable(fif, path)) return nullptr;
  return FreeImage_OpenMultiBitmap(fif, path.c_str(), FALSE, TRUE, TRUE, flags);
}

FIBITMAP* DecodePage(const PageSource& source, const TriedPage& tried, int32_t page) {
  if (source.fif == FIF_TIFF) return LoadTiffPage(source.path, tried.tiffDirectory, source.flags);
  FIMULTIBITMAP* reopened = source.Reopen();
  if (!reopened) return nullptr;
  // A copy of its own, so that the document can be closed before the page is handed over.
  FIBITMAP* locked = FreeImage_LockPage(reopened, page);
  FIBITMAP* copy = locked ? FreeImage_Clone(locked) : nullptr;
  if (locked) FreeImage_UnlockPage(reopened, locked, FALSE);
  FreeImage_CloseMultiBitmap(reopened, 0);
  return copy;
}

namespace {

HelperRequest PageRequest(RequestKind kind, const PageSource& source) {
  HelperRequest request;
  request.kind = kind;
  request.format = source.fif;
  request.flags = source.flags;
  return request;
}

PageSource InHelper(const HelperRequest& request, const std::string& path) {
  return PageSource{static_cast<FREE_IMAGE_FORMAT>(request.format), path, request.flags};
}

}  // namespace

bool ServePageDecode(const HelperRequest& request, const std::string& path, int reply) {
  const TriedPage tried{request.trial, request.tiffDirectory};
  FIBITMAP* dib = DecodePage(InHelper(request, path), tried, request.page);
  const bool sent = dib && SendBitmap(reply, dib);
  if (dib) FreeImage_Unload(dib);
  return sent;
}

FIBITMAP* DecodePageInHelper(const PageSource& source, const TriedPage& tried, int32_t page) {
  HelperRequest request = PageRequest(RequestKind::kPage, source);
  request.trial = tried.trial;
  request.tiffDirectory = tried.tiffDirectory;
  request.page = page;
  const SourceFile file(source.path);
  return LoadInHelper(EncodeRequest(request), file.get(), false);
}

bool ServePageTrial(const HelperRequest& request, const std::string& path, int reply) {
  const PageSource source = InHelper(request, path);
  FIMULTIBITMAP* multi = source.Reopen();
  if (!multi) return false;
  const bool tried = TryEveryPage(reply, multi, source, request.readOnly != 0);
  FreeImage_CloseMultiBitmap(multi, 0);
  return tried;
}

std::optional<std::vector<TriedPage>> TryPagesInHelper(const PageSource& source, bool readOnly) {
  bool counted = false;
  std::vector<TriedPage> pages;
  HelperRequest request = PageRequest(RequestKind::kPageTrial, source);
  request.readOnly = readOnly ? 1 : 0;
  const SourceFile file(source.path);
  RunInHelper(EncodeRequest(request), file.get(), [&](int fd, Deadline deadline) {
    int32_t count = 0;
    if (!ReadAll(fd, &count, sizeof count, deadline) || count < 0 || count > kMaxPages) return false;
    counted = true;
    pages.assign(static_cast<size_t>(count), TriedPage{});
    for (TriedPage& tried : pages) {
      if (!ReadAll(fd, &tried, sizeof tried, deadline)) return false;
      if (tried.trial > kPageUntried) tried.trial = kPageRefused;
    }
    return true;
  });
  if (!counted) return std::nullopt;
  return pages;
}

}  // namespace vximgplug
