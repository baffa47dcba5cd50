// What the engine's own writers read from an image before they write: its palette as bytes and
// its pixels as rows in one buffer, plus a guard for the reduced copy they may work from.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// One palette entry as the writers take it: red, green, blue, alpha.
using PaletteBytes = std::array<uint8_t, 4>;

// The palette entries as R, G, B, A bytes, in palette order.
VexiroStatus ReadPaletteBytes(int32_t id, std::vector<PaletteBytes>& entries);

// The whole image as rows of `bits`-per-pixel pixels in `format`, each row ComputeStride bytes.
VexiroStatus ReadWholeImage(int32_t id, gdiplus::PixelFormat format, int32_t bits, std::vector<uint8_t>& buffer);

// Releases an image of the store when it goes out of scope (identifier 0: nothing).
class ScopedImage {
 public:
  ScopedImage() = default;
  explicit ScopedImage(int32_t id) : id_(id) {}
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;
  ~ScopedImage();
  int32_t* put() { return &id_; }
  int32_t get() const { return id_; }

 private:
  int32_t id_ = 0;
};

// The own writers hold at most 8 bits per pixel: a deeper image is first reduced by the octree
// quantiser to an 8-bit copy with an adaptive palette of 256 colours, which `reduced` owns.
VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced);

}  // namespace vx::engine
