// A stream's bytes pass through a chain of small stages, each doing one transformation and
// handing its output to the next: deflate, CCITT Group 4, RC4, and the sink that keeps the
// result. A stage that fails reports false from Write or Finish; the caller then falls back.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx::pdf {

using Bytes = std::span<const uint8_t>;

inline Bytes AsBytes(std::string_view text) { return {reinterpret_cast<const uint8_t*>(text.data()), text.size()}; }

class Stage {
 public:
  explicit Stage(Stage* next) : next_(next) {}
  virtual ~Stage() = default;
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;
  virtual bool Write(Bytes bytes) = 0;
  // Ends the stream: pending output goes on, then the next stage finishes.
  virtual bool Finish() = 0;

 protected:
  bool Forward(Bytes bytes) { return next_ == nullptr || next_->Write(bytes); }
  bool FinishNext() { return next_ == nullptr || next_->Finish(); }

 private:
  Stage* next_;
};

// The end of a chain: keeps every byte.
class ByteSink final : public Stage {
 public:
  ByteSink() : Stage(nullptr) {}
  bool Write(Bytes bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool Finish() override { return true; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Sends all of `bytes` through `head` and finishes the chain.
inline bool RunThrough(Stage& head, Bytes bytes) { return head.Write(bytes) && head.Finish(); }

}  // namespace vx::pdf
