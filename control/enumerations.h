// The enumerations of the type library: names and values that hosts use for the values members
// take and return (through dispatch they travel as plain 32-bit integers). Built from the list
// the public header expands too (vexiro/enumeration_list.h).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::control {

struct EnumConstant {
  std::string_view name;
  int32_t value;
};

struct EnumerationDesc {
  std::string_view name;
  std::vector<EnumConstant> constants;  // in type-library order; aliases share a value
};

// The 53 enumerations in type-library order.
const std::vector<EnumerationDesc>& Enumerations();
const EnumerationDesc* FindEnumeration(std::string_view name);
// The value of a constant of one enumeration (exact name).
std::optional<int32_t> FindConstant(std::string_view enumeration, std::string_view constant);

}  // namespace vx::control
