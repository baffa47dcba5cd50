#include "pdf/deflate_stage.h"

namespace vx::pdf {

DeflateStage::DeflateStage(Stage* next, int level)
    : Stage(next),
      deflater_(level),
      forward_([this](const uint8_t* data, size_t size) { return Forward(Bytes(data, size)); }),
      failed_(!deflater_.IsReady()) {}

DeflateStage::~DeflateStage() = default;

bool DeflateStage::Write(Bytes bytes) {
  if (failed_) return false;
  if (!bytes.empty()) sawInput_ = true;
  if (!deflater_.Compress(bytes.data(), bytes.size(), forward_)) return !(failed_ = true);
  return true;
}

bool DeflateStage::Finish() {
  if (failed_ || !sawInput_) return false;
  if (!deflater_.Finish(forward_)) return !(failed_ = true);
  return FinishNext();
}

}  // namespace vx::pdf
