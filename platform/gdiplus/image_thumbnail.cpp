// Thumbnails: a scaled copy of the active frame as a 32bppPARGB bitmap. Scaling is separable
// with a tent filter whose width follows the scale (area-like when shrinking, bilinear when
// enlarging), computed on premultiplied pixels so that transparent pixels lend no colour.
#include <algorithm>
#include <cmath>
#include <new>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/pixel_channels.h"

namespace vx::gdiplus {

namespace {

// The size the platform picks when the caller asks for 0 x 0.
constexpr UINT kDefaultThumbnailSide = 120;
// The scaler keeps four floats per thumbnail pixel; this bounds that work area to 1 GiB.
constexpr uint64_t kMaxThumbnailPixels = uint64_t{1} << 26;

struct Tap {
  INT index;
  float weight;
};

// For every destination position, the source positions and their normalised weights.
std::vector<std::vector<Tap>> TentWeights(INT srcSize, INT dstSize) {
  const double scale = static_cast<double>(srcSize) / dstSize;
  const double radius = std::max(1.0, scale);
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(dstSize));
  for (INT d = 0; d < dstSize; ++d) {
    const double centre = (d + 0.5) * scale - 0.5;
    const INT first = std::max<INT>(0, static_cast<INT>(std::floor(centre - radius)) + 1);
    const INT last = std::min<INT>(srcSize - 1, static_cast<INT>(std::ceil(centre + radius)) - 1);
    double total = 0;
    for (INT s = first; s <= last; ++s) total += std::max(0.0, 1.0 - std::abs(s - centre) / radius);
    auto& list = taps[static_cast<size_t>(d)];
    if (total <= 0) {
      list.push_back({std::clamp<INT>(static_cast<INT>(std::lround(centre)), 0, srcSize - 1), 1.0f});
      continue;
    }
    for (INT s = first; s <= last; ++s) {
      const double w = std::max(0.0, 1.0 - std::abs(s - centre) / radius);
      if (w > 0) list.push_back({s, static_cast<float>(w / total)});
    }
  }
  return taps;
}

// Destination rows each source row contributes to, with the vertical weight.
std::vector<std::vector<Tap>> InvertTaps(const std::vector<std::vector<Tap>>& taps, INT srcSize) {
  std::vector<std::vector<Tap>> bySource(static_cast<size_t>(srcSize));
  for (size_t d = 0; d < taps.size(); ++d)
    for (const Tap& t : taps[d]) bySource[static_cast<size_t>(t.index)].push_back({static_cast<INT>(d), t.weight});
  return bySource;
}

void ResampleRow(const std::vector<uint32_t>& source, const std::vector<std::vector<Tap>>& taps, std::vector<float>& out) {
  for (size_t d = 0; d < taps.size(); ++d) {
    float a = 0, r = 0, g = 0, b = 0;
    for (const Tap& t : taps[d]) {
      const uint32_t c = source[static_cast<size_t>(t.index)];
      a += t.weight * channels::A8(c);
      r += t.weight * channels::R8(c);
      g += t.weight * channels::G8(c);
      b += t.weight * channels::B8(c);
    }
    out[4 * d] = a;
    out[4 * d + 1] = r;
    out[4 * d + 2] = g;
    out[4 * d + 3] = b;
  }
}

uint32_t ToByte(float v, uint32_t limit) {
  return static_cast<uint32_t>(std::clamp<long>(std::lround(v), 0, static_cast<long>(limit)));
}

void Scale(const Frame& from, Frame& to) {
  const auto across = TentWeights(from.width, to.width);
  const auto down = InvertTaps(TentWeights(from.height, to.height), from.height);
  std::vector<float> sums(static_cast<size_t>(to.width) * to.height * 4, 0.0f);
  std::vector<uint32_t> source(static_cast<size_t>(from.width));
  std::vector<float> row(static_cast<size_t>(to.width) * 4);
  for (INT y = 0; y < from.height; ++y) {
    if (down[static_cast<size_t>(y)].empty()) continue;
    ConvertRow(FrameSourceRow(from, y), {reinterpret_cast<uint8_t*>(source.data()), PixelFormat32bppPARGB},
               from.width);
    ResampleRow(source, across, row);
    for (const Tap& t : down[static_cast<size_t>(y)]) {
      float* target = sums.data() + static_cast<size_t>(t.index) * to.width * 4;
      for (size_t i = 0; i < row.size(); ++i) target[i] += t.weight * row[i];
    }
  }
  for (INT y = 0; y < to.height; ++y) {
    uint8_t* out = FrameRow(to, y);
    const float* in = sums.data() + static_cast<size_t>(y) * to.width * 4;
    for (INT x = 0; x < to.width; ++x, in += 4) {
      const uint32_t a = ToByte(in[0], 255);
      channels::Store32(out + 4 * x, channels::Argb(a, ToByte(in[1], a), ToByte(in[2], a), ToByte(in[3], a)));
    }
  }
}

}  // namespace

Status GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** thumbnail, void* callback,
                             void* callbackData) {
  if (Status s = CheckImage(image); s != Ok) return s;
  if (!thumbnail) return InvalidParameter;
  *thumbnail = nullptr;
  auto* bitmap = dynamic_cast<GpBitmap*>(image);
  if (!bitmap) return NotImplemented;
  GpBitmap* source = nullptr;
  if (Status s = ResolveBitmap(bitmap, source); s != Ok) return s;
  if (width == 0 && height == 0) width = height = kDefaultThumbnailSide;
  if (width > INT32_MAX || height > INT32_MAX) return InvalidParameter;
  if (uint64_t{width} * height > kMaxThumbnailPixels) return OutOfMemory;
  Frame scaled;
  if (Status s = MakeFrame(static_cast<INT>(width), static_cast<INT>(height), PixelFormat32bppPARGB, scaled); s != Ok)
    return s;
  try {
    Scale(source->current(), scaled);
    auto made = std::make_unique<GpBitmap>();
    made->frames.push_back(std::move(scaled));
    *thumbnail = made.release();
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

}  // namespace vx::gdiplus
