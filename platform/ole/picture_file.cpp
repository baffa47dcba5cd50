// Icon pictures saved as icon files: one image of the icon's size in 32-bit colour, the icon's
// mask given both as alpha and as the AND mask, so that readers of either kind see the same
// transparent pixels.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/ole/ole.h"
#include "platform/ole/picture.h"

namespace vx::ole {
namespace {

constexpr int kMaxIconSide = 256;  // the largest side an icon directory entry can name

struct BitmapDeleter {
  HBITMAP handle;
  ~BitmapDeleter() {
    if (handle) DeleteObject(handle);
  }
};

// The bitmap as bottom-up 32-bit pixels, as the icon file stores its rows.
bool BottomUpPixels(HBITMAP bitmap, int width, int height, std::vector<uint32_t>& pixels) {
  pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  BITMAPINFO info{};
  info.bmiHeader = {40, width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC dc = CreateCompatibleDC(0);
  const int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteDC(dc);
  return rows == height;
}

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> IconFileBytes(int width, int height, const std::vector<uint32_t>& colour,
                                   const std::vector<uint32_t>& mask) {
  const uint32_t maskStride = static_cast<uint32_t>((width + 31) / 32 * 4);
  const uint32_t imageBytes = 40 + static_cast<uint32_t>(colour.size()) * 4 + maskStride * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  PutLittleEndian(out, 0, 2);  // reserved
  PutLittleEndian(out, 1, 2);  // an icon
  PutLittleEndian(out, 1, 2);  // one image
  PutLittleEndian(out, static_cast<uint32_t>(width % kMaxIconSide), 1);  // 256 is written as 0
  PutLittleEndian(out, static_cast<uint32_t>(height % kMaxIconSide), 1);
  PutLittleEndian(out, 0, 2);   // no palette, reserved
  PutLittleEndian(out, 1, 2);   // planes
  PutLittleEndian(out, 32, 2);  // bits per pixel
  PutLittleEndian(out, imageBytes, 4);
  PutLittleEndian(out, 22, 4);  // the image follows the one entry
  // The image's header counts the colour and AND rows together: twice the height.
  for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height) * 2}) PutLittleEndian(out, v, 4);
  PutLittleEndian(out, 1, 2);
  PutLittleEndian(out, 32, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(out, 0, 4);
  for (size_t i = 0; i < colour.size(); ++i) {
    const bool transparent = (mask[i] & 0xFFFFFF) != 0;
    PutLittleEndian(out, transparent ? 0u : (colour[i] & 0xFFFFFF) | 0xFF000000u, 4);
  }
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row(maskStride, 0);
    for (int x = 0; x < width; ++x)
      if (mask[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFF)
        row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// A failed write leaves no partial file.
HRESULT WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return STG_E_ACCESSDENIED;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace

HRESULT SaveIconPictureFile(IPicture* picture, const std::string& path) {
  int16_t type = 0;
  HANDLE32 handle = 0;
  if (!picture || path.empty() || FAILED(picture->get_Type(&type)) || type != PICTYPE_ICON ||
      FAILED(picture->get_Handle(&handle)))
    return E_INVALIDARG;
  ICONINFO info;
  if (!GetIconInfo(static_cast<HICON>(handle), &info)) return E_INVALIDARG;
  const BitmapDeleter mask{info.hbmMask}, colour{info.hbmColor};
  if (!colour.handle) return E_NOTIMPL;  // monochrome icons are not written
  BITMAP size;
  if (GetObject(colour.handle, sizeof size, &size) == 0 || size.bmWidth < 1 || size.bmHeight < 1 ||
      size.bmWidth > kMaxIconSide || size.bmHeight > kMaxIconSide)
    return E_INVALIDARG;
  std::vector<uint32_t> colourPixels, maskPixels;
  try {
    if (!BottomUpPixels(colour.handle, size.bmWidth, size.bmHeight, colourPixels) ||
        !BottomUpPixels(mask.handle, size.bmWidth, size.bmHeight, maskPixels))
      return E_FAIL;
    return WriteWholeFile(path, IconFileBytes(size.bmWidth, size.bmHeight, colourPixels, maskPixels));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vx::ole
