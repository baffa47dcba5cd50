// Emboss, engrave, contour and relief. The channel that feeds each output and the constant added
// to it are crossed on purpose (blue feeds red and red feeds blue in most of them): images made
// with these filters look the way they do because of it.
#include <cstdlib>

#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

struct Offsets {
  int32_t kR, kG, kB;
};

bool ColourArgument(const FilterArgs& args, Offsets& k) {
  int32_t colour = 0;
  if (!LongOf(args.param1, colour)) return false;
  SplitRGB(colour, k.kR, k.kG, k.kB);
  return true;
}

// Channel c at (dx, dy) from the pixel at p.
struct Window {
  const uint8_t* p;
  ptrdiff_t stride;
  int32_t At(int dx, int dy, int c) const { return p[dy * stride + dx * 4 + c]; }
  int32_t Column(int dx, int c) const { return At(dx, -1, c) + At(dx, 0, c) + At(dx, 1, c); }
  int32_t Sum8(int c) const { return Column(-1, c) + Column(1, c) + At(0, -1, c) + At(0, 1, c); }
};

// Emboss and engrave: every pixel but the last row and column, from itself and its lower-right
// neighbour, in place. `sign` 1 subtracts the neighbour, -1 subtracts the pixel.
void DiagonalRelief(FilterImage& image, const Offsets& k, int sign) {
  const ptrdiff_t stride = static_cast<ptrdiff_t>(image.RowBytes());
  for (int32_t y = 0; y + 1 < image.height; ++y) {
    uint8_t* p = image.Bytes() + y * stride;
    for (int32_t x = 0; x + 1 < image.width; ++x, p += 4) {
      const uint8_t* q = p + stride + 4;
      const int32_t dB = sign * (p[kBlue] - q[kBlue]), dG = sign * (p[kGreen] - q[kGreen]),
                    dR = sign * (p[kRed] - q[kRed]);
      p[kRed] = ClampByte(std::abs(dB + k.kR));
      p[kGreen] = ClampByte(std::abs(dG + k.kG));
      p[kBlue] = ClampByte(std::abs(dR + k.kB));
    }
  }
}

// Runs `rule(window, out)` over the inner pixels of the source copy, writing red, green and blue
// of the working array.
template <class Rule>
void FromSource3x3(FilterImage& image, Rule rule) {
  const int32_t w = image.width, h = image.height;
  if (w < 3 || h < 3) return;
  const ptrdiff_t stride = static_cast<ptrdiff_t>(image.RowBytes());
  for (int32_t y = 1; y < h - 1; ++y) {
    const uint8_t* s = image.SourceBytes() + y * stride + 4;
    uint8_t* d = image.Bytes() + y * stride + 4;
    for (int32_t x = 1; x < w - 1; ++x, s += 4, d += 4) rule(Window{s, stride}, d);
  }
}

}  // namespace

bool FilterEmboss(FilterImage& image, const FilterArgs& args, double&) {
  Offsets k{};
  if (!ColourArgument(args, k)) return false;
  DiagonalRelief(image, k, 1);
  return true;
}

bool FilterEngrave(FilterImage& image, const FilterArgs& args, double&) {
  Offsets k{};
  if (!ColourArgument(args, k)) return false;
  DiagonalRelief(image, k, -1);
  return true;
}

bool FilterEmbossMore(FilterImage& image, const FilterArgs& args, double&) {
  Offsets k{};
  if (!ColourArgument(args, k)) return false;
  FromSource3x3(image, [&](const Window& n, uint8_t* d) {
    d[kRed] = ClampByte(n.Column(-1, kBlue) - n.Column(1, kBlue) + k.kR);
    d[kGreen] = ClampByte(n.Column(-1, kGreen) - n.Column(1, kGreen) + k.kG);
    d[kBlue] = ClampByte(n.Column(-1, kRed) - n.Column(1, kRed) + k.kB);
  });
  return true;
}

// Red leaves out the blue of the middle-left neighbour and counts the lower-left one twice.
bool FilterEngraveMore(FilterImage& image, const FilterArgs& args, double&) {
  Offsets k{};
  if (!ColourArgument(args, k)) return false;
  FromSource3x3(image, [&](const Window& n, uint8_t* d) {
    d[kGreen] = ClampByte(n.Column(1, kGreen) - n.Column(-1, kGreen) + k.kG);
    d[kBlue] = ClampByte(n.Column(1, kRed) - n.Column(-1, kRed) + k.kB);
    d[kRed] = ClampByte(n.Column(1, kBlue) - n.At(-1, -1, kBlue) - 2 * n.At(-1, 1, kBlue) + k.kR);
  });
  return true;
}

bool FilterContour(FilterImage& image, const FilterArgs& args, double&) {
  Offsets k{};
  if (!ColourArgument(args, k)) return false;
  FromSource3x3(image, [&](const Window& n, uint8_t* d) {
    d[kRed] = ClampByte(8 * n.At(0, 0, kRed) - n.Sum8(kRed) + k.kB);
    d[kGreen] = ClampByte(8 * n.At(0, 0, kGreen) - n.Sum8(kGreen) + k.kG);
    d[kBlue] = ClampByte(8 * n.At(0, 0, kBlue) - n.Sum8(kBlue) + k.kR);
  });
  return true;
}

bool FilterRelief(FilterImage& image, const FilterArgs&, double&) {
  FromSource3x3(image, [](const Window& n, uint8_t* d) {
    for (int c = 0; c < 3; ++c) {
      const int32_t v = 2 * (n.At(-1, -1, c) - n.At(1, 1, c)) - n.At(1, 0, c) - n.At(0, 1, c) + n.At(0, -1, c) +
                        n.At(-1, 0, c) + n.At(0, 0, c);
      d[c] = ClampByte(v / 2 + 50);
    }
  });
  return true;
}

}  // namespace vx::processing
