// TIFF files of one or more pages. A page is prepared when it is added (its pixels converted to
// the written layout and its compression checked), so a wrong parameter is reported by the call
// that brings the page; the file is encoded when the last page is in.
#pragma once
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

struct TiffPage {
  Frame frame;                    // a copy in the layout that is written, or
  const Frame* source = nullptr;  // the frame itself, converted a band of rows at a time
  PixelFormat format = PixelFormatUndefined;  // the written layout
  std::vector<ARGB> palette;                  // and its colour table
  uint16_t compression = 0;       // libtiff compression scheme

  const Frame& pixels() const { return source ? *source : frame; }
};

// A page of a file written later keeps a copy of its frame; a page written at once may read the
// frame itself, which must then outlive the page.
enum class TiffPixels { Copied, Borrowed };

Status PrepareTiffPage(const Frame& source, const EncodeOptions& options, TiffPage& page,
                       TiffPixels pixels = TiffPixels::Copied);
// `out` must be empty: the file starts at its offset 0.
Status EncodeTiff(const std::vector<TiffPage>& pages, SeekableSink& out);

}  // namespace vx::gdiplus::codecs
