// A C++ host that uses libtiff's tag extender itself and has the library's format plug-in write
// TIFF files, single and multi-page: afterwards libtiff's extender is still the host's own (or
// libfreeimage's, which registers one as it is loaded, calling the one before it), never one of
// the plug-in's. Run by tests/threads/tiff_extender_host_test.cpp as
// `tiff_extender_host own|none PLUGIN PICTURE SINGLE MULTI`: `own` sets the host's extender
// before anything of the library runs, `none` sets none and looks only after the saves. It exits
// 0 when the library left libtiff's extender alone, and says on standard error what it found.
#include <dlfcn.h>
#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "vexiro/imaging.h"

namespace {

constexpr int32_t kFormatTiff = 18;
constexpr int32_t kLzw = 0x4000;
constexpr int32_t kAdobeDeflate = 0x0200;

TIFFExtendProc g_before = nullptr;
int g_directoriesSeen = 0;

void HostExtender(TIFF* tif) {
  ++g_directoriesSeen;
  if (g_before) g_before(tif);
}

bool Check(bool condition, const std::string& what) {
  if (!condition) std::fprintf(stderr, "tiff extender host: %s\n", what.c_str());
  return condition;
}

template <typename Function>
Function Find(void* plugin, const char* name) {
  return reinterpret_cast<Function>(dlsym(plugin, name));
}

constexpr int kWidth = 1700, kHeight = 2200;  // a 24-bit page of several strips

// The plug-in's own TIFF writers: one page by SaveU, two through a multi-page bitmap. The page is
// made here (a load would need the helper, which a save can do without).
bool SaveThroughPlugin(const std::string& plugin, const std::string& single, const std::string& multi) {
  void* handle = dlopen(plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!Check(handle != nullptr, "the plug-in opens")) return false;
  auto make = Find<uint32_t (*)(const uint8_t*, int32_t, int32_t, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, int32_t)>(
      handle, "VXIMGPLUG_ConvertFromRawBits");
  auto save = Find<int32_t (*)(int32_t, uint32_t, const char*, int32_t)>(handle, "VXIMGPLUG_SaveU");
  auto unload = Find<void (*)(uint32_t)>(handle, "VXIMGPLUG_Unload");
  auto open = Find<uint32_t (*)(int32_t, const char*, int32_t, int32_t, int32_t, int32_t)>(handle, "VXIMGPLUG_OpenMultiBitmap");
  auto append = Find<void (*)(uint32_t, uint32_t)>(handle, "VXIMGPLUG_AppendPage");
  auto close = Find<int32_t (*)(uint32_t, int32_t)>(handle, "VXIMGPLUG_CloseMultiBitmap");
  if (!Check(make && save && unload && open && append && close, "the plug-in has its members")) return false;
  std::vector<uint8_t> rows(size_t{kWidth} * 3 * kHeight);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7 / 5);
  const uint32_t bitmap = make(rows.data(), kWidth, kHeight, kWidth * 3, 24, 0xFF0000, 0xFF00, 0xFF, 1);
  bool ok = Check(bitmap != 0, "the plug-in makes the page");
  ok = ok && Check(save(kFormatTiff, bitmap, single.c_str(), kLzw) == 1, "the plug-in saves a TIFF");
  const uint32_t pages = ok ? open(kFormatTiff, multi.c_str(), 1, 0, 0, 0) : 0;
  if (pages != 0) {
    append(pages, bitmap);
    append(pages, bitmap);
  }
  ok = ok && Check(pages != 0 && close(pages, kAdobeDeflate) == 1, "the plug-in writes a multi-page TIFF");
  if (bitmap) unload(bitmap);
  dlclose(handle);
  return ok;
}

// Where the extender libtiff now calls lives.
std::string ModuleOf(TIFFExtendProc extender) {
  Dl_info info{};
  if (!extender || !dladdr(reinterpret_cast<void*>(extender), &info) || !info.dli_fname) return "";
  return info.dli_fname;
}

bool ExtenderLeftAlone(bool ownFirst) {
  const TIFFExtendProc now = TIFFSetTagExtender(nullptr);
  TIFFSetTagExtender(now);
  if (ownFirst && now == HostExtender) return true;
  const std::string module = ModuleOf(now);
  if (now == nullptr || module.find("libfreeimage") != std::string::npos) return true;
  return Check(false, "libtiff's extender is now one in " + (module.empty() ? "an unknown place" : module));
}

// The host's extender still hears every directory the host's libtiff reads.
bool HostStillExtends(const std::string& path) {
  const int before = g_directoriesSeen;
  if (TIFF* tif = TIFFOpen(path.c_str(), "r")) TIFFClose(tif);
  return Check(g_directoriesSeen > before, "the host's own extender is called for its own reads");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) return 2;
  const std::string kind = argv[1];
  const bool ownFirst = kind == "own";
  if (ownFirst) g_before = TIFFSetTagExtender(HostExtender);
  {
    vexiro::cImaging engine;  // the library loads its plug-in for the picture, libfreeimage with it
    const int32_t id = engine.CreateImageFromFile(argv[3]);
    if (id != 0) engine.CloseImage(id);
  }
  bool ok = SaveThroughPlugin(argv[2], argv[4], argv[5]);
  ok = ExtenderLeftAlone(ownFirst) && ok;
  if (ownFirst) ok = HostStillExtends(argv[4]) && ok;
  return ok ? 0 : 1;
}
