// Files made by an attacker: headers claiming pictures or strips far beyond the plug-in's
// limits must be refused before the decoding child allocates for them, files holding no pixel
// data must not load as pictures of zeros, and a document of many pages is judged in time
// proportional to its pages. Each fixture is a few dozen bytes built here.
#include <sys/resource.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <zlib.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <optional>

#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr int kFormatIco = 1, kFormatTarga = 17, kFormatTiff = 18, kFormatJ2k = 30;

// Resident memory (KiB) the decoding children of `call` took beyond the process that made them:
// the call runs in a forked process of its own, whose children's peak is read once they are gone.
std::optional<long> ChildMemoryGrowthKiB(const std::function<void()>& call) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    // The helpers are no children of their host: this process adopts them as a subreaper does,
    // and ends and waits for them, so that their peak memory counts among its children's.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    call();
    for (int helper : vxtest::HelpersServingThisProcess()) kill(helper, SIGKILL);
    while (wait(nullptr) > 0) {
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const long growth = children.ru_maxrss - self.ru_maxrss;
    const ssize_t written = write(fds[1], &growth, sizeof growth);
    _exit(written == sizeof growth ? 0 : 1);
  }
  close(fds[1]);
  long growth = 0;
  const bool answered = read(fds[0], &growth, sizeof growth) == sizeof growth;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!answered) return std::nullopt;
  return growth;
}

constexpr long kGrowthAllowedKiB = 256 * 1024;

