// Writing TIFF pages through FreeImage in the decoding helper. FreeImage's TIFF saver gives each
// page libtiff's default strips (8 KB of rows) and offers no way to choose them; only a libtiff
// tag extender can, and an extender is the process's, not one file's. So the host spools the
// bitmaps (description, rows and thumbnail, the way a load brings them back) into a memory file,
// the helper rebuilds them and saves them with the strips of the rule every TIFF writer shares,
// and the file it wrote comes back to the host, which writes it where it belongs.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>

#include "helper_socket.h"

namespace vximgplug {

enum class HelperSave {
  kSaved,     // every byte of the file is in the stream
  kFailed,    // FreeImage or the helper failed: the stream holds part of a file at most
  kSaveHere,  // no helper was asked or could start; the stream is untouched since
};

class TiffPagesForHelper {
 public:
  // `asPages`: written as a multi-page document, as FreeImage writes one, even of a single page.
  explicit TiffPagesForHelper(bool asPages);
  TiffPagesForHelper(const TiffPagesForHelper&) = delete;
  TiffPagesForHelper& operator=(const TiffPagesForHelper&) = delete;

  // The bitmap as it is now, in FreeImage's row order; it stays the caller's. False once a page
  // could not be spooled (then no helper is asked).
  bool Add(FIBITMAP* dib);
  // Every page `other` spooled, after those spooled here.
  bool AddPagesOf(const TiffPagesForHelper& other);
  uint32_t Pages() const { return spooled_ ? pages_ : 0; }
  // The pages saved with FreeImage's TIFF `flags` in the helper, the file written to `out`.
  HelperSave WriteTo(int flags, FILE* out);

 private:
  bool Spooled(uint32_t pages);
  Fd spool_;
  bool asPages_;
  bool spooled_ = true;
  uint32_t pages_ = 0;
  uint64_t pixelBytes_ = 0;
};

}  // namespace vximgplug
