// Lossless rotations and flips of JPEG files: the coded blocks are rearranged, never decoded to
// pixels, so the picture loses nothing however often it is turned.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus::codecs {

// The encoder transformation values a lossless transform takes.
enum JpegTransformation : INT {
  JpegTransformRotate90 = 13,
  JpegTransformRotate180 = 14,
  JpegTransformRotate270 = 15,
  JpegTransformFlipHorizontal = 16,
  JpegTransformFlipVertical = 17,
};

// Transforms the coded JPEG `input` into `output`. A picture whose size is not a whole number of
// blocks in the transformed direction cannot be turned without losing its edge: InvalidParameter
// then, as for a value outside 13..17. Bytes that are not a JPEG stream: UnknownImageFormat.
Status TransformJpegLossless(std::span<const uint8_t> input, INT transformation, std::vector<uint8_t>& output);

// Transforms the JPEG file `source` into `destination`, which is written beside itself and
// renamed into place only when complete; refusals as above, the destination left as it was.
Status TransformJpegFileLossless(const std::string& source, const std::string& destination, INT transformation);

}  // namespace vx::gdiplus::codecs
