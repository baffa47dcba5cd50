#include "pdf/rc4_stage.h"

#include <nettle/arcfour.h>

#include <algorithm>
#include <array>

namespace vx::pdf {

struct Rc4Stage::State {
  arcfour_ctx ctx{};
};

Rc4Stage::Rc4Stage(Stage* next, std::string_view key) : Stage(next), state_(std::make_unique<State>()) {
  const size_t length = std::min<size_t>(key.size(), ARCFOUR_MAX_KEY_SIZE);
  keyed_ = length > 0;
  if (keyed_) arcfour_set_key(&state_->ctx, length, reinterpret_cast<const uint8_t*>(key.data()));
}

Rc4Stage::~Rc4Stage() = default;

bool Rc4Stage::Write(Bytes bytes) {
  std::array<uint8_t, 16384> out;
  while (!bytes.empty()) {
    const size_t n = std::min(bytes.size(), out.size());
    if (keyed_) {
      arcfour_crypt(&state_->ctx, n, out.data(), bytes.data());
    } else {
      std::copy_n(bytes.data(), n, out.data());
    }
    if (!Forward(Bytes(out.data(), n))) return false;
    bytes = bytes.subspan(n);
  }
  return true;
}

std::string RC4Bytes(std::string_view key, std::string_view data) {
  if (key.empty() || data.empty()) return {};
  ByteSink sink;
  Rc4Stage rc4(&sink, key);
  RunThrough(rc4, AsBytes(data));
  return std::string(sink.bytes().begin(), sink.bytes().end());
}

}  // namespace vx::pdf
