// Choosing the palette entry nearest to a colour, as the filter write-back and the 4-bit
// converters do it: the rule is part of the results users see, so it is kept exactly.
#pragma once
#include <cstdint>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::processing {

// The nearest entry by summed squared channel differences; the lowest index wins a tie, and an
// exact match ends the search. Remembers the last colour, since neighbouring pixels repeat.
class NearestEntry {
 public:
  NearestEntry(const gdiplus::ARGB* entries, uint32_t count);
  uint8_t Find(uint32_t argb);

 private:
  const gdiplus::ARGB* entries_;
  uint32_t count_;
  uint32_t lastColour_ = 0;
  uint8_t lastIndex_ = 0;
  bool hasLast_ = false;
};

}  // namespace vx::processing
