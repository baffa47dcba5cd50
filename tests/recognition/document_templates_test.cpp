// Document templates against an independent computation: signatures and relevances of small
// generated grey pages, the template file byte by byte, and what bad files and numbers do.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "engine/load/loader.h"
#include "recognition_test_support.h"
#include "support/fuzz_seed.h"

namespace {

using namespace vxtest::recognition;

constexpr size_t kRecordBytes = 2070;

// A grey page: 0 is black, 255 white.
struct Page {
  int w = 0, h = 0;
  std::vector<uint8_t> grey;
  Page(int width, int height) : w(width), h(height), grey(static_cast<size_t>(width) * height, 255) {}
  void Fill(int x0, int y0, int x1, int y1, uint8_t value) {
    for (int y = y0; y < std::min(y1, h); ++y)
      for (int x = x0; x < std::min(x1, w); ++x) grey[static_cast<size_t>(y) * w + x] = value;
  }
  // Ragged "text lines": dark runs whose lengths vary with a seed.
  void TextLines(int y0, int y1, unsigned seed) {
    for (int y = y0; y < y1; y += 7) {
      for (int x = 5; x < w - 5;) {
        seed = seed * 1103515245u + 12345u;
        const int word = 4 + static_cast<int>((seed >> 16) % 13);
        Fill(x, y, x + word, y + 4, static_cast<uint8_t>((seed >> 8) % 100));
        x += word + 3;
      }
    }
  }
};

struct Signature {
  std::array<int32_t, 512> bins{};
  int32_t dark = 0, top = 0;
};

// Block by block, bits taken from the pixel's place in the block: top-left is bit 8.
Signature IndependentSignature(const Page& p) {
  Signature s;
  const int topBand = static_cast<int>(std::floor(p.h * 0.2));
  for (int by = 0; by < p.h / 3; ++by) {
    for (int bx = 0; bx < p.w / 3; ++bx) {
      int pattern = 0;
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
          if (p.grey[static_cast<size_t>(3 * by + r) * p.w + 3 * bx + c] >= 127) continue;
          pattern |= 1 << (8 - (3 * r + c));
          ++s.dark;
          if (3 * by + 2 <= topBand) ++s.top;
        }
      }
      ++s.bins[static_cast<size_t>(pattern)];
    }
  }
  return s;
}

double Ratio(double a, double b) {
  if (a == 0 && b == 0) return 100;
  return std::min(a, b) / std::max(a, b) * 100;
}

double IndependentRelevance(const Page& image, const Page& learned) {
  const Signature a = IndependentSignature(image), b = IndependentSignature(learned);
  double total = 0, weighted = 0;
  for (int k = 1; k < 512; ++k) total += a.bins[k];
  for (int k = 1; k < 512; ++k) {
    const double x = a.bins[k], y = b.bins[k];
    const double sim = x == 0 && y == 0 ? 100 : (x == 0 || y == 0 ? 0 : std::min(x, y) / std::max(x, y) * 100);
    weighted += (100.0 / total) * sim * x;
  }
  const double similarity = total == 0 ? 0 : weighted / 100;
  return similarity * 0.6 + Ratio(image.w * image.h, learned.w * learned.h) * 0.15 + Ratio(a.dark, b.dark) * 0.13 +
         Ratio(a.top, b.top) * 0.12;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

void PutLe32(std::vector<uint8_t>& b, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

class DocumentTemplatesTest : public EngineTest {
 protected:
  std::string SavePgm(const Page& p, const std::string& name) {
    const std::string path = scratch_ / name;
    std::string header = "P5\n" + std::to_string(p.w) + " " + std::to_string(p.h) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), p.grey.begin(), p.grey.end());
    WriteFile(path, bytes);
    return path;
  }
  int32_t Load(const Page& p, const std::string& name = "page.pgm") {
    const std::string path = SavePgm(p, name);
    int32_t id = 0;
    EXPECT_EQ(vx::engine::LoadImageFromFile(id, path), vexiro::OK);
    return id;
  }
  ScratchFolder scratch_;
};

