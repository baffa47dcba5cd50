// What a document costs and how large it may grow. Page files are the engine's own: they are read
// back in-process (no decoding child process reads them) and written without a disk flush, so a
// document of thousands of pages loads and saves in the time its pages take; and no document
// takes a page past the page limit, which no loader would read back. Files whose structure is the
// attack (a TIFF directory of thousands of tags, an icon whose PNG holds no data) are refused on
// the plug-in's route as on the platform's.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <zlib.h>

#include <atomic>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/image_store.h"
#include "engine/plugin/seam.h"
#include "engine/saving_test_support.h"
#include "platform/input_limits.h"
#include "support/child_processes.h"

namespace {

std::atomic<int> g_fsyncCalls{0};

}  // namespace

// Every fsync of the process passes here first, so a test can see whether a write forced its
// file to the disk. The suite's executable defines it, so the library's calls reach it before libc.
extern "C" int fsync(int fd) {
  g_fsyncCalls.fetch_add(1, std::memory_order_relaxed);
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
  return real(fd);
}

namespace vx::engine {
namespace {

using saving_test::ScratchFolder;
using saving_test::Shell;

std::atomic<int> g_childrenEnded{0};
void CountChild(int) { g_childrenEnded.fetch_add(1, std::memory_order_relaxed); }

// Counts the child processes that do work while it lives: those that end (each sends SIGCHLD to
// its parent) and those kept alive, like a decoding helper, that were scheduled meanwhile.
class ChildCounter {
 public:
  ChildCounter() {
    g_childrenEnded = 0;
    struct sigaction count {};
    count.sa_handler = CountChild;
    count.sa_flags = SA_RESTART;
    sigemptyset(&count.sa_mask);
    sigaction(SIGCHLD, &count, &saved_);
  }
  ~ChildCounter() { sigaction(SIGCHLD, &saved_, nullptr); }
  ChildCounter(const ChildCounter&) = delete;
  ChildCounter& operator=(const ChildCounter&) = delete;
  int Worked() const { return g_childrenEnded.load() + vxtest::ChildrenThatWorked(live_, vxtest::LiveChildren()); }

 private:
  struct sigaction saved_ {};
  std::map<int, long> live_ = vxtest::LiveChildren();
};

class DocumentLimits : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VX_REQUIRE_TOOL("convert");
  }
  int32_t Picture(const std::string& colour) {
    const std::string path = folder_.File(colour + ".png");
    Shell("convert -size 16x8 xc:" + colour + " -type TrueColor '" + path + "'");
    return engine_->CreateImageFromFile(path);
  }
  // A document of the format with three pages.
  int32_t ThreePages(bool tiff) {
    const int32_t first = Picture("red");
    const int32_t doc = tiff ? engine_->TiffCreateMultiPageFromVexiroImage(first)
                             : engine_->GifCreateMultiPageFromVexiroImage(first);
    for (const char* colour : {"lime", "blue"}) {
      const int32_t page = Picture(colour);
      EXPECT_EQ(tiff ? engine_->TiffAppendPageFromVexiroImage(doc, page) : engine_->GifAppendPageFromVexiroImage(doc, page),
                vexiro::OK);
    }
    return doc;
  }
  ScratchFolder folder_;
};

TEST_F(DocumentLimits, PageFilesAreReadInProcess) {
  VX_REQUIRE_TOOL("tiffinfo");
  const int32_t doc = ThreePages(true);
  ASSERT_NE(doc, 0);
  const std::string path = folder_.File("three.tif");
  {
    const ChildCounter children;
    ASSERT_EQ(engine_->TiffSelectPage(doc, 2), vexiro::OK);
    ASSERT_EQ(engine_->TiffSaveMultiPageToFile(doc, path), vexiro::OK);
    EXPECT_EQ(children.Worked(), 0) << "no page was decoded in a child process";
  }
  std::istringstream info(Shell("tiffinfo '" + path + "' 2>/dev/null"));
  int directories = 0;
  for (std::string line; std::getline(info, line);) directories += line.starts_with("TIFF Directory");
  EXPECT_EQ(directories, 3);
  if (!IsVximgplugAvailable()) return;
  // The counter sees the children a file of the host's own is decoded in.
  const ChildCounter children;
  EXPECT_NE(engine_->CreateImageFromFile(path), 0);
  EXPECT_GT(children.Worked(), 0);
}

TEST_F(DocumentLimits, PageFilesAreNotForcedToTheDisk) {
  const int32_t doc = ThreePages(false);
  ASSERT_NE(doc, 0);
  g_fsyncCalls = 0;
  ASSERT_EQ(engine_->GifSelectPage(doc, 3), vexiro::OK);
  engine_->SetNativeImage(FindImageRecord(doc)->PageImageIDs[2]);
  ASSERT_EQ(engine_->FxBlur(), vexiro::OK);
  ASSERT_EQ(engine_->GifSelectPage(doc, 1), vexiro::OK) << "the changed page is written back to a page file";
  EXPECT_EQ(g_fsyncCalls.load(), 0);
  // A file of the host's own still reaches the disk before it takes its name.
  ASSERT_NE(Picture("gray"), 0);
  ASSERT_EQ(engine_->SaveAsPNG(folder_.File("saved.png")), vexiro::OK);
  EXPECT_GT(g_fsyncCalls.load(), 0);
}

