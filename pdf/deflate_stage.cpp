#include "pdf/deflate_stage.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace vx::pdf {

struct DeflateStage::State {
  z_stream z{};
  bool open = false;
};

DeflateStage::DeflateStage(Stage* next, int level) : Stage(next), state_(std::make_unique<State>()) {
  level = std::clamp(level, 0, 9);
  state_->open = deflateInit(&state_->z, level) == Z_OK;
  failed_ = !state_->open;
}

DeflateStage::~DeflateStage() {
  if (state_->open) deflateEnd(&state_->z);
}

bool DeflateStage::Pump(int flush) {
  std::array<uint8_t, 16384> out;
  z_stream& z = state_->z;
  for (;;) {
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) return false;
    const size_t produced = out.size() - z.avail_out;
    if (produced > 0 && !Forward(Bytes(out.data(), produced))) return false;
    if (flush == Z_FINISH ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0)) return true;
  }
}

bool DeflateStage::Write(Bytes bytes) {
  if (failed_) return false;
  z_stream& z = state_->z;
  // zlib counts input in 32-bit units; larger spans go in slices.
  while (!bytes.empty()) {
    const size_t slice = std::min<size_t>(bytes.size(), 1u << 30);
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = static_cast<uInt>(slice);
    sawInput_ = true;
    if (!Pump(Z_NO_FLUSH)) return !(failed_ = true);
    bytes = bytes.subspan(slice);
  }
  return true;
}

bool DeflateStage::Finish() {
  if (failed_ || !sawInput_) return false;
  state_->z.avail_in = 0;
  if (!Pump(Z_FINISH)) return !(failed_ = true);
  return FinishNext();
}

}  // namespace vx::pdf
