// Shared by the format plug-in's tests: the plug-in bound through dlopen, fixtures made by
// ImageMagick in a private folder, and small file helpers.
#pragma once
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugins/vximgplug/vximgplug.h"
#include "support/child_processes.h"
#include "support/required_tool.h"

namespace vximgplug_test {

inline const VximgplugApi& Api() {
  static VximgplugApi api = [] {
    VximgplugApi a{};
    const std::string path = std::string(VEXIRO_PLUGIN_DIR) + "/vximgplug.so";
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return a;
    a.VxPluginVersion = reinterpret_cast<VxPluginVersion_fn>(dlsym(module, "VxPluginVersion"));
#define VXIMGPLUG_BIND(name, result, params) \
  a.name = reinterpret_cast<VXIMGPLUG_##name##_fn>(dlsym(module, "VXIMGPLUG_" #name));
    VXIMGPLUG_OPERATIONS(VXIMGPLUG_BIND)
#undef VXIMGPLUG_BIND
    return a;
  }();
  return api;
}

inline std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

inline bool HaveTool(const std::string& tool) { return vxtest::OracleAvailable(tool); }

inline bool RunQuiet(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A fresh folder under TMPDIR for one test, removed with it.
class TempFolder {
 public:
  TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vximgplug-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    path_ = mkdtemp(name.data()) ? std::string(name.data()) : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Unloads a bitmap at scope end.
class BitmapHandle {
 public:
  explicit BitmapHandle(uint32_t h = 0) : h_(h) {}
  ~BitmapHandle() {
    if (h_) Api().Unload(h_);
  }
  BitmapHandle(const BitmapHandle&) = delete;
  BitmapHandle& operator=(const BitmapHandle&) = delete;
  uint32_t get() const { return h_; }
  explicit operator bool() const { return h_ != 0; }

 private:
  uint32_t h_;
};

// Loads with the decoding helpers waiting now unable to write past `limit` bytes of any file: the
// helper serving the load dies writing its reply, at a byte the limit chooses. The limit is the
// helper's own (the host's limits do not bind a helper), so the replacement started after it
// writes freely again.
inline uint32_t LoadWithHelperFileSizeLimit(int format, const std::string& path, rlim_t limit) {
  const rlimit limited{limit, limit};
  for (const auto& [pid, switches] : vxtest::LiveChildren()) EXPECT_EQ(prlimit(pid, RLIMIT_FSIZE, &limited, nullptr), 0);
  return Api().LoadU(format, path.c_str(), 0);
}

// The picture's colour at (x, y from the top) of a 24- or 32-bit bitmap, as 0xRRGGBB,
// honouring the row order the plug-in reports through the header's height sign.
inline uint32_t PixelAt(uint32_t bitmap, int x, int yFromTop) {
  const VximgplugApi& api = Api();
  const int height = api.GetHeight(bitmap);
  const int bpp = api.GetBPP(bitmap);
  const auto* header = static_cast<const uint8_t*>(api.GetInfo(bitmap));
  int32_t infoHeight;
  std::memcpy(&infoHeight, header + 8, 4);
  const int row = infoHeight < 0 ? yFromTop : height - 1 - yFromTop;
  const uint8_t* p = api.GetBits(bitmap) + static_cast<ptrdiff_t>(row) * api.GetPitch(bitmap) + x * (bpp / 8);
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

}  // namespace vximgplug_test
