#include "platform/gdiplus/image_resampler.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vx::gdiplus {
namespace {

constexpr int32_t kOne = 1 << 16;  // 1.0 in 16.16 fixed point

// cairo's conversion to 16.16 fixed point: to nearest, ties to even.
int32_t Fixed(double d) { return static_cast<int32_t>(std::nearbyint(d * 65536.0)); }

// The Catmull-Rom cubic over a source pixel spacing of `r`, written in the order of operations whose
// rounding the weights must share: below unit spacing the kernel is the sum of two halves.
double CatmullRom(double x, double r) {
  if (r < 1.0) return CatmullRom(x * 2 - .5, r * 2) + CatmullRom(x * 2 + .5, r * 2);
  const double ax = std::fabs(x) / r;
  if (ax < 1) return ((9.0 * ax + -15.0) * ax * ax + 6.0) / 6;
  if (ax < 2) return (((-3.0 * ax + 15.0) * ax + -24.0) * ax + 12.0) / 6;
  return 0.0;
}

// One axis of the convolution: `width` taps for each of 2^phaseBits sub-pixel phases.
struct AxisFilter {
  int width = 0;
  int phaseBits = 0;
  std::vector<int32_t> weights;  // phase-major
};

// The spacing the kernel is built for; 0 where the best filter would switch kernels (beyond 16
// source pixels a destination pixel), which is left to cairo.
double KernelSpacing(double scale) {
  if (scale > 16.0) return 0;
  if (scale >= 1.0) return scale;
  if (scale < 1.0 / 128) return 1.0 / 127;
  if (scale < 0.5) return 1.0 / (1.0 / scale - 1.0);
  return 1.0;
}

AxisFilter MakeAxisFilter(double r) {
  AxisFilter f;
  f.width = std::max(2, static_cast<int>(std::ceil(r * 4)));
  while (r * (1 << f.phaseBits) <= 128.0) ++f.phaseBits;
  const int phases = 1 << f.phaseBits;
  f.weights.resize(static_cast<size_t>(phases) * f.width);
  const double step = 1.0 / phases;
  for (int i = 0; i < phases; ++i) {
    int32_t* p = f.weights.data() + static_cast<size_t>(i) * f.width;
    const double frac = (i + .5) * step;
    const double x1 = std::ceil(frac - f.width / 2.0 - 0.5) - frac + 0.5;
    double total = 0;
    for (int j = 0; j < f.width; ++j) {
      const double v = CatmullRom(x1 + j, r);
      total += v;
      p[j] = static_cast<int32_t>(v * 65536.0);
    }
    total = 1 / total;
    int32_t sum = 0;
    for (int j = 0; j < f.width; ++j) sum += (p[j] = static_cast<int32_t>(p[j] * total));
    p[f.width / 2] += kOne - sum;  // the rounding's remainder goes to the centre tap
  }
  return f;
}

// The 16.16 matrix rows pixman samples with, and the integer source offset cairo moves out of it.
struct FixedTransform {
  int32_t m[2][3] = {};
  int offsetX = 0, offsetY = 0;
};

bool FitsFixed(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// A fixed-point matrix row applied to a 16.16 point, rounded as pixman rounds.
bool ApplyRow(const int32_t row[3], int32_t x, int32_t y, int32_t& out) {
  const int64_t hi = int64_t(row[0]) * (x >> 16) + int64_t(row[1]) * (y >> 16) + int64_t(row[2]);
  const int64_t lo = int64_t(row[0]) * (x & 0xFFFF) + int64_t(row[1]) * (y & 0xFFFF);
  const int64_t v = hi + ((lo + 0x8000) >> 16);
  if (!FitsFixed(v)) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// cairo keeps the translation small by moving its integer part into the source offset, choosing
// the split whose larger coordinate is smallest.
void SplitOffset(cairo_matrix_t& m, int& offsetX, int& offsetY) {
  offsetX = offsetY = 0;
  if (m.x0 == 0.0 && m.y0 == 0.0) return;
  double tx = m.x0, ty = m.y0;
  double norm = std::max(std::fabs(tx), std::fabs(ty));
  for (int i = -1; i < 2; i += 2) {
    for (int j = -1; j < 2; j += 2) {
      double den = (m.xx + i) * (m.yy + j) - m.xy * m.yx;
      if (std::fabs(den) < std::numeric_limits<double>::epsilon()) continue;
      double x = m.y0 * m.xy - m.x0 * (m.yy + j);
      double y = m.x0 * m.yx - m.y0 * (m.xx + i);
      den = 1 / den;
      x *= den;
      y *= den;
      const double candidate = std::max(std::fabs(x), std::fabs(y));
      if (norm > candidate) {
        norm = candidate;
        tx = x;
        ty = y;
      }
    }
  }
  tx = std::floor(tx);
  ty = std::floor(ty);
  offsetX = static_cast<int>(-tx);
  offsetY = static_cast<int>(-ty);
  cairo_matrix_translate(&m, tx, ty);
}

// The fixed-point form of `toSource`, its translation corrected so that the centre of the painted
// area samples where the exact matrix puts it (the rounded scale would drift away from it).
bool MakeFixedTransform(cairo_matrix_t m, const PixelBox& area, FixedTransform& t) {
  // Offsets and translations beyond 16 bits are pixman's limit too; such drawings go to cairo.
  const double limit = 32767.0;
  if (!(std::fabs(m.x0) < limit * 4 && std::fabs(m.y0) < limit * 4)) return false;
  SplitOffset(m, t.offsetX, t.offsetY);
  if (!(std::fabs(m.x0) < limit && std::fabs(m.y0) < limit)) return false;
  t.m[0][0] = Fixed(m.xx), t.m[0][1] = Fixed(m.xy), t.m[0][2] = Fixed(m.x0);
  t.m[1][0] = Fixed(m.yx), t.m[1][1] = Fixed(m.yy), t.m[1][2] = Fixed(m.y0);
  const double xc = area.x + area.width / 2., yc = area.y + area.height / 2.;
  for (int round = 0; round < 5; ++round) {
    int32_t x = 0, y = 0;
    if (!ApplyRow(t.m[0], Fixed(xc), Fixed(yc), x) || !ApplyRow(t.m[1], Fixed(xc), Fixed(yc), y)) return false;
    double ex = xc, ey = yc;
    cairo_matrix_transform_point(&m, &ex, &ey);
    const int32_t dx = Fixed(x / 65536.0 - ex), dy = Fixed(y / 65536.0 - ey);
    t.m[0][2] -= dx;
    t.m[1][2] -= dy;
    if (dx == 0 && dy == 0) break;
  }
  return true;
}

// Where a destination coordinate samples: the first source tap and the phase of the weights.
struct Tap {
  int first = 0;
  int phase = 0;
};

Tap TapAt(int32_t position, const AxisFilter& f) {
  const int shift = 16 - f.phaseBits;
  const int32_t centred = ((position >> shift) << shift) + ((1 << shift) >> 1);
  const int32_t offset = ((f.width << 16) - kOne) >> 1;
  return {(centred - 1 - offset) >> 16, (centred & 0xFFFF) >> shift};
}

uint32_t ClampChannel(int32_t sum) { return static_cast<uint32_t>(std::clamp((sum + 0x8000) >> 16, 0, 255)); }

// Premultiplied `s` over `d`, each channel rounded as x * a / 255.
uint32_t Over(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24;
  if (a == 0xFF) return s;
  const uint32_t ia = 0xFF - a;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t t = ((d >> shift) & 0xFF) * ia + 0x80;
    t = ((t + (t >> 8)) >> 8) + ((s >> shift) & 0xFF);
    out |= std::min<uint32_t>(t, 0xFF) << shift;
  }
  return out;
}

// Two taps' weights, each repeated for the four channels of a pixel pair.
struct alignas(16) TapPair {
  int16_t w[8];
};

// The two-dimensional weights of one row phase against each column phase in use: pixman rounds
// every product of the two axes' weights, so the convolution is not separable to the bit.
class WeightTables {
 public:
  WeightTables(const AxisFilter& x, const AxisFilter& y, const std::vector<int>& columnPhases)
      : x_(x), y_(y), pairs_((x.width + 1) / 2) {
    slot_.assign(size_t(1) << x.phaseBits, -1);
    for (int p : columnPhases) {
      if (slot_[p] < 0) {
        slot_[p] = static_cast<int>(phases_.size());
        phases_.push_back(p);
      }
    }
    exact_.resize(phases_.size() * size_t(x.width) * y.width);
    packed_.resize(phases_.size() * size_t(pairs_) * y.width);
  }

  void SetRowPhase(int py) {
    if (py == rowPhase_) return;
    rowPhase_ = py;
    fitsShort_ = true;
    const int32_t* fy = y_.weights.data() + size_t(py) * y_.width;
    for (size_t s = 0; s < phases_.size(); ++s) {
      const int32_t* fx = x_.weights.data() + size_t(phases_[s]) * x_.width;
      int32_t* e = exact_.data() + s * size_t(x_.width) * y_.width;
      for (int i = 0; i < y_.width; ++i)
        for (int j = 0; j < x_.width; ++j) {
          const int32_t f = static_cast<int32_t>((int64_t(fx[j]) * fy[i] + 0x8000) >> 16);
          e[i * x_.width + j] = f;
          fitsShort_ = fitsShort_ && f >= -32768 && f <= 32767;
        }
      if (!fitsShort_) continue;
      TapPair* packed = packed_.data() + s * size_t(pairs_) * y_.width;
      for (int i = 0; i < y_.width; ++i)
        for (int k = 0; k < pairs_; ++k) {
          const int j = 2 * k;
          const int16_t f0 = static_cast<int16_t>(e[i * x_.width + j]);
          const int16_t f1 = j + 1 < x_.width ? static_cast<int16_t>(e[i * x_.width + j + 1]) : 0;
          packed[i * pairs_ + k] = TapPair{{f0, f1, f0, f1, f0, f1, f0, f1}};
        }
    }
  }

  bool FitsShort() const { return fitsShort_; }
  int Pairs() const { return pairs_; }
  const int32_t* Exact(int px) const { return exact_.data() + size_t(slot_[px]) * x_.width * y_.width; }
  const TapPair* Packed(int px) const { return packed_.data() + size_t(slot_[px]) * pairs_ * y_.width; }

 private:
  const AxisFilter& x_;
  const AxisFilter& y_;
  int pairs_;
  std::vector<int> slot_;
  std::vector<int> phases_;
  std::vector<int32_t> exact_;
  std::vector<TapPair> packed_;
  int rowPhase_ = -1;
  bool fitsShort_ = false;
};

// One destination pixel, taps clamped to the source's edges.
uint32_t ConvolveClamped(const PremultipliedRows& src, const uint8_t* const* rows, int firstColumn, int width,
                         int height, const int32_t* f) {
  int32_t sum[4] = {0, 0, 0, 0};
  for (int i = 0; i < height; ++i) {
    const auto* row = reinterpret_cast<const uint32_t*>(rows[i]);
    for (int j = 0; j < width; ++j) {
      const int32_t w = f[i * width + j];
      if (w == 0) continue;
      const uint32_t p = row[std::clamp(firstColumn + j, 0, src.width - 1)];
      for (int c = 0; c < 4; ++c) sum[c] += static_cast<int32_t>((p >> (8 * c)) & 0xFF) * w;
    }
  }
  return ClampChannel(sum[0]) | ClampChannel(sum[1]) << 8 | ClampChannel(sum[2]) << 16 | ClampChannel(sum[3]) << 24;
}

// Four source pixels as two pairs, each pair's channels interleaved byte by byte (p0 p1 | p2 p3),
// the order in which a multiply-add weighs two taps at once.
inline __m128i InterleavedQuad(const uint8_t* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i a = _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 1, 2, 0));
  return _mm_unpacklo_epi8(a, _mm_unpackhi_epi64(a, a));
}

