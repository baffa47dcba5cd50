#include "control/script_operators.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "control/com_errors.h"
#include "control/script_lexer.h"

namespace vx::control {

namespace {

// The numeric types of arithmetic, narrowest first.
enum class Rank { Byte, Integer, Long, Single, Double };

struct Number {
  Rank rank;
  double value;  // exact for every integer type
};

std::string Quoted(std::string_view where) { return "'" + std::string(where) + "'"; }

[[noreturn]] void Mismatch(std::string_view where) { throw LineError("type mismatch in " + Quoted(where)); }
[[noreturn]] void Overflow(std::string_view where) { throw LineError("overflow in " + Quoted(where)); }
[[noreturn]] void DivisionByZero() { throw LineError("division by zero"); }
[[noreturn]] void NullUsed(std::string_view where) { throw LineError("invalid use of Null in " + Quoted(where)); }

const char* Symbol(BinaryOp op) {
  switch (op) {
    case BinaryOp::Power: return "^";
    case BinaryOp::Multiply: return "*";
    case BinaryOp::Divide: return "/";
    case BinaryOp::IntDivide: return "\\";
    case BinaryOp::Modulo: return "Mod";
    case BinaryOp::Add: return "+";
    case BinaryOp::Subtract: return "-";
    case BinaryOp::Concat: return "&";
    case BinaryOp::Equal: return "=";
    case BinaryOp::NotEqual: return "<>";
    case BinaryOp::Less: return "<";
    case BinaryOp::Greater: return ">";
    case BinaryOp::LessEqual: return "<=";
    case BinaryOp::GreaterEqual: return ">=";
    case BinaryOp::And: return "And";
    case BinaryOp::Or: return "Or";
  }
  return "?";
}

// The operand as arithmetic sees it; nothing for Null. A Boolean counts as an Integer (True is
// -1), a text as the Double it spells.
std::optional<Number> NumberOf(const Variant& operand, std::string_view where) {
  const Variant& v = operand.Deref();
  if (v.IsArray()) Mismatch(where);
  switch (v.Type()) {
    case VarType::Null: return std::nullopt;
    case VarType::Empty: return Number{Rank::Integer, 0};
    case VarType::UI1: return Number{Rank::Byte, static_cast<double>(v.AsUI1())};
    case VarType::I2: return Number{Rank::Integer, static_cast<double>(v.AsI2())};
    case VarType::Bool: return Number{Rank::Integer, static_cast<double>(v.BoolBits())};
    case VarType::I4: return Number{Rank::Long, static_cast<double>(v.AsI4())};
    case VarType::R4: return Number{Rank::Single, static_cast<double>(v.AsR4())};
    case VarType::R8:
    case VarType::Date:
    case VarType::BStr: {
      Variant d;
      const HRESULT hr = v.ChangeType(VarType::R8, d);
      if (hr == DISP_E_OVERFLOW) Overflow(where);
      if (FAILED(hr)) Mismatch(where);
      return Number{Rank::Double, d.AsR8()};
    }
    default: Mismatch(where);
  }
}

Number NonNullNumberOf(const Variant& operand, std::string_view where) {
  const std::optional<Number> n = NumberOf(operand, where);
  if (!n) NullUsed(where);
  return *n;
}

// The value in the narrowest type from `rank` up that holds it: an integer type that overflows
// moves up to the next one and Long to Double; Single moves to Double.
Variant Fit(Rank rank, double x, std::string_view where) {
  if (rank <= Rank::Long) {
    if (rank == Rank::Byte && x >= 0 && x <= UINT8_MAX) return Variant::Byte(static_cast<uint8_t>(x));
    if (rank <= Rank::Integer && x >= INT16_MIN && x <= INT16_MAX) return Variant::I2(static_cast<int16_t>(x));
    if (x >= INT32_MIN && x <= INT32_MAX) return Variant::I4(static_cast<int32_t>(x));
    rank = Rank::Double;
  }
  if (rank == Rank::Single && std::fabs(x) <= FLT_MAX) return Variant::R4(static_cast<float>(x));
  if (!std::isfinite(x)) Overflow(where);
  return Variant::R8(x);
}

// Single with Long needs Double to hold every Long exactly.
Rank CommonRank(Rank a, Rank b) {
  const Rank r = std::max(a, b);
  if (r == Rank::Single && (a == Rank::Long || b == Rank::Long)) return Rank::Double;
  return r;
}

// An operand of `\`, Mod, And, Or and Not: integer types as they are, anything else rounded half
// to even into a Long.
Number IntegerOf(const Number& n, std::string_view where) {
  if (n.rank <= Rank::Long) return n;
  const double r = std::nearbyint(n.value);
  if (!(r >= INT32_MIN && r <= INT32_MAX)) Overflow(where);
  return {Rank::Long, r};
}

Variant Arithmetic(BinaryOp op, const Variant& left, const Variant& right) {
  const std::string_view where = Symbol(op);
  const std::optional<Number> a = NumberOf(left, where), b = NumberOf(right, where);
  if (!a || !b) return Variant::Null();
  const double x = a->value, y = b->value;
  switch (op) {
    case BinaryOp::Add: return Fit(CommonRank(a->rank, b->rank), x + y, where);
    case BinaryOp::Subtract: return Fit(CommonRank(a->rank, b->rank), x - y, where);
    case BinaryOp::Multiply: return Fit(CommonRank(a->rank, b->rank), x * y, where);
    case BinaryOp::Divide:
      if (y == 0) DivisionByZero();
      return Fit(Rank::Double, x / y, where);
    case BinaryOp::Power: {
      if (x == 0 && y < 0) DivisionByZero();
      const double p = std::pow(x, y);
      if (std::isnan(p)) throw LineError("invalid argument in '^'");
      return Fit(Rank::Double, p, where);
    }
    default: {
      const Number i = IntegerOf(*a, where), j = IntegerOf(*b, where);
      if (j.value == 0) DivisionByZero();
      const auto p = static_cast<int64_t>(i.value), q = static_cast<int64_t>(j.value);
      const int64_t r = op == BinaryOp::IntDivide ? p / q : p % q;
      if (r > INT32_MAX) Overflow(where);  // only the lowest Long divided by -1
      return Fit(std::max(i.rank, j.rank), static_cast<double>(r), where);
    }
  }
}

std::string Joined(const std::string& a, const std::string& b, std::string_view where) {
  CheckTextLength(a.size() + b.size(), where);
  return a + b;
}

// `+`: two texts join, Empty leaves the other side as it is, anything else adds as numbers.
Variant Add(const Variant& left, const Variant& right) {
  const Variant& a = left.Deref();
  const Variant& b = right.Deref();
  const bool aText = a.Type() == VarType::BStr && !a.IsArray(), bText = b.Type() == VarType::BStr && !b.IsArray();
  if (aText && bText) return Variant::Str(Joined(a.AsStr(), b.AsStr(), "+"));
  if (aText && b.Type() == VarType::Empty) return a;
  if (bText && a.Type() == VarType::Empty) return b;
  return Arithmetic(BinaryOp::Add, a, b);
}

// Text of a value as `&` joins it: Null and Empty are no text, a Boolean is True or False.
std::string TextOf(const Variant& operand) {
  const Variant& v = operand.Deref();
  if (v.IsArray()) Mismatch("&");
  switch (v.Type()) {
    case VarType::Null:
    case VarType::Empty: return "";
    case VarType::Bool: return v.ToDisplayString();
    default: {
      Variant text;
      if (v.Type() == VarType::Error || FAILED(v.ChangeType(VarType::BStr, text))) Mismatch("&");
      return text.AsStr();
    }
  }
}

Variant Concat(const Variant& left, const Variant& right) {
  if (left.Deref().Type() == VarType::Null && right.Deref().Type() == VarType::Null) return Variant::Null();
  return Variant::Str(Joined(TextOf(left), TextOf(right), "&"));
}

// Texts by their characters, otherwise as numbers.
int Order(const Variant& left, const Variant& right) {
  const Variant& a = left.Deref();
  const Variant& b = right.Deref();
  if (a.Type() == VarType::BStr && b.Type() == VarType::BStr && !a.IsArray() && !b.IsArray()) {
    const int c = a.AsStr().compare(b.AsStr());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  Variant x, y;
  if (a.IsArray() || b.IsArray() || FAILED(a.ChangeType(VarType::R8, x)) || FAILED(b.ChangeType(VarType::R8, y)))
    throw LineError("type mismatch in comparison");
  return x.AsR8() < y.AsR8() ? -1 : (x.AsR8() > y.AsR8() ? 1 : 0);
}

bool Compare(BinaryOp op, const Variant& left, const Variant& right) {
  const int order = Order(left, right);
  switch (op) {
    case BinaryOp::Equal: return order == 0;
    case BinaryOp::NotEqual: return order != 0;
    case BinaryOp::Less: return order < 0;
    case BinaryOp::Greater: return order > 0;
    case BinaryOp::LessEqual: return order <= 0;
    default: return order >= 0;
  }
}

bool IsBoolean(const Variant& v) { return v.Deref().Type() == VarType::Bool && !v.Deref().IsArray(); }

Variant Bitwise(BinaryOp op, const Variant& left, const Variant& right) {
  const std::string_view where = Symbol(op);
  const auto combine = [op](int32_t x, int32_t y) { return op == BinaryOp::And ? (x & y) : (x | y); };
  if (IsBoolean(left) && IsBoolean(right))
    return Variant::Bool(combine(left.Deref().BoolBits(), right.Deref().BoolBits()) != 0);
  const Number a = IntegerOf(NonNullNumberOf(left, where), where);
  const Number b = IntegerOf(NonNullNumberOf(right, where), where);
  const int32_t bits = combine(static_cast<int32_t>(a.value), static_cast<int32_t>(b.value));
  return Fit(std::max(a.rank, b.rank), bits, where);
}

}  // namespace

void CheckTextLength(size_t length, std::string_view where) {
  if (length > kMaxScriptText)
    throw LineError("out of string space in '" + std::string(where) + "': a text holds at most " +
                    std::to_string(kMaxScriptText) + " bytes");
}

Variant ApplyBinary(BinaryOp op, const Variant& left, const Variant& right) {
  switch (op) {
    case BinaryOp::Add: return Add(left, right);
    case BinaryOp::Concat: return Concat(left, right);
    case BinaryOp::Equal:
    case BinaryOp::NotEqual:
    case BinaryOp::Less:
    case BinaryOp::Greater:
    case BinaryOp::LessEqual:
    case BinaryOp::GreaterEqual: return Variant::Bool(Compare(op, left, right));
    case BinaryOp::And:
    case BinaryOp::Or: return Bitwise(op, left, right);
    default: return Arithmetic(op, left, right);
  }
}

Variant Negate(const Variant& operand) {
  const std::optional<Number> n = NumberOf(operand, "-");
  if (!n) return Variant::Null();
  return Fit(std::max(n->rank, Rank::Integer), -n->value, "-");
}

Variant ApplyNot(const Variant& operand) {
  if (IsBoolean(operand)) return Variant::Bool(!operand.Deref().AsBool());
  const Number n = IntegerOf(NonNullNumberOf(operand, "Not"), "Not");
  const int32_t bits = ~static_cast<int32_t>(n.value);
  if (n.rank == Rank::Byte) return Variant::Byte(static_cast<uint8_t>(bits & 0xFF));
  return Fit(n.rank, bits, "Not");
}

Variant ToNumber(const Variant& operand, std::string_view where) {
  const Number n = NonNullNumberOf(operand, where);
  return Fit(n.rank, n.value, where);
}

}  // namespace vx::control
