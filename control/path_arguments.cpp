#include "control/path_arguments.h"

#include <algorithm>
#include <map>
#include <variant>

#include "vexiro/vexiro_status.h"

namespace vx::control {
namespace {

std::map<std::type_index, RefusalMark>& Refusals() {
  static std::map<std::type_index, RefusalMark> refusals;
  return refusals;
}

std::map<std::type_index, EscapedErrorTake>& EscapedErrorSources() {
  static std::map<std::type_index, EscapedErrorTake> sources;
  return sources;
}

bool HoldsNul(const std::string& text) { return text.find('\0') != std::string::npos; }

// A text, or an array of texts, with a NUL in one of them.
bool HoldsNul(const Variant& value) {
  const Variant& v = value.Deref();
  if (const SafeArray* array = v.ArrayPtr()) {
    const auto* texts = std::get_if<TypedArray<std::string>>(array);
    return texts != nullptr && std::any_of(texts->data.begin(), texts->data.end(),
                                           [](const std::string& s) { return HoldsNul(s); });
  }
  return v.Type() == VarType::BStr && HoldsNul(v.AsStr());
}

}  // namespace

bool NamesAFile(const ParamDesc& param) {
  if (param.type.base != BaseType::String) return false;
  const std::string name = FoldCase(param.name);
  return name.find("path") != std::string::npos || name.find("file") != std::string::npos;
}

bool HoldsCutPath(const MemberDesc& member, const std::vector<Variant>& args) {
  for (size_t i = 0; i < member.params.size() && i < args.size(); ++i) {
    if (NamesAFile(member.params[i]) && HoldsNul(args[i])) return true;
  }
  return false;
}

Variant RefusedResult(const MemberDesc& member) {
  if (!member.result || member.result->isArray) return Variant();
  switch (member.result->base) {
    case BaseType::Enum:
      return Variant::I4(member.result->enumName == "VexiroStatus" ? vexiro::InvalidParameter : 0);
    case BaseType::Long: return Variant::I4(0);
    case BaseType::Integer: return Variant::I2(0);
    case BaseType::Byte: return Variant::Byte(0);
    case BaseType::Single: return Variant::R4(0);
    case BaseType::Double: return Variant::R8(0);
    case BaseType::Boolean: return Variant::Bool(false);
    case BaseType::String: return Variant::Str("");
    case BaseType::Picture: return Variant::Object(VarType::Dispatch, 0);
    case BaseType::Unknown: return Variant::Object(VarType::Unknown, 0);
    case BaseType::Variant: return Variant();
  }
  return Variant();
}

void AddPathRefusal(std::type_index cls, RefusalMark mark) { Refusals().insert_or_assign(cls, std::move(mark)); }

const RefusalMark* PathRefusalOf(std::type_index cls) {
  const auto it = Refusals().find(cls);
  return it == Refusals().end() ? nullptr : &it->second;
}

void AddEscapedErrorSource(std::type_index cls, EscapedErrorTake take) {
  EscapedErrorSources().insert_or_assign(cls, std::move(take));
}

const EscapedErrorTake* EscapedErrorSourceOf(std::type_index cls) {
  const auto it = EscapedErrorSources().find(cls);
  return it == EscapedErrorSources().end() ? nullptr : &it->second;
}

}  // namespace vx::control
