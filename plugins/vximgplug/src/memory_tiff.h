// libtiff over a block of memory, for codecs that borrow libtiff's fax coders.
#pragma once
#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace vximgplug {

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// The memory a TIFF reads from or writes into; it must outlive the TIFF handle.
struct MemoryTiffBuffer {
  std::vector<uint8_t> bytes;
  uint64_t position = 0;
};

// mode "r" reads buffer.bytes, "w" writes into it.
TiffPtr OpenMemoryTiff(MemoryTiffBuffer& buffer, const char* mode);

// Counts the errors and warnings of memory TIFFs on this thread (they never reach stderr).
class TiffDiagnostics {
 public:
  TiffDiagnostics();
  ~TiffDiagnostics();
  TiffDiagnostics(const TiffDiagnostics&) = delete;
  TiffDiagnostics& operator=(const TiffDiagnostics&) = delete;
  int Errors() const;
  int Warnings() const;
  void Reset();
};

}  // namespace vximgplug