TEST_F(DocumentTemplatesTest, SavedFileHoldsTheSignatureFieldByField) {
  Page page(61, 47);
  page.TextLines(3, 20, 7);
  page.Fill(10, 30, 50, 44, 40);
  const int32_t image = Load(page);
  const int32_t id = engine_->ADRCreateTemplateFromVexiroImage(image);
  ASSERT_NE(id, 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  ASSERT_TRUE(engine_->ADRSetTemplateTag(id, "Inv\xC3\xA9"));  // "Invé": one byte in the file
  const std::string file = scratch_ / "store.ard";
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(file));

  const std::vector<uint8_t> bytes = ReadFile(file);
  ASSERT_EQ(bytes.size(), 4 + kRecordBytes + 4);
  const Signature expected = IndependentSignature(page);
  EXPECT_EQ(Le32(bytes, 0), 1);
  EXPECT_EQ(Le32(bytes, 4), id);
  for (size_t k = 0; k < 512; ++k) ASSERT_EQ(Le32(bytes, 8 + 4 * k), expected.bins[k]) << "bin " << k;
  EXPECT_EQ(Le32(bytes, 4 + 2052), 61 * 47);
  EXPECT_EQ(Le32(bytes, 4 + 2056), expected.dark);
  EXPECT_EQ(Le32(bytes, 4 + 2060), expected.top);
  EXPECT_GT(expected.top, 0);
  EXPECT_EQ(Le32(bytes, 4 + 2064), 1);
  EXPECT_EQ(bytes[4 + 2068], 4);
  EXPECT_EQ(bytes[4 + 2069], 0);
  EXPECT_EQ(std::string(bytes.begin() + 4 + 2070, bytes.end()), "Inv\xE9");
  engine_->CloseImage(image);
}

TEST_F(DocumentTemplatesTest, BlocksOfTheSmallestPages) {
  struct Case {
    const char* name;
    int w, h;
    std::vector<std::pair<int, int>> dark;
    int bin;  // the one bin counted, -1: none
  } cases[] = {
      {"a dark centre is pattern 16", 3, 3, {{1, 1}}, 16},
      {"a dark block is pattern 511", 3, 3, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}, 511},
      {"two pixels wide holds no block", 2, 3, {{0, 0}}, -1},
      {"the top-left corner is pattern 256", 4, 5, {{0, 0}}, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Page page(c.w, c.h);
    for (auto [x, y] : c.dark) page.Fill(x, y, x + 1, y + 1, 0);
    const int32_t image = Load(page);
    engine_->ADRStartNewTemplateConfig();
    ASSERT_NE(engine_->ADRCreateTemplateFromVexiroImage(image), 0);
    const std::string file = scratch_ / "small.ard";
    ASSERT_TRUE(engine_->ADRSaveTemplateConfig(file));
    const std::vector<uint8_t> bytes = ReadFile(file);
    int32_t counted = 0;
    for (size_t k = 0; k < 512; ++k) counted += Le32(bytes, 8 + 4 * k);
    EXPECT_EQ(counted, (c.w / 3) * (c.h / 3));
    if (c.bin >= 0) EXPECT_EQ(Le32(bytes, 8 + 4 * static_cast<size_t>(c.bin)), 1);
    engine_->CloseImage(image);
  }
}

TEST_F(DocumentTemplatesTest, BilevelImagesCountOnlyOpaqueBlackAsDark) {
  namespace gp = vx::gdiplus;
  const struct {
    gp::ARGB ink;
    gp::PixelFormat format;
    int32_t dark;
  } cases[] = {
      {0xFF000000, gp::PixelFormat1bppIndexed, 9},
      {0xFF404040, gp::PixelFormat1bppIndexed, 0},
      {0xFF404040, gp::PixelFormat8bppIndexed, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dark);
    // Every pixel of index 0, which holds the ink.
    const int32_t image = MakeImage(3, 3, c.format);
    gp::ColorPalette palette;
    palette.Count = c.format == gp::PixelFormat1bppIndexed ? 2 : 256;
    for (gp::UINT i = 0; i < palette.Count; ++i) palette.Entries[i] = 0xFFFFFFFF;
    palette.Entries[0] = c.ink;
    ASSERT_EQ(vx::engine::SetImagePalette(image, palette), vexiro::OK);
    for (int32_t y = 0; y < 3; ++y) {
      gp::BitmapData data;
      gp::PixelFormat format = c.format;
      ASSERT_EQ(vx::engine::LockImageBits(image, {0, y, 3, 1}, gp::ImageLockModeWrite, format, data), vexiro::OK);
      std::memset(data.Scan0, 0, 3);
      ASSERT_EQ(vx::engine::UnlockImageBits(image, data), vexiro::OK);
    }
    engine_->ADRStartNewTemplateConfig();
    ASSERT_NE(engine_->ADRCreateTemplateFromVexiroImage(image), 0);
    ASSERT_TRUE(engine_->ADRSaveTemplateConfig(scratch_ / "ink.ard"));
    EXPECT_EQ(Le32(ReadFile(scratch_ / "ink.ard"), 4 + 2056), c.dark);
    engine_->CloseImage(image);
  }
}

