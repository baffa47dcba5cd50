// A block of encoder parameters, each holding one 32-bit integer value. The block owns the
// values its records point at, so it must outlive the save it is passed to.
#pragma once
#include <array>
#include <cstdint>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

class EncoderParameterBlock {
 public:
  EncoderParameterBlock() = default;
  EncoderParameterBlock(const EncoderParameterBlock&) = delete;
  EncoderParameterBlock& operator=(const EncoderParameterBlock&) = delete;

  // Appends one parameter of the given category; a full block ignores further ones.
  void Add(const GUID& category, int32_t value) {
    if (block_.Count >= gdiplus::kMaxEncoderParameters) return;
    const uint32_t i = block_.Count++;
    values_[i] = static_cast<uint32_t>(value);
    gdiplus::EncoderParameter& p = block_.Parameter[i];
    p.Guid = category;
    p.NumberOfValues = 1;
    p.Type = gdiplus::EncoderParameterValueTypeLong;
    p.Value = &values_[i];
  }
  bool Empty() const { return block_.Count == 0; }
  uint32_t Count() const { return block_.Count; }
  const gdiplus::EncoderParameters* Get() const { return &block_; }

 private:
  gdiplus::EncoderParameters block_;
  std::array<uint32_t, gdiplus::kMaxEncoderParameters> values_{};
};

}  // namespace vx::engine
