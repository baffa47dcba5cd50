// Containers whose structure, not their pixels, is the attack: a TIFF directory of thousands of
// private tags (libtiff merges them in quadratic time), an animation one frame over the limit,
// icons, PNG and BMP files that claim 90 megapixels and hold none, and property items beyond their budget.
// Every fixture is a few bytes built here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <string>
#include <vector>

#include "codec_test_tools.h"
#include "platform/gdiplus/codecs/memory_read.h"
#include "platform/gdiplus/codecs/tiff/tiff_directory_census.h"
#include "platform/gdiplus/property_budget.h"
#include "platform/input_limits.h"

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));

using namespace codec_test;

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// A little-endian TIFF of 1 x 1 grey pages, page i carrying `privateTags[i]` private SHORT tags
// (numbered from 60000) beside the nine it needs.
std::vector<uint8_t> TiffWithPrivateTags(const std::vector<int>& privateTags) {
  std::vector<uint8_t> tiff{'I', 'I', 42, 0};
  Put32(tiff, 8);
  for (size_t page = 0; page < privateTags.size(); ++page) {
    const auto entries = static_cast<uint32_t>(9 + privateTags[page]);
    const auto pixel = static_cast<uint32_t>(tiff.size() + 2 + entries * 12 + 4);
    const auto next = page + 1 < privateTags.size() ? pixel + 2 : 0;  // the next page after the pixel, word-aligned
    Put16(tiff, entries);
    const auto entry = [&](uint32_t tag, uint32_t type, uint32_t value) {
      Put16(tiff, tag);
      Put16(tiff, type);
      Put32(tiff, 1);
      type == 3 ? (Put16(tiff, value), Put16(tiff, 0)) : Put32(tiff, value);
    };
    entry(256, 3, 1);      // width
    entry(257, 3, 1);      // length
    entry(258, 3, 8);      // bits per sample
    entry(259, 3, 1);      // no compression
    entry(262, 3, 1);      // black is zero
    entry(273, 4, pixel);  // strip offset
    entry(277, 3, 1);      // samples per pixel
    entry(278, 3, 1);      // rows per strip
    entry(279, 4, 1);      // strip byte count
    for (int i = 0; i < privateTags[page]; ++i) entry(60000 + i, 3, static_cast<uint32_t>(i));
    Put32(tiff, next);
    tiff.insert(tiff.end(), {0x80, 0});
  }
  return tiff;
}

void Put32BE(std::vector<uint8_t>& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& png, const std::string& type, const std::vector<uint8_t>& data) {
  Put32BE(png, static_cast<uint32_t>(data.size()));
  const size_t typeAt = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  Put32BE(png, static_cast<uint32_t>(crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt))));
}

// A GIF89a animation of `frames` frames of 1 x 1 pixel.
std::vector<uint8_t> GifOfFrames(int frames) {
  std::vector<uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  const uint8_t frame[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};
  for (int i = 0; i < frames; ++i) gif.insert(gif.end(), std::begin(frame), std::end(frame));
  gif.push_back(0x3B);
  return gif;
}

Status Decode(const std::vector<uint8_t>& bytes, ImagePtr& image) {
  GpImage* raw = nullptr;
  const Status s = DecodeImageFromMemory(bytes.data(), bytes.size(), &raw);
  image.reset(raw);
  return s;
}

UINT PageCount(GpImage* image, const GUID& dimension) {
  UINT count = 0;
  EXPECT_EQ(GdipImageGetFrameCount(image, &dimension, &count), Ok);
  return count;
}

class HostileContainers : public Session {};

// 4000 tags in 48 KB: refused before libtiff reads the directory, whichever page holds it.
TEST_F(HostileContainers, ATiffDirectoryOverTheEntryCapEndsTheReadablePages) {
  struct Case {
    std::vector<int> privateTags;
    Status status;
    UINT pages;
  };
  const Case cases[] = {
      {{4000}, OutOfMemory, 0},
      {{400}, Ok, 1},
      {{0, 4000, 0}, Ok, 1},
      {{0, 0}, Ok, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.privateTags.size() == 1 ? std::to_string(c.privateTags[0]) : std::to_string(c.privateTags.size()));
    const std::vector<uint8_t> tiff = TiffWithPrivateTags(c.privateTags);
    ImagePtr image;
    EXPECT_EQ(Decode(tiff, image), c.status);
    if (c.status == Ok) EXPECT_EQ(PageCount(image.get(), FrameDimensionPage), c.pages);
  }
}

TEST_F(HostileContainers, TheDirectoryCensusCountsWhatLibtiffMayRead) {
  const auto census = [](const std::vector<uint8_t>& bytes, int64_t max) {
    return vx::gdiplus::codecs::CountSoundTiffDirectories(vx::gdiplus::codecs::MemoryRead(bytes), max);
  };
  EXPECT_EQ(census(TiffWithPrivateTags({0, 0, 0}), 100), 3);
  EXPECT_EQ(census(TiffWithPrivateTags({0, 0, 0}), 2), 2);
  EXPECT_EQ(census(TiffWithPrivateTags({0, 600}), 100), 1);
  const int cap = static_cast<int>(vx::limits::kMaxTiffDirectoryEntries);
  EXPECT_EQ(census(TiffWithPrivateTags({cap - 9}), 100), 1) << "a directory at the cap is read";
  EXPECT_EQ(census(TiffWithPrivateTags({cap - 8}), 100), 0);
  // A directory that points back at itself is walked no further than asked.
  std::vector<uint8_t> loop = TiffWithPrivateTags({0});
  const size_t nextAt = 8 + 2 + 9 * 12;
  loop[nextAt] = 8;
  EXPECT_EQ(census(loop, 50), 50);
  EXPECT_EQ(census({'M', 'Z', 0, 0}, 10), 0) << "no TIFF";
}

