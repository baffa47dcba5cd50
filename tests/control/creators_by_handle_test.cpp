// Members whose picture or raw-address arguments reach a script host as numbers: called by name
// from scripts, with the values mapped through the platform's handle tables.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "control/script_host.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle_table.h"
#include "platform/kernel/global_memory.h"
#include "platform/ole/picture.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

class CreatorsByHandle : public ::testing::Test {
 protected:
  // Runs the script on the test's engine; "" when every line ran, else the host's message.
  std::string Run(const std::string& script) {
    Dispatch dispatch(engine_);
    std::ostringstream out;
    ScriptHost host(dispatch, out);
    printed_.clear();
    const bool ok = host.Run(script);
    printed_ = out.str();
    return ok ? "" : host.Error();
  }
  // A global memory block holding the bytes.
  HGLOBAL Block(const std::vector<uint8_t>& bytes) {
    const HGLOBAL block = GlobalAlloc(0, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    blocks_.push_back(block);
    return block;
  }
  void TearDown() override {
    engine_.RemoveAllImage();
    for (HGLOBAL block : blocks_) {
      while (GlobalUnlock(block)) {
      }
      GlobalFree(block);
    }
  }

  vexiro::cImaging engine_;
  std::string printed_;
  std::vector<HGLOBAL> blocks_;
};

TEST_F(CreatorsByHandle, PictureObjectsPassByTheirHandle) {
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x808080};
  const HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, pixels);
  ASSERT_NE(bitmap, 0u);
  ole::PICTDESC desc;
  desc.cbSizeofstruct = 16;
  desc.picType = ole::PICTYPE_BITMAP;
  desc.handle = bitmap;
  ole::IPicture* raw = nullptr;
  ASSERT_EQ(ole::OleCreatePictureIndirect(&desc, ole::IID_IPicture, 1, &raw), S_OK);
  const HANDLE32 picture = ole::RegisterPicture(raw);
  raw->Release();
  const std::string handle = std::to_string(picture);

  EXPECT_EQ(Run("id = CreateImageFromPicture(" + handle + ")\nexpect id <> 0\nexpect GetStat() = 0\n"
                "print GetWidth(), GetHeight()"),
            "");
  EXPECT_EQ(printed_, "3 2\n");
  EXPECT_EQ(Run("expect CreateImageFromPicture(" + std::to_string(picture + 1) + ") = 0\nexpect GetStat() <> 0"), "");

  // A C++ host passes the picture as an object value.
  Dispatch dispatch(engine_);
  Variant object = Variant::Object(VarType::Dispatch, picture);
  std::vector<Variant> args = {Variant::RefTo(object)};
  std::vector<NamedArgument> named;
  Variant result;
  ASSERT_EQ(dispatch.InvokeByName("CreateImageFromPicture", args, named, result), S_OK);
  EXPECT_NE(result.AsI4(), 0);
  ole::RevokePicture(picture);
}

TEST_F(CreatorsByHandle, RawMemoryPassesAsAGlobalMemoryBlock) {
  // A 2 x 1 bottom-up 24-bit BMP: blue then red.
  std::vector<uint8_t> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                              1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0};
  const std::string block = std::to_string(Block(bmp));
  EXPECT_EQ(Run("expect CreateImageFromMemory(" + block + ", 62) = 0\nprint GetWidth(), GetHeight()"), "");
  EXPECT_EQ(printed_, "2 1\n");
  EXPECT_EQ(Run("expect CreateImageFromMemory(" + block + ", 63) = 2"), "") << "no read beyond the block";
  EXPECT_EQ(Run("expect CreateImageFromMemory(12345, 62) = 2"), "");
}

