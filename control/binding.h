// Binding a C++ member function to its row of the member table. One line per member, kept in
// control/bindings/ in the file of the member's subsystem, so that the code implementing the
// member includes only the public header and never reaches up to this layer:
//
//   VX_BIND(SaveAsJPEG, &cImaging::SaveAsJPEG);
//
// The parameter and result types are deduced from the member function pointer and checked against
// the table when the binding is installed; a binding that disagrees is refused and recorded in
// BindingRegistry::Problems(), which the tests require to be empty.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

#include "control/com_errors.h"
#include "control/member_table.h"
#include "control/member_table_text.h"
#include "control/variant.h"
#include "vexiro/enumerations.h"

namespace vx::control {

// What a C++ parameter or result type stands for in the table.
struct CppTypeInfo {
  BaseType base = BaseType::Long;
  bool isArray = false;
  bool byRef = false;
  bool isEnum = false;  // a C++ enumeration: passes as Long
  std::string_view enumName;  // which enumeration of the type library, when the C++ type says
};

class Binding {
 public:
  virtual ~Binding() = default;
  // `args` holds one value per table parameter, defaults already filled in; a by-reference
  // argument that refers to a host variable or array is written back after the call.
  virtual HRESULT Call(void* self, std::vector<Variant>& args, Variant& result, unsigned& argErr) const = 0;
  virtual std::vector<CppTypeInfo> ParamTypes() const = 0;
  virtual std::optional<CppTypeInfo> ResultType() const = 0;
};

class BindingRegistry {
 public:
  static BindingRegistry& Instance();

  // Installs the binding of `member` for objects of class `cls` after checking it against the
  // table; false, with the problem recorded, when the member is unknown, already bound or differs.
  bool Add(std::type_index cls, std::string_view member, std::unique_ptr<Binding> binding);
  const Binding* Find(std::type_index cls, int memberIndex) const;
  size_t CountFor(std::type_index cls) const;
  const std::vector<std::string>& Problems() const { return problems_; }

 private:
  struct Entry {
    std::type_index cls;
    int member;
    std::unique_ptr<Binding> binding;
  };
  std::vector<Entry> entries_;
  std::vector<std::string> problems_;
};

// "" when the C++ signature agrees with the member's row, else what differs.
std::string CompareWithTable(const MemberDesc& member, const Binding& binding);

// A binding whose signature is the member's row itself, for code that serves every member alike
// (the control's forwarder) instead of a member function.
class TableSignatureBinding : public Binding {
 public:
  explicit TableSignatureBinding(const MemberDesc& member) : member_(member) {}
  std::vector<CppTypeInfo> ParamTypes() const override;
  std::optional<CppTypeInfo> ResultType() const override;

