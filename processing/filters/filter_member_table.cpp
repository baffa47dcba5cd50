#include "processing/filters/filter_member_table.h"

#include <algorithm>

namespace vx::processing {

namespace {

using Prep = MemberPreparation;

constexpr std::array<float, 3> kPlainF{0.0f, 0.5f, 1.0f};
constexpr std::array<float, 3> kZeroF{0.0f, 0.0f, 0.0f};
constexpr std::array<ArgumentSlot, 3> kNoArguments{NoSlot, NoSlot, NoSlot};
constexpr std::array<ArgumentSlot, 3> kFirstParam{SlotParam1, NoSlot, NoSlot};

// Colour arguments as red + 256 x green + 65536 x blue.
constexpr double Rgb(int r, int g, int b) { return r + 256.0 * g + 65536.0 * b; }

constexpr FilterMemberRow Plain(std::string_view member, int32_t id, double p1 = 0) {
  return {member, 0, {id, {p1, 0, 0, 0}, kPlainF}, kNoArguments, Prep::None};
}
constexpr FilterMemberRow Bare(std::string_view member, int32_t id, double p1 = 0, double p2 = 0) {
  return {member, 0, {id, {p1, p2, 0, 0}, kZeroF}, kNoArguments, Prep::None};
}
constexpr FilterMemberRow OneArgument(std::string_view member, int32_t id, Prep prepare = Prep::None) {
  return {member, 0, {id, {}, kPlainF}, kFirstParam, prepare};
}

constexpr FilterMemberRow kRows[] = {
    {"SetTransparencyColorEx", 0, {50, {}, kZeroF}, {SlotParam2, SlotParam1, NoSlot}, Prep::AlphaRequired},
    OneArgument("SetTransparency", 35, Prep::AlphaTried),
    OneArgument("SetBrightness", 14, Prep::GreyFromOneBit),
    OneArgument("SetContrast", 17, Prep::GreyFromOneBit),
    OneArgument("SetGammaCorrection", 31, Prep::GreyFromOneBit),
    OneArgument("SetSaturation", 30, Prep::GreyFromOneBit),
    {"AdjustRGB", 0, {39, {}, kPlainF}, {SlotParam2, SlotParam3, SlotParam4}, Prep::None},
    {"SwapColorEx", 0, {51, {}, kZeroF}, {SlotParam2, SlotParam3, SlotParam1}, Prep::None},
    Plain("KeepRedComponent", 41),
    Plain("KeepGreenComponent", 42),
    Plain("KeepBlueComponent", 43),
    Plain("RemoveRedComponent", 44),
    Plain("RemoveGreenComponent", 45),
    Plain("RemoveBlueComponent", 46),
    OneArgument("ScaleRedComponent", 47),
    OneArgument("ScaleGreenComponent", 48),
    OneArgument("ScaleBlueComponent", 49),
    Plain("SwapColorsRGBtoBRG", 16, 1),
    Plain("SwapColorsRGBtoGBR", 16, 2),
    Plain("SwapColorsRGBtoRBG", 16, 3),
    Plain("SwapColorsRGBtoBGR", 16, 4),
    Plain("SwapColorsRGBtoGRB", 16, 5),
    Plain("FxSharpen", 1, 2),
    Plain("FxSharpenMore", 1, 0),
    Plain("FxBlur", 3),
    Plain("FxNegative", 2),
    Plain("FxDiffuse", 4, 6),
    Plain("FxDiffuseMore", 4, 12),
    Plain("FxSmooth", 5),
    Plain("FxEdgeEnhance", 6, 1),
    Plain("FxContour", 7, Rgb(255, 255, 255)),
    Plain("FxEmboss", 8, Rgb(0, 120, 120)),
    Plain("FxEmbossMore", 9, Rgb(0, 120, 120)),
    Plain("FxEngrave", 10, Rgb(0, 120, 120)),
    Plain("FxEngraveMore", 11, Rgb(0, 120, 120)),
    OneArgument("FxEmbossColor", 8),
    OneArgument("FxEmbossMoreColor", 9),
    OneArgument("FxEngraveColor", 10),
    OneArgument("FxEngraveMoreColor", 11),
    Plain("FxGrayscale", 12, 3),
    Plain("FxRelief", 13),
    Plain("FxPixelize", 15, 3),
    {"FxBlackNWhite", 1, {18, {Rgb(180, 180, 180), 0, 0, 0}, kPlainF}, kNoArguments, Prep::None},
    {"FxBlackNWhite", 2, {19, {}, kPlainF}, kNoArguments, Prep::None},
    {"FxBlackNWhite", 3, {20, {15, 0, 0, 0}, kPlainF}, kNoArguments, Prep::None},
    OneArgument("FxBlackNWhiteT", 18),
    Plain("FxAqua", 24),
    Plain("FxDilate", 25),
    Plain("FxErode", 26),
    Plain("FxConnectedContour", 27),
    Plain("FxStretchContrast", 28),
    Plain("FxAddNoise", 29, 50),
    Plain("FxScanLine", 32),
    OneArgument("FxSoften", 33),
    {"FxSepia", 0, {34, {}, {0.5f, 0.25f, 1.0f}}, kNoArguments, Prep::None},
    {"FxColorize", 0, {34, {}, kPlainF}, {SlotF1, SlotF2, SlotF3}, Prep::None},
    {"FxhWaves", 0, {37, {}, kZeroF}, {SlotParam3, SlotParam2, NoSlot}, Prep::None},
    {"FxvWaves", 0, {38, {}, kZeroF}, {SlotParam3, SlotParam2, NoSlot}, Prep::None},
    Plain("FxRedEyesCorrection", 40),
    Plain("FxFire", 54),
    OneArgument("FxTwirl", 55),
    OneArgument("FxSwirl", 57),
    Plain("FxMirrorRounded", 56),
    Plain("FxEqualizeIntensity", 58),
    Plain("FxDespeckle", 61),
    Plain("FxDespeckleMore", 63),
    Bare("FxDilate8", 62, 1),
    Bare("FxDilate4", 62, 2),
    Bare("FxDilateV", 62, 3),
    Bare("FxErode8", 65, 2),
    Bare("FxErode4", 65, 1),
    Bare("FxParasite", 52),
    Bare("FxParasite4", 64, 1),
    Bare("FxParasite2x2", 70, 1),
    Bare("FxFillHoleV", 66, 1),
    Bare("FxFillHoleH", 66, 2),
    Bare("FxRemoveLinesV", 69, 1, 1),
    Bare("FxRemoveLinesH", 69, 2, 1),
    Bare("FxRemoveLinesV2", 69, 1, 2),
    Bare("FxRemoveLinesH2", 69, 2, 2),
    Bare("FxRemoveLinesV3", 69, 1, 3),
    Bare("FxRemoveLinesH3", 69, 2, 3),
    Bare("MatrixFilter3x3x", 52),
};

FilterEngineEntry gEngineEntry = ApplyFilter;

}  // namespace

std::span<const FilterMemberRow> FilterMemberRows() { return kRows; }

const FilterMemberRow* FindFilterMember(std::string_view member, int32_t choice) {
  const auto* row = std::find_if(std::begin(kRows), std::end(kRows), [&](const FilterMemberRow& r) {
    return r.member == member && r.choice == choice;
  });
  return row == std::end(kRows) ? nullptr : row;
}

FilterCall WithArguments(const FilterMemberRow& row, std::span<const double> args) {
  FilterCall call = row.call;
  for (size_t i = 0; i < args.size() && i < row.slots.size(); ++i) {
    const ArgumentSlot slot = row.slots[i];
    if (slot >= SlotParam1 && slot <= SlotParam4) call.params[slot] = args[i];
    if (slot >= SlotF1) call.f[slot - SlotF1] = static_cast<float>(args[i]);
  }
  return call;
}

FilterEngineEntry ReplaceFilterEngineEntry(FilterEngineEntry entry) {
  const FilterEngineEntry previous = gEngineEntry;
  gEngineEntry = entry ? entry : ApplyFilter;
  return previous;
}

VexiroStatus CallFilterEngine(const FilterCall& call, int32_t imageId, vexiro::FilterArea& area) {
  double result = 0;
  return gEngineEntry(call.filterId, imageId, call.params[0], area, call.f[0], call.f[1], call.f[2], call.params[1],
                      call.params[2], call.params[3], result);
}

}  // namespace vx::processing
