// Colour management members: the embedded profile item, conversion through an RGB profile
// (checked against lcms2's own tificc), profiles of TIFF files on disk (checked with tiffinfo),
// colour separations, remap tables and colour keys.
#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/routines/shared_routines.h"
#include "processing/filter_test_support.h"

namespace vx::processing {
namespace {

using namespace filter_test;
using engine::test_support::EngineTest;
using vexiro::SavingTestAccess;

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kBlue = 0xFF0000FF;
constexpr ARGB kGrey = 0xFF404040;

// An RGB profile unlike sRGB (wide primaries, gamma 1.8), or a grey one, written by lcms2.
std::string WriteProfile(const std::string& path, bool rgb) {
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 5000);
  cmsHPROFILE profile = nullptr;
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
  if (rgb) {
    const cmsCIExyYTRIPLE primaries = {{0.7347, 0.2653, 1}, {0.1152, 0.8264, 1}, {0.1566, 0.0177, 1}};
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    profile = cmsCreateRGBProfile(&white, &primaries, curves);
  } else {
    profile = cmsCreateGrayProfile(&white, gamma);
  }
  cmsSaveProfileToFile(profile, path.c_str());
  cmsCloseProfile(profile);
  cmsFreeToneCurve(gamma);
  return path;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

size_t FilesIn(const std::string& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class ColorManagement : public EngineTest {
 protected:
  int32_t Current(std::vector<ARGB> pixels, int32_t w, int32_t h) {
    const int32_t id = engine_->CreateNewImage(w, h);
    EXPECT_NE(id, 0);
    FillArgb(id, std::move(pixels));
    return id;
  }
  ScratchFolder scratch_;
};

TEST_F(ColorManagement, EmbeddedProfileIsAddedReplacedExportedAndRemoved) {
  const std::string a = WriteProfile(scratch_.File("a.icc"), true);
  const std::string b = WriteProfile(scratch_.File("b.icc"), false);
  Current({kWhite}, 1, 1);
  EXPECT_FALSE(engine_->ICCImageHasProfile());
  EXPECT_EQ(engine_->ICCExportToFile(scratch_.File("none.icc")), vexiro::ProfileNotFound);
  EXPECT_FALSE(FileExists(scratch_.File("none.icc")));
  EXPECT_EQ(engine_->ICCRemove(), vexiro::ProfileNotFound);

  EXPECT_EQ(engine_->ICCAddFromFile(a), vexiro::OK);
  EXPECT_EQ(engine_->ICCAddFromFile(b), vexiro::OK);
  EXPECT_TRUE(engine_->ICCImageHasProfile());
  int32_t count = 0;
  ASSERT_EQ(engine::GetImagePropertyCount(SavingTestAccess::Current(*engine_), count), vexiro::OK);
  EXPECT_EQ(count, 1) << "exactly one profile item";
  const std::string exported = scratch_.File("exported.icc");
  EXPECT_EQ(engine_->ICCExportToFile(exported), vexiro::OK);
  EXPECT_EQ(ReadFile(exported), ReadFile(b));
  EXPECT_EQ(engine_->ICCAddFromFile(exported), vexiro::OK);
  EXPECT_EQ(engine_->ICCExportToFile(exported), vexiro::OK);
  EXPECT_EQ(ReadFile(exported), ReadFile(b));
  EXPECT_EQ(engine_->ICCExportToFile(scratch_.File("no/such/folder.icc")), vexiro::CanNotCreateFile);

  EXPECT_EQ(engine_->ICCRemove(), vexiro::OK);
  EXPECT_FALSE(engine_->ICCImageHasProfile());
  EXPECT_EQ(engine_->ICCAddFromFile(scratch_.File("missing.icc")), vexiro::FileNotFound);
  WriteBytes(scratch_.File("empty.icc"), {});
  SavingTestAccess::SetStat(*engine_, vexiro::Aborted);
  EXPECT_EQ(engine_->ICCAddFromFile(scratch_.File("empty.icc")), vexiro::Aborted) << "an empty file changes nothing";
  EXPECT_FALSE(engine_->ICCImageHasProfile());
}

// Adobe RGB (1998) from its published definition: D65 white, its primaries, gamma 563/256.
std::string WriteAdobeRgbProfile(const std::string& path) {
  const cmsCIExyY white = {0.3127, 0.3290, 1};
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsSaveProfileToFile(profile, path.c_str());
  cmsCloseProfile(profile);
  cmsFreeToneCurve(gamma);
  return path;
}

// Patches over the whole cube (six levels a channel, greys among them), one half transparent.
std::vector<ARGB> Patches() {
  const uint8_t levels[] = {0, 50, 100, 128, 200, 255};
  std::vector<ARGB> patches;
  for (uint8_t r : levels)
    for (uint8_t g : levels)
      for (uint8_t b : levels) patches.push_back(0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b);
  patches[7] &= 0x80FFFFFFu;
  return patches;
}

// tificc reads sRGB pixels (-n: not the chromaticity tags ImageMagick writes, which would make
// it take them for a gamma 2.2 space) into the profile; the member must agree within a level.
TEST_F(ColorManagement, RgbProfileConversionAgreesWithTificcAndKeepsAlpha) {
  VX_REQUIRE_TOOL("tificc");
  VX_REQUIRE_TOOL("convert");
  const std::vector<ARGB> pixels = Patches();
  constexpr int32_t kWidth = 18, kHeight = 12;
  ASSERT_EQ(pixels.size(), size_t{kWidth * kHeight});
  std::vector<uint8_t> rgb;
  for (ARGB p : pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
  WriteBytes(scratch_.File("in.rgb"), rgb);
  Shell("convert -size 18x12 -depth 8 'rgb:" + scratch_.File("in.rgb") + "' -compress none '" + scratch_.File("in.tif") + "'");
  const std::string profiles[] = {WriteAdobeRgbProfile(scratch_.File("adobe.icc")), WriteProfile(scratch_.File("wide.icc"), true)};
  for (const std::string& profile : profiles) {
    SCOPED_TRACE(profile);
    Shell("tificc -n -o'" + profile + "' '" + scratch_.File("in.tif") + "' '" + scratch_.File("out.tif") + "'");
    const std::vector<ARGB> expected = PixelsByImageMagick(scratch_.File("out.tif"));
    ASSERT_EQ(expected.size(), pixels.size());

    const int32_t id = Current(pixels, kWidth, kHeight);
    ASSERT_EQ(engine_->ICCSetRGBProfile(profile), vexiro::OK);
    EXPECT_EQ(SavingTestAccess::Current(*engine_), id) << "the identifier survives";
    const std::vector<ARGB> got = ArgbPixelsOf(id);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "patch " << std::hex << pixels[i]);
      EXPECT_EQ(got[i] >> 24, pixels[i] >> 24) << "alpha kept";
      for (int shift : {16, 8, 0})
        worst = std::max(worst, std::abs(static_cast<int>((got[i] >> shift) & 0xFF) -
                                         static_cast<int>((expected[i] >> shift) & 0xFF)));
    }
    EXPECT_LE(worst, 1);
  }
}

TEST_F(ColorManagement, UnusableProfilesLeaveTheImageAlone) {
  const std::vector<ARGB> pixels = {kRed, kGrey};
  const int32_t id = Current(pixels, 2, 1);
  std::vector<uint8_t> damaged = ReadFile(WriteProfile(scratch_.File("good.icc"), true));
  damaged.resize(200);
  WriteBytes(scratch_.File("damaged.icc"), damaged);
  WriteBytes(scratch_.File("junk.icc"), RandomBytes(4000, 7));
  std::filesystem::resize_file(scratch_.File("junk.icc"), (size_t{16} << 20) + 1);
  std::filesystem::copy_file(scratch_.File("junk.icc"), scratch_.File("huge.icc"));
  WriteProfile(scratch_.File("grey.icc"), false);
  struct Case {
    const char* name;
    std::string path;
    vexiro::VexiroStatus status;
  };
  const std::vector<Case> cases = {
      {"grey profile", scratch_.File("grey.icc"), vexiro::ProfileNotFound},
      {"damaged profile", scratch_.File("damaged.icc"), vexiro::ProfileNotFound},
      {"oversized profile", scratch_.File("huge.icc"), vexiro::ProfileNotFound},
      {"missing profile: status kept", scratch_.File("missing.icc"), vexiro::Aborted},
      {"short path: status kept", "x", vexiro::Aborted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SavingTestAccess::SetStat(*engine_, vexiro::Aborted);
    EXPECT_EQ(engine_->ICCSetRGBProfile(c.path), c.status);
    EXPECT_EQ(ArgbPixelsOf(id), pixels);
  }
  EXPECT_EQ(engine_->ICCAddFromFile(scratch_.File("huge.icc")), vexiro::OutOfMemory);
  EXPECT_FALSE(engine_->ICCImageHasProfile());
}

// ---- Profiles of TIFF files on disk ----

class TiffFileProfiles : public ColorManagement {
 protected:
  std::string tiffinfo(const std::string& path) { return Shell("tiffinfo '" + path + "' 2>&1"); }
  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(TiffFileProfiles, EveryPageGainsAndLosesOnlyTheProfileTag) {
  VX_REQUIRE_TOOL("tiffinfo");
  VX_REQUIRE_TOOL("convert");
  const std::string tif = scratch_.File("three.tif");
  Shell("convert -size 9x7 xc:red xc:lime gradient:blue-yellow -compress lzw '" + tif + "'");
  const std::string before = tiffinfo(tif);
  ASSERT_EQ(Count(before, "LZW"), 3u) << before;
  std::vector<std::vector<ARGB>> pages;
  for (int p = 0; p < 3; ++p) pages.push_back(PixelsByImageMagick(tif + "[" + std::to_string(p) + "]"));
  const std::string profile = WriteProfile(scratch_.File("p.icc"), true);
  const size_t profileBytes = ReadFile(profile).size();

  ASSERT_EQ(engine_->ICCAddProfileToFile(tif, profile), vexiro::OK);
  const std::string added = tiffinfo(tif);
  EXPECT_EQ(Count(added, "TIFF Directory"), 3u) << added;
  EXPECT_EQ(Count(added, "Compression Scheme: LZW"), 3u) << added;
  EXPECT_EQ(Count(added, "ICC Profile: <present>, " + std::to_string(profileBytes) + " bytes"), 3u) << added;
  EXPECT_EQ(Shell("convert '" + tif + "[1]' icc:- | cmp - '" + profile + "' && echo same"), "same\n");
  for (int p = 0; p < 3; ++p) EXPECT_EQ(PixelsByImageMagick(tif + "[" + std::to_string(p) + "]"), pages[p]);

  ASSERT_EQ(engine_->ICCRemoveProfileToFile(tif), vexiro::OK);
  const std::string removed = tiffinfo(tif);
  EXPECT_EQ(Count(removed, "TIFF Directory"), 3u) << removed;
  EXPECT_EQ(Count(removed, "Compression Scheme: LZW"), 3u) << removed;
  EXPECT_EQ(Count(removed, "ICC Profile"), 0u) << removed;
  for (int p = 0; p < 3; ++p) EXPECT_EQ(PixelsByImageMagick(tif + "[" + std::to_string(p) + "]"), pages[p]);
}

TEST_F(TiffFileProfiles, RefusalsLeaveTheFileUntouched) {
  VX_REQUIRE_TOOL("convert");
  const std::string profile = WriteProfile(scratch_.File("p.icc"), true);
  const std::string plain = scratch_.File("plain.tif");
  Shell("convert -size 4x4 xc:red '" + plain + "'");
  const std::string jpeg = scratch_.File("photo.jpg");
  Shell("convert -size 4x4 xc:red '" + jpeg + "'");
  const std::string named = scratch_.File("named.tif");
  WriteBytes(named, {'P', '5', ' ', '1'});
  std::vector<uint8_t> broken = {'I', 'I', 42, 0, 0xF0, 0xFF, 0, 0};  // first directory beyond the end
  WriteBytes(scratch_.File("broken.tif"), broken);
  WriteBytes(scratch_.File("junk.icc"), RandomBytes(500, 3));
  struct Case {
    const char* name;
    std::string file;
    bool add;
    std::string profile;
    vexiro::VexiroStatus status;
  };
  const std::vector<Case> cases = {
      {"remove without a profile", plain, false, "", vexiro::ProfileNotFound},
      {"JPEG file", jpeg, true, profile, vexiro::UnsupportedImageFormat},
      {"JPEG file, remove", jpeg, false, "", vexiro::UnsupportedImageFormat},
      {"not a TIFF despite its name", named, true, profile, vexiro::UnsupportedImageFormat},
      {"damaged directories", scratch_.File("broken.tif"), true, profile, vexiro::OutOfMemory},
      {"missing file", scratch_.File("none.tif"), true, profile, vexiro::FileNotFound},
      {"damaged profile", plain, true, scratch_.File("junk.icc"), vexiro::GenericError},
      {"missing profile", plain, true, scratch_.File("none.icc"), vexiro::GenericError},
      {"read-only file", scratch_.File("readonly.tif"), true, profile, vexiro::GenericError},
  };
  std::filesystem::copy_file(plain, scratch_.File("readonly.tif"));
  std::filesystem::permissions(scratch_.File("readonly.tif"), std::filesystem::perms::owner_read);
  const size_t files = FilesIn(scratch_.File(""));
  ASSERT_EQ(files, 7u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> was = ReadFile(c.file);
    EXPECT_EQ(c.add ? engine_->ICCAddProfileToFile(c.file, c.profile) : engine_->ICCRemoveProfileToFile(c.file),
              c.status);
    EXPECT_EQ(engine_->GetStat(), c.status);
    EXPECT_EQ(ReadFile(c.file), was);
    EXPECT_EQ(FilesIn(scratch_.File("")), files) << "nothing left beside the file";
  }
}

// ---- Separations, remap and colour key ----

TEST_F(ColorManagement, SeparationsAreNewImagesOfTheInkAsGrey) {
  const std::vector<ARGB> pixels = {kRed, kBlue, kGrey, kWhite};
  const int32_t id = Current(pixels, 2, 2);
  ASSERT_EQ(engine::SetImageResolution(id, 150, 300), vexiro::OK);
  struct Case {
    int32_t (vexiro::cImaging::*member)();
    std::vector<uint8_t> greys;  // 255 - ink, per pixel
  };
  const std::vector<Case> cases = {
      {&vexiro::cImaging::GetColorChannelFlagsC, {255, 0, 255, 255}},
      {&vexiro::cImaging::GetColorChannelFlagsM, {0, 0, 255, 255}},
      {&vexiro::cImaging::GetColorChannelFlagsY, {0, 255, 255, 255}},
      {&vexiro::cImaging::GetColorChannelFlagsK, {255, 255, 0x40, 255}},
  };
  for (const Case& c : cases) {
    const int32_t separation = (engine_.get()->*c.member)();
    ASSERT_NE(separation, 0);
    EXPECT_NE(separation, id);
    EXPECT_EQ(SavingTestAccess::Current(*engine_), id);
    EXPECT_EQ(ArgbPixelsOf(id), pixels) << "the current image is unchanged";
    std::vector<ARGB> expected;
    for (uint8_t g : c.greys) expected.push_back(0xFF000000u | g * 0x010101u);
    EXPECT_EQ(ArgbPixelsOf(separation), expected);
    float h = 0, v = 0;
    engine::GetImageHorizontalResolution(separation, h);
    engine::GetImageVerticalResolution(separation, v);
    EXPECT_EQ(h, 150);
    EXPECT_EQ(v, 300);
  }
  // An embedded profile that is not a CMYK profile says nothing of inks: the plain rule stands,
  // and the profile's temporary copy is gone again.
  ASSERT_EQ(engine_->ICCAddFromFile(WriteProfile(scratch_.File("rgb.icc"), true)), vexiro::OK);
  const std::string temporary = engine::GetTempFolder();
  const size_t before = FilesIn(temporary);
  const int32_t black = engine_->GetColorChannelFlagsK();
  ASSERT_NE(black, 0);
  EXPECT_EQ(ArgbPixelsOf(black), (std::vector<ARGB>{kWhite, kWhite, kGrey, kWhite}));
  EXPECT_EQ(FilesIn(temporary), before);
}

TEST_F(ColorManagement, RemapTablesRedrawTheCurrentImage) {
  struct Case {
    const char* name;
    vexiro::BasicArray<int32_t> table;
    vexiro::VexiroStatus status;
    std::vector<ARGB> result;
  };
  const auto one = [](std::vector<int32_t> v, int32_t lower) {
    vexiro::BasicArray<int32_t> a({vexiro::ArrayBound{lower, static_cast<int32_t>(v.size())}});
    a.Data() = std::move(v);
    return a;
  };
  vexiro::BasicArray<int32_t> two({vexiro::ArrayBound{1, 2}, vexiro::ArrayBound{0, 3}});
  two(1, 0) = static_cast<int32_t>(kRed);
  two(1, 2) = static_cast<int32_t>(kWhite);
  two(2, 0) = static_cast<int32_t>(kBlue);
  two(2, 2) = static_cast<int32_t>(kRed);
  two(1, 1) = two(2, 1) = static_cast<int32_t>(kGrey);  // the middle column is not read
  vexiro::BasicArray<int32_t> three({vexiro::ArrayBound{0, 2}, vexiro::ArrayBound{0, 2}, vexiro::ArrayBound{0, 2}});
  const int32_t red = static_cast<int32_t>(kRed), blue = static_cast<int32_t>(kBlue);
  const std::vector<Case> cases = {
      {"pairs", one({red, blue}, 0), vexiro::OK, {kBlue, kBlue, kGrey}},
      {"odd count ignores the last", one({red, blue, static_cast<int32_t>(kGrey)}, 5), vexiro::OK, {kBlue, kBlue, kGrey}},
      {"two dimensions", std::move(two), vexiro::OK, {kWhite, kRed, kGrey}},
      {"three dimensions", std::move(three), vexiro::InvalidParameter, {kRed, kBlue, kGrey}},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t id = Current({kRed, kBlue, kGrey}, 3, 1);
    EXPECT_EQ(engine_->SetColorRemap(c.table), c.status);
    EXPECT_EQ(engine_->GetStat(), c.status);
    EXPECT_EQ(SavingTestAccess::Current(*engine_), id);
    EXPECT_EQ(ArgbPixelsOf(id), c.result);
  }
}

TEST_F(ColorManagement, ColorKeyMakesTheRangeTransparent) {
  const int32_t id = Current({kWhite, 0xFFF0F0F0, kRed, 0xFFEFFFFF}, 4, 1);
  ASSERT_EQ(engine::SetImageResolution(id, 72, 72), vexiro::OK);
  EXPECT_EQ(engine_->SetColorKey(static_cast<int32_t>(0xFFF0F0F0), static_cast<int32_t>(kWhite)), vexiro::OK);
  const std::vector<ARGB> got = ArgbPixelsOf(id);
  EXPECT_EQ(got[0] >> 24, 0u);
  EXPECT_EQ(got[1] >> 24, 0u);
  EXPECT_EQ(got[2], kRed);
  EXPECT_EQ(got[3], 0xFFEFFFFF) << "red below the range";
  float h = 0;
  engine::GetImageHorizontalResolution(id, h);
  EXPECT_EQ(h, 72) << "the snapshot's resolution comes back";
  SavingTestAccess::SetCurrent(*engine_, 0);
  EXPECT_EQ(engine_->SetColorKey(0, 0), vexiro::GenericError);
  EXPECT_EQ(engine_->GetColorChannelFlagsC(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
}

}  // namespace
}  // namespace vx::processing
