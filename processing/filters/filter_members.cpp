// The engine's filter members. Which filter each runs and with which constants is the data of
// filter_member_table.cpp; what is left here is what a row cannot say: the arguments a member
// limits or recomputes, and the pattern records.
#include <algorithm>
#include <cmath>

#include "engine/load/from_memory.h"
#include "engine/pixel_formats.h"
#include "processing/filters/filter_member_table.h"
#include "processing/filters/filter_procedures.h"
#include "vexiro/imaging.h"

namespace vexiro {

using vx::processing::MemberPreparation;

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu, kOpaqueBlack = 0xFF000000u;

}  // namespace

VexiroStatus cImaging::RunFilterMember(const char* member, std::initializer_list<double> args, int32_t choice) {
  const vx::processing::FilterMemberRow* row = vx::processing::FindFilterMember(member, choice);
  if (!row) return nStat;
  if (nNativeImage == 0) return nStat = GenericError;
  InitROI();
  switch (row->prepare) {
    case MemberPreparation::AlphaRequired:
    case MemberPreparation::AlphaTried:
      nStat = OK;
      if (!IsPixelFormatHasAlpha()) {
        int32_t sameId = 0;
        nStat = vx::engine::ConvertImagePixelFormat(nNativeImage, vx::gdiplus::PixelFormat32bppARGB, false, sameId);
      }
      if (row->prepare == MemberPreparation::AlphaRequired && nStat != OK) return nStat;
      break;
    case MemberPreparation::GreyFromOneBit:
      if (GetPixelDepth() == 1) ConvertToGrayScaleCore(3);
      break;
    case MemberPreparation::None:
      break;
  }
  nStat = vx::processing::CallFilterEngine(vx::processing::WithArguments(*row, {args.begin(), args.size()}),
                                           nNativeImage, ROIArea);
  return nStat;
}

VexiroStatus cImaging::SetTransparencyColor(EnumArg<Colors> nColorARGB) { return SetTransparencyColorEx(nColorARGB,
                                            100); }
