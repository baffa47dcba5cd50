// libpng error handling shared by the PNG reader and writer: errors jump back to the function
// that set the jump buffer, warnings are ignored.
#pragma once
#include <png.h>

namespace vx::gdiplus::codecs {

inline void PngIgnoreWarning(png_structp, png_const_charp) {}
inline void PngJumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

}  // namespace vx::gdiplus::codecs
