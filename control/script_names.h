// The names a script may use besides its variables and the members: the constants of the type
// library's enumerations, looked up without regard to case as Basic does, and the spelling help
// that a misspelt name gets.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vx::control {

struct ScriptConstant {
  std::string_view name;         // as the type library spells it
  std::string_view enumeration;  // the enumeration that defines it
  int32_t value = 0;
};

// The constant of that name in any enumeration, or null. Two enumerations share BestSpeed and
// BestQuality with the same values, so which one answers does not matter.
const ScriptConstant* FindScriptConstant(std::string_view name);

// The first constant of `enumeration` with that value ("FileNotFound"), or "" when none has it.
std::string_view ConstantNameOf(std::string_view enumeration, int32_t value);

// A last status as a message shows it: "10 FileNotFound", or just the number when it has no name.
std::string DescribeStatus(int32_t status);

// The names of every member and every constant, for spelling help.
const std::vector<std::string_view>& MemberAndConstantNames();

// The candidate closest to `misspelt`, or "" when none is close enough to be the one meant.
std::string ClosestName(std::string_view misspelt, const std::vector<std::string_view>& candidates);

}  // namespace vx::control