 protected:
  const MemberDesc& member_;
};

namespace binding_detail {

// How one by-value C++ type travels as a variant.
template <class T, class = void>
struct Scalar;

template <>
struct Scalar<int32_t> {
  static constexpr BaseType kBase = BaseType::Long;
  static constexpr VarType kVt = VarType::I4;
  static int32_t From(const Variant& v) { return v.AsI4(); }
  static Variant To(int32_t x) { return Variant::I4(x); }
};
template <>
struct Scalar<int16_t> {
  static constexpr BaseType kBase = BaseType::Integer;
  static constexpr VarType kVt = VarType::I2;
  static int16_t From(const Variant& v) { return v.AsI2(); }
  static Variant To(int16_t x) { return Variant::I2(x); }
};
template <>
struct Scalar<uint8_t> {
  static constexpr BaseType kBase = BaseType::Byte;
  static constexpr VarType kVt = VarType::UI1;
  static uint8_t From(const Variant& v) { return v.AsUI1(); }
  static Variant To(uint8_t x) { return Variant::Byte(x); }
};
template <>
struct Scalar<float> {
  static constexpr BaseType kBase = BaseType::Single;
  static constexpr VarType kVt = VarType::R4;
  static float From(const Variant& v) { return v.AsR4(); }
  static Variant To(float x) { return Variant::R4(x); }
};
template <>
struct Scalar<double> {
  static constexpr BaseType kBase = BaseType::Double;
  static constexpr VarType kVt = VarType::R8;
  static double From(const Variant& v) { return v.AsR8(); }
  static Variant To(double x) { return Variant::R8(x); }
};
template <>
struct Scalar<bool> {
  static constexpr BaseType kBase = BaseType::Boolean;
  static constexpr VarType kVt = VarType::Bool;
  static bool From(const Variant& v) { return v.AsBool(); }
  static Variant To(bool x) { return Variant::Bool(x); }
};
template <>
struct Scalar<std::string> {
  static constexpr BaseType kBase = BaseType::String;
  static constexpr VarType kVt = VarType::BStr;
  static std::string From(const Variant& v) { return v.AsStr(); }
  static Variant To(std::string x) { return Variant::Str(std::move(x)); }
};
// Pictures and streams cross as 32-bit handles of the platform's handle tables.
template <>
struct Scalar<uint32_t> {
  static constexpr BaseType kBase = BaseType::Picture;
  static constexpr VarType kVt = VarType::Dispatch;
  static uint32_t From(const Variant& v) { return v.AsHandle(); }
  static Variant To(uint32_t x) { return Variant::Object(VarType::Dispatch, x); }
};
template <class E>
struct Scalar<E, std::enable_if_t<std::is_enum_v<E>>> {
  static constexpr BaseType kBase = BaseType::Long;
  static constexpr VarType kVt = VarType::I4;
  static E From(const Variant& v) { return static_cast<E>(v.AsI4()); }
  static Variant To(E x) { return Variant::I4(static_cast<int32_t>(x)); }
};

template <class E>
struct Scalar<vexiro::EnumArg<E>> {
  static constexpr BaseType kBase = BaseType::Long;
  static constexpr VarType kVt = VarType::I4;
  static vexiro::EnumArg<E> From(const Variant& v) { return v.AsI4(); }
  static Variant To(vexiro::EnumArg<E> x) { return Variant::I4(x); }
};

// A C++ enumeration, or a parameter that takes one.
template <class T>
inline constexpr bool kIsEnumeration = std::is_enum_v<T>;
template <class E>
inline constexpr bool kIsEnumeration<vexiro::EnumArg<E>> = true;

// The type-library name of a public enumeration type (an enumeration that shares another's
// constants is that one's type); empty for every other type.
// Explicit specialisations are inline, so every file that includes this shares one of each.
template <class T>
inline constexpr std::string_view kEnumerationName{};
template <class E>
inline constexpr std::string_view kEnumerationName<vexiro::EnumArg<E>> = kEnumerationName<E>;
#define VEXIRO_ENUMERATION(Name) \
  template <>                    \
  inline constexpr std::string_view kEnumerationName<vexiro::Name> = #Name;
#define VEXIRO_CONSTANT(Name, Value)
#define VEXIRO_END_ENUMERATION()
#define VEXIRO_ENUMERATION_SAME_AS(Name, Earlier)
#include "vexiro/enumeration_list.h"

template <class T>
constexpr bool kIsElement = std::is_same_v<T, uint8_t> || std::is_same_v<T, int32_t> ||
                            std::is_same_v<T, double> || std::is_same_v<T, std::string>;

// An array type of the engine: any template with Data(), Rank(), LBound(d) and Bound(d).count,
// constructible from a vector of its bound records (lower, count).
template <class A>
concept EngineArray = requires(A a) {
  a.Data();
  a.Rank();
  a.LBound(1);
  a.Bound(1).count;
};

template <class A>
struct ArrayTraits;
template <class T>
struct ArrayTraits<std::vector<T>> {
  using Element = T;
  static std::vector<T> FromSafe(TypedArray<T>&& a) { return std::move(a.data); }
  static TypedArray<T> ToSafe(const std::vector<T>& v) {
    return {{ArrayDimension{0, static_cast<int32_t>(v.size())}}, v};
  }
};
template <template <class> class A, class T>
  requires EngineArray<A<T>>
struct ArrayTraits<A<T>> {
  using Element = T;
  using Bound = std::remove_cvref_t<decltype(std::declval<A<T>>().Bound(1))>;
  static A<T> FromSafe(TypedArray<T>&& a) {
    std::vector<Bound> bounds;
    for (const ArrayDimension& d : a.dims) bounds.push_back(Bound{d.lower, d.count});
    A<T> out(bounds);
    out.Data() = std::move(a.data);
    return out;
  }
  static TypedArray<T> ToSafe(const A<T>& arr) {
    TypedArray<T> out;
    for (int d = 1; d <= arr.Rank(); ++d) out.dims.push_back({arr.LBound(d), arr.Bound(d).count});
    out.data = arr.Data();
    return out;
  }
};

template <class A, class = void>
struct IsArrayType : std::false_type {};
template <class A>
struct IsArrayType<A, std::void_t<typename ArrayTraits<A>::Element>> : std::true_type {};

HRESULT LoadArrayArgument(const Variant& arg, size_t elementIndex, SafeArray& out);
void StoreArrayArgument(Variant& arg, SafeArray&& value);

// Holds one argument in the form the C++ parameter type A takes it.
template <class A>
class Holder {
  using D = std::remove_cvref_t<A>;
  static constexpr bool kRef = std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;

