// Constant names and values of the type library's enumerations, expanded from the list the public
// header expands too, so that C++ hosts and script hosts always see the same names and values.
#include "control/enumerations_data.h"

#include <algorithm>

namespace vx::control {

namespace {

struct Row {
  std::string_view name;
  std::vector<EnumConstant> constants;
  std::string_view sameAs;  // an earlier enumeration whose constants this one has
};

std::vector<Row> ListedRows() {
  return {
#define VEXIRO_ENUMERATION(Name) {#Name, {
#define VEXIRO_CONSTANT(Name, Value) {#Name, (Value)},
#define VEXIRO_END_ENUMERATION() }, {}},
#define VEXIRO_ENUMERATION_SAME_AS(Name, Earlier) {#Name, {}, #Earlier},
#include "vexiro/enumeration_list.h"
  };
}

}  // namespace

std::vector<EnumerationDesc> BuildEnumerations() {
  std::vector<EnumerationDesc> all;
  for (Row& row : ListedRows()) {
    if (row.sameAs.empty()) {
      all.push_back({row.name, std::move(row.constants)});
      continue;
    }
    const auto earlier =
        std::find_if(all.begin(), all.end(), [&](const EnumerationDesc& e) { return e.name == row.sameAs; });
    all.push_back({row.name, earlier->constants});
  }
  return all;
}

}  // namespace vx::control
