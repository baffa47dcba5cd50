// Helpers of the recognition tests: a running engine, a scratch folder for tool output, images
// loaded from what the tools draw, and the engine's processing region set directly.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/engine_test_support.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/store_internal.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vexiro {
// Sets the processing region the barcode scans read, as the region members will.
struct ImagingTestAccess {
  static void SetRegion(cImaging& engine, int32_t left, int32_t top, int32_t width, int32_t height) {
    engine.nROIMode = 2;
    engine.ROIArea = FilterArea{left, top, width, height};
  }
  static void SetWholeImageRegion(cImaging& engine) { engine.nROIMode = 1; }
  static void SetStatus(cImaging& engine, VexiroStatus status) { engine.nStat = status; }
};
}  // namespace vexiro

namespace vxtest::recognition {

inline int32_t LiveImageCount() {
  int32_t live = 0;
  for (const auto& record : vx::engine::ThreadImages()) live += record.ImageID != 0;
  return live;
}

using vx::engine::test_support::EngineTest;

// A folder under TMPDIR for the files the tools write; removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/recognitionXXXXXX";
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a shell command; its standard output, or nothing when it failed.
inline std::string RunTool(const std::string& command, bool* ok = nullptr) {
  std::string out;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer;
  while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
  const int rc = pclose(pipe);
  if (ok != nullptr) *ok = rc == 0;
  return out;
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A blank registered image of that size and format, filled white unless indexed, at the
// resolution a host gave it.
inline int32_t MakeImage(int32_t width, int32_t height, vx::gdiplus::PixelFormat format, float dpi = 96) {
  int32_t id = 0;
  EXPECT_EQ(vx::engine::CreateImageFromScan0(width, height, 0, format, 0, id, false), vexiro::OK);
  vx::engine::SetImageResolutionGiven(id, dpi, dpi);
  return id;
}

// One OCR record with the fields the tests script.
inline vexiro::OcrCharInfo OcrChar(int32_t code, int16_t line = 1, int16_t spaces = 0, int16_t confidence = 0,
                                   int16_t left = 0, int16_t right = 0, int16_t top = 0, int16_t bottom = 0) {
  vexiro::OcrCharInfo r;
  r.CharCode = code;
  r.Line = line;
  r.Spaces = spaces;
  r.Confidence = confidence;
  r.Left = left;
  r.Right = right;
  r.Top = top;
  r.Bottom = bottom;
  return r;
}

}  // namespace vxtest::recognition
