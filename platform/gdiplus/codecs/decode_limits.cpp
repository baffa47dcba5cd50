#include "platform/gdiplus/codecs/decode_limits.h"

#include <atomic>

namespace vx::gdiplus::codecs {

namespace {
std::atomic<uint64_t> g_budget{limits::kMaxDecodedBytes};
}

uint64_t DecodeMemoryBudget() { return g_budget.load(std::memory_order_relaxed); }
void SetDecodeMemoryBudget(uint64_t bytes) { g_budget.store(bytes, std::memory_order_relaxed); }

Status CheckFrameSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return GenericError;
  return limits::ImageSizeAcceptable(width, height) ? Ok : OutOfMemory;
}

Status DecodeBudget::Take(int64_t width, int64_t height, PixelFormat format) {
  if (Status s = CheckFrameSize(width, height); s != Ok) return s;
  const uint64_t stride = (static_cast<uint64_t>(width) * GetPixelFormatSize(format) + 31) / 32 * 4;
  const uint64_t bytes = stride * static_cast<uint64_t>(height);
  return TakeBytes(bytes) ? Ok : OutOfMemory;
}

bool DecodeBudget::TakeBytes(uint64_t bytes) {
  const uint64_t budget = DecodeMemoryBudget();
  if (used_ > budget || bytes > budget - used_) return false;
  used_ += bytes;
  return true;
}

}  // namespace vx::gdiplus::codecs
