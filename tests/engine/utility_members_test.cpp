// The engine's utility members: processing region, measures, Base64 text, distance, clearing and
// lossless JPEG transforms (checked byte for byte against jpegtran).
#include <cmath>
#include <filesystem>

#include "engine/handles/images_from_handles.h"
#include "engine/saving_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/ole/picture.h"

namespace vx::engine {
namespace {

using namespace saving_test;
using vexiro::SavingTestAccess;

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;
constexpr ARGB kRed = 0xFFFF0000;

class UtilityMembers : public test_support::EngineTest {
 protected:
  // A current 32bppARGB image of one colour.
  int32_t Current(int32_t w, int32_t h, ARGB colour) {
    const int32_t id = engine_->CreateNewImage(w, h, 32, static_cast<int32_t>(colour));
    EXPECT_NE(id, 0);
    return id;
  }
  void Paint(int32_t id, int32_t x0, int32_t y0, int32_t w, int32_t h, ARGB colour) {
    for (int32_t y = y0; y < y0 + h; ++y)
      for (int32_t x = x0; x < x0 + w; ++x) ASSERT_EQ(SetImagePixel(id, x, y, colour), vexiro::OK);
  }
};

TEST_F(UtilityMembers, RegionDrivesTheMeasuresOntoTheZoneOnlyUntilReset) {
  const int32_t id = Current(10, 8, kWhite);
  Paint(id, 0, 0, 2, 2, kRed);  // 4 red pixels in the top-left corner
  Paint(id, 8, 6, 2, 2, kRed);  // 4 in the bottom-right corner
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 8.0);

  engine_->SetROI(0, 0, 5, 4);
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 4.0);
  engine_->SetROI(0, 0, 0, 0);  // all zero: the region stays as it was
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 4.0);
  engine_->FiltersToZone(5, 4, 5, 4);
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 4.0);
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kWhite)), 16.0);

  // An absurd region is stored as given and refused when a measure uses it.
  engine_->SetROI(-5, 3, 100000, 2);
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 0.0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);

  engine_->FiltersToImage();
  EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 8.0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
}

TEST_F(UtilityMembers, MeasuresAnswerOnSmallImages) {
  struct Case {
    const char* name;
    std::vector<ARGB> pixels;  // 2 x 2
    bool grey, bitonal;
    ARGB average;
  };
  const std::vector<Case> cases = {
      {"black and white", {kBlack, kWhite, kWhite, kBlack}, true, true, 0xFF808080},
      {"greys", {0xFF101010, 0xFF202020, 0xFF303030, 0xFF404040}, true, false, 0xFF282828},
      {"one red", {kWhite, kWhite, kWhite, kRed}, false, false, 0xFFFFBFBF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t id = Current(2, 2, kWhite);
    FillArgb(id, c.pixels);
    EXPECT_EQ(engine_->IsGrayscale(), c.grey);
    EXPECT_EQ(engine_->IsBitonal(), c.bitonal);
    EXPECT_EQ(static_cast<ARGB>(engine_->GetAverageColor()), c.average);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(c.pixels[0])),
              static_cast<double>(std::count(c.pixels.begin(), c.pixels.end(), c.pixels[0])));
  }
}