// Two source pixels, interleaved as above, in the low half.
inline __m128i InterleavedPair(const uint8_t* p) {
  const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  return _mm_unpacklo_epi8(two, _mm_srli_si128(two, 4));
}

inline __m128i Weights(const TapPair& pair) { return _mm_load_si128(reinterpret_cast<const __m128i*>(pair.w)); }

inline __m128i WeighPair(__m128i sum, const uint8_t* p, const TapPair& w) {
  return _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi8(InterleavedPair(p), _mm_setzero_si128()), Weights(w)));
}

// The four channel sums, rounded and clamped to a pixel.
inline uint32_t PackSums(__m128i sum) {
  sum = _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(0x8000)), 16);
  const __m128i zero = _mm_setzero_si128();
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(sum, zero), zero)));
}

// One destination pixel whose taps, padded to an even count, all lie inside the source rows.
inline uint32_t ConvolveInsideSse2(const uint8_t* const* rows, int firstColumn, int height, int pairs, const TapPair* f) {
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  for (int i = 0; i < height; ++i, f += pairs) {
    const uint8_t* p = rows[i] + size_t(firstColumn) * 4;
    int k = 0;
    for (; k + 1 < pairs; k += 2) {
      const __m128i q = InterleavedQuad(p + 8 * k);
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi8(q, zero), Weights(f[k])));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpackhi_epi8(q, zero), Weights(f[k + 1])));
    }
    if (k < pairs) sum = WeighPair(sum, p + 8 * k, f[k]);
  }
  return PackSums(sum);
}

