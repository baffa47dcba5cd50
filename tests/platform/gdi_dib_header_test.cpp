#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <limits>
#include <vector>

#include "platform/gdi/dib_header.h"

namespace vx::gdi {
namespace {

// The fields a test sets; Bytes() lays them out as a header of `size` bytes (12 for the core
// family), followed by `tail` (masks, colour table, rows).
struct HeaderSpec {
  uint32_t size = 40;
  int32_t width = 4;
  int32_t height = 2;
  uint16_t bits = 24;
  uint32_t compression = BI_RGB;
  uint32_t clrUsed = 0;
  std::vector<uint32_t> headerMasks;  // written at offset 40 of headers long enough to hold them
  std::vector<uint8_t> tail;

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b(size, 0);
    auto put16 = [&](size_t at, uint32_t v) {
      if (at + 2 <= b.size()) b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
      put16(at, v & 0xFFFF);
      put16(at + 2, v >> 16);
    };
    put32(0, size);
    if (size == 12) {
      put16(4, uint32_t(width)), put16(6, uint32_t(height)), put16(8, 1), put16(10, bits);
    } else {
      put32(4, uint32_t(width)), put32(8, uint32_t(height)), put16(12, 1), put16(14, bits);
      put32(16, compression), put32(32, clrUsed);
      for (size_t i = 0; i < headerMasks.size(); ++i) put32(40 + 4 * i, headerMasks[i]);
    }
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  }
};

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
  std::vector<uint8_t> out;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(w >> (8 * i)));
  return out;
}

DibParse Parse(const std::vector<uint8_t>& bytes, DibHeader& h, DibLimits limits = {}) {
  return ParseDibHeader(bytes.data(), bytes.size(), limits, h);
}

HeaderSpec Spec(uint32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression = BI_RGB,
                uint32_t clrUsed = 0, std::vector<uint8_t> tail = {}) {
  HeaderSpec s;
  s.size = size, s.width = width, s.height = height, s.bits = bits, s.compression = compression;
  s.clrUsed = clrUsed, s.tail = std::move(tail);
  return s;
}

TEST(DibHeaderParse, HostileHeadersAreRefusedWithTheirKindOfFailure) {
  const std::vector<uint8_t> table16(64, 0), table2(8, 0);
  HeaderSpec zeroMask = Spec(56, 4, 2, 32, BI_BITFIELDS);
  zeroMask.headerMasks = {0xFF0000, 0, 0xFF, 0};
  HeaderSpec holedMask = Spec(56, 4, 2, 32, BI_BITFIELDS);
  holedMask.headerMasks = {0xF0F000, 0xFF00, 0xFF, 0};
  HeaderSpec wideMask16 = Spec(56, 4, 2, 16, BI_BITFIELDS);
  wideMask16.headerMasks = {0x1F0000, 0x07E0, 0x001F, 0};
  const std::vector<uint8_t> full = Spec(40, 4, 2, 24).Bytes();
  const struct {
    std::vector<uint8_t> bytes;
    DibParse expected;
    const char* what;
  } cases[] = {
      {{}, DibParse::Malformed, "nothing"},
      {{40, 0, 0}, DibParse::Malformed, "size field cut short"},
      {std::vector<uint8_t>(full.begin(), full.begin() + 39), DibParse::Malformed, "header cut short"},
      {Spec(8, 4, 2, 24).Bytes(), DibParse::Malformed, "size below every family"},
      {Spec(100, 4, 2, 24).Bytes(), DibParse::Malformed, "size between the families"},
      {Spec(200, 4, 2, 24).Bytes(), DibParse::Malformed, "size past the largest header"},
      {Spec(40, 0, 2, 24).Bytes(), DibParse::Malformed, "no width"},
      {Spec(40, -4, 2, 24).Bytes(), DibParse::Malformed, "negative width"},
      {Spec(40, 4, 0, 24).Bytes(), DibParse::Malformed, "no height"},
      {Spec(40, 4, std::numeric_limits<int32_t>::min(), 24).Bytes(), DibParse::Malformed, "height without a magnitude"},
      {Spec(40, 4, -2, 8, BI_RLE8, 0, std::vector<uint8_t>(1024)).Bytes(), DibParse::Malformed, "top-down run lengths"},
      {zeroMask.Bytes(), DibParse::Malformed, "empty colour mask"},
      {holedMask.Bytes(), DibParse::Malformed, "mask with a hole"},
      {wideMask16.Bytes(), DibParse::Malformed, "16-bit mask past 16 bits"},
      {Spec(40, 4, 2, 16, BI_BITFIELDS, 0, Words({0xF800, 0x07E0})).Bytes(), DibParse::Malformed, "masks cut short"},
      {Spec(40, 4, 2, 4, BI_RGB, 17, std::vector<uint8_t>(17 * 4)).Bytes(), DibParse::Malformed, "more colours than indices"},
      {Spec(40, 4, 2, 8, BI_RGB, 0, table16).Bytes(), DibParse::Malformed, "implied table past the end"},
      {Spec(40, 4, 2, 8, BI_RGB, 0xFFFFFFFF, table16).Bytes(), DibParse::Malformed, "huge colour count"},
      {Spec(40, 4, 2, 24, BI_RGB, 3, table2).Bytes(), DibParse::Malformed, "optional table past the end"},
      {Spec(40, 4, 2, 24, BI_RGB, 70000, std::vector<uint8_t>(280000)).Bytes(), DibParse::Malformed,
       "optional table of absurd size"},
      {Spec(12, 4, 2, 8, BI_RGB, 0, std::vector<uint8_t>(255 * 3)).Bytes(), DibParse::Malformed,
       "core table one entry short"},
      {Spec(40, 4, 2, 2).Bytes(), DibParse::Unsupported, "2 bits"},
      {Spec(40, 4, 2, 64).Bytes(), DibParse::Unsupported, "64 bits"},
      {Spec(40, 4, 2, 0, BI_JPEG).Bytes(), DibParse::Unsupported, "JPEG"},
      {Spec(40, 4, 2, 0, BI_PNG).Bytes(), DibParse::Unsupported, "PNG"},
      {Spec(40, 4, 2, 32, 11).Bytes(), DibParse::Unsupported, "CMYK"},
      {Spec(40, 4, 2, 24, BI_BITFIELDS, 0, Words({0xFF0000, 0xFF00, 0xFF})).Bytes(), DibParse::Unsupported,
       "24-bit masks"},
      {Spec(40, 4, 2, 4, BI_RLE8, 0, table16).Bytes(), DibParse::Unsupported, "RLE8 at 4 bits"},
      {Spec(64, 4, 2, 1, 3, 0, table2).Bytes(), DibParse::Unsupported, "OS/2 Huffman"},
      {Spec(64, 4, 2, 24, 4).Bytes(), DibParse::Unsupported, "OS/2 RLE24"},
  };
  for (const auto& c : cases) {
    DibHeader h;
    h.width = 99;
    EXPECT_EQ(Parse(c.bytes, h), c.expected) << c.what;
    EXPECT_EQ(h.width, 0) << c.what << ": a refused header leaves nothing behind";
  }
  DibHeader h;
  EXPECT_EQ(ParseDibHeader(nullptr, 100, {}, h), DibParse::Malformed);
}

