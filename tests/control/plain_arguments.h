// Values for the arguments of a member call that a test does not look at: one of the parameter's
// type (1, False, "x"), or a small four-element array where the member takes one.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "control/member_table.h"
#include "control/variant.h"

namespace vx::control {

inline Variant PlainArgument(const ParamDesc& param) {
  if (param.type.isArray) {
    switch (param.type.base) {
      case BaseType::Byte: return Variant::Array(TypedArray<uint8_t>{{ArrayDimension{0, 4}}, {0, 0, 1, 1}});
      case BaseType::Double: return Variant::Array(TypedArray<double>{{ArrayDimension{0, 4}}, {0, 0, 1, 1}});
      case BaseType::String: return Variant::Array(TypedArray<std::string>{{ArrayDimension{0, 1}}, {"x"}});
      default: return Variant::Array(TypedArray<int32_t>{{ArrayDimension{0, 4}}, {0, 0, 1, 1}});
    }
  }
  switch (param.type.base) {
    case BaseType::String: return Variant::Str("x");
    case BaseType::Boolean: return Variant::Bool(false);
    case BaseType::Single: return Variant::R4(1);
    case BaseType::Double: return Variant::R8(1);
    case BaseType::Integer: return Variant::I2(1);
    case BaseType::Byte: return Variant::Byte(1);
    case BaseType::Picture: return Variant::Object(VarType::Dispatch, 0);
    case BaseType::Unknown: return Variant::Object(VarType::Unknown, 0);
    default: return Variant::I4(1);
  }
}

// A member's by-reference arrays, called through its binding, are references to arrays the caller
// keeps: those of `args` move into `kept`, which must outlive the call.
inline void PassArraysByReference(const MemberDesc& m, std::vector<Variant>& args, std::deque<SafeArray>& kept) {
  for (size_t i = 0; i < m.params.size() && i < args.size(); ++i) {
    if (!m.params[i].byRef || args[i].ArrayPtr() == nullptr) continue;
    kept.push_back(*args[i].ArrayPtr());
    args[i] = Variant::RefToArray(kept.back());
  }
}

// A member taking an array of texts (TiffMergeFiles): its binding is not reached with a plain
// array argument, so the tests calling bindings check such members by their C++ calls instead.
inline bool TakesTextArray(const MemberDesc& m) {
  for (const ParamDesc& p : m.params)
    if (p.type.isArray && p.type.base == BaseType::String) return true;
  return false;
}

}  // namespace vx::control
