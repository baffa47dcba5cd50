#include "control/member_table_text.h"

namespace vx::control {

const char* MemberTableText() { return kMemberTableText.data(); }

}  // namespace vx::control