// Two pairs of taps weighed into `wide`: four taps a multiply-add.
__attribute__((target("avx2"))) inline __m256i WeighQuad(__m256i wide, const uint8_t* p, const TapPair* f) {
  const __m256i taps = _mm256_cvtepu8_epi16(InterleavedQuad(p));
  const __m256i weights = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f->w));
  return _mm256_add_epi32(wide, _mm256_madd_epi16(taps, weights));
}

__attribute__((target("avx2"))) inline __m128i Folded(__m128i sum, __m256i wide) {
  return _mm_add_epi32(sum, _mm_add_epi32(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1)));
}

// The same with four taps a multiply-add, where the processor has AVX2.
__attribute__((target("avx2"))) inline uint32_t ConvolveInsideAvx2(const uint8_t* const* rows, int firstColumn,
                                                                    int height, int pairs, const TapPair* f) {
  __m256i wide = _mm256_setzero_si256();
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < height; ++i, f += pairs) {
    const uint8_t* p = rows[i] + size_t(firstColumn) * 4;
    int k = 0;
    for (; k + 1 < pairs; k += 2) wide = WeighQuad(wide, p + 8 * k, f + k);
    if (k < pairs) sum = WeighPair(sum, p + 8 * k, f[k]);
  }
  return PackSums(Folded(sum, wide));
}

