// Saving one bitmap to a file by format number. The file appears only when it was written
// completely; a failure leaves an existing file untouched.
#pragma once
#include <cstdint>
#include <string>

#include "plugin_objects.h"

namespace vximgplug {

bool SaveBitmapFile(int32_t format, Bitmap& bitmap, const std::string& path, int32_t flags);

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
