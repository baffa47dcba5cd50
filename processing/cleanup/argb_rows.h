// The clean-up measures read pages as plain 32bppARGB rows: one pixel a 32-bit value, whatever
// the image's own format, so a 1-bit scan and a colour photo are judged by one rule.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::processing {

using engine::VexiroStatus;

struct ArgbRows {
  int32_t Width = 0;
  int32_t Top = 0;  // the image row of the first row held
  int32_t Rows = 0;
  std::vector<uint32_t> Pixels;  // Rows x Width, row after row

  uint32_t At(int32_t x, int32_t imageRow) const {
    return Pixels[static_cast<size_t>(imageRow - Top) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
  }
};

// Reads or writes a rectangle of the image as 32bppARGB through one lock over the caller's pixels
// (rect.Width x rect.Height values, row after row); `mode` is the lock's read or write flag.
VexiroStatus TransferArgbRect(int32_t id, const gdiplus::GpRect& rect, uint32_t mode, uint32_t* pixels);

// Copies rows top .. top + rows - 1 of the image through one read lock into `out`. A band that
// leaves the image is the lock's InvalidParameter; a band too large to hold is OutOfMemory.
VexiroStatus ReadArgbRows(int32_t id, int32_t width, int32_t top, int32_t rows, ArgbRows& out);

}  // namespace vx::processing
