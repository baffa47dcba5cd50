// Nearest-colour search in a palette, exact (Euclidean RGB, first entry on a tie), with a
// lazily built cell index so that large conversions do not scan the whole palette per pixel.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus {

class PaletteMatcher {
 public:
  void Reset(const ARGB* entries, size_t count);
  bool Holds(const ARGB* entries, size_t count) const;
  // Index of the nearest entry to the colour's RGB (alpha is ignored); 0 for an empty palette.
  uint8_t Nearest(ARGB colour);

 private:
  // The colour space is cut into 32x32x32 cells (the top five bits of each channel). A cell's
  // candidate list holds every entry that can be nearest to some colour inside the cell: those
  // whose distance to the cell box is at most the smallest "farthest distance" of any entry.
  // The list is ordered by distance to the box, so a search stops at the first candidate that
  // cannot come closer than the best one found.
  struct Candidate {
    int32_t boxDistance;
    uint8_t index;
  };
  static constexpr uint32_t kUnbuilt = UINT32_MAX;
  uint32_t BuildCell(uint32_t cell);
  bool IsColourCube() const;
  uint8_t ScanAll(int r, int g, int b) const;
  int Distance(uint8_t i, int r, int g, int b) const;

  size_t count_ = 0;
  // The 6x6x6 cube of the GIF and web palettes (levels 0, 51, ..., 255, red slowest), perhaps
  // followed by entries repeating its colours: each channel's nearest level is found alone, and
  // exactly, since the distance is a sum over channels and no value lies halfway between levels.
  bool cube_ = false;
  std::array<ARGB, 256> entries_{};
  std::array<int16_t, 256> red_{}, green_{}, blue_{};
  std::vector<uint32_t> cellStart_;   // offset into candidates_ or kUnbuilt
  std::vector<uint16_t> cellCount_;   // number of candidates of a built cell
  std::vector<Candidate> candidates_;
  // Recent answers by exact colour (direct-mapped), for pictures with few distinct colours.
  static constexpr size_t kMemoSize = 4096;
  static constexpr uint32_t kNoColour = UINT32_MAX;  // never a 24-bit key
  std::array<uint32_t, kMemoSize> memoColour_{};
  std::array<uint8_t, kMemoSize> memoIndex_{};
};

// The calling thread's matcher for this palette, rebuilt only when the palette changes.
PaletteMatcher& ThreadPaletteMatcher(const ARGB* entries, size_t count);

}  // namespace vx::gdiplus
