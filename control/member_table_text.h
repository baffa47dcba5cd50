// The text of the member table (see member_table_text.cpp for its form).
#pragma once

namespace vx::control {

const char* MemberTableText();

}  // namespace vx::control
