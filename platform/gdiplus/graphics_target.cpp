#include "platform/gdiplus/graphics_target.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vx::gdiplus {
namespace {

class BitmapTarget : public PixelTarget {
 public:
  explicit BitmapTarget(GpBitmap* bitmap) : bitmap_(bitmap) {}
  INT Width() const override { return frame().width; }
  INT Height() const override { return frame().height; }
  REAL DpiX() const override { return frame().dpiX; }
  REAL DpiY() const override { return frame().dpiY; }

  void Load(const GpRect& r, uint8_t* out, int stride) const override {
    const Frame& f = frame();
    for (INT y = 0; y < r.Height; ++y)
      ConvertRow(FrameSourceRow(f, r.Y + y, r.X), {out + y * stride, PixelFormat32bppPARGB}, r.Width);
  }

  void Store(const GpRect& r, const uint8_t* in, int stride) override {
    Frame& f = bitmap_->current();
    for (INT y = 0; y < r.Height; ++y)
      ConvertRow({in + y * stride, PixelFormat32bppPARGB}, FrameDestRow(f, r.Y + y, r.X), r.Width);
  }

  // Opaque 24-bit pixels load with alpha 255 and store back as they were; PARGB is copied.
  bool RoundTripsExactly() const override {
    return frame().format == PixelFormat24bppRGB || frame().format == PixelFormat32bppPARGB;
  }

 private:
  const Frame& frame() const { return bitmap_->current(); }
  GpBitmap* bitmap_;
};

class DibTarget : public PixelTarget {
 public:
  explicit DibTarget(std::shared_ptr<gdi::BitmapObject> bitmap) : bitmap_(std::move(bitmap)) {}
  INT Width() const override { return bitmap_->format.width; }
  INT Height() const override { return bitmap_->format.height; }

  void Load(const GpRect& r, uint8_t* out, int stride) const override {
    for (INT y = 0; y < r.Height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(out + y * stride);
      gdi::ReadDibRow(bitmap_->format, bitmap_->Row(r.Y + y), r.X, r.Width, row);
      PremultiplyRun(row, static_cast<size_t>(r.Width));
    }
  }

  void Store(const GpRect& r, const uint8_t* in, int stride) override {
    std::vector<uint32_t> row(static_cast<size_t>(r.Width));
    for (INT y = 0; y < r.Height; ++y) {
      std::memcpy(row.data(), in + y * stride, row.size() * 4);
      UnpremultiplyRun(row.data(), row.size());
      gdi::WriteDibRow(bitmap_->format, row.data(), r.X, r.Width, bitmap_->Row(r.Y + y));
    }
  }

 private:
  std::shared_ptr<gdi::BitmapObject> bitmap_;
};

class DeviceTarget : public PixelTarget {
 public:
  explicit DeviceTarget(std::shared_ptr<gdi::DeviceSurface> device) : device_(std::move(device)) {}
  INT Width() const override { return device_->DeviceCaps(HORZRES); }
  INT Height() const override { return device_->DeviceCaps(VERTRES); }
  REAL DpiX() const override { return REAL(device_->DeviceCaps(LOGPIXELSX)); }
  REAL DpiY() const override { return REAL(device_->DeviceCaps(LOGPIXELSY)); }
  // A printed page cannot be read back: it reads as transparent and pixel writes are dropped.
  void Load(const GpRect& r, uint8_t* out, int stride) const override {
    for (INT y = 0; y < r.Height; ++y) std::memset(out + y * stride, 0, size_t(r.Width) * 4);
  }
  void Store(const GpRect&, const uint8_t*, int) override {}
  cairo_t* VectorContext() override { return device_->Context(); }

 private:
  std::shared_ptr<gdi::DeviceSurface> device_;
};

}  // namespace

std::unique_ptr<PixelTarget> MakeDeviceTarget(std::shared_ptr<gdi::DeviceSurface> device) {
  return std::make_unique<DeviceTarget>(std::move(device));
}

std::unique_ptr<PixelTarget> MakeBitmapTarget(GpBitmap* bitmap) { return std::make_unique<BitmapTarget>(bitmap); }

std::unique_ptr<PixelTarget> MakeDibTarget(std::shared_ptr<gdi::BitmapObject> bitmap) {
  return std::make_unique<DibTarget>(std::move(bitmap));
}

void PremultiplyRun(uint32_t* px, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = px[i], a = c >> 24;
    if (a == 255) continue;
    auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
    px[i] = (a << 24) | (mul((c >> 16) & 0xff) << 16) | (mul((c >> 8) & 0xff) << 8) | mul(c & 0xff);
  }
}

void UnpremultiplyRun(uint32_t* px, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = px[i], a = c >> 24;
    if (a == 255) continue;
    if (a == 0) {
      px[i] = 0;
      continue;
    }
    auto div = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
    px[i] = (a << 24) | (div((c >> 16) & 0xff) << 16) | (div((c >> 8) & 0xff) << 8) | div(c & 0xff);
  }
}

}  // namespace vx::gdiplus
