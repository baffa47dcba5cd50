#include <gtest/gtest.h>

#include <functional>

#include "engine/save/encoder_table.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/save/in_memory_encoding.h"
#include "engine/saving_test_support.h"
#include "engine/routines/shared_routines.h"
#include "platform/kernel/code_page.h"
#include "platform/ole/ole.h"
#include "platform/ole/stream_handles.h"
#include "support/required_tool.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
using test_support::PaletteOf;
namespace gp = vx::gdiplus;

class SaveMembers : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t MakeCurrent(gp::PixelFormat format = gp::PixelFormat24bppRGB) {
    const int32_t id = MakeFilled(12, 7, format, [](int x, int y) { return 0xFF000000u | (x * 20) << 16 | (y * 30) << 8 | 0x80; });
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  int32_t MakeCurrentGrey() {
    gp::ColorPalette grey;
    grey.Count = 256;
    for (uint32_t i = 0; i < 256; ++i) grey.Entries[i] = 0xFF000000u | i * 0x010101u;
    std::vector<uint8_t> indices(12 * 7);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i * 3);
    const int32_t id = MakeIndexed(12, 7, gp::PixelFormat8bppIndexed, grey, indices);
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  std::vector<uint8_t> ByteArray(const std::string& format, int32_t parameter, VexiroStatus expected = OK) {
    BasicArray<uint8_t> bytes;
    int32_t length = -1;
    EXPECT_EQ(E().SaveAsByteArray(bytes, length, format, parameter), expected) << format << " " << parameter;
    EXPECT_EQ(E().GetStat(), expected);
    if (expected != OK) return {};
    EXPECT_EQ(length, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(bytes.LBound(1), 0);
    return bytes.Data();
  }
  std::string QualityOf(const std::vector<uint8_t>& jpeg) {
    const std::string path = scratch_.File("q.jpg");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    return Shell("identify -format %Q '" + path + "'");
  }
  ScratchFolder scratch_;
};

bool StartsWith(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

TEST_F(SaveMembers, EverySaveMemberNeedsACurrentImage) {
  const std::string path = scratch_.File("x");
  using Member = std::function<VexiroStatus(cImaging&)>;
  const Member members[] = {
      [&](cImaging& e) { return e.SaveAsBmp(path); },  [&](cImaging& e) { return e.SaveAsGIF(path); },
      [&](cImaging& e) { return e.SaveAsPNG(path); },  [&](cImaging& e) { return e.SaveAsJPEG(path); },
      [&](cImaging& e) { return e.SaveAsTIFF(path); }, [&](cImaging& e) { return e.SaveAsGIFi(path); },
      [&](cImaging& e) { return e.SaveAsPNM(path); },
      [&](cImaging& e) {
        BasicArray<uint8_t> a;
        int32_t n = 0;
        return e.SaveAsByteArray(a, n, "png");
      },
      [&](cImaging& e) {
        uint32_t s = 0;
        return e.SaveAsStream(s, "png");
      },
  };
  for (const Member& member : members) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(member(E()), GenericError);
    EXPECT_EQ(E().GetStat(), GenericError);
  }
  SavingTestAccess::SetStat(E(), OK);
  EXPECT_EQ(E().SaveAsString("png"), "");
  EXPECT_EQ(E().GetStat(), GenericError);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(SaveMembers, FileMembersWriteTheirFormats) {
  MakeCurrent();
  struct Case {
    const char* name;
    std::function<VexiroStatus(cImaging&, const std::string&)> save;
    std::initializer_list<uint8_t> magic;
  };
  const Case cases[] = {
      {"a.bmp", [](cImaging& e, const std::string& p) { return e.SaveAsBmp(p); }, {'B', 'M'}},
      {"a.gif", [](cImaging& e, const std::string& p) { return e.SaveAsGIF(p); }, {'G', 'I', 'F'}},
      {"a.png", [](cImaging& e, const std::string& p) { return e.SaveAsPNG(p); }, {0x89, 'P', 'N', 'G'}},
      {"a.jpg", [](cImaging& e, const std::string& p) { return e.SaveAsJPEG(p); }, {0xFF, 0xD8}},
      {"a.tif", [](cImaging& e, const std::string& p) { return e.SaveAsTIFF(p); }, {'I', 'I', 42, 0}},
      {"b.gif", [](cImaging& e, const std::string& p) { return e.SaveAsGIFi(p); }, {'G', 'I', 'F', '8', '9', 'a'}},
      {"a.ppm", [](cImaging& e, const std::string& p) { return e.SaveAsPNM(p); }, {'P', '6', '\n'}},
  };
  for (const Case& c : cases) {
    const std::string path = scratch_.File(c.name);
    EXPECT_EQ(c.save(E(), path), OK) << c.name;
    EXPECT_TRUE(StartsWith(ReadFile(path), c.magic)) << c.name;
  }
}

// The formats the plug-in writes: each member picks its plug-in format and passes its argument
// on, and ImageMagick reads every result back at the image's size.
TEST_F(SaveMembers, PluginFileMembersWriteTheirFormats) {
  struct Case {
    const char* name;
    gp::PixelFormat source;
    std::function<VexiroStatus(cImaging&, const std::string&)> save;
    const char* magick;  // ImageMagick's name of the format it reads
  };
  const Case cases[] = {
      {"a.wbmp", gp::PixelFormat1bppIndexed, [](cImaging& e, const std::string& p) { return e.SaveAsWBMP(p); }, "WBMP"},
      {"a.xpm", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsXPM(p); }, "XPM"},
      {"a.tga", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsTGA(p); }, "TGA"},
      {"a.pbm", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsPBM(p); }, "PPM"},
      {"a.j2k", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsJ2K(p, 8); }, "J2K"},
      {"a.jp2", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsJP2(p); }, "JP2"},
      {"a.exr", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsEXR(p, 4); }, "EXR"},
      {"a.tif", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsTIFFjpg(p); }, "TIFF"},
      {"b.tif", gp::PixelFormat24bppRGB, [](cImaging& e, const std::string& p) { return e.SaveAsTIFFjpgEx(p, 40); }, "TIFF"},
  };
  for (const Case& c : cases) {
    SavingTestAccess::SetCurrent(E(), 0);
    const std::string path = scratch_.File(c.name);
    EXPECT_EQ(c.save(E(), path), GenericError) << c.name << ": no current image";
    EXPECT_FALSE(FileExists(path));
    MakeCurrent(c.source);
    ASSERT_EQ(c.save(E(), path), OK) << c.name;
    EXPECT_EQ(E().GetStat(), OK);
    EXPECT_EQ(Shell("identify -format '%m %wx%h' '" + path + "' 2>/dev/null"), std::string(c.magick) + " 12x7") << c.name;
  }
  EXPECT_NE(Shell("tiffinfo '" + scratch_.File("b.tif") + "' 2>/dev/null").find("Compression Scheme: JPEG"),
            std::string::npos);
}