// A region of no width or no height holds no pixel: filters change nothing and succeed, the
// tests answer False, the counts 0, and the last status stays OK.
TEST_F(UtilityMembers, AnEmptyRegionIsNothingToFilterOrMeasure) {
  const int32_t id = Current(4, 3, kRed);
  Paint(id, 0, 0, 1, 1, kBlack);
  const std::vector<ARGB> before = ArgbPixelsOf(id);
  const vexiro::FilterArea empty[] = {{1, 1, 0, 2}, {1, 1, 2, 0}, {0, 0, -1, 3}};
  for (const vexiro::FilterArea& a : empty) {
    SCOPED_TRACE(testing::Message() << a.X << "," << a.Y << "," << a.Width << "," << a.Height);
    engine_->SetROI(a.X, a.Y, a.Width, a.Height);
    EXPECT_EQ(engine_->FxNegative(), vexiro::OK);
    EXPECT_EQ(engine_->SetBrightness(40), vexiro::OK);
    EXPECT_EQ(engine_->FxBlur(), vexiro::OK);
    EXPECT_EQ(ArgbPixelsOf(id), before);
    SavingTestAccess::SetStat(*engine_, vexiro::Aborted);
    EXPECT_FALSE(engine_->IsGrayscale());
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    SavingTestAccess::SetStat(*engine_, vexiro::Aborted);
    EXPECT_FALSE(engine_->IsBitonal());
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_FALSE(engine_->IsBlank(50));
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(engine_->CountColor(static_cast<int32_t>(kRed)), 0.0);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(engine_->GetAverageColor(), 0);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  }
}

TEST_F(UtilityMembers, MeasuresWithoutACurrentImageGiveGenericError) {
  SavingTestAccess::SetStat(*engine_, vexiro::OK);
  EXPECT_EQ(engine_->CountColor(0), 0.0);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
  SavingTestAccess::SetStat(*engine_, vexiro::OK);
  EXPECT_FALSE(engine_->IsBlank());
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
  EXPECT_EQ(engine_->ClearImage(0), vexiro::GenericError);
  EXPECT_EQ(engine_->GetDistance(0, 0, 10, 10), 0.0);
}

