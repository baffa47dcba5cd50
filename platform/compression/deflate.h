// Deflate compression in the zlib stream format (header and Adler-32 trailer), fed in pieces,
// its output handed on as it is made.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace vx::compression {

// Receives each piece of compressed output; false stops the compression, which then fails.
using CompressedSink = std::function<bool(const uint8_t* data, size_t size)>;

class ZlibDeflater {
 public:
  // `level` 0 (stored) to 9 (smallest); others are brought into that range.
  explicit ZlibDeflater(int level);
  ~ZlibDeflater();
  ZlibDeflater(const ZlibDeflater&) = delete;
  ZlibDeflater& operator=(const ZlibDeflater&) = delete;

  // False when the compressor could not be set up; every call then fails.
  bool IsReady() const;
  bool Compress(const uint8_t* data, size_t size, const CompressedSink& sink);
  // Ends the stream: the remaining output and the trailer go to `sink`.
  bool Finish(const CompressedSink& sink);

 private:
  bool Pump(int flush, const CompressedSink& sink);
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vx::compression
