// Companion modules are shared objects found by name on the plug-in search path. Each is opened
// once and kept for the life of the process, as a loaded DLL stays mapped on Windows: callers keep
// function pointers into it without reference counting.
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/kernel/environment.h"
#include "platform/kernel/last_error.h"

namespace vx {

namespace {

namespace fs = std::filesystem;

std::string ToLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The folders of the library's own file where plug-ins may lie: the folder itself, its `plugins/`
// (where the build tree keeps them) and its `vexiro/` (where an installation keeps them, out of the
// shared library folder).
std::vector<fs::path> DefaultFolders() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&DefaultFolders), &info) == 0 || info.dli_fname == nullptr) return {};
  const fs::path library = fs::path(info.dli_fname).parent_path();
  return {library, library / "plugins", library / "vexiro"};
}

// The folders of VEXIRO_PLUGIN_PATH first, so that a host can put its own plug-ins in front of
// those that came with the library.
std::vector<fs::path> SearchFolders() {
  std::vector<fs::path> folders;
  std::stringstream path(GetEnvironmentVariable("VEXIRO_PLUGIN_PATH"));
  for (std::string folder; std::getline(path, folder, ':');) {
    if (!folder.empty()) folders.emplace_back(folder);
  }
  for (fs::path& folder : DefaultFolders()) folders.push_back(std::move(folder));
  return folders;
}

struct LoadedModules {
  std::mutex mutex;
  std::map<std::string, void*> byPath;
};

LoadedModules& Modules() {
  static auto* modules = new LoadedModules();  // kept: modules stay loaded until the process ends
  return *modules;
}

}  // namespace

// "VxImgPlug.DLL" -> "vximgplug.so"; "" for a name that is empty or holds a path.
std::string SharedObjectName(const std::string& moduleName) {
  if (moduleName.empty() || moduleName.find_first_of("/\\") != std::string::npos) return "";
  std::string base = ToLower(moduleName);
  if (base.size() > 4 && base.ends_with(".dll")) base.resize(base.size() - 4);
  if (base == "." || base == "..") return "";
  return base + ".so";
}

std::string FindModulePath(const std::string& moduleName) {
  const std::string file = SharedObjectName(moduleName);
  if (file.empty()) return "";
  for (const fs::path& folder : SearchFolders()) {
    std::error_code ec;
    fs::path candidate = folder / file;
    if (fs::is_regular_file(candidate, ec)) return fs::absolute(candidate, ec).lexically_normal().string();
  }
  return "";
}

std::vector<std::string> ModuleSearchFolders() {
  std::vector<std::string> folders;
  for (const fs::path& folder : SearchFolders()) folders.push_back(folder.string());
  return folders;
}

HMODULE LoadLibrary(const std::string& moduleName) {
  const std::string path = FindModulePath(moduleName);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  LoadedModules& modules = Modules();
  std::lock_guard lock(modules.mutex);
  auto it = modules.byPath.find(path);
  if (it != modules.byPath.end()) return it->second;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  modules.byPath.emplace(path, handle);
  return handle;
}

void* GetProcAddress(HMODULE module, const char* symbol) {
  if (module == nullptr || symbol == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* address = dlsym(module, symbol);
  if (address == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return address;
}

}  // namespace vx
