// Camera files through every JPEG and TIFF saver on both load routes: maker notes, the EXIF
// thumbnail, the Interop directory, Photoshop's resources, a GPS directory of GPSVersionID alone, the Windows XP tags and empty texts read the
// same afterwards, in the same directory, as exiftool reads them in the source; so do the camera
// layouts that only the block as the camera wrote it keeps, and GPSVersionID through every
// resampling member. Pillow's grey and palette TIFFs, which leave SamplesPerPixel out, load as 8
// bits on both routes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/saving_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using saving_test::ReadFile;
using saving_test::ScratchFolder;
using saving_test::Shell;

constexpr int32_t k8bppIndexed = 0x30803;
constexpr int32_t kMakerNoteOriginItem = 0x5F7C;
constexpr int32_t kThumbnailDataItem = 0x501B;
constexpr int32_t kInteropIndexItem = 0x5F01;
const std::string kCameraData = std::string(VEXIRO_TEST_DATA_DIR) + "/camera/";

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Every tag of one file of exiftool's listing, keyed "family0:family1:name" (a repeated key gets
// "#2", "#3" …).
std::map<std::string, std::string> ParseListing(const std::string& listing) {
  std::map<std::string, std::string> tags;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    const size_t close = line.find(']'), colon = line.find(" : ");
    if (line.empty() || line[0] != '[' || close == std::string::npos || colon == std::string::npos) continue;
    std::string name = line.substr(close + 1, colon - close - 1);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const std::string key = line.substr(1, close - 1) + ":" + name;
    std::string unique = key;
    for (int n = 2; tags.count(unique); ++n) unique = key + "#" + std::to_string(n);
    tags[unique] = line.substr(colon + 3);
  }
  return tags;
}

constexpr const char* kListing = "exiftool -G0:1 -a -u -n -s ";

std::map<std::string, std::string> ExiftoolTags(const std::string& path) {
  return ParseListing(Shell(kListing + Quoted(path) + " 2>/dev/null"));
}

// The tags of several files, with exiftool's -validate warnings among them, in one run.
std::vector<std::map<std::string, std::string>> ValidatedTags(const std::vector<std::string>& paths) {
  std::string command = std::string(kListing) + "-validate";
  for (const std::string& path : paths) command += " " + Quoted(path);
  const std::string listing = Shell(command + " 2>/dev/null");
  std::vector<std::map<std::string, std::string>> files;
  for (size_t at = listing.find("======== "); at != std::string::npos;) {
    const size_t next = listing.find("======== ", at + 1);
    files.push_back(ParseListing(listing.substr(at, next == std::string::npos ? std::string::npos : next - at)));
    at = next;
  }
  return files;
}

