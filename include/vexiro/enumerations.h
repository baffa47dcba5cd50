// The enumerations a host passes to and gets back from the members, with the names and values that
// script hosts know them by: unscoped, 32 bits wide, in namespace vexiro. A member parameter typed
// with one of them is an EnumArg, so a caller may pass the constant or any 32-bit integer.
#pragma once
#include <cstdint>
#include <type_traits>

// X11 names its null resource None; TwainPaperSize has a constant of that name (of the same
// value), so a host that includes X11 first keeps its macro and still gets the enumeration.
#pragma push_macro("None")
#undef None

namespace vexiro {

#define VEXIRO_ENUMERATION(Name) enum Name : int32_t {
#define VEXIRO_CONSTANT(Name, Value) Name = (Value),
#define VEXIRO_END_ENUMERATION() };
#define VEXIRO_ENUMERATION_SAME_AS(Name, Earlier) using Name = Earlier;
#include "vexiro/enumeration_list.h"

// A parameter of enumeration type E: takes a constant of E or a plain 32-bit integer, as the
// members have always taken, and refuses a constant of another enumeration, the mistake the names
// are there to catch. Inside the member it reads as the integer.
template <class E>
class EnumArg {
 public:
  static_assert(std::is_enum<E>::value, "EnumArg takes an enumeration");
  using Enumeration = E;

  constexpr EnumArg() = default;
  constexpr EnumArg(E value) : value_(static_cast<int32_t>(value)) {}
  constexpr EnumArg(int32_t value) : value_(value) {}
  // Written for C++14, the oldest level a compiler still defaults to, as every public header is.
  template <class Other, std::enable_if_t<std::is_enum<Other>::value && !std::is_same<Other, E>::value, int> = 0>
  EnumArg(Other) = delete;

  constexpr operator int32_t() const { return value_; }
  // For the code behind a member, which hands the value on in the enumeration types it works with.
  template <class T, std::enable_if_t<std::is_enum<T>::value, int> = 0>
  explicit constexpr operator T() const {
    return static_cast<T>(value_);
  }

 private:
  int32_t value_ = 0;
};

// The name of a status ("FileNotFound"), the first name VexiroStatus gives the value; "" for a
// value that no constant names. The text lives as long as the library.
const char* StatusName(int32_t status);

}  // namespace vexiro

#pragma pop_macro("None")