TEST(DibHeaderParse, CallerLimitsBoundDimensionsAndPixelMemory) {
  const struct {
    HeaderSpec spec;
    DibLimits limits;
    DibParse expected;
  } cases[] = {
      {Spec(40, 1025, 1, 24), {1024, 1 << 30}, DibParse::TooLarge},
      {Spec(40, 1, -1025, 24), {1024, 1 << 30}, DibParse::TooLarge},
      {Spec(40, 1024, 1024, 8, BI_RGB, 1, Words({0})), {1024, 1 << 20}, DibParse::Ok},
      {Spec(40, 1024, 1025, 8, BI_RGB, 1, Words({0})), {1024, 1 << 20}, DibParse::TooLarge},
      {Spec(40, 0x7FFFFFFF, -0x7FFFFFFF, 32), {}, DibParse::Ok},  // 16 EiB of rows is the caller's to refuse
      {Spec(40, 0x7FFFFFFF, -0x7FFFFFFF, 32), {.maxPixelBytes = uint64_t{1} << 31}, DibParse::TooLarge},
  };
  for (const auto& c : cases) {
    DibHeader h;
    EXPECT_EQ(Parse(c.spec.Bytes(), h, c.limits), c.expected) << c.spec.width << " x " << c.spec.height;
  }
}

