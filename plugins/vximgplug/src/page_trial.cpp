#include "page_trial.h"

#include "bitmap_loader.h"
#include "child_process.h"
#include "metadata_transfer.h"

namespace vximgplug {
namespace {

constexpr int32_t kMaxPages = 1 << 20;

bool TryEveryPage(int fd, FIMULTIBITMAP* multi) {
  const int32_t count = FreeImage_GetPageCount(multi);
  if (count < 0 || count > kMaxPages || !WriteAll(fd, &count, sizeof count)) return false;
  for (int32_t page = 0; page < count; ++page) {
    FIBITMAP* dib = FreeImage_LockPage(multi, page);
    // A page whose tags lead nowhere would fault when the host reads its metadata.
    uint8_t safe = kPageRefused;
    if (BitmapSizeAcceptable(dib)) safe = EveryTagReadable(dib) ? kPageSafe : kPageTagsUnreadable;
    if (dib) FreeImage_UnlockPage(multi, dib, FALSE);
    if (!WriteAll(fd, &safe, 1)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> TryPagesInChild(const std::function<FIMULTIBITMAP*()>& open) {
  bool counted = false;
  std::vector<uint8_t> pages;
  RunInChild(
      [&](int fd) {
        FIMULTIBITMAP* multi = open();  // left open: the child's memory goes with it
        return multi && TryEveryPage(fd, multi);
      },
      [&](int fd, Deadline deadline) {
        int32_t count = 0;
        if (!ReadAll(fd, &count, sizeof count, deadline) || count < 0 || count > kMaxPages) return false;
        counted = true;
        pages.assign(static_cast<size_t>(count), 0);
        for (uint8_t& safe : pages) {
          if (!ReadAll(fd, &safe, 1, deadline)) return false;
          if (safe > kPageTagsUnreadable) safe = kPageRefused;
        }
        return true;
      });
  if (!counted) return std::nullopt;
  return pages;
}

}  // namespace vximgplug
