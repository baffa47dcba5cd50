// The support entry point: services a host reaches by number instead of by a member of their own.
#include <cmath>
#include <limits>

#include "devices/scan/twain_plugin.h"
#include "engine/escaped_errors.h"
#include "engine/plugin/savers.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

constexpr int32_t kSaveAsJBIG = 58203741;
constexpr int32_t kBorderReport = 47190362;
constexpr int32_t kTwainDirectTransfer = 69351824;

// A Double as a 32-bit integer, halves to even. What no 32-bit integer holds (NaN too) becomes
// the nearest end of the range: the border report treats every value beyond its own range alike.
int32_t ToLong(double value) {
  constexpr double kLow = std::numeric_limits<int32_t>::min(), kHigh = std::numeric_limits<int32_t>::max();
  if (!(value >= kLow)) return std::numeric_limits<int32_t>::min();
  if (!(value <= kHigh)) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace

VexiroStatus cImaging::SupportFunc(int32_t nSupportID, double& nParamDouble1, double& nParamDouble2,
                                   double& nParamDouble3, int32_t& nParamLong1, int32_t& nParamLong2,
                                   int32_t& nParamLong3, std::string& sParamString1, std::string& /*sParamString2*/,
                                   std::string& /*sParamString3*/) {
  switch (nSupportID) {
    case kSaveAsJBIG:
      nStat = nNativeImage == 0 ? GenericError : vx::engine::SaveAsJBIGFile(nNativeImage, sParamString1);
      break;
    case kBorderReport: {
      int32_t left = ToLong(nParamDouble3);
      CropBordersEX2(ToLong(nParamDouble1), ToLong(nParamDouble2), left, nParamLong1, nParamLong2, nParamLong3);
      nParamDouble3 = left;
      break;
    }
    case kTwainDirectTransfer:
      // The plug-in's answer changes nothing here: direct transfer is only a preference.
      AnswerRuntimeErrors([] { vx::scan::Vxtwain().EnableDirectTransfer(1); });
      break;
    default:
      break;
  }
  return nStat;
}

}  // namespace vexiro
