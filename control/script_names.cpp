#include "control/script_names.h"

#include <algorithm>
#include <map>

#include "control/enumerations.h"
#include "control/member_table.h"
#include "vexiro/enumerations.h"

namespace vx::control {

namespace {

const std::map<std::string, ScriptConstant>& ConstantsByFoldedName() {
  static const std::map<std::string, ScriptConstant> index = [] {
    std::map<std::string, ScriptConstant> byName;
    for (const EnumerationDesc& e : Enumerations())
      for (const EnumConstant& c : e.constants) byName.emplace(FoldCase(c.name), ScriptConstant{c.name, e.name, c.value});
    return byName;
  }();
  return index;
}

// Edits (insertions, deletions, substitutions and swaps of neighbours) between two folded names,
// given up once it passes `limit`: most candidates are far off and need not be measured exactly.
size_t EditDistance(std::string_view a, std::string_view b, size_t limit) {
  const size_t lengthGap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (lengthGap > limit) return limit + 1;
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    size_t rowBest = current[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) current[j] = std::min(current[j], before[j - 2] + 1);
      rowBest = std::min(rowBest, current[j]);
    }
    if (rowBest > limit) return limit + 1;
    before.swap(previous);
    previous.swap(current);
  }
  return previous[b.size()];
}

// How many edits a name of this length may carry and still be taken for a slip of the fingers.
size_t AllowedEdits(size_t length) {
  if (length <= 2) return 0;
  if (length <= 5) return 1;
  if (length <= 10) return 2;
  return 3;
}

}  // namespace

const ScriptConstant* FindScriptConstant(std::string_view name) {
  const auto& index = ConstantsByFoldedName();
  const auto it = index.find(FoldCase(name));
  return it == index.end() ? nullptr : &it->second;
}

std::string_view ConstantNameOf(std::string_view enumeration, int32_t value) {
  const EnumerationDesc* e = FindEnumeration(enumeration);
  if (!e) return {};
  for (const EnumConstant& c : e->constants)
    if (c.value == value) return c.name;
  return {};
}

std::string DescribeStatus(int32_t status) {
  const std::string_view name = vexiro::StatusName(status);
  return std::to_string(status) + (name.empty() ? "" : " " + std::string(name));
}

const std::vector<std::string_view>& MemberAndConstantNames() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> all;
    for (const MemberDesc& m : MemberTable::Instance().Members()) all.push_back(m.name);
    for (const auto& [folded, constant] : ConstantsByFoldedName()) all.push_back(constant.name);
    return all;
  }();
  return names;
}

std::string ClosestName(std::string_view misspelt, const std::vector<std::string_view>& candidates) {
  const std::string wanted = FoldCase(misspelt);
  const size_t allowed = AllowedEdits(wanted.size());
  std::string best;
  size_t bestDistance = allowed + 1;
  for (std::string_view candidate : candidates) {
    if (bestDistance == 1) break;  // nothing closer is left: the names are all different
    const size_t d = EditDistance(wanted, FoldCase(candidate), bestDistance - 1);
    if (d < bestDistance) {
      bestDistance = d;
      best = std::string(candidate);
    }
  }
  return best;
}

}  // namespace vx::control

namespace vexiro {

// The table's names are string literals, so each view ends where its text does.
const char* StatusName(int32_t status) {
  const std::string_view name = vx::control::ConstantNameOf("VexiroStatus", status);
  return name.empty() ? "" : name.data();
}

}  // namespace vexiro
