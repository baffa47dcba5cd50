// The operators of the script language on variants, with Basic's coercions: numbers keep the
// narrowest of Byte, Integer, Long, Single and Double that holds both operands, and a result that
// outgrows it moves up to the next (Long to Double) instead of wrapping. Null passes through
// arithmetic. A value that does not fit an operator is a LineError.
#pragma once
#include <cstddef>
#include <string_view>

#include "control/variant.h"

namespace vx::control {

enum class BinaryOp {
  Power,
  Multiply,
  Divide,
  IntDivide,
  Modulo,
  Add,
  Subtract,
  Concat,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
  And,
  Or,
};

// `^` and `/` give a Double; `\` and Mod round their operands half to even first and keep an
// integer type; `+` joins two texts; `&` joins any two values as text; the comparisons compare
// two texts by their characters and otherwise numbers; And and Or are bitwise on integers and
// keep a Boolean when both sides are Boolean.
Variant ApplyBinary(BinaryOp op, const Variant& left, const Variant& right);
// The longest text a script builds: far more than paths, OCR text or encoded images need, and
// little enough that a few lines doubling a text cannot exhaust the host's memory.
constexpr size_t kMaxScriptText = size_t{1} << 26;
// Throws LineError ("out of string space") for a text longer than that, before it is made.
void CheckTextLength(size_t length, std::string_view where);

// Unary minus, with Integer's and Long's lowest value moving up a type.
Variant Negate(const Variant& operand);
// Bitwise complement; a Boolean stays Boolean.
Variant ApplyNot(const Variant& operand);
// The value as the number arithmetic sees: numbers as they are, a numeric text as a Double,
// Empty as an Integer 0.
Variant ToNumber(const Variant& operand, std::string_view where);

}  // namespace vx::control
