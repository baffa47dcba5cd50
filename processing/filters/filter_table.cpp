#include "processing/filters/filter_table.h"

#include <array>

#include "processing/filters/filter_engine.h"

namespace vx::processing {

namespace {

constexpr int32_t kHighestFilterID = 70;

FilterEntry Changes(FilterProcedure run, bool needsSource = false) { return {FilterKind::Changes, run, needsSource}; }
FilterEntry ChangesColourBytes(FilterProcedure run, bool (*failsOnlyFirst)(const FilterArgs&)) {
  return {FilterKind::Changes, run, false, true, failsOnlyFirst};
}
FilterEntry Measures(FilterProcedure run) { return {FilterKind::Measures, run, false}; }

std::array<FilterEntry, kHighestFilterID + 1> BuildTable() {
  std::array<FilterEntry, kHighestFilterID + 1> t{};
  t[1] = ChangesColourBytes(FilterSharpen, SharpenFailsOnlyFirst);
  t[2] = Changes(FilterNegative);
  t[3] = ChangesColourBytes(FilterBlur, NeverFails);
  t[4] = Changes(FilterDiffuse);
  t[5] = ChangesColourBytes(FilterSmooth, NeverFails);
  t[6] = ChangesColourBytes(FilterEdgeEnhance, EdgeEnhanceFailsOnlyFirst);
  t[7] = Changes(FilterContour, true);
  t[8] = Changes(FilterEmboss);
  t[9] = Changes(FilterEmbossMore, true);
  t[10] = Changes(FilterEngrave);
  t[11] = Changes(FilterEngraveMore, true);
  t[12] = Changes(FilterGrayscale);
  t[13] = Changes(FilterRelief, true);
  t[14] = Changes(FilterBrightness);
  t[15] = Changes(FilterPixelize, true);
  t[16] = Changes(FilterSwapChannels);
  t[17] = Changes(FilterContrast);
  t[18] = Changes(FilterBlackNWhiteThreshold);
  t[19] = Changes(FilterBlackNWhiteMode2);
  t[20] = Changes(FilterBlackNWhiteMode3);
  t[24] = Changes(FilterAqua, true);
  t[25] = Changes(FilterDilate, true);
  t[26] = Changes(FilterErode, true);
  t[27] = Changes(FilterConnectedContour, true);
  t[28] = Changes(FilterStretchContrast);
  t[29] = Changes(FilterAddNoise);
  t[30] = Changes(FilterSaturation);
  t[31] = Changes(FilterGamma);
  t[32] = Changes(FilterScanLine);
  t[33] = ChangesColourBytes(FilterSoften, SoftenFailsOnlyFirst);
  t[34] = Changes(FilterSepiaColorize, true);
  t[35] = Changes(FilterSetTransparency);
  t[36] = Measures(FilterIsGrayscale);
  t[37] = Changes(FilterHWaves, true);
  t[38] = Changes(FilterVWaves, true);
  t[39] = Changes(FilterAdjustRGB);
  t[40] = Changes(FilterRedEyesCorrection);
  t[41] = Changes(FilterKeepRed);
  t[42] = Changes(FilterKeepGreen);
  t[43] = Changes(FilterKeepBlue);
  t[44] = Changes(FilterRemoveRed);
  t[45] = Changes(FilterRemoveGreen);
  t[46] = Changes(FilterRemoveBlue);
  t[47] = Changes(FilterScaleRed);
  t[48] = Changes(FilterScaleGreen);
  t[49] = Changes(FilterScaleBlue);
  t[50] = Changes(FilterSetTransparencyColorEx);
  t[51] = Changes(FilterSwapColorEx);
  t[52] = Changes(FilterMatrix3x3, true);
  t[53] = Measures(FilterIsBlank);
  t[54] = Changes(FilterFire);
  t[55] = Changes(FilterTwirl, true);
  t[56] = Changes(FilterMirrorRounded, true);
  t[57] = Changes(FilterSwirl, true);
  t[58] = Changes(FilterEqualizeIntensity);
  t[59] = Measures(FilterIsBitonal);
  // Counting a colour and averaging write nothing back: a write-back would truncate deep images
  // and mark an image modified that no pixel of changed.
  t[60] = Measures(FilterCountColor);
  t[61] = Changes(FilterDespeckle, true);
  t[62] = Changes(FilterDilate3x3, true);
  t[63] = Changes(FilterDespeckleMore, true);
  t[64] = Changes(FilterParasite4, true);
  t[65] = Changes(FilterErode3x3, true);
  t[66] = Changes(FilterFillHole, true);
  // Counting transparent pixels paints them, and its caller needs the painted pixels.
  t[67] = Changes(FilterCountTransparent);
  t[68] = Measures(FilterGetAverageColor);
  t[69] = Changes(FilterRemoveLines, true);
  t[70] = Changes(FilterParasite2x2, true);
  return t;
}

}  // namespace

FilterEntry FindFilter(int32_t filterId) {
  static const std::array<FilterEntry, kHighestFilterID + 1> kTable = BuildTable();
  if (filterId < 1 || filterId > kHighestFilterID) return {};
  return kTable[static_cast<size_t>(filterId)];
}

}  // namespace vx::processing