// 40 x 40 white: the whole-image test leaves out columns 0-1 and rows 38-39. A speck of 16 dark
// pixels inside the tested 38 x 38 area is more than 1 % of it.
TEST_F(UtilityMembers, BlankTestLeavesOutTheLeftAndBottomStrips) {
  struct Case {
    const char* name;
    int32_t x, y, w, h;
    bool blank;
  };
  const std::vector<Case> cases = {
      {"no speck", 0, 0, 0, 0, true},
      {"speck in the left strip", 0, 10, 2, 8, true},
      {"speck in the bottom strip", 10, 38, 8, 2, true},
      {"speck in the middle", 18, 18, 4, 4, false},
      {"speck at the right edge", 38, 10, 2, 8, false},
      {"speck at the top edge", 10, 0, 8, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t id = Current(40, 40, kWhite);
    Paint(id, c.x, c.y, c.w, c.h, kBlack);
    EXPECT_EQ(engine_->IsBlank(), c.blank);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  }
}

TEST_F(UtilityMembers, BlankTestWithARegionTestsExactlyThatRegion) {
  const int32_t id = Current(40, 40, kWhite);
  Paint(id, 0, 10, 2, 8, kBlack);
  engine_->SetROI(0, 0, 10, 20);
  EXPECT_FALSE(engine_->IsBlank());
  EXPECT_TRUE(engine_->IsBlank(91.0f));  // 16 of 200 pixels dark: 92 % light
  engine_->SetROI(10, 0, 30, 40);
  EXPECT_TRUE(engine_->IsBlank());
}

TEST_F(UtilityMembers, Base64FollowsTheLineLengthAndPadding) {
  struct Case {
    std::string text, encoded;
  };
  const std::string thirty(30, 'a');  // exactly one full line of 40 characters
  const std::vector<Case> cases = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foobar", "Zm9vYmFy"},
      {"\xC3\xA9", "6Q=="},  // "é" goes as its ANSI code 0xE9
      {thirty, "YWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFh\r\n"},
      {thirty + "b", "YWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFh\r\nYg=="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(engine_->Encode64String(c.text), c.encoded);
    EXPECT_EQ(engine_->Decode64String(c.encoded), c.text);
  }
  // Characters outside the alphabet are skipped and leftover bits dropped.
  EXPECT_EQ(engine_->Decode64String("Zm9v\r\n!*Ym Fy=="), "foobar");
  EXPECT_EQ(engine_->Decode64String("Z"), "");
  EXPECT_EQ(engine_->Decode64String("===="), "");
}

TEST_F(UtilityMembers, DistanceUsesEachAxisResolution) {
  const int32_t id = Current(4, 4, kWhite);
  ASSERT_EQ(SetImageResolution(id, 100, 200), vexiro::OK);
  EXPECT_DOUBLE_EQ(engine_->GetDistance(0, 0, 300, 800), 5.0);
  EXPECT_DOUBLE_EQ(engine_->GetDistance(300, 800, 0, 0), 5.0);
}

TEST_F(UtilityMembers, ClearImageFillsEveryPixelAndVersionsAnswer) {
  const int32_t id = Current(5, 3, kWhite);
  Paint(id, 1, 1, 2, 1, kBlack);
  EXPECT_EQ(engine_->ClearImage(static_cast<int32_t>(kRed)), vexiro::OK);
  EXPECT_EQ(ArgbPixelsOf(id), std::vector<ARGB>(15, kRed));
  EXPECT_DOUBLE_EQ(engine_->GetVersion(), 5.9901307);
  EXPECT_FALSE(engine_->GetGdiplusVersion().empty());
}

TEST_F(UtilityMembers, RemoveAllImageReleasesEveryImageOfTheThread) {
  vexiro::cImaging other;
  const int32_t mine = Current(2, 2, kWhite);
  const int32_t theirs = other.CreateNewImage(2, 2);
  ASSERT_NE(theirs, 0);
  engine_->RemoveAllImage();
  EXPECT_LT(GetImageIndex(mine), 0);
  EXPECT_LT(GetImageIndex(theirs), 0);
  EXPECT_EQ(engine_->GetWidth(), 0);
}

// ---- Lossless JPEG transforms ----

class JpegTransform : public UtilityMembers {
 protected:
  // A JPEG of the size, drawn by ImageMagick with 4:2:0 sampling (16 x 16 blocks).
  std::string MakeJpeg(int32_t w, int32_t h) {
    const std::string path = scratch_.File("in_" + std::to_string(w) + "x" + std::to_string(h) + ".jpg");
    Shell("convert -size " + std::to_string(w) + "x" + std::to_string(h) +
          " gradient:red-blue -sampling-factor 2x2 -quality 90 '" + path + "' 2>/dev/null");
    return path;
  }
  ScratchFolder scratch_;
};

TEST_F(JpegTransform, RotationsAndFlipsMatchJpegtranByteForByte) {
  VX_REQUIRE_TOOL("jpegtran");
  VX_REQUIRE_TOOL("convert");
  const std::string in = MakeJpeg(48, 32);
  ASSERT_TRUE(FileExists(in));
  struct Case {
    int32_t value;
    const char* jpegtranArgs;
  };
  const std::vector<Case> cases = {{13, "-rotate 90"},
                                   {14, "-rotate 180"},
                                   {15, "-rotate 270"},
                                   {16, "-flip horizontal"},
                                   {17, "-flip vertical"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jpegtranArgs);
    std::string out = scratch_.File("out.jpg");
    const std::string expected = scratch_.File("expected.jpg");
    Shell("jpegtran -copy all -perfect " + std::string(c.jpegtranArgs) + " -outfile '" + expected + "' '" + in + "'");
    ASSERT_EQ(engine_->TransformJPEG(in, out, c.value), vexiro::OK);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(ReadFile(out), ReadFile(expected));
  }
}

TEST_F(JpegTransform, RefusalsLeaveTheDestinationAsItWas) {
  VX_REQUIRE_TOOL("convert");
  const std::string partial = MakeJpeg(33, 17);
  const std::string whole = MakeJpeg(32, 32);
  const std::string png = scratch_.File("in.png");
  Shell("convert -size 16x16 xc:red '" + png + "'");
  const std::string folder = scratch_.File("folder");
  std::filesystem::create_directory(folder);
  struct Case {
    const char* name;
    std::string in, out;
    int32_t value;
    vexiro::VexiroStatus status;
  };
  const std::string target = scratch_.File("target.jpg");
  { std::ofstream(target, std::ios::binary) << "keep"; }
  const std::vector<Case> cases = {
      {"partial block", partial, target, 13, vexiro::InvalidParameter},
      {"partial block flipped", partial, target, 16, vexiro::InvalidParameter},
      {"unknown transformation", whole, target, 12, vexiro::InvalidParameter},
      {"missing source", scratch_.File("none.jpg"), target, 13, vexiro::FileNotFound},
      {"not a JPEG", png, target, 13, vexiro::UnknownImageFormat},
      {"destination is a folder", whole, folder, 13, vexiro::AccessDenied},
      {"read-only destination", whole, target, 13, vexiro::AccessDenied},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    { std::ofstream(target, std::ios::binary) << "keep"; }
    if (c.out == target) std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_EQ(engine_->TransformJPEG(c.in, c.out, c.value), c.status);
    EXPECT_EQ(engine_->GetStat(), c.status);
    const std::vector<uint8_t> keep = {'k', 'e', 'e', 'p'};
    EXPECT_EQ(ReadFile(target), keep);
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.File("")), {}), 5)
      << "no temporary file is left beside the destination";
}

}  // namespace
}  // namespace vx::engine

