#include "tiff_page_view.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "file_io.h"
#include "tiff_file_tags.h"

namespace vximgplug {
namespace {

// The file with its header's first-directory field replaced.
struct PageView {
  FILE* file = nullptr;
  std::array<uint8_t, 16> header{};
  size_t headerBytes = 0;
};

unsigned DLL_CALLCONV ReadView(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  auto* view = static_cast<PageView*>(handle);
  const long start = std::ftell(view->file);
  const size_t got = std::fread(buffer, 1, size_t{size} * count, view->file);
  if (start >= 0 && static_cast<size_t>(start) < view->headerBytes) {
    const size_t from = static_cast<size_t>(start);
    std::memcpy(buffer, view->header.data() + from, std::min(got, view->headerBytes - from));
  }
  return size == 0 ? 0 : static_cast<unsigned>(got / size);
}

int DLL_CALLCONV SeekView(fi_handle handle, long offset, int origin) {
  return std::fseek(static_cast<PageView*>(handle)->file, offset, origin);
}

long DLL_CALLCONV TellView(fi_handle handle) { return std::ftell(static_cast<PageView*>(handle)->file); }

void PutOffset(uint8_t* at, uint64_t value, size_t bytes, bool bigEndian) {
  for (size_t i = 0; i < bytes; ++i) {
    const size_t shift = 8 * (bigEndian ? bytes - 1 - i : i);
    at[i] = static_cast<uint8_t>(value >> shift);
  }
}

// The header as read, pointing at the page's directory; false when it is no TIFF header.
bool PointHeaderAt(PageView& view, uint64_t directoryOffset) {
  const size_t got = std::fread(view.header.data(), 1, view.header.size(), view.file);
  if (got < 8 || std::fseek(view.file, 0, SEEK_SET) != 0) return false;
  const bool bigEndian = view.header[0] == 'M';
  const bool bigTiff = view.header[bigEndian ? 3 : 2] == 43;
  if (bigTiff && got < 16) return false;
  if (!bigTiff && directoryOffset > 0xFFFFFFFFu) return false;
  view.headerBytes = bigTiff ? 16 : 8;
  PutOffset(view.header.data() + (bigTiff ? 8 : 4), directoryOffset, bigTiff ? 8 : 4, bigEndian);
  return true;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

FIBITMAP* LoadTiffPage(const std::string& path, uint64_t directoryOffset, int flags) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return nullptr;
  PageView view{file.get()};
  if (!PointHeaderAt(view, directoryOffset)) return nullptr;
  FreeImageIO io = *StdioCallbacks();
  io.read_proc = ReadView;
  io.seek_proc = SeekView;
  io.tell_proc = TellView;
  FIBITMAP* dib = FreeImage_LoadFromHandle(FIF_TIFF, &io, &view, flags);
  TakeTagsFromTiffDirectory(dib, path, directoryOffset);
  return dib;
}

}  // namespace vximgplug
