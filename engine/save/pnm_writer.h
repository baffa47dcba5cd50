// The engine's own portable-anymap writer: binary PBM (P4), PGM (P5) and PPM (P6).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/save/image_buffers.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

// Flag of WritePNM: images of 8 bits or fewer may be written grey (P5).
constexpr int32_t kPnmAllowGrey = 512;

// Bytes per row padded to 32 bits.
int32_t PNMRowBytes(int32_t width, int32_t bitsPerPixel);
inline bool IsFlagSet(int32_t value, int32_t flag) { return (value & flag) == flag; }
// The 4 bytes of a colour, least significant first.
PaletteBytes ColorToBytes(uint32_t color);

struct PnmImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 24;  // 1, 8 or 24
  const uint8_t* pixels = nullptr;  // palette indices (8 bits) or B, G, R (24 bits), PNMRowBytes rows
  size_t pixelBytes = 0;
  std::vector<PaletteBytes> palette;  // empty: 24-bit pixels
  int32_t flags = kPnmAllowGrey;
};

// The whole file; empty when the buffer cannot hold the rows. Throws std::bad_alloc.
std::vector<uint8_t> EncodePNM(const PnmImage& image);
bool WritePNM(const std::string& path, const PnmImage& image);

// Saves an image as P4 (1 bit), P5 (other depths up to 8 bits) or P6.
VexiroStatus SaveAsPNMFile(int32_t id, const std::string& path);

}  // namespace vx::engine
