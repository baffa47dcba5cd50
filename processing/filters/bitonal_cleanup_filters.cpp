// Clean-up of scanned black-and-white pages: isolated dots, one-pixel holes, thin lines, and the
// growing and thinning of black shapes. A pixel is judged by its blue byte in the source copy
// alone (0 black, 255 white; grey is neither) and becomes pure black or pure white in the
// working array; alpha is never written.
#include "processing/filters/filter_procedures.h"

namespace vx::processing {

namespace {

constexpr uint8_t kBlackByte = 0, kWhiteByte = 255;

// Positions are 0-based here; every caller keeps them inside the area.
struct Bitonal {
  FilterImage& image;
  bool Black(int32_t x, int32_t y) const { return Blue(x, y) == kBlackByte; }
  bool White(int32_t x, int32_t y) const { return Blue(x, y) == kWhiteByte; }
  uint8_t Blue(int32_t x, int32_t y) const { return image.SourceBytes()[Offset(x, y) + kBlue]; }
  void Paint(int32_t x, int32_t y, uint8_t value) const {
    uint8_t* p = image.Bytes() + Offset(x, y);
    p[kBlue] = p[kGreen] = p[kRed] = value;
  }
  size_t Offset(int32_t x, int32_t y) const {
    return (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 4;
  }
};

// Calls visit(x, y) for x in x0..x1 and y in y0..y1 (inclusive, 0-based), rows top to bottom.
template <class Fn>
void Visit(int32_t x0, int32_t x1, int32_t y0, int32_t y1, Fn visit) {
  for (int32_t y = y0; y <= y1; ++y)
    for (int32_t x = x0; x <= x1; ++x) visit(x, y);
}

bool ModeOf(const FilterArgs& args, int32_t& mode) { return LongOf(args.param1, mode); }

constexpr int kEdges[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr int kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
constexpr int kVertical[2][2] = {{0, -1}, {0, 1}};

template <size_t N>
bool AllBlackAround(const Bitonal& b, int32_t x, int32_t y, const int (&offsets)[N][2]) {
  for (const auto& o : offsets)
    if (!b.Black(x + o[0], y + o[1])) return false;
  return true;
}

// The pixels of a run of `width` across the line, with their bounds, from column or row `at`.
struct Run {
  bool alongRow;
  int32_t width;
  bool Removable(const Bitonal& b, int32_t at, int32_t other) const {
    if (!White(b, at - 1, other) || !White(b, at + width, other)) return false;
    for (int32_t k = 0; k < width; ++k)
      if (!Black(b, at + k, other)) return false;
    return true;
  }
  void Remove(const Bitonal& b, int32_t at, int32_t other) const {
    for (int32_t k = 0; k < width; ++k) alongRow ? b.Paint(at + k, other, kWhiteByte) : b.Paint(other, at + k, kWhiteByte);
  }
  bool White(const Bitonal& b, int32_t at, int32_t other) const {
    return alongRow ? b.White(at, other) : b.White(other, at);
  }
  bool Black(const Bitonal& b, int32_t at, int32_t other) const {
    return alongRow ? b.Black(at, other) : b.Black(other, at);
  }
};

}  // namespace

bool FilterParasite4(FilterImage& image, const FilterArgs&, double&) {
  const Bitonal b{image};
  Visit(1, image.width - 2, 1, image.height - 2, [&](int32_t x, int32_t y) {
    if (!b.Black(x, y)) return;
    for (const auto& o : kEdges)
      if (!b.White(x + o[0], y + o[1])) return;
    b.Paint(x, y, kWhiteByte);
  });
  return true;
}

bool FilterParasite2x2(FilterImage& image, const FilterArgs&, double&) {
  const Bitonal b{image};
  Visit(1, image.width - 3, 1, image.height - 3, [&](int32_t x, int32_t y) {
    for (int32_t dy = 0; dy < 2; ++dy)
      for (int32_t dx = 0; dx < 2; ++dx)
        if (!b.Black(x + dx, y + dy)) return;
    for (int32_t k = -1; k <= 2; ++k)
      if (!b.White(x + k, y - 1) || !b.White(x + k, y + 2)) return;
    for (int32_t k = 0; k < 2; ++k)
      if (!b.White(x - 1, y + k) || !b.White(x + 2, y + k)) return;
    for (int32_t dy = 0; dy < 2; ++dy)
      for (int32_t dx = 0; dx < 2; ++dx) b.Paint(x + dx, y + dy, kWhiteByte);
  });
  return true;
}

bool FilterDilate3x3(FilterImage& image, const FilterArgs& args, double&) {
  int32_t mode = 0;
  if (!ModeOf(args, mode)) return false;
  const Bitonal b{image};
  auto grow = [&](const auto& offsets) {
    Visit(1, image.width - 2, 1, image.height - 2, [&](int32_t x, int32_t y) {
      if (!b.Black(x, y)) return;
      for (const auto& o : offsets) b.Paint(x + o[0], y + o[1], kBlackByte);
    });
  };
  if (mode == 1) grow(kRing);
  if (mode == 2) grow(kEdges);
  if (mode == 3) grow(kVertical);
  return true;
}

bool FilterErode3x3(FilterImage& image, const FilterArgs& args, double&) {
  int32_t mode = 0;
  if (!ModeOf(args, mode)) return false;
  const Bitonal b{image};
  auto thin = [&](const auto& offsets) {
    Visit(1, image.width - 2, 1, image.height - 2, [&](int32_t x, int32_t y) {
      if (!b.Black(x, y) || !AllBlackAround(b, x, y, offsets)) b.Paint(x, y, kWhiteByte);
    });
  };
  if (mode == 1) thin(kEdges);
  if (mode == 2) thin(kRing);
  return true;
}

bool FilterFillHole(FilterImage& image, const FilterArgs& args, double&) {
  int32_t mode = 0;
  if (!ModeOf(args, mode)) return false;
  const Bitonal b{image};
  if (mode == 1)
    Visit(1, image.width - 2, 0, image.height - 1, [&](int32_t x, int32_t y) {
      if (b.White(x, y) && b.Black(x - 1, y) && b.Black(x + 1, y)) b.Paint(x, y, kBlackByte);
    });
  if (mode == 2)
    Visit(0, image.width - 1, 1, image.height - 2, [&](int32_t x, int32_t y) {
      if (b.White(x, y) && b.Black(x, y - 1) && b.Black(x, y + 1)) b.Paint(x, y, kBlackByte);
    });
  return true;
}

// A run of three never starts in the second column (row): the system's visit starts one later.
bool FilterRemoveLines(FilterImage& image, const FilterArgs& args, double&) {
  int32_t direction = 0, width = 0;
  if (!LongOf(args.param1, direction) || !LongOf(args.param2, width)) return false;
  if ((direction != 1 && direction != 2) || width < 1 || width > 3) return true;
  const Bitonal b{image};
  const Run run{direction == 1, width};
  const int32_t first = width == 3 ? 2 : 1;
  const int32_t along = run.alongRow ? image.width : image.height;
  const int32_t across = run.alongRow ? image.height : image.width;
  for (int32_t other = 0; other < across; ++other)
    for (int32_t at = first; at + width < along; ++at)
      if (run.Removable(b, at, other)) run.Remove(b, at, other);
  return true;
}

}  // namespace vx::processing