 public:
  static CppTypeInfo Info() {
    if constexpr (std::is_same_v<D, Variant>) {
      return {BaseType::Variant, false, kRef, false, {}};
    } else if constexpr (IsArrayType<D>::value) {
      return {Scalar<typename ArrayTraits<D>::Element>::kBase, true, kRef, false, {}};
    } else {
      return {Scalar<D>::kBase, false, kRef, kIsEnumeration<D>, kEnumerationName<D>};
    }
  }

  HRESULT Load(const Variant& arg) {
    if constexpr (std::is_same_v<D, Variant>) {
      value_ = arg.Deref();
      return S_OK;
    } else if constexpr (IsArrayType<D>::value) {
      using T = typename ArrayTraits<D>::Element;
      SafeArray safe{TypedArray<T>{}};
      if (HRESULT hr = LoadArrayArgument(arg, safe.index(), safe); FAILED(hr)) return hr;
      value_ = ArrayTraits<D>::FromSafe(std::move(std::get<TypedArray<T>>(safe)));
      return S_OK;
    } else {
      Variant converted;
      if (HRESULT hr = arg.ChangeType(Scalar<D>::kVt, converted); FAILED(hr)) return hr;
      value_ = Scalar<D>::From(converted);
      return S_OK;
    }
  }

  A Get() {
    if constexpr (std::is_lvalue_reference_v<A>) return value_;
    else return std::move(value_);
  }

  // Writes a by-reference parameter back into the host's variable or array.
  void Store(Variant& arg) const {
    if constexpr (kRef) {
      if (!arg.IsRef()) return;
      if constexpr (std::is_same_v<D, Variant>) {
        arg.Deref() = value_;
      } else if constexpr (IsArrayType<D>::value) {
        StoreArrayArgument(arg, SafeArray{ArrayTraits<D>::ToSafe(value_)});
      } else {
        arg.Deref() = Scalar<D>::To(value_);
      }
    }
  }

 private:
  D value_{};
};

template <class R>
Variant ResultToVariant(R&& r) {
  return Scalar<std::remove_cvref_t<R>>::To(std::forward<R>(r));
}

// Converts the arguments into their holders in parameter order and stops at the first argument that
// does not convert, whose position goes to argErr.
template <class Held, size_t... I>
HRESULT LoadArguments(Held& held, std::vector<Variant>& args, unsigned& argErr, std::index_sequence<I...>) {
  HRESULT hr = S_OK;
  (static_cast<void>(SUCCEEDED(hr) && (hr = std::get<I>(held).Load(args[I]), FAILED(hr)) ? (argErr = I, true) : false),
   ...);
  return hr;
}

template <class C, class Fn, class R, class... A>
class MemberBinding final : public Binding {
 public:
  explicit MemberBinding(Fn fn) : fn_(fn) {}

