// vexiro: runs a script of member calls through one Imaging control.
//   vexiro [--strict] [--trace] FILE | -e LINE [-e LINE ...] | < script
//   vexiro --help        usage;  vexiro --version  the library's, type library's and plug-ins' versions
//   vexiro --members     one line per member: name, signature, "bound" or "not bound"
//   vexiro --idl         the type library as IDL
//   vexiro --register    registers the library's classes and type library (VEXIRO_REGISTRY)
//   vexiro --unregister  removes that registration
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
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
#include "vexiro/vexiro.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: vexiro [--strict] [--trace] FILE     run a script file\n"
    "       vexiro [--strict] [--trace] -e LINE [-e LINE ...]\n"
    "       vexiro [--strict] [--trace] < FILE   run a script from standard input\n"
    "       vexiro --help [MEMBER] | --version | --members [PATTERN] | --idl | --register | --unregister\n"
    "\n"
    "  --strict      stop at the first member call that leaves a non-zero status (GetStat)\n"
    "  --trace       write each member call with its status and time to standard error\n"
    "  --help        this text; with a member's name, that member's signature, parameters and statuses\n"
    "  --version     the versions of the library, its type library and its plug-ins\n"
    "  --members     every member with its signature and whether it is bound; with a pattern (* and ?,\n"
    "                or a part of the name) the matching members, by subsystem\n"
    "  --idl         the type library as IDL\n"
    "  --register    register the library's classes (VEXIRO_REGISTRY names the registry file)\n"
    "  --unregister  remove that registration\n"
    "\n"
    "A script stops with \"line N: ...\" on standard error and exit status 1 at a syntax error, an\n"
    "unknown name, a wrong argument, a member's run-time error, a failed expect and, with --strict,\n"
    "a non-zero status; otherwise it runs to its end and exits 0.\n";

int Usage() {
  std::cerr << kUsage;
  return kExitUsage;
}

int Help() {
  std::cout << kUsage;
  return 0;
}

// Each labelled, so that a report of a fault can say what was installed.
int PrintVersions() {
  const auto& members = vx::control::MemberTable::Instance().Members();
  std::cout << "library: " << vexiro::LibraryVersion() << '\n';
  // Versions only ever append members, so the newest member's version is the type library's.
  std::cout << "type library: Vexiro4S " << members.back().version << '\n';
  for (const char* plugin : {"vximgplug.dll", "vxtwain.dll", "vxocrplug.tesseract.dll", "vxbarcode.1dreader.dll",
                             "vxbarcode.dmreader.dll"}) {
    const std::string name(plugin, std::string_view(plugin).size() - 4);
    const std::string path = vx::FindModulePath(plugin);
    std::cout << "plug-in " << name << ": ";
    if (path.empty()) std::cout << "not found\n";
    else std::cout << vx::GetFileVersionString(plugin) << " (" << path << ")\n";
  }
  return 0;
}

// Leading --strict and --trace, taken off the arguments.
vx::control::ScriptOptions TakeScriptOptions(std::vector<std::string>& args) {
  vx::control::ScriptOptions options;
  size_t taken = 0;
  for (; taken < args.size(); ++taken) {
    if (args[taken] == "--strict") options.strict = true;
    else if (args[taken] == "--trace") options.trace = &std::cerr;
    else break;
  }
  args.erase(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(taken));
  return options;
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

int RunScript(const vx::control::Dispatch& engine, const std::string& script, vx::control::ScriptOptions options) {
  WarnWhenTheFormatPluginIsMissing();
  vx::control::ScriptHost host(engine, std::cout, options);
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
  const char* why = hr == vx::control::SELFREG_E_CLASS ? "the registry file could not be written: " : "";
  std::cerr << "vexiro: " << what << " failed (" << why << code << "); registry file: " << vx::RegistryFilePath() << '\n';
  return kExitFailure;
}

int Main(std::vector<std::string> args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Help();
  if (args.size() == 1 && args[0] == "--version") return PrintVersions();
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
  const vx::control::ScriptOptions options = TakeScriptOptions(args);
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
  return RunScript(engine.Dispatcher(), script, options);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = Main(std::vector<std::string>(argv + 1, argv + argc));
  // Once the engine is gone no text can be drawn any more; handing the font caches back lets a
  // host run cleanly under a leak checker.
  vx::gdi::ReleaseFontCaches();
  return status;
}
