// Shared helpers of the codec tests: scratch files, independent tools, pictures and encoder
// parameters.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gdiplus_test_session.h"
#include "platform/gdiplus/image_io.h"
#include "support/required_tool.h"

namespace codec_test {

using namespace gdiplus_test;

inline std::string ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

// Scratch files handed out during a test; removed when the test ends, so the suite leaves its
// private TMPDIR as it found it.
inline std::vector<std::string>& ScratchFiles() {
  static std::vector<std::string> files;
  return files;
}

class ScratchCleaner : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    // Newest first, so a scratch folder is empty by the time its own turn comes.
    for (auto file = ScratchFiles().rbegin(); file != ScratchFiles().rend(); ++file) std::remove(file->c_str());
    ScratchFiles().clear();
  }
};

inline const bool kScratchCleanerInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ScratchCleaner);
  return true;
}();

// A file name unique to the running test.
inline std::string ScratchPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string base = ScratchDir() + "/" + info->test_suite_name() + "_" + info->name() + "_" + std::to_string(::getpid()) + "_" + name;
  for (char& c : base)
    if (c == ' ') c = '_';
  ScratchFiles().push_back(base);
  return base;
}

inline bool HaveTool(const std::string& tool) { return vxtest::OracleAvailable(tool); }

// Output of a shell command (stdout only) and its exit status.
inline std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (status) *status = rc;
  return out;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A colourful 32bppARGB picture: a gradient with a few hard-edged shapes (alpha 255 unless
// `translucent`).
inline ARGB PictureColour(INT x, INT y, INT w, INT h, bool translucent = false) {
  const uint32_t r = static_cast<uint32_t>(x * 255 / std::max(1, w - 1));
  const uint32_t g = static_cast<uint32_t>(y * 255 / std::max(1, h - 1));
  uint32_t b = (x / 4 + y / 4) % 2 ? 200 : 40;
  if (x >= w / 4 && x < w / 2 && y >= h / 4 && y < h / 2) b = 255;
  const uint32_t a = translucent ? static_cast<uint32_t>((x + y) * 255 / std::max(1, w + h - 2)) : 255;
  return a << 24 | r << 16 | g << 8 | b;
}

// A bitmap of the given format holding the picture (converted by the platform).
inline BitmapPtr MakePicture(INT w, INT h, PixelFormat format, bool translucent = false) {
  BitmapPtr bitmap = Make(w, h, format);
  if (!bitmap) return bitmap;
  GpRect rect{0, 0, w, h};
  BitmapData data;
  EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  for (INT y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<ARGB*>(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
    for (INT x = 0; x < w; ++x) row[x] = PictureColour(x, y, w, h, translucent);
  }
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  return bitmap;
}

// The image's active frame as 32bppARGB pixels, row after row.
inline std::vector<ARGB> ArgbPixels(GpImage* image) {
  auto* bitmap = static_cast<GpBitmap*>(image);
  const INT w = static_cast<INT>(WidthOf(image)), h = static_cast<INT>(HeightOf(image));
  std::vector<ARGB> pixels(static_cast<size_t>(w) * h);
  GpRect rect{0, 0, w, h};
  BitmapData data;
  EXPECT_EQ(GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  for (INT y = 0; y < h; ++y)
    std::memcpy(&pixels[static_cast<size_t>(y) * w], static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride, 4u * w);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap, &data), Ok);
  return pixels;
}

// Pixels as ImageMagick reads the file: 8-bit R, G, B, A per pixel, turned into ARGB values.
inline std::vector<ARGB> PixelsByImageMagick(const std::string& path, const std::string& frame = "[0]") {
  const std::string raw = Shell("convert '" + path + frame + "' -depth 8 rgba:- 2>/dev/null");
  std::vector<ARGB> pixels(raw.size() / 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const auto* p = reinterpret_cast<const uint8_t*>(raw.data()) + 4 * i;
    pixels[i] = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
  return pixels;
}

inline ImagePtr Load(const std::string& path, Status expected = Ok) {
  GpImage* image = nullptr;
  EXPECT_EQ(GdipLoadImageFromFile(path.c_str(), &image), expected) << path;
  return ImagePtr(image);
}

// Encoder parameters holding single 32-bit values.
class Params {
 public:
  Params& Add(const GUID& category, ULONG value) {
    values_[block_.Count] = value;
    EncoderParameter& p = block_.Parameter[block_.Count];
    p.Guid = category;
    p.NumberOfValues = 1;
    p.Type = EncoderParameterValueTypeLong;
    p.Value = &values_[block_.Count];
    ++block_.Count;
    return *this;
  }
  const EncoderParameters* get() const { return &block_; }

 private:
  EncoderParameters block_;
  ULONG values_[kMaxEncoderParameters] = {};
};

inline Status Save(GpImage* image, const std::string& path, const CLSID& encoder, const Params* params = nullptr) {
  return GdipSaveImageToFile(image, path.c_str(), &encoder, params ? params->get() : nullptr);
}

// Largest difference of any channel between two ARGB colours.
inline int ChannelDistance(ARGB a, ARGB b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8)
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)));
  return worst;
}

}  // namespace codec_test
