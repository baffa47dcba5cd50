#include "scan_lines.h"

#include <algorithm>

namespace vxbarcode {
namespace {

// Below this spread between the darkest and lightest pixel a line holds no printed symbol.
constexpr int kLeastContrast = 32;

}  // namespace

void SampleLine(const DibPixels& pixels, bool vertical, int index, std::vector<uint8_t>& luminance) {
  const int length = vertical ? pixels.height : pixels.width;
  luminance.resize(static_cast<size_t>(length));
  if (!vertical) {
    const uint8_t* row = pixels.Row(index);
    if (pixels.bytesPerPixel == 1) {
      std::copy(row, row + length, luminance.begin());
      return;
    }
    for (int x = 0; x < length; ++x) luminance[x] = Luminance(row + 3 * x);
    return;
  }
  const size_t column = static_cast<size_t>(index) * pixels.bytesPerPixel;
  for (int y = 0; y < length; ++y) {
    const uint8_t* pixel = pixels.Row(y) + column;
    luminance[y] = pixels.bytesPerPixel == 1 ? *pixel : Luminance(pixel);
  }
}

void ReadLine(const DibPixels& pixels, bool vertical, int index, std::vector<uint8_t>& luminance, LineRuns& runs) {
  SampleLine(pixels, vertical, index, luminance);
  const int length = static_cast<int>(luminance.size());
  runs.edges.assign({0});
  runs.firstDark = false;
  const auto [darkest, lightest] = std::minmax_element(luminance.begin(), luminance.end());
  if (length == 0 || *lightest - *darkest < kLeastContrast) {
    runs.edges.push_back(length);
    return;
  }
  const int threshold = (*darkest + *lightest + 1) / 2;
  bool dark = luminance[0] < threshold;
  runs.firstDark = dark;
  for (int i = 1; i < length; ++i) {
    const bool pixelDark = luminance[i] < threshold;
    if (pixelDark == dark) continue;
    runs.edges.push_back(i);
    dark = pixelDark;
  }
  runs.edges.push_back(length);
}

}  // namespace vxbarcode
