// Lending a GDI memory context over a graphics object's target: the target's pixels go into a
// 32-bit DIB section, and what GDI changed there comes back when the context is released.
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdiplus/graphics.h"

namespace vx::gdiplus {

Status GpGraphics::GetDC(HDC* dc) {
  if (lentDc_) return ObjectBusy;
  if (ownDc_) {
    *dc = lentDc_ = ownDc_;
    return Ok;
  }
  gdi::DibFormat format;
  if (gdi::MakeDibFormat(target_->Width(), target_->Height(), true, 32, {}, format) != gdi::DibParse::Ok)
    return OutOfMemory;
  auto dib = gdi::NewBitmap(format);
  if (!dib) return OutOfMemory;
  dib->dibSection = true;
  auto* px = reinterpret_cast<uint32_t*>(dib->bits.data());
  const GpRect whole{0, 0, target_->Width(), target_->Height()};
  target_->Load(whole, dib->bits.data(), static_cast<int>(format.stride));
  UnpremultiplyRun(px, dib->bits.size() / 4);
  try {
    lentSnapshot_.assign(px, px + dib->bits.size() / 4);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  lentBitmap_ = gdi::InsertGdiObject(dib);
  lentDc_ = CreateCompatibleDC(0);
  if (!lentBitmap_ || !lentDc_ || !SelectObject(lentDc_, lentBitmap_)) {
    DeleteDC(lentDc_);
    DeleteObject(lentBitmap_);
    lentDc_ = lentBitmap_ = 0;
    lentSnapshot_.clear();
    return OutOfMemory;
  }
  *dc = lentDc_;
  return Ok;
}

Status GpGraphics::ReleaseDC(HDC dc) {
  if (dc == 0 || dc != lentDc_) return InvalidParameter;
  return ReturnLentDc();
}

// GDI knows no transparency: a pixel GDI changed comes back opaque, an untouched one exactly
// as it was. Only rows with a change are written.
Status GpGraphics::ReturnLentDc() {
  if (ownDc_) {
    lentDc_ = 0;
    return Ok;
  }
  auto dib = gdi::FindBitmap(lentBitmap_);
  if (dib) {
    const INT width = target_->Width();
    std::vector<uint32_t> row(static_cast<size_t>(width));
    for (INT y = 0; y < target_->Height(); ++y) {
      const auto* now = reinterpret_cast<const uint32_t*>(dib->Row(y));
      const uint32_t* before = lentSnapshot_.data() + static_cast<size_t>(y) * width;
      if (std::memcmp(now, before, row.size() * 4) == 0) continue;
      for (INT x = 0; x < width; ++x) row[x] = now[x] == before[x] ? before[x] : now[x] | 0xFF000000u;
      PremultiplyRun(row.data(), row.size());
      target_->Store(GpRect{0, y, width, 1}, reinterpret_cast<const uint8_t*>(row.data()), width * 4);
    }
  }
  DeleteDC(lentDc_);
  DeleteObject(lentBitmap_);
  lentDc_ = lentBitmap_ = 0;
  lentSnapshot_.clear();
  lentSnapshot_.shrink_to_fit();
  return Ok;
}

}  // namespace vx::gdiplus
