// Filter and conversion speed on a 4000 x 3000 24-bit picture in one thread, beside the time the
// vips command line (one thread) takes for the nearest operation on the same picture, measured
// in the same run. Prints one table; vips missing leaves its columns empty.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "processing/filters/filter_engine.h"
#include "vexiro/imaging.h"

namespace {

namespace gp = vx::gdiplus;
constexpr int32_t kWidth = 4000, kHeight = 3000;
constexpr double kMegapixels = kWidth * kHeight / 1e6;

double Seconds(const std::function<void()>& work, int runs = 3) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// A photo-like picture: gradients with noise, written in the image's own 24-bit rows.
int32_t MakePicture() {
  int32_t id = 0;
  vx::engine::CreateImageFromScan0(kWidth, kHeight, 0, gp::PixelFormat24bppRGB, 0, id, false);
  gp::BitmapData data;
  gp::PixelFormat format = gp::PixelFormat24bppRGB;
  vx::engine::LockImageBits(id, {0, 0, kWidth, kHeight}, gp::ImageLockModeWrite, format, data);
  std::mt19937 random(7);
  for (int32_t y = 0; y < kHeight; ++y) {
    auto* row = static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (int32_t x = 0; x < kWidth; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 255 / kWidth + (random() & 15));
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / kHeight + (random() & 15));
      row[3 * x + 2] = static_cast<uint8_t>((x + y) * 127 / (kWidth + kHeight) + (random() & 31));
    }
  }
  vx::engine::UnlockImageBits(id, data);
  return id;
}

void WritePpm(int32_t id, const std::string& path) {
  gp::BitmapData data;
  gp::PixelFormat format = gp::PixelFormat24bppRGB;
  vx::engine::LockImageBits(id, {0, 0, kWidth, kHeight}, gp::ImageLockModeRead, format, data);
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
  std::string row(3 * kWidth, '\0');
  for (int32_t y = 0; y < kHeight; ++y) {
    const auto* src = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (int32_t x = 0; x < kWidth; ++x) {
      row[3 * x] = static_cast<char>(src[3 * x + 2]);
      row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
      row[3 * x + 2] = static_cast<char>(src[3 * x]);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  vx::engine::UnlockImageBits(id, data);
}

struct Scratch {
  std::filesystem::path folder;
  Scratch() {
    const char* tmp = std::getenv("TMPDIR");
    folder = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / ("vexiro_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string File(const std::string& name) const { return (folder / name).string(); }
};

bool VipsAvailable() { return std::system("command -v vips >/dev/null 2>&1") == 0; }

double VipsSeconds(const std::string& arguments) {
  const std::string command = "VIPS_CONCURRENCY=1 vips " + arguments + " >/dev/null 2>&1";
  int status = 0;
  const double s = Seconds([&] { status = std::system(command.c_str()); });
  return status == 0 ? s : -1;
}

void Row(const char* what, double ours, const std::string& vipsOperation, double theirs) {
  std::printf("%-22s %9.1f ms %8.1f MP/s", what, ours * 1e3, kMegapixels / ours);
  if (theirs > 0)
    std::printf("   %-34s %9.1f ms %8.1f MP/s\n", vipsOperation.c_str(), theirs * 1e3, kMegapixels / theirs);
  else
    std::printf("   %-34s %12s\n", vipsOperation.c_str(), "-");
}

}  // namespace

int main() {
  vexiro::cImaging engine;
  Scratch scratch;
  const int32_t picture = MakePicture();
  const bool vips = VipsAvailable();
  const std::string in = scratch.File("in.v"), out = scratch.File("out.v");
  if (vips) {
    WritePpm(picture, scratch.File("in.ppm"));
    std::system(("vips copy '" + scratch.File("in.ppm") + "' '" + in + "' >/dev/null 2>&1").c_str());
    std::ofstream(scratch.File("sharpen.mat")) << "3 3 10 0\n-2 -2 -2\n-2 26 -2\n-2 -2 -2\n";
    std::ofstream(scratch.File("blur.mat")) << "3 3 8 0\n1 1 1\n1 0 1\n1 1 1\n";
  }
  const auto vipsTime = [&](const std::string& op) { return vips ? VipsSeconds(op) : -1; };
  const auto io = "'" + in + "' '" + out + "'";

  std::printf("%dx%d 24-bit picture, one thread, best of 3\n", kWidth, kHeight);
  std::printf("%-22s %12s %13s   %-34s %12s %13s\n", "vexiro", "time", "speed", "vips (nearest operation)", "time",
              "speed");
  struct FilterRow {
    const char* what;
    int32_t filter;
    double param1;
    std::string vipsOperation;
  };
  const FilterRow filters[] = {
      {"negative", 2, 0, "linear --uchar " + io + " -- -1 255"},
      {"brightness +50%", 14, 50, "linear --uchar " + io + " 1.5 0"},
      {"gamma 50", 31, 50, "gamma " + io + " --exponent 2"},
      {"grey", 12, 3, "colourspace " + io + " b-w"},
      {"sharpen", 1, 2, "conv " + io + " '" + scratch.File("sharpen.mat") + "'"},
      {"blur", 3, 0, "conv " + io + " '" + scratch.File("blur.mat") + "'"},
  };
  for (const FilterRow& f : filters) {
    vexiro::FilterArea area{0, 0, kWidth, kHeight};
    double result = 0;
    const double ours = Seconds(
        [&] { vx::processing::ApplyFilter(f.filter, picture, f.param1, area, 0, 0.5f, 1.0f, 0, 0, 0, result); });
    const std::string shown = f.vipsOperation.substr(0, f.vipsOperation.find(' '));
    Row(f.what, ours, shown, vipsTime(f.vipsOperation));
  }
  struct ConversionRow {
    const char* what;
    vexiro::VexiroStatus (vexiro::cImaging::*member)();
    std::string vipsOperation;
  };
  const ConversionRow conversions[] = {
      {"to 8-bit grey", &vexiro::cImaging::ConvertTo8BppGrayScale, "colourspace " + io + " b-w"},
      {"to 1 bit", &vexiro::cImaging::ConvertTo1Bpp, "relational_const " + io + " more 125"},
  };
  for (const ConversionRow& c : conversions) {
    const double ours = Seconds([&] {
      int32_t copy = 0;
      vx::engine::CloneImage(copy, picture);
      engine.SetNativeImage(copy);
      (engine.*c.member)();
      vx::engine::ReleaseImage(copy);
    });
    const std::string shown = c.vipsOperation.substr(0, c.vipsOperation.find(' '));
    Row(c.what, ours, shown, vipsTime(c.vipsOperation));
  }
  std::printf("(the conversions include cloning the picture first)\n");
  return 0;
}
