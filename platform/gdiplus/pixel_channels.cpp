#include "platform/gdiplus/pixel_channels.h"

#include <array>

namespace vx::gdiplus::channels {

namespace {

// Unpremultiplied channel for every (alpha, premultiplied value) pair; the division per channel
// would otherwise dominate PARGB reads.
using UnpremultiplyTable = std::array<std::array<uint8_t, 256>, 256>;

const UnpremultiplyTable& Table() {
  static const UnpremultiplyTable table = [] {
    UnpremultiplyTable t{};
    for (uint32_t a = 0; a < 256; ++a)
      for (uint32_t p = 0; p < 256; ++p) t[a][p] = static_cast<uint8_t>(Unpremultiply8(p, a));
    return t;
  }();
  return table;
}

}  // namespace

uint32_t PremultiplyArgb(uint32_t c) {
  const uint32_t a = A8(c);
  if (a == 255) return c;
  return Argb(a, Premultiply8(R8(c), a), Premultiply8(G8(c), a), Premultiply8(B8(c), a));
}

uint32_t UnpremultiplyArgb(uint32_t c) {
  const uint32_t a = A8(c);
  if (a == 255) return c;
  const auto& row = Table()[a];
  return Argb(a, row[R8(c)], row[G8(c)], row[B8(c)]);
}

}  // namespace vx::gdiplus::channels
