// PNG files through libpng: indexed frames as palette images (alpha entries as tRNS), 48/64-bit
// frames at 16 bits per sample, the rest as 8-bit RGB or RGBA. The resolution goes into pHYs.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/png/png_errors.h"

namespace vx::gdiplus::codecs {

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}
void FlushNothing(png_structp) {}

PixelFormat PngFormatFor(PixelFormat f) {
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

struct PngEncode {
  Frame frame;  // the pixels in the written layout
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;
  std::vector<uint8_t>* out = nullptr;
  bool ok = false;
};

int ColourTypeFor(PixelFormat f) {
  if (IsIndexedPixelFormat(f)) return PNG_COLOR_TYPE_PALETTE;
  return IsAlphaPixelFormat(f) ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

void BuildPalette(PngEncode& e) {
  const size_t count = std::min<size_t>(e.frame.palette.size(), size_t{1} << GetPixelFormatSize(e.frame.format));
  for (size_t i = 0; i < count; ++i) {
    const ARGB c = e.frame.palette[i];
    e.palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    e.alpha.push_back(static_cast<png_byte>(c >> 24));
  }
  if (e.palette.empty()) e.palette.push_back({0, 0, 0}), e.alpha.push_back(0xff);
  while (!e.alpha.empty() && e.alpha.back() == 0xff) e.alpha.pop_back();
}

void RunEncode(png_structp png, png_infop info, PngEncode& e) {
  if (setjmp(png_jmpbuf(png))) return;
  const Frame& f = e.frame;
  const bool wide = f.format == PixelFormat48bppRGB || f.format == PixelFormat64bppARGB;
  const int depth = IsIndexedPixelFormat(f.format) ? static_cast<int>(GetPixelFormatSize(f.format)) : wide ? 16 : 8;
  png_set_IHDR(png, info, f.width, f.height, depth, ColourTypeFor(f.format), PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (IsIndexedPixelFormat(f.format)) {
    png_set_PLTE(png, info, e.palette.data(), static_cast<int>(e.palette.size()));
    if (!e.alpha.empty()) png_set_tRNS(png, info, e.alpha.data(), static_cast<int>(e.alpha.size()), nullptr);
  }
  if (f.dpiX > 0 && f.dpiY > 0)
    png_set_pHYs(png, info, static_cast<png_uint_32>(std::lround(f.dpiX / 0.0254)),
                 static_cast<png_uint_32>(std::lround(f.dpiY / 0.0254)), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  if (!IsIndexedPixelFormat(f.format)) png_set_bgr(png);
  if (wide) png_set_swap(png);
  for (INT y = 0; y < f.height; ++y) png_write_row(png, RowOf(f, y));
  png_write_end(png, info);
  e.ok = true;
}

}  // namespace

Status EncodePng(const Frame& source, const EncodeOptions&, std::vector<uint8_t>& out) {
  auto e = std::make_unique<PngEncode>();
  const PixelFormat format = PngFormatFor(source.format);
  if (Status s = ConvertFrame(source, format, source.palette, e->frame); s != Ok) return s;
  try {
    if (IsIndexedPixelFormat(format)) BuildPalette(*e);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  out.clear();
  e->out = &out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngJumpOnError, PngIgnoreWarning);
  if (!png) return OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return OutOfMemory;
  }
  png_set_write_fn(png, &out, WriteToVector, FlushNothing);
  RunEncode(png, info, *e);
  png_destroy_write_struct(&png, &info);
  return e->ok ? Ok : GenericError;
}

}  // namespace vx::gdiplus::codecs