// The sums of sixteen, eight and four lanes folded to one pixel. Through memory: GCC 12 warns of
// the undefined pass-through in the intrinsics that extract a half.
__attribute__((target("avx2,avx512bw"), always_inline)) inline uint32_t FoldedPixel(__m512i widest, __m256i wide,
                                                                                     __m128i sum) {
  alignas(64) int32_t lanes[16];
  _mm512_store_si512(lanes, widest);
  const __m256i halves = _mm256_add_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(lanes)),
                                          _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes + 8)));
  return PackSums(Folded(sum, _mm256_add_epi32(wide, halves)));
}

// A pixel as ConvolveInsideSse2 weighs it, with eight taps a multiply-add, where the processor
// has AVX-512: a halving's row of eight taps in one. Eight pixels have each pair's bytes
// interleaved as InterleavedQuad does.
__attribute__((target("avx2,avx512bw"))) inline uint32_t ConvolveInsideAvx512(const uint8_t* const* rows,
                                                                               int firstColumn, int height, int pairs,
                                                                               const TapPair* f) {
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,  //
                                              0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  __m512i widest = _mm512_setzero_si512();
  __m256i wide = _mm256_setzero_si256();
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < height; ++i, f += pairs) {
    const uint8_t* p = rows[i] + size_t(firstColumn) * 4;
    int k = 0;
    for (; k + 3 < pairs; k += 4) {
      const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 8 * k));
      const __m512i taps = _mm512_cvtepu8_epi16(_mm256_shuffle_epi8(eight, interleave));
      widest = _mm512_add_epi32(widest, _mm512_madd_epi16(taps, _mm512_loadu_si512(f[k].w)));
    }
    for (; k + 1 < pairs; k += 2) wide = WeighQuad(wide, p + 8 * k, f + k);
    if (k < pairs) sum = WeighPair(sum, p + 8 * k, f[k]);
  }
  return FoldedPixel(widest, wide, sum);
}

#define VX_VNNI __attribute__((target("avx2,avx512bw,avx512vbmi,avx512vnni")))
#define VX_VNNI_INLINE __attribute__((target("avx2,avx512bw,avx512vbmi,avx512vnni"), always_inline))

// Where the processor also has AVX-512 VBMI and VNNI, one byte permutation interleaves and widens
// eight pixels as InterleavedQuad does, and one instruction multiplies and accumulates their taps.
VX_VNNI_INLINE inline __m512i WeighEight(__m512i sums, const uint8_t* p, const TapPair* f) {
  // Word w takes byte kPairOrder[w % 8] of its pair of pixels; the odd bytes are masked to zero.
  static constexpr uint8_t kPairOrder[8] = {0, 4, 1, 5, 2, 6, 3, 7};
  alignas(64) static constexpr auto kIndex = [] {
    std::array<uint8_t, 64> index{};
    for (int w = 0; w < 32; ++w) index[2 * w] = static_cast<uint8_t>(8 * (w / 8) + kPairOrder[w % 8]);
    return index;
  }();
  const __m512i eight = _mm512_maskz_loadu_epi8(0xFFFFFFFFull, p);
  const __m512i taps = _mm512_maskz_permutexvar_epi8(0x5555555555555555ull, _mm512_load_si512(kIndex.data()), eight);
  return _mm512_dpwssd_epi32(sums, taps, _mm512_loadu_si512(f->w));
}