TEST_F(DocumentTemplatesTest, ClosestOfTwoLayoutsWithItsRelevance) {
  Page letter(90, 120), form(90, 120), scan(90, 120);
  letter.TextLines(5, 40, 1);
  letter.TextLines(60, 110, 2);
  form.Fill(5, 5, 85, 30, 20);
  form.Fill(5, 80, 40, 115, 20);
  scan.TextLines(5, 40, 3);
  scan.TextLines(60, 104, 4);
  const int32_t letterId = Load(letter, "letter.pgm");
  const int32_t formId = Load(form, "form.pgm");
  const int32_t formTemplate = engine_->ADRCreateTemplateFromVexiroImage(formId);
  const int32_t letterTemplate = engine_->ADRCreateTemplateFromVexiroImage(letterId);
  const std::string scanFile = SavePgm(scan, "scan.pgm");

  EXPECT_EQ(engine_->ADRGetCloserTemplateForFile(scanFile), letterTemplate);
  EXPECT_DOUBLE_EQ(engine_->ADRGetLastRelevance(), IndependentRelevance(scan, letter));
  EXPECT_DOUBLE_EQ(engine_->ADRGetLastRelevanceFromTemplate(letterTemplate), IndependentRelevance(scan, letter));
  EXPECT_DOUBLE_EQ(engine_->ADRGetLastRelevanceFromTemplate(formTemplate), IndependentRelevance(scan, form));
  EXPECT_LT(IndependentRelevance(scan, form), IndependentRelevance(scan, letter));

  // The same image twice: both equal, the earlier template is chosen, relevance 100.
  engine_->ADRStartNewTemplateConfig();
  const int32_t first = engine_->ADRCreateTemplateFromVexiroImage(letterId);
  engine_->ADRCreateTemplateFromVexiroImage(letterId);
  EXPECT_EQ(engine_->ADRGetCloserTemplateForVexiroImage(letterId), first);
  EXPECT_DOUBLE_EQ(engine_->ADRGetLastRelevance(), 100);

  // Deleting a template takes its relevance along; the others keep theirs.
  const int32_t other = engine_->ADRCreateTemplateFromVexiroImage(formId);
  engine_->ADRGetCloserTemplateForVexiroImage(formId);
  const double otherRelevance = engine_->ADRGetLastRelevanceFromTemplate(other);
  EXPECT_TRUE(engine_->ADRDeleteTemplate(first));
  EXPECT_DOUBLE_EQ(engine_->ADRGetLastRelevanceFromTemplate(other), otherRelevance);
  const int32_t fresh = engine_->ADRCreateTemplateEmpty();
  EXPECT_EQ(engine_->ADRGetLastRelevanceFromTemplate(fresh), 0) << "no search since it was made";

  // A search that chooses nothing leaves relevance 0.
  engine_->ADRStartNewTemplateConfig();
  EXPECT_EQ(engine_->ADRGetCloserTemplateForVexiroImage(letterId), 0);
  EXPECT_EQ(engine_->ADRGetLastRelevance(), 0);
  engine_->CloseImage(letterId);
  engine_->CloseImage(formId);
}