// The platform decoder reads animations whole: one of more frames than it may read is refused,
// not cut short with a status that says all went well.
TEST_F(HostileContainers, AnAnimationOverTheFrameLimitIsRefused) {
  ImagePtr image;
  EXPECT_EQ(Decode(GifOfFrames(vx::limits::kMaxAnimationFrames + 1), image), OutOfMemory);
  EXPECT_EQ(image, nullptr);
  ASSERT_EQ(Decode(GifOfFrames(3), image), Ok);
  EXPECT_EQ(PageCount(image.get(), FrameDimensionTime), 3u);
}

std::atomic<size_t> g_largestAllocation{0};

void NoteAllocation(const volatile void*, size_t size) {
  size_t seen = g_largestAllocation.load(std::memory_order_relaxed);
  while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}

void IgnoreFree(const volatile void*) {}

// A PNG claiming 2560 x 35152 pixels whose image data ends after the zlib header.
std::vector<uint8_t> PngWithoutRows() {
  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", {0, 0, 0x0A, 0, 0, 0, 0x89, 0x50, 8, 6, 0, 0, 0});
  PutChunk(png, "IDAT", {0x78, 0x9C});
  return png;
}

std::vector<uint8_t> IconOf(const std::vector<uint8_t>& png) {
  std::vector<uint8_t> ico{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
  Put32(ico, static_cast<uint32_t>(png.size()));
  Put32(ico, 22);
  ico.insert(ico.end(), png.begin(), png.end());
  return ico;
}

// A bitmap header claiming 2560 x 35152 pixels of 32 bits (an icon's header counts its mask's
// rows too) followed by a few bytes of rows.
std::vector<uint8_t> BitmapInfoWithoutRows(uint32_t heightFactor) {
  std::vector<uint8_t> dib;
  for (uint32_t v : {40u, 2560u, 35152u * heightFactor}) Put32(dib, v);
  Put16(dib, 1);
  Put16(dib, 32);
  for (int i = 0; i < 6; ++i) Put32(dib, 0);
  dib.resize(dib.size() + 16, 0x80);
  return dib;
}

std::vector<uint8_t> BmpOf(const std::vector<uint8_t>& dib) {
  std::vector<uint8_t> bmp{'B', 'M'};
  Put32(bmp, static_cast<uint32_t>(14 + dib.size()));
  Put32(bmp, 0);
  Put32(bmp, 14 + 40);
  bmp.insert(bmp.end(), dib.begin(), dib.end());
  return bmp;
}

// A few dozen bytes of icon, PNG or BMP that claim 90 megapixels are no picture, and cost no
// picture's memory either.
TEST_F(HostileContainers, AnImageWhoseDataCannotHoldItsRowsIsNoPicture) {
  const std::vector<uint8_t> png = PngWithoutRows();
  ASSERT_EQ(IconOf(png).size(), 69u);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"PNG", png},
      {"icon of a PNG", IconOf(png)},
      {"icon of a bitmap", IconOf(BitmapInfoWithoutRows(2))},
      {"BMP", BmpOf(BitmapInfoWithoutRows(1))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_largestAllocation = 0;
    if (__sanitizer_install_malloc_and_free_hooks) __sanitizer_install_malloc_and_free_hooks(NoteAllocation, IgnoreFree);
    ImagePtr image;
    const Status s = Decode(c.bytes, image);
    if (__sanitizer_install_malloc_and_free_hooks) __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
    EXPECT_NE(s, Ok);
    EXPECT_EQ(image, nullptr);
    EXPECT_LT(g_largestAllocation.load(), size_t{64} << 20) << "no memory taken for the claimed picture";
  }
}

// Items set one by one and items a decoder found keep to one budget per frame, in bytes and in
// number.
TEST_F(HostileContainers, PropertyItemsStayWithinTheirBudget) {
  BitmapPtr bitmap = Make(1, 1, PixelFormat24bppRGB);
  std::vector<uint8_t> large(vx::limits::kMaxPropertyBytes, 7);
  PropertyItem item{1, static_cast<ULONG>(large.size()), PropertyTagTypeByte, large.data()};
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), &item), OutOfMemory) << "the value and its header exceed the budget";
  item.length = static_cast<ULONG>(large.size() / 2);
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), &item), Ok);
  item.id = 2;
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), &item), OutOfMemory) << "two halves and their headers do not fit";
  item.id = 1;
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), &item), Ok) << "replacing an item counts its old value no more";
  UINT count = 0;
  ASSERT_EQ(GdipGetPropertyCount(bitmap.get(), &count), Ok);
  EXPECT_EQ(count, 1u);

  std::vector<PropertyRecord> many(vx::limits::kMaxPropertyItems + 3, PropertyRecord{1, PropertyTagTypeByte, {1}});
  vx::gdiplus::KeepPropertiesWithinBudget(many);
  EXPECT_EQ(many.size(), vx::limits::kMaxPropertyItems);
  std::vector<PropertyRecord> found(3, PropertyRecord{1, PropertyTagTypeByte, {1}});
  found[1].value = std::move(large);
  vx::gdiplus::KeepPropertiesWithinBudget(found);
  EXPECT_EQ(found.size(), 1u) << "the items from the first that does not fit are dropped";
}

}  // namespace
