// vexiro: runs a script of member calls through one Imaging control.
//   vexiro FILE | vexiro -e LINE [-e LINE ...] | vexiro < script
//   vexiro --members     one line per member: name, signature, "bound" or "not bound"
//   vexiro --idl         the type library as IDL
//   vexiro --register    registers the library's classes and type library (VEXIRO_REGISTRY)
//   vexiro --unregister  removes that registration
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "control/com_server.h"
#include "control/member_help.h"
#include "control/member_table.h"
#include "control/script_engine.h"
#include "control/script_host.h"
#include "control/type_library.h"
#include "platform/gdi/font_caches.h"
#include "platform/kernel/environment.h"
#include "platform/registry/registry.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Usage() {
  std::cerr << "usage: vexiro FILE | vexiro -e LINE ... | vexiro --members | vexiro --idl | vexiro --register |"
               " vexiro --unregister | vexiro < script\n";
  return kExitUsage;
}

int ListMembers(const vx::control::ScriptEngine& engine) {
  size_t bound = 0;
  for (const vx::control::MemberDesc& m : vx::control::MemberTable::Instance().Members()) {
    const bool isBound = engine.Implements(m);
    bound += isBound;
    std::cout << m.name << ' ' << m.Signature() << ' ' << (isBound ? "bound" : "not bound") << '\n';
  }
  std::cerr << bound << " of " << vx::control::MemberTable::Instance().size() << " members bound\n";
  return 0;
}

// Without the format plug-in, files only it reads (TGA, JPEG 2000, EXR …) load with status 9
// (Aborted), which says nothing of why: the host says so before the script runs, and where it looked.
void WarnWhenTheFormatPluginIsMissing() {
  if (!vx::FindModulePath("vximgplug.dll").empty()) return;
  std::cerr << "vexiro: the format plug-in vximgplug.so is in none of these folders:";
  for (const std::string& folder : vx::ModuleSearchFolders()) std::cerr << ' ' << folder;
  std::cerr << "\nvexiro: files only it reads (TGA, JPEG 2000, EXR …) will load with status 9 (Aborted);"
               " VEXIRO_PLUGIN_PATH names more folders to search\n";
}

int RunScript(const vx::control::Dispatch& engine, const std::string& script) {
  WarnWhenTheFormatPluginIsMissing();
  vx::control::ScriptHost host(engine, std::cout);
  if (host.Run(script)) return 0;
  std::cout.flush();
  std::cerr << host.Error() << '\n';
  return kExitFailure;
}

// The script file's text; false, with the reason, when it cannot be read as one.
bool ReadScriptFile(const std::string& path, std::string& script, std::string& why) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    why = "is a folder";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    why = "cannot open it";
    return false;
  }
  std::ostringstream in;
  in << file.rdbuf();
  if (file.bad()) {
    why = "read failed";
    return false;
  }
  script = in.str();
  return true;
}

// Runs one of the library's registration entry points and says what became of it.
int Registration(vx::HRESULT (*entryPoint)(), const char* what) {
  const vx::HRESULT hr = entryPoint();
  if (vx::SUCCEEDED(hr)) return 0;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::cerr << "vexiro: " << what << " failed (" << code << "); registry file: " << vx::RegistryFilePath() << '\n';
  return kExitFailure;
}

int Main(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "--register") return Registration(&DllRegisterServer, "registration");
  if (args.size() == 1 && args[0] == "--unregister") return Registration(&DllUnregisterServer, "unregistration");
  if (args.size() == 2 && args[0] == "--help") return vx::control::PrintMemberHelp(args[1], std::cout, std::cerr);
  vx::control::ScriptEngine engine;
  if (args.size() == 1 && args[0] == "--members") return ListMembers(engine);
  if (args.size() == 2 && args[0] == "--members")
    return vx::control::PrintMatchingMembers(
        args[1], [&engine](const vx::control::MemberDesc& m) { return engine.Implements(m); }, std::cout, std::cerr);
  if (args.size() == 1 && args[0] == "--idl") {
    std::cout << vx::control::GenerateIdl();
    return 0;
  }
  std::string script;
  if (args.empty()) {
    std::ostringstream in;
    in << std::cin.rdbuf();
    script = in.str();
  } else if (args[0] == "-e") {
    for (size_t i = 0; i < args.size(); i += 2) {
      if (args[i] != "-e" || i + 1 >= args.size()) return Usage();
      script += args[i + 1] + "\n";
    }
  } else if (args.size() == 1 && args[0].rfind("-", 0) != 0) {
    std::string why;
    if (!ReadScriptFile(args[0], script, why)) {
      std::cerr << "vexiro: cannot read " << args[0] << ": " << why << '\n';
      return kExitFailure;
    }
  } else {
    return Usage();
  }
  return RunScript(engine.Dispatcher(), script);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = Main(std::vector<std::string>(argv + 1, argv + argc));
  // Once the engine is gone no text can be drawn any more; handing the font caches back lets a
  // host run cleanly under a leak checker.
  vx::gdi::ReleaseFontCaches();
  return status;
}