std::string ThumbnailDigest(const std::string& path) {
  return Shell("exiftool -b -ThumbnailImage " + Quoted(path) + " 2>/dev/null | md5sum | cut -c1-32");
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

// Tags a saver writes for itself: the file's own description, the place of the thumbnail (and of
// a maker note's preview, when the note moved) and the resolution (a file without one is saved at
// 96 dpi).
bool WrittenBySaver(const std::string& key) {
  static const char* kOwn[] = {"File:", "System:", "ExifTool:", "Composite:", "JFIF:", "EXIF:IFD1:ThumbnailOffset",
                               "MakerNotes:PreviewIFD:PreviewImageStart", "EXIF:IFD0:XResolution",
                               "EXIF:IFD0:YResolution", "EXIF:IFD0:ResolutionUnit"};
  for (const char* own : kOwn)
    if (StartsWith(key, own)) return true;
  return false;
}

// The source's ImageDescription and Copyright entries with a count of 0 (exiftool writes an empty
// text with its terminating zero; some cameras write none at all).
void EmptyTextsToCountZero(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFile(path);
  const std::string signature("Exif\0\0", 6);
  const auto found = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end());
  ASSERT_NE(found, bytes.end());
  const size_t tiff = static_cast<size_t>(found - bytes.begin()) + signature.size();
  const bool big = bytes[tiff] == 'M';
  const auto get = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t{bytes[at + (big ? n - 1 - i : i)]} << (8 * i);
    return v;
  };
  const size_t ifd = tiff + get(tiff + 4, 4);
  for (uint32_t i = 0; i < get(ifd, 2); ++i) {
    const size_t entry = ifd + 2 + 12 * i;
    if (get(entry, 2) == 0x010E || get(entry, 2) == 0x8298) std::fill_n(bytes.begin() + entry + 4, 4, 0);
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

struct CameraCase {
  const char* name;
  std::string source;    // a file of tests/data/camera, or "" for one drawn here
  const char* exiftool;  // the tags exiftool writes into a drawn one
  bool countZeroTexts = false;
  bool forgetWhereTheMakerNoteStood = false;  // as for a note a host set: its place is found from its pointers
};

std::vector<CameraCase> CameraCases() {
  return {
      {"canon-ixus-400", kCameraData + "canon-ixus-400.jpg", ""},
      {"panasonic-dmc-fz30", kCameraData + "panasonic-dmc-fz30.jpg", ""},
      {"canon-40d", kCameraData + "canon-40d.jpg", ""},
      {"canon-ixus-400 without its note's place", kCameraData + "canon-ixus-400.jpg", "", false, true},
      {"xp", "", "-XPTitle=Harbour -XPComment='a comment' -XPAuthor='Jean Dupont' -XPKeywords='sea;boats' "
                 "-XPSubject=ships -Artist=someone"},
      {"empty texts", "", "'-Copyright^=' '-ImageDescription^=' -Artist=x"},
      {"empty texts of count 0", "", "'-Copyright^=' '-ImageDescription^=' -Artist=x", true},
      {"gps version only", "", "-GPSVersionID=2.2.0.0 -Make=Cam"},
      // An IPTC record among other Photoshop resources (its digest).
      {"photoshop resources", "", "-IPTC:Keywords=alpha -IPTC:City=Paris -IPTCDigest=new"},
  };
}

std::string SourceOf(const ScratchFolder& folder, const CameraCase& c) {
  if (!c.source.empty()) return c.source;
  const std::string path = folder.File(std::string(c.name) + ".jpg");
  EXPECT_EQ(std::system(("convert -size 32x24 xc:orange " + Quoted(path)).c_str()), 0);
  EXPECT_EQ(std::system(("exiftool -q -overwrite_original " + std::string(c.exiftool) + " " + Quoted(path)).c_str()), 0);
  if (c.countZeroTexts) EmptyTextsToCountZero(path);
  return path;
}

struct Saver {
  const char* name;
  const char* extension;
  VexiroStatus (*save)(vexiro::cImaging& engine, const std::string& path);
  bool keepsThumbnail;
};

const Saver kSavers[] = {
    {"SaveAsJPEG", ".jpg", [](vexiro::cImaging& e, const std::string& p) { return e.SaveAsJPEG(p, 90); }, true},
    {"SaveAsTIFF", ".tif", [](vexiro::cImaging& e, const std::string& p) { return e.SaveAsTIFF(p); }, false},
    {"SaveAsTIFFjpg", ".tif", [](vexiro::cImaging& e, const std::string& p) { return e.SaveAsTIFFjpg(p); }, false},
};

class CameraMetadata : public test_support::EngineTest {
 protected:
  // Every item of the file's picture as (ID, type, value as text), in ID order.
  std::vector<std::tuple<int32_t, int32_t, std::string>> ItemsOf(const std::string& path, bool throughPlugin) {
    engine_->DisableVximgplugCodecs(!throughPlugin);
    const int32_t id = engine_->CreateImageFromFile(path);
    EXPECT_NE(id, 0) << path;
    std::vector<std::tuple<int32_t, int32_t, std::string>> items;
    for (int32_t i = 1; i <= engine_->ExifTagCount(); ++i)
      items.emplace_back(engine_->ExifTagGetID(i), engine_->ExifTagGetType(i), engine_->ExifTagGetValueString(i));
    engine_->CloseImage(id);
    std::sort(items.begin(), items.end());
    return items;
  }

  // True when the loaded picture held the item.
  bool DeleteItem(int32_t item) {
    for (int32_t i = engine_->ExifTagCount(); i >= 1; --i) {
      if (engine_->ExifTagGetID(i) == item) return engine_->ExifTagDelete(i) == vexiro::OK;
    }
    return false;
  }
};

TEST_F(CameraMetadata, EverySaverKeepsWhatTheCameraWrote) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  for (const CameraCase& c : CameraCases()) {
    const std::string source = SourceOf(folder, c);
    const auto before = ExiftoolTags(source);
    ASSERT_FALSE(before.empty()) << c.name;
    const std::string thumbnail = ThumbnailDigest(source);
    for (bool throughPlugin : {true, false}) {
      for (const Saver& saver : kSavers) {
        const std::string label = std::string(c.name) + (throughPlugin ? ", plug-in, " : ", platform, ") + saver.name;
        const std::string saved = folder.File("saved" + std::string(saver.extension));
        engine_->DisableVximgplugCodecs(!throughPlugin);
        const int32_t id = engine_->CreateImageFromFile(source);
        ASSERT_NE(id, 0) << label;
        if (c.forgetWhereTheMakerNoteStood) {
          ASSERT_TRUE(DeleteItem(kMakerNoteOriginItem)) << label;
        }
        ASSERT_EQ(saver.save(*engine_, saved), vexiro::OK) << label;
        engine_->CloseImage(id);

        const auto after = ExiftoolTags(saved);
        for (const auto& [key, value] : before) {
          if (WrittenBySaver(key)) continue;
          if (StartsWith(key, "EXIF:IFD1:") && !saver.keepsThumbnail) {
            EXPECT_EQ(after.count(key), 0u) << label << ": " << key << " (a second directory is a second page)";
            continue;
          }
          const auto found = after.find(key);
          EXPECT_TRUE(found != after.end() && found->second == value)
              << label << ": " << key << " was '" << value << "', is '"
              << (found == after.end() ? std::string("(missing)") : found->second) << "'";
        }
        if (saver.keepsThumbnail) {
          EXPECT_EQ(ThumbnailDigest(saved), thumbnail) << label;
        }
      }
    }
  }
}