  HRESULT Call(void* self, std::vector<Variant>& args, Variant& result, unsigned& argErr) const override {
    if (args.size() != sizeof...(A)) return DISP_E_BADPARAMCOUNT;
    return CallWith(static_cast<C*>(self), args, result, argErr, std::index_sequence_for<A...>{});
  }
  std::vector<CppTypeInfo> ParamTypes() const override { return {Holder<A>::Info()...}; }
  std::optional<CppTypeInfo> ResultType() const override {
    if constexpr (std::is_void_v<R>) return std::nullopt;
    else return Holder<R>::Info();
  }

 private:
  template <size_t... I>
  HRESULT CallWith(C* obj, std::vector<Variant>& args, Variant& result, unsigned& argErr,
                   std::index_sequence<I...>) const {
    std::tuple<Holder<A>...> held;
    if (const HRESULT hr = LoadArguments(held, args, argErr, std::index_sequence<I...>{}); FAILED(hr)) return hr;
    if constexpr (std::is_void_v<R>) {
      (obj->*fn_)(std::get<I>(held).Get()...);
      result = Variant();
    } else {
      result = ResultToVariant((obj->*fn_)(std::get<I>(held).Get()...));
    }
    (std::get<I>(held).Store(args[I]), ...);
    return S_OK;
  }

  Fn fn_;
};

// What the compiler knows of a member function pointer: its arity, which parameters are
// non-const references, and whether it returns a value.
template <class F>
struct FunctionShape;
template <class C, class R, class... A>
struct FunctionShape<R (C::*)(A...)> {
  static constexpr int kArity = sizeof...(A);
  static constexpr bool kReturns = !std::is_void_v<R>;
  static constexpr unsigned ByRefMask() {
    unsigned mask = 0, bit = 1;
    ((mask |= (std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>) ? bit : 0, bit <<= 1), ...);
    return mask;
  }
};
template <class C, class R, class... A>
struct FunctionShape<R (C::*)(A...) const> : FunctionShape<R (C::*)(A...)> {};

}  // namespace binding_detail

template <class C, class R, class... A>
bool RegisterBinding(std::string_view member, R (C::*fn)(A...)) {
  using B = binding_detail::MemberBinding<C, R (C::*)(A...), R, A...>;
  return BindingRegistry::Instance().Add(std::type_index(typeid(C)), member, std::make_unique<B>(fn));
}
template <class C, class R, class... A>
bool RegisterBinding(std::string_view member, R (C::*fn)(A...) const) {
  using B = binding_detail::MemberBinding<const C, R (C::*)(A...) const, R, A...>;
  return BindingRegistry::Instance().Add(std::type_index(typeid(C)), member, std::make_unique<B>(fn));
}

}  // namespace vx::control

// The member's existence, its parameter count, which parameters go by reference and whether it has
// a result are checked here at compile time; the parameter types when the binding is installed.
#define VX_BIND(member, function)                                                                          \
  static_assert(::vx::control::table_text::Exists(#member), "VX_BIND: no member of that name");             \
  static_assert(::vx::control::table_text::ParamCount(#member) ==                                           \
                    ::vx::control::binding_detail::FunctionShape<decltype(function)>::kArity,              \
                "VX_BIND: the number of parameters differs from the member table");                        \
  static_assert(::vx::control::table_text::ByRefMask(#member) ==                                            \
                    ::vx::control::binding_detail::FunctionShape<decltype(function)>::ByRefMask(),         \
                "VX_BIND: by-reference parameters differ from the member table");                          \
  static_assert(::vx::control::table_text::HasResult(#member) ==                                            \
                    ::vx::control::binding_detail::FunctionShape<decltype(function)>::kReturns,            \
                "VX_BIND: the result differs from the member table");                                       \
  [[maybe_unused]] static const bool vx_bound_##member = ::vx::control::RegisterBinding(#member, function)
