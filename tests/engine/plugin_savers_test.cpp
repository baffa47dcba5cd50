// The plug-in savers: which images each accepts, files an independent reader takes, pictures
// that come back through the plug-in the right way up, and the failures they report.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "engine/plugin/savers.h"
#include "plugin_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace plugin_test;
using gdiplus::PixelFormat;
using test_support::MakeImage;
using test_support::WriteRow;

using Saver = std::function<VexiroStatus(int32_t, const std::string&)>;

struct SaverCase {
  const char* name;
  const char* extension;
  Saver save;
  std::vector<PixelFormat> accepted;  // every other tested format answers 62
};

constexpr PixelFormat k1 = gdiplus::PixelFormat1bppIndexed, k4 = gdiplus::PixelFormat4bppIndexed,
                      k8 = gdiplus::PixelFormat8bppIndexed, k16 = gdiplus::PixelFormat16bppRGB555,
                      k24 = gdiplus::PixelFormat24bppRGB, k32 = gdiplus::PixelFormat32bppRGB,
                      kA = gdiplus::PixelFormat32bppARGB, k48 = gdiplus::PixelFormat48bppRGB;
const PixelFormat kTested[] = {k1, k4, k8, k16, k24, k32, kA, k48};

const std::vector<SaverCase>& Savers() {
  static const std::vector<SaverCase> savers = {
      {"ICO", "ico", SaveAsICOFile, {k1, k4, k8, k16, k24, k32, kA, k48}},
      {"PBM", "pbm", SaveAsPBMFile, {k1, k8, k24, k32}},
      {"TGA", "tga", SaveAsTGAFile, {k8, k16, k24, k32, kA}},
      {"TIFFJPEG", "tif", [](int32_t id, const std::string& p) { return SaveAsTIFFJPEGFile(id, p, 75); }, {k8, k24}},
      {"WBMP", "wbmp", SaveAsWBMPFile, {k1}},
      {"XPM", "xpm", SaveAsXPMFile, {k8, k24}},
      {"EXR", "exr", [](int32_t id, const std::string& p) { return SaveAsEXRFile(id, p, ExrCompressionZip); },
       {k1, k4, k8, k16, k24, k32, kA, k48}},
      {"J2K", "j2k", [](int32_t id, const std::string& p) { return SaveAsJ2KFile(id, p, 16); }, {k8, k24, k32, kA}},
      {"JP2", "jp2", [](int32_t id, const std::string& p) { return SaveAsJP2File(id, p, 16); }, {k8, k24, k32, kA}},
      {"JBIG", "jbg", SaveAsJBIGFile, {k1}},
  };
  return savers;
}

bool Contains(const std::vector<PixelFormat>& list, PixelFormat f) {
  return std::find(list.begin(), list.end(), f) != list.end();
}

class PluginSavers : public PluginBridgeTest {};

TEST_F(PluginSavers, AcceptanceTableRefusesWithUnsupportedPixelFormatAndWritesNothing) {
  for (const SaverCase& s : Savers()) {
    for (PixelFormat f : kTested) {
      const int32_t id = MakeImage(8, 8, f);
      const std::string path = folder_ / (std::string("accept.") + s.extension);
      const VexiroStatus status = s.save(id, path);
      if (!Contains(s.accepted, f)) {
        EXPECT_EQ(status, vexiro::UnsupportedPixelFormat) << s.name << " " << PixelFormatName(f);
        EXPECT_FALSE(std::filesystem::exists(path)) << s.name << " " << PixelFormatName(f);
      } else if (PixelFormatBitDepth(f) > 32) {
        EXPECT_EQ(status, vexiro::UnsupportedImageFormat) << s.name << " " << PixelFormatName(f);
      } else {
        EXPECT_EQ(status, vexiro::OK) << s.name << " " << PixelFormatName(f);
        EXPECT_TRUE(std::filesystem::exists(path)) << s.name << " " << PixelFormatName(f);
      }
      std::filesystem::remove(path);
      ReleaseImage(id);
    }
  }
}

// Top half red, bottom half blue; or white over black for bilevel images.
int32_t MakeTwoToneImage(bool bilevel) {
  const int32_t id = MakeImage(8, 8, bilevel ? k1 : k24);
  if (bilevel) EXPECT_EQ(SetImagePalette(id, test_support::PaletteOf({0xFF000000, 0xFFFFFFFF})), vexiro::OK);
  for (int32_t y = 0; y < 8; ++y) {
    const bool top = y < 4;
    if (bilevel) {
      WriteRow(id, y, {static_cast<uint8_t>(top ? 0xFF : 0x00)});
    } else {
      std::vector<uint8_t> row;
      for (int32_t x = 0; x < 8; ++x) row.insert(row.end(), {uint8_t(top ? 0 : 255), 0, uint8_t(top ? 255 : 0)});
      WriteRow(id, y, row);
    }
  }
  return id;
}

