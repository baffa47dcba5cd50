// What a filter procedure sees: the working array of the processing rectangle (and, for the
// filters that read neighbours as they were, an unchanged copy of it), with the helpers they share.
// A procedure returns false where a run-time error (division by zero, overflow) would stop it;
// the engine then writes nothing back.
#pragma once
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vx::processing {

// Pixels are 32bppARGB values: blue in byte 0, alpha in byte 3.
struct FilterImage {
  uint32_t* pixels = nullptr;
  const uint32_t* source = nullptr;  // only for the filters that ask for it
  int32_t width = 0;
  int32_t height = 0;
  // The area covers the whole image: distortions paint what receives no pixel white only then.
  bool wholeImage = false;
  // 3 for 24-bit rows, which only the procedures that touch colour bytes alone are given.
  int32_t pixelBytes = 4;
  // Bytes from a row to the next where they are not packed: those procedures may be lent an
  // image's own rows, `stride` apart. 0 for packed rows.
  ptrdiff_t stride = 0;
  size_t Count() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  uint8_t* Bytes() const { return reinterpret_cast<uint8_t*>(pixels); }
  const uint8_t* SourceBytes() const { return reinterpret_cast<const uint8_t*>(source); }
  size_t RowBytes() const { return static_cast<size_t>(width) * static_cast<size_t>(pixelBytes); }
  ptrdiff_t Stride() const { return stride != 0 ? stride : static_cast<ptrdiff_t>(RowBytes()); }
};

// The caller's parameters as the engine received them; each procedure converts what it reads.
struct FilterArgs {
  double param1 = 0, param2 = 0, param3 = 0, param4 = 0;
  float f1 = 0, f2 = 0, f3 = 0;
};

using FilterProcedure = bool (*)(FilterImage& image, const FilterArgs& args, double& measure);

constexpr int kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3;

// The nearest 32-bit integer, halves to even; false when it does not fit (an overflow error).
inline bool LongOf(double v, int32_t& out) {
  const double r = std::nearbyint(v);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) return false;
  out = static_cast<int32_t>(r);
  return true;
}
inline bool FitsLong(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Red is the remainder with the sign of the colour, so a negative colour can give a negative red.
inline void SplitRGB(int32_t colour, int32_t& r, int32_t& g, int32_t& b) {
  r = colour % 256;
  g = (colour >> 8) & 0xFF;
  b = (colour >> 16) & 0xFF;
}
inline uint8_t ClampByte(int64_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
inline double ClampByteDouble(double v) { return !(v >= 0) ? 0.0 : !(v < 255) ? 255.0 : v; }

using ChannelTable = std::array<uint8_t, 256>;
// Maps red, green and blue of every pixel through one table; alpha stays.
void MapColorChannels(FilterImage& image, const ChannelTable& table);
// Maps each of red, green and blue through its own table.
void MapEachChannel(FilterImage& image, const ChannelTable& red, const ChannelTable& green, const ChannelTable& blue);
// Pixels per bin of round((R + G + B) / 3); returns the pixel count.
int64_t IntensityHistogram(const FilterImage& image, std::array<int64_t, 256>& bins);
// A byte table whose entry i is rule(i).
template <size_t N, class Rule>
std::array<uint8_t, N> MakeByteTable(Rule rule) {
  std::array<uint8_t, N> t{};
  for (size_t i = 0; i < N; ++i) t[i] = static_cast<uint8_t>(rule(static_cast<int>(i)));
  return t;
}
// The means of the channel sums s = 0..765: truncated (s \ 3) and rounded (halves to even).
const std::array<uint8_t, 766>& ThirdOfSum();
const std::array<uint8_t, 766>& RoundedThirdOfSum();

// ---- Colour filters and measures ----
bool FilterNegative(FilterImage&, const FilterArgs&, double&);
bool FilterBrightness(FilterImage&, const FilterArgs&, double&);
bool FilterSetTransparency(FilterImage&, const FilterArgs&, double&);
bool FilterIsGrayscale(FilterImage&, const FilterArgs&, double&);
bool FilterRedEyesCorrection(FilterImage&, const FilterArgs&, double&);
bool FilterKeepRed(FilterImage&, const FilterArgs&, double&);
bool FilterKeepGreen(FilterImage&, const FilterArgs&, double&);
bool FilterKeepBlue(FilterImage&, const FilterArgs&, double&);
bool FilterRemoveRed(FilterImage&, const FilterArgs&, double&);
bool FilterRemoveGreen(FilterImage&, const FilterArgs&, double&);
bool FilterRemoveBlue(FilterImage&, const FilterArgs&, double&);
bool FilterScaleRed(FilterImage&, const FilterArgs&, double&);
bool FilterScaleGreen(FilterImage&, const FilterArgs&, double&);
bool FilterScaleBlue(FilterImage&, const FilterArgs&, double&);
bool FilterSetTransparencyColorEx(FilterImage&, const FilterArgs&, double&);
bool FilterSwapColorEx(FilterImage&, const FilterArgs&, double&);
bool FilterIsBlank(FilterImage&, const FilterArgs&, double&);
bool IsBlank1bpp(FilterImage&, const FilterArgs&, double&);
bool FilterFire(FilterImage&, const FilterArgs&, double&);
bool FilterIsBitonal(FilterImage&, const FilterArgs&, double&);
bool FilterCountColor(FilterImage&, const FilterArgs&, double&);
bool FilterCountTransparent(FilterImage&, const FilterArgs&, double&);
bool FilterGetAverageColor(FilterImage&, const FilterArgs&, double&);

// ---- Neighbourhood filters ----
bool FilterSharpen(FilterImage&, const FilterArgs&, double&);
bool FilterBlur(FilterImage&, const FilterArgs&, double&);
bool FilterSmooth(FilterImage&, const FilterArgs&, double&);
bool FilterEdgeEnhance(FilterImage&, const FilterArgs&, double&);
bool FilterSoften(FilterImage&, const FilterArgs&, double&);
// Whether each of these, given `args`, can only fail before it changes a pixel: it may then run
// over the image's own rows, as a failure leaves nothing to undo.
bool SharpenFailsOnlyFirst(const FilterArgs& args);
bool EdgeEnhanceFailsOnlyFirst(const FilterArgs& args);
bool SoftenFailsOnlyFirst(const FilterArgs& args);
inline bool NeverFails(const FilterArgs&) { return true; }
bool FilterContour(FilterImage&, const FilterArgs&, double&);
bool FilterEmboss(FilterImage&, const FilterArgs&, double&);
bool FilterEmbossMore(FilterImage&, const FilterArgs&, double&);
bool FilterEngrave(FilterImage&, const FilterArgs&, double&);
bool FilterEngraveMore(FilterImage&, const FilterArgs&, double&);
bool FilterRelief(FilterImage&, const FilterArgs&, double&);

// ---- Tone and colour point operations ----
bool FilterGrayscale(FilterImage&, const FilterArgs&, double&);
bool FilterGamma(FilterImage&, const FilterArgs&, double&);
bool FilterSaturation(FilterImage&, const FilterArgs&, double&);
bool FilterContrast(FilterImage&, const FilterArgs&, double&);
bool FilterStretchContrast(FilterImage&, const FilterArgs&, double&);
bool FilterEqualizeIntensity(FilterImage&, const FilterArgs&, double&);
bool FilterAdjustRGB(FilterImage&, const FilterArgs&, double&);
bool FilterSwapChannels(FilterImage&, const FilterArgs&, double&);
bool FilterSepiaColorize(FilterImage&, const FilterArgs&, double&);
bool FilterScanLine(FilterImage&, const FilterArgs&, double&);

// ---- Black and white ----
bool FilterBlackNWhiteThreshold(FilterImage&, const FilterArgs&, double&);
bool FilterBlackNWhiteMode2(FilterImage&, const FilterArgs&, double&);
bool FilterBlackNWhiteMode3(FilterImage&, const FilterArgs&, double&);

// ---- Random and block filters ----
bool FilterAddNoise(FilterImage&, const FilterArgs&, double&);
bool FilterDiffuse(FilterImage&, const FilterArgs&, double&);
bool FilterPixelize(FilterImage&, const FilterArgs&, double&);
bool FilterMatrix3x3(FilterImage&, const FilterArgs&, double&);

// ---- Grey-level morphology ----
bool FilterDilate(FilterImage&, const FilterArgs&, double&);
bool FilterErode(FilterImage&, const FilterArgs&, double&);
bool FilterConnectedContour(FilterImage&, const FilterArgs&, double&);
bool FilterDespeckle(FilterImage&, const FilterArgs&, double&);
bool FilterDespeckleMore(FilterImage&, const FilterArgs&, double&);

// ---- Bitonal clean-up ----
bool FilterParasite4(FilterImage&, const FilterArgs&, double&);
bool FilterParasite2x2(FilterImage&, const FilterArgs&, double&);
bool FilterDilate3x3(FilterImage&, const FilterArgs&, double&);
bool FilterErode3x3(FilterImage&, const FilterArgs&, double&);
bool FilterFillHole(FilterImage&, const FilterArgs&, double&);
bool FilterRemoveLines(FilterImage&, const FilterArgs&, double&);

// ---- Distortions ----
bool FilterTwirl(FilterImage&, const FilterArgs&, double&);
bool FilterSwirl(FilterImage&, const FilterArgs&, double&);
bool FilterHWaves(FilterImage&, const FilterArgs&, double&);
bool FilterVWaves(FilterImage&, const FilterArgs&, double&);
bool FilterMirrorRounded(FilterImage&, const FilterArgs&, double&);
bool FilterAqua(FilterImage&, const FilterArgs&, double&);

}  // namespace vx::processing

namespace vx::gdiplus {
struct ColorPalette;
}

namespace vx::processing {

// Palette forms of negative and brightness, for indexed images with a coloured palette: the
// entries change, the pixel indices stay.
void PaletteNegative(gdiplus::ColorPalette& palette);
bool PaletteBrightness(int32_t percentage, gdiplus::ColorPalette& palette);

}  // namespace vx::processing
