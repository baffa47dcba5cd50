// The operators of the script language: the type and value of each result, and the values an
// operator refuses.
#include <gtest/gtest.h>

#include "control/script_lexer.h"
#include "control/script_operators.h"

namespace vx::control {
namespace {

struct Operation {
  const char* what;
  BinaryOp op;
  Variant left, right;
  VarType type;
  std::string shown;
};

TEST(ScriptOperators, ResultsKeepTheNarrowestTypeThatHoldsThem) {
  const Operation cases[] = {
      {"Integer sum", BinaryOp::Add, Variant::I2(2), Variant::I2(3), VarType::I2, "5"},
      {"Integer sum past 32767 becomes Long", BinaryOp::Add, Variant::I2(32767), Variant::I2(1), VarType::I4, "32768"},
      {"Long sum past 2^31-1 becomes Double", BinaryOp::Add, Variant::I4(INT32_MAX), Variant::I2(1), VarType::R8,
       "2147483648"},
      {"Long product past the range becomes Double", BinaryOp::Multiply, Variant::I4(65536), Variant::I4(65536),
       VarType::R8, "4294967296"},
      {"Byte difference below 0 becomes Integer", BinaryOp::Subtract, Variant::Byte(1), Variant::Byte(2), VarType::I2,
       "-1"},
      {"Byte sum in range stays Byte", BinaryOp::Add, Variant::Byte(100), Variant::Byte(155), VarType::UI1, "255"},
      {"Single with Long is Double", BinaryOp::Add, Variant::R4(0.5f), Variant::I4(1), VarType::R8, "1.5"},
      {"Single with Integer stays Single", BinaryOp::Multiply, Variant::R4(0.5f), Variant::I2(3), VarType::R4, "1.5"},
      {"Boolean counts as Integer -1", BinaryOp::Add, Variant::Bool(true), Variant::Bool(true), VarType::I2, "-2"},
      {"two texts join", BinaryOp::Add, Variant::Str("ab"), Variant::Str("cd"), VarType::BStr, "abcd"},
      {"numeric text adds as Double", BinaryOp::Add, Variant::Str("1.5"), Variant::I2(1), VarType::R8, "2.5"},
      {"Empty leaves the text", BinaryOp::Add, Variant(), Variant::Str("x"), VarType::BStr, "x"},
      {"Null passes through", BinaryOp::Multiply, Variant::Null(), Variant::I2(2), VarType::Null, "Null"},
      {"/ of integers is Double", BinaryOp::Divide, Variant::I2(1), Variant::I2(4), VarType::R8, "0.25"},
      {"^ is Double", BinaryOp::Power, Variant::I2(2), Variant::I2(10), VarType::R8, "1024"},
      {"^ with a negative exponent", BinaryOp::Power, Variant::I2(2), Variant::I2(-1), VarType::R8, "0.5"},
      {"\\ rounds 2.5 down to even", BinaryOp::IntDivide, Variant::R8(2.5), Variant::I2(1), VarType::I4, "2"},
      {"\\ rounds 3.5 up to even", BinaryOp::IntDivide, Variant::R8(3.5), Variant::I2(1), VarType::I4, "4"},
      {"\\ truncates toward zero", BinaryOp::IntDivide, Variant::I2(-7), Variant::I2(2), VarType::I2, "-3"},
      {"\\ of Bytes stays Byte", BinaryOp::IntDivide, Variant::Byte(200), Variant::Byte(3), VarType::UI1, "66"},
      {"\\ of the lowest Integer by -1 becomes Long", BinaryOp::IntDivide, Variant::I2(INT16_MIN), Variant::I2(-1),
       VarType::I4, "32768"},
      {"Mod takes the dividend's sign", BinaryOp::Modulo, Variant::I2(-7), Variant::I2(3), VarType::I2, "-1"},
      {"Mod with a negative divisor", BinaryOp::Modulo, Variant::I2(7), Variant::I2(-3), VarType::I2, "1"},
      {"Mod rounds its operands", BinaryOp::Modulo, Variant::R8(10.5), Variant::R8(3.5), VarType::I4, "2"},
      {"& turns numbers into text", BinaryOp::Concat, Variant::I2(1), Variant::R8(2.5), VarType::BStr, "12.5"},
      {"& spells Booleans", BinaryOp::Concat, Variant::Bool(true), Variant::Str("!"), VarType::BStr, "True!"},
      {"& treats Null as no text", BinaryOp::Concat, Variant::Null(), Variant::Str("a"), VarType::BStr, "a"},
      {"And of Booleans is Boolean", BinaryOp::And, Variant::Bool(true), Variant::Bool(false), VarType::Bool, "False"},
      {"Or of Booleans is Boolean", BinaryOp::Or, Variant::Bool(true), Variant::Bool(false), VarType::Bool, "True"},
      {"And is bitwise on integers", BinaryOp::And, Variant::I2(12), Variant::I2(10), VarType::I2, "8"},
      {"Or is bitwise on integers", BinaryOp::Or, Variant::I4(12), Variant::I2(3), VarType::I4, "15"},
      {"And with True keeps the other's bits", BinaryOp::And, Variant::Bool(true), Variant::I2(6), VarType::I2, "6"},
      {"text comparison is case-sensitive", BinaryOp::Equal, Variant::Str("a"), Variant::Str("A"), VarType::Bool,
       "False"},
      {"numeric text compares as a number", BinaryOp::Less, Variant::Str("9"), Variant::I2(10), VarType::Bool, "True"},
      {"texts compare by characters", BinaryOp::Less, Variant::Str("9"), Variant::Str("10"), VarType::Bool, "False"},
  };
  for (const Operation& c : cases) {
    const Variant r = ApplyBinary(c.op, c.left, c.right);
    EXPECT_EQ(r.Type(), c.type) << c.what;
    EXPECT_EQ(r.ToDisplayString(), c.shown) << c.what;
  }
}

TEST(ScriptOperators, UnaryOperatorsKeepOrWidenTheType) {
  struct Case {
    const char* what;
    Variant result;
    VarType type;
    std::string shown;
  };
  const Case cases[] = {
      {"- of an Integer", Negate(Variant::I2(5)), VarType::I2, "-5"},
      {"- of the lowest Integer is Long", Negate(Variant::I2(INT16_MIN)), VarType::I4, "32768"},
      {"- of the lowest Long is Double", Negate(Variant::I4(INT32_MIN)), VarType::R8, "2147483648"},
      {"- of a Byte is Integer", Negate(Variant::Byte(5)), VarType::I2, "-5"},
      {"- of True is 1", Negate(Variant::Bool(true)), VarType::I2, "1"},
      {"- of a Single", Negate(Variant::R4(1.5f)), VarType::R4, "-1.5"},
      {"Not of a Boolean", ApplyNot(Variant::Bool(false)), VarType::Bool, "True"},
      {"Not of 0 is -1", ApplyNot(Variant::I2(0)), VarType::I2, "-1"},
      {"Not of a Byte stays within a Byte", ApplyNot(Variant::Byte(0x0F)), VarType::UI1, "240"},
      {"Not rounds a Double into a Long", ApplyNot(Variant::R8(1.5)), VarType::I4, "-3"},
      {"a numeric text as a number", ToNumber(Variant::Str(" 12 "), "For"), VarType::R8, "12"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result.Type(), c.type) << c.what;
    EXPECT_EQ(c.result.ToDisplayString(), c.shown) << c.what;
  }
}

TEST(ScriptOperators, RefusedOperandsAreLineErrors) {
  struct Case {
    const char* what;
    BinaryOp op;
    Variant left, right;
    std::string message;
  };
  const Case cases[] = {
      {"/ by zero", BinaryOp::Divide, Variant::I2(1), Variant::I2(0), "division by zero"},
      {"0 / 0", BinaryOp::Divide, Variant::I2(0), Variant::R8(0), "division by zero"},
      {"\\ by zero", BinaryOp::IntDivide, Variant::I2(1), Variant::I2(0), "division by zero"},
      {"Mod by a value rounding to zero", BinaryOp::Modulo, Variant::I2(1), Variant::R8(0.4), "division by zero"},
      {"0 ^ -1", BinaryOp::Power, Variant::I2(0), Variant::I2(-1), "division by zero"},
      {"negative base, fractional power", BinaryOp::Power, Variant::I2(-8), Variant::R8(0.5),
       "invalid argument in '^'"},
      {"Double overflow", BinaryOp::Multiply, Variant::R8(1e308), Variant::I2(10), "overflow in '*'"},
      {"lowest Long \\ -1", BinaryOp::IntDivide, Variant::I4(INT32_MIN), Variant::I2(-1), "overflow in '\\'"},
      {"\\ of a Double beyond Long", BinaryOp::IntDivide, Variant::R8(3e9), Variant::I2(1), "overflow in '\\'"},
      {"text times number", BinaryOp::Multiply, Variant::Str("abc"), Variant::I2(2), "type mismatch in '*'"},
      {"text minus text", BinaryOp::Subtract, Variant::Str("1"), Variant::Str("x"), "type mismatch in '-'"},
      {"array in a sum", BinaryOp::Add, Variant::Array(TypedArray<int32_t>{}), Variant::I2(1), "type mismatch in '+'"},
      {"array joined as text", BinaryOp::Concat, Variant::Array(TypedArray<int32_t>{}), Variant::I2(1),
       "type mismatch in '&'"},
      {"Null in And", BinaryOp::And, Variant::Null(), Variant::Bool(true), "invalid use of Null in 'And'"},
      {"text with a number compared", BinaryOp::Less, Variant::Str("x"), Variant::I2(1), "type mismatch in comparison"},
  };
  for (const Case& c : cases) {
    try {
      ApplyBinary(c.op, c.left, c.right);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const LineError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.what;
    }
  }
}

}  // namespace
}  // namespace vx::control

namespace vx::control {
namespace {

// A few lines that double a text would otherwise ask for more memory than any host has.
TEST(ScriptOperators, TextsStopAtTheLongestAScriptBuilds) {
  const Variant half = Variant::Str(std::string(kMaxScriptText / 2, 'x'));
  EXPECT_EQ(ApplyBinary(BinaryOp::Concat, half, half).AsStr().size(), kMaxScriptText);
  const Variant more = Variant::Str(std::string(kMaxScriptText / 2 + 1, 'x'));
  for (BinaryOp op : {BinaryOp::Concat, BinaryOp::Add}) {
    try {
      ApplyBinary(op, more, half);
      ADD_FAILURE() << "a text past the limit was made";
    } catch (const LineError& e) {
      EXPECT_NE(std::string(e.what()).find("out of string space"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vx::control