// ImageMagick's reading of a file: its format and the colour classes of two pixels of the
// left column (TGA read with its orientation applied).
std::string ReadWithImageMagick(const std::string& path) {
  const std::string probe = "%[fx:int(255*p{0,Y}.r)],%[fx:int(255*p{0,Y}.g)],%[fx:int(255*p{0,Y}.b)]";
  auto at = [&](int y) {
    std::string p = probe;
    for (size_t i; (i = p.find('Y')) != std::string::npos;) p.replace(i, 1, std::to_string(y));
    return p;
  };
  const std::string out =
      Shell("convert '" + path + "[0]' -auto-orient -format '%m %w %h " + at(0) + " " + at(7) + "' info:");
  std::istringstream in(out);
  std::string format, size1, size2, top, bottom;
  in >> format >> size1 >> size2 >> top >> bottom;
  auto cls = [](const std::string& rgb) {
    unsigned r = 0, g = 0, b = 0;
    std::sscanf(rgb.c_str(), "%u,%u,%u", &r, &g, &b);
    return std::string(1, ColourClass(0xFF000000u | (r << 16) | (g << 8) | b));
  };
  return format + " " + size1 + "x" + size2 + " " + cls(top) + cls(bottom);
}

TEST_F(PluginSavers, FilesReadBackByImageMagickAndThroughThePluginTheRightWayUp) {
  VX_REQUIRE_TOOL("convert");
  struct RoundTrip {
    const char* saver;
    bool bilevel;
    const char* magickFormat;
    int32_t pluginFormat;
  };
  const RoundTrip cases[] = {
      {"ICO", false, "ICO", PluginFormatICO},    {"PBM", true, "PBM", 8},  // binary PBM, read back as PBMRAW
      {"TGA", false, "TGA", PluginFormatTARGA},  {"TIFFJPEG", false, "TIFF", PluginFormatTIFF},
      {"WBMP", true, "WBMP", PluginFormatWBMP},  {"XPM", false, "XPM", PluginFormatXPM},
      {"EXR", false, "EXR", PluginFormatEXR},    {"J2K", false, "J2K", PluginFormatJ2K},
      {"JP2", false, "JP2", PluginFormatJP2},    {"JBIG", true, "JBG", PluginFormatJBIG},
  };
  for (const RoundTrip& c : cases) {
    const SaverCase& saver = *std::find_if(Savers().begin(), Savers().end(),
                                           [&](const SaverCase& s) { return std::string(s.name) == c.saver; });
    const int32_t id = MakeTwoToneImage(c.bilevel);
    const std::string path = folder_ / (std::string("round.") + saver.extension);
    ASSERT_EQ(saver.save(id, path), vexiro::OK) << c.saver;
    ReleaseImage(id);
    const std::string expected = c.bilevel ? "WK" : "RB";
    EXPECT_EQ(ReadWithImageMagick(path), std::string(c.magickFormat) + " 8x8 " + expected) << c.saver;

    int32_t back = 0, format = 0;
    ASSERT_EQ(LoadThroughBridge(path, back, format), vexiro::OK) << c.saver;
    EXPECT_EQ(format, c.pluginFormat) << c.saver;
    int32_t width = 0, height = 0;
    GetImageWidth(back, width);
    GetImageHeight(back, height);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 8);
    EXPECT_EQ(std::string() + ColourClass(PixelAt(back, 0, 0)) + ColourClass(PixelAt(back, 0, 7)), expected) << c.saver;
    ReleaseImage(back);
  }
}

TEST_F(PluginSavers, TiffJpegIsCompressionSevenWithItsQualityClampedAndResolutionKept) {
  VX_REQUIRE_TOOL("tiffinfo");
  const int32_t id = MakeTwoToneImage(false);
  ASSERT_EQ(SetImageResolution(id, 300, 150), vexiro::OK);
  auto save = [&](int32_t quality) {
    const std::string path = folder_ / ("q" + std::to_string(quality) + ".tif");
    EXPECT_EQ(SaveAsTIFFJPEGFile(id, path, quality), vexiro::OK) << quality;
    return vximgplug_test::ReadBytes(path);
  };
  const auto q130 = save(130), q100 = save(100), q0 = save(0), qMinus4 = save(-4);
  EXPECT_EQ(q130, q100) << "quality above 100 is 100";
  EXPECT_EQ(qMinus4, q0) << "quality below 0 is 0";
  EXPECT_NE(q100, q0);
  const std::string info = Shell("tiffinfo '" + folder_ / "q100.tif" + "'");
  EXPECT_NE(info.find("Compression Scheme: JPEG"), std::string::npos) << info;
  EXPECT_EQ(Shell("tiffdump '" + folder_ / "q100.tif" + "' | grep -c 'Compression (259) SHORT (3) 1<7>'"), "1");
  // The image's own resolution, not its round-off in whole dots per metre (299.999, 150.012).
  EXPECT_NE(info.find("Resolution: 300, 150 pixels/inch"), std::string::npos) << info;
  ReleaseImage(id);
}

