// Coercion of variants as VariantChangeType does it, arrays with bounds, and references.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "control/com_errors.h"
#include "control/variant.h"

namespace vx::control {
namespace {

struct Coercion {
  const char* what;
  Variant from;
  VarType to;
  HRESULT hr;
  std::string shown;  // the converted value as a script shows it
};

TEST(Variant, ChangeTypeFollowsThePlatformRules) {
  const Coercion cases[] = {
      {"decimal text", Variant::Str("12.5"), VarType::R8, S_OK, "12.5"},
      {"text with blanks", Variant::Str(" 42 "), VarType::I4, S_OK, "42"},
      {"exponent text", Variant::Str("1e3"), VarType::I4, S_OK, "1000"},
      {"hexadecimal text", Variant::Str("&HFF"), VarType::I4, S_OK, "255"},
      {"&HFFFF is a 16-bit -1", Variant::Str("&HFFFF"), VarType::I4, S_OK, "-1"},
      {"not a number", Variant::Str("abc"), VarType::I4, DISP_E_TYPEMISMATCH, ""},
      {"empty text", Variant::Str(""), VarType::R8, DISP_E_TYPEMISMATCH, ""},
      {"comma is no decimal point", Variant::Str("1,5"), VarType::R8, DISP_E_TYPEMISMATCH, ""},
      {"text too large for Integer", Variant::Str("70000"), VarType::I2, DISP_E_OVERFLOW, ""},
      {"half rounds to even (down)", Variant::R8(2.5), VarType::I4, S_OK, "2"},
      {"half rounds to even (up)", Variant::R8(3.5), VarType::I4, S_OK, "4"},
      {"negative half", Variant::R8(-2.5), VarType::I2, S_OK, "-2"},
      {"Long into Byte", Variant::I4(300), VarType::UI1, DISP_E_OVERFLOW, ""},
      {"negative into Byte", Variant::I4(-1), VarType::UI1, DISP_E_OVERFLOW, ""},
      {"Double beyond Long", Variant::R8(2147483648.0), VarType::I4, DISP_E_OVERFLOW, ""},
      {"Double beyond Single", Variant::R8(1e40), VarType::R4, DISP_E_OVERFLOW, ""},
      {"NaN into Long", Variant::R8(std::numeric_limits<double>::quiet_NaN()), VarType::I4, DISP_E_OVERFLOW, ""},
      {"True is -1", Variant::Bool(true), VarType::I4, S_OK, "-1"},
      {"non-zero is True", Variant::I4(5), VarType::Bool, S_OK, "True"},
      {"zero is False", Variant::R8(0.0), VarType::Bool, S_OK, "False"},
      {"text True", Variant::Str("true"), VarType::Bool, S_OK, "True"},
      {"text False", Variant::Str("False"), VarType::Bool, S_OK, "False"},
      {"Null into Long", Variant::Null(), VarType::I4, DISP_E_TYPEMISMATCH, ""},
      {"Null into text", Variant::Null(), VarType::BStr, DISP_E_TYPEMISMATCH, ""},
      {"Empty into Long", Variant(), VarType::I4, S_OK, "0"},
      {"Empty into text", Variant(), VarType::BStr, S_OK, ""},
      {"Single into text", Variant::R4(0.1f), VarType::BStr, S_OK, "0.1"},
      {"Double into text", Variant::R8(1.0 / 3), VarType::BStr, S_OK, "0.333333333333333"},
      {"False into text", Variant::Bool(false), VarType::BStr, S_OK, "0"},
      {"True into text", Variant::Bool(true), VarType::BStr, S_OK, "-1"},
      {"number into object", Variant::I4(5), VarType::Dispatch, DISP_E_TYPEMISMATCH, ""},
      {"missing argument into Long", Variant(Missing{}), VarType::I4, DISP_E_TYPEMISMATCH, ""},
      {"picture into Long gives its handle", Variant::Object(VarType::Dispatch, 77), VarType::I4, S_OK, "77"},
  };
  for (const Coercion& c : cases) {
    Variant out;
    EXPECT_EQ(c.from.ChangeType(c.to, out), c.hr) << c.what;
    if (c.hr == S_OK) {
      EXPECT_EQ(out.Type(), c.to) << c.what;
      EXPECT_EQ(out.ToDisplayString(), c.shown) << c.what;
    }
  }
}

TEST(Variant, BooleansAreSixteenBitMinusOneAndZero) {
  EXPECT_EQ(Variant::Bool(true).BoolBits(), -1);
  EXPECT_EQ(Variant::Bool(false).BoolBits(), 0);
}

TEST(Variant, NumbersShowWithAPointAndNoTrailingZeros) {
  EXPECT_EQ(FormatNumber(-2.5, 15), "-2.5");
  EXPECT_EQ(FormatNumber(1e20, 15), "1E+20");
  EXPECT_EQ(FormatNumber(123456789, 15), "123456789");
  EXPECT_EQ(FormatNumber(static_cast<float>(99.0f), 7), "99");
}

TEST(Variant, ArraysHaveUpToThreeDimensionsWithLowerBounds) {
  SafeArray a{TypedArray<int32_t>{}};
  ASSERT_TRUE(ShapeArray(a, {{1, 2}, {-1, 3}, {0, 4}}));
  EXPECT_EQ(std::get<TypedArray<int32_t>>(a).data.size(), 24u);
  EXPECT_EQ(std::get<TypedArray<int32_t>>(a).dims[1].lower, -1);
  EXPECT_FALSE(ShapeArray(a, {{0, 1}, {0, 1}, {0, 1}, {0, 1}}));        // four dimensions
  EXPECT_FALSE(ShapeArray(a, {{0, -1}}));                               // negative count
  EXPECT_FALSE(ShapeArray(a, {{0, 1 << 16}, {0, 1 << 16}}));            // 2^32 elements
  EXPECT_FALSE(ShapeArray(a, {{std::numeric_limits<int32_t>::max(), 2}}));  // upper bound overflows
  EXPECT_EQ(ElementType(SafeArray{TypedArray<std::string>{}}), VarType::BStr);

  Variant held = Variant::Array(SafeArray{TypedArray<uint8_t>{{{0, 2}}, {1, 2}}});
  Variant out;
  EXPECT_EQ(held.ChangeType(VarType::I4, out), DISP_E_TYPEMISMATCH);
  Variant copy = held;  // arrays are copied, not shared
  std::get<TypedArray<uint8_t>>(*copy.ArrayPtr()).data[0] = 9;
  EXPECT_EQ(std::get<TypedArray<uint8_t>>(*held.ArrayPtr()).data[0], 1);
}

TEST(Variant, ValuesAreReadOnlyAsTheTypeTheyHold) {
  Variant target = Variant::I4(1);
  struct Case {
    const char* what;
    std::function<void()> read;
  };
  const Case wrong[] = {
      {"Long read as Integer", [] { (void)Variant::I4(70000).AsI2(); }},
      {"Integer read as Long", [] { (void)Variant::I2(1).AsI4(); }},
      {"Date read as Double", [] { (void)Variant::Date(2.0).AsR8(); }},
      {"Double read as Date", [] { (void)Variant::R8(2.0).AsDate(); }},
      {"text read as Boolean", [] { (void)Variant::Str("True").AsBool(); }},
      {"number read as text", [] { (void)Variant::I2(1).AsStr(); }},
      {"Empty read as Long", [] { (void)Variant().AsI4(); }},
      {"Long read as a handle", [] { (void)Variant::I4(1).AsHandle(); }},
      {"Missing read as Long", [] { (void)Variant(Missing{}).AsI4(); }},
      {"array of Longs read as a Long", [] { (void)Variant::Array(SafeArray{TypedArray<int32_t>{{{0, 1}}, {5}}}).AsI4(); }},
      {"reference read as its target's type", [&target] { (void)Variant::RefTo(target).AsI4(); }},
  };
  for (const Case& c : wrong) EXPECT_THROW(c.read(), BadVariantAccess) << c.what;

  EXPECT_EQ(Variant::Date(2.5).AsDate(), 2.5);
  EXPECT_EQ(Variant::Object(VarType::Unknown, 9).AsHandle(), 9u);
  EXPECT_EQ(Variant(Missing{}).AsScode(), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(Variant::RefTo(target).Deref().AsI4(), 1);
  // A copy carries the value of its own type, whatever the other union members held before.
  Variant copy = Variant::R8(-1.0);
  copy = Variant::Byte(200);
  EXPECT_EQ(copy.AsUI1(), 200);
}

TEST(Variant, ArrayElementsAreFoundByTheirBoundsAndConvertedOneByOne) {
  SafeArray a{TypedArray<double>{}};
  ASSERT_TRUE(ShapeArray(a, {{1, 2}, {-1, 3}}));
  std::get<TypedArray<double>>(a).data = {0.5, 1.5, 2.5, 3.5, 300, -1};
  struct Index {
    std::vector<int32_t> at;
    bool found;
    size_t flat;
  };
  const Index indices[] = {
      {{1, -1}, true, 0}, {{2, -1}, true, 1}, {{1, 0}, true, 2}, {{2, 1}, true, 5},
      {{0, -1}, false, 0}, {{3, -1}, false, 0}, {{1, -2}, false, 0}, {{1, 2}, false, 0},
      {{1}, false, 0},    {{1, -1, 0}, false, 0},
  };
  for (const Index& i : indices) {
    size_t flat = 99;
    EXPECT_EQ(FlatIndex(a, i.at, flat), i.found) << ::testing::PrintToString(i.at);
    if (i.found) {
      EXPECT_EQ(flat, i.flat) << ::testing::PrintToString(i.at);
    }
  }
  EXPECT_EQ(ElementAt(a, 3).AsR8(), 3.5);

  SafeArray text;
  ASSERT_EQ(ConvertArray(a, VarType::BStr, text), S_OK);
  EXPECT_EQ(Dimensions(text)[1].lower, -1);
  EXPECT_EQ(std::get<TypedArray<std::string>>(text).data[1], "1.5");
  SafeArray longs;
  ASSERT_EQ(ConvertArray(a, VarType::I4, longs), S_OK);
  EXPECT_EQ(std::get<TypedArray<int32_t>>(longs).data, (std::vector<int32_t>{0, 2, 2, 4, 300, -1}));  // halves to even
  SafeArray bytes;
  EXPECT_EQ(ConvertArray(a, VarType::UI1, bytes), DISP_E_OVERFLOW);  // 300 and -1
  EXPECT_EQ(ConvertArray(a, VarType::Bool, bytes), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(StoreElement(text, 0, Variant::Bool(true)), S_OK);
  EXPECT_EQ(std::get<TypedArray<std::string>>(text).data[0], "-1");
  EXPECT_EQ(StoreElement(longs, 0, Variant::Str("x")), DISP_E_TYPEMISMATCH);
}

TEST(Variant, ReferencesReachTheHostsVariable) {
  Variant target = Variant::I4(5);
  Variant ref = Variant::RefTo(target);
  EXPECT_TRUE(ref.IsRef());
  Variant out;
  ASSERT_EQ(ref.ChangeType(VarType::BStr, out), S_OK);
  EXPECT_EQ(out.AsStr(), "5");
  EXPECT_FALSE(out.IsRef());
  ref.Deref() = Variant::Str("changed");
  EXPECT_EQ(target.AsStr(), "changed");

  SafeArray host{TypedArray<double>{}};
  Variant arrayRef = Variant::RefToArray(host);
  EXPECT_EQ(arrayRef.ArrayPtr(), &host);
  EXPECT_EQ(arrayRef.Type(), VarType::R8);
}

}  // namespace
}  // namespace vx::control
