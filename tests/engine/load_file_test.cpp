// The file loader: every platform format from a file, bytes, a string and a stream; the order of
// the decoders; the statuses of bad input, with no record and no temporary file left behind.
#include "engine/load/loader.h"

#include <sys/stat.h>

#include "engine/loading_test_support.h"
#include "platform/metafile_test_builders.h"
#include "platform/kernel/code_page.h"
#include "platform/ole/ole.h"
#include "platform/user/user.h"

namespace vx::engine {
namespace {

using namespace test_support;
using gdiplus::PixelFormat;

struct FormatCase {
  const char* name;
  const char* drawArguments;
  const char* fileName;
  const char* formatName;        // with the plug-in present
  const char* formatNameAbsent;  // without it ("" when nothing else reads the format)
  PixelFormat pixelFormat;
};

// BMP, PNG and GIF always go to the platform decoders; JPEG, TIFF and ICO to the plug-in when it
// is there; the rest only the plug-in reads.
const FormatCase kFormats[] = {
    {"BMP", "-size 7x5 xc:red -type TrueColor", "a.bmp", "BMP", "BMP", gdiplus::PixelFormat24bppRGB},
    {"PNG", "-size 7x5 xc:'rgba(0,0,255,0.5)' -define png:format=png32", "a.png", "PNG", "PNG",
     gdiplus::PixelFormat32bppARGB},
    {"JPEG", "-size 7x5 xc:green", "a.jpg", "JPEG", "JPEG", gdiplus::PixelFormat24bppRGB},
    {"GIF", "-size 7x5 xc:yellow", "a.gif", "GIF", "GIF", gdiplus::PixelFormat8bppIndexed},
    {"TIFF", "-size 7x5 xc:red -type TrueColor -depth 8 -compress none", "a.tif", "TIFF", "TIFF",
     gdiplus::PixelFormat24bppRGB},
    {"ICO", "-size 7x5 xc:'rgba(255,0,0,0.5)'", "a.ico", "ICO", "ICON", gdiplus::PixelFormat32bppARGB},
    {"PCX", "-size 7x5 xc:red -type TrueColor", "a.pcx", "PCX", "", gdiplus::PixelFormat24bppRGB},
    {"TARGA", "-size 7x5 xc:red -type TrueColor", "a.tga", "TARGA", "", gdiplus::PixelFormat24bppRGB},
    {"PPM", "-size 7x5 xc:red", "a.ppm", "PPMRAW", "", gdiplus::PixelFormat24bppRGB},
};

class LoadFile : public LoadingTest {
 protected:
  void ExpectLoaded(VexiroStatus s, const int32_t& id, const std::string& name, PixelFormat format,
                    const std::string& via) {
    ASSERT_EQ(s, vexiro::OK) << via;
    int32_t w = 0, h = 0;
    EXPECT_EQ(GetImageWidth(id, w), vexiro::OK);
    GetImageHeight(id, h);
    EXPECT_EQ(w, 7) << via;
    EXPECT_EQ(h, 5) << via;
    EXPECT_EQ(GetImageFormatName(id), name) << via;
    EXPECT_EQ(GetImagePixelFormatValue(id), format) << via;
    EXPECT_EQ(ReleaseImage(id), vexiro::OK);
  }
  void ExpectRefused(VexiroStatus s, const int32_t& id, const std::string& via) {
    EXPECT_NE(s, vexiro::OK) << via;
    EXPECT_EQ(id, 0) << via;
  }
};

// Files, bytes and strings take every route; a stream only the platform decoders.
TEST_F(LoadFile, EveryFormatLoadsFromFileBytesStringAndStream) {
  for (const bool absent : {false, true}) {
    PluginAbsence absence(absent);
    for (const FormatCase& c : kFormats) {
      const std::string path = fixtures_.Draw(c.drawArguments, c.fileName);
      ASSERT_FALSE(path.empty()) << c.name;
      const std::string bytes = ReadBytes(path);
      const std::string name = absent ? c.formatNameAbsent : c.formatName;
      const std::string world = std::string(c.name) + (absent ? " without plug-in" : " with plug-in") + " via ";
      int32_t id = 0;
      VexiroStatus s = LoadImageFromFile(id, path);
      name.empty() ? ExpectRefused(s, id, world + "file") : ExpectLoaded(s, id, name, c.pixelFormat, world + "file");
      s = LoadImageFromBytes(id, bytes.data(), bytes.size());
      name.empty() ? ExpectRefused(s, id, world + "bytes") : ExpectLoaded(s, id, name, c.pixelFormat, world + "bytes");
      s = LoadImageFromString(id, AnsiToUtf8(bytes));
      name.empty() ? ExpectRefused(s, id, world + "string")
                   : ExpectLoaded(s, id, name, c.pixelFormat, world + "string");
      ole::ComPtr<ole::IStream> stream;
      ASSERT_EQ(ole::CreateStreamOnMemory(bytes.data(), bytes.size(), stream.put()), 0);
      s = LoadImageFromStream(id, stream.get(), false);
      if (c.formatNameAbsent[0] == 0) {
        ExpectRefused(s, id, world + "stream");
      } else {
        ExpectLoaded(s, id, c.formatNameAbsent, c.pixelFormat, world + "stream");
      }
      EXPECT_EQ(ImageSlotCount(), 0) << world;
      EXPECT_TRUE(TemporaryFiles().empty()) << world;
    }
  }
}

// The resolution a file states survives the plug-in, 72 dpi included: the plug-in's own default
// is 72 too, and a file without resolution tags must not fall to the screen's 96.
TEST_F(LoadFile, TheFilesResolutionSurvivesThePlugin) {
  for (const int dpi : {72, 100, 300}) {
    for (const char* name : {"r.tif", "r.jpg", "r.png"}) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi " + name);
      const std::string path =
          fixtures_.Draw("-size 4x4 xc:red -units PixelsPerInch -density " + std::to_string(dpi), name);
      ASSERT_FALSE(path.empty());
      const int32_t id = engine_->CreateImageFromFile(path);
      ASSERT_NE(id, 0);
      EXPECT_NEAR(engine_->GetHorizontalResolution(), dpi, 0.05);
      EXPECT_NEAR(engine_->GetVerticalResolution(), dpi, 0.05);
      EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
    }
  }
}

// Downloaded bytes and document pages live in temporary files that go with the image.
TEST_F(LoadFile, CloseImageDeletesTheFilesAnImageOwns) {
  const std::string png = ReadBytes(fixtures_.Draw("-size 3x3 xc:red", "b.png"));
  auto bytes = vexiro::BasicArray<uint8_t>::FromVector(std::vector<uint8_t>(png.begin(), png.end()));
  const int32_t fromBytes = engine_->CreateImageFromByteArray(bytes);
  ASSERT_NE(fromBytes, 0);
  const int32_t document =
      engine_->CreateImageFromFile(fixtures_.Draw("-size 4x4 xc:red -size 4x4 xc:blue -depth 8", "two.tif"));
  ASSERT_NE(document, 0);
  EXPECT_EQ(TemporaryFiles().size(), 3u) << "the bytes and two page files";
  EXPECT_EQ(engine_->CloseImage(fromBytes), vexiro::OK);
  EXPECT_EQ(engine_->CloseImage(document), vexiro::OK);
  EXPECT_TRUE(TemporaryFiles().empty());
}

// Which decoder made an image shows in its kind; which status a refused file gets shows whose
// reason came last.
TEST_F(LoadFile, RouteOrderFollowsTheOptions) {
  const std::string tiff = fixtures_.Draw("-size 6x4 xc:red -type TrueColor -depth 8", "one.tif");
  const std::string junk = fixtures_.File("junk.bin");
  std::ofstream(junk, std::ios::binary) << "this is no picture at all";
  struct Case {
    bool pluginAbsent, colourManagement, disablePlugin;
    ImageKind madeBy;
    VexiroStatus junkStatus;  // OK here stands for "the platform decoder's own status"
  } cases[] = {
      {false, false, false, KindPluginBitmap, vexiro::UnknownImageFormat},  // plug-in first
      {false, true, false, KindFile, vexiro::UnknownImageFormat},           // platform first, plug-in's reason
      {false, false, true, KindFile, vexiro::OK},                           // platform alone
      {true, false, false, KindFile, vexiro::Aborted},                      // plug-in absent
      {true, true, false, KindFile, vexiro::Aborted},
  };
  for (const Case& c : cases) {
    PluginAbsence absence(c.pluginAbsent);
    const std::string what =
        std::to_string(c.pluginAbsent) + std::to_string(c.colourManagement) + std::to_string(c.disablePlugin);
    int32_t id = 0;
    const LoadOptions options{.UseColorManagement = c.colourManagement, .DisablePlugin = c.disablePlugin};
    ASSERT_EQ(LoadImageFromFile(id, tiff, options), vexiro::OK);
    EXPECT_EQ(GetImageKind(id), c.madeBy) << what;
    ReleaseImage(id);
    id = 123;
    const VexiroStatus s = LoadImageFromFile(id, junk, options);
    EXPECT_EQ(id, 0);
    if (c.junkStatus == vexiro::OK) {
      EXPECT_NE(s, vexiro::OK) << what;
      EXPECT_NE(s, vexiro::Aborted) << "the plug-in is not asked";
    } else {
      EXPECT_EQ(s, c.junkStatus) << what;
    }
    EXPECT_EQ(ImageSlotCount(), 0) << what;
  }
}

// Every pixel of an image as ARGB, rows from the top.
std::vector<gdiplus::ARGB> PixelsOf(int32_t id) {
  int32_t w = 0, h = 0;
  GetImageWidth(id, w);
  GetImageHeight(id, h);
  std::vector<gdiplus::ARGB> pixels;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      gdiplus::ARGB c = 0;
      GetImagePixel(id, x, y, c);
      pixels.push_back(c);
    }
  return pixels;
}

