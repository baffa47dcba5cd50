// Border detection on scanned pages. Each side is walked from the edge inwards, one whole line at
// a time, for as long as the line is (to the confidence asked for) of the border colour; what was
// walked over is then cropped away, painted white or only reported.
//
// Cases treated specially:
// - The last line of a direction never counts, so a uniform page cannot lose every line to one
//   side; borders from opposite sides can still meet or cross. Cropping then fails and leaves the
//   page; the report gives that axis whole, as if nothing were found on it.
// - Skipped lines (dust or a punch-hole strip at the very edge) count with the border only when
//   the first line after them qualifies.
// - 1-bit pages are compared exactly: their two colours leave nothing for a tolerance to accept.
// - Borders are painted through a pixel lock onto the page's own format and palette, which
//   drawing refuses for indexed pages.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/image_access.h"
#include "engine/runtime_error.h"
#include "processing/cleanup/argb_rows.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

namespace engine = vx::engine;
using vx::processing::ArgbRows;

constexpr int32_t kWhite = -1;
constexpr int32_t kBlack = static_cast<int32_t>(0xFF000000u);
// Smaller pages hold no border worth finding.
constexpr int32_t kMinSide = 10;
// A line at its largest differs from a colour by 255 in each of its three channels.
constexpr int32_t kMaxDistance = 765;
// Confidence applied when a corner's border colour is asked with a confidence outside 0..100.
constexpr int32_t kFallbackConfidence = 98;

enum class Side { Top, Bottom, Left, Right };

// The summed channel distance a line's pixels may keep from the colour at a confidence: 7.65 per
// percent missing, rounded down. Beyond 0..765 every value means the same (all or none), which
// also keeps absurd confidences from overflowing.
int32_t ToleranceFor(int32_t confidence) {
  const double tolerance = std::floor((100.0 - confidence) * 7.65);
  return static_cast<int32_t>(std::clamp(tolerance, -1.0, double{kMaxDistance}));
}

class BorderScanner {
 public:
  BorderScanner(const ArgbRows& page, int32_t height, int32_t colour, int32_t tolerance)
      : page_(page), height_(height), colour_(static_cast<uint32_t>(colour)), tolerance_(tolerance) {}

  // The border's width in lines at a side (0 when none), after `skip` lines at the very edge.
  int32_t Lines(Side side, int32_t skip, int32_t confidence, bool& found) const {
    const int32_t extent = Vertical(side) ? height_ : page_.Width;
    int32_t n = skip;
    bool any = false;
    for (;;) {
      // Wide, so that a skip count near the top of the range ends the walk instead of wrapping.
      const int64_t k = int64_t{n} + 1;
      if (k < 1 || k >= extent || Share(side, int32_t(k)) < confidence) break;
      any = true;
      n = int32_t(k);
    }
    found = found || any;
    return any ? n : 0;
  }

 private:
  static bool Vertical(Side side) { return side == Side::Top || side == Side::Bottom; }

  bool Matches(uint32_t pixel) const {
    const auto channel = [](uint32_t v, int shift) { return static_cast<int32_t>((v >> shift) & 0xFF); };
    const int32_t distance = std::abs(channel(pixel, 16) - channel(colour_, 16)) +
                             std::abs(channel(pixel, 8) - channel(colour_, 8)) +
                             std::abs(channel(pixel, 0) - channel(colour_, 0));
    return distance <= tolerance_;
  }

  // The percentage of line k (1 = the line at the edge) whose pixels match the colour.
  double Share(Side side, int32_t k) const {
    const size_t width = static_cast<size_t>(page_.Width);
    size_t first = 0, step = 1, count = width;
    switch (side) {
      case Side::Top: first = static_cast<size_t>(k - 1) * width; break;
      case Side::Bottom: first = static_cast<size_t>(height_ - k) * width; break;
      case Side::Left: first = static_cast<size_t>(k - 1), step = width, count = static_cast<size_t>(height_); break;
      case Side::Right:
        first = width - static_cast<size_t>(k), step = width, count = static_cast<size_t>(height_);
        break;
    }
    size_t matching = 0;
    const uint32_t* pixel = page_.Pixels.data() + first;
    for (size_t i = 0; i < count; ++i, pixel += step) matching += Matches(*pixel) ? 1 : 0;
    return static_cast<double>(matching) / static_cast<double>(count) * 100.0;
  }

  const ArgbRows& page_;
  int32_t height_;
  uint32_t colour_;
  int32_t tolerance_;
};

// Opaque white over whole pixels, written through a lock rather than drawn: a graphics object
// refuses indexed and 16-bit grey pages, and a round trip through 32 bits would lose a palette.
// The lock maps the white onto the page's own format and palette, so a 1-bit page stays 1-bit
// and a grey scan keeps its greys.
VexiroStatus WriteWhite(int32_t id, const vx::gdiplus::GpRect& strip) {
  std::vector<uint32_t> white(static_cast<size_t>(strip.Width) * static_cast<size_t>(strip.Height), 0xFFFFFFFFu);
  return vx::processing::TransferArgbRect(id, strip, vx::gdiplus::ImageLockModeWrite, white.data());
}

}  // namespace

