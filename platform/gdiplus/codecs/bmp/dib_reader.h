// Reads a device-independent bitmap (the part of a BMP file after its file header, and the
// image records of icons) into a frame.
#pragma once
#include <cstddef>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/decode_limits.h"

namespace vx::gdiplus::codecs {

struct DibRequest {
  Bytes dib;                  // from the info header to the end of the data
  size_t pixelOffset = 0;     // offset of the pixel bits within `dib`; kPixelsAfterPalette for icons
  bool iconHalfHeight = false;  // icons store twice the height (colour bits, then the AND mask)
};
constexpr size_t kPixelsAfterPalette = static_cast<size_t>(-1);

struct DibResult {
  Frame frame;
  size_t pixelEnd = 0;  // offset within `dib` just past the colour bits (where an icon's mask starts)
};

Status ReadDib(const DibRequest& request, DecodeBudget& budget, DibResult& out);

}  // namespace vx::gdiplus::codecs