// Metafiles are read by the last route of the file loader: a file, bytes or a string give the
// picture the metafile member draws, whichever plug-in state.
TEST_F(LoadFile, MetafilesLoadLikeTheMetafileMember) {
  const std::vector<uint8_t> emf = metafile_test::EmfBuilder(12)
                                       .Record(39, {1, 0, metafile_test::Ref(255, 0, 0), 0})
                                       .Record(37, {1})
                                       .Record(43, {2, 3, 9, 8})
                                       .Finish();
  const std::vector<uint8_t> wmf = metafile_test::WmfBuilder::Placeable(metafile_test::WmfBuilder(2)
                                                                            .Record(0x02FC, {0, 0xFF00, 0, 0})
                                                                            .Record(0x012D, {0})
                                                                            .Record(0x041B, {100, 120, 30, 20})
                                                                            .Finish(),
                                                                        150, 150, 1440);
  struct Case {
    const char* name;
    const std::vector<uint8_t>& bytes;
  };
  for (const Case& c : {Case{"a.emf", emf}, Case{"a.wmf", wmf}}) {
    const std::string path = fixtures_.File(c.name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
    const int32_t drawn = engine_->CreateImageFromMetaFile(path);
    ASSERT_NE(drawn, 0) << c.name;
    const std::vector<gdiplus::ARGB> expected = PixelsOf(drawn);
    ASSERT_NE(std::count(expected.begin(), expected.end(), expected.front()), std::ptrdiff_t(expected.size()))
        << c.name << ": the fixture draws something";
    for (const bool absent : {false, true}) {
      PluginAbsence absence(absent);
      const std::string bytes(c.bytes.begin(), c.bytes.end());
      auto array = vexiro::BasicArray<uint8_t>::FromVector(c.bytes);
      const std::pair<const char*, std::function<int32_t()>> routes[] = {
          {"file", [&] { return engine_->CreateImageFromFile(path); }},
          {"bytes", [&] { return engine_->CreateImageFromByteArray(array); }},
          {"string", [&] { return engine_->CreateImageFromString(AnsiToUtf8(bytes)); }},
      };
      for (const auto& [route, load] : routes) {
        const int32_t id = load();
        ASSERT_NE(id, 0) << c.name << " via " << route << " (status " << engine_->GetStat() << ")";
        EXPECT_EQ(engine_->GetStat(), vexiro::OK);
        EXPECT_EQ(PixelsOf(id), expected) << c.name << " via " << route;
        EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
      }
    }
    EXPECT_EQ(engine_->CloseImage(drawn), vexiro::OK);
  }
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(LoadFile, BadInputGivesItsStatusAndLeavesNothing) {
  const std::string truncated = fixtures_.File("cut.png");
  {
    const std::string whole = ReadBytes(fixtures_.Draw("-size 40x40 xc:red", "whole.png"));
    std::ofstream(truncated, std::ios::binary) << whole.substr(0, whole.size() / 2);
  }
  struct Case {
    const char* what;
    std::string path;
    VexiroStatus expected;
  } cases[] = {
      {"blank path", "   ", vexiro::FileNotFound},
      {"empty path", "", vexiro::FileNotFound},
      {"missing file", fixtures_.File("none.png"), vexiro::FileNotFound},
      {"directory", fixtures_.File(""), vexiro::FileNotFound},
  };
  for (const Case& c : cases) {
    int32_t id = 7;
    EXPECT_EQ(LoadImageFromFile(id, c.path), c.expected) << c.what;
    EXPECT_EQ(id, 0) << c.what;
  }
  int32_t id = 7;
  EXPECT_NE(LoadImageFromFile(id, truncated), vexiro::OK);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(LoadImageFromBytes(id, "", 0),
            IsVximgplugAvailable() ? vexiro::UnknownImageFormat : vexiro::Aborted)
      << "an empty array reads as nothing";
  EXPECT_EQ(LoadImageFromString(id, ""), vexiro::GenericError);
  EXPECT_EQ(LoadImageFromString(id, "x"), vexiro::ProfileNotFound);
  EXPECT_EQ(LoadImageFromStream(id, nullptr, false), vexiro::InvalidParameter);
  const std::string cut = ReadBytes(truncated);
  ole::ComPtr<ole::IStream> stream;
  ASSERT_EQ(ole::CreateStreamOnMemory(cut.data(), cut.size(), stream.put()), 0);
  EXPECT_NE(LoadImageFromStream(id, stream.get(), false), vexiro::OK);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(ImageSlotCount(), 0);
  EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(LoadFile, UnreadableFileIsNotFound) {
  if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
  const std::string path = fixtures_.Draw("-size 3x3 xc:red", "locked.png");
  chmod(path.c_str(), 0);
  int32_t id = 0;
  EXPECT_EQ(LoadImageFromFile(id, path), vexiro::FileNotFound);
}

TEST_F(LoadFile, AnEmptyPathAsksTheDialogProvider) {
  const std::string chosen = fixtures_.Draw("-size 5x2 xc:red", "chosen.png");
  int asked = 0;
  SetOpenFileDialogProvider([&](HWND, const std::string&) {
    ++asked;
    return asked == 1 ? std::string() : chosen;
  });
  EXPECT_EQ(engine_->CreateImageFromFile(""), 0) << "cancelled";
  EXPECT_EQ(engine_->GetStat(), vexiro::FileNotFound);
  const int32_t id = engine_->CreateImageFromFile(" ");
  EXPECT_NE(id, 0);
  EXPECT_EQ(engine_->GetWidth(), 5);
  SetOpenFileDialogProvider(nullptr);
  int32_t none = 0;
  EXPECT_EQ(LoadImageFromFile(none, ""), vexiro::FileNotFound);
  EXPECT_EQ(asked, 2) << "a suppressed dialog is not asked";
}

TEST_F(LoadFile, AdoptedPlatformImageIsRegisteredAsItIs) {
  int32_t id = 0;
  EXPECT_EQ(AdoptGdiPlusImage(id, nullptr), vexiro::InvalidParameter);
  gdiplus::GpBitmap* bitmap = nullptr;
  ASSERT_EQ(gdiplus::GdipCreateBitmapFromScan0(4, 4, 0, gdiplus::PixelFormat24bppRGB, nullptr, &bitmap), gdiplus::Ok);
  ASSERT_EQ(AdoptGdiPlusImage(id, bitmap), vexiro::OK);
  EXPECT_EQ(GetGpImage(id), bitmap);
}

}  // namespace
}  // namespace vx::engine
