// Metadata, pixel formats and resolutions through both load routes (the format plug-in and the
// platform) and the savers that write JPEG and TIFF, over files tagged by exiftool and written
// by ImageMagick; exiftool is the judge of what the written files hold.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/saving_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using saving_test::ScratchFolder;
using saving_test::Shell;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Tag groups as exiftool names them. "ICC" stands for a digest of the whole embedded profile.
const std::vector<std::string> kExif = {"Artist", "ExposureTime", "ExposureCompensation", "UserComment"};
const std::vector<std::string> kGps = {"GPSLatitude", "GPSLatitudeRef", "GPSAltitude"};
const std::vector<std::string> kChromaticities = {"WhitePoint", "PrimaryChromaticities"};
const std::vector<std::string> kIcc = {"ICC"};
const std::vector<std::string> kIptc = {"Keywords", "City"};
const std::vector<std::string> kXmp = {"XMP-dc:Subject"};

std::string ProfileDigest(const std::string& path) {
  return Shell("exiftool -b -ICC_Profile " + Quoted(path) + " | md5sum | cut -c1-32");
}

// exiftool's reading of each tag, "-" for one the file lacks, all read in one run.
std::map<std::string, std::string> ReadTags(const std::string& path, const std::vector<std::string>& tags) {
  std::map<std::string, std::string> values;
  std::string arguments;
  std::vector<std::string> named;
  for (const std::string& tag : tags) {
    if (tag == "ICC") {
      values[tag] = ProfileDigest(path);
    } else {
      arguments += " -" + tag;
      named.push_back(tag);
    }
  }
  if (named.empty()) return values;
  std::string row = Shell("exiftool -T -n -f" + arguments + " " + Quoted(path));
  while (!row.empty() && row.back() == '\n') row.pop_back();
  size_t start = 0;
  for (const std::string& tag : named) {
    const size_t tab = row.find('\t', start);
    values[tag] = row.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    start = tab == std::string::npos ? row.size() : tab + 1;
  }
  return values;
}

struct FixtureCase {
  const char* name;
  const char* convert;   // ImageMagick arguments that draw it, "{}" the output
  std::string exiftool;  // exiftool arguments that tag it, or ""
  std::vector<std::vector<std::string>> groups;
  int32_t pixelFormat;   // what both routes give, 0 where the routes need not say
  float dpi = 0;         // what both routes give, 0 where the routes need not say
};

constexpr int32_t k8bppIndexed = 0x30803;
constexpr const char* kExifTags =
    "-Artist=someone -ExposureTime=1/125 -ExposureCompensation=-1/3 -UserComment='hello there' "
    "-GPSLatitude=48.5 -GPSLatitudeRef=N -GPSAltitude=123.25 -XMP-dc:Subject=isolation";

std::vector<FixtureCase> Fixtures() {
  const std::string icc = "'-ICC_Profile<=" VEXIRO_SOURCE_DIR "/resources/srgb-v2.icc'";
  return {
      // JFIF's 1 x 1 "no unit", which exiftool copies into the EXIF tags: no resolution at all.
      {"exif.jpg", "-size 16x16 xc:red -depth 8 {}", kExifTags, {kExif, kGps, kXmp}, 0, 96},
      {"exif.tif", "-size 16x16 xc:red -depth 8 -compress lzw {}", kExifTags, {kExif, kGps, kChromaticities, kXmp}, 0},
      {"motorola.tif", "-size 16x16 xc:red -depth 8 -endian MSB {}", kExifTags, {kExif, kGps, kChromaticities, kXmp}, 0},
      {"icc.jpg", "-size 16x16 xc:blue -depth 8 {}", icc, {kIcc}, 0, 96},
      // JFIF's 72 x 72 stands for no resolution where the EXIF tags give one (a camera's 180 dpi).
      {"jfif72.jpg", "-size 16x16 xc:red -depth 8 -units PixelsPerInch -density 72 {}",
       "-EXIF:XResolution=180 -EXIF:YResolution=180 -EXIF:ResolutionUnit=inches", {}, 0, 180},
      {"icc.tif", "-size 16x16 xc:blue -depth 8 -compress lzw {}", icc, {kIcc}, 0},
      {"iptc.jpg", "-size 16x16 xc:yellow -depth 8 {}", "-IPTC:Keywords=alpha -IPTC:Keywords=beta -IPTC:City=Paris",
       {kIptc}, 0},
      // Saved as JPEG by the plug-in (the grey shortcut) on the plug-in route.
      {"grey.tif", "-size 16x16 gradient: -depth 8 -type Grayscale {}",
       std::string(kExifTags) + " -IPTC:Keywords=alpha -IPTC:City=Paris", {kExif, kGps, kIptc, kXmp}, k8bppIndexed},
      {"palette.tif", "-seed 3 -size 32x32 plasma: -depth 8 -type Palette {}", "", {}, k8bppIndexed},
      {"nores.tif", "-size 16x16 xc:green -depth 8 {}", "-XResolution= -YResolution= -ResolutionUnit=", {}, 0, 96},
      {"dpi200.tif", "-size 16x16 xc:green -depth 8 -units PixelsPerInch -density 200 {}", "", {}, 0, 200},
      {"dpi150.5.tif", "-size 16x16 xc:green -depth 8 -units PixelsPerInch -density 150.5 {}", "", {}, 0, 150.5f},
      {"dpcm40.tif", "-size 16x16 xc:green -depth 8 -units PixelsPerCentimeter -density 40 {}", "", {}, 0, 101.6f},
  };
}

