#include "isolated_load.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "bilevel_bitmap.h"
#include "child_process.h"
#include "metadata_transfer.h"

namespace vximgplug {
namespace {

constexpr uint32_t kMaxPalette = 256;
constexpr uint32_t kMaxProfileBytes = 64u << 20;

// The hand-over file is mapped with all its pages at once, on both sides: every row is written
// and read whole, and page by page first touches cost more than the pixels' copy on virtual
// machines.
constexpr int kPixelMapping = MAP_SHARED | MAP_POPULATE;

struct PixelHeader {
  int32_t type, width, height, bpp;
  uint32_t redMask, greenMask, blueMask;
  uint32_t dotsPerMetreX, dotsPerMetreY;
  uint32_t paletteCount, transparencyCount;
  uint32_t lineBytes;
  uint32_t iccBytes, iccFlags;
  uint32_t transparent, hasBackground;
  RGBQUAD background;
};

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { UnloadBitmap(dib); }
};
using DibPtr = std::unique_ptr<FIBITMAP, DibDeleter>;

PixelHeader HeaderOf(FIBITMAP* dib) {
  PixelHeader h{};
  h.type = FreeImage_GetImageType(dib);
  h.width = static_cast<int32_t>(FreeImage_GetWidth(dib));
  h.height = static_cast<int32_t>(FreeImage_GetHeight(dib));
  h.bpp = static_cast<int32_t>(FreeImage_GetBPP(dib));
  h.redMask = FreeImage_GetRedMask(dib);
  h.greenMask = FreeImage_GetGreenMask(dib);
  h.blueMask = FreeImage_GetBlueMask(dib);
  h.dotsPerMetreX = FreeImage_GetDotsPerMeterX(dib);
  h.dotsPerMetreY = FreeImage_GetDotsPerMeterY(dib);
  h.paletteCount = FreeImage_GetPalette(dib) ? FreeImage_GetColorsUsed(dib) : 0;
  h.transparencyCount = FreeImage_GetTransparencyCount(dib);
  h.lineBytes = FreeImage_GetLine(dib);
  const FIICCPROFILE* icc = FreeImage_GetICCProfile(dib);
  h.iccBytes = icc && icc->data && icc->size <= kMaxProfileBytes ? icc->size : 0;
  h.iccFlags = icc ? icc->flags : 0;  // marks CMYK samples even without a profile
  h.transparent = FreeImage_IsTransparent(dib) ? 1 : 0;
  h.hasBackground = FreeImage_GetBackgroundColor(dib, &h.background) ? 1 : 0;
  return h;
}

// Rows of the hand-over file: FreeImage's own pitch, so that the host's bitmap over the file
// answers every pitch question as one it allocated itself would.
size_t PitchOf(const PixelHeader& h) { return (static_cast<size_t>(h.lineBytes) + 3) & ~size_t{3}; }
size_t PixelFileBytes(const PixelHeader& h) { return PitchOf(h) * static_cast<size_t>(h.height); }

bool WriteAllAt(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

// In the helper: every row once, in the order the host keeps them, padding included (zero), so
// the file grows to exactly the size the header announces.
bool WritePixels(int pixelFile, FIBITMAP* dib, const PixelHeader& h, bool topRowFirst) {
  const size_t pitch = PitchOf(h);
  std::vector<uint8_t> row(pitch, 0);
  for (int y = 0; y < h.height; ++y) {
    const int line = topRowFirst ? h.height - 1 - y : y;
    std::copy_n(FreeImage_GetScanLine(dib, line), h.lineBytes, row.data());
    if (!WriteAllAt(pixelFile, row.data(), pitch, static_cast<off_t>(pitch * static_cast<size_t>(y)))) return false;
  }
  return true;
}

bool HeaderAcceptable(const PixelHeader& h);

// Everything but the rows, to the reply file.
bool SendDescription(int fd, FIBITMAP* dib, const PixelHeader& h) {
  bool ok = WriteAll(fd, &h, sizeof h);
  if (ok && h.paletteCount) ok = WriteAll(fd, FreeImage_GetPalette(dib), h.paletteCount * sizeof(RGBQUAD));
  if (ok && h.transparencyCount) ok = WriteAll(fd, FreeImage_GetTransparencyTable(dib), h.transparencyCount);
  if (ok && h.iccBytes) ok = WriteAll(fd, FreeImage_GetICCProfile(dib)->data, h.iccBytes);
  return ok && WriteMetadata(fd, dib);
}

}  // namespace

bool SendBitmap(int fd, int pixelFile, FIBITMAP* dib, bool topRowFirst) {
  const PixelHeader h = HeaderOf(dib);
  // The helper bounds what it hands over by the same rules the host applies.
  if (!HeaderAcceptable(h) || !WritePixels(pixelFile, dib, h, topRowFirst)) return false;
  return SendDescription(fd, dib, h);
}

namespace {

// Shared mappings this large may be backed by huge pages, which fewer first touches fill.
constexpr size_t kHugePageBytes = size_t{2} << 20;

// In the helper: the hand-over file at its final size (zeros, padding included), its rows written
// there by the decoder itself. The file is emptied again when the decoder declines the file.
DirectRows WriteRowsInPlace(int pixelFile, const PixelHeader& h, const DirectDecode& direct) {
  const size_t size = PixelFileBytes(h);
  if (ftruncate(pixelFile, static_cast<off_t>(size)) != 0) return DirectRows::Failed;
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, kPixelMapping, pixelFile, 0);
  if (address == MAP_FAILED) return DirectRows::Failed;
  if (size >= kHugePageBytes) madvise(address, size, MADV_HUGEPAGE);
  const DirectRows written = direct.rows(static_cast<uint8_t*>(address), PitchOf(h));
  munmap(address, size);
  if (written == DirectRows::NotThisFile && ftruncate(pixelFile, 0) != 0) return DirectRows::Failed;
  return written;
}

DirectRows SendDirect(int fd, int pixelFile, const DirectDecode& direct) {
  const PixelHeader h = HeaderOf(direct.header);
  if (!HeaderAcceptable(h)) return DirectRows::Failed;
  const DirectRows written = WriteRowsInPlace(pixelFile, h, direct);
  if (written != DirectRows::Written) return written;
  return SendDescription(fd, direct.header, h) ? DirectRows::Written : DirectRows::Failed;
}

bool HeaderAcceptable(const PixelHeader& h) {
  if (h.width <= 0 || h.height <= 0 ||
      !DimensionsAcceptable(static_cast<uint64_t>(h.width), static_cast<uint64_t>(h.height)))
    return false;
  if (h.type < FIT_BITMAP || h.type > FIT_RGBAF || h.bpp <= 0 || h.bpp > 128) return false;
  if (uint64_t{h.lineBytes} != (static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.bpp) + 7) / 8) return false;
  return h.paletteCount <= kMaxPalette && h.transparencyCount <= kMaxPalette && h.iccBytes <= kMaxProfileBytes;
}

