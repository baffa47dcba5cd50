// Environment variables, file versions and companion modules.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/win_types.h"

namespace vx {

// The variable's value, "" when it is not set.
std::string GetEnvironmentVariable(const std::string& name);

struct FileVersion {
  uint16_t major = 0, minor = 0, build = 0, revision = 0;
  friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// The version resource of a module by its Windows name ("gdiplus.dll", "vximgplug.dll" ...):
// a built-in 6.x version for the imaging platform, the exported version text of a companion
// plug-in found on the plug-in search path, nothing when there is no such module.
std::optional<FileVersion> GetFileVersionInfo(const std::string& moduleName);
// Test hook: answer this version text for the imaging platform instead of the built-in one
// ("" restores the built-in one).
void OverridePlatformVersionForTesting(const std::string& versionText);

// The version as four dotted decimal numbers; "Unknown" when the module is missing or carries no
// version, "Undefined" when its version text cannot be read as four numbers of 0 .. 65535.
std::string GetFileVersionString(const std::string& moduleName);
// "a.b.c.d" into its four numbers; nothing for any other text.
std::optional<FileVersion> ParseFileVersion(const std::string& text);
std::string FormatFileVersion(const FileVersion& version);

// Companion modules: a Windows module name maps to "<name without .dll>.so" (in lower case, as
// Windows names are case-blind), searched in the folders of VEXIRO_PLUGIN_PATH (colon-separated),
// then in the library's own folder, its plugins/ (the build tree) and its vexiro/ (an installation).
// A name holding a path separator names no companion.
// Each module exports `extern "C" const char* VxPluginVersion()` returning "a.b.c.d".
using HMODULE = void*;
HMODULE LoadLibrary(const std::string& moduleName);  // nullptr when missing; loads once
void* GetProcAddress(HMODULE module, const char* symbol);
std::string FindModulePath(const std::string& moduleName);  // "" when not found
// The file a module name stands for ("vxocrplug.tesseract.dll" -> "vxocrplug.tesseract.so"), as
// messages name it to the user; "" for a name that names no companion.
std::string SharedObjectName(const std::string& moduleName);
std::vector<std::string> ModuleSearchFolders();  // in search order, for telling where a module was sought

}  // namespace vx
