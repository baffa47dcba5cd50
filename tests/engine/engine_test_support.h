// Helpers shared by the engine tests: a running engine per test, small bitmaps made in memory.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vx::engine::test_support {

// Keeps one engine alive, so the platform runs and the thread's store is emptied at the end.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { engine_ = std::make_unique<vexiro::cImaging>(); }
  void TearDown() override {
    engine_.reset();
    EXPECT_EQ(ImageSlotCount(), 0) << "the last engine of the thread leaves no image";
  }
  std::unique_ptr<vexiro::cImaging> engine_;
};

// A registered image of the given size and format with platform-owned pixels.
inline int32_t MakeImage(int32_t width, int32_t height, gdiplus::PixelFormat format) {
  int32_t id = 0;
  EXPECT_EQ(CreateImageFromScan0(width, height, 0, format, 0, id, false), vexiro::OK);
  return id;
}

// Writes bytes into one row of an image through a write lock in the image's own format.
inline void WriteRow(int32_t id, int32_t y, const std::vector<uint8_t>& bytes) {
  int32_t width = 0;
  GetImageWidth(id, width);
  gdiplus::PixelFormat format = GetImagePixelFormatValue(id);
  gdiplus::BitmapData data;
  const gdiplus::GpRect row{0, y, width, 1};
  ASSERT_EQ(LockImageBits(id, row, gdiplus::ImageLockModeWrite, format, data), vexiro::OK);
  std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(data.Scan0));
  ASSERT_EQ(UnlockImageBits(id, data), vexiro::OK);
}

// Reads or writes the whole image as 32bppARGB through a caller buffer of width x height values
// (mode: the lock flags, always with the caller-buffer flag added).
inline VexiroStatus LockWholeArgb(int32_t id, std::vector<uint32_t>& pixels, uint32_t mode) {
  int32_t width = 0, height = 0;
  GetImageWidth(id, width);
  GetImageHeight(id, height);
  if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) return vexiro::InvalidParameter;
  gdiplus::BitmapData data;
  data.Width = static_cast<gdiplus::UINT>(width);
  data.Height = static_cast<gdiplus::UINT>(height);
  data.Stride = width * 4;
  data.PixelFormat = gdiplus::PixelFormat32bppARGB;
  data.Scan0 = pixels.data();
  gdiplus::PixelFormat format = gdiplus::PixelFormat32bppARGB;
  const gdiplus::GpRect whole{0, 0, width, height};
  const VexiroStatus s = LockImageBits(id, whole, mode | gdiplus::ImageLockModeUserInputBuf, format, data);
  return s == vexiro::OK ? UnlockImageBits(id, data) : s;
}

inline gdiplus::ColorPalette PaletteOf(std::initializer_list<gdiplus::ARGB> entries) {
  gdiplus::ColorPalette p;
  p.Count = static_cast<gdiplus::UINT>(entries.size());
  size_t i = 0;
  for (gdiplus::ARGB e : entries) p.Entries[i++] = e;
  return p;
}

inline bool ToolAvailable(const std::string& tool) { return vxtest::OracleAvailable(tool); }

}  // namespace vx::engine::test_support
