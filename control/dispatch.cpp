#include "control/dispatch.h"

#include <new>

#include "control/path_arguments.h"

namespace vx::control {

namespace {

std::vector<ErrorTranslator>& Translators() {
  static std::vector<ErrorTranslator> translators;
  return translators;
}

// Error numbers of the run-time library for failures that are not the member's own errors.
constexpr int32_t kErrOutOfMemory = 7;
constexpr int32_t kErrInternal = 51;
// The HRESULT an automation error number travels as (FACILITY_CONTROL).
HRESULT ScodeOfErrorNumber(int32_t number) {
  return static_cast<HRESULT>(0x800A0000u | (static_cast<uint32_t>(number) & 0xFFFFu));
}

void Translate(const std::exception& e, ExceptionInfo& info) {
  for (const ErrorTranslator& t : Translators())
    if (t(e, info)) return;
  if (dynamic_cast<const std::bad_alloc*>(&e)) {
    info.number = kErrOutOfMemory;
    info.description = "Out of memory";
  } else {
    info.number = kErrInternal;
    info.description = e.what();
  }
}

int FindParam(const MemberDesc& m, std::string_view name) {
  const std::string key = FoldCase(name);
  for (size_t i = 0; i < m.params.size(); ++i)
    if (FoldCase(m.params[i].name) == key) return static_cast<int>(i);
  return -1;
}

}  // namespace

void AddErrorTranslator(ErrorTranslator translator) { Translators().push_back(std::move(translator)); }

HRESULT ArrangeArguments(const MemberDesc& m, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                         std::vector<Variant>& arranged, unsigned& argErr) {
  if (positional.size() > m.params.size()) return DISP_E_BADPARAMCOUNT;
  arranged.assign(m.params.size(), Variant(Missing{}));
  std::vector<bool> given(m.params.size(), false);
  for (size_t i = 0; i < positional.size(); ++i) {
    arranged[i] = positional[i];
    given[i] = true;
  }
  for (size_t n = 0; n < named.size(); ++n) {
    const int i = FindParam(m, named[n].name);
    if (i < 0) {
      argErr = static_cast<unsigned>(positional.size() + n);
      return DISP_E_UNKNOWNNAME;
    }
    if (given[static_cast<size_t>(i)]) {
      argErr = static_cast<unsigned>(i);
      return DISP_E_BADPARAMCOUNT;  // the same parameter twice
    }
    arranged[static_cast<size_t>(i)] = named[n].value;
    given[static_cast<size_t>(i)] = true;
  }
  for (size_t i = 0; i < arranged.size(); ++i) {
    if (!arranged[i].IsMissing()) continue;
    if (!m.params[i].optional) {
      argErr = static_cast<unsigned>(i);
      return DISP_E_PARAMNOTFOUND;
    }
    arranged[i] = m.params[i].defaultValue;
  }
  return S_OK;
}

HRESULT Dispatch::GetIDsOfNames(std::string_view name, int32_t& dispid) const {
  const MemberDesc* m = MemberTable::Instance().Find(name);
  if (!m) {
    dispid = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  dispid = m->Dispid(which_);
  return S_OK;
}

bool Dispatch::IsBound(const MemberDesc& member) const {
  return BindingRegistry::Instance().Find(cls_, member.index) != nullptr;
}

HRESULT Dispatch::Invoke(int32_t dispid, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                         Variant& result, ExceptionInfo* error, unsigned* argErr) const {
  result = Variant();
  unsigned badArg = 0;
  const MemberDesc* m = MemberTable::Instance().FindByDispid(which_, dispid);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  const Binding* binding = BindingRegistry::Instance().Find(cls_, m->index);
  if (!binding) return E_NOTIMPL;
  std::vector<Variant> args;
  HRESULT hr = ArrangeArguments(*m, positional, named, args, badArg);
  if (const RefusalMark* refuse = PathRefusalOf(cls_); refuse && SUCCEEDED(hr) && HoldsCutPath(*m, args)) {
    (*refuse)(self_);
    result = RefusedResult(*m);
    return S_OK;
  }
  const EscapedErrorTake* escaped = EscapedErrorSourceOf(cls_);
  if (escaped) (*escaped)(self_);  // an error a C++ caller left behind is not this call's
  try {
    if (SUCCEEDED(hr)) hr = binding->Call(self_, args, result, badArg);
    if (escaped) {
      if (const std::exception_ptr error = (*escaped)(self_)) std::rethrow_exception(error);
    }
  } catch (const std::exception& e) {
    ExceptionInfo info;
    Translate(e, info);
    info.source = "vexiro." + m->name;
    info.scode = ScodeOfErrorNumber(info.number);
    if (error) *error = std::move(info);
    result = Variant();
    return DISP_E_EXCEPTION;
  }
  if (FAILED(hr) && argErr) *argErr = badArg;
  return hr;
}

HRESULT Dispatch::InvokeByName(std::string_view name, std::vector<Variant>& positional,
                               std::vector<NamedArgument>& named, Variant& result, ExceptionInfo* error,
                               unsigned* argErr) const {
  const MemberDesc* m = MemberTable::Instance().Find(name);
  if (!m) {
    result = Variant();
    return DISP_E_MEMBERNOTFOUND;
  }
  return Invoke(m->Dispid(which_), positional, named, result, error, argErr);
}

const char* DescribeHResult(HRESULT hr) {
  switch (hr) {
    case S_OK: return "success";
    case E_NOTIMPL: return "not implemented";
    case DISP_E_MEMBERNOTFOUND: return "member not found";
    case DISP_E_PARAMNOTFOUND: return "a required argument is missing";
    case DISP_E_TYPEMISMATCH: return "type mismatch";
    case DISP_E_UNKNOWNNAME: return "unknown name";
    case DISP_E_BADVARTYPE: return "bad variant type";
    case DISP_E_EXCEPTION: return "run-time error";
    case DISP_E_OVERFLOW: return "overflow";
    case DISP_E_BADPARAMCOUNT: return "wrong number of arguments";
    default: return "failed";
  }
}

}  // namespace vx::control
