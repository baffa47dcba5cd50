// libtiff over memory or a file: a read-only view of encoded bytes, or an output sink (memory
// for a stream, or the file being written). Errors and warnings stay with the handle instead of
// going to libtiff's process-wide handlers.
#pragma once
#include <tiffio.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

struct TiffMemory {
  Bytes input;
  SeekableSink* output = nullptr;
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