// ---- Icons from pictures ----

namespace vx::engine {
namespace {

// A 40 x 40 bitmap picture: red, with a blue square at (4, 4)-(11, 11) and a green last column.
HANDLE32 MakeBitmapPicture() {
  std::vector<uint32_t> pixels(40 * 40, 0x00FF0000);
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) pixels[static_cast<size_t>(y) * 40 + static_cast<size_t>(x)] = 0x000000FF;
  for (int y = 0; y < 40; ++y) pixels[static_cast<size_t>(y) * 40 + 39] = 0x0000FF00;
  const HBITMAP bitmap = CreateBitmap(40, 40, 1, 32, pixels.data());
  ole::PICTDESC desc;
  desc.cbSizeofstruct = 16;
  desc.picType = ole::PICTYPE_BITMAP;
  desc.handle = bitmap;
  ole::IPicture* picture = nullptr;
  if (ole::OleCreatePictureIndirect(&desc, ole::IID_IPicture, 1, &picture) != S_OK) return 0;
  const HANDLE32 handle = ole::RegisterPicture(picture);
  picture->Release();
  return handle;
}

// The pixels of a bitmap as top-down 32-bit values (a mask reads as black and white).
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int side) {
  BITMAPINFO info{};
  info.bmiHeader = {40, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * static_cast<size_t>(side));
  const HDC dc = CreateCompatibleDC(0);
  EXPECT_EQ(GetDIBits(dc, bitmap, 0, static_cast<UINT>(side), pixels.data(), &info, DIB_RGB_COLORS), side);
  DeleteDC(dc);
  return pixels;
}

TEST_F(UtilityMembers, IconsComeFromTheTopLeftCornerWithTheTransparentColourMasked) {
  uint32_t picture = MakeBitmapPicture();
  ASSERT_NE(picture, 0u);
  const HICON icon = static_cast<HICON>(engine_->GetIcon(picture, "", static_cast<int32_t>(RGB(0, 0, 255))));
  ASSERT_NE(icon, 0u);
  ICONINFO parts;
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  const std::vector<uint32_t> mask = BitmapPixels(parts.hbmMask, 32);
  const std::vector<uint32_t> colour = BitmapPixels(parts.hbmColor, 32);
  BITMAP size;
  ASSERT_NE(GetObject(parts.hbmColor, sizeof size, &size), 0);
  EXPECT_EQ(size.bmWidth, 32);
  EXPECT_EQ(size.bmHeight, 32);
  struct Probe {
    int x, y;
    uint32_t mask, colour;  // RGB parts only
  };
  for (const Probe& p : {Probe{0, 0, 0, 0xFF0000}, Probe{6, 6, 0xFFFFFF, 0}, Probe{11, 11, 0xFFFFFF, 0},
                         Probe{12, 6, 0, 0xFF0000}, Probe{31, 20, 0, 0xFF0000}}) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    const size_t at = static_cast<size_t>(p.y) * 32 + static_cast<size_t>(p.x);
    EXPECT_EQ(mask[at] & 0xFFFFFF, p.mask) << "set where the picture has the transparent colour";
    EXPECT_EQ(colour[at] & 0xFFFFFF, p.colour) << "transparent pixels black; nothing beyond 32 pixels";
  }
  DeleteObject(parts.hbmMask);
  DeleteObject(parts.hbmColor);
  DestroyIcon(icon);

  uint32_t none = 0;
  EXPECT_EQ(engine_->GetIcon(none), 0);
  ole::RevokePicture(picture);
}