TEST(DibHeaderParse, EachFamilyGivesItsLayout) {
  HeaderSpec v5 = Spec(124, 3, -2, 16, BI_BITFIELDS);
  v5.headerMasks = {0xF800, 0x07E0, 0x001F, 0};
  HeaderSpec v2 = Spec(52, 3, 2, 32, 6);
  v2.headerMasks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};  // a 52-byte header has no room for alpha
  const struct {
    HeaderSpec spec;
    DibHeaderKind kind;
    uint32_t compression;
    bool topDown;
    uint32_t masks[4];
    uint32_t entries;
    uint8_t entryBytes;
    size_t bitsOffset;
    uint64_t stride;
  } cases[] = {
      {Spec(12, 7, 2, 4, BI_RGB, 0, std::vector<uint8_t>(16 * 3)), DibHeaderKind::Core, BI_RGB, false, {}, 16, 3,
       12 + 48, 4},
      {Spec(44, 7, 2, 24), DibHeaderKind::Os2, BI_RGB, false, {}, 0, 4, 44, 24},
      {Spec(16, 7, 2, 24), DibHeaderKind::Os2, BI_RGB, false, {}, 0, 4, 16, 24},
      {Spec(40, 7, 2, 8, BI_RGB, 2, Words({1, 2})), DibHeaderKind::Info, BI_RGB, false, {}, 2, 4, 48, 8},
      {Spec(40, 7, 2, 1, BI_RGB, 0, Words({1, 2})), DibHeaderKind::Info, BI_RGB, false, {}, 2, 4, 48, 4},
      {Spec(40, 7, 2, 24, BI_RGB, 3, Words({1, 2, 3})), DibHeaderKind::Info, BI_RGB, false, {}, 3, 4, 52, 24},
      {Spec(40, 7, 2, 16), DibHeaderKind::Info, BI_RGB, false, {0x7C00, 0x03E0, 0x001F, 0}, 0, 4, 40, 16},
      {Spec(40, 7, 2, 32), DibHeaderKind::Info, BI_RGB, false, {0xFF0000, 0xFF00, 0xFF, 0}, 0, 4, 40, 28},
      {Spec(40, 3, 2, 32, 6, 0, Words({0xFF, 0xFF00, 0xFF0000, 0xFF000000})), DibHeaderKind::Info, BI_BITFIELDS,
       false, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0, 4, 56, 12},
      {v5, DibHeaderKind::Info, BI_BITFIELDS, true, {0xF800, 0x07E0, 0x001F, 0}, 0, 4, 124, 8},
      {v2, DibHeaderKind::Info, BI_BITFIELDS, false, {0xFF, 0xFF00, 0xFF0000, 0}, 0, 4, 52, 12},
      {Spec(40, 7, 2, 8, BI_RLE8, 0, std::vector<uint8_t>(1024)), DibHeaderKind::Info, BI_RLE8, false, {}, 256, 4,
       40 + 1024, 8},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = c.spec.Bytes();
    DibHeader h;
    ASSERT_EQ(Parse(bytes, h), DibParse::Ok) << "size " << c.spec.size << ", " << c.spec.bits << " bits";
    const std::string what = "size " + std::to_string(c.spec.size) + ", " + std::to_string(c.spec.bits) + " bits";
    EXPECT_EQ(h.kind, c.kind) << what;
    EXPECT_EQ(h.compression, c.compression) << what;
    EXPECT_EQ(h.width, c.spec.width) << what;
    EXPECT_EQ(h.height, 2) << what;
    EXPECT_EQ(h.topDown, c.topDown) << what;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(h.masks[i], c.masks[i]) << what << ", mask " << i;
    EXPECT_EQ(h.tableEntries, c.entries) << what;
    EXPECT_EQ(h.tableEntryBytes, c.entryBytes) << what;
    EXPECT_EQ(h.bitsOffset, c.bitsOffset) << what;
    EXPECT_EQ(h.stride, c.stride) << what;
  }
}

TEST(DibHeaderParse, ColourTablesReadOpaqueAndNeverPastTheDepth) {
  // Core entries are 3 bytes (B, G, R); info entries 4 with a reserved byte that is not alpha.
  const std::vector<uint8_t> core = Spec(12, 2, 1, 1, BI_RGB, 0, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}).Bytes();
  const std::vector<uint8_t> info = Spec(40, 2, 1, 1, BI_RGB, 0, Words({0x7F112233, 0x00445566})).Bytes();
  const std::vector<uint8_t> deep = Spec(40, 2, 1, 24, BI_RGB, 2, Words({1, 2})).Bytes();
  const struct {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> colours;
  } cases[] = {
      {core, {0xFF302010, 0xFF605040}},
      {info, {0xFF112233, 0xFF445566}},
      {deep, {}},
  };
  for (const auto& c : cases) {
    DibHeader h;
    ASSERT_EQ(Parse(c.bytes, h), DibParse::Ok);
    EXPECT_EQ(ReadDibColourTable(c.bytes.data(), h), c.colours);
  }
}

TEST(DibHeaderParse, MaskedRowsScaleEveryChannelToEightBits) {
  const struct {
    uint16_t bits;
    uint32_t masks[4];
    uint32_t pixel;
    uint8_t bgra[4];
  } cases[] = {
      {16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x8F70, {0x00, 0x77, 0xFF, 0x88}},
      {16, {0xF800, 0x07E0, 0x001F, 0}, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF}},
      {32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 0x3FF00200, {0x80, 0x00, 0xFF, 0xFF}},
      {32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0x80112233, {0x11, 0x22, 0x33, 0x80}},
  };
  for (const auto& c : cases) {
    DibHeader h;
    h.bitCount = c.bits;
    std::copy(std::begin(c.masks), std::end(c.masks), h.masks);
    std::vector<uint8_t> row;
    for (int px = 0; px < 2; ++px)
      for (int i = 0; i < c.bits / 8; ++i) row.push_back(uint8_t(c.pixel >> (8 * i)));
    uint8_t out[8] = {};
    UnpackDibMaskedRow(h, row.data(), 2, out);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(out[i], c.bgra[i]) << c.bits << " bits, channel " << i;
      EXPECT_EQ(out[4 + i], c.bgra[i]) << c.bits << " bits, second pixel, channel " << i;
    }
  }
}

}  // namespace
}  // namespace vx::gdi
