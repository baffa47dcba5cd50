// Feeds arbitrary bytes to the format plug-in's loaders through the engine's plug-in route: the
// bytes become a file, the plug-in detects and decodes it, the bridge turns the result into an
// image of the store, and every pixel row of it is read.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "vexiro/imaging.h"

namespace {

std::unique_ptr<vexiro::cImaging> g_engine;  // keeps the platform started and the plug-in found
std::string g_path;

void ReadEveryRow(int32_t id) {
  vx::gdiplus::GpImage* image = vx::engine::GetGpImage(id);
  if (!image || image->type != vx::gdiplus::ImageTypeBitmap) return;
  auto* bitmap = static_cast<vx::gdiplus::GpBitmap*>(image);
  vx::gdiplus::BitmapData data;
  if (vx::gdiplus::GdipBitmapLockBits(bitmap, nullptr, vx::gdiplus::ImageLockModeRead,
                                      vx::gdiplus::PixelFormat32bppARGB, &data) != vx::gdiplus::Ok)
    return;
  volatile uint32_t sum = 0;
  for (vx::gdiplus::UINT y = 0; y < data.Height; ++y)
    sum = sum + static_cast<const uint8_t*>(data.Scan0)[static_cast<ptrdiff_t>(y) * data.Stride];
  vx::gdiplus::GdipBitmapUnlockBits(bitmap, &data);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_engine = std::make_unique<vexiro::cImaging>();
  const char* tmp = std::getenv("TMPDIR");
  g_path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexiro-fuzz-plugin-" + std::to_string(::getpid());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  int32_t id = 0;
  // Multi-page files open natively, so no page files are written per input.
  const vx::engine::LoadOptions native{.TiffReadOnly = true, .GifReadOnly = true};
  if (vx::engine::LoadImageThroughPlugin(id, g_path, native) == vexiro::OK && id != 0) {
    ReadEveryRow(id);
    vx::engine::ReleaseImage(id);
  }
  ::unlink(g_path.c_str());
  return 0;
}
