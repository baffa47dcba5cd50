// The check every member runs on the paths its caller gives.
#include "vexiro/imaging.h"

namespace vexiro {

bool cImaging::RefusesCutPath(const std::string& path) {
  if (path.find('\0') == std::string::npos) return false;
  nStat = InvalidParameter;
  return true;
}

}  // namespace vexiro
