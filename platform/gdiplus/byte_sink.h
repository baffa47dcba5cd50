// Where an encoder's bytes go, in order, as they are made: a file being written beside its
// target, or memory for a stream. An encoder stops at the first write that fails. A TIFF
// encoder also reads back and patches what it wrote (libtiff links each directory to the one
// before it), so both destinations offer positioned reads and writes as well.
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

class SeekableSink : public ByteSink {
 public:
  virtual uint64_t Size() const = 0;
  // Bytes read, fewer than `size` past the end; 0 on failure.
  virtual size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) = 0;
  // Writes over or past what was written; a gap before `offset` reads as zeros.
  virtual bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) = 0;
  // A hint of the final size, for destinations that grow by reallocation.
  virtual void ExpectBytes(uint64_t) {}

 protected:
  ~SeekableSink() = default;
};

class MemorySink final : public SeekableSink {
 public:
  using ByteSink::Write;
  bool Write(const uint8_t* data, size_t size) override;
  uint64_t Size() const override { return bytes.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) override;
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;
  void ExpectBytes(uint64_t size) override;
  std::vector<uint8_t> bytes;
};

}  // namespace vx::gdiplus