TEST_F(UtilityMembers, IconFilesAreReadBackByImageMagick) {
  VX_REQUIRE_TOOL("identify");
  ScratchFolder scratch;
  uint32_t picture = MakeBitmapPicture();
  const std::string path = scratch.File("icon.ico");
  const HICON icon = static_cast<HICON>(engine_->GetIcon(picture, path));
  ASSERT_NE(icon, 0u);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(Shell("identify -format '%m %w %h\\n' '" + path + "'"), "ICO 32 32\n");
  EXPECT_EQ(PixelsByImageMagick(path)[0], 0xFFFF0000);
  DestroyIcon(icon);
  ole::RevokePicture(picture);
}

// ---- Icon files from the current image ----

class IconSave : public UtilityMembers {
 protected:
  ScratchFolder scratch_;
};

// Every size becomes one 32 x 32 icon: the left half red and the right half blue, whether the
// source was taken as it is or scaled.
TEST_F(IconSave, EverySizeIsReadBackAsOneIconOf32By32) {
  VX_REQUIRE_TOOL("identify");
  VX_REQUIRE_TOOL("convert");
  struct Case {
    int32_t width, height;
  };
  const Case cases[] = {{32, 32}, {16, 16}, {64, 48}, {100, 20}, {32, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const int32_t id = Current(c.width, c.height, kRed);
    Paint(id, c.width / 2, 0, c.width - c.width / 2, c.height, 0xFF0000FF);
    const std::string path = scratch_.File("icon.ico");
    ASSERT_EQ(engine_->SaveAsICO(path), vexiro::OK);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(Shell("identify -format '%m %wx%h;' '" + path + "'"), "ICO 32x32;");
    const std::vector<ARGB> pixels = PixelsByImageMagick(path);
    ASSERT_EQ(pixels.size(), 32u * 32u);
    EXPECT_EQ(pixels[0], kRed);                      // top-left
    EXPECT_EQ(pixels[31], 0xFF0000FFu);              // top-right
    EXPECT_EQ(engine_->GetNativeImage(), id) << "the current image stays current";
    engine_->CloseImage(id);
  }
}

TEST_F(IconSave, TheTransparentColourTurnsTransparentAndTheRestStays) {
  VX_REQUIRE_TOOL("convert");
  const int32_t id = Current(32, 32, kWhite);
  Paint(id, 8, 8, 16, 16, kRed);
  const std::string path = scratch_.File("keyed.ico");
  ASSERT_EQ(engine_->SaveAsICO(path, true, 0x00FFFFFF), vexiro::OK);  // white as an RGB colour
  const std::vector<ARGB> pixels = PixelsByImageMagick(path);
  ASSERT_EQ(pixels.size(), 32u * 32u);
  EXPECT_EQ(pixels[0] >> 24, 0u) << "white is transparent";
  EXPECT_EQ(pixels[16 * 32 + 16], kRed);
  // The image itself is not keyed.
  EXPECT_EQ(ArgbPixelsOf(id)[0], kWhite);
}

TEST_F(IconSave, WithoutACurrentImageNothingIsWritten) {
  const std::string path = scratch_.File("none.ico");
  EXPECT_EQ(engine_->SaveAsICO(path), vexiro::GenericError);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace vx::engine