TEST_F(DocumentTemplatesTest, FoldedAveragesRoundHalvesToEvenIn64Bits) {
  // Dark counts 3 and 4 average to 4; 1 and 2 to 2.
  auto dots = [](int n) {
    Page p(3, 3);
    for (int i = 0; i < n; ++i) p.Fill(i % 3, i / 3, i % 3 + 1, i / 3 + 1, 0);
    return p;
  };
  const struct {
    int a, b, average;
  } cases[] = {{3, 4, 4}, {1, 2, 2}, {4, 4, 4}};
  for (const auto& c : cases) {
    engine_->ADRStartNewTemplateConfig();
    const int32_t first = Load(dots(c.a), "a.pgm"), second = Load(dots(c.b), "b.pgm");
    const int32_t id = engine_->ADRCreateTemplateFromVexiroImage(first);
    EXPECT_EQ(engine_->ADRAddImageToTemplate(id, second), vexiro::OK);
    EXPECT_EQ(engine_->ADRGetTemplateImageCount(id), 2);
    ASSERT_TRUE(engine_->ADRSaveTemplateConfig(scratch_ / "avg.ard"));
    EXPECT_EQ(Le32(ReadFile(scratch_ / "avg.ard"), 4 + 2056), c.average) << c.a << " and " << c.b;
    engine_->CloseImage(first);
    engine_->CloseImage(second);
  }

  // A template whose sums pass 32 bits: 5 samples averaging 2,000,000,000 pixels, folding in one
  // of 9 pixels, averages (10,000,000,009) / 6 = 1,666,666,668.17.
  engine_->ADRStartNewTemplateConfig();
  const int32_t image = Load(dots(0));
  engine_->ADRCreateTemplateFromVexiroImage(image);
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(scratch_ / "big.ard"));
  std::vector<uint8_t> bytes = ReadFile(scratch_ / "big.ard");
  PutLe32(bytes, 4 + 2052, 2000000000);
  PutLe32(bytes, 4 + 2064, 5);
  WriteFile(scratch_ / "big.ard", bytes);
  ASSERT_TRUE(engine_->ADRLoadTemplateConfig(scratch_ / "big.ard"));
  const int32_t id = engine_->ADRGetTemplateID(1);
  ASSERT_EQ(engine_->ADRAddImageToTemplate(id, image), vexiro::OK);
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(scratch_ / "big.ard"));
  EXPECT_EQ(Le32(ReadFile(scratch_ / "big.ard"), 4 + 2052), 1666666668);
  engine_->CloseImage(image);
}

TEST_F(DocumentTemplatesTest, SaveLoadRoundTripAndBadFiles) {
  Page page(30, 30);
  page.TextLines(2, 28, 9);
  const int32_t image = Load(page);
  const int32_t a = engine_->ADRCreateTemplateFromVexiroImage(image);
  const int32_t b = engine_->ADRCreateTemplateEmpty();
  engine_->ADRSetTemplateTag(a, "abc");
  const std::string file = scratch_ / "round.ard";
  // A longer file already there is replaced whole: no tail of it stays.
  WriteFile(file, std::vector<uint8_t>(10000, 0xAB));
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(file));
  const std::vector<uint8_t> saved = ReadFile(file);
  ASSERT_EQ(saved.size(), 4 + kRecordBytes + 3 + kRecordBytes);
  EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 4 + 2068, saved.begin() + 4 + 2073),
            (std::vector<uint8_t>{3, 0, 'a', 'b', 'c'}));

  engine_->ADRStartNewTemplateConfig();
  ASSERT_TRUE(engine_->ADRLoadTemplateConfig(file));
  EXPECT_EQ(engine_->ADRGetTemplateCount(), 2);
  EXPECT_EQ(engine_->ADRGetTemplateID(1), a);
  EXPECT_EQ(engine_->ADRGetTemplateID(2), b);
  EXPECT_EQ(engine_->ADRGetTemplateTag(a), "abc");
  EXPECT_EQ(engine_->ADRGetTemplateImageCount(a), 1);
  const std::string again = scratch_ / "again.ard";
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(again));
  EXPECT_EQ(ReadFile(again), saved);
  vxtest::OfferFuzzSeed("two-templates.ard", std::string(saved.begin(), saved.end()));

  // Bad files leave the store as it was.
  std::vector<uint8_t> hugeCount = saved;
  PutLe32(hugeCount, 0, 0x7FFFFFFF);
  std::vector<uint8_t> longTag = saved;
  longTag[4 + 2068] = 0xFF;
  longTag[4 + 2069] = 0xFF;
  std::vector<uint8_t> zeroCount = saved;
  PutLe32(zeroCount, 0, 0);
  std::vector<uint8_t> trailing = saved;
  trailing.insert(trailing.end(), 100, 0x55);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool loads;
  } files[] = {
      {"truncated", std::vector<uint8_t>(saved.begin(), saved.end() - 1), false},
      {"huge count", hugeCount, false},
      {"tag beyond the end", longTag, false},
      {"count 0", zeroCount, false},
      {"bytes after the records", trailing, true},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    engine_->ADRStartNewTemplateConfig();
    const int32_t kept = engine_->ADRCreateTemplateEmpty();
    WriteFile(scratch_ / "bad.ard", f.bytes);
    EXPECT_EQ(engine_->ADRLoadTemplateConfig(scratch_ / "bad.ard"), f.loads);
    EXPECT_EQ(engine_->ADRGetTemplateCount(), f.loads ? 2 : 1);
    EXPECT_EQ(engine_->ADRGetTemplateID(1), f.loads ? a : kept);
  }
  EXPECT_FALSE(engine_->ADRLoadTemplateConfig(scratch_ / "missing.ard"));
  EXPECT_FALSE(engine_->ADRSaveTemplateConfig(scratch_ / "no-folder/store.ard"));
  engine_->ADRStartNewTemplateConfig();
  EXPECT_FALSE(engine_->ADRSaveTemplateConfig(scratch_ / "empty.ard"));
  EXPECT_FALSE(std::filesystem::exists(scratch_ / "empty.ard")) << "an empty store writes nothing";
  engine_->CloseImage(image);
}