bool ReadPalette(int fd, const PixelHeader& h, Deadline deadline, FIBITMAP* dib) {
  if (h.paletteCount) {
    RGBQUAD* palette = FreeImage_GetPalette(dib);
    if (!palette || FreeImage_GetColorsUsed(dib) < h.paletteCount) return false;
    if (!ReadAll(fd, palette, h.paletteCount * sizeof(RGBQUAD), deadline)) return false;
  }
  if (h.transparencyCount) {
    std::vector<BYTE> table(h.transparencyCount);
    if (!ReadAll(fd, table.data(), table.size(), deadline)) return false;
    FreeImage_SetTransparencyTable(dib, table.data(), static_cast<int>(table.size()));
  }
  return true;
}

bool ReadProfile(int fd, const PixelHeader& h, Deadline deadline, FIBITMAP* dib) {
  if (h.iccBytes) {
    std::vector<uint8_t> profile(h.iccBytes);
    if (!ReadAll(fd, profile.data(), profile.size(), deadline)) return false;
    if (!FreeImage_CreateICCProfile(dib, profile.data(), static_cast<long>(profile.size()))) return false;
  }
  FreeImage_GetICCProfile(dib)->flags = static_cast<WORD>(h.iccFlags);
  return true;
}

// Pixel memory mapped from a hand-over file, for as long as the bitmap over it lives.
class MappedPixels {
 public:
  MappedPixels(void* address, size_t size) : address_(address), size_(size) {}
  MappedPixels(MappedPixels&& other) noexcept : address_(other.address_), size_(other.size_) { other.address_ = nullptr; }
  MappedPixels(const MappedPixels&) = delete;
  MappedPixels& operator=(const MappedPixels&) = delete;
  MappedPixels& operator=(MappedPixels&&) = delete;
  ~MappedPixels() {
    if (address_) munmap(address_, size_);
  }
  uint8_t* bits() const { return static_cast<uint8_t*>(address_); }

 private:
  void* address_;
  size_t size_;
};

// FreeImage does not free memory it was lent, so the mappings under loaded bitmaps are kept here.
struct MappingTable {
  std::mutex mutex;
  std::unordered_map<FIBITMAP*, MappedPixels> byBitmap;
};

MappingTable& Mappings() {
  static MappingTable table;
  return table;
}

