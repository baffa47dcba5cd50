#include "platform/gdiplus/codecs/frame_tools.h"

#include <algorithm>
#include <new>

#include "platform/gdiplus/pixel_format_info.h"

namespace vx::gdiplus::codecs {

Status NewFrame(DecodeBudget& budget, int64_t width, int64_t height, PixelFormat format, Frame& out) {
  if (Status s = budget.Take(width, height, format); s != Ok) return s;
  try {
    return MakeFrame(static_cast<INT>(width), static_cast<INT>(height), format, out);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

void ConvertFrameRow(const Frame& src, INT y, uint8_t* dst, PixelFormat dstFormat, const std::vector<ARGB>& dstPalette) {
  ConvertRow(FrameSourceRow(src, y), {dst, dstFormat, dstPalette}, src.width);
}

Status ConvertFrame(const Frame& src, PixelFormat dstFormat, const std::vector<ARGB>& dstPalette, Frame& out) {
  Frame converted;
  try {
    if (Status s = MakeFrame(src.width, src.height, dstFormat, converted, FrameFill::RowsWritten); s != Ok) return s;
    if (IsIndexedPixelFormat(dstFormat)) SetPalette(converted, dstPalette);
    const bool same = dstFormat == src.format && (!IsIndexedPixelFormat(dstFormat) || dstPalette == src.palette);
    const size_t rowBytes = (static_cast<size_t>(src.width) * GetPixelFormatSize(src.format) + 7) / 8;
    for (INT y = 0; y < src.height; ++y) {
      if (same)
        std::copy_n(RowOf(src, y), rowBytes, RowOf(converted, y));
      else
        ConvertFrameRow(src, y, RowOf(converted, y), dstFormat, converted.palette);
    }
    converted.dpiX = src.dpiX;
    converted.dpiY = src.dpiY;
    converted.imageFlags = src.imageFlags;
    converted.properties = src.properties;
    if (IsIndexedPixelFormat(dstFormat) && dstPalette == src.palette) converted.paletteFlags = src.paletteFlags;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  out = std::move(converted);
  return Ok;
}

RowSource::RowSource(const Frame& source, PixelFormat format, std::vector<ARGB> palette)
    : source_(source),
      format_(format),
      palette_(std::move(palette)),
      direct_(format == source.format && (!IsIndexedPixelFormat(format) || palette_ == source.palette)),
      stride_(static_cast<size_t>(PlatformStride(source.width, format))) {
  if (!direct_) band_.resize(stride_ * static_cast<size_t>(kBandRows));
}

const uint8_t* RowSource::Row(INT y) {
  if (direct_) return RowOf(source_, y);
  if (bandStart_ < 0 || y < bandStart_ || y >= bandStart_ + kBandRows) {
    // A writer going up the picture (bottom-up files) gets the band that ends at its row.
    bandStart_ = bandStart_ >= 0 && y < bandStart_ ? std::max(0, y - kBandRows + 1) : y;
    const INT rows = std::min(kBandRows, source_.height - bandStart_);
    for (INT i = 0; i < rows; ++i)
      ConvertFrameRow(source_, bandStart_ + i, band_.data() + stride_ * static_cast<size_t>(i), format_, palette_);
  }
  return band_.data() + stride_ * static_cast<size_t>(y - bandStart_);
}

std::vector<ARGB> GreyPalette(size_t count) {
  std::vector<ARGB> palette(count);
  for (size_t i = 0; i < count; ++i) {
    const auto v = static_cast<uint8_t>(count > 1 ? i * 255 / (count - 1) : 0);
    palette[i] = OpaqueRgb(v, v, v);
  }
  return palette;
}

bool IsGreyRamp(const std::vector<ARGB>& palette) { return palette.size() > 1 && palette == GreyPalette(palette.size()); }

void SetPalette(Frame& frame, std::vector<ARGB> palette) {
  frame.paletteFlags = 0;
  if (HasAlphaEntries(palette)) frame.paletteFlags |= PaletteFlagsHasAlpha;
  if (IsGreyRamp(palette)) frame.paletteFlags |= PaletteFlagsGrayScale;
  frame.palette = std::move(palette);
}

bool HasAlphaEntries(const std::vector<ARGB>& palette) {
  for (ARGB c : palette)
    if ((c >> 24) != 0xff) return true;
  return false;
}


void GreyToRgb48(const uint16_t* grey, bool minIsWhite, uint16_t* rgb, INT width) {
  for (INT x = 0; x < width; ++x, rgb += 3) {
    const uint16_t v = minIsWhite ? static_cast<uint16_t>(0xFFFF - grey[x]) : grey[x];
    rgb[0] = rgb[1] = rgb[2] = v;
  }
}

void CmykRowToRgb24(const uint8_t* cmyk, bool inverted, uint8_t* bgr, INT width) {
  for (INT x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
    const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
    const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

PixelFormat StoredLayout(PixelFormat f) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat24bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
      return f;
    case PixelFormat16bppGrayScale:
      return PixelFormat48bppRGB;
    case PixelFormat64bppPARGB:
      return PixelFormat64bppARGB;
    default:
      return IsAlphaPixelFormat(f) ? PixelFormat32bppARGB : PixelFormat24bppRGB;
  }
}

}  // namespace vx::gdiplus::codecs
