// Multi-page GIF documents: animation data read at the split, changed by the setters, written as
// an animated GIF (checked with giftext and ImageMagick) and played on a device context under a
// test clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "control/script_engine.h"
#include "control/script_host.h"
#include "engine/documents/gif_player.h"
#include "engine/saving_test_support.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi_test_support.h"

namespace vx::engine {
namespace {

using saving_test::FileExists;
using saving_test::ReadFile;
using saving_test::ScratchFolder;
using saving_test::Shell;
using vexiro::BasicArray;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Every loop count the file's NETSCAPE2.0 blocks hold, in file order.
std::vector<int> LoopFields(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  const std::string tag = "NETSCAPE2.0";
  std::vector<int> loops;
  for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), tag.begin(), tag.end())) != bytes.end(); ++it) {
    const size_t at = static_cast<size_t>(it - bytes.begin()) + tag.size();
    if (at + 4 <= bytes.size() && bytes[at] == 3 && bytes[at + 1] == 1) loops.push_back(bytes[at + 2] | bytes[at + 3] << 8);
  }
  return loops;
}

class GifDocuments : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VX_REQUIRE_TOOL("convert");
    VX_REQUIRE_TOOL("giftext");
  }
  // Three 8 x 8 frames, red, lime and blue, with the delays given, a loop count and a comment.
  std::string AnimatedGif(const std::string& name, int d1, int d2, int d3) {
    const std::string path = folder_.File(name);
    Shell("convert -delay " + std::to_string(d1) + " -size 8x8 xc:red -delay " + std::to_string(d2) +
          " xc:lime -delay " + std::to_string(d3) + " xc:blue -loop 4 -set comment 'made here' '" + path + "'");
    return path;
  }
  ScratchFolder folder_;
};

TEST_F(GifDocuments, AnimationDataReadAtTheSplit) {
  const int32_t doc = engine_->GifCreateMultiPageFromFile(AnimatedGif("in.gif", 0, 10, 0));
  ASSERT_NE(doc, 0);
  EXPECT_TRUE(engine_->GifIsEditableMultiPage(doc));
  EXPECT_EQ(engine_->GifGetPageCount(doc), 3);
  EXPECT_EQ(engine_->GifGetCurrentPage(doc), 1);
  BasicArray<int32_t> delays;
  ASSERT_EQ(engine_->GifGetFrameDelay(delays), vexiro::OK);
  EXPECT_EQ(delays.Data(), (std::vector<int32_t>{25, 10, 25}));
  EXPECT_EQ(engine_->GifGetPageTime(doc, 2), 10);
  EXPECT_EQ(engine_->GifGetPageTime(doc, 4), 0);
  // The file's own loop field as it stands.
  EXPECT_EQ(std::vector<int>{engine_->GifGetLoopCount(doc)}, LoopFields(folder_.File("in.gif")));
  const int32_t plain = engine_->CreateNewImage(4, 4, 24);
  EXPECT_EQ(engine_->GifGetCurrentPage(plain), 0);
  EXPECT_EQ(engine_->GifGetLoopCount(plain), 0);
}

TEST_F(GifDocuments, SettersRefuseWhatAFileCannotHold) {
  const int32_t doc = engine_->GifCreateMultiPageFromFile(AnimatedGif("in.gif", 10, 10, 10));
  ASSERT_NE(doc, 0);
  struct Case {
    const char* what;
    VexiroStatus status;
    VexiroStatus expected;
  };
  const Case cases[] = {
      {"loop 65536", engine_->GifSetLoopCount(doc, 65536), vexiro::OK},
      {"loop 65537", engine_->GifSetLoopCount(doc, 65537), vexiro::InvalidParameter},
      {"loop -1", engine_->GifSetLoopCount(doc, -1), vexiro::InvalidParameter},
      {"loop of an unknown image", engine_->GifSetLoopCount(12345, 1), vexiro::InvalidParameter},
      {"time of page 0", engine_->GifSetPageTime(doc, 0, 5), vexiro::InvalidParameter},
      {"time of page 4", engine_->GifSetPageTime(doc, 4, 5), vexiro::InvalidParameter},
      {"time 0", engine_->GifSetPageTime(doc, 1, 0), vexiro::InvalidParameter},
      {"time 7", engine_->GifSetPageTime(doc, 1, 7), vexiro::OK},
      {"disposal 0", engine_->GifSetPageDisposal(doc, 1, 0), vexiro::InvalidParameter},
      {"disposal 4", engine_->GifSetPageDisposal(doc, 1, 4), vexiro::InvalidParameter},
      {"disposal of page 4", engine_->GifSetPageDisposal(doc, 4, 2), vexiro::InvalidParameter},
      {"disposal 3", engine_->GifSetPageDisposal(doc, 2, 3), vexiro::OK},
  };
  for (const Case& c : cases) EXPECT_EQ(c.status, c.expected) << c.what;
  EXPECT_EQ(engine_->GifGetLoopCount(doc), 65535) << "held as the file can hold it";
  EXPECT_EQ(engine_->GifGetPageTime(doc, 1), 7);
}