VexiroStatus cImaging::CropBordersCore(int32_t confidence, int32_t colour, int32_t skipLines, int32_t tolerance,
                                       BorderAction action, BorderRect& rect) {
  return engine::TrapRuntimeErrors([&]() -> VexiroStatus {
    SaveImageProperties(nNativeImage);
    const int32_t width = nSavedWidth, height = nSavedHeight;
    if (engine::GetImageBitDepthStrict(nNativeImage) == 1) tolerance = 0;
    BorderRect kept;
    bool found = false;
    {
      ArgbRows page;
      if (VexiroStatus s = vx::processing::ReadArgbRows(nNativeImage, width, 0, height, page); s != OK) return s;
      const BorderScanner scan(page, height, colour, tolerance);
      const int32_t top = scan.Lines(Side::Top, skipLines, confidence, found);
      const int32_t bottom = scan.Lines(Side::Bottom, skipLines, confidence, found);
      const int32_t left = scan.Lines(Side::Left, skipLines, confidence, found);
      const int32_t right = scan.Lines(Side::Right, skipLines, confidence, found);
      kept = BorderRect{left, top, width - right - left, height - bottom - top};
    }
    if (!found) {
      rect = BorderRect{0, 0, width, height};
      return OK;
    }
    switch (action) {
      case BorderAction::Report:
        // Borders that meet or cross on an axis leave nothing between them: that axis is
        // reported whole.
        rect = kept;
        if (rect.Width < 1) rect.Left = 0, rect.Width = width;
        if (rect.Height < 1) rect.Top = 0, rect.Height = height;
        return OK;
      case BorderAction::Paint:
        rect = kept;
        return PaintBordersWhite(kept);
      case BorderAction::Crop:
        break;
    }
    rect = kept;
    return Crop(kept.Left, kept.Top, kept.Width, kept.Height);
  });
}

VexiroStatus cImaging::PaintBordersWhite(const BorderRect& kept) {
  const int32_t width = nSavedWidth, height = nSavedHeight;
  const int32_t left = kept.Left, top = kept.Top;
  const int32_t right = width - kept.Left - kept.Width, bottom = height - kept.Top - kept.Height;
  const BorderRect strips[] = {{0, 0, left, height}, {0, 0, width, top}, {width - right, 0, right, height},
                               {0, height - bottom, width, bottom}};
  VexiroStatus s = OK;
  for (const BorderRect& strip : strips) {
    if (s != OK || strip.Width < 1 || strip.Height < 1) continue;
    s = WriteWhite(nNativeImage, {strip.Left, strip.Top, strip.Width, strip.Height});
  }
  return s;
}

VexiroStatus cImaging::CropBordersOfColour(int32_t confidence, int32_t colour, int32_t skipLines,
                                           BorderAction action) {
  if (nNativeImage == 0) return nStat = GenericError;
  const int32_t width = GetWidth(), height = GetHeight();
  if (width < kMinSide || height < kMinSide) return nStat;
  const int32_t tolerance = GetPixelDepth() == 1 ? 0 : ToleranceFor(confidence);
  BorderRect rect;
  return nStat = CropBordersCore(confidence, colour, skipLines, tolerance, action, rect);
}

VexiroStatus cImaging::CropBordersAtCorner(int32_t confidence, int32_t pixelReference, BorderAction action,
                                           BorderRect& rect) {
  if (nNativeImage == 0) return nStat = GenericError;
  const int32_t width = GetWidth(), height = GetHeight();
  if (width < kMinSide || height < kMinSide) return nStat;
  if (confidence < 0 || confidence > 100) confidence = kFallbackConfidence;
  if (pixelReference < 1 || pixelReference > 4) pixelReference = 1;
  const int32_t cornerX[] = {0, width - 1, width - 1, 0}, cornerY[] = {0, 0, height - 1, height - 1};
  const int32_t colour = PixelGetColor(cornerX[pixelReference - 1], cornerY[pixelReference - 1]);
  return nStat = CropBordersCore(confidence, colour, 0, ToleranceFor(confidence), action, rect);
}

VexiroStatus cImaging::CropWhiteBorders(int32_t nConfidence, int32_t nSkipLinesCount) {
  return CropBordersOfColour(nConfidence, kWhite, nSkipLinesCount, BorderAction::Crop);
}

VexiroStatus cImaging::CropBlackBorders(int32_t nConfidence, int32_t nSkipLinesCount) {
  return CropBordersOfColour(nConfidence, kBlack, nSkipLinesCount, BorderAction::Crop);
}

VexiroStatus cImaging::CropBlackBordersEx(int32_t nConfidence, int32_t nSkipLinesCount) {
  return CropBordersOfColour(nConfidence, kBlack, nSkipLinesCount, BorderAction::Paint);
}

VexiroStatus cImaging::CropBorders() { return CropBordersEX(90, 1); }

VexiroStatus cImaging::CropBordersEX(int32_t nConfidence, int32_t nPixelReference) {
  BorderRect rect;
  return CropBordersAtCorner(nConfidence, nPixelReference, BorderAction::Crop, rect);
}

VexiroStatus cImaging::CropBordersEX2(int32_t nConfidence, int32_t nPixelReference, int32_t& nLeft, int32_t& nTop,
                                      int32_t& nWidth, int32_t& nHeight) {
  BorderRect rect{nLeft, nTop, nWidth, nHeight};
  const VexiroStatus s = CropBordersAtCorner(nConfidence, nPixelReference, BorderAction::Report, rect);
  nLeft = rect.Left, nTop = rect.Top, nWidth = rect.Width, nHeight = rect.Height;
  return s;
}

}  // namespace vexiro
