#include "control/variant.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "control/com_errors.h"

namespace vx::control {

VarType ElementType(const SafeArray& array) {
  static constexpr VarType kTypes[] = {VarType::UI1, VarType::I4, VarType::R8, VarType::BStr};
  return kTypes[array.index()];
}

bool ShapeArray(SafeArray& array, std::vector<ArrayDimension> dims) {
  if (dims.size() > static_cast<size_t>(kMaxArrayRank)) return false;
  size_t total = dims.empty() ? 0 : 1;
  for (const ArrayDimension& d : dims) {
    if (d.count < 0) return false;
    // Bounded so that a hostile shape cannot ask for more than 2^28 elements.
    if (d.count > 0 && total > (size_t{1} << 28) / static_cast<size_t>(d.count)) return false;
    if (static_cast<int64_t>(d.lower) + d.count - 1 > std::numeric_limits<int32_t>::max()) return false;
    total *= static_cast<size_t>(d.count);
  }
  std::visit(
      [&](auto& a) {
        a.dims = std::move(dims);
        a.data.assign(total, {});
      },
      array);
  return true;
}

bool ArrayOf(VarType element, SafeArray& out) {
  switch (element) {
    case VarType::UI1: out = TypedArray<uint8_t>{}; return true;
    case VarType::I4: out = TypedArray<int32_t>{}; return true;
    case VarType::R8: out = TypedArray<double>{}; return true;
    case VarType::BStr: out = TypedArray<std::string>{}; return true;
    default: return false;
  }
}

const std::vector<ArrayDimension>& Dimensions(const SafeArray& array) {
  return std::visit([](const auto& a) -> const std::vector<ArrayDimension>& { return a.dims; }, array);
}

size_t ElementCount(const SafeArray& array) {
  return std::visit([](const auto& a) { return a.data.size(); }, array);
}

bool FlatIndex(const SafeArray& array, const std::vector<int32_t>& indices, size_t& flat) {
  const std::vector<ArrayDimension>& dims = Dimensions(array);
  if (dims.empty() || indices.size() != dims.size()) return false;
  size_t position = 0, stride = 1;
  for (size_t d = 0; d < dims.size(); ++d) {
    const int64_t offset = static_cast<int64_t>(indices[d]) - dims[d].lower;
    if (offset < 0 || offset >= dims[d].count) return false;
    position += static_cast<size_t>(offset) * stride;
    stride *= static_cast<size_t>(dims[d].count);
  }
  flat = position;
  return true;
}

Variant ElementAt(const SafeArray& array, size_t flat) {
  struct AsVariant {
    size_t at;
    Variant operator()(const TypedArray<uint8_t>& a) const { return Variant::Byte(a.data.at(at)); }
    Variant operator()(const TypedArray<int32_t>& a) const { return Variant::I4(a.data.at(at)); }
    Variant operator()(const TypedArray<double>& a) const { return Variant::R8(a.data.at(at)); }
    Variant operator()(const TypedArray<std::string>& a) const { return Variant::Str(a.data.at(at)); }
  };
  return std::visit(AsVariant{flat}, array);
}

HRESULT StoreElement(SafeArray& array, size_t flat, const Variant& value) {
  Variant converted;
  if (HRESULT hr = value.ChangeType(ElementType(array), converted); FAILED(hr)) return hr;
  struct Store {
    size_t at;
    const Variant& v;
    void operator()(TypedArray<uint8_t>& a) const { a.data.at(at) = v.AsUI1(); }
    void operator()(TypedArray<int32_t>& a) const { a.data.at(at) = v.AsI4(); }
    void operator()(TypedArray<double>& a) const { a.data.at(at) = v.AsR8(); }
    void operator()(TypedArray<std::string>& a) const { a.data.at(at) = v.AsStr(); }
  };
  std::visit(Store{flat, converted}, array);
  return S_OK;
}

HRESULT ConvertArray(const SafeArray& from, VarType element, SafeArray& out) {
  if (ElementType(from) == element) {
    out = from;
    return S_OK;
  }
  SafeArray converted;
  if (!ArrayOf(element, converted)) return DISP_E_TYPEMISMATCH;
  if (!Dimensions(from).empty() && !ShapeArray(converted, Dimensions(from))) return DISP_E_OVERFLOW;
  for (size_t i = 0; i < ElementCount(from); ++i)
    if (HRESULT hr = StoreElement(converted, i, ElementAt(from, i)); FAILED(hr)) return hr;
  out = std::move(converted);
  return S_OK;
}

Variant::Variant(Missing) : type_(VarType::Error) { value_.scode = DISP_E_PARAMNOTFOUND; }

Variant Variant::Null() {
  Variant v;
  v.type_ = VarType::Null;
  return v;
}
Variant Variant::I2(int16_t x) {
  Variant v;
  v.type_ = VarType::I2;
  v.value_.i2 = x;
  return v;
}
Variant Variant::I4(int32_t x) {
  Variant v;
  v.type_ = VarType::I4;
  v.value_.i4 = x;
  return v;
}
Variant Variant::R4(float x) {
  Variant v;
  v.type_ = VarType::R4;
  v.value_.r4 = x;
  return v;
}
Variant Variant::R8(double x) {
  Variant v;
  v.type_ = VarType::R8;
  v.value_.r8 = x;
  return v;
}
Variant Variant::Bool(bool x) {
  Variant v;
  v.type_ = VarType::Bool;
  v.value_.i2 = x ? -1 : 0;
  return v;
}
Variant Variant::Byte(uint8_t x) {
  Variant v;
  v.type_ = VarType::UI1;
  v.value_.ui1 = x;
  return v;
}
Variant Variant::Str(std::string x) {
  Variant v;
  v.type_ = VarType::BStr;
  v.str_ = std::move(x);
  return v;
}
Variant Variant::Date(double x) {
  Variant v;
  v.type_ = VarType::Date;
  v.value_.r8 = x;
  return v;
}
Variant Variant::Object(VarType kind, uint32_t handle) {
  Variant v;
  v.type_ = kind == VarType::Unknown ? VarType::Unknown : VarType::Dispatch;
  v.value_.handle = handle;
  return v;
}
Variant Variant::ErrorCode(HRESULT scode) {
  Variant v;
  v.type_ = VarType::Error;
  v.value_.scode = scode;
  return v;
}
Variant Variant::Array(SafeArray array) {
  Variant v;
  v.array_ = std::make_unique<SafeArray>(std::move(array));
  v.type_ = ElementType(*v.array_);
  return v;
}
Variant Variant::RefTo(Variant& target) {
  Variant v;
  v.type_ = VarType::Variant;
  v.ref_ = &target;
  return v;
}
Variant Variant::RefToArray(SafeArray& target) {
  Variant v;
  v.type_ = ElementType(target);
  v.refArray_ = &target;
  return v;
}

Variant::Variant(const Variant& other) { CopyFrom(other); }

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) CopyFrom(other);
  return *this;
}