TEST_F(SaveMembers, ByteArrayPerFormatName) {
  MakeCurrent();
  struct Case {
    const char* format;
    int32_t parameter;
    std::initializer_list<uint8_t> magic;
  };
  const Case cases[] = {
      {" jpg ", 0, {0xFF, 0xD8}},     {"JPEG", 80, {0xFF, 0xD8}}, {"xyz", 0, {'B', 'M'}},
      {"png", 90, {0x89, 'P', 'N', 'G'}}, {"tiff", 4, {'I', 'I', 42, 0}}, {"Gif", 0, {'G', 'I', 'F'}},
      {"", 0, {'B', 'M'}},
  };
  for (const Case& c : cases) EXPECT_TRUE(StartsWith(ByteArray(c.format, c.parameter), c.magic)) << c.format;

  // The array is the whole encoding: the same bytes the file saver writes.
  const std::string path = scratch_.File("same.png");
  ASSERT_EQ(E().SaveAsPNG(path), OK);
  EXPECT_EQ(ByteArray("png", 0), ReadFile(path));
}

TEST_F(SaveMembers, JpegParameterOfInMemoryEncodings) {
  VX_REQUIRE_TOOL("identify");
  MakeCurrent();
  EXPECT_EQ(QualityOf(ByteArray("jpeg", 0)), "75") << "no parameter: the encoder's default";
  EXPECT_EQ(QualityOf(ByteArray("jpeg", -5)), "75");
  EXPECT_EQ(QualityOf(ByteArray("jpg", 40)), "40");
  ByteArray("jpg", 250, InvalidParameter);
  const int32_t grey = MakeCurrentGrey();
  EXPECT_EQ(QualityOf(ByteArray("jpg", 0)), "75") << "grey at 0: the default on the file route too";
  EXPECT_EQ(QualityOf(ByteArray("jpg", 40)), "40");
  EXPECT_EQ(QualityOf(ByteArray("jpg", 250)), "100") << "grey goes to the file saver, which clamps";
  EXPECT_NE(GetImageIndex(grey), -1);
}