VexiroStatus cImaging::SetTransparencyColorEx(EnumArg<Colors> nColorARGB, float nThreshold) {
  return RunFilterMember("SetTransparencyColorEx", {double(nColorARGB), nThreshold});
}
VexiroStatus cImaging::SetTransparency(int32_t v) { return RunFilterMember("SetTransparency", {double(v)}); }
VexiroStatus cImaging::SetBrightness(int32_t v) { return RunFilterMember("SetBrightness", {double(v)}); }
VexiroStatus cImaging::SetContrast(int32_t v) { return RunFilterMember("SetContrast", {double(v)}); }
// The filter takes 100 as no change.
VexiroStatus cImaging::SetGammaCorrection(int32_t v) {
  return RunFilterMember("SetGammaCorrection", {double(v) + 100});
}
VexiroStatus cImaging::SetSaturation(int32_t v) { return RunFilterMember("SetSaturation", {double(v)}); }
VexiroStatus cImaging::AdjustRGB(int32_t r, int32_t g, int32_t b) {
  return RunFilterMember("AdjustRGB", {double(r), double(g), double(b)});
}
VexiroStatus cImaging::SwapColor(int32_t src, int32_t dst) { return SwapColorEx(src, dst, 100); }
VexiroStatus cImaging::SwapColorEx(int32_t src, int32_t dst, float nThreshold) {
  return RunFilterMember("SwapColorEx", {double(src), double(dst), nThreshold});
}
VexiroStatus cImaging::KeepRedComponent() { return RunFilterMember("KeepRedComponent"); }
VexiroStatus cImaging::KeepGreenComponent() { return RunFilterMember("KeepGreenComponent"); }
VexiroStatus cImaging::KeepBlueComponent() { return RunFilterMember("KeepBlueComponent"); }
VexiroStatus cImaging::RemoveRedComponent() { return RunFilterMember("RemoveRedComponent"); }
VexiroStatus cImaging::RemoveGreenComponent() { return RunFilterMember("RemoveGreenComponent"); }
VexiroStatus cImaging::RemoveBlueComponent() { return RunFilterMember("RemoveBlueComponent"); }
VexiroStatus cImaging::ScaleRedComponent(float f) { return RunFilterMember("ScaleRedComponent", {f}); }
VexiroStatus cImaging::ScaleGreenComponent(float f) { return RunFilterMember("ScaleGreenComponent", {f}); }
VexiroStatus cImaging::ScaleBlueComponent(float f) { return RunFilterMember("ScaleBlueComponent", {f}); }
VexiroStatus cImaging::SwapColorsRGBtoBRG() { return RunFilterMember("SwapColorsRGBtoBRG"); }
VexiroStatus cImaging::SwapColorsRGBtoGBR() { return RunFilterMember("SwapColorsRGBtoGBR"); }
VexiroStatus cImaging::SwapColorsRGBtoRBG() { return RunFilterMember("SwapColorsRGBtoRBG"); }
VexiroStatus cImaging::SwapColorsRGBtoBGR() { return RunFilterMember("SwapColorsRGBtoBGR"); }
VexiroStatus cImaging::SwapColorsRGBtoGRB() { return RunFilterMember("SwapColorsRGBtoGRB"); }
VexiroStatus cImaging::FxSharpen() { return RunFilterMember("FxSharpen"); }
VexiroStatus cImaging::FxSharpenMore() { return RunFilterMember("FxSharpenMore"); }
VexiroStatus cImaging::FxBlur() { return RunFilterMember("FxBlur"); }
VexiroStatus cImaging::FxNegative() { return RunFilterMember("FxNegative"); }
VexiroStatus cImaging::FxDiffuse() { return RunFilterMember("FxDiffuse"); }
VexiroStatus cImaging::FxDiffuseMore() { return RunFilterMember("FxDiffuseMore"); }
VexiroStatus cImaging::FxSmooth() { return RunFilterMember("FxSmooth"); }
VexiroStatus cImaging::FxEdgeEnhance() { return RunFilterMember("FxEdgeEnhance"); }
VexiroStatus cImaging::FxContour() { return RunFilterMember("FxContour"); }
VexiroStatus cImaging::FxEmboss() { return RunFilterMember("FxEmboss"); }
VexiroStatus cImaging::FxEmbossMore() { return RunFilterMember("FxEmbossMore"); }
VexiroStatus cImaging::FxEngrave() { return RunFilterMember("FxEngrave"); }
VexiroStatus cImaging::FxEngraveMore() { return RunFilterMember("FxEngraveMore"); }
VexiroStatus cImaging::FxEmbossColor(int32_t c) { return RunFilterMember("FxEmbossColor", {double(c)}); }
VexiroStatus cImaging::FxEmbossMoreColor(int32_t c) { return RunFilterMember("FxEmbossMoreColor", {double(c)}); }
VexiroStatus cImaging::FxEngraveColor(int32_t c) { return RunFilterMember("FxEngraveColor", {double(c)}); }
VexiroStatus cImaging::FxEngraveMoreColor(int32_t c) { return RunFilterMember("FxEngraveMoreColor", {double(c)}); }
VexiroStatus cImaging::FxGrayscale() { return RunFilterMember("FxGrayscale"); }
VexiroStatus cImaging::FxRelief() { return RunFilterMember("FxRelief"); }
VexiroStatus cImaging::FxPixelize() { return RunFilterMember("FxPixelize"); }
// A mode without a row finds no member and leaves the last status as it was.
VexiroStatus cImaging::FxBlackNWhite(int16_t nMode) { return RunFilterMember("FxBlackNWhite", {}, nMode); }
// 0 and 255 would make every pixel one colour; the threshold is kept inside 1..254.
VexiroStatus cImaging::FxBlackNWhiteT(int32_t nThreshold) {
  const int32_t t = std::clamp(nThreshold, 1, 254);
  return RunFilterMember("FxBlackNWhiteT", {t + 256.0 * t + 65536.0 * t});
}
VexiroStatus cImaging::FxAqua() { return RunFilterMember("FxAqua"); }
VexiroStatus cImaging::FxDilate() { return RunFilterMember("FxDilate"); }
VexiroStatus cImaging::FxErode() { return RunFilterMember("FxErode"); }
VexiroStatus cImaging::FxConnectedContour() { return RunFilterMember("FxConnectedContour"); }
VexiroStatus cImaging::FxStretchContrast() { return RunFilterMember("FxStretchContrast"); }
VexiroStatus cImaging::FxAddNoise() { return RunFilterMember("FxAddNoise"); }
VexiroStatus cImaging::FxScanLine() { return RunFilterMember("FxScanLine"); }
VexiroStatus cImaging::FxSoften(int32_t v) { return RunFilterMember("FxSoften", {double(std::clamp(v, 1, 100))}); }
VexiroStatus cImaging::FxSepia() { return RunFilterMember("FxSepia"); }
// The hue turns from degrees into the colouriser's 0..6 sextants; hues of 201 and above wrap.
VexiroStatus cImaging::FxColorize(float nHue, float nSaturation, float nLuminosity) {
  int32_t h = 0;
  if (!vx::processing::LongOf(double(nHue) * 2.4, h)) return nStat = InvalidParameter;
  if (h >= 201) h -= 240;
  return RunFilterMember("FxColorize", {h / 40.0, nSaturation / 100.0, nLuminosity / 100.0});
}
VexiroStatus cImaging::FxhWaves(int32_t w, int32_t h) { return RunFilterMember("FxhWaves", {double(w), double(h)}); }
VexiroStatus cImaging::FxvWaves(int32_t w, int32_t h) { return RunFilterMember("FxvWaves", {double(w), double(h)}); }
VexiroStatus cImaging::FxRedEyesCorrection() { return RunFilterMember("FxRedEyesCorrection"); }
VexiroStatus cImaging::FxFire() { return RunFilterMember("FxFire"); }
VexiroStatus cImaging::FxTwirl(float f) { return RunFilterMember("FxTwirl", {f}); }
VexiroStatus cImaging::FxSwirl(float f) { return RunFilterMember("FxSwirl", {f}); }
VexiroStatus cImaging::FxMirrorRounded() { return RunFilterMember("FxMirrorRounded"); }
VexiroStatus cImaging::FxEqualizeIntensity() { return RunFilterMember("FxEqualizeIntensity"); }
VexiroStatus cImaging::FxDespeckle() { return RunFilterMember("FxDespeckle"); }
VexiroStatus cImaging::FxDespeckleMore() { return RunFilterMember("FxDespeckleMore"); }
VexiroStatus cImaging::FxDilate8() { return RunFilterMember("FxDilate8"); }
VexiroStatus cImaging::FxDilate4() { return RunFilterMember("FxDilate4"); }
VexiroStatus cImaging::FxDilateV() { return RunFilterMember("FxDilateV"); }
VexiroStatus cImaging::FxErode8() { return RunFilterMember("FxErode8"); }
VexiroStatus cImaging::FxErode4() { return RunFilterMember("FxErode4"); }
VexiroStatus cImaging::FxParasite4() { return RunFilterMember("FxParasite4"); }
VexiroStatus cImaging::FxParasite2x2() { return RunFilterMember("FxParasite2x2"); }
VexiroStatus cImaging::FxFillHoleV() { return RunFilterMember("FxFillHoleV"); }
VexiroStatus cImaging::FxFillHoleH() { return RunFilterMember("FxFillHoleH"); }
VexiroStatus cImaging::FxRemoveLinesV() { return RunFilterMember("FxRemoveLinesV"); }
VexiroStatus cImaging::FxRemoveLinesH() { return RunFilterMember("FxRemoveLinesH"); }
VexiroStatus cImaging::FxRemoveLinesV2() { return RunFilterMember("FxRemoveLinesV2"); }
VexiroStatus cImaging::FxRemoveLinesH2() { return RunFilterMember("FxRemoveLinesH2"); }
VexiroStatus cImaging::FxRemoveLinesV3() { return RunFilterMember("FxRemoveLinesV3"); }
VexiroStatus cImaging::FxRemoveLinesH3() { return RunFilterMember("FxRemoveLinesH3"); }

