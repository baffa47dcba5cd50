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

void WriteToSink(png_structp png, png_bytep data, png_size_t length) {
  if (!static_cast<ByteSink*>(png_get_io_ptr(png))->Write(data, length)) png_error(png, "write failed");
}
void FlushNothing(png_structp) {}

struct PngEncode {
  PngEncode(const Frame& source, PixelFormat format) : frame(source), rows(source, format, source.palette) {}
  const Frame& frame;
  RowSource rows;  // the pixels in the written layout
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;
  bool ok = false;
};

int ColourTypeFor(PixelFormat f) {
  if (IsIndexedPixelFormat(f)) return PNG_COLOR_TYPE_PALETTE;
  return IsAlphaPixelFormat(f) ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

void BuildPalette(PngEncode& e) {
  const std::vector<ARGB>& palette = e.rows.palette();
  const size_t count = std::min<size_t>(palette.size(), size_t{1} << GetPixelFormatSize(e.rows.format()));
  for (size_t i = 0; i < count; ++i) {
    const ARGB c = palette[i];
    e.palette.push_back({static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
    e.alpha.push_back(static_cast<png_byte>(c >> 24));
  }
  if (e.palette.empty()) e.palette.push_back({0, 0, 0}), e.alpha.push_back(0xff);
  while (!e.alpha.empty() && e.alpha.back() == 0xff) e.alpha.pop_back();
}

void RunEncode(png_structp png, png_infop info, PngEncode& e) {
  if (setjmp(png_jmpbuf(png))) return;
  const Frame& f = e.frame;
  const PixelFormat format = e.rows.format();
  const bool wide = format == PixelFormat48bppRGB || format == PixelFormat64bppARGB;
  const int depth = IsIndexedPixelFormat(format) ? static_cast<int>(GetPixelFormatSize(format)) : wide ? 16 : 8;
  png_set_IHDR(png, info, f.width, f.height, depth, ColourTypeFor(format), PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (IsIndexedPixelFormat(format)) {
    png_set_PLTE(png, info, e.palette.data(), static_cast<int>(e.palette.size()));
    if (!e.alpha.empty()) png_set_tRNS(png, info, e.alpha.data(), static_cast<int>(e.alpha.size()), nullptr);
  }
  if (f.dpiX > 0 && f.dpiY > 0)
    png_set_pHYs(png, info, static_cast<png_uint_32>(std::lround(f.dpiX / 0.0254)),
                 static_cast<png_uint_32>(std::lround(f.dpiY / 0.0254)), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  if (!IsIndexedPixelFormat(format)) png_set_bgr(png);
  if (wide) png_set_swap(png);
  for (INT y = 0; y < f.height; ++y) png_write_row(png, e.rows.Row(y));
  png_write_end(png, info);
  e.ok = true;
}

}  // namespace

Status EncodePng(const Frame& source, const EncodeOptions&, ByteSink& out) {
  const PixelFormat format = StoredLayout(source.format);
  std::unique_ptr<PngEncode> e;
  try {
    e = std::make_unique<PngEncode>(source, format);
    if (IsIndexedPixelFormat(format)) BuildPalette(*e);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngJumpOnError, PngIgnoreWarning);
  if (!png) return OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return OutOfMemory;
  }
  png_set_write_fn(png, &out, WriteToSink, FlushNothing);
  RunEncode(png, info, *e);
  png_destroy_write_struct(&png, &info);
  return e->ok ? Ok : GenericError;
}

}  // namespace vx::gdiplus::codecs
