#include "bitmap_description.h"

#include <vector>

#include "bilevel_bitmap.h"
#include "metadata_transfer.h"
#include "platform/input_limits.h"

namespace vximgplug {

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

size_t PitchOf(const PixelHeader& h) { return (static_cast<size_t>(h.lineBytes) + 3) & ~size_t{3}; }
size_t PixelBytes(const PixelHeader& h) { return PitchOf(h) * static_cast<size_t>(h.height); }

bool SendDescription(int fd, FIBITMAP* dib, const PixelHeader& h, TagReading reading) {
  bool ok = WriteAll(fd, &h, sizeof h);
  if (ok && h.paletteCount) ok = WriteAll(fd, FreeImage_GetPalette(dib), h.paletteCount * sizeof(RGBQUAD));
  if (ok && h.transparencyCount) ok = WriteAll(fd, FreeImage_GetTransparencyTable(dib), h.transparencyCount);
  if (ok && h.iccBytes) ok = WriteAll(fd, FreeImage_GetICCProfile(dib)->data, h.iccBytes);
  return ok && WriteMetadata(fd, dib, reading);
}

// The widest, deepest rows accepted still go two at a time.
static_assert(2 * ((vx::limits::kMaxImageSide * 128 / 8 + 3) / 4 * 4) <= kSharedBytes);

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

void ApplyHeader(const PixelHeader& h, FIBITMAP* dib) {
  FreeImage_SetDotsPerMeterX(dib, h.dotsPerMetreX);
  FreeImage_SetDotsPerMeterY(dib, h.dotsPerMetreY);
  FreeImage_SetTransparent(dib, h.transparent ? TRUE : FALSE);
  if (h.hasBackground) FreeImage_SetBackgroundColor(dib, const_cast<RGBQUAD*>(&h.background));
}

}  // namespace vximgplug