TEST_F(GifDocuments, SavedAsAnAnimatedGif) {
  const int32_t doc = engine_->GifCreateMultiPageFromFile(AnimatedGif("in.gif", 10, 20, 30));
  ASSERT_NE(doc, 0);
  const int32_t extra = engine_->CreateNewImage(8, 8, 32, -256);  // a 32-bit frame is reduced
  ASSERT_EQ(engine_->GifAppendPageFromVexiroImage(doc, extra), vexiro::OK);
  ASSERT_EQ(engine_->GifSetPageTime(doc, 4, 40), vexiro::OK);
  ASSERT_EQ(engine_->GifSetPageDisposal(doc, 2, 2), vexiro::OK);
  ASSERT_EQ(engine_->GifSetPageDisposal(doc, 3, 3), vexiro::OK);
  ASSERT_EQ(engine_->GifSetLoopCount(doc, 65536), vexiro::OK);
  const std::string out = folder_.File("out.gif");
  ASSERT_EQ(engine_->GifSaveMultiPageToFile(doc, out), vexiro::OK);

  EXPECT_EQ(Shell("identify -format '%T %D %s\n' '" + out + "'"),
            "10 Undefined 0\n20 Background 1\n30 Previous 2\n40 Undefined 3\n");
  // Written unsigned, on the first frame only; the plug-in holds at most 65534 repeats.
  const std::vector<int> loops = LoopFields(out);
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_GE(loops[0], 65534);
  EXPECT_EQ(Shell("identify -format '%c|' '" + out + "'").substr(0, 10), "made here|");
  const std::string text = Shell("giftext '" + out + "'");
  EXPECT_EQ(Count(text, "application block"), 1) << "the loop block rides on the first frame only";
  EXPECT_LT(text.find("application block"), text.find("Image #1"));
  EXPECT_EQ(Count(text, "Image #"), 4);
  const std::string last = Shell("convert '" + out + "[3]' -depth 8 rgb:- 2>/dev/null");
  ASSERT_GE(last.size(), 3u);
  EXPECT_EQ(last.substr(0, 3), std::string("\xFF\xFF\x00", 3)) << "the 32-bit frame keeps its colour";
}

// Every frame that is not 8-bit is reduced; only fully transparent pixels of a frame with
// alpha become the transparent entry, whatever the colour of the opaque pixels beside them.
TEST_F(GifDocuments, TransparentPixelsAloneTurnTransparentAtSave) {
  struct Case {
    const char* what;
    const char* drawing;  // ImageMagick arguments for an 8 x 2 PNG page
    std::string left, right;  // RGBA of the first and last pixel of the written frame
  };
  const std::string blue("\x00\x00\xFF\xFF", 4), clear("\x00\x00\x00\x00", 4), yellow("\xFF\xFF\x00\xFF", 4);
  const Case cases[] = {
      {"32-bit, pure blue beside clear pixels", "-size 4x2 xc:blue -size 4x2 xc:none +append PNG32:", blue, clear},
      {"32-bit, half-transparent pixels stay opaque", "-size 4x2 xc:yellow -size 4x2 xc:'rgba(0,0,255,0.5)' +append PNG32:",
       yellow, std::string("\x00\x00\xFF\xFF", 4)},
      {"32-bit, opaque", "-size 8x2 xc:blue -alpha on PNG32:", blue, blue},
      {"24-bit", "-size 4x2 xc:blue -size 4x2 xc:yellow +append PNG24:", blue, yellow},
      {"32-bit, every pixel clear", "-size 8x2 xc:none PNG32:", clear, clear},
  };
  int32_t doc = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string page = folder_.File("page" + std::to_string(i) + ".png");
    Shell(std::string("convert ") + cases[i].drawing + "'" + page + "'");
    if (i == 0) doc = engine_->GifCreateMultiPageFromFile(page);
    else ASSERT_EQ(engine_->GifAppendPageFromFile(doc, page), vexiro::OK) << cases[i].what;
    ASSERT_NE(doc, 0);
  }
  const std::string out = folder_.File("out.gif");
  ASSERT_EQ(engine_->GifSaveMultiPageToFile(doc, out), vexiro::OK);
  const std::string text = Shell("giftext '" + out + "'");
  EXPECT_EQ(Count(text, "Image #"), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string rgba =
        Shell("convert '" + out + "[" + std::to_string(i) + "]' -depth 8 rgba:- 2>/dev/null");
    ASSERT_EQ(rgba.size(), 64u) << cases[i].what;
    // Colour means nothing under alpha 0; compare it only where the pixel shows.
    auto shown = [](std::string px) { return px[3] == 0 ? std::string(4, '\0') : px; };
    EXPECT_EQ(shown(rgba.substr(0, 4)), cases[i].left) << cases[i].what;
    EXPECT_EQ(shown(rgba.substr(60, 4)), cases[i].right) << cases[i].what;
  }
}