// A file holding what the store never writes is refused whole: identifiers must be positive and
// unique, numbers never negative, and a sample count one more fold cannot overflow.
TEST_F(DocumentTemplatesTest, RecordsTheStoreCouldNotHaveMadeAreRefused) {
  Page page(30, 30);
  page.TextLines(2, 28, 5);
  const int32_t image = Load(page);
  const int32_t first = engine_->ADRCreateTemplateFromVexiroImage(image);
  const int32_t second = engine_->ADRCreateTemplateFromVexiroImage(image);
  const std::string file = scratch_ / "sound.ard";
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(file));
  const std::vector<uint8_t> sound = ReadFile(file);
  constexpr size_t kFirst = 4, kSecond = 4 + kRecordBytes;
  const struct {
    const char* name;
    size_t at;
    int32_t value;
    bool loads;
  } cases[] = {
      {"identifier 0", kFirst, 0, false},
      {"negative identifier", kSecond, -7, false},
      {"repeated identifier", kSecond, first, false},
      {"sample count -1", kFirst + 2064, -1, false},
      {"sample count 2^31 - 1", kSecond + 2064, 2147483647, false},
      {"sample count 2^31 - 2", kSecond + 2064, 2147483646, true},
      {"negative bin", kFirst + 4 + 4 * 300, -892225582, false},
      {"negative area", kSecond + 2052, -1, false},
      {"negative dark count", kFirst + 2056, -5, false},
      {"negative top dark count", kSecond + 2060, INT32_MIN, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = sound;
    PutLe32(bytes, c.at, c.value);
    WriteFile(scratch_ / "hostile.ard", bytes);
    engine_->ADRStartNewTemplateConfig();
    const int32_t kept = engine_->ADRCreateTemplateEmpty();
    EXPECT_EQ(engine_->ADRLoadTemplateConfig(scratch_ / "hostile.ard"), c.loads);
    EXPECT_EQ(engine_->ADRGetTemplateCount(), c.loads ? 2 : 1);
    EXPECT_EQ(engine_->ADRGetTemplateID(1), c.loads ? first : kept);
  }

  // The largest count loaded: one more sample folds in with it and the count stays where the file
  // can hold it, so the store saves and loads again; relevances stay within 0 .. 100.
  std::vector<uint8_t> largest = sound;
  PutLe32(largest, kSecond + 2064, 2147483646);
  WriteFile(file, largest);
  ASSERT_TRUE(engine_->ADRLoadTemplateConfig(file));
  ASSERT_EQ(engine_->ADRGetTemplateImageCount(second), 2147483646);
  EXPECT_EQ(engine_->ADRAddImageToTemplate(second, image), vexiro::OK);
  EXPECT_EQ(engine_->ADRGetTemplateImageCount(second), 2147483646);
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(file));
  ASSERT_TRUE(engine_->ADRLoadTemplateConfig(file));
  EXPECT_NE(engine_->ADRGetCloserTemplateForVexiroImage(image), 0);
  for (int32_t id : {first, second}) {
    EXPECT_GE(engine_->ADRGetLastRelevanceFromTemplate(id), 0.0);
    EXPECT_LE(engine_->ADRGetLastRelevanceFromTemplate(id), 100.0);
  }
  engine_->CloseImage(image);
}

