// Saving one bitmap to a file by format number. The file appears only when it was written
// completely; a failure leaves an existing file untouched.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "isolated_save.h"
#include "plugin_objects.h"
#include "replacing_file.h"

namespace vximgplug {

bool SaveBitmapFile(int32_t format, Bitmap& bitmap, const std::string& path, int32_t flags);

// TIFF pages written through FreeImage: in the decoding helper, with the strips of the rule every
// TIFF writer shares; in the host by `saveHere` (with libtiff's default strips, a larger file
// but the same pages) only when no helper was to be had. False leaves `file` to be discarded.
bool SaveTiffPages(TiffPagesForHelper& pages, int flags, ReplacingFile& file, const std::function<bool()>& saveHere);

// Flips a top-row-first bitmap to FreeImage's bottom-row-first order for the lifetime of the
// guard, so FreeImage's writers see the picture the right way up.
class BottomRowFirst {
 public:
  explicit BottomRowFirst(Bitmap& bitmap) : bitmap_(bitmap), flipped_(bitmap.topRowFirst) {
    if (flipped_) FreeImage_FlipVertical(bitmap_.dib);
  }
  ~BottomRowFirst() {
    if (flipped_) FreeImage_FlipVertical(bitmap_.dib);
  }
  BottomRowFirst(const BottomRowFirst&) = delete;
  BottomRowFirst& operator=(const BottomRowFirst&) = delete;

 private:
  Bitmap& bitmap_;
  bool flipped_;
};

}  // namespace vximgplug