// Without the plug-in, the member hands a grey image's quality to the platform encoder as it is,
// 0 included.
TEST_F(SaveMembers, GreyJpegWithoutThePluginKeepsTheQualityGiven) {
  VX_REQUIRE_TOOL("identify");
  MakeCurrentGrey();
  std::string& plugin = ThreadGdiplusState().VximgplugVersion;
  const std::string saved = plugin;
  plugin.clear();
  for (const auto& [quality, seen] : {std::pair{0, "1"}, std::pair{30, "30"}, std::pair{100, "100"}}) {
    const std::string path = scratch_.File("grey.jpg");
    EXPECT_EQ(E().SaveAsJPEG(path, quality), OK) << quality;
    EXPECT_EQ(Shell("identify -format %Q '" + path + "'"), seen) << quality;
  }
  plugin = saved;
}

TEST_F(SaveMembers, GreyJpegRouteLeavesNoTemporaryFile) {
  MakeCurrentGrey();
  ByteArray("jpg", 60);
  ByteArray("jpg", 250);
  {
    // The platform route is the one that makes its file first; with the plug-in present a grey
    // JPEG would go to the plug-in instead.
    std::string& plugin = ThreadGdiplusState().VximgplugVersion;
    const std::string saved = plugin;
    plugin.clear();
    ClearEncoderTable();  // the file route fails after its file was made
    ByteArray("jpg", 60, UnknownImageFormat);
    BuildEncoderTable();
    plugin = saved;
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(GetTempFolder())) left.push_back(entry.path().filename());
  ASSERT_EQ(left.size(), 1u) << "only this test's scratch folder remains";
  EXPECT_EQ(left[0].rfind("out_", 0), 0u);
}

TEST_F(SaveMembers, StreamReplacesTheCallersObjectAndEndsAtTheLastByte) {
  MakeCurrent();
  vx::ole::ComPtr<vx::ole::IStream> held;
  ASSERT_EQ(vx::ole::CreateStreamOnHGlobal(0, vx::TRUE_, held.put()), vx::S_OK);
  const uint32_t passed = vx::ole::RegisterStream(held.get());
  ASSERT_NE(passed, 0u);
  uint32_t handle = passed;
  ASSERT_EQ(E().SaveAsStream(handle, "png", 0), OK);
  ASSERT_NE(handle, 0u);
  EXPECT_NE(handle, passed);
  EXPECT_FALSE(vx::ole::LookupStream(passed)) << "the stream passed in is no longer referenced";
  vx::ole::ComPtr<vx::ole::IStream> result = vx::ole::LookupStream(handle);
  ASSERT_TRUE(result);
  uint64_t position = 0;
  result->Seek(0, vx::ole::STREAM_SEEK_CUR, &position);
  vx::ole::STATSTG stat;
  result->Stat(&stat, 0);
  EXPECT_EQ(position, stat.cbSize);
  EXPECT_EQ(stat.cbSize, ByteArray("png", 0).size());
  EXPECT_TRUE(vx::ole::ReleaseStreamHandle(handle));
}

TEST_F(SaveMembers, StringHoldsOneCharacterPerByte) {
  MakeCurrent();
  const std::vector<uint8_t> bytes = ByteArray("bmp", 0);
  const std::string text = E().SaveAsString("bmp");
  EXPECT_EQ(E().GetStat(), OK);
  EXPECT_EQ(text, vx::AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  EXPECT_EQ(vx::Utf8ToAnsi(text), std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(vx::AnsiToUtf8("\x80"), "\xE2\x82\xAC") << "byte 0x80 is the euro sign";
}

TEST_F(SaveMembers, ClosingImages) {
  SavingTestAccess::SetStat(E(), OK);
  EXPECT_EQ(E().CloseNativeImage(), OK) << "nothing to close: the last status as it was";
  EXPECT_EQ(E().CloseImage(0), InvalidParameter);
  const int32_t held = MakeCurrent();
  SavingTestAccess::SetNativeTiffMultiPage(E(), held);
  EXPECT_EQ(E().CloseNativeImage(), Aborted);
  EXPECT_EQ(E().CloseImage(held), Aborted);
  EXPECT_NE(GetImageIndex(held), -1);
  SavingTestAccess::SetNativeTiffMultiPage(E(), 0);

  const int32_t other = MakeImage(2, 2, gp::PixelFormat24bppRGB);
  EXPECT_EQ(E().CloseImage(other), OK);
  EXPECT_EQ(SavingTestAccess::Current(E()), held) << "closing another image keeps the current one";
  EXPECT_EQ(E().CloseImage(held), OK);
  EXPECT_EQ(SavingTestAccess::Current(E()), 0);
  EXPECT_EQ(E().SaveAsPNG(scratch_.File("after.png")), GenericError);
}

}  // namespace
}  // namespace vexiro