// The hand-over file mapped, once the helper can no longer change its size (a file that shrank
// under a mapping would fault the host) and its size is exactly what the header announces.
std::unique_ptr<MappedPixels> MapPixelFile(int pixelFile, const PixelHeader& h) {
  if (fcntl(pixelFile, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW) != 0) return nullptr;
  struct stat info {};
  const size_t size = PixelFileBytes(h);
  if (fstat(pixelFile, &info) != 0 || static_cast<uint64_t>(info.st_size) != size) return nullptr;
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, kPixelMapping, pixelFile, 0);
  if (address == MAP_FAILED) return nullptr;
  return std::make_unique<MappedPixels>(address, size);
}

// A bitmap over the mapped rows; the mapping is owned by the table from then on.
DibPtr BitmapOverPixels(const PixelHeader& h, std::unique_ptr<MappedPixels> pixels) {
  DibPtr dib(FreeImage_ConvertFromRawBitsEx(FALSE, pixels->bits(), static_cast<FREE_IMAGE_TYPE>(h.type), h.width,
                                            h.height, static_cast<int>(PitchOf(h)), static_cast<unsigned>(h.bpp),
                                            h.redMask, h.greenMask, h.blueMask, FALSE));
  if (!dib || FreeImage_GetLine(dib.get()) != h.lineBytes || FreeImage_GetBits(dib.get()) != pixels->bits())
    return nullptr;
  MappingTable& table = Mappings();
  std::lock_guard lock(table.mutex);
  table.byBitmap.emplace(dib.get(), std::move(*pixels));
  return dib;
}

DibPtr ReceiveBitmap(int fd, int pixelFile, Deadline deadline) {
  PixelHeader h{};
  if (!ReadAll(fd, &h, sizeof h, deadline) || !HeaderAcceptable(h)) return nullptr;
  std::unique_ptr<MappedPixels> pixels = MapPixelFile(pixelFile, h);
  if (!pixels) return nullptr;
  DibPtr dib = BitmapOverPixels(h, std::move(pixels));
  if (!dib || !ReadPalette(fd, h, deadline, dib.get())) return nullptr;
  if (!ReadProfile(fd, h, deadline, dib.get()) || !ReadMetadata(fd, deadline, dib.get())) return nullptr;
  FreeImage_SetDotsPerMeterX(dib.get(), h.dotsPerMetreX);
  FreeImage_SetDotsPerMeterY(dib.get(), h.dotsPerMetreY);
  FreeImage_SetTransparent(dib.get(), h.transparent ? TRUE : FALSE);
  if (h.hasBackground) FreeImage_SetBackgroundColor(dib.get(), &h.background);
  return dib;
}

class OwnedFd {
 public:
  explicit OwnedFd(int fd) : fd_(fd) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

enum class DecodeDirectly { Sent, Failed, Declined };

// The header is freed here whatever the outcome: the helper keeps nothing between files.
DecodeDirectly TryDirect(int fd, int pixelFile, const DirectDecode& direct) {
  if (!direct.header) return DecodeDirectly::Declined;
  const DirectRows written = SendDirect(fd, pixelFile, direct);
  FreeImage_Unload(direct.header);
  switch (written) {
    case DirectRows::Written: return DecodeDirectly::Sent;
    case DirectRows::NotThisFile: return DecodeDirectly::Declined;
    default: return DecodeDirectly::Failed;
  }
}

}  // namespace

bool SendDecoded(int reply, int pixelFile, const std::function<FIBITMAP*()>& decode, bool topRowFirst,
                 const std::function<DirectDecode()>& direct) {
  const DecodeDirectly taken = direct ? TryDirect(reply, pixelFile, direct()) : DecodeDirectly::Declined;
  if (taken != DecodeDirectly::Declined) return taken == DecodeDirectly::Sent;
  FIBITMAP* dib = decode();
  const bool sent = dib && SendBitmap(reply, pixelFile, dib, topRowFirst);
  if (dib) FreeImage_Unload(dib);
  return sent;
}

FIBITMAP* LoadInHelper(const std::vector<uint8_t>& request, int source) {
  // The helper's rows go to a memory file the host maps.
  OwnedFd pixelFile(memfd_create("vximgplug-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING));
  if (pixelFile.get() < 0) return nullptr;
  DibPtr received;
  const bool ok = RunInHelper(request, source, pixelFile.get(), [&](int fd, Deadline deadline) {
    received = ReceiveBitmap(fd, pixelFile.get(), deadline);
    return received != nullptr;
  });
  return ok ? received.release() : nullptr;
}

void UnloadBitmap(FIBITMAP* dib) {
  if (!dib) return;
  FreeImage_Unload(dib);
  MappingTable& table = Mappings();
  std::lock_guard lock(table.mutex);
  table.byBitmap.erase(dib);
}

}  // namespace vximgplug
