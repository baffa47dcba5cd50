#include "control/enumerations.h"

#include "control/enumerations_data.h"

namespace vx::control {

const std::vector<EnumerationDesc>& Enumerations() {
  static const std::vector<EnumerationDesc> all = BuildEnumerations();
  return all;
}

const EnumerationDesc* FindEnumeration(std::string_view name) {
  for (const EnumerationDesc& e : Enumerations())
    if (e.name == name) return &e;
  return nullptr;
}

std::optional<int32_t> FindConstant(std::string_view enumeration, std::string_view constant) {
  const EnumerationDesc* e = FindEnumeration(enumeration);
  if (!e) return std::nullopt;
  for (const EnumConstant& c : e->constants)
    if (c.name == constant) return c.value;
  return std::nullopt;
}

}  // namespace vx::control
