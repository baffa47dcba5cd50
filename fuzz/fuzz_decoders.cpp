// Feeds arbitrary bytes to the image decoders, through memory and through a stream, and uses
// every frame that decodes (a full read of its pixels), so that over-reads and bad sizes show.
#include <cstddef>
#include <cstdint>

#include "platform/gdiplus/codecs/decode_limits.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_io.h"
#include "platform/ole/ole.h"

using namespace vx::gdiplus;

namespace {

// Keeps hostile headers cheap (and the runs fast): a decode may take at most 8 MiB.
constexpr uint64_t kFuzzDecodeBudget = uint64_t{8} << 20;

void UseEveryFrame(GpImage* image) {
  GUID dimension;
  UINT frames = 0;
  if (GdipImageGetFrameDimensionsList(image, &dimension, 1) != Ok) return;
  if (GdipImageGetFrameCount(image, &dimension, &frames) != Ok) return;
  for (UINT f = 0; f < frames; ++f) {
    if (GdipImageSelectActiveFrame(image, &dimension, f) != Ok) return;
    BitmapData data;
    auto* bitmap = static_cast<GpBitmap*>(image);
    if (GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok) return;
    volatile uint32_t sum = 0;
    for (UINT y = 0; y < data.Height; ++y) sum = sum + static_cast<const uint8_t*>(data.Scan0)[static_cast<ptrdiff_t>(y) * data.Stride];
    GdipBitmapUnlockBits(bitmap, &data);
    UINT count = 0;
    GdipGetPropertyCount(image, &count);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static uint32_t token = 0;
  GdiplusStartupInput input;
  GdiplusStartup(&token, &input, nullptr);
  codecs::SetDecodeMemoryBudget(kFuzzDecodeBudget);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GpImage* image = nullptr;
  // The last byte picks the route: bit 0 a stream or memory, bit 1 the colour-managed decode,
  // which hands embedded profiles to lcms2.
  const uint8_t route = size > 0 ? data[size - 1] : 0;
  const bool colourManaged = (route & 2) != 0;
  if (route & 1) {
    vx::ole::IStream* stream = nullptr;
    if (vx::ole::CreateStreamOnMemory(data, size, &stream) != vx::S_OK) return 0;
    if (colourManaged)
      GdipLoadImageFromStreamICM(stream, &image);
    else
      GdipLoadImageFromStream(stream, &image);
    stream->Release();
  } else {
    codecs::DecodeOptions options;
    options.applyEmbeddedProfile = colourManaged;
    DecodeImageFromMemory(data, size, options, &image);
  }
  if (image) {
    UseEveryFrame(image);
    GdipDisposeImage(image);
  }
  return 0;
}
