#include "vexiro/vexiro.h"

namespace vexiro {

const char* LibraryVersion() { return "4.14.0"; }

}  // namespace vexiro