// A pixel's sums where every row's taps come in fours, in the shape `kHeight` rows of `kPairs`
// pairs, known at compile time so that the loops unroll: they would otherwise cost more than the
// arithmetic. Even and odd rows add up apart so that the multiply-adds do not wait on each other.
template <int kHeight, int kPairs>
VX_VNNI_INLINE inline __m512i WidestSums(const uint8_t* const* rows, int firstColumn, const TapPair* f) {
  static_assert(kPairs % 4 == 0);
  __m512i even = _mm512_setzero_si512(), odd = _mm512_setzero_si512();
#pragma GCC unroll 16
  for (int i = 0; i < kHeight; ++i, f += kPairs) {
    const uint8_t* p = rows[i] + size_t(firstColumn) * 4;
    __m512i& into = i % 2 ? odd : even;
#pragma GCC unroll 4
    for (int k = 0; k < kPairs; k += 4) into = WeighEight(into, p + 8 * k, f + k);
  }
  return _mm512_add_epi32(even, odd);
}

// Quarters of two vectors, picked by `kPick`, without the undefined pass-through GCC 12 warns of.
template <int kPick>
VX_VNNI_INLINE inline __m512i Quarters(__m512i x, __m512i y) {
  return _mm512_mask_shuffle_i64x2(x, 0xFF, x, y, kPick);
}

// The sixteen sums of each of four pixels folded to their four channels, rounded and clamped:
// the four pixels in a row.
VX_VNNI_INLINE inline __m128i FourPixels(__m512i a, __m512i b, __m512i c, __m512i d) {
  constexpr int kLow = 0x44, kHigh = 0xEE;  // x0 x1 y0 y1, x2 x3 y2 y3
  constexpr int kEven = 0x88, kOdd = 0xDD;  // x0 x2 y0 y2, x1 x3 y1 y3
  const __m512i ab = _mm512_add_epi32(Quarters<kLow>(a, b), Quarters<kHigh>(a, b));
  const __m512i cd = _mm512_add_epi32(Quarters<kLow>(c, d), Quarters<kHigh>(c, d));
  __m512i sums = _mm512_add_epi32(Quarters<kEven>(ab, cd), Quarters<kOdd>(ab, cd));
  // Masked forms throughout, for the same reason as Quarters.
  sums = _mm512_add_epi32(sums, _mm512_set1_epi32(0x8000));
  sums = _mm512_mask_srai_epi32(sums, 0xFFFF, sums, 16);
  sums = _mm512_mask_max_epi32(sums, 0xFFFF, sums, _mm512_setzero_si512());
  return _mm512_maskz_cvtusepi32_epi8(0xFFFF, sums);
}

// A single pixel of any shape. Its loop is ConvolveInsideAvx512's, kept apart: one function for
// both would be compiled for the wider instruction set, which the other path must not use.
VX_VNNI inline uint32_t ConvolveInsideVnni(const uint8_t* const* rows, int firstColumn, int height, int pairs,
                                           const TapPair* f) {
  __m512i widest = _mm512_setzero_si512();
  __m256i wide = _mm256_setzero_si256();
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < height; ++i, f += pairs) {
    const uint8_t* p = rows[i] + size_t(firstColumn) * 4;
    int k = 0;
    for (; k + 3 < pairs; k += 4) widest = WeighEight(widest, p + 8 * k, f + k);
    for (; k + 1 < pairs; k += 2) wide = WeighQuad(wide, p + 8 * k, f + k);
    if (k < pairs) sum = WeighPair(sum, p + 8 * k, f[k]);
  }
  return FoldedPixel(widest, wide, sum);
}

// The destination pixels [from, to) of a row, whose taps all lie inside the source rows, put over
// `out`: a run a call, so that the convolution of each pixel is inlined.
struct InsideRun {
  const uint8_t* const* rows;
  int height, pairs;
  const Tap* columns;
  const WeightTables* weights;
};
using ConvolveRunInside = void (*)(const InsideRun& run, int from, int to, uint32_t* out);

template <uint32_t (*Convolve)(const uint8_t* const*, int, int, int, const TapPair*)>
[[gnu::always_inline]] inline void ConvolveRun(const InsideRun& r, int from, int to, uint32_t* out) {
  for (int c = from; c < to; ++c)
    out[c] = Over(Convolve(r.rows, r.columns[c].first, r.height, r.pairs, r.weights->Packed(r.columns[c].phase)),
                  out[c]);
}

