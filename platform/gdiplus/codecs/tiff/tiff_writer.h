// TIFF files of one or more pages. A page is prepared when it is added (its pixels converted to
// the written layout and its compression checked), so a wrong parameter is reported by the call
// that brings the page; the file is encoded when the last page is in.
#pragma once
#include <vector>

#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

struct TiffPage {
  Frame frame;  // in the layout that is written
  uint16_t compression = 0;  // libtiff compression scheme
};

Status PrepareTiffPage(const Frame& source, const EncodeOptions& options, TiffPage& page);
Status EncodeTiff(const std::vector<TiffPage>& pages, std::vector<uint8_t>& out);

}  // namespace vx::gdiplus::codecs
