// JPEG 2000 code streams (J2K) and files (JP2) through openjpeg. FreeImage's own writer asks
// for more resolution levels than small pictures have and fails below 32 pixels a side; this
// one fits the levels to the picture.
#pragma once
#include <FreeImage.h>

#include <cstdio>

namespace vximgplug {

// rate: compression ratio X:1 (0 = 16, 1 = lossless). Writes to `file`; false when any write failed.
bool WriteJpeg2000(FIBITMAP* dib, bool topRowFirst, bool fileFormat, int rate, FILE* file);

}  // namespace vximgplug