void ConvolveRunSse2(const InsideRun& r, int from, int to, uint32_t* out) {
  ConvolveRun<ConvolveInsideSse2>(r, from, to, out);
}
__attribute__((target("avx2"))) void ConvolveRunAvx2(const InsideRun& r, int from, int to, uint32_t* out) {
  ConvolveRun<ConvolveInsideAvx2>(r, from, to, out);
}
__attribute__((target("avx2,avx512bw"))) void ConvolveRunAvx512(const InsideRun& r, int from, int to, uint32_t* out) {
  ConvolveRun<ConvolveInsideAvx512>(r, from, to, out);
}

// Four pixels at a time in the shape given, stored as they are where all four are opaque.
template <int kHeight, int kPairs>
VX_VNNI void ConvolveRunInFours(const InsideRun& r, int from, int to, uint32_t* out) {
  const __m128i alphaMissing = _mm_set1_epi32(0x00FFFFFF);
  int c = from;
  for (; c + 3 < to; c += 4) {
    __m512i sums[4];
    for (int j = 0; j < 4; ++j)
      sums[j] = WidestSums<kHeight, kPairs>(r.rows, r.columns[c + j].first, r.weights->Packed(r.columns[c + j].phase));
    const __m128i four = FourPixels(sums[0], sums[1], sums[2], sums[3]);
    auto* at = reinterpret_cast<__m128i*>(out + c);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(four, alphaMissing), _mm_set1_epi32(-1))) == 0xFFFF) {
      _mm_storeu_si128(at, four);
      continue;
    }
    alignas(16) uint32_t pixels[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels), four);
    for (int j = 0; j < 4; ++j) out[c + j] = Over(pixels[j], out[c + j]);
  }
  ConvolveRun<ConvolveInsideVnni>(r, c, to, out);
}

VX_VNNI void ConvolveRunVnni(const InsideRun& r, int from, int to, uint32_t* out) {
  // Halving and quartering, the commonest shapes: eight and sixteen taps each way.
  if (r.height == 8 && r.pairs == 4) return ConvolveRunInFours<8, 4>(r, from, to, out);
  if (r.height == 16 && r.pairs == 8) return ConvolveRunInFours<16, 8>(r, from, to, out);
  ConvolveRun<ConvolveInsideVnni>(r, from, to, out);
}

struct InstructionSet {
  const char* name;
  bool supported;
  ConvolveRunInside run;
};

// Best first; the last serves every x86-64 processor.
const std::vector<InstructionSet>& InstructionSets() {
  static const std::vector<InstructionSet> sets{
      {"avx512vnni", __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw") &&
                         __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vnni"),
       ConvolveRunVnni},
      {"avx512", __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw"), ConvolveRunAvx512},
      {"avx2", __builtin_cpu_supports("avx2") != 0, ConvolveRunAvx2},
      {"sse2", true, ConvolveRunSse2},
  };
  return sets;
}

ConvolveRunInside BestRun() {
  for (const InstructionSet& set : InstructionSets())
    if (set.supported) return set.run;
  return ConvolveRunSse2;
}

std::atomic<ConvolveRunInside> g_convolveRun{nullptr};

ConvolveRunInside ConvolveRunForThisProcessor() {
  ConvolveRunInside run = g_convolveRun.load(std::memory_order_relaxed);
  if (run == nullptr) {
    run = BestRun();
    g_convolveRun.store(run, std::memory_order_relaxed);
  }
  return run;
}

// The columns [begin, end) whose taps, padded to `paddedWidth`, lie inside the source: one run,
// as the columns' first taps grow along the row.
std::pair<int, int> InsideColumns(const std::vector<Tap>& columns, int paddedWidth, int sourceWidth) {
  const auto inside = [&](const Tap& t) { return t.first >= 0 && t.first + paddedWidth <= sourceWidth; };
  const auto begin = std::find_if(columns.begin(), columns.end(), inside);
  const auto end = std::find_if_not(begin, columns.end(), inside);
  return {int(begin - columns.begin()), int(end - columns.begin())};
}

// The source rows a destination row reads, loaded as the window of rows moves down the source;
// of each row only the columns the destination reads, [first, first + count).
class RowWindow {
 public:
  RowWindow(const PremultipliedRows& src, int rows, int first, int count)
      : src_(src), first_(first), count_(count), stride_(size_t(src.width) * 4 + 16), held_(rows, -1),
        pixels_(stride_ * rows) {}

  // Row `y`, addressed from column 0; the `rows` rows last asked for stay valid, as long as they
  // are consecutive.
  const uint8_t* Row(int y) {
    const size_t slot = size_t(y) % held_.size();
    uint8_t* row = pixels_.data() + slot * stride_;
    if (held_[slot] != y) {
      src_.load(y, first_, count_, row + size_t(first_) * 4);
      held_[slot] = y;
    }
    return row;
  }

 private:
  const PremultipliedRows& src_;
  int first_, count_;
  size_t stride_;  // padded, as the pair loads may read a few bytes past the row
  std::vector<int> held_;
  std::vector<uint8_t> pixels_;
};

// The source columns that the destination columns' taps reach, clamped to the source.
std::pair<int, int> ColumnsRead(const std::vector<Tap>& columns, int taps, int sourceWidth) {
  int first = sourceWidth, end = 0;
  for (const Tap& c : columns) {
    first = std::min(first, c.first);
    end = std::max(end, c.first + taps);
  }
  first = std::clamp(first, 0, sourceWidth - 1);
  end = std::clamp(end, first + 1, sourceWidth);
  return {first, end - first};
}

}  // namespace

