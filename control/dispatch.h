// Late-bound calls into an object through the member table: names to dispatch identifiers, and
// calls with positional and named variant arguments, omitted optional arguments filled from the
// table's defaults, by-reference arguments written back, unbound members answering E_NOTIMPL, and
// a run-time error escaping a member turned into DISP_E_EXCEPTION with its number and description.
#pragma once
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "control/binding.h"
#include "control/member_table.h"
#include "control/variant.h"

namespace vx::control {

struct NamedArgument {
  std::string name;  // a parameter name of the member, any case
  Variant value;
};

// The error record of a failed call, as EXCEPINFO carries it.
struct ExceptionInfo {
  int32_t number = 0;  // the run-time error number
  std::string description;
  std::string source;
  HRESULT scode = S_OK;
};

// Turns an exception escaping a member into the error record; true when it knew the exception.
using ErrorTranslator = std::function<bool(const std::exception&, ExceptionInfo&)>;
void AddErrorTranslator(ErrorTranslator translator);

// Registers an exception type carrying Number() and Description() as a run-time error.
template <class E>
void RegisterRuntimeErrorType() {
  AddErrorTranslator([](const std::exception& e, ExceptionInfo& info) {
    const E* error = dynamic_cast<const E*>(&e);
    if (!error) return false;
    info.number = error->Number();
    info.description = error->Description();
    return true;
  });
}

class Dispatch {
 public:
  template <class C>
  explicit Dispatch(C& target, Interface which = Interface::Engine)
      : self_(const_cast<void*>(static_cast<const void*>(&target))), cls_(typeid(C)), which_(which) {}

  Interface Which() const { return which_; }

  // Case-insensitive; DISP_E_UNKNOWNNAME when no member has the name.
  HRESULT GetIDsOfNames(std::string_view name, int32_t& dispid) const;

  // `positional` in parameter order (a Missing value stands for an omitted argument); values made
  // with Variant::RefTo or RefToArray receive what the member writes to by-reference parameters.
  HRESULT Invoke(int32_t dispid, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                 Variant& result, ExceptionInfo* error = nullptr, unsigned* argErr = nullptr) const;
  // The same by member name; DISP_E_MEMBERNOTFOUND when no member has the name.
  HRESULT InvokeByName(std::string_view name, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                       Variant& result, ExceptionInfo* error = nullptr, unsigned* argErr = nullptr) const;

  bool IsBound(const MemberDesc& member) const;
  size_t BoundCount() const { return BindingRegistry::Instance().CountFor(cls_); }

 private:
  void* self_;
  std::type_index cls_;
  Interface which_;
};

// Puts the arguments of a call in parameter order and fills omitted optional ones from the table.
HRESULT ArrangeArguments(const MemberDesc& member, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                         std::vector<Variant>& arranged, unsigned& argErr);

}  // namespace vx::control
