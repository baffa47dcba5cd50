#include "control/script_call_report.h"

#include <cstdio>

#include "control/com_errors.h"
#include "control/script_names.h"

namespace vx::control {

namespace {

constexpr size_t kLongestTextShown = 80;

// The value given for parameter `index`, or null when it was left out.
const Variant* GivenFor(const MemberDesc& m, const CallArguments& args, size_t index) {
  if (index < args.positional.size()) return args.positional[index].IsMissing() ? nullptr : &args.positional[index];
  for (const NamedArgument& n : args.named)
    if (ParamIndex(m, n.name) == static_cast<int>(index)) return &n.value;
  return nullptr;
}

std::string Arguments(size_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

// "it takes 1 or 2 arguments: SaveAsJPEG (sFilePath As String, ...) As VexiroStatus"
std::string WhatItTakes(const MemberDesc& m) {
  size_t required = 0;
  for (const ParamDesc& p : m.params) required += !p.optional;
  const size_t most = m.params.size();
  std::string takes;
  if (most == 0) takes = "no arguments";
  else if (required == most) takes = Arguments(most);
  else if (required + 1 == most) takes = std::to_string(required) + " or " + Arguments(most);
  else takes = std::to_string(required) + " to " + Arguments(most);
  return "it takes " + takes + ": " + m.name + " " + m.Signature();
}

std::string ParamText(const ParamDesc& p) { return p.name + " As " + p.type.Name(); }

// The parameter a refused argument concerns, with what it was given.
std::string RefusedArgument(const MemberDesc& m, unsigned argErr, const CallArguments& args, const char* verb) {
  if (argErr >= m.params.size()) return "";
  const Variant* given = GivenFor(m, args, argErr);
  return ": " + ParamText(m.params[argErr]) + " " + verb + " " + (given ? ValueText(*given) : "the value given");
}

// The words for an automation error, never its bare number.
std::string ErrorWords(HRESULT hr) {
  switch (hr) {
    case E_FAIL: return "unspecified failure";
    case E_OUTOFMEMORY: return "out of memory";
    case E_INVALIDARG: return "invalid argument";
    case E_POINTER: return "invalid pointer";
    case E_NOINTERFACE: return "interface not supported";
    default: break;
  }
  const std::string words = DescribeHResult(hr);
  if (words != "failed") return words;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(hr));
  return std::string("failed with an automation error the host does not know (") + code + ")";
}

const char* ElementTypeName(VarType element) {
  switch (element) {
    case VarType::UI1: return "Byte";
    case VarType::I4: return "Long";
    case VarType::R8: return "Double";
    default: return "String";
  }
}

bool IsFileParameter(const ParamDesc& p) {
  if (p.type.base != BaseType::String || p.type.isArray || p.byRef) return false;
  const std::string name = FoldCase(p.name);
  return name.find("file") != std::string::npos || name.find("path") != std::string::npos;
}

}  // namespace

int ParamIndex(const MemberDesc& m, const std::string& name) {
  const std::string key = FoldCase(name);
  for (size_t i = 0; i < m.params.size(); ++i)
    if (FoldCase(m.params[i].name) == key) return static_cast<int>(i);
  return -1;
}

std::string ValueText(const Variant& value) {
  const Variant& v = value.Deref();
  if (const SafeArray* array = v.ArrayPtr()) {
    const size_t n = ElementCount(*array);
    return "an array of " + std::to_string(n) + " " + ElementTypeName(ElementType(*array));
  }
  if (v.Type() == VarType::Empty) return "Empty";
  if (v.Type() != VarType::BStr) return v.ToDisplayString();
  std::string text = v.AsStr();
  if (text.size() > kLongestTextShown) text = text.substr(0, kLongestTextShown) + "...";
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? "\"\"" : std::string(1, c);
  return quoted + "\"";
}

void CheckArgumentNames(const MemberDesc& m, const CallArguments& args) {
  std::vector<bool> given(m.params.size(), false);
  for (size_t i = 0; i < args.positional.size() && i < given.size(); ++i) given[i] = true;
  for (const NamedArgument& n : args.named) {
    const int i = ParamIndex(m, n.name);
    if (i < 0) {
      std::vector<std::string_view> names;
      for (const ParamDesc& p : m.params) names.push_back(p.name);
      const std::string near = ClosestName(n.name, names);
      throw LineError(m.name + ": no parameter is named " + n.name + (near.empty() ? "" : " (did you mean " + near + "?)") +
                      "; " + WhatItTakes(m));
    }
    if (given[static_cast<size_t>(i)]) throw LineError(m.name + ": " + m.params[static_cast<size_t>(i)].name + " is given twice");
    given[static_cast<size_t>(i)] = true;
  }
}

LineError CallFailure(const MemberDesc& m, HRESULT hr, unsigned argErr, const CallArguments& args,
                      const ExceptionInfo& error) {
  const size_t count = args.positional.size() + args.named.size();
  switch (hr) {
    case E_NOTIMPL: return LineError(m.name + " is not implemented");
    case DISP_E_EXCEPTION:
      return LineError(m.name + ": run-time error " + std::to_string(error.number) + ": " + error.description);
    case DISP_E_BADPARAMCOUNT:
      return LineError(m.name + ": wrong number of arguments: " + std::to_string(count) + " given; " + WhatItTakes(m));
    case DISP_E_PARAMNOTFOUND: {
      const std::string missing = argErr < m.params.size() ? " " + m.params[argErr].name : "";
      return LineError(m.name + ": the argument" + missing + " is missing; " + WhatItTakes(m));
    }
    case DISP_E_TYPEMISMATCH: return LineError(m.name + ": type mismatch" + RefusedArgument(m, argErr, args, "cannot take"));
    case DISP_E_OVERFLOW: return LineError(m.name + ": overflow" + RefusedArgument(m, argErr, args, "cannot hold"));
    default: return LineError(m.name + ": " + ErrorWords(hr));
  }
}

std::string FileArguments(const MemberDesc& m, const CallArguments& args) {
  std::string files;
  for (size_t i = 0; i < m.params.size(); ++i) {
    if (!IsFileParameter(m.params[i])) continue;
    if (const Variant* given = GivenFor(m, args, i)) files += (files.empty() ? "" : ", ") + m.params[i].name + " " + ValueText(*given);
  }
  return files.empty() ? "" : " (" + files + ")";
}

std::string CallText(const MemberDesc& m, const CallArguments& args) {
  std::string text = m.name + "(";
  bool first = true;
  auto add = [&](const std::string& part) {
    text += (first ? "" : ", ") + part;
    first = false;
  };
  for (const Variant& v : args.positional) add(v.IsMissing() ? "" : ValueText(v));
  for (const NamedArgument& n : args.named) add(n.name + ":=" + ValueText(n.value));
  return text + ")";
}

}  // namespace vx::control
