// Where an encoder's bytes go, in order, as they are made: a file being written beside its
// target, or memory for a stream. An encoder stops at the first write that fails.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx::gdiplus {

class ByteSink {
 public:
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }

 protected:
  ~ByteSink() = default;
};

class MemorySink final : public ByteSink {
 public:
  using ByteSink::Write;
  bool Write(const uint8_t* data, size_t size) override;
  std::vector<uint8_t> bytes;
};

}  // namespace vx::gdiplus
