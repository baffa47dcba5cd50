#include <algorithm>

#include "control/binding.h"

namespace vx::control {

namespace {

// The enumeration whose constants `name` has: itself, or the earlier one it shares them with
// (and whose C++ type it therefore is).
std::string_view ConstantsOwner(std::string_view name) {
  static constexpr std::pair<std::string_view, std::string_view> kSharing[] = {
#define VEXIRO_ENUMERATION(Name)
#define VEXIRO_CONSTANT(Name, Value)
#define VEXIRO_END_ENUMERATION()
#define VEXIRO_ENUMERATION_SAME_AS(Name, Earlier) {#Name, #Earlier},
#include "vexiro/enumeration_list.h"
  };
  for (const auto& [sharer, owner] : kSharing)
    if (sharer == name) return owner;
  return name;
}

bool SameBase(const TypeDesc& table, const CppTypeInfo& cpp) {
  // Enumerations and Longs both pass as 32-bit integers, so either C++ form serves either row;
  // but a C++ type that names its enumeration must name the row's.
  const bool tableInteger32 = table.base == BaseType::Long || table.base == BaseType::Enum;
  if (table.base == BaseType::Enum && !cpp.enumName.empty())
    return cpp.base == BaseType::Long && ConstantsOwner(table.enumName) == ConstantsOwner(cpp.enumName);
  if (tableInteger32) return cpp.base == BaseType::Long;
  if (table.base == BaseType::Unknown) return cpp.base == BaseType::Picture;  // both are handles
  return table.base == cpp.base;
}

std::string Describe(const CppTypeInfo& t) {
  TypeDesc d{t.base, t.isArray, t.isEnum ? (t.enumName.empty() ? "enum" : std::string(t.enumName)) : ""};
  if (t.isEnum) d.base = BaseType::Enum;
  return (t.byRef ? "ByRef " : "") + d.Name();
}

}  // namespace

std::string CompareWithTable(const MemberDesc& member, const Binding& binding) {
  const std::vector<CppTypeInfo> params = binding.ParamTypes();
  if (params.size() != member.params.size())
    return member.name + ": " + std::to_string(params.size()) + " parameters in C++, " +
           std::to_string(member.params.size()) + " in the table";
  for (size_t i = 0; i < params.size(); ++i) {
    const ParamDesc& p = member.params[i];
    if (!SameBase(p.type, params[i]) || p.type.isArray != params[i].isArray || p.byRef != params[i].byRef)
      return member.name + ": parameter " + p.name + " is " + (p.byRef ? "ByRef " : "") + p.type.Name() +
             " in the table, " + Describe(params[i]) + " in C++";
  }
  const std::optional<CppTypeInfo> result = binding.ResultType();
  if (result.has_value() != member.result.has_value())
    return member.name + (member.result ? ": the table has a result, C++ none" : ": C++ returns a value, the table none");
  if (result && (!SameBase(*member.result, *result) || result->isArray))
    return member.name + ": result is " + member.result->Name() + " in the table, " + Describe(*result) + " in C++";
  return "";
}

namespace {

// The C++ form that agrees with a parameter or result of the table.
CppTypeInfo CppTypeOfTableType(const TypeDesc& type, bool byRef) {
  CppTypeInfo info{type.base, type.isArray, byRef, false, {}};
  if (type.base == BaseType::Enum) info = {BaseType::Long, type.isArray, byRef, true, type.enumName};
  if (type.base == BaseType::Unknown) info.base = BaseType::Picture;  // both cross as handles
  return info;
}

}  // namespace

std::vector<CppTypeInfo> TableSignatureBinding::ParamTypes() const {
  std::vector<CppTypeInfo> types;
  for (const ParamDesc& p : member_.params) types.push_back(CppTypeOfTableType(p.type, p.byRef));
  return types;
}

std::optional<CppTypeInfo> TableSignatureBinding::ResultType() const {
  if (!member_.result) return std::nullopt;
  return CppTypeOfTableType(*member_.result, false);
}

BindingRegistry& BindingRegistry::Instance() {
  static BindingRegistry registry;
  return registry;
}

bool BindingRegistry::Add(std::type_index cls, std::string_view member, std::unique_ptr<Binding> binding) {
  const MemberDesc* m = MemberTable::Instance().Find(member);
  if (!m) {
    problems_.push_back(std::string(member) + ": no member of that name");
    return false;
  }
  if (Find(cls, m->index)) {
    problems_.push_back(m->name + ": bound twice");
    return false;
  }
  if (std::string why = CompareWithTable(*m, *binding); !why.empty()) {
    problems_.push_back(why);
    return false;
  }
  entries_.push_back({cls, m->index, std::move(binding)});
  return true;
}

const Binding* BindingRegistry::Find(std::type_index cls, int memberIndex) const {
  for (const Entry& e : entries_)
    if (e.cls == cls && e.member == memberIndex) return e.binding.get();
  return nullptr;
}

size_t BindingRegistry::CountFor(std::type_index cls) const {
  return static_cast<size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.cls == cls; }));
}

namespace binding_detail {

HRESULT LoadArrayArgument(const Variant& arg, size_t elementIndex, SafeArray& out) {
  const Variant& v = arg.Deref();
  if (const SafeArray* held = v.ArrayPtr()) {
    if (held->index() != elementIndex) return DISP_E_TYPEMISMATCH;
    out = *held;
    return S_OK;
  }
  // An empty variable or an omitted argument is an array without elements, to be filled.
  if (v.Type() == VarType::Empty || v.IsMissing()) return S_OK;
  return DISP_E_TYPEMISMATCH;
}

void StoreArrayArgument(Variant& arg, SafeArray&& value) {
  if (SafeArray* target = arg.ArrayPtr(); target && arg.Deref().IsRef()) {
    *target = std::move(value);  // the host's own array
    return;
  }
  arg.Deref() = Variant::Array(std::move(value));
}

}  // namespace binding_detail

}  // namespace vx::control
