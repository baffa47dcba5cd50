// The histogram members: how often each byte value occurs in the current image, per channel of
// its 32bppARGB form or per palette index of an 8-bit indexed image.
#include <array>
#include <limits>
#include <vector>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "engine/runtime_error.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

constexpr int32_t kBins = 256;
using Counts = std::array<int64_t, kBins>;

// Counts are added to an array that already covers the bins 0..255; anything else is made anew.
void PrepareHistogram(BasicArray<int32_t>& a) {
  const bool covers = a.Rank() == 1 && a.LBound(1) == 0 && a.Bound(1).count >= kBins;
  if (!covers) a = BasicArray<int32_t>({ArrayBound{0, kBins}});
}

// A bin that would pass the 32-bit range is an overflow: nothing is added to any array then.
bool FitsInto(const BasicArray<int32_t>& a, const Counts& counts) {
  for (int32_t v = 0; v < kBins; ++v)
    if (a.Data()[static_cast<size_t>(v)] + counts[static_cast<size_t>(v)] > std::numeric_limits<int32_t>::max())
      return false;
  return true;
}

void AddInto(BasicArray<int32_t>& a, const Counts& counts) {
  for (int32_t v = 0; v < kBins; ++v)
    a.Data()[static_cast<size_t>(v)] += static_cast<int32_t>(counts[static_cast<size_t>(v)]);
}

VexiroStatus CountChannels(int32_t id, std::array<Counts, 4>& counts) {
  std::vector<uint8_t> pixels;
  const VexiroStatus s = vx::engine::ReadWholeImage(id, vx::gdiplus::PixelFormat32bppARGB, 32, pixels);
  if (s != OK) return s;
  for (size_t i = 0; i + 3 < pixels.size(); i += 4)
    for (size_t c = 0; c < 4; ++c) ++counts[c][pixels[i + c]];
  return OK;
}

VexiroStatus CountIndices(int32_t id, Counts& counts) {
  int32_t width = 0;
  VexiroStatus s = vx::engine::GetImageWidth(id, width);
  std::vector<uint8_t> rows;
  if (s == OK) s = vx::engine::ReadWholeImage(id, vx::gdiplus::PixelFormat8bppIndexed, 8, rows);
  if (s != OK) return s;
  const size_t stride = static_cast<size_t>(vx::engine::ComputeStride(width, 8));
  for (size_t row = 0; row + stride <= rows.size(); row += stride)
    for (size_t x = 0; x < static_cast<size_t>(width); ++x) ++counts[rows[row + x]];
  return OK;
}

// The caller's array in its channel's place (0 alpha, 1 red, 2 green, 3 blue of the ARGB
// member's order), fresh arrays in the others.
VexiroStatus OneChannel(cImaging& engine, BasicArray<int32_t>& wanted, size_t place) {
  std::array<BasicArray<int32_t>, 4> others;
  std::array<BasicArray<int32_t>*, 4> arrays = {&others[0], &others[1], &others[2], &others[3]};
  arrays[place] = &wanted;
  return engine.HistogramGetARGB(*arrays[0], *arrays[1], *arrays[2], *arrays[3]);
}

}  // namespace

// The arrays are made ready first; then a failure still standing from an earlier member stops
// the count and comes back unchanged, so a host that looks at the status only at the end of a
// sequence sees the first failure, not counts of an image that step may have left half done.
VexiroStatus cImaging::HistogramGetARGB(BasicArray<int32_t>& arHistoA, BasicArray<int32_t>& arHistoR,
                                        BasicArray<int32_t>& arHistoG, BasicArray<int32_t>& arHistoB) {
  if (nNativeImage == 0) nStat = GenericError;
  BasicArray<int32_t>* arrays[4] = {&arHistoB, &arHistoG, &arHistoR, &arHistoA};  // memory order of a pixel
  for (BasicArray<int32_t>* a : {&arHistoA, &arHistoR, &arHistoG, &arHistoB}) PrepareHistogram(*a);
  if (nStat != OK) return nStat;
  nStat = vx::engine::TrapRuntimeErrors([&] {
    std::array<Counts, 4> counts{};
    const VexiroStatus s = CountChannels(nNativeImage, counts);
    if (s != OK) return s;
    for (size_t c = 0; c < 4; ++c)
      if (!FitsInto(*arrays[c], counts[c])) return GenericError;
    for (size_t c = 0; c < 4; ++c) AddInto(*arrays[c], counts[c]);
    return OK;
  });
  return nStat;
}

VexiroStatus cImaging::HistogramGetRed(BasicArray<int32_t>& arHistoR) { return OneChannel(*this, arHistoR, 1); }
VexiroStatus cImaging::HistogramGetGreen(BasicArray<int32_t>& arHistoG) { return OneChannel(*this, arHistoG, 2); }
VexiroStatus cImaging::HistogramGetBlue(BasicArray<int32_t>& arHistoB) { return OneChannel(*this, arHistoB, 3); }
VexiroStatus cImaging::HistogramGetAlpha(BasicArray<int32_t>& arHistoA) { return OneChannel(*this, arHistoA, 0); }

VexiroStatus cImaging::HistogramGet8Bpp(BasicArray<int32_t>& ArHistoPal) {
  if (nNativeImage == 0) return nStat = GenericError;
  vx::gdiplus::PixelFormat format = 0;
  nStat = vx::engine::GetImagePixelFormat(nNativeImage, format);
  if (nStat != OK) return nStat;
  if (format != vx::gdiplus::PixelFormat8bppIndexed) return nStat = NotIndexedPixelFormat;
  PrepareHistogram(ArHistoPal);
  nStat = vx::engine::TrapRuntimeErrors([&] {
    Counts counts{};
    const VexiroStatus s = CountIndices(nNativeImage, counts);
    if (s != OK) return s;
    if (!FitsInto(ArHistoPal, counts)) return GenericError;
    AddInto(ArHistoPal, counts);
    return OK;
  });
  return nStat;
}

}  // namespace vexiro
