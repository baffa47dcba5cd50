// Helpers shared by the GDI tests: a BITMAPINFO with room for a full colour table.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace vx::testing {

struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  const BITMAPINFO* get() const { return reinterpret_cast<const BITMAPINFO*>(this); }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

inline DibInfo MakeDibInfo(int width, int height, int bits, std::vector<uint32_t> colours = {}) {
  DibInfo info;
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = static_cast<DWORD>(colours.size());
  for (size_t i = 0; i < colours.size() && i < 256; ++i)
    info.colors[i] = RGBQUAD{static_cast<BYTE>(colours[i]), static_cast<BYTE>(colours[i] >> 8),
                             static_cast<BYTE>(colours[i] >> 16), 0};
  return info;
}

inline size_t DibStride(int width, int bits) { return (static_cast<size_t>(width) * bits + 31) / 32 * 4; }

}  // namespace vx::testing
