// Frame helpers shared by every format: new frames charged against the decode budget, row
// access, and whole-frame conversion. Pixel conversion happens only through ConvertRow.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdiplus/codecs/decode_limits.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus::codecs {

inline uint8_t* RowOf(Frame& f, INT y) { return FrameRow(f, y); }
inline const uint8_t* RowOf(const Frame& f, INT y) { return FrameRow(f, y); }

// Gives an indexed frame its colour table, with the palette flags that describe it.
void SetPalette(Frame& frame, std::vector<ARGB> palette);

// Makes an owned, zeroed frame after charging its memory to the budget.
Status NewFrame(DecodeBudget& budget, int64_t width, int64_t height, PixelFormat format, Frame& out);

// Converts one row of `src` into `dst` (laid out in dstFormat); indexed targets take the
// nearest entry of dstPalette.
void ConvertFrameRow(const Frame& src, INT y, uint8_t* dst, PixelFormat dstFormat, const std::vector<ARGB>& dstPalette);

// A new owned frame holding `src` in dstFormat (palette dstPalette for indexed targets); size,
// resolution, flags and properties are carried over.
Status ConvertFrame(const Frame& src, PixelFormat dstFormat, const std::vector<ARGB>& dstPalette, Frame& out);

// A frame's rows in one layout, for an encoder that takes them top-down: the frame's own rows
// when it already has that layout, else a band of rows converted at a time, so that no save
// holds a second copy of the whole picture.
class RowSource {
 public:
  // `palette` is the target's colour table for indexed layouts (unused otherwise). Takes its
  // band's memory here (std::bad_alloc), so that rows are then read inside an encoder's error
  // handling without allocating.
  RowSource(const Frame& source, PixelFormat format, std::vector<ARGB> palette = {});
  // The row in the wanted layout; valid until the next call. Rows are best taken in order, top
  // down or bottom up.
  const uint8_t* Row(INT y);
  PixelFormat format() const { return format_; }
  const std::vector<ARGB>& palette() const { return palette_; }

 private:
  static constexpr INT kBandRows = 16;
  const Frame& source_;
  PixelFormat format_;
  std::vector<ARGB> palette_;
  bool direct_;
  size_t stride_;
  INT bandStart_ = -1;
  std::vector<uint8_t> band_;
};

// The layout a file stores a frame in when the format holds every common layout (PNG, TIFF):
// indexed, 24, 32 ARGB, 48 and 64 ARGB as they are; grey 16 as 48, premultiplied as straight
// alpha, everything else as 24 bits or, with alpha, 32 bits.
PixelFormat StoredLayout(PixelFormat format);

// Palettes the readers and writers share.
std::vector<ARGB> GreyPalette(size_t count);
bool IsGreyRamp(const std::vector<ARGB>& palette);
bool HasAlphaEntries(const std::vector<ARGB>& palette);
inline ARGB OpaqueRgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xff000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

// Swaps the first and third channel of every pixel in place (file RGB order <-> the platform's
// B, G, R order).
template <class Sample>
void SwapRedBlue(Sample* samples, INT width, int channels) {
  for (INT x = 0; x < width; ++x, samples += channels) std::swap(samples[0], samples[2]);
}

// 16-bit grey samples spread over the three channels of a 48-bit pixel (white is 0 when
// `minIsWhite`).
void GreyToRgb48(const uint16_t* grey, bool minIsWhite, uint16_t* rgb, INT width);

// Turns one row of CMYK samples into 24bppRGB (B, G, R) by the plain complement rule. Adobe's
// JPEG files store the samples inverted, which `inverted` undoes.
void CmykRowToRgb24(const uint8_t* cmyk, bool inverted, uint8_t* bgr, INT width);

}  // namespace vx::gdiplus::codecs
