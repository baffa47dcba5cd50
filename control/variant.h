// The automation value that crosses the dispatch interface: the scalar types of the member table,
// arrays of up to three dimensions with lower bounds, and references to a host's variable or array.
// Coercion between the types follows the rules of the platform's VariantChangeType.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/kernel/win_types.h"

namespace vx::control {

enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  I2 = 2,
  I4 = 3,
  R4 = 4,
  R8 = 5,
  Date = 7,
  BStr = 8,
  Dispatch = 9,  // an object, here a picture or stream, carried as its 32-bit handle
  Error = 10,
  Bool = 11,
  Variant = 12,  // only as the element named by a reference
  Unknown = 13,
  UI1 = 17,
};

// One dimension of an array: its lower bound and its number of elements.
struct ArrayDimension {
  int32_t lower = 0;
  int32_t count = 0;
};

template <class T>
struct TypedArray {
  std::vector<ArrayDimension> dims;  // first index runs fastest; empty for an array without storage
  std::vector<T> data;
};

// An array with its element type: Byte, Long, Double or String elements.
using SafeArray = std::variant<TypedArray<uint8_t>, TypedArray<int32_t>, TypedArray<double>,
                               TypedArray<std::string>>;

constexpr int kMaxArrayRank = 3;

// Element type of an array (UI1, I4, R8 or BStr).
VarType ElementType(const SafeArray& array);
// Checks rank and sizes and allocates the storage; false when the shape is refused.
bool ShapeArray(SafeArray& array, std::vector<ArrayDimension> dims);
// An array without storage whose elements are `element` (UI1, I4, R8 or BStr); false for another type.
bool ArrayOf(VarType element, SafeArray& out);

// A read of a variant's value as a type it does not hold: a fault of the caller, never of a script.
struct BadVariantAccess : std::logic_error {
  using std::logic_error::logic_error;
};

// The missing-argument marker: an Error value carrying DISP_E_PARAMNOTFOUND.
struct Missing {};

class Variant {
 public:
  Variant() = default;
  Variant(Missing);
  static Variant Null();
  static Variant I2(int16_t v);
  static Variant I4(int32_t v);
  static Variant R4(float v);
  static Variant R8(double v);
  static Variant Bool(bool v);
  static Variant Byte(uint8_t v);
  static Variant Str(std::string v);
  static Variant Date(double v);
  static Variant Object(VarType kind, uint32_t handle);  // Dispatch or Unknown
  static Variant ErrorCode(HRESULT scode);
  static Variant Array(SafeArray array);
  // A reference to the host's own variable; reads and writes through it reach that variable.
  static Variant RefTo(Variant& target);
  // A reference to the host's own array.
  static Variant RefToArray(SafeArray& target);

  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&&) noexcept = default;
  Variant& operator=(Variant&&) noexcept = default;

  // For an array, Type() is its element type and IsArray() is true; for a reference to a
  // variable it is VarType::Variant (Deref() gives the variable).
  VarType Type() const { return type_; }
  bool IsArray() const { return array_ != nullptr || refArray_ != nullptr; }
  bool IsRef() const { return ref_ != nullptr || refArray_ != nullptr; }
  bool IsMissing() const;

  // The value itself: a reference is followed (once; a reference to a reference is refused).
  const Variant& Deref() const;
  Variant& Deref();
  // The array held or referenced, or null.
  SafeArray* ArrayPtr();
  const SafeArray* ArrayPtr() const;

  // The value of each type, checked: reading a value of another type, an array or a reference
  // throws BadVariantAccess instead of reading a stray union member.
  int16_t AsI2() const { return Checked(VarType::I2).i2; }
  int32_t AsI4() const { return Checked(VarType::I4).i4; }
  float AsR4() const { return Checked(VarType::R4).r4; }
  double AsR8() const { return Checked(VarType::R8).r8; }
  double AsDate() const { return Checked(VarType::Date).r8; }
  bool AsBool() const { return Checked(VarType::Bool).i2 != 0; }
  int16_t BoolBits() const { return Checked(VarType::Bool).i2; }  // -1 for true, 0 for false
  uint8_t AsUI1() const { return Checked(VarType::UI1).ui1; }
  uint32_t AsHandle() const;  // Dispatch or Unknown
  HRESULT AsScode() const { return Checked(VarType::Error).scode; }
  const std::string& AsStr() const;

  // Converts to another scalar type as VariantChangeType would; S_OK, DISP_E_TYPEMISMATCH or
  // DISP_E_OVERFLOW. A reference converts its target's value.
  HRESULT ChangeType(VarType to, Variant& out) const;

  // The value as text the way a script prints it (numbers with "." as the decimal separator).
  std::string ToDisplayString() const;

 private:
  union Payload {
    int16_t i2;  // also a Boolean's bits
    int32_t i4;
    float r4;
    double r8;  // also a Date
    uint8_t ui1;
    uint32_t handle;
    HRESULT scode;
  };

  // The union after a check of the type tag; throws BadVariantAccess when it does not match.
  const Payload& Checked(VarType wanted) const;

  VarType type_ = VarType::Empty;
  Payload value_{.r8 = 0};
  std::string str_;
  std::unique_ptr<SafeArray> array_;
  Variant* ref_ = nullptr;
  SafeArray* refArray_ = nullptr;

  void CopyFrom(const Variant& other);
};

// The arrays' storage, element by element.
const std::vector<ArrayDimension>& Dimensions(const SafeArray& array);
size_t ElementCount(const SafeArray& array);
// The position in storage of the element at `indices`, one per dimension, the first running
// fastest; false when their number differs from the rank or one is outside its bounds.
bool FlatIndex(const SafeArray& array, const std::vector<int32_t>& indices, size_t& flat);
// The element at a position in storage, as a scalar variant of the element type.
Variant ElementAt(const SafeArray& array, size_t flat);
// Converts `value` to the element type and stores it; S_OK, DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW.
HRESULT StoreElement(SafeArray& array, size_t flat, const Variant& value);
// The same shape with every element converted to `element`, through the scalar coercion.
HRESULT ConvertArray(const SafeArray& from, VarType element, SafeArray& out);

// Text of a number as a script shows it: integers plainly, Singles to 7 and Doubles to 15
// significant digits, without trailing zeros.
std::string FormatNumber(double value, int significantDigits);

}  // namespace vx::control
