#include "platform/gdiplus/codecs/jpeg/lossless_transform.h"

#include <turbojpeg.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/gdiplus/image_io_file.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vx::gdiplus::codecs {

namespace {

struct TurboJpegCloser {
  void operator()(void* handle) const { tjDestroy(handle); }
};
struct TurboJpegFree {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
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

// The whole file, bounded as every file read whole is; false when it cannot be read.
bool ReadBoundedFile(const std::string& path, std::vector<uint8_t>& bytes, Status& status) {
  std::unique_ptr<FILE, FileCloser> file(kernel::OpenRegularFileStream(path.c_str()));
  if (!file) {
    status = FileNotFound;
    return false;
  }
  uint8_t chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (bytes.size() + n > limits::kMaxEncodedBytes) {
      status = OutOfMemory;
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  if (std::ferror(file.get())) {
    status = Win32Error;
    return false;
  }
  return true;
}

}  // namespace

Status TransformJpegFileLossless(const std::string& source, const std::string& destination, INT transformation) {
  const int operation = OperationOf(transformation);
  if (operation < 0 || destination.empty()) return InvalidParameter;
  std::vector<uint8_t> input;
  Status status = Ok;
  if (!ReadBoundedFile(source, input, status)) return status;
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
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  const int failed = tjTransform(handle.get(), input.data(), input.size(), 1, &output, &outputSize, &transform, 0);
  std::unique_ptr<unsigned char, TurboJpegFree> owned(output);
  if (failed != 0 || !output) return InvalidParameter;
  return ReplaceFileAtomically(destination.c_str(), std::vector<uint8_t>(output, output + outputSize));
}

}  // namespace vx::gdiplus::codecs
