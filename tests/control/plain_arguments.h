// Values for the arguments of a member call that a test does not look at: one of the parameter's
// type (1, False, "x"), or a small four-element array where the member takes one.
#pragma once
#include <string>

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
    default: return Variant::I4(1);
  }
}

}  // namespace vx::control
