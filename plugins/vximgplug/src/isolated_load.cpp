#include "isolated_load.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "bilevel_bitmap.h"
#include "child_process.h"
#include "metadata_transfer.h"

namespace vximgplug {
namespace {

constexpr uint32_t kMaxPalette = 256;
constexpr uint32_t kMaxProfileBytes = 64u << 20;

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
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
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

bool SendBitmap(int fd, FIBITMAP* dib) {
  const PixelHeader h = HeaderOf(dib);
  bool ok = WriteAll(fd, &h, sizeof h);
  if (ok && h.paletteCount) ok = WriteAll(fd, FreeImage_GetPalette(dib), h.paletteCount * sizeof(RGBQUAD));
  if (ok && h.transparencyCount) ok = WriteAll(fd, FreeImage_GetTransparencyTable(dib), h.transparencyCount);
  for (int y = 0; ok && y < h.height; ++y) ok = WriteAll(fd, FreeImage_GetScanLine(dib, y), h.lineBytes);
  if (ok && h.iccBytes) ok = WriteAll(fd, FreeImage_GetICCProfile(dib)->data, h.iccBytes);
  return ok && WriteMetadata(fd, dib);
}

bool HeaderAcceptable(const PixelHeader& h) {
  if (h.width <= 0 || h.height <= 0 ||
      !DimensionsAcceptable(static_cast<uint64_t>(h.width), static_cast<uint64_t>(h.height)))
    return false;
  if (h.type < FIT_BITMAP || h.type > FIT_RGBAF || h.bpp <= 0 || h.bpp > 128) return false;
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

DibPtr ReceiveBitmap(int fd, Deadline deadline) {
  PixelHeader h{};
  if (!ReadAll(fd, &h, sizeof h, deadline) || !HeaderAcceptable(h)) return nullptr;
  DibPtr dib(FreeImage_AllocateT(static_cast<FREE_IMAGE_TYPE>(h.type), h.width, h.height, h.bpp, h.redMask,
                                 h.greenMask, h.blueMask));
  if (!dib || FreeImage_GetLine(dib.get()) != h.lineBytes) return nullptr;
  if (!ReadPalette(fd, h, deadline, dib.get())) return nullptr;
  for (int y = 0; y < h.height; ++y) {
    if (!ReadAll(fd, FreeImage_GetScanLine(dib.get(), y), h.lineBytes, deadline)) return nullptr;
  }
  if (!ReadProfile(fd, h, deadline, dib.get()) || !ReadMetadata(fd, deadline, dib.get())) return nullptr;
  FreeImage_SetDotsPerMeterX(dib.get(), h.dotsPerMetreX);
  FreeImage_SetDotsPerMeterY(dib.get(), h.dotsPerMetreY);
  FreeImage_SetTransparent(dib.get(), h.transparent ? TRUE : FALSE);
  if (h.hasBackground) FreeImage_SetBackgroundColor(dib.get(), &h.background);
  return dib;
}

}  // namespace

FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode) {
  DibPtr received;
  const bool ok = RunInChild(
      [&](int fd) {
        FIBITMAP* dib = decode();  // the child's memory goes with it
        return dib && SendBitmap(fd, dib);
      },
      [&](int fd, Deadline deadline) {
        received = ReceiveBitmap(fd, deadline);
        return received != nullptr;
      });
  return ok ? received.release() : nullptr;
}

}  // namespace vximgplug
