// The imaging platform's image objects: what a GpImage handle points at.
//
// A bitmap holds one or more frames. Each frame is a complete surface with its own pixels,
// palette, resolution and property items; the active frame is what every pixel, palette and
// property call works on. Pixel memory is either owned (storage) or borrowed from the caller
// (scan0 points into memory the caller keeps alive).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/pixel_bytes.h"

namespace vx::gdiplus {

struct PropertyRecord {
  PROPID id = 0;
  WORD type = 0;
  std::vector<uint8_t> value;
};

// Frames move freely (the storage buffer moves with them, so scan0 stays valid). A copy of an
// owned frame points into its own copied storage; a copy of a borrowing frame borrows the same
// caller memory. CloneFrame makes an owned deep copy of either.
struct Frame {
  Frame() = default;
  Frame(const Frame& other) { *this = other; }
  Frame& operator=(const Frame& other);
  Frame(Frame&&) noexcept = default;
  Frame& operator=(Frame&&) noexcept = default;

  INT width = 0;
  INT height = 0;
  PixelFormat format = PixelFormatUndefined;
  INT stride = 0;                // bytes per row; rows run top-down from scan0
  uint8_t* scan0 = nullptr;      // first row; points into storage when owned
  PixelBytes storage;            // owned pixel memory; empty when the caller's memory is borrowed
  std::vector<ARGB> palette;     // indexed formats: the colour table
  UINT paletteFlags = 0;
  REAL dpiX = 96.0f;
  REAL dpiY = 96.0f;
  UINT imageFlags = 0;  // colour-space and has-real-dpi flags reported by the decoder
  std::vector<PropertyRecord> properties;
};

// State of an outstanding LockBits on a bitmap.
struct LockState {
  bool active = false;
  UINT mode = 0;
  GpRect rect;
  PixelFormat format = PixelFormatUndefined;
  bool direct = false;           // the caller was handed the bitmap's own rows
  void* userBuffer = nullptr;    // caller-supplied buffer (user-input-buffer mode)
  INT userStride = 0;
  PixelBytes buffer;             // converted pixels lent to the caller
  std::vector<ARGB> palette;     // colour table of an indexed lock format
};

// What the generic image queries report. Bitmaps answer from their active frame; other image
// kinds (metafiles) override GpImage::Describe.
struct ImageDescription {
  UINT width = 0;
  UINT height = 0;
  REAL dpiX = 96.0f;
  REAL dpiY = 96.0f;
  PixelFormat format = PixelFormatUndefined;
  UINT flags = 0;
};

class GpImage {
 public:
  virtual ~GpImage() = default;
  ImageType type = ImageTypeUnknown;
  GUID rawFormat = ImageFormatMemoryBMP;

  // Hooks for images that are not bitmaps: the generic queries and GdipCloneImage call these.
  virtual Status Describe(ImageDescription& out) const { return NotImplemented; }
  virtual Status Duplicate(std::unique_ptr<GpImage>& out) const { return NotImplemented; }
};

class GpBitmap : public GpImage {
 public:
  GpBitmap() { type = ImageTypeBitmap; }
  std::vector<Frame> frames;                 // at least one
  UINT activeFrame = 0;
  GUID frameDimension = FrameDimensionPage;  // page (TIFF, single images) or time (GIF)
  LockState lock;
  Frame& current() { return frames[activeFrame]; }
  const Frame& current() const { return frames[activeFrame]; }
};

// Address of row y of a frame (the stride may be negative for borrowed bottom-up memory).
inline uint8_t* FrameRow(const Frame& frame, INT y) {
  return frame.scan0 + static_cast<ptrdiff_t>(y) * frame.stride;
}

// A pending multi-frame save (SaveImageToFile/Stream with the multi-frame flag, then SaveAdd).
class EncoderSession;

// Whether a new frame's pixels start cleared, or are left for a writer that fills every row.
enum class FrameFill { Cleared, RowsWritten };

// Allocates an owned frame of the given size and format with the platform stride (rows padded
// to 4 bytes) and the default palette for indexed formats; zero-filled unless the caller writes
// every row at once (padding is cleared either way).
Status MakeFrame(INT width, INT height, PixelFormat format, Frame& out, FrameFill fill = FrameFill::Cleared);

// The colour table that pixels of `format` refer to when converted from `source`: the source's
// own table when it is indexed and fits the format, else the format's default table (empty for
// formats without a table).
std::vector<ARGB> PaletteForConversion(const Frame& source, PixelFormat format);

// Whether a rectangle lies inside the frame (positive size; checked without overflow).
bool RectInsideFrame(const GpRect& rect, const Frame& frame);

// Deep copy of a frame into owned storage (pixels, palette, resolution, flags, properties).
Status CloneFrame(const Frame& source, Frame& out);

// A new single-frame bitmap taking over `frame` (OutOfMemory when it cannot be had).
Status AdoptFrame(Frame&& frame, GpBitmap** bitmap);

// One side of a row conversion: the row's first byte, its format, the colour table an indexed
// format refers to, and the pixel the run starts at (sub-byte formats address pixels within bytes).
template <typename Byte>
struct PixelRowRef {
  Byte* pixels = nullptr;
  PixelFormat format = PixelFormatUndefined;
  std::span<const ARGB> palette = {};
  INT x = 0;
};
using SourceRow = PixelRowRef<const uint8_t>;
using DestRow = PixelRowRef<uint8_t>;

// Row y of a frame from pixel x, with the frame's format and palette.
inline SourceRow FrameSourceRow(const Frame& frame, INT y, INT x = 0) {
  return {FrameRow(frame, y), frame.format, frame.palette, x};
}
inline DestRow FrameDestRow(Frame& frame, INT y, INT x = 0) {
  return {FrameRow(frame, y), frame.format, frame.palette, x};
}

// Converts `count` pixels from one row to another. Indexed targets take the nearest entry of
// the target's palette; indexed sources read the source's.
void ConvertRow(const SourceRow& from, const DestRow& to, INT count);

// The palette a new indexed bitmap starts with (the platform's default halftone/greys).
std::vector<ARGB> DefaultPalette(PixelFormat format);
// The palette flags that go with DefaultPalette (grey scale for 1 bpp, halftone for 8 bpp).
UINT DefaultPaletteFlags(PixelFormat format);

// True when the format is one of the 14 bitmap formats.
bool IsBitmapPixelFormat(PixelFormat format);

}  // namespace vx::gdiplus