// A document at the page limit, its page table filled as a split of that many pages leaves it.
void FillToThePageLimit(int32_t doc) {
  ImageRecord* record = FindImageRecord(doc);
  ASSERT_NE(record, nullptr);
  const auto pages = static_cast<size_t>(limits::kMaxDocumentPages);
  record->PageCount = limits::kMaxDocumentPages;
  record->PageFiles.resize(pages);
  record->PageImageIDs.resize(pages);
  record->PageBitDepths.resize(pages);
  record->PageDelays.resize(pages, 25);
  record->PageDisposals.resize(pages, -1);
}

TEST_F(DocumentLimits, NoDocumentGrowsPastThePageLimit) {
  for (bool tiff : {true, false}) {
    SCOPED_TRACE(tiff ? "TIFF" : "GIF");
    const int32_t doc = ThreePages(tiff);
    ASSERT_NE(doc, 0);
    FillToThePageLimit(doc);
    const int32_t page = Picture("white");
    const auto append = [&] {
      return tiff ? engine_->TiffAppendPageFromVexiroImage(doc, page) : engine_->GifAppendPageFromVexiroImage(doc, page);
    };
    EXPECT_EQ(append(), vexiro::OutOfMemory);
    EXPECT_EQ(tiff ? engine_->TiffInsertPageFromVexiroImage(doc, 1, page) : engine_->GifInsertPageFromVexiroImage(doc, 1, page),
              vexiro::OutOfMemory);
    EXPECT_EQ(tiff ? engine_->TiffGetPageCount(doc) : engine_->GifGetPageCount(doc), limits::kMaxDocumentPages);
    ASSERT_EQ(tiff ? engine_->TiffDeletePage(doc, limits::kMaxDocumentPages) : engine_->GifDeletePage(doc, limits::kMaxDocumentPages),
              vexiro::OK);
    EXPECT_EQ(append(), vexiro::OK) << "a page deleted makes room for one";
    EXPECT_EQ(append(), vexiro::OutOfMemory);
  }
}

// A little-endian TIFF of one 1 x 1 grey page and `privateTags` private SHORT tags.
std::string TiffWithPrivateTags(int privateTags) {
  std::string tiff("II*\0\x08\0\0\0", 8);
  const auto put16 = [&](uint32_t v) { tiff += static_cast<char>(v), tiff += static_cast<char>(v >> 8); };
  const auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  const auto entries = static_cast<uint32_t>(9 + privateTags);
  const uint32_t pixel = 8 + 2 + entries * 12 + 4;
  put16(entries);
  const auto entry = [&](uint32_t tag, uint32_t type, uint32_t value) {
    put16(tag), put16(type), put32(1);
    type == 3 ? (put16(value), put16(0)) : put32(value);
  };
  for (uint32_t tag : {256u, 257u, 258u, 259u, 262u}) entry(tag, 3, tag == 258 ? 8 : 1);
  entry(273, 4, pixel);
  for (uint32_t tag : {277u, 278u}) entry(tag, 3, 1);
  entry(279, 4, 1);
  for (int i = 0; i < privateTags; ++i) entry(60000 + i, 3, static_cast<uint32_t>(i));
  put32(0);
  tiff += '\x80';
  return tiff;
}

std::string Chunk(const std::string& type, const std::string& data) {
  std::string chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>(data.size() >> shift);
  const std::string body = type + data;
  const auto crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  chunk += body;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>(crc >> shift);
  return chunk;
}

// An icon of 69 bytes whose one image is a PNG claiming 2560 x 35152 pixels whose image data is
// a bare zlib header: the file ends where the rows would begin. The signature may be damaged, as
// decoders that look at a few of its bytes still take the image for a PNG.
std::string IconOfEmptyPng(const std::string& signature = std::string("\x89PNG\r\n\x1A\n", 8)) {
  const std::string png = signature + Chunk("IHDR", std::string("\0\0\x0A\0\0\0\x89\x50\x08\x06\0\0\0", 13)) +
                          Chunk("IDAT", "\x78\x9C");
  std::string ico("\0\0\1\0\1\0\0\0\0\0\1\0\x20\0", 14);
  for (uint32_t v : {static_cast<uint32_t>(png.size()), 22u})
    for (int shift = 0; shift < 32; shift += 8) ico += static_cast<char>(v >> shift);
  ico += png;
  EXPECT_EQ(ico.size(), 69u);
  return ico;
}

TEST_F(DocumentLimits, FilesWhoseStructureIsTheAttackAreRefusedOnEveryRoute) {
  struct Case {
    const char* name;
    std::string bytes;
    bool loads;
  };
  const Case cases[] = {
      {"tags4000.tif", TiffWithPrivateTags(4000), false},
      {"tags400.tif", TiffWithPrivateTags(400), true},
      {"empty-png.ico", IconOfEmptyPng(), false},
      {"damaged-signature.ico", IconOfEmptyPng(std::string("\x89PnG\r\n\x1A\0", 8)), false},
      {"ascii-signature.ico", IconOfEmptyPng(std::string("\x89PNG\n\n\x1A\n", 8)), false},
      {"bare-signature.ico", IconOfEmptyPng(std::string("\0\0\0\0\0\0\0\0", 8)), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder_.File(c.name);
    std::ofstream(path, std::ios::binary) << c.bytes;
    for (bool disablePlugin : {false, true}) {
      engine_->DisableVximgplugCodecs(disablePlugin);
      const int32_t id = engine_->CreateImageFromFile(path);
      EXPECT_EQ(id != 0, c.loads) << (disablePlugin ? "platform route" : "plug-in route");
      EXPECT_EQ(engine_->GetStat() == vexiro::OK, c.loads);
      if (id != 0) engine_->CloseImage(id);
    }
  }
}

}  // namespace
}  // namespace vx::engine
