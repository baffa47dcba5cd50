// BMP files: a 14-byte file header in front of a device-independent bitmap.
#include "platform/gdiplus/codecs/bmp/dib_reader.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

Status DecodeBmp(Bytes data, DecodedImage& out) {
  constexpr size_t kFileHeaderSize = 14;
  if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') return UnknownImageFormat;
  const uint32_t bitsOffset = Get32LE(data.data() + 10);
  if (bitsOffset < kFileHeaderSize || bitsOffset > data.size()) return GenericError;
  DecodeBudget budget;
  DibResult dib;
  const DibRequest request{data.subspan(kFileHeaderSize), bitsOffset - kFileHeaderSize, false};
  if (Status s = ReadDib(request, budget, dib); s != Ok) return s;
  out.frames.clear();
  out.frames.push_back(std::move(dib.frame));
  out.rawFormat = ImageFormatBMP;
  out.dimension = FrameDimensionPage;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