TEST_F(GifDocuments, LoopCountAndCommentSurviveALoadAndSave) {
  const std::string in = AnimatedGif("in.gif", 10, 10, 10);
  const std::vector<int> original = LoopFields(in);
  const int32_t doc = engine_->GifCreateMultiPageFromFile(in);
  ASSERT_NE(doc, 0);
  const std::string out = folder_.File("again.gif");
  ASSERT_EQ(engine_->GifSaveMultiPageToFile(doc, out), vexiro::OK);
  EXPECT_EQ(LoopFields(out), original);
  ASSERT_EQ(engine_->GifSetLoopCount(doc, 0), vexiro::OK);
  ASSERT_EQ(engine_->GifSaveMultiPageToFile(doc, out), vexiro::OK);
  EXPECT_EQ(LoopFields(out), std::vector<int>{0}) << "forever";
  EXPECT_EQ(Shell("identify -format '%c|' '" + out + "'").substr(0, 10), "made here|");
}

TEST_F(GifDocuments, FailedSaveKeepsTheFileAlreadyThere) {
  const int32_t doc = engine_->GifCreateMultiPageFromFile(AnimatedGif("in.gif", 10, 10, 10));
  const std::string out = folder_.File("in.gif");
  const std::vector<uint8_t> before = ReadFile(out);
  // The last page's file goes missing behind the document's back: a truncated document.
  ASSERT_EQ(engine_->GifSelectPage(doc, 1), vexiro::OK);
  ImageRecord* record = FindImageRecord(doc);
  ASSERT_NE(record, nullptr);
  std::remove(record->PageFiles[2].c_str());
  EXPECT_NE(engine_->GifSaveMultiPageToFile(doc, out), vexiro::OK);
  EXPECT_EQ(ReadFile(out), before);
  EXPECT_EQ(engine_->GifGetPageCount(doc), 3) << "the document is intact";
  EXPECT_EQ(Shell("ls -A '" + folder_.File("") + "'"), "in.gif\n");
}