void Variant::CopyFrom(const Variant& other) {
  type_ = other.type_;
  value_ = other.value_;
  str_ = other.str_;
  array_ = other.array_ ? std::make_unique<SafeArray>(*other.array_) : nullptr;
  ref_ = other.ref_;
  refArray_ = other.refArray_;
}

namespace {

const char* TypeName(VarType t) {
  switch (t) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::I2: return "Integer";
    case VarType::I4: return "Long";
    case VarType::R4: return "Single";
    case VarType::R8: return "Double";
    case VarType::Date: return "Date";
    case VarType::BStr: return "String";
    case VarType::Dispatch: return "Object";
    case VarType::Error: return "Error";
    case VarType::Bool: return "Boolean";
    case VarType::Variant: return "reference";
    case VarType::Unknown: return "Unknown";
    case VarType::UI1: return "Byte";
  }
  return "unknown type";
}

}  // namespace

const Variant::Payload& Variant::Checked(VarType wanted) const {
  if (type_ != wanted || IsArray() || IsRef())
    throw BadVariantAccess(std::string("variant holding ") + (IsArray() ? "an array of " : "") + TypeName(type_) +
                           " read as " + TypeName(wanted));
  return value_;
}

uint32_t Variant::AsHandle() const {
  return Checked(type_ == VarType::Unknown ? VarType::Unknown : VarType::Dispatch).handle;
}

