// The engine's own GIF89a writer: interlaced, one image, a global colour table and a graphic
// control extension, LZW-coded with codes of at most 12 bits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/save/image_buffers.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

struct GifImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 8;  // 1..8: colour-table size and code size
  int32_t bufferDepth = 8;   // 1, 4 or 8 bits per pixel in `pixels`, most significant first
  const uint8_t* pixels = nullptr;
  size_t pixelBytes = 0;  // stride = pixelBytes / height
  std::vector<PaletteBytes> palette;
  bool interlace = true;
  int32_t transparentIndex = -1;  // -1: no transparent colour
};

// The whole file. The colour table always holds 2^bitsPerPixel entries (missing ones black).
// Throws std::bad_alloc; an image whose buffer is too small for its rows gives an empty result.
std::vector<uint8_t> GIFEncode(const GifImage& image);

// The LZW-coded image data (sub-blocks, without the block terminator) appended to `out`.
void GIFCompress(int32_t initialBits, const GifImage& image, std::vector<uint8_t>& out);

// Saves an image as GIF89a, reduced to 256 colours first when it is deeper than 8 bits.
VexiroStatus SaveAsGIFiFile(int32_t id, const std::string& path);

}  // namespace vx::engine