// A lone black pixel amid eight white ones becomes white.
VexiroStatus cImaging::FxParasite() {
  vx::processing::FilterPattern pattern;
  pattern.fill(kOpaqueWhite);
  pattern[4] = kOpaqueBlack;
  vx::processing::SetFilterPattern(pattern);
  return RunFilterMember("FxParasite");
}

int32_t cImaging::MatrixCreate3x3x(int32_t n1, int32_t n2, int32_t n3, int32_t n4, int32_t n5, int32_t n6, int32_t n7,
                                   int32_t n8, int32_t n9) {
  arMatrix3x3x.push_back({n1, n2, n3, n4, n5, n6, n7, n8, n9});
  nMatrix3x3xCount = static_cast<int32_t>(arMatrix3x3x.size());
  return nMatrix3x3xCount;
}

VexiroStatus cImaging::MatrixFilter3x3x(int32_t nMatrix3x3xIN, int32_t nMatrix3x3xOUT) {
  if (nNativeImage == 0) return nStat = GenericError;
  if (nMatrix3x3xIN < 1 || nMatrix3x3xOUT < 1) return nStat = InvalidParameter;
  if (nMatrix3x3xIN > nMatrix3x3xCount || nMatrix3x3xOUT > nMatrix3x3xCount) return nStat;
  vx::processing::FilterPattern pattern;
  const Matrix3x3& find = arMatrix3x3x[static_cast<size_t>(nMatrix3x3xIN - 1)];
  const Matrix3x3& replace = arMatrix3x3x[static_cast<size_t>(nMatrix3x3xOUT - 1)];
  for (size_t i = 0; i < 9; ++i) {
    pattern[i] = static_cast<uint32_t>(find[i]);
    pattern[9 + i] = static_cast<uint32_t>(replace[i]);
  }
  vx::processing::SetFilterPattern(pattern);
  return RunFilterMember("MatrixFilter3x3x");
}

}  // namespace vexiro
