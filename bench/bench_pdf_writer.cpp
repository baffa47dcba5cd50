// The PDF writer alone on an A4 page scanned at 300 dpi (2480 x 3508): adding the image, placing
// it on a page and closing the file, for a colour page (JPEG) and a bilevel page (CCITT G4).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace {

namespace gp = vx::gdiplus;
constexpr int32_t kWidth = 2480;
constexpr int32_t kHeight = 3508;

// The CCITT encoder lives in the format plug-in, built beside the benchmarks.
const bool g_pluginPathSet = [] {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  return setenv("VEXIRO_PLUGIN_PATH", (self.parent_path().parent_path() / "plugins").c_str(), 0) == 0;
}();

// Fills the image row by row with `row(y, bytes)`.
template <class RowFill>
int32_t PageImage(gp::PixelFormat format, RowFill row) {
  int32_t id = 0;
  vx::engine::CreateImageFromScan0(kWidth, kHeight, 0, format, 0, id, false);
  gp::BitmapData data;
  gp::PixelFormat f = format;
  vx::engine::LockImageBits(id, {0, 0, kWidth, kHeight}, gp::ImageLockModeWrite, f, data);
  for (int32_t y = 0; y < kHeight; ++y) row(y, static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
  vx::engine::UnlockImageBits(id, data);
  return id;
}

void WritePage(benchmark::State& state, int32_t id) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxbench." + std::to_string(getpid()) + ".pdf";
  for (auto _ : state) {
    vexiro::cPDF pdf;
    pdf.NewPdf(path, "", "", "", "", "");
    int32_t image = pdf.PdfAddImage(id, 2);
    pdf.DrawImg(image, 0, 0, 595.2f, 842);
    benchmark::DoNotOptimize(pdf.ClosePdfFile());
    std::filesystem::remove(path);
  }
}

void ColourPageAsJpeg(benchmark::State& state) {
  vexiro::cImaging engine;
  const int32_t id = PageImage(gp::PixelFormat24bppRGB, [](int32_t y, uint8_t* p) {
    for (int32_t x = 0; x < kWidth; ++x, p += 3) {
      p[0] = static_cast<uint8_t>(x / 10);
      p[1] = static_cast<uint8_t>(y / 14);
      p[2] = static_cast<uint8_t>((x ^ y) & 0x3F);
    }
  });
  WritePage(state, id);
  vx::engine::ReleaseImage(id);
}
BENCHMARK(ColourPageAsJpeg)->Unit(benchmark::kMillisecond);

void BilevelPageAsCcittG4(benchmark::State& state) {
  vexiro::cImaging engine;
  // Lines of "text": short black runs on white, with blank lines between.
  const int32_t id = PageImage(gp::PixelFormat1bppIndexed, [](int32_t y, uint8_t* p) {
    for (int32_t x = 0; x < (kWidth + 7) / 8; ++x) p[x] = (y / 20) % 3 == 0 ? 0xFF : static_cast<uint8_t>(0xFF ^ (0x81 << (x % 4)));
  });
  gp::ColorPalette palette;
  palette.Count = 2;
  palette.Entries[0] = 0xFF000000;
  palette.Entries[1] = 0xFFFFFFFF;
  vx::engine::SetImagePalette(id, palette);
  WritePage(state, id);
  vx::engine::ReleaseImage(id);
}
BENCHMARK(BilevelPageAsCcittG4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