// Files that cannot be read, or are larger than any store, answer False: nothing is thrown out of
// the engine and an oversized file is refused by its size, unread.
TEST_F(DocumentTemplatesTest, UnreadableAndOversizedFilesAnswerFalse) {
  const int32_t kept = engine_->ADRCreateTemplateEmpty();
  ASSERT_TRUE(engine_->ADRSaveTemplateConfig(scratch_ / "small.ard"));
  const std::string huge = scratch_ / "huge.ard";
  std::filesystem::copy_file(scratch_ / "small.ard", huge);
  std::filesystem::resize_file(huge, (uint64_t{64} << 20) + 1);  // sparse: costs no disk
  std::filesystem::create_directory(scratch_ / "folder.ard");
  for (const std::string& path : {std::string("/proc/self/mem"), huge, scratch_ / "folder.ard"}) {
    SCOPED_TRACE(path);
    bool loaded = true;
    EXPECT_NO_THROW(loaded = engine_->ADRLoadTemplateConfig(path));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(engine_->ADRGetTemplateCount(), 1);
    EXPECT_EQ(engine_->ADRGetTemplateID(1), kept);
  }
}

TEST_F(DocumentTemplatesTest, UnknownTemplatesImagesAndFiles) {
  const int32_t current = engine_->CreateNewImage(4, 4);
  std::set<int32_t> ids;
  for (int i = 0; i < 500; ++i) ids.insert(engine_->ADRCreateTemplateEmpty());
  EXPECT_EQ(ids.size(), 500u) << "identifiers drawn in quick succession differ";
  EXPECT_EQ(ids.count(0), 0u);
  engine_->ADRStartNewTemplateConfig();

  EXPECT_EQ(engine_->ADRAddImageToTemplate(12345, current), vexiro::TemplateNotFound);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK) << "the add leaves the last status alone";
  EXPECT_EQ(engine_->ADRGetTemplateID(0), -1);
  EXPECT_EQ(engine_->ADRGetTemplateID(1), -1);
  EXPECT_EQ(engine_->ADRGetTemplateImageCount(12345), 0);
  EXPECT_EQ(engine_->ADRGetTemplateTag(12345), "");
  EXPECT_FALSE(engine_->ADRSetTemplateTag(12345, "x"));
  EXPECT_FALSE(engine_->ADRDeleteTemplate(12345));
  EXPECT_EQ(engine_->ADRGetLastRelevanceFromTemplate(12345), 0);

  EXPECT_EQ(engine_->ADRCreateTemplateFromVexiroImage(0), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->ADRCreateTemplateFromVexiroImage(current + 1), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->ADRGetTemplateCount(), 0) << "a failed creation leaves no template";
  const int32_t t = engine_->ADRCreateTemplateEmpty();
  EXPECT_EQ(engine_->ADRAddImageToTemplate(t, 0), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->ADRCreateTemplateFromFile(scratch_ / "missing.pgm"), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::FileNotFound);
  EXPECT_EQ(engine_->ADRGetCloserTemplateForFile(scratch_ / "missing.pgm"), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::FileNotFound);
  EXPECT_EQ(engine_->ADRGetTemplateCount(), 1);
  EXPECT_FALSE(engine_->ADRSetTemplateTag(t, std::string(65536, 'x'))) << "a record holds at most 65,535 bytes";
  EXPECT_TRUE(engine_->ADRSetTemplateTag(t, std::string(65535, 'x')));
  engine_->CloseImage(current);
}

}  // namespace