TEST_F(PluginSavers, GreyJpegIsWrittenAsGreyWithTheQualityAsFlags) {
  VX_REQUIRE_TOOL("convert");
  const int32_t id = MakeImage(8, 8, k8);
  gdiplus::ColorPalette ramp;
  ramp.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) ramp.Entries[i] = 0xFF000000u | (i << 16) | (i << 8) | i;
  ASSERT_EQ(SetImagePalette(id, ramp), vexiro::OK);
  for (int32_t y = 0; y < 8; ++y) WriteRow(id, y, std::vector<uint8_t>(8, y < 4 ? 255 : 0));
  const std::string fine = folder_ / "fine.jpg", coarse = folder_ / "coarse.jpg";
  ASSERT_EQ(SaveGreyJpegThroughPlugin(id, fine, 95), vexiro::OK);
  ASSERT_EQ(SaveGreyJpegThroughPlugin(id, coarse, 5), vexiro::OK);
  EXPECT_EQ(ReadWithImageMagick(fine), "JPEG 8x8 WK");
  EXPECT_EQ(Shell("identify -format '%[colorspace] %[channels]' '" + fine + "'").substr(0, 4), "Gray");
  EXPECT_NE(vximgplug_test::ReadBytes(fine), vximgplug_test::ReadBytes(coarse));
  EXPECT_EQ(SaveGreyJpegThroughPlugin(4242, folder_ / "none.jpg", 75), vexiro::InvalidParameter);
  ReleaseImage(id);
}

// Sixteen-bit images keep their colours whichever way their bits are split.
TEST_F(PluginSavers, SixteenBitImagesKeepTheirColours) {
  VX_REQUIRE_TOOL("convert");
  const std::pair<PixelFormat, std::vector<uint8_t>> cases[] = {
      {gdiplus::PixelFormat16bppRGB565, {0x00, 0xF8, 0x1F, 0x00}},  // red, blue
      {gdiplus::PixelFormat16bppRGB555, {0x00, 0x7C, 0x1F, 0x00}},
  };
  for (const auto& [format, row] : cases) {
    const int32_t id = MakeImage(2, 1, format);
    WriteRow(id, 0, row);
    const std::string path = folder_ / "sixteen.ico";
    ASSERT_EQ(SaveAsICOFile(id, path), vexiro::OK);
    EXPECT_EQ(Shell("convert '" + path + "' -format '%[pixel:p{0,0}] %[pixel:p{1,0}]' info:"),
              "srgba(255,0,0,1) srgba(0,0,255,1)")
        << PixelFormatName(format);
    ReleaseImage(id);
  }
}

TEST_F(PluginSavers, UnknownIdentifierIsInvalidParameterAndWritesNothing) {
  for (const SaverCase& s : Savers()) {
    const std::string path = folder_ / (std::string("none.") + s.extension);
    EXPECT_EQ(s.save(4242, path), vexiro::InvalidParameter) << s.name;
    EXPECT_FALSE(std::filesystem::exists(path)) << s.name;
  }
}

TEST_F(PluginSavers, AFileThatCannotBeWrittenIsGenericErrorWithNothingLeftBehind) {
  const int32_t colour = MakeTwoToneImage(false), bilevel = MakeTwoToneImage(true);
  std::filesystem::create_directory(folder_ / "taken");
  for (const SaverCase& s : Savers()) {
    const int32_t id = Contains(s.accepted, k24) ? colour : bilevel;
    const std::string missingFolder = folder_ / (std::string("no-such-folder/x.") + s.extension);
    EXPECT_EQ(s.save(id, missingFolder), vexiro::GenericError) << s.name;
    EXPECT_EQ(s.save(id, folder_ / "taken"), vexiro::GenericError) << s.name;
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "taken")) << s.name;
  }
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"taken"});
  // A read-only folder: the writer cannot create its file there.
  if (geteuid() != 0) {
    const std::string locked = folder_ / "locked";
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0500);
    for (const SaverCase& s : Savers()) {
      const int32_t id = Contains(s.accepted, k24) ? colour : bilevel;
      EXPECT_EQ(s.save(id, locked + "/x." + s.extension), vexiro::GenericError) << s.name;
    }
    chmod(locked.c_str(), 0700);
    EXPECT_TRUE(std::filesystem::is_empty(locked));
  }
  ReleaseImage(colour);
  ReleaseImage(bilevel);
}

}  // namespace
}  // namespace vx::engine
