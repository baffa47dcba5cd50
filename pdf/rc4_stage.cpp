#include "pdf/rc4_stage.h"

#include <algorithm>
#include <array>

namespace vx::pdf {

Rc4Stage::Rc4Stage(Stage* next, std::string_view key) : Stage(next), cipher_(key.data(), key.size()) {}

Rc4Stage::~Rc4Stage() = default;

bool Rc4Stage::Write(Bytes bytes) {
  std::array<uint8_t, 16384> out;
  while (!bytes.empty()) {
    const size_t n = std::min(bytes.size(), out.size());
    cipher_.Encrypt(bytes.data(), out.data(), n);
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
