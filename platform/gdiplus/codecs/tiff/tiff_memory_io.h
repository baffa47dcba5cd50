// libtiff over memory: a read-only view of encoded bytes, or a growing output buffer. Errors and
// warnings stay with the handle instead of going to libtiff's process-wide handlers.
#pragma once
#include <tiffio.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

struct TiffMemory {
  Bytes input;
  std::vector<uint8_t>* output = nullptr;
  uint64_t position = 0;
};

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// `memory` must outlive the handle.
TiffHandle OpenTiffForReading(TiffMemory& memory);
TiffHandle OpenTiffForWriting(TiffMemory& memory);

}  // namespace vx::gdiplus::codecs
