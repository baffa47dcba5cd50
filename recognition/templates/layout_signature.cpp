// The layout signature: one pass over a 32-bit copy of the image, row by row.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/image_access.h"
#include "recognition/templates/template_store.h"

namespace vexiro {
namespace {

namespace gp = vx::gdiplus;

constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr uint32_t kDarkBelow = 127;
// Weights of the nine pixels of a block, row above first, left to right.
constexpr int32_t kWeights[3][3] = {{256, 128, 64}, {32, 16, 8}, {4, 2, 1}};

bool IsDarkColour(uint32_t argb) {
  return (argb & 0xFF) < kDarkBelow && ((argb >> 8) & 0xFF) < kDarkBelow && ((argb >> 16) & 0xFF) < kDarkBelow;
}

uint32_t PixelAt(const uint8_t* row, int32_t x) {
  uint32_t argb;
  std::memcpy(&argb, row + static_cast<size_t>(x) * 4, sizeof argb);
  return argb;
}

// `pixels`: top-down rows of 32-bit ARGB, 4 x width bytes each.
template <class Dark>
void CountBlocks(const std::vector<uint8_t>& pixels, int32_t width, int32_t height, Dark dark,
                 LayoutSignature& signature) {
  const size_t stride = static_cast<size_t>(width) * 4;
  // Centre rows and columns 2, 5, 8 .. counted from 1; a last incomplete block is never looked at.
  const int32_t topBand = static_cast<int32_t>(height * 0.2);
  for (int32_t centreY = 2; centreY <= height - 1; centreY += 3) {
    const bool inTopBand = centreY <= topBand;
    const uint8_t* rows[3] = {&pixels[static_cast<size_t>(centreY - 2) * stride],
                              &pixels[static_cast<size_t>(centreY - 1) * stride],
                              &pixels[static_cast<size_t>(centreY) * stride]};
    for (int32_t centreX = 2; centreX <= width - 1; centreX += 3) {
      int32_t pattern = 0;
      for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
          if (!dark(PixelAt(rows[dy], centreX - 2 + dx))) continue;
          pattern += kWeights[dy][dx];
          ++signature.DarkCount;
          if (inTopBand) ++signature.TopDarkCount;
        }
      }
      ++signature.Bins[static_cast<size_t>(pattern)];
    }
  }
}

}  // namespace

VexiroStatus ComputeLayoutSignature(int32_t imageId, int32_t width, int32_t height, LayoutSignature& signature) {
  signature = LayoutSignature{};
  std::vector<uint8_t> pixels;
  const VexiroStatus s = vx::engine::ReadWholeImage(imageId, gp::PixelFormat32bppARGB, 32, pixels);
  if (s != OK) return s;
  if (pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) return GenericError;
  if (vx::engine::GetImageBitDepthStrict(imageId) == 1)
    CountBlocks(pixels, width, height, [](uint32_t argb) { return argb == kOpaqueBlack; }, signature);
  else
    CountBlocks(pixels, width, height, IsDarkColour, signature);
  return OK;
}

double CompareSignatures(const SignatureBins& image, const SignatureBins& learned) {
  int64_t total = 0;
  for (size_t k = 1; k < kSignatureBins; ++k) total += image[k];
  if (total == 0) return 0;
  double sum = 0;
  for (size_t k = 1; k < kSignatureBins; ++k) {
    const double a = image[k], b = learned[k];
    double similarity = 0;
    if (a == 0 && b == 0)
      similarity = 100;
    else if (a != 0 && b != 0)
      similarity = std::min(a, b) / std::max(a, b) * 100;
    sum += (100.0 / static_cast<double>(total)) * similarity * a;
  }
  return sum / 100;
}

}  // namespace vexiro