// The thumbnail, the Interop directory and where the maker note stood come through either route,
// from the camera's JPEG and from a TIFF file written from it.
TEST_F(CameraMetadata, BothRoutesGiveTheSameItems) {
  ScratchFolder folder;
  struct Case {
    const char* name;
    bool makerNote;
  };
  for (const auto& [name, makerNote] : {Case{"canon-ixus-400", true}, Case{"panasonic-dmc-fz30", true},
                                        Case{"canon-40d", false}}) {
    const std::string jpeg = kCameraData + name + ".jpg", tiff = folder.File(std::string(name) + ".tif");
    const auto fromJpeg = ItemsOf(jpeg, true);
    EXPECT_EQ(ItemsOf(jpeg, false), fromJpeg) << name;
    const int32_t id = engine_->CreateImageFromFile(jpeg);
    ASSERT_EQ(engine_->SaveAsTIFF(tiff), vexiro::OK) << name;
    engine_->CloseImage(id);
    EXPECT_EQ(ItemsOf(tiff, false), ItemsOf(tiff, true)) << name;
    const auto has = [&](int32_t item) {
      return std::any_of(fromJpeg.begin(), fromJpeg.end(), [item](const auto& t) { return std::get<0>(t) == item; });
    };
    EXPECT_EQ(has(kMakerNoteOriginItem), makerNote) << name;
    EXPECT_TRUE(has(kThumbnailDataItem) && has(kInteropIndexItem)) << name;
  }
}

// exiftool's warnings among a file's tags, but those about tags a saver writes for itself or
// that the format asks for (a TIFF's own required tags, the pixel layout's tags, a JPEG's
// thumbnail tags, the IPTC record as TIFF files hold it among Photoshop's resources).
std::vector<std::string> WarningsOf(const std::map<std::string, std::string>& tags) {
  static const char* kFormatOwn[] = {"Missing required", "not allowed in", "IFD0 tag 0x01", "IPTC at TIFF-IFD0",
                                     "for IFD0 0x83bb IPTC-NAA"};
  std::vector<std::string> warnings;
  for (const auto& tag : tags) {
    const std::string& text = tag.second;
    if (!StartsWith(tag.first, "ExifTool:ExifTool:Warning")) continue;
    const bool own = std::any_of(std::begin(kFormatOwn), std::end(kFormatOwn),
                                 [&](const char* s) { return text.find(s) != std::string::npos; });
    if (!own) warnings.push_back(text.substr(StartsWith(text, "[minor] ") ? 8 : 0));
  }
  return warnings;
}

constexpr int32_t kArtist = 0x013B, kAscii = 2;

