// Rectangles of the current image copied to and from the host's typed arrays. The array's own
// memory is the lock's buffer, so the pixel format conversion is the platform's. The rows lie
// packed from the array's first element, and an array is measured against the rectangle before a
// byte is copied.
#include <new>

#include "engine/image_access.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

using vx::gdiplus::PixelFormat;

// The rank a fresh array gets: 1, rows of width x bytesPerPixel bytes; 2, (x, y) of 32-bit
// pixels; 3, (channel, x, y) of bytes. In every rank the rows lie packed.
struct ArrayShape {
  PixelFormat format;
  int32_t bytesPerPixel;
  int rank;
};

constexpr ArrayShape kLongs1D{vx::gdiplus::PixelFormat32bppARGB, 4, 1};
constexpr ArrayShape kLongs2D{vx::gdiplus::PixelFormat32bppARGB, 4, 2};
constexpr ArrayShape kChannels3D{vx::gdiplus::PixelFormat32bppARGB, 4, 3};
constexpr ArrayShape kBytesARGB{vx::gdiplus::PixelFormat32bppARGB, 4, 1};
constexpr ArrayShape kBytesRGB{vx::gdiplus::PixelFormat24bppRGB, 3, 1};
constexpr ArrayShape kIndices{vx::gdiplus::PixelFormat8bppIndexed, 1, 1};

struct Rect {
  int32_t left, top, width, height;
};

// The rectangle's rows follow one another without gaps from the array's first element, whatever
// the array's own dimensions: hosts index a larger array as that buffer.
int64_t RowBytes(const ArrayShape& shape, const Rect& r) { return int64_t{r.width} * shape.bytesPerPixel; }

template <class T>
bool HoldsRectangle(const BasicArray<T>& a, const ArrayShape& shape, const Rect& r) {
  return static_cast<int64_t>(a.size() * sizeof(T)) >= RowBytes(shape, r) * r.height;
}

// An array of the member's rank whose dimensions each reach the rectangle's is filled as it is;
// any other is made anew.
template <class T>
bool FitsForGet(const BasicArray<T>& a, const ArrayShape& shape, const Rect& r) {
  if (a.Rank() != shape.rank) return false;
  const auto count = [&](int dim) { return int64_t{a.Bound(dim).count}; };
  if (shape.rank == 1) return HoldsRectangle(a, shape, r);
  if (shape.rank == 2) return count(1) >= r.width && count(2) >= r.height;
  return count(1) >= 4 && count(2) >= r.width && count(3) >= r.height;
}

template <class T>
void Recreate(BasicArray<T>& a, const ArrayShape& shape, const Rect& r) {
  const int32_t rowElements = static_cast<int32_t>(int64_t{r.width} * shape.bytesPerPixel / int32_t{sizeof(T)});
  if (shape.rank == 1) a = BasicArray<T>({ArrayBound{0, rowElements * r.height}});
  if (shape.rank == 2) a = BasicArray<T>({ArrayBound{0, r.width}, ArrayBound{0, r.height}});
  if (shape.rank == 3) a = BasicArray<T>({ArrayBound{0, 4}, ArrayBound{0, r.width}, ArrayBound{0, r.height}});
}

VexiroStatus Copy(int32_t id, const Rect& r, bool write, const ArrayShape& shape, void* buffer, int64_t stride) {
  vx::gdiplus::BitmapData data;
  data.Width = static_cast<vx::gdiplus::UINT>(r.width);
  data.Height = static_cast<vx::gdiplus::UINT>(r.height);
  data.Stride = static_cast<vx::gdiplus::INT>(stride);
  data.PixelFormat = shape.format;
  data.Scan0 = buffer;
  const uint32_t mode = (write ? vx::gdiplus::ImageLockModeWrite : vx::gdiplus::ImageLockModeRead) |
                        vx::gdiplus::ImageLockModeUserInputBuf;
  PixelFormat format = shape.format;
  const VexiroStatus s = vx::engine::LockImageBits(id, {r.left, r.top, r.width, r.height}, mode, format, data);
  return s == OK ? vx::engine::UnlockImageBits(id, data) : s;
}

// No image, an 8-bit copy of an image of another depth, or a rectangle outside the image.
VexiroStatus CheckCopy(int32_t id, const ArrayShape& shape, const Rect& r) {
  if (id == 0) return GenericError;
  int32_t width = 0, height = 0, bits = 0;
  VexiroStatus s = vx::engine::GetImageWidth(id, width);
  if (s == OK) s = vx::engine::GetImageHeight(id, height);
  if (s == OK && shape.format == vx::gdiplus::PixelFormat8bppIndexed) {
    s = vx::engine::GetImageBitDepth(id, bits);
    if (s == OK && bits != 8) return UnsupportedPixelFormat;
  }
  if (s != OK) return s;
  const bool inside = r.width > 0 && r.height > 0 && r.left >= 0 && r.top >= 0 &&
                      int64_t{r.left} + r.width <= width && int64_t{r.top} + r.height <= height;
  return inside ? OK : InvalidParameter;
}

template <class T>
VexiroStatus GetArray(int32_t id, BasicArray<T>& a, const ArrayShape& shape, const Rect& r) {
  if (VexiroStatus s = CheckCopy(id, shape, r); s != OK) return s;
  try {
    if (!FitsForGet(a, shape, r)) Recreate(a, shape, r);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Copy(id, r, false, shape, a.Data().data(), RowBytes(shape, r));
}

template <class T>
VexiroStatus SetArray(int32_t id, BasicArray<T>& a, const ArrayShape& shape, const Rect& r) {
  if (VexiroStatus s = CheckCopy(id, shape, r); s != OK) return s;
  // Any rank will do, as long as the array holds the rectangle's bytes.
  if (!HoldsRectangle(a, shape, r)) return InvalidParameter;
  return Copy(id, r, true, shape, a.Data().data(), RowBytes(shape, r));
}

}  // namespace

VexiroStatus cImaging::GetPixelArray1D(BasicArray<int32_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kLongs1D, {l, t, w, h});
}
VexiroStatus cImaging::GetPixelArray2D(BasicArray<int32_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kLongs2D, {l, t, w, h});
}
// One or two dimensions, whichever the array has.
VexiroStatus cImaging::SetPixelArray(BasicArray<int32_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = SetArray(nNativeImage, a, a.Rank() == 2 ? kLongs2D : kLongs1D, {l, t, w, h});
}
VexiroStatus cImaging::GetPixelArrayARGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kChannels3D, {l, t, w, h});
}
VexiroStatus cImaging::SetPixelArrayARGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = SetArray(nNativeImage, a, kChannels3D, {l, t, w, h});
}
VexiroStatus cImaging::GetPixelArrayBytesARGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kBytesARGB, {l, t, w, h});
}
VexiroStatus cImaging::SetPixelArrayBytesARGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = SetArray(nNativeImage, a, kBytesARGB, {l, t, w, h});
}
VexiroStatus cImaging::GetPixelArrayBytesRGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kBytesRGB, {l, t, w, h});
}
VexiroStatus cImaging::SetPixelArrayBytesRGB(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = SetArray(nNativeImage, a, kBytesRGB, {l, t, w, h});
}
VexiroStatus cImaging::GetPixelArray8bpp1D(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = GetArray(nNativeImage, a, kIndices, {l, t, w, h});
}
VexiroStatus cImaging::SetPixelArray8bpp1D(BasicArray<uint8_t>& a, int32_t l, int32_t t, int32_t w, int32_t h) {
  return nStat = SetArray(nNativeImage, a, kIndices, {l, t, w, h});
}

}  // namespace vexiro
