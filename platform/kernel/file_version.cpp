// File versions stand in for the version resources of Windows modules: the imaging platform
// answers a built-in version, companion plug-ins the text their VxPluginVersion export returns.
#include <cctype>
#include <charconv>
#include <mutex>

#include "platform/kernel/environment.h"

namespace vx {

namespace {

constexpr const char* kBuiltInPlatformVersion = "6.1.7601.24545";
constexpr const char* kUnknown = "Unknown";
constexpr const char* kUndefined = "Undefined";
constexpr size_t kMaxVersionText = 64;

struct PlatformVersion {
  std::mutex mutex;
  std::string overrideText;
};

PlatformVersion& Platform() {
  static PlatformVersion version;
  return version;
}

bool IsPlatformModule(const std::string& moduleName) {
  if (moduleName.size() != 11) return false;
  for (size_t i = 0; i < moduleName.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(moduleName[i])) != "gdiplus.dll"[i]) return false;
  }
  return true;
}

std::string PlatformVersionText() {
  PlatformVersion& platform = Platform();
  std::lock_guard lock(platform.mutex);
  return platform.overrideText.empty() ? kBuiltInPlatformVersion : platform.overrideText;
}

// The version text a module carries, nothing when the module or its version export is missing.
std::optional<std::string> VersionTextOf(const std::string& moduleName) {
  if (IsPlatformModule(moduleName)) return PlatformVersionText();
  HMODULE module = LoadLibrary(moduleName);
  if (module == nullptr) return std::nullopt;
  using VersionFunction = const char* (*)();
  auto version = reinterpret_cast<VersionFunction>(GetProcAddress(module, "VxPluginVersion"));
  if (version == nullptr) return std::nullopt;
  const char* text = version();
  if (text == nullptr) return std::string();
  // A plug-in is foreign code: read a bounded prefix only.
  size_t length = 0;
  while (length <= kMaxVersionText && text[length] != '\0') ++length;
  return std::string(text, length);
}

}  // namespace

std::optional<FileVersion> ParseFileVersion(const std::string& text) {
  uint16_t parts[4] = {};
  const char* cursor = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (cursor == end || *cursor != '.') return std::nullopt;
      ++cursor;
    }
    if (cursor == end || *cursor < '0' || *cursor > '9') return std::nullopt;
    auto [next, ec] = std::from_chars(cursor, end, parts[i]);
    if (ec != std::errc()) return std::nullopt;
    cursor = next;
  }
  if (cursor != end) return std::nullopt;
  return FileVersion{parts[0], parts[1], parts[2], parts[3]};
}

std::string FormatFileVersion(const FileVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.build) + "." + std::to_string(version.revision);
}

std::optional<FileVersion> GetFileVersionInfo(const std::string& moduleName) {
  auto text = VersionTextOf(moduleName);
  if (!text) return std::nullopt;
  return ParseFileVersion(*text);
}

std::string GetFileVersionString(const std::string& moduleName) {
  // The test hook's text is answered as it stands, so tests can script any version text.
  if (IsPlatformModule(moduleName)) return PlatformVersionText();
  auto text = VersionTextOf(moduleName);
  if (!text) return kUnknown;
  auto version = ParseFileVersion(*text);
  return version ? FormatFileVersion(*version) : kUndefined;
}

void OverridePlatformVersionForTesting(const std::string& versionText) {
  PlatformVersion& platform = Platform();
  std::lock_guard lock(platform.mutex);
  platform.overrideText = versionText.substr(0, kMaxVersionText);
}

}  // namespace vx