// Camera layouts that only the block as the camera wrote it keeps: each saver keeps every tag
// exiftool reads in the source, but those the README's savers table says it leaves out, and adds
// no warning. A save of changed items rebuilds the block by the rules.
struct LayoutCase {
  const char* file;
  bool rebuilt;                      // a host changed an item: the block is laid out anew
  std::vector<std::string> leftOut;  // tag keys (prefixes) the saver may leave out, by the README
  std::vector<std::string> tiffLeftOut = {};  // and those only the TIFF savers may
};

std::vector<LayoutCase> LayoutCases() {
  const std::vector<std::string> kodak = {"MakerNotes:KodakIFD:", "EXIF:KodakIFD:"};
  const std::vector<std::string> staleIptc = {"IPTC:IPTC2:"};
  return {
      {"nikon-preview-past-count.jpg", false, {}},
      {"nikon-preview-past-count.jpg", true, {}},
      {"kodak-private-ifd.jpg", false, {}},
      {"kodak-private-ifd.jpg", true, kodak},
      {"rgb-thumbnail.jpg", false, {}},
      {"rgb-thumbnail.jpg", true, {"EXIF:IFD1:"}},
      {"exif-only-tags.jpg", false, {}},
      {"exif-only-tags.jpg", true, {}},
      {"two-iptc-records.jpg", false, {}},
      {"two-iptc-records.jpg", true, staleIptc},
      {"ps-split.jpg", false, {}},
      {"mn-before-ifd0.jpg", false, {}},
      {"mn-before-ifd0.jpg", true, {}},
      {"mn-olympus-old-sub.jpg", false, {}},
      {"mn-olympus-old-sub.jpg", true, {}},
      {"canon-footer.jpg", false, {}},
      {"canon-footer.jpg", true, {}},
      // The extended XMP packet and the APPn segments are a JPEG's own.
      {"other-app-segments.jpg", false, {}, {"XMP:XMP-dc:", "APP12:Ducky:", "Ducky:"}},
  };
}

bool LeftOut(const std::string& key, const std::vector<std::string>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return StartsWith(key, p); });
}

// A warning about a directory left out ("Bad PreviewIFD directory"), by the directory's name in
// the keys' prefixes ("MakerNotes:PreviewIFD:").
bool AboutLeftOut(const std::string& warning, const std::vector<std::string>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) {
    const size_t colon = p.find(':');
    const std::string directory = p.substr(colon + 1, p.find(':', colon + 1) - colon - 1);
    return warning.find(" " + directory + " ") != std::string::npos;
  });
}

TEST_F(CameraMetadata, CameraLayoutsSurviveEverySaver) {
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  // The TIFF savers keep no thumbnail, no private directory, no IPTC-NAA copy beside the record.
  const std::vector<std::string> tiffLeavesOut = {"EXIF:IFD1:", "MakerNotes:KodakIFD:", "EXIF:KodakIFD:", "IPTC:IPTC2:"};
  for (const LayoutCase& c : LayoutCases()) {
    const std::string source = kCameraData + c.file;
    std::vector<std::string> paths = {source}, labels = {""};
    std::vector<const Saver*> savers = {nullptr};
    for (bool throughPlugin : {true, false}) {
      for (const Saver& saver : kSavers) {
        // A TIFF save lays out its directories anew anyway.
        if (c.rebuilt && !saver.keepsThumbnail) continue;
        const std::string route = throughPlugin ? "plug-in" : "platform";
        labels.push_back(std::string(c.file) + (c.rebuilt ? " rebuilt, " : ", ") + route + ", " + saver.name);
        paths.push_back(folder.File(route + "-" + saver.name + saver.extension));
        savers.push_back(&saver);
        engine_->DisableVximgplugCodecs(!throughPlugin);
        const int32_t id = engine_->CreateImageFromFile(source);
        ASSERT_NE(id, 0) << labels.back();
        if (c.rebuilt) {
          ASSERT_EQ(engine_->ExifTagSetValueString(kArtist, kAscii, "a host's change"), vexiro::OK) << labels.back();
        }
        ASSERT_EQ(saver.save(*engine_, paths.back()), vexiro::OK) << labels.back();
        engine_->CloseImage(id);
      }
    }
    const auto read = ValidatedTags(paths);
    ASSERT_EQ(read.size(), paths.size()) << c.file;
    const auto& before = read[0];
    const std::vector<std::string> warningsBefore = WarningsOf(before);
    for (size_t n = 1; n < read.size(); ++n) {
      const bool tiff = !savers[n]->keepsThumbnail;
      for (const auto& [key, value] : before) {
        if (WrittenBySaver(key) || LeftOut(key, c.leftOut) ||
            (tiff && (LeftOut(key, tiffLeavesOut) || LeftOut(key, c.tiffLeftOut))))
          continue;
        const auto found = read[n].find(key);
        EXPECT_TRUE(found != read[n].end() && found->second == value)
            << labels[n] << ": " << key << " was '" << value << "', is '"
            << (found == read[n].end() ? std::string("(missing)") : found->second) << "'";
      }
      for (const std::string& warning : WarningsOf(read[n])) {
        if (AboutLeftOut(warning, c.leftOut) || (tiff && AboutLeftOut(warning, tiffLeavesOut))) continue;
        EXPECT_NE(std::find(warningsBefore.begin(), warningsBefore.end(), warning), warningsBefore.end())
            << labels[n] << ": exiftool warns '" << warning << "'";
      }
    }
  }
}

