// ZXing's view of the checked pixels: it lies straight over them as the bitmap's reading gives
// them (24-bit rows walked upwards from the last stored one); nothing is copied.
#pragma once
#define ZX_USE_UTF8 1
#include <ZXing/ImageView.h>

#include "dib_source.h"

namespace vxbarcode {

inline ZXing::ImageView ZxingViewOf(const DibPixels& pixels) {
  const auto format = pixels.bytesPerPixel == 1 ? ZXing::ImageFormat::Lum : ZXing::ImageFormat::BGR;
  return ZXing::ImageView(pixels.topRow, pixels.width, pixels.height, format, static_cast<int>(pixels.rowStep));
}

}  // namespace vxbarcode
