#include "platform/compression/deflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace vx::compression {

struct ZlibDeflater::State {
  z_stream z{};
  bool open = false;
};

ZlibDeflater::ZlibDeflater(int level) : state_(std::make_unique<State>()) {
  state_->open = deflateInit(&state_->z, std::clamp(level, 0, 9)) == Z_OK;
}

ZlibDeflater::~ZlibDeflater() {
  if (state_->open) deflateEnd(&state_->z);
}

bool ZlibDeflater::IsReady() const { return state_->open; }

bool ZlibDeflater::Pump(int flush, const CompressedSink& sink) {
  std::array<uint8_t, 16384> out;
  z_stream& z = state_->z;
  for (;;) {
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, flush);
    if (rc == Z_STREAM_ERROR) return false;
    const size_t produced = out.size() - z.avail_out;
    if (produced > 0 && !sink(out.data(), produced)) return false;
    if (flush == Z_FINISH ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0)) return true;
  }
}

bool ZlibDeflater::Compress(const uint8_t* data, size_t size, const CompressedSink& sink) {
  if (!IsReady()) return false;
  z_stream& z = state_->z;
  // zlib counts input in 32-bit units; larger spans go in slices.
  while (size > 0) {
    const size_t slice = std::min<size_t>(size, 1u << 30);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(slice);
    if (!Pump(Z_NO_FLUSH, sink)) return false;
    data += slice;
    size -= slice;
  }
  return true;
}

bool ZlibDeflater::Finish(const CompressedSink& sink) {
  if (!IsReady()) return false;
  state_->z.avail_in = 0;
  return Pump(Z_FINISH, sink);
}

}  // namespace vx::compression
