// A FreeImage bitmap's description as it crosses between the host and the decoding helper: the
// header of its layout, then palette, transparency, ICC profile and metadata; its rows go their
// own way. The reading side bounds every size by the rules the host applies before it trusts one.
#pragma once
#include <FreeImage.h>

#include <cstddef>
#include <cstdint>

#include "child_process.h"
#include "metadata_transfer.h"

namespace vximgplug {

constexpr uint32_t kMaxPalette = 256;
constexpr uint32_t kMaxProfileBytes = 64u << 20;

struct PixelHeader {
  int32_t type, width, height, bpp;
  uint32_t redMask, greenMask, blueMask;
  uint32_t dotsPerMetreX, dotsPerMetreY;
  uint32_t paletteCount, transparencyCount;
  uint32_t lineBytes;
  uint32_t iccBytes, iccFlags;
  uint32_t transparent, hasBackground;
  RGBQUAD background;
};

PixelHeader HeaderOf(FIBITMAP* dib);

// Rows in FreeImage's own pitch, so that the host's bitmap over them answers every pitch
// question as one it allocated itself would.
size_t PitchOf(const PixelHeader& h);
size_t PixelBytes(const PixelHeader& h);

bool HeaderAcceptable(const PixelHeader& h);

// Everything but the rows, to the reply file.
bool SendDescription(int fd, FIBITMAP* dib, const PixelHeader& h, TagReading reading = TagReading::kGuarded);

// The palette and transparency table, then the ICC profile (and its flags), as SendDescription
// wrote them after the header, onto a bitmap of the header's layout.
bool ReadPalette(int fd, const PixelHeader& h, Deadline deadline, FIBITMAP* dib);
bool ReadProfile(int fd, const PixelHeader& h, Deadline deadline, FIBITMAP* dib);

// The header's resolution, transparency and background colour onto the bitmap rebuilt from it.
void ApplyHeader(const PixelHeader& h, FIBITMAP* dib);

}  // namespace vximgplug
