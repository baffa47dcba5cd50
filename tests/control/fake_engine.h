// A stand-in engine class for the dispatch and script tests: a few members with the table's
// signatures that record what reached them.
#pragma once
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/runtime_error.h"
#include "vexiro/basic_array.h"

namespace vx::control::testing {

enum class FakeStatus : int32_t { OK = 0, GenericError = 1 };

struct FakeEngine {
  std::string lastPath;
  int32_t lastQuality = -1;
  int32_t lastCompression = -1;
  float lastConfidence = -1;
  int calls = 0;
  std::vector<uint8_t> lastBytes;
  std::vector<int32_t> lastPalette;
  int32_t statusToLeave = 0;  // what the two savers answer and leave as the last status
  int32_t lastStatus = 0;

  FakeStatus SaveAsJPEG(const std::string& path, int32_t quality) {
    ++calls;
    lastPath = path;
    lastQuality = quality;
    return Leave(statusToLeave);
  }
  FakeStatus SaveAsTIFF(const std::string& path, int32_t compression) {
    ++calls;
    lastPath = path;
    lastCompression = compression;
    return Leave(statusToLeave);
  }
  bool IsBlank(float confidence) {
    lastConfidence = confidence;
    return confidence > 50;
  }
  FakeStatus HistogramGetRed(std::vector<int32_t>& histogram) {
    histogram.assign(256, 7);
    return FakeStatus::OK;
  }
  FakeStatus CropBordersEX2(int32_t confidence, int32_t reference, int32_t& left, int32_t& top, int32_t& width,
                            int32_t& height) {
    left = confidence;
    top = reference;
    width = left + 100;
    height = top + 200;
    return FakeStatus::OK;
  }
  int32_t CreateImageFromByteArray(std::vector<uint8_t>& bytes) {
    lastBytes = bytes;
    return static_cast<int32_t>(bytes.size());
  }
  // Keeps what it was given and hands back the palette reversed, as a by-reference array.
  FakeStatus ColorPaletteSet(std::vector<int32_t>& colors) {
    lastPalette = colors;
    colors.assign(lastPalette.rbegin(), lastPalette.rend());
    return FakeStatus::OK;
  }
  // A two-dimensional array with the given lower bounds; element (x, y) holds x * 10 + y.
  FakeStatus GetPixelArray2D(vexiro::BasicArray<int32_t>& pixels, int32_t left, int32_t top, int32_t width,
                             int32_t height) {
    pixels = vexiro::BasicArray<int32_t>({{left, width}, {top, height}});
    for (int32_t y = top; y < top + height; ++y)
      for (int32_t x = left; x < left + width; ++x) pixels(x, y) = x * 10 + y;
    return FakeStatus::OK;
  }
  std::string Encode64String(const std::string& text) { return "[" + text + "]"; }
  int32_t GetWidth() { throw vx::engine::RuntimeError(vx::engine::kErrFileNotFound, "File not found"); }
  int32_t GetHeight() { throw std::bad_alloc(); }
  int32_t GetPixelDepth() { throw std::logic_error("unexpected state"); }
  void SetNativeImage(int32_t id) { lastQuality = id; }
  FakeStatus GetStat() const { return static_cast<FakeStatus>(lastStatus); }
  FakeStatus Leave(int32_t status) {
    lastStatus = status;
    return static_cast<FakeStatus>(status);
  }
};

}  // namespace vx::control::testing