namespace {

// Where each destination pixel's centre falls in the source, in 16.16 fixed point as pixman keeps
// it: column c at X(c), row r at Y(r).
struct SamplePositions {
  int32_t startX, startY, stepX, stepY;
  int32_t X(int c) const { return static_cast<int32_t>(startX + int64_t(stepX) * c); }
  int32_t Y(int r) const { return static_cast<int32_t>(startY + int64_t(stepY) * r); }
};

std::optional<SamplePositions> SamplePositionsOf(const cairo_matrix_t& toSource, const PixelBox& area) {
  FixedTransform t;
  if (!MakeFixedTransform(toSource, area, t)) return std::nullopt;
  const int64_t firstX = int64_t(area.x) + t.offsetX, firstY = int64_t(area.y) + t.offsetY;
  if (std::abs(firstX) > 32767 || std::abs(firstY) > 32767) return std::nullopt;
  int32_t startX = 0, startY = 0;
  const int32_t u = int32_t(firstX * kOne) + 0x8000, v = int32_t(firstY * kOne) + 0x8000;
  if (!ApplyRow(t.m[0], u, v, startX) || !ApplyRow(t.m[1], u, v, startY)) return std::nullopt;
  const int64_t lastX = int64_t(startX) + int64_t(t.m[0][0]) * (area.width - 1);
  const int64_t lastY = int64_t(startY) + int64_t(t.m[1][1]) * (area.height - 1);
  if (!FitsFixed(lastX) || !FitsFixed(lastY)) return std::nullopt;
  return SamplePositions{startX, startY, t.m[0][0], t.m[1][1]};
}

// A bilinear sample as pixman takes it: the two pixels on either side of the position along each
// axis (clamped to the source), weighed by seven bits of the distance, each channel's sum cut
// down, not rounded.
struct BilinearTap {
  int first, second, weight;
};

BilinearTap BilinearTapAt(int32_t position, int size) {
  const int32_t x = position - 0x8000;
  const int first = x >> 16;
  return {std::clamp(first, 0, size - 1), std::clamp(first + 1, 0, size - 1), (x >> 9) & 0x7F};
}

// Each channel of the four pixels weighed: down the columns first (at most 255 x 128, within 16
// bits), then across the pair with one multiply-add; the sum is exact, so the order is free.
uint32_t Bilinear(uint32_t tl, uint32_t tr, uint32_t bl, uint32_t br, int wx, int wy) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i top = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(tr), int(tl)), zero);
  const __m128i bottom = _mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(br), int(bl)), zero);
  const __m128i down = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(int16_t(128 - wy))),
                                     _mm_mullo_epi16(bottom, _mm_set1_epi16(int16_t(wy))));
  const __m128i leftAndRight = _mm_unpacklo_epi16(down, _mm_srli_si128(down, 8));
  const __m128i sums = _mm_madd_epi16(leftAndRight, _mm_set1_epi32((wx << 16) | (128 - wx)));
  const __m128i channels = _mm_srli_epi32(sums, 14);
  return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(channels, zero), zero)));
}

}  // namespace

