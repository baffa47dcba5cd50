// Seek arithmetic shared by the stream implementations.
#pragma once
#include <cstdint>
#include <limits>

#include "platform/ole/istream.h"

namespace vx::ole {

// The position a Seek asks for; STG_E_INVALIDFUNCTION for an unknown origin, a position before
// the start, or one that overflows. Positions past the end are allowed, as COM streams allow them.
inline HRESULT SeekTarget(uint64_t current, uint64_t size, int64_t move, DWORD origin, uint64_t& target) {
  uint64_t base;
  switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = current; break;
    case STREAM_SEEK_END: base = size; break;
    default: return STG_E_INVALIDFUNCTION;
  }
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (base > kMax) return STG_E_INVALIDFUNCTION;
  const auto signedBase = static_cast<int64_t>(base);
  if (move < 0 ? signedBase < -move : move > std::numeric_limits<int64_t>::max() - signedBase) {
    return STG_E_INVALIDFUNCTION;
  }
  target = static_cast<uint64_t>(signedBase + move);
  return S_OK;
}

}  // namespace vx::ole