const std::string& Variant::AsStr() const {
  Checked(VarType::BStr);
  return str_;
}

bool Variant::IsMissing() const {
  const Variant& v = Deref();
  return v.type_ == VarType::Error && !v.IsArray() && v.value_.scode == DISP_E_PARAMNOTFOUND;
}

const Variant& Variant::Deref() const { return ref_ ? *ref_ : *this; }
Variant& Variant::Deref() { return ref_ ? *ref_ : *this; }

SafeArray* Variant::ArrayPtr() {
  Variant& v = Deref();
  return v.refArray_ ? v.refArray_ : v.array_.get();
}
const SafeArray* Variant::ArrayPtr() const {
  const Variant& v = Deref();
  return v.refArray_ ? v.refArray_ : v.array_.get();
}

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Numeric text as the platform reads it with "." as the decimal separator; "&H" and "&O" prefixes
// give hexadecimal and octal integers. DISP_E_TYPEMISMATCH when it is not a number.
HRESULT ParseNumber(std::string_view text, double& out) {
  std::string_view s = Trim(text);
  if (s.empty()) return DISP_E_TYPEMISMATCH;
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
    const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
    uint32_t v = 0;
    auto [p, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, base);
    if (ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
    if (ec != std::errc() || p != s.data() + s.size()) return DISP_E_TYPEMISMATCH;
    out = v <= 0xFFFFu ? static_cast<int16_t>(v) : static_cast<int32_t>(v);  // as the platform: &HFFFF is -1
    return S_OK;
  }
  if (s.front() == '+') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (ec != std::errc() || p != s.data() + s.size()) return DISP_E_TYPEMISMATCH;
  if (!std::isfinite(out)) return DISP_E_TYPEMISMATCH;
  return S_OK;
}

// The value of a scalar as a double, the way every numeric conversion sees it.
HRESULT NumericValue(const Variant& v, double& out) {
  switch (v.Type()) {
    case VarType::Empty: out = 0; return S_OK;
    case VarType::I2: out = v.AsI2(); return S_OK;
    case VarType::I4: out = v.AsI4(); return S_OK;
    case VarType::R4: out = v.AsR4(); return S_OK;
    case VarType::R8: out = v.AsR8(); return S_OK;
    case VarType::Date: out = v.AsDate(); return S_OK;
    case VarType::Bool: out = v.BoolBits(); return S_OK;
    case VarType::UI1: out = v.AsUI1(); return S_OK;
    case VarType::Dispatch: out = static_cast<int32_t>(v.AsHandle()); return S_OK;
    case VarType::BStr: {
      if (EqualsNoCase(Trim(v.AsStr()), "True")) { out = -1; return S_OK; }
      if (EqualsNoCase(Trim(v.AsStr()), "False")) { out = 0; return S_OK; }
      return ParseNumber(v.AsStr(), out);
    }
    default: return DISP_E_TYPEMISMATCH;
  }
}

// Rounds half to even and checks the range of the target integer type.
template <class T>
HRESULT ToInteger(double x, T& out) {
  if (std::isnan(x)) return DISP_E_OVERFLOW;
  const double r = std::nearbyint(x);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    return DISP_E_OVERFLOW;
  out = static_cast<T>(r);
  return S_OK;
}

