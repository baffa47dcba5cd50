// The layout of a device-independent bitmap, read from its BITMAPINFO with every size and count
// bounded, and the row codec between DIB rows and 32-bit ARGB (0xAARRGGBB, not premultiplied).
// Bitmaps, GDI+ interop and metafile playback all read DIBs through here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/dib_header.h"
#include "platform/kernel/win_types.h"

namespace vx::gdi {

// Pixel memory one DIB may occupy: keeps every derived size allocatable and every offset in range.
constexpr uint64_t kMaxDibBytes = uint64_t{1} << 30;
constexpr int32_t kMaxDibDimension = 1 << 20;

struct ChannelMask {
  uint32_t mask = 0;
  uint8_t shift = 0;
  uint8_t bits = 0;
};

struct DibFormat {
  int32_t width = 0;
  int32_t height = 0;   // always positive; the row order is in topDown
  bool topDown = false;
  uint16_t bitCount = 0;
  DWORD compression = BI_RGB;
  ChannelMask red, green, blue, alpha;  // 16 and 32 bits per pixel
  std::vector<uint32_t> colors;         // colour table as ARGB, opaque (up to 2^bitCount entries)
  size_t stride = 0;

  bool Indexed() const { return bitCount <= 8; }
  uint64_t ImageBytes() const { return static_cast<uint64_t>(stride) * static_cast<uint64_t>(height); }
  // Offset of the row `y` counted from the top of the picture.
  size_t RowOffset(int32_t y) const {
    return static_cast<size_t>(topDown ? y : height - 1 - y) * stride;
  }
};

// Reads the header, the masks and the colour table of a DIB from `available` bytes at `info`.
// headerBytes receives the offset of the pixel bits in a packed DIB. Only DIB_RGB_COLORS tables
// and the BI_RGB / BI_BITFIELDS layouts are read; other compressions answer Unsupported, the
// 12-byte core header Malformed, sizes past kMaxDibDimension / kMaxDibBytes TooLarge.
DibParse ParseDibInfo(const void* info, size_t available, DibFormat& out, size_t* headerBytes = nullptr);

// A format described by the caller (no header): default masks for 16 (5-5-5) and 32 bits.
DibParse MakeDibFormat(int32_t width, int32_t height, bool topDown, uint16_t bitCount,
                       std::vector<uint32_t> colors, DibFormat& out);
void SetBitfieldMasks(DibFormat& format, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha);
bool IsDefaultMasks(const DibFormat& format);
bool Is565(const DibFormat& format);

// Writes a BITMAPINFOHEADER (40 bytes) for the format, followed by three masks for bitfield
// layouts and the colour table for indexed ones. Returns the bytes written; `room` bounds it.
size_t WriteDibInfo(const DibFormat& format, void* out, size_t room);
size_t DibInfoBytes(const DibFormat& format);

// Row codec: `x` is the first pixel of the run within the row.
void ReadDibRow(const DibFormat& format, const uint8_t* row, int32_t x, int32_t count, uint32_t* argb);
// Indexed targets take the nearest colour-table entry; sub-byte writes keep neighbouring pixels.
void WriteDibRow(const DibFormat& format, const uint32_t* argb, int32_t x, int32_t count, uint8_t* row);

// Nearest colour-table entry (Euclidean RGB, first entry on a tie) with a one-colour cache.
class NearestColor {
 public:
  explicit NearestColor(const std::vector<uint32_t>& colors) : colors_(colors) {}
  uint32_t Find(uint32_t argb);

 private:
  const std::vector<uint32_t>& colors_;
  uint32_t lastColour_ = 0;
  uint32_t lastIndex_ = 0;
  bool haveLast_ = false;
};

}  // namespace vx::gdi