std::string MakeFixture(const ScratchFolder& folder, const FixtureCase& f) {
  const std::string path = folder.File(f.name);
  std::string args = f.convert;
  args.replace(args.find("{}"), 2, Quoted(path));
  EXPECT_EQ(std::system(("convert " + args).c_str()), 0) << f.name;
  if (!f.exiftool.empty()) {
    EXPECT_EQ(std::system(("exiftool -q -overwrite_original " + f.exiftool + " " + Quoted(path)).c_str()), 0)
        << f.name;
  }
  return path;
}

// A saver writes the current image (loaded from `source`) or, for a merge, the source file itself.
struct Saver {
  const char* name;
  const char* extension;
  VexiroStatus (*save)(vexiro::cImaging& engine, const std::string& source, const std::string& path);
  bool lossless;  // pixel formats survive it
};

VexiroStatus NativeMultiPage(vexiro::cImaging& e, const std::string&, const std::string& path) {
  const VexiroStatus begun = e.TiffSaveAsNativeMultiPage(path);
  if (begun != vexiro::OK) return begun;
  return e.TiffCloseNativeMultiPage();
}

const Saver kSavers[] = {
    {"JPEG", ".jpg", [](vexiro::cImaging& e, const std::string&, const std::string& p) { return e.SaveAsJPEG(p, 90); },
     false},
    {"TIFF", ".tif", [](vexiro::cImaging& e, const std::string&, const std::string& p) { return e.SaveAsTIFF(p); }, true},
    {"TIFF-JPEG", ".tif", [](vexiro::cImaging& e, const std::string&, const std::string& p) { return e.SaveAsTIFFjpg(p); },
     false},
    {"multi-page TIFF", ".tif", NativeMultiPage, true},
    {"document", ".tif",
     [](vexiro::cImaging& e, const std::string& source, const std::string& p) {
       const int32_t document = e.TiffCreateMultiPageFromFile(source);
       if (document == 0) return e.GetStat();
       const VexiroStatus saved = e.TiffSaveMultiPageToFile(document, p);
       e.CloseImage(document);
       return saved;
     },
     true},
    {"merge", ".tif",
     [](vexiro::cImaging& e, const std::string& source, const std::string& p) { return e.TiffMerge2Files(source, source, p); },
     true},
};

struct Loaded {
  int32_t id = 0;
  int32_t pixelFormat = 0;
  float dpiX = 0, dpiY = 0;
};

class MetadataRoutes : public test_support::EngineTest {
 protected:
  Loaded Load(const std::string& path, bool throughPlugin) {
    engine_->DisableVximgplugCodecs(!throughPlugin);
    Loaded l;
    l.id = engine_->CreateImageFromFile(path);
    EXPECT_NE(l.id, 0) << path << (throughPlugin ? " through the plug-in" : " through the platform");
    l.pixelFormat = engine_->GetPixelFormat();
    l.dpiX = engine_->GetHorizontalResolution();
    l.dpiY = engine_->GetVerticalResolution();
    return l;
  }
  void Close(const Loaded& l) { engine_->CloseImage(l.id); }
};

std::vector<std::string> TagsOf(const FixtureCase& f) {
  std::vector<std::string> tags;
  for (const auto& group : f.groups) tags.insert(tags.end(), group.begin(), group.end());
  return tags;
}

// A PDF page is as large as the picture at its resolution: 16 pixels at 96 dpi are 12 points.
std::string PdfPageSize(vexiro::cImaging& engine, const std::string& path) {
  EXPECT_TRUE(engine.SaveAsPDF(path)) << path;
  return Shell("pdfinfo " + Quoted(path) + " | sed -n 's/^Page size: *//p'");
}

