#include "platform/gdiplus/codecs/jpeg/lossless_transform.h"

#include <turbojpeg.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/image_io_file.h"
#include "platform/input_limits.h"

namespace vx::gdiplus::codecs {

namespace {

struct TurboJpegCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
struct TurboJpegFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int OperationOf(INT transformation) {
  switch (transformation) {
    case JpegTransformRotate90: return TJXOP_ROT90;
    case JpegTransformRotate180: return TJXOP_ROT180;
    case JpegTransformRotate270: return TJXOP_ROT270;
    case JpegTransformFlipHorizontal: return TJXOP_HFLIP;
    case JpegTransformFlipVertical: return TJXOP_VFLIP;
    default: return -1;
  }
}

}  // namespace

Status TransformJpegLossless(std::span<const uint8_t> input, INT transformation, std::vector<uint8_t>& output) {
  const int operation = OperationOf(transformation);
  if (operation < 0) return InvalidParameter;
  std::unique_ptr<void, TurboJpegCloser> handle(tjInitTransform());
  if (!handle) return OutOfMemory;
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (input.empty() || tjDecompressHeader3(handle.get(), input.data(), input.size(), &width, &height, &subsampling,
                                           &colourspace) != 0)
    return UnknownImageFormat;
  if (!limits::ImageSizeAcceptable(width, height)) return OutOfMemory;
  tjtransform transform{};
  transform.op = operation;
  // A partial block at an edge that moves cannot be carried over: refuse rather than trim.
  transform.options = TJXOPT_PERFECT;
  unsigned char* coded = nullptr;
  unsigned long codedSize = 0;
  const int failed = tjTransform(handle.get(), input.data(), input.size(), 1, &coded, &codedSize, &transform, 0);
  std::unique_ptr<unsigned char, TurboJpegFree> owned(coded);
  if (failed != 0 || !coded) return InvalidParameter;
  output.assign(coded, coded + codedSize);
  return Ok;
}

Status TransformJpegFileLossless(const std::string& source, const std::string& destination, INT transformation) {
  if (OperationOf(transformation) < 0 || destination.empty()) return InvalidParameter;
  std::vector<uint8_t> input;
  if (Status s = ReadWholeFileBounded(source, input); s != Ok) return s;
  std::vector<uint8_t> output;
  if (Status s = TransformJpegLossless(input, transformation, output); s != Ok) return s;
  return ReplaceFileAtomically(destination.c_str(), output);
}

}  // namespace vx::gdiplus::codecs