bool PaintBilinearScaled(const PremultipliedRows& src, const cairo_matrix_t& toSource, uint8_t* target,
                         int targetStride, const PixelBox& area) {
  // An axis-aligned scale only; cairo samples a unit scale without a filter.
  if (toSource.xy != 0 || toSource.yx != 0 || !(toSource.xx > 0) || !(toSource.yy > 0)) return false;
  if (toSource.xx == 1 && toSource.yy == 1) return false;
  if (src.width < 1 || src.height < 1 || area.width < 1 || area.height < 1) return false;
  const std::optional<SamplePositions> at = SamplePositionsOf(toSource, area);
  if (!at) return false;
  std::vector<BilinearTap> columns(area.width);
  int first = src.width, end = 0;
  for (int c = 0; c < area.width; ++c) {
    columns[c] = BilinearTapAt(at->X(c), src.width);
    first = std::min(first, columns[c].first);
    end = std::max(end, columns[c].second + 1);
  }
  RowWindow window(src, 2, first, end - first);
  for (int r = 0; r < area.height; ++r) {
    const BilinearTap row = BilinearTapAt(at->Y(r), src.height);
    const auto* upper = reinterpret_cast<const uint32_t*>(window.Row(row.first));
    const auto* lower = reinterpret_cast<const uint32_t*>(window.Row(row.second));
    auto* out = reinterpret_cast<uint32_t*>(target + size_t(area.y + r) * targetStride) + area.x;
    for (int c = 0; c < area.width; ++c) {
      const BilinearTap& col = columns[c];
      const uint32_t s = Bilinear(upper[col.first], upper[col.second], lower[col.first], lower[col.second],
                                  col.weight, row.weight);
      out[c] = Over(s, out[c]);
    }
  }
  return true;
}

std::vector<std::string> ResamplerInstructionSets() {
  std::vector<std::string> names;
  for (const InstructionSet& set : InstructionSets())
    if (set.supported) names.emplace_back(set.name);
  return names;
}

bool UseResamplerInstructionSet(const std::string& name) {
  if (name.empty()) {
    g_convolveRun.store(BestRun(), std::memory_order_relaxed);
    return true;
  }
  for (const InstructionSet& set : InstructionSets())
    if (set.supported && name == set.name) {
      g_convolveRun.store(set.run, std::memory_order_relaxed);
      return true;
    }
  return false;
}

bool PaintBestScaled(const PremultipliedRows& src, const cairo_matrix_t& toSource, uint8_t* target,
                     int targetStride, const PixelBox& area) {
  // Only an axis-aligned scale away from unit size: cairo samples near-unit scales without a filter.
  if (toSource.xy != 0 || toSource.yx != 0 || !(toSource.xx > 0) || !(toSource.yy > 0)) return false;
  if (std::fabs(toSource.xx - 1) < 1.0 / 128 && std::fabs(toSource.yy - 1) < 1.0 / 128) return false;
  if (src.width < 1 || src.height < 1 || area.width < 1 || area.height < 1) return false;
  const double rx = KernelSpacing(std::hypot(toSource.xx, toSource.xy));
  const double ry = KernelSpacing(std::hypot(toSource.yx, toSource.yy));
  if (rx == 0 || ry == 0) return false;
  const std::optional<SamplePositions> at = SamplePositionsOf(toSource, area);
  if (!at) return false;
  const AxisFilter fx = MakeAxisFilter(rx), fy = MakeAxisFilter(ry);

  std::vector<Tap> columns(area.width);
  std::vector<int> columnPhases(area.width);
  for (int c = 0; c < area.width; ++c) {
    columns[c] = TapAt(at->X(c), fx);
    columnPhases[c] = columns[c].phase;
  }
  WeightTables weights(fx, fy, columnPhases);
  const int paddedWidth = 2 * weights.Pairs();
  const ConvolveRunInside convolveRunInside = ConvolveRunForThisProcessor();
  std::vector<const uint8_t*> rows(fy.width);
  const auto [firstColumn, columnCount] = ColumnsRead(columns, paddedWidth, src.width);
  const auto [insideBegin, insideEnd] = InsideColumns(columns, paddedWidth, src.width);
  const InsideRun run{rows.data(), fy.width, weights.Pairs(), columns.data(), &weights};
  RowWindow window(src, fy.width, firstColumn, columnCount);
  for (int r = 0; r < area.height; ++r) {
    const Tap row = TapAt(at->Y(r), fy);
    for (int i = 0; i < fy.width; ++i)
      rows[i] = window.Row(std::clamp(row.first + i, 0, src.height - 1));
    weights.SetRowPhase(row.phase);
    auto* out = reinterpret_cast<uint32_t*>(target + size_t(area.y + r) * targetStride) + area.x;
    const auto clamped = [&](int from, int to) {
      for (int c = from; c < to; ++c)
        out[c] = Over(ConvolveClamped(src, rows.data(), columns[c].first, fx.width, fy.width,
                                      weights.Exact(columns[c].phase)),
                      out[c]);
    };
    if (!weights.FitsShort()) {
      clamped(0, area.width);
      continue;
    }
    clamped(0, insideBegin);
    convolveRunInside(run, insideBegin, insideEnd, out);
    clamped(insideEnd, area.width);
  }
  return true;
}

}  // namespace vx::gdiplus