// Text of a scalar as VariantChangeType gives it without flags: a Boolean is "-1" or "0".
std::string ScalarText(const Variant& v) {
  switch (v.Type()) {
    case VarType::I2: return std::to_string(v.AsI2());
    case VarType::I4: return std::to_string(v.AsI4());
    case VarType::UI1: return std::to_string(v.AsUI1());
    case VarType::R4: return FormatNumber(v.AsR4(), 7);
    case VarType::R8: return FormatNumber(v.AsR8(), 15);
    case VarType::Date: return FormatNumber(v.AsDate(), 15);
    case VarType::Bool: return v.AsBool() ? "-1" : "0";
    case VarType::BStr: return v.AsStr();
    case VarType::Dispatch:
    case VarType::Unknown: return std::to_string(v.AsHandle());
    default: return "";
  }
}

HRESULT ToNumericType(const Variant& v, VarType to, Variant& out) {
  double x = 0;
  if (HRESULT hr = NumericValue(v, x); FAILED(hr)) return hr;
  switch (to) {
    case VarType::I2: {
      int16_t r;
      if (HRESULT hr = ToInteger(x, r); FAILED(hr)) return hr;
      out = Variant::I2(r);
      return S_OK;
    }
    case VarType::I4: {
      int32_t r;
      if (HRESULT hr = ToInteger(x, r); FAILED(hr)) return hr;
      out = Variant::I4(r);
      return S_OK;
    }
    case VarType::UI1: {
      uint8_t r;
      if (HRESULT hr = ToInteger(x, r); FAILED(hr)) return hr;
      out = Variant::Byte(r);
      return S_OK;
    }
    case VarType::R4:
      if (std::fabs(x) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
      out = Variant::R4(static_cast<float>(x));
      return S_OK;
    case VarType::R8: out = Variant::R8(x); return S_OK;
    case VarType::Date: out = Variant::Date(x); return S_OK;
    case VarType::Bool: out = Variant::Bool(x != 0); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT Variant::ChangeType(VarType to, Variant& out) const {
  const Variant& v = Deref();
  if (v.IsArray() || v.type_ == VarType::Variant) return DISP_E_TYPEMISMATCH;
  if (v.type_ == to) {
    out = v;
    out.ref_ = nullptr;
    return S_OK;
  }
  switch (to) {
    case VarType::Empty: out = Variant(); return S_OK;
    case VarType::Null:
      if (v.type_ != VarType::Empty) return DISP_E_TYPEMISMATCH;
      out = Variant::Null();
      return S_OK;
    case VarType::BStr:
      if (v.type_ == VarType::Null || v.type_ == VarType::Error) return DISP_E_TYPEMISMATCH;
      out = Variant::Str(ScalarText(v));
      return S_OK;
    case VarType::Dispatch:
    case VarType::Unknown:
      // Only an object converts to an object; Empty is the null object.
      if (v.type_ == VarType::Empty) { out = Variant::Object(to, 0); return S_OK; }
      if (v.type_ != VarType::Dispatch && v.type_ != VarType::Unknown) return DISP_E_TYPEMISMATCH;
      out = Variant::Object(to, v.AsHandle());
      return S_OK;
    case VarType::Error: return DISP_E_TYPEMISMATCH;
    case VarType::Variant: out = v; out.ref_ = nullptr; return S_OK;
    default: return ToNumericType(v, to, out);
  }
}

std::string Variant::ToDisplayString() const {
  const Variant& v = Deref();
  if (v.IsArray()) return "Array";
  if (v.type_ == VarType::Null) return "Null";
  if (v.type_ == VarType::Error) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "Error 0x%08X", static_cast<uint32_t>(v.AsScode()));
    return buf;
  }
  if (v.type_ == VarType::Bool) return v.AsBool() ? "True" : "False";  // as a script prints it
  return ScalarText(v);
}

std::string FormatNumber(double value, int significantDigits) {
  if (value == 0) return "0";
  if (std::nearbyint(value) == value && std::fabs(value) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", value);
    return buf;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", significantDigits, value);
  std::string s = buf;
  const size_t e = s.find('E');
  std::string mantissa = s.substr(0, e), exponent = e == std::string::npos ? "" : s.substr(e);
  if (mantissa.find('.') != std::string::npos) {
    while (mantissa.back() == '0') mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
  }
  return mantissa + exponent;
}

}  // namespace vx::control
