#include "control/type_library.h"

#include <cstdio>

#include "control/enumerations.h"

namespace vx::control {

namespace {

constexpr int kEngineVtableSize = 804;
constexpr int kControlVtableSize = 1286;
constexpr int kVersionAliases = 14;  // versions 1.0 .. 1.13 kept as hidden aliases

const char* InterfaceName(Interface which) { return which == Interface::Engine ? "_cImaging" : "_Imaging"; }

// The name of an interface's alias for an earlier version: "cImaging___v0" for "_cImaging".
std::string AliasName(const std::string& interfaceName, int version) {
  const std::string base = interfaceName == "__Imaging" ? interfaceName : interfaceName.substr(1);
  return base + "___v" + std::to_string(version);
}

std::string IdlBaseType(const TypeDesc& t) {
  switch (t.base) {
    case BaseType::Long: return "long";
    case BaseType::Integer: return "short";
    case BaseType::Byte: return "unsigned char";
    case BaseType::Single: return "single";
    case BaseType::Double: return "double";
    case BaseType::Boolean: return "VARIANT_BOOL";
    case BaseType::String: return "BSTR";
    case BaseType::Picture: return "Picture*";
    case BaseType::Unknown: return "IUnknown*";
    case BaseType::Variant: return "VARIANT";
    case BaseType::Enum: return t.enumName;
  }
  return "";
}

std::string IdlType(const TypeDesc& t, bool byRef) {
  std::string s = t.isArray ? "SAFEARRAY(" + IdlBaseType(t) + ")" : IdlBaseType(t);
  return byRef ? s + "*" : s;
}

std::string IdlDefault(const ParamDesc& p) {
  if (p.type.base == BaseType::Boolean) return p.defaultValue.AsBool() ? "-1" : "0";
  return p.defaultText;
}

std::string Hex(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", static_cast<uint32_t>(v));
  return buf;
}

std::string MethodIdl(const MemberDesc& m, Interface which) {
  std::string s = "        [id(" + Hex(m.Dispid(which)) + ")]\n        HRESULT " + m.name + "(";
  std::vector<std::string> params;
  for (const ParamDesc& p : m.params) {
    std::string attrs = p.byRef ? "in, out" : "in";
    if (p.optional) attrs += ", optional, defaultvalue(" + IdlDefault(p) + ")";
    params.push_back("[" + attrs + "] " + IdlType(p.type, p.byRef) + " " + p.name);
  }
  if (m.result) params.push_back("[out, retval] " + IdlType(*m.result, true) + " retval");
  for (size_t i = 0; i < params.size(); ++i) s += (i ? ",\n                " : "") + params[i];
  return s + ");\n";
}

std::string InterfaceIdl(Interface which) {
  const TypeInfo info(which);
  const InterfaceInfo d = info.Describe();
  std::string s = "    [\n      odl,\n      uuid(" + d.guid + "),\n      version(1.14),\n      hidden,\n      dual,\n"
                  "      nonextensible,\n      oleautomation\n    ]\n    interface " + d.name + " : IDispatch {\n";
  for (const MemberDesc& m : MemberTable::Instance().Members()) s += MethodIdl(m, which);
  s += "    };\n\n";
  const std::vector<std::string> earlier = InterfaceIdentifiers(d.name);
  for (int v = 0; v < kVersionAliases; ++v) {
    const std::string alias = AliasName(d.name, v);
    s += "    [uuid(" + earlier[static_cast<size_t>(v)] + "), version(1." + std::to_string(v) + "), hidden]\n    typedef " +
         d.name + " " + alias + ";\n";
  }
  return s + "\n";
}

std::string EnumerationIdl(const EnumerationDesc& e) {
  std::string s = "    typedef [uuid(" + StableGuid("enum " + std::string(e.name)) + "), version(1.0)]\n    enum {\n";
  for (size_t i = 0; i < e.constants.size(); ++i)
    s += "        " + std::string(e.constants[i].name) + " = " + std::to_string(e.constants[i].value) +
         (i + 1 < e.constants.size() ? ",\n" : "\n");
  return s + "    } " + std::string(e.name) + ";\n\n";
}

}  // namespace

std::string StableGuid(const std::string& name) {
  // Two FNV-1a hashes of the name give the 128 bits; the version nibble marks a name-based GUID.
  uint64_t a = 0xcbf29ce484222325ull, b = 0x84222325cbf29ce4ull;
  for (unsigned char c : "vexiro:" + name) {
    a = (a ^ c) * 0x100000001b3ull;
    b = (b ^ c) * 0x100000001b3ull ^ (a >> 29);
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX", static_cast<uint32_t>(a >> 32),
                static_cast<uint32_t>((a >> 16) & 0xFFFF), static_cast<uint32_t>((a & 0x0FFF) | 0x5000),
                static_cast<uint32_t>(((b >> 48) & 0x3FFF) | 0x8000),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return buf;
}

std::vector<std::string> InterfaceIdentifiers(const std::string& interfaceName) {
  std::vector<std::string> ids;
  if (interfaceName != "_dummy")
    for (int v = 0; v < kVersionAliases; ++v) ids.push_back(StableGuid(AliasName(interfaceName, v)));
  ids.push_back(StableGuid(interfaceName));
  return ids;
}

InterfaceInfo TypeInfo::Describe() const {
  return {InterfaceName(which_), which_ == Interface::Engine ? kEngineVtableSize : kControlVtableSize,
          StableGuid(InterfaceName(which_))};
}

std::vector<std::string> TypeInfo::GetNames(int32_t dispid) const {
  const MemberDesc* m = MemberTable::Instance().FindByDispid(which_, dispid);
  if (!m) return {};
  std::vector<std::string> names{m->name};
  for (const ParamDesc& p : m->params) names.push_back(p.name);
  return names;
}

std::string GenerateIdl() {
  std::string s = "// Generated from the member table; do not edit.\n[\n  uuid(" + StableGuid("library") +
                  "),\n  version(1.14),\n  lcid(1033),\n  helpstring(\"vexiro imaging library\"),\n  control\n]\n"
                  "library Vexiro4S\n{\n    importlib(\"stdole2.tlb\");\n    importlib(\"objsafe.tlb\");\n\n";
  for (const EnumerationDesc& e : Enumerations()) s += EnumerationIdl(e);
  s += InterfaceIdl(Interface::Engine);
  s += InterfaceIdl(Interface::Control);
  s += "    [odl, uuid(" + StableGuid("_dummy") + "), version(1.0), hidden, dual, nonextensible, oleautomation]\n"
       "    interface _dummy : IDispatch {\n    };\n\n";
  s += "    [uuid(" + StableGuid("__Imaging") + "), version(1.14), hidden, nonextensible]\n"
       "    dispinterface __Imaging {\n        properties:\n        methods:\n    };\n\n";
  s += "    [uuid(" + StableGuid("Imaging") + "), version(1.14), control]\n    coclass Imaging {\n"
       "        [default] interface _Imaging;\n        interface IObjectSafety;\n"
       "        [default, source] dispinterface __Imaging;\n    };\n\n";
  s += "    [uuid(" + StableGuid("cImaging") + "), version(1.14), appobject]\n    coclass cImaging {\n"
       "        [default] interface _cImaging;\n        interface IObjectSafety;\n    };\n\n";
  s += "    [uuid(" + StableGuid("dummy") + "), version(1.0), noncreatable]\n    coclass dummy {\n"
       "        [default] interface _dummy;\n    };\n};\n";
  return s;
}

}  // namespace vx::control