TEST_F(MetadataRoutes, BothRoutesLoadTheSamePixelFormatAndResolution) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  VX_REQUIRE_TOOL("pdfinfo");
  ScratchFolder folder;
  for (const FixtureCase& f : Fixtures()) {
    const std::string path = MakeFixture(folder, f);
    const Loaded platform = Load(path, false);
    Close(platform);
    const Loaded plugin = Load(path, true);
    EXPECT_EQ(plugin.pixelFormat, platform.pixelFormat) << f.name;
    if (f.pixelFormat != 0) {
      EXPECT_EQ(plugin.pixelFormat, f.pixelFormat) << f.name;
    }
    EXPECT_EQ(plugin.dpiX, platform.dpiX) << f.name;
    EXPECT_EQ(plugin.dpiY, platform.dpiY) << f.name;
    if (f.dpi != 0) {
      EXPECT_EQ(plugin.dpiX, f.dpi) << f.name;
      EXPECT_EQ(plugin.dpiY, f.dpi) << f.name;
    }
    if (f.dpi == 96) {
      EXPECT_EQ(PdfPageSize(*engine_, folder.File(std::string(f.name) + ".pdf")), "12 x 12 pts\n") << f.name;
    }
    Close(plugin);
  }
}

TEST_F(MetadataRoutes, EverySaverKeepsTheTagsThroughTwoGenerations) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  for (const FixtureCase& f : Fixtures()) {
    const std::string source = MakeFixture(folder, f);
    const std::vector<std::string> tags = TagsOf(f);
    const auto original = ReadTags(source, tags);
    for (bool throughPlugin : {true, false}) {
      for (const Saver& saver : kSavers) {
        const std::string label = std::string(f.name) + (throughPlugin ? " plug-in " : " platform ") + saver.name;
        const std::string stem = folder.File(std::string(f.name) + (throughPlugin ? ".p." : ".g.") + saver.name);
        const std::string first = stem + ".1" + saver.extension, second = stem + ".2" + saver.extension;

        const Loaded loaded = Load(source, throughPlugin);
        ASSERT_EQ(saver.save(*engine_, source, first), vexiro::OK) << label;
        Close(loaded);
        EXPECT_EQ(ReadTags(first, tags), original) << label;

        const Loaded again = Load(first, throughPlugin);
        if (saver.lossless) {
          EXPECT_EQ(again.pixelFormat, loaded.pixelFormat) << label;
        }
        EXPECT_EQ(again.dpiX, loaded.dpiX) << label;
        EXPECT_EQ(again.dpiY, loaded.dpiY) << label;
        ASSERT_EQ(saver.save(*engine_, first, second), vexiro::OK) << label;
        Close(again);
        EXPECT_EQ(ReadTags(second, tags), original) << label << " second generation";
      }
    }
  }
}

// One APP1 segment holds 64 KB: an 80,000-byte maker note cannot go, the small tags still do, on
// the platform's encoder (colour) and on the plug-in's (the 8-bit grey shortcut) alike.
TEST_F(MetadataRoutes, JpegLeavesOutOnlyWhatDoesNotFitOneExifSegment) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  const std::string grey = folder.File("grey.tif");
  ASSERT_EQ(std::system(("convert -size 16x16 gradient: -depth 8 -type Grayscale " + Quoted(grey)).c_str()), 0);
  struct Case {
    const char* name;
    bool greyFromFile;
  };
  for (const Case& c : {Case{"colour", false}, Case{"grey", true}}) {
    const int32_t id = c.greyFromFile ? engine_->CreateImageFromFile(grey) : engine_->CreateNewImage(16, 16, 24, -65536);
    ASSERT_NE(id, 0) << c.name;
    auto makerNote = vexiro::BasicArray<uint8_t>::FromVector(std::vector<uint8_t>(80000, 0x5A));
    ASSERT_EQ(engine_->ExifTagSetValueBytes(37500, 7, makerNote), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(315, 2, "someone"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(33434, 5, "1/125"), vexiro::OK);
    const std::string path = folder.File(std::string(c.name) + ".jpg");
    ASSERT_EQ(engine_->SaveAsJPEG(path, 90), vexiro::OK) << c.name;
    engine_->CloseImage(id);
    const auto tags = ReadTags(path, {"Artist", "ExposureTime", "MakerNote"});
    EXPECT_EQ(tags.at("Artist"), "someone") << c.name;
    EXPECT_EQ(tags.at("ExposureTime"), "0.008") << c.name;
    EXPECT_EQ(tags.at("MakerNote"), "-") << c.name;
  }
}

}  // namespace
}  // namespace vx::engine