void Put16BE(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void Put32BE(std::vector<uint8_t>& b, uint32_t v) {
  Put16BE(b, v >> 16);
  Put16BE(b, v & 0xFFFF);
}
void Put16LE(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32LE(std::vector<uint8_t>& b, uint32_t v) {
  Put16LE(b, v & 0xFFFF);
  Put16LE(b, v >> 16);
}

// A one-component, one-tile JPEG 2000 codestream with no coded data for its tile.
std::vector<uint8_t> J2kCodestream(uint32_t width, uint32_t height, uint32_t tileSide) {
  std::vector<uint8_t> b{0xFF, 0x4F, 0xFF, 0x51};
  Put16BE(b, 41);  // Lsiz
  Put16BE(b, 0);   // Rsiz
  for (uint32_t v : {width, height, 0u, 0u, tileSide, tileSide, 0u, 0u}) Put32BE(b, v);
  Put16BE(b, 1);                             // one component
  b.insert(b.end(), {0x07, 0x01, 0x01});     // 8 bits, no subsampling
  b.insert(b.end(), {0xFF, 0x52, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x04, 0x04, 0x00, 0x01});  // COD
  b.insert(b.end(), {0xFF, 0x5C, 0x00, 0x04, 0x00, 0x40});                                              // QCD
  b.insert(b.end(), {0xFF, 0x90, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E, 0x00, 0x01});           // SOT
  b.insert(b.end(), {0xFF, 0x93, 0xFF, 0xD9});                                                          // SOD, EOC
  return b;
}

void PutChunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data) {
  Put32BE(b, static_cast<uint32_t>(data.size()));
  const size_t start = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  Put32BE(b, static_cast<uint32_t>(crc32(0, b.data() + start, static_cast<uInt>(b.size() - start))));
}

// An icon of one image, `image` (a PNG, or a bitmap without its file header), right after the
// directory.
std::vector<uint8_t> IconOf(const std::vector<uint8_t>& image) {
  std::vector<uint8_t> ico{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
  Put32LE(ico, static_cast<uint32_t>(image.size()));
  Put32LE(ico, 22);
  ico.insert(ico.end(), image.begin(), image.end());
  return ico;
}

// A file of 69 bytes whose directory claims no image: FreeImage's page access reads the entry after
// it all the same and made a blank picture of 2560 x 35152 pixels of it.
std::vector<uint8_t> IconOfNoImagesWithPng() {
  return {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x89, 0x50, 0x6e, 0x47, 0x0d, 0x0a, 0x1a, 0x00,
          0x0d, 0x49, 0x0a, 0x00, 0x94, 0xef, 0x00, 0x00, 0x00, 0x04, 0x67, 0x41, 0xcf, 0xaf, 0xef, 0x3c, 0x18, 0x7c,
          0xee, 0x08, 0xec, 0xac, 0x00, 0x01, 0x38, 0xe5, 0xce, 0x80, 0x04, 0x04, 0x2e, 0x03, 0x00, 0x7c, 0x02, 0x00,
          0x08, 0x00, 0x03, 0x1c, 0x8e, 0xff, 0x02, 0xe9, 0x57, 0xb1, 0xff, 0xff, 0xff, 0x02, 0x64};
}

// An icon of 69 bytes whose one image is a PNG claiming 2560 x 35152 pixels and holding only a
// zlib header for them, after `signature`: decoders that judge a PNG inside an icon by a few of
// its signature's bytes take one with the others damaged for a PNG all the same.
std::vector<uint8_t> IconOfEmptyPng(const std::vector<uint8_t>& signature) {
  std::vector<uint8_t> png = signature;
  PutChunk(png, "IHDR", {0, 0, 0x0A, 0, 0, 0, 0x89, 0x50, 8, 6, 0, 0, 0});
  PutChunk(png, "IDAT", {0x78, 0x9C});
  return IconOf(png);
}

// An icon of one bitmap image claiming 2560 x 35152 pixels of 32 bits, with 16 bytes of rows.
std::vector<uint8_t> IconOfBitmapWithoutRows() {
  std::vector<uint8_t> dib;
  for (uint32_t v : {40u, 2560u, 2 * 35152u}) Put32LE(dib, v);
  Put16LE(dib, 1);
  Put16LE(dib, 32);
  for (int i = 0; i < 6; ++i) Put32LE(dib, 0);
  dib.resize(dib.size() + 16, 0x80);
  return IconOf(dib);
}

// An icon whose directory claims no image, with an entry after it that points past the file's
// end: what a decoder reading that entry anyway finds is whatever its memory held.
std::vector<uint8_t> IconOfNoImages() {
  std::vector<uint8_t> ico{0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 32, 0};
  Put32LE(ico, 1 << 20);
  Put32LE(ico, 1 << 24);
  return ico;
}

struct TiffEntry {
  uint16_t tag, type;
  uint32_t value;
};

// A little-endian TIFF of one 8-bit grey page per directory; `next` links each to the following.
std::vector<uint8_t> TiffPages(uint32_t width, uint32_t height, uint32_t stripOffset, uint32_t stripBytes,
                               int pages) {
  std::vector<uint8_t> b{'I', 'I', 42, 0};
  Put32LE(b, 8);
  const std::vector<TiffEntry> entries = {{256, 4, width}, {257, 4, height},      {258, 3, 8},
                                          {259, 3, 1},     {262, 3, 1},           {273, 4, stripOffset},
                                          {277, 3, 1},     {278, 4, height},      {279, 4, stripBytes}};
  for (int page = 0; page < pages; ++page) {
    Put16LE(b, static_cast<uint32_t>(entries.size()));
    for (const TiffEntry& e : entries) {
      Put16LE(b, e.tag);
      Put16LE(b, e.type);
      Put32LE(b, 1);
      Put32LE(b, e.value);
    }
    const bool last = page + 1 == pages;
    Put32LE(b, last ? 0 : static_cast<uint32_t>(b.size() + 4));
  }
  return b;
}

// Loads `path` whole and page by page, as the host's loader would.
uint32_t LoadedPages(int format, const std::string& path) {
  uint32_t loaded = 0;
  BitmapHandle bitmap(Api().LoadU(format, path.c_str(), 0));
  loaded += bitmap ? 1 : 0;
  if (format != kFormatTiff && format != kFormatIco) return loaded;
  const uint32_t multi = Api().OpenMultiBitmap(format, path.c_str(), 0, 1, 0, 0);
  if (!multi) return loaded;
  for (int page = 0; page < Api().GetPageCount(multi); ++page) {
    const uint32_t locked = Api().LockPage(multi, page);
    if (locked) Api().UnlockPage(multi, locked, 0);
    loaded += locked ? 1 : 0;
  }
  Api().CloseMultiBitmap(multi, 0);
  return loaded;
}

struct HostileFile {
  const char* name;
  int format;
  std::vector<uint8_t> bytes;
};

std::string FixtureName(const testing::TestParamInfo<HostileFile>& info) {
  std::string name = info.param.name;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

class OversizedClaims : public testing::TestWithParam<HostileFile> {};

TEST_P(OversizedClaims, AreRefusedBeforeTheDecoderAllocates) {
  TempFolder folder;
  const std::string path = folder / GetParam().name;
  WriteBytes(path, GetParam().bytes);
  ASSERT_LT(GetParam().bytes.size(), 200u);
  const std::optional<long> growth = ChildMemoryGrowthKiB([&] { LoadedPages(GetParam().format, path); });
  ASSERT_TRUE(growth.has_value());
  EXPECT_LT(*growth, kGrowthAllowedKiB);
}

TEST_P(OversizedClaims, LoadNothing) {
  TempFolder folder;
  const std::string path = folder / GetParam().name;
  WriteBytes(path, GetParam().bytes);
  EXPECT_EQ(LoadedPages(GetParam().format, path), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Plugin, OversizedClaims,
    testing::Values(HostileFile{"square.j2k", kFormatJ2k, J2kCodestream(65535, 65535, 65535)},
                    HostileFile{"tiny-tiles.j2k", kFormatJ2k, J2kCodestream(16000, 16000, 1)},
                    HostileFile{"square.tif", kFormatTiff, TiffPages(65535, 65535, 8, 0xFFFFFFF0u, 1)},
                    HostileFile{"within-sides.tif", kFormatTiff, TiffPages(16384, 16384, 8, 0xFFFFFFF0u, 1)},
                    HostileFile{"empty-png.ico", kFormatIco, IconOfEmptyPng({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})},
                    HostileFile{"damaged-signature.ico", kFormatIco, IconOfEmptyPng({0x89, 'P', 'n', 'G', '\r', '\n', 0x1A, 0})},
                    HostileFile{"ascii-signature.ico", kFormatIco, IconOfEmptyPng({0x89, 'P', 'N', 'G', '\n', '\n', 0x1A, '\n'})},
                    HostileFile{"no-signature.ico", kFormatIco, IconOfEmptyPng({0, 0, 0, 0, 0, 0, 0, 0})},
                    HostileFile{"bitmap-without-rows.ico", kFormatIco, IconOfBitmapWithoutRows()},
                    HostileFile{"no-images.ico", kFormatIco, IconOfNoImages()},
                    HostileFile{"no-images-69-bytes.ico", kFormatIco, IconOfNoImagesWithPng()}),
    FixtureName);

// Read calls this process has made so far.
long ReadCalls() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while (io >> key >> value) {
    if (key == "syscr:") return value;
  }
  return -1;
}

// Read calls taken to lock every page of a file of `pages` one-pixel pages, once it is open.
long ReadCallsToLockEveryPage(const std::string& path, int pages) {
  WriteBytes(path, TiffPages(1, 1, 8, 1, pages));
  const uint32_t multi = Api().OpenMultiBitmap(kFormatTiff, path.c_str(), 0, 1, 0, 0);
  EXPECT_NE(multi, 0u);
  if (!multi) return -1;
  EXPECT_EQ(Api().GetPageCount(multi), pages);
  const long before = ReadCalls();
  for (int page = 0; page < pages; ++page) {
    const uint32_t locked = Api().LockPage(multi, page);
    EXPECT_NE(locked, 0u) << page;
    if (locked) Api().UnlockPage(multi, locked, 0);
  }
  const long calls = ReadCalls() - before;
  Api().CloseMultiBitmap(multi, 0);
  return calls;
}

TEST(ManyPages, EachPageIsReachedWithoutWalkingThePagesBeforeIt) {
  TempFolder folder;
  const long few = ReadCallsToLockEveryPage(folder / "few.tif", 100);
  const long many = ReadCallsToLockEveryPage(folder / "many.tif", 800);
  ASSERT_GT(few, 0);
  // Eight times the pages: eight times the reads when each page is found directly, some sixty
  // times when every page walks the directories before it.
  EXPECT_LT(many, few * 12);
}

TEST(ManyPages, ADocumentHoldsAtMostItsPageLimit) {
  constexpr int kPageLimit = 4096;  // the limit the README states
  TempFolder folder;
  const std::string path = folder / "endless.tif";
  // Pages whose strips lie beyond the file are refused from their directories alone.
  WriteBytes(path, TiffPages(1, 1, 1u << 30, 1, kPageLimit + 3));
  const uint32_t multi = Api().OpenMultiBitmap(kFormatTiff, path.c_str(), 0, 1, 0, 0);
  ASSERT_NE(multi, 0u);
  EXPECT_EQ(Api().GetPageCount(multi), kPageLimit);
  EXPECT_EQ(Api().LockPage(multi, kPageLimit), 0u);
  Api().CloseMultiBitmap(multi, 0);
}

// An icon directory and the header of its one image, whose pixels and mask are missing.
std::vector<uint8_t> IconHeaderOnly() {
  std::vector<uint8_t> b{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
  Put32LE(b, 1128);
  Put32LE(b, 22);
  for (uint32_t v : {40u, 16u, 32u}) Put32LE(b, v);
  Put16LE(b, 1);
  Put16LE(b, 32);
  for (int i = 0; i < 6; ++i) Put32LE(b, 0);
  return b;
}

// A colour-mapped TGA header whose palette and pixels are missing.
std::vector<uint8_t> TargaWithoutPalette() {
  return {0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 4, 0, 2, 0, 8, 0};
}

class FilesWithoutPixelData : public testing::TestWithParam<HostileFile> {};

TEST_P(FilesWithoutPixelData, LoadNothing) {
  TempFolder folder;
  const std::string path = folder / GetParam().name;
  WriteBytes(path, GetParam().bytes);
  EXPECT_EQ(LoadedPages(GetParam().format, path), 0u);
}

INSTANTIATE_TEST_SUITE_P(Plugin, FilesWithoutPixelData,
                         testing::Values(HostileFile{"header-only.ico", kFormatIco, IconHeaderOnly()},
                                         HostileFile{"no-palette.tga", kFormatTarga, TargaWithoutPalette()},
                                         HostileFile{"strip-beyond-end.tif", kFormatTiff, TiffPages(8, 8, 10000, 64, 1)}),
                         FixtureName);

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> GarbageAfter(const std::string& magic) {
  std::vector<uint8_t> b = Bytes(magic);
  uint32_t state = 0x9E3779B9u;
  for (int i = 0; i < 48; ++i) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    b.push_back(static_cast<uint8_t>(state));
  }
  return b;
}

struct AnymapCase {
  const char* name;
  std::vector<uint8_t> bytes;
  int width;  // 0 when the file must be refused
};

class AnymapHeaders : public testing::TestWithParam<AnymapCase> {};

TEST_P(AnymapHeaders, LoadOnlyWhenTheHeaderParsesWhole) {
  constexpr int kFormatPgmRaw = 12;
  TempFolder folder;
  const std::string path = folder / "picture.pgm";
  WriteBytes(path, GetParam().bytes);
  BitmapHandle bitmap(Api().LoadU(kFormatPgmRaw, path.c_str(), 0));
  EXPECT_EQ(bitmap ? Api().GetWidth(bitmap.get()) : 0, GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(
    Plugin, AnymapHeaders,
    testing::Values(AnymapCase{"garbage", GarbageAfter("P5"), 0},
                    AnymapCase{"digits_among_garbage", Bytes("P5\xFF" "4\xFE" "2\xFD" "255\xFC\x01\x02\x03\x04\x05\x06\x07\x08"), 0},
                    AnymapCase{"no_maximum", Bytes("P5 4 2 \x01\x02\x03\x04\x05\x06\x07\x08"), 0},
                    AnymapCase{"no_whitespace_after_maximum", Bytes("P5 4 2 255\x01\x02\x03\x04\x05\x06\x07\x08"), 0},
                    AnymapCase{"sound", Bytes("P5 4 2 255\n\x01\x02\x03\x04\x05\x06\x07\x08"), 4},
                    AnymapCase{"with_comment", Bytes("P5\n# made here\n4 2\n255\n\x01\x02\x03\x04\x05\x06\x07\x08"), 4}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
