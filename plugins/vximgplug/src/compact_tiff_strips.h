// FreeImage's TIFF saver asks libtiff for its default strips (8 KB of rows, a single row of a
// wide colour page) and offers no way to choose them. While a CompactTiffStrips lives on a
// thread, every TIFF page libtiff writes on that thread takes its rows per strip from the rule
// every TIFF writer shares instead, whatever its writer asked for; files libtiff reads are left
// alone. Everything else FreeImage writes (compression, tags, pixels) stays as it was.
// It works through a libtiff tag extender, which is the whole process's: so it is made only in
// the decoding helper (isolated_save.h), never in a host.
#pragma once

namespace vximgplug {

class CompactTiffStrips {
 public:
  CompactTiffStrips();
  ~CompactTiffStrips();
  CompactTiffStrips(const CompactTiffStrips&) = delete;
  CompactTiffStrips& operator=(const CompactTiffStrips&) = delete;
};

}  // namespace vximgplug
