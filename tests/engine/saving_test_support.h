// Helpers of the saving, palette and colour-reduction tests: engine access, a scratch folder,
// pictures made in memory, and independent readers (giflib, ImageMagick) of what was written.
#pragma once
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/engine_test_support.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "vexiro/imaging.h"

namespace vexiro {

// Reaches the engine's current image and its private members.
struct SavingTestAccess {
  static void SetCurrent(cImaging& e, int32_t id) { e.nNativeImage = id; }
  static int32_t Current(const cImaging& e) { return e.nNativeImage; }
  static void SetNativeTiffMultiPage(cImaging& e, int32_t id) { e.nNativeTiffMultiPage = id; }
  static void SetTagsPreserve(cImaging& e, bool on) { e.bTagsPreserve = on; }
  static void SetStat(cImaging& e, VexiroStatus s) { e.nStat = s; }
  static VexiroStatus QuantizeCore(cImaging& e, int32_t& colors, bool transparent, int32_t key) {
    return e.QuantizeCore(colors, transparent, key);
  }
  static void SaveImageProperties(cImaging& e, int32_t id) { e.SaveImageProperties(id); }
  static void RestoreImageProperties(cImaging& e, int32_t id) { e.RestoreImageProperties(id); }
  static int32_t SavedPropertyItemCount(const cImaging& e) { return e.nSavedPropertyItemCount; }
};

}  // namespace vexiro

namespace vx::engine::saving_test {

using gdiplus::ARGB;
using test_support::MakeImage;

// A folder of its own inside TMPDIR for one test's output, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/out_" + name + "_" + std::to_string(::getpid());
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// Pixels as ImageMagick reads the file, as opaque-or-not ARGB values, row after row.
inline std::vector<ARGB> PixelsByImageMagick(const std::string& path) {
  const std::string raw = Shell("convert '" + path + "[0]' -depth 8 rgba:- 2>/dev/null");
  std::vector<ARGB> pixels(raw.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const auto* p = reinterpret_cast<const uint8_t*>(raw.data()) + 4 * i;
    pixels[i] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
  return pixels;
}

// The image's pixels as 32bppARGB values, row after row.
inline std::vector<ARGB> ArgbPixelsOf(int32_t id) {
  int32_t w = 0, h = 0;
  GetImageWidth(id, w);
  GetImageHeight(id, h);
  std::vector<ARGB> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  gdiplus::BitmapData data;
  data.Stride = 4 * w;
  data.Scan0 = pixels.data();
  gdiplus::PixelFormat format = gdiplus::PixelFormat32bppARGB;
  EXPECT_EQ(LockImageBits(id, {0, 0, w, h}, gdiplus::ImageLockModeRead | gdiplus::ImageLockModeUserInputBuf, format, data),
            vexiro::OK);
  UnlockImageBits(id, data);
  return pixels;
}

// Fills a non-indexed image from 32bppARGB values, row after row.
inline void FillArgb(int32_t id, std::vector<ARGB> pixels) {
  int32_t w = 0, h = 0;
  GetImageWidth(id, w);
  GetImageHeight(id, h);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(w) * static_cast<size_t>(h));
  gdiplus::BitmapData data;
  data.Stride = 4 * w;
  data.Scan0 = pixels.data();
  gdiplus::PixelFormat format = gdiplus::PixelFormat32bppARGB;
  ASSERT_EQ(LockImageBits(id, {0, 0, w, h}, gdiplus::ImageLockModeWrite | gdiplus::ImageLockModeUserInputBuf, format,
                          data),
            vexiro::OK);
  ASSERT_EQ(UnlockImageBits(id, data), vexiro::OK);
}

// An image of the format whose pixels follow `colour(x, y)`.
template <class Colour>
int32_t MakeFilled(int32_t w, int32_t h, gdiplus::PixelFormat format, Colour colour) {
  const int32_t id = MakeImage(w, h, format);
  std::vector<ARGB> pixels;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) pixels.push_back(colour(x, y));
  FillArgb(id, pixels);
  return id;
}

// An indexed image with the given palette and palette indices, row after row.
inline int32_t MakeIndexed(int32_t w, int32_t h, gdiplus::PixelFormat format, const gdiplus::ColorPalette& palette,
                           const std::vector<uint8_t>& indices) {
  const int32_t id = MakeImage(w, h, format);
  EXPECT_EQ(SetImagePaletteRaw(id, palette), vexiro::OK);
  const int32_t bits = PixelFormatBitDepthStrict(format);
  for (int32_t y = 0; y < h; ++y) {
    std::vector<uint8_t> row((static_cast<size_t>(w) * bits + 7) / 8, 0);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t v = indices[static_cast<size_t>(y) * w + x];
      if (bits == 8) row[x] = v;
      if (bits == 4) row[x / 2] |= static_cast<uint8_t>(x % 2 ? v : v << 4);
      if (bits == 1) row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
    }
    test_support::WriteRow(id, y, row);
  }
  return id;
}

// A decoded GIF: size, colour count, transparent index (-1 none) and indices row after row.
struct DecodedGif {
  bool ok = false;
  int width = 0, height = 0, colors = 0, transparent = -1, codeSizeByte = 0;
  std::vector<uint8_t> indices;
  std::vector<ARGB> table;
};

inline DecodedGif DecodeWithGiflib(const std::string& path) {
  DecodedGif out;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return out;
  if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
    const SavedImage& image = gif->SavedImages[0];
    out.width = image.ImageDesc.Width;
    out.height = image.ImageDesc.Height;
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    out.colors = map ? map->ColorCount : 0;
    for (int i = 0; i < out.colors; ++i)
      out.table.push_back(0xFF000000u | map->Colors[i].Red << 16 | map->Colors[i].Green << 8 | map->Colors[i].Blue);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) out.transparent = gcb.TransparentColor;
    out.indices.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(out.width) * out.height);
    out.ok = true;
  }
  DGifCloseFile(gif, &error);
  return out;
}

inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed, int modulo = 256) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng() % static_cast<uint32_t>(modulo));
  return v;
}

}  // namespace vx::engine::saving_test