TEST_F(GifDocuments, TruncatedLastFrameLeavesTheOthers) {
  const std::string whole = AnimatedGif("whole.gif", 10, 20, 30);
  std::vector<uint8_t> bytes = ReadFile(whole);
  bytes.resize(bytes.size() - 12);
  const std::string cut = folder_.File("cut.gif");
  {
    std::FILE* f = std::fopen(cut.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  const int32_t doc = engine_->GifCreateMultiPageFromFile(cut);
  ASSERT_NE(doc, 0);
  EXPECT_EQ(engine_->GifGetPageCount(doc), 2);
  EXPECT_EQ(engine_->GifGetPageTime(doc, 2), 20);
  ASSERT_EQ(engine_->GifSaveMultiPageToFile(doc, folder_.File("saved.gif")), vexiro::OK);
  EXPECT_EQ(Shell("identify -format '%T ' '" + folder_.File("saved.gif") + "'"), "10 20 ");
}

TEST_F(GifDocuments, MembersThatNeedAnEditableGif) {
  const int32_t plain = engine_->CreateNewImage(4, 4, 24);
  EXPECT_EQ(engine_->GifSaveMultiPageToFile(plain, folder_.File("x.gif")), vexiro::UnsupportedImageFormat);
  EXPECT_EQ(engine_->GifSaveMultiPageToFile(12345, folder_.File("x.gif")), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->GifDeletePage(plain, 1), vexiro::UnsupportedImageFormat);
  EXPECT_EQ(engine_->GifSelectPage(plain, 1), vexiro::UnsupportedImageFormat);
  EXPECT_FALSE(FileExists(folder_.File("x.gif")));
}

TEST_F(GifDocuments, PlaybackShowsEachFrameForItsDelay) {
  ASSERT_NE(engine_->GifCreateMultiPageFromFile(AnimatedGif("in.gif", 10, 20, 30)), 0);
  // A memory context over a DIB section, whose first pixel shows what playback drew last.
  void* pixels = nullptr;
  const HDC dc = CreateCompatibleDC(0);
  const HBITMAP bitmap = CreateDIBSection(dc, testing::MakeDibInfo(8, -8, 32).get(), DIB_RGB_COLORS, &pixels, 0, 0);
  const HGDIOBJ before = SelectObject(dc, bitmap);
  auto colourShown = [&] { return *static_cast<const uint32_t*>(pixels) & 0xFFFFFF; };
  int64_t now = 1'000'000;
  const int64_t start = now;
  std::vector<std::pair<int64_t, uint32_t>> seen;
  const AnimationClock previous = SetAnimationClock({[&] { return now; }, [&] {
                                                       seen.emplace_back(now - start, colourShown());
                                                       now += 5;
                                                     }});
  const int32_t result = engine_->GifDisplayAnimatedGif(static_cast<int32_t>(dc), 0, 0, 8, 8);
  SetAnimationClock(previous);
  SelectObject(dc, before);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_EQ(result, vexiro::OK);
  ASSERT_FALSE(seen.empty());
  for (const auto& [t, colour] : seen) {
    const uint32_t expected = t < 100 ? 0xFF0000u : t < 300 ? 0x00FF00u : 0x0000FFu;
    EXPECT_EQ(colour, expected) << "at " << t << " ms";
  }
  EXPECT_EQ(seen.back().first, 595) << "three frames of 100, 200 and 300 ms";
}

// An indexed image takes the colour into its palette; any other image has its pixels of that
// colour made transparent.
TEST_F(GifDocuments, SetTransparencyByPixelFormat) {
  const std::string gif = folder_.File("two.gif");
  Shell("convert -size 1x1 xc:black xc:white +append '" + gif + "'");
  struct Case {
    const char* what;
    std::function<int32_t()> make;
    int32_t colour;
    std::function<std::vector<uint32_t>()> read;  // ARGB of what the colour lives in
    std::vector<uint32_t> expected;
  };
  auto palette = [&] {
    BasicArray<int32_t> colors;
    int32_t count = 0;
    EXPECT_EQ(engine_->ColorPaletteGet(colors, count), vexiro::OK);
    return std::vector<uint32_t>(colors.Data().begin(), colors.Data().begin() + count);
  };
  auto pixels = [&] {
    BasicArray<int32_t> argb;
    EXPECT_EQ(engine_->GetPixelArray1D(argb, 0, 0, 2, 1), vexiro::OK);
    return std::vector<uint32_t>(argb.Data().begin(), argb.Data().end());
  };
  const Case cases[] = {
      {"indexed: opaque black, the default", [&] { return engine_->CreateImageFromFile(gif); }, -16777216, palette,
       {0x00000000u, 0xFFFFFFFFu}},
      {"32-bit: its yellow pixels", [&] { return engine_->CreateNewImage(2, 1, 32, -256); }, -256, pixels,
       {0x00FFFF00u, 0x00FFFF00u}},
      {"32-bit: a colour it lacks", [&] { return engine_->CreateNewImage(2, 1, 32, -256); }, -16777216, pixels,
       {0xFFFFFF00u, 0xFFFFFF00u}},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.make(), 0) << c.what;
    EXPECT_EQ(engine_->GifSetTransparency(c.colour), vexiro::OK) << c.what;
    EXPECT_EQ(c.read(), c.expected) << c.what;
  }
  vexiro::SavingTestAccess::SetCurrent(*engine_, 0);
  EXPECT_NE(engine_->GifSetTransparency(), vexiro::OK) << "no current image";
}

// Bound with opaque black as the default colour.
TEST_F(GifDocuments, SetTransparencyFromAScript) {
  const std::string gif = folder_.File("two.gif");
  Shell("convert -size 1x1 xc:black xc:white +append '" + gif + "'");
  control::ScriptEngine engine;
  std::ostringstream out;
  control::ScriptHost host(engine.Dispatcher(), out);
  ASSERT_TRUE(host.Run("id = CreateImageFromFile(\"" + gif + "\")\n"
                       "print ColorPaletteHasTransparentColor()\n"
                       "expect GifSetTransparency() = 0\n"
                       "print ColorPaletteHasTransparentColor(), ColorPaletteGetTransparentColor()\n"))
      << host.Error();
  EXPECT_EQ(out.str(), "False\nTrue 0\n");
}

TEST_F(GifDocuments, PlaybackWithoutImage) {
  vexiro::SavingTestAccess::SetCurrent(*engine_, 0);
  EXPECT_EQ(engine_->GifDisplayAnimatedGif(0, 0, 0, 8, 8), vexiro::GenericError);
}

}  // namespace
}  // namespace vx::engine