TEST_F(CreatorsByHandle, RawBitsAreBorrowedFromAGlobalMemoryBlock) {
  std::vector<uint8_t> bits(2 * 2 * 4);
  const uint32_t argb[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  std::memcpy(bits.data(), argb, sizeof argb);
  const std::string block = std::to_string(Block(bits));
  const std::string format = std::to_string(gdiplus::PixelFormat32bppARGB);
  ASSERT_EQ(Run("id = CreateImageFromRawBits(2, 2, 8, " + format + ", " + block + ")\nexpect id <> 0\nprint id"), "");
  const int32_t id = std::stoi(printed_);
  gdiplus::ARGB pixel = 0;
  ASSERT_EQ(engine::GetImagePixel(id, 1, 1, pixel), vexiro::OK);
  EXPECT_EQ(pixel, 0x80FFFFFFu);
  EXPECT_EQ(Run("expect CreateImageFromRawBits(2, 3, 8, " + format + ", " + block + ") = 0\nexpect GetStat() = 2"), "")
      << "a block too small for the rows";
}

TEST_F(CreatorsByHandle, PlatformImagesPassByTheirHandleOnce) {
  gdiplus::GpBitmap* bitmap = nullptr;
  ASSERT_EQ(gdiplus::GdipCreateBitmapFromScan0(5, 4, 0, gdiplus::PixelFormat24bppRGB, nullptr, &bitmap), gdiplus::Ok);
  const std::string handle = std::to_string(gdiplus::RegisterImageHandle(bitmap));
  EXPECT_EQ(Run("id = CreateImageFromGdiPlusImage(" + handle + ")\nexpect id <> 0\nprint GetWidth()"), "");
  EXPECT_EQ(printed_, "5\n");
  EXPECT_EQ(Run("expect CreateImageFromGdiPlusImage(" + handle + ") = 0\nexpect GetStat() = 2"), "")
      << "the store owns the image now";
}

TEST_F(CreatorsByHandle, StoreImagesAndTheirPixelsReachScriptsAsHandles) {
  EXPECT_EQ(Run("expect GetGdiplusImage() = 0\nexpect GetImageBits() = 0"), "") << "no current image";
  ASSERT_EQ(Run("id = CreateNewImage(4, 3, 32, -1)\nimg = GetGdiplusImage()\nbits = GetImageBits()\n"
                "expect GetStat() = 0\nexpect GetGdiplusImage() = img\nprint id, img, bits"),
            "");
  int32_t id = 0;
  HANDLE32 image = 0, bits = 0;
  std::istringstream(printed_) >> id >> image >> bits;
  ASSERT_NE(image, 0u);
  ASSERT_NE(bits, 0u);
  EXPECT_EQ(gdiplus::LookUpImageHandle(image).image, engine::GetGpImage(id));
  EXPECT_EQ(gdiplus::LookUpImageHandle(bits).image, engine::GetGpImage(id));
  EXPECT_EQ(gdiplus::LookUpImageHandle(bits).address, engine_.GetImageBits()) << "the first pixel row";

  // None of these names an image the script may hand over: the store keeps its own.
  const HANDLE32 block = Block({1, 2, 3, 4});
  const HANDLE32 refused[] = {image, bits, bits + 1, block, 0x0BFFFFFF};
  for (const HANDLE32 handle : refused) {
    EXPECT_EQ(Run("expect CreateImageFromGdiPlusImage(" + std::to_string(handle) + ") = 0\nexpect GetStat() = 2\n"
                  "expect GetNativeImage() = " + std::to_string(id) + "\nprint GetWidth()"),
              "")
        << std::hex << handle;
    EXPECT_EQ(printed_, "4\n") << "the current image is untouched";
  }

  ASSERT_EQ(Run("RemoveAllImage()"), "");
  EXPECT_EQ(gdiplus::LookUpImageHandle(image).image, nullptr) << "the handle went with the image";
  EXPECT_EQ(gdiplus::LookUpImageHandle(bits).image, nullptr);
  EXPECT_EQ(Run("expect CreateImageFromGdiPlusImage(" + std::to_string(image) + ") = 0\nexpect GetStat() = 2"), "");
}

TEST_F(CreatorsByHandle, BlankTestTakesItsDefaultThresholdByName) {
  const int32_t id = engine_.CreateNewImage(40, 40, 32, -1);
  for (int y = 18; y < 22; ++y)
    for (int x = 18; x < 22; ++x) ASSERT_EQ(engine::SetImagePixel(id, x, y, 0xFF000000), vexiro::OK);
  // 16 dark pixels of the 38 x 38 tested: 98.9 % light.
  EXPECT_EQ(Run("expect IsBlank() = False\nexpect IsBlank(98) = True\nexpect GetStat() = 0"), "");
}

}  // namespace
}  // namespace vx::control
