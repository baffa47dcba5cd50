// The engine's filter members as data: which filter each one runs, with which constants, where
// its own arguments go and what it prepares first. The members themselves only look their row up.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "processing/filters/filter_engine.h"

namespace vx::processing {

// Where a member's argument lands in the filter engine's call.
enum ArgumentSlot : int8_t { NoSlot = -1, SlotParam1, SlotParam2, SlotParam3, SlotParam4, SlotF1, SlotF2, SlotF3 };

enum class MemberPreparation : uint8_t {
  None,
  AlphaRequired,   // the image gains an alpha channel first; the filter runs only when it did
  AlphaTried,      // the same, but the filter runs whatever the conversion answered
  GreyFromOneBit,  // a 1-bit image becomes 8-bit grey first
};

// What reaches ApplyFilter besides the image and its rectangle.
struct FilterCall {
  int32_t filterId = 0;
  std::array<double, 4> params{};
  std::array<float, 3> f{};
};

struct FilterMemberRow {
  std::string_view member;
  int32_t choice;  // the mode a member with several rows picks (FxBlackNWhite); 0 otherwise
  FilterCall call;
  std::array<ArgumentSlot, 3> slots;
  MemberPreparation prepare;
};

std::span<const FilterMemberRow> FilterMemberRows();
// Null when no row has the member (and choice).
const FilterMemberRow* FindFilterMember(std::string_view member, int32_t choice = 0);
// The row's call with `args` placed in its slots, in order.
FilterCall WithArguments(const FilterMemberRow& row, std::span<const double> args);

// The one place the members reach the filter engine; tests put a recorder in its stead.
using FilterEngineEntry = VexiroStatus (*)(int32_t filterId, int32_t imageId, double param1, vexiro::FilterArea& area,
                                           float f1, float f2, float f3, double param2, double param3, double param4,
                                           double& result);
// Installs `entry` (ApplyFilter when null) and returns the one it replaces.
FilterEngineEntry ReplaceFilterEngineEntry(FilterEngineEntry entry);
VexiroStatus CallFilterEngine(const FilterCall& call, int32_t imageId, vexiro::FilterArea& area);

}  // namespace vx::processing
