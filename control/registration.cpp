// Self-registration: the library's type library, its two creatable classes and every identifier
// their interfaces have had, written to the registry in one replacement of its file, and removed
// again key by key, leaving every other key as it was.
#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "control/com_server.h"
#include "control/control_pictures.h"
#include "control/type_library.h"
#include "platform/registry/registry.h"

namespace vx::control {

namespace {

constexpr const char* kLibraryDescription = "vexiro imaging library";
// Registry versions are hexadecimal: 1.14 is "1.e".
constexpr const char* kTypeLibraryVersionKey = "1.e";
constexpr const char* kClassVersion = "1.14";
constexpr const char* kLibraryFlags = "2";                 // describes controls
constexpr const char* kControlMiscStatus = "148881";       // invisible at run time, inside-out, ...
constexpr const char* kAutomationMarshaller = "{00020424-0000-0000-C000-000000000046}";

struct RegistryEntry {
  std::string key;    // below HKEY_CLASSES_ROOT
  std::string name;   // "" for the default value
  std::string value;  // nothing is written when both name and value are empty: the key alone
};

std::string Braced(const std::string& id) { return "{" + id + "}"; }

// The path of the library's own file, as the loader found it.
std::string LibraryPath() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) || !info.dli_fname) return "";
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(info.dli_fname, ec);
  return ec ? std::string(info.dli_fname) : path.string();
}

struct ClassRegistration {
  const char* className;      // "Imaging"
  const char* interfaceName;  // its default interface
  bool isControl;
};
constexpr ClassRegistration kClasses[] = {{"Imaging", "_Imaging", true}, {"cImaging", "_cImaging", false}};
constexpr const char* kInterfaces[] = {"_Imaging", "_cImaging", "__Imaging", "_dummy"};

// The keys of this library below HKEY_CLASSES_ROOT, which unregistration removes whole.
std::vector<std::string> OwnKeys() {
  std::vector<std::string> keys;
  for (const ClassRegistration& c : kClasses) {
    keys.push_back("CLSID\\" + Braced(StableGuid(c.className)));
    keys.push_back(std::string("Vexiro4S.") + c.className);
  }
  for (const char* name : kInterfaces)
    for (const std::string& iid : InterfaceIdentifiers(name)) keys.push_back("Interface\\" + Braced(iid));
  keys.push_back("TypeLib\\" + Braced(StableGuid("library")));
  return keys;
}

std::vector<RegistryEntry> Entries(const std::string& library) {
  const std::string libid = Braced(StableGuid("library"));
  std::vector<RegistryEntry> entries;
  for (const ClassRegistration& c : kClasses) {
    const std::string progId = std::string("Vexiro4S.") + c.className;
    const std::string clsid = Braced(StableGuid(c.className));
    const std::string key = "CLSID\\" + clsid;
    entries.push_back({key, "", progId});
    entries.push_back({key + "\\InprocServer32", "", library});
    entries.push_back({key + "\\InprocServer32", "ThreadingModel", "Apartment"});
    entries.push_back({key + "\\ProgID", "", progId});
    entries.push_back({key + "\\TypeLib", "", libid});
    entries.push_back({key + "\\Version", "", kClassVersion});
    if (c.isControl) {
      entries.push_back({key + "\\Control", "", ""});
      entries.push_back({key + "\\MiscStatus\\1", "", kControlMiscStatus});
      entries.push_back({key + "\\ToolboxBitmap32", "", library + ", " + std::to_string(kToolboxBitmapResource)});
    }
    entries.push_back({progId, "", progId});
    entries.push_back({progId + "\\CLSID", "", clsid});
  }
  for (const char* name : kInterfaces) {
    for (const std::string& iid : InterfaceIdentifiers(name)) {
      const std::string key = "Interface\\" + Braced(iid);
      entries.push_back({key, "", name});
      entries.push_back({key + "\\ProxyStubClsid32", "", kAutomationMarshaller});
      entries.push_back({key + "\\TypeLib", "", libid});
      entries.push_back({key + "\\TypeLib", "Version", kTypeLibraryVersionKey});
    }
  }
  const std::string typeLib = "TypeLib\\" + libid + "\\" + kTypeLibraryVersionKey;
  entries.push_back({typeLib, "", kLibraryDescription});
  entries.push_back({typeLib + "\\0\\win32", "", library});
  entries.push_back({typeLib + "\\FLAGS", "", kLibraryFlags});
  entries.push_back({typeLib + "\\HELPDIR", "", std::filesystem::path(library).parent_path().string()});
  return entries;
}

LSTATUS Write(const RegistryEntry& e) {
  HKEY key = 0;
  LSTATUS status = RegCreateKeyEx(HKEY_CLASSES_ROOT, e.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  if (!e.name.empty() || !e.value.empty())
    status = RegSetValueEx(key, e.name.empty() ? nullptr : e.name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(e.value.c_str()), static_cast<DWORD>(e.value.size() + 1));
  RegCloseKey(key);
  return status;
}

}  // namespace

}  // namespace vx::control

// Nothing reaches the file unless every entry could be made: the batch is committed only then.
vx::HRESULT DllRegisterServer() {
  using namespace vx::control;
  const std::string library = LibraryPath();
  if (library.empty()) return SELFREG_E_CLASS;
  vx::RegistryBatch batch;
  if (batch.Status() != vx::ERROR_SUCCESS) return SELFREG_E_CLASS;
  for (const RegistryEntry& e : Entries(library))
    if (Write(e) != vx::ERROR_SUCCESS) return SELFREG_E_CLASS;
  return batch.Commit() == vx::ERROR_SUCCESS ? vx::S_OK : SELFREG_E_CLASS;
}

vx::HRESULT DllUnregisterServer() {
  using namespace vx::control;
  vx::RegistryBatch batch;
  if (batch.Status() != vx::ERROR_SUCCESS) return SELFREG_E_CLASS;
  for (const std::string& key : OwnKeys()) {
    const vx::LSTATUS status = vx::RegDeleteTree(vx::HKEY_CLASSES_ROOT, key.c_str());
    if (status != vx::ERROR_SUCCESS && status != vx::ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  }
  return batch.Commit() == vx::ERROR_SUCCESS ? vx::S_OK : SELFREG_E_CLASS;
}
