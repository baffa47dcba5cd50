// Bounds applied to every decoded image before its pixel memory is taken, so a header that
// claims a huge picture costs a status, not an allocation.
#pragma once
#include <cstdint>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/input_limits.h"

namespace vx::gdiplus::codecs {

using limits::kMaxEncodedBytes;
using limits::kMaxImagePixels;
using limits::kMaxImageSide;

// Total pixel memory one decode may take across all of its frames (limits::kMaxDecodedBytes by
// default). The fuzz target lowers it so that hostile headers stay cheap.
uint64_t DecodeMemoryBudget();
void SetDecodeMemoryBudget(uint64_t bytes);

// Checks one frame's size: both sides 1..kMaxImageSide, pixel count bounded. OutOfMemory when too
// large, GenericError when a side is zero or negative.
Status CheckFrameSize(int64_t width, int64_t height);

// Tracks the pixel memory taken by the frames of one decode against the budget.
class DecodeBudget {
 public:
  Status Take(int64_t width, int64_t height, PixelFormat format);
  // Charges other decoded data (property values); false when the budget is spent.
  bool TakeBytes(uint64_t bytes);

 private:
  uint64_t used_ = 0;
};

}  // namespace vx::gdiplus::codecs
