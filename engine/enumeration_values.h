// Whether a value a caller passes for an enumeration is one of its constants. Members whose
// enumeration is a closed set of choices refuse any other value with InvalidParameter instead of
// handing it on, where it would be taken for some choice or none.
#pragma once
#include <cstdint>

#include "vexiro/imaging.h"

namespace vx::engine {

// Defined for every enumeration of vexiro/enumeration_list.h.
template <class E>
bool IsNamedValue(int32_t value);

template <class E>
bool IsNamed(vexiro::EnumArg<E> value) {
  return IsNamedValue<E>(static_cast<int32_t>(value));
}

}  // namespace vx::engine

template <class E>
bool vexiro::cImaging::RefusesValueOutside(EnumArg<E> value) {
  if (vx::engine::IsNamed(value)) return false;
  nStat = InvalidParameter;
  return true;
}