// Every resampling member hands the items over to the new picture, GPSVersionID (item 0) too.
TEST_F(CameraMetadata, ResamplingKeepsGpsVersionId) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  const CameraCase gps{"gps version only", "", "-GPSVersionID=2.2.0.0 -Make=Cam"};
  const std::string source = SourceOf(folder, gps);
  struct Member {
    const char* name;
    VexiroStatus (*run)(vexiro::cImaging& engine);
  };
  const Member members[] = {
      {"ResizeImage", [](vexiro::cImaging& e) { return e.ResizeImage(16, 12); }},
      {"ScaleImage", [](vexiro::cImaging& e) { return e.ScaleImage(50); }},
      {"ResizeWidthRatio", [](vexiro::cImaging& e) { return e.ResizeWidthRatio(16); }},
      {"ConvertTo8BppGrayScale", [](vexiro::cImaging& e) { return e.ConvertTo8BppGrayScale(); }},
  };
  for (bool throughPlugin : {true, false}) {
    for (const Member& m : members) {
      const std::string label = std::string(m.name) + (throughPlugin ? ", plug-in" : ", platform");
      const std::string saved = folder.File("resampled.jpg");
      engine_->DisableVximgplugCodecs(!throughPlugin);
      const int32_t id = engine_->CreateImageFromFile(source);
      ASSERT_NE(id, 0) << label;
      ASSERT_EQ(m.run(*engine_), vexiro::OK) << label;
      ASSERT_EQ(engine_->SaveAsJPEG(saved, 90), vexiro::OK) << label;
      engine_->CloseImage(id);
      EXPECT_EQ(Shell("exiftool -s3 -GPSVersionID " + Quoted(saved)), "2.2.0.0\n") << label;
    }
  }
}

// Pillow writes grey ('L') and palette ('P') pages without SamplesPerPixel, whose default is 1.
TEST_F(CameraMetadata, TiffWithoutSamplesPerPixelLoadsAsEightBitsOnBothRoutes) {
  VX_REQUIRE(std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0, "Pillow", "python3-pil");
  VX_REQUIRE_TOOL("tiffdump");
  ScratchFolder folder;
  struct Case {
    const char* mode;
    const char* draw;
  };
  for (const Case& c : {Case{"L", "Image.new('L', (120, 80), 128)"},
                        Case{"P", "Image.new('P', (120, 80), 3); im.putpalette(list(range(256)) * 3)"}}) {
    const std::string path = folder.File(std::string(c.mode) + ".tif");
    const std::string script = "from PIL import Image; im = " + std::string(c.draw) + "; im.save('" + path + "')";
    ASSERT_EQ(std::system(("/usr/bin/python3 -c \"" + script + "\"").c_str()), 0) << c.mode;
    ASSERT_EQ(Shell("tiffdump " + Quoted(path) + " | grep -c '^SamplesPerPixel'"), "0\n") << "Pillow wrote the tag";
    for (bool throughPlugin : {true, false}) {
      engine_->DisableVximgplugCodecs(!throughPlugin);
      const int32_t id = engine_->CreateImageFromFile(path);
      ASSERT_NE(id, 0) << c.mode << (throughPlugin ? " through the plug-in" : " through the platform");
      EXPECT_EQ(engine_->GetPixelFormat(), k8bppIndexed) << c.mode << (throughPlugin ? " plug-in" : " platform");
      EXPECT_EQ(engine_->GetWidth(), 120) << c.mode;
      engine_->CloseImage(id);
    }
  }
}

}  // namespace
}  // namespace vx::engine
