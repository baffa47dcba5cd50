// PNG ancillary chunks claiming far more bytes than the file holds: libpng only warns about a
// length over the chunk limit and its handler then allocates the claimed length, so such
// chunks must be skipped unread. Fixtures are a few dozen bytes made here; the largest single
// allocation during the decode is watched through the sanitizer's allocation hooks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <string>

#include "codec_test_tools.h"

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));

using namespace codec_test;

namespace {

std::atomic<size_t> g_largestAllocation{0};

void NoteAllocation(const volatile void*, size_t size) {
  size_t seen = g_largestAllocation.load(std::memory_order_relaxed);
  while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}

void IgnoreFree(const volatile void*) {}

void Put32BE(std::vector<uint8_t>& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

// A chunk whose length field says `claimed` while `data` is what follows it.
void PutChunk(std::vector<uint8_t>& png, const std::string& type, const std::vector<uint8_t>& data, uint32_t claimed) {
  Put32BE(png, claimed);
  const size_t typeAt = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  Put32BE(png, static_cast<uint32_t>(crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt))));
}

void PutChunk(std::vector<uint8_t>& png, const std::string& type, const std::vector<uint8_t>& data) {
  PutChunk(png, type, data, static_cast<uint32_t>(data.size()));
}

// A 1 x 1 grey PNG with `extra` placed after its header.
std::vector<uint8_t> PngWith(const std::string& extraType, const std::vector<uint8_t>& extra, uint32_t claimed,
                             bool complete) {
  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(png, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
  PutChunk(png, extraType, extra, claimed);
  if (!complete) return png;
  const uint8_t row[] = {0, 0x80};
  std::vector<uint8_t> deflated(64);
  uLongf size = deflated.size();
  compress(deflated.data(), &size, row, sizeof row);
  deflated.resize(size);
  PutChunk(png, "IDAT", deflated);
  PutChunk(png, "IEND", {});
  return png;
}

class HostileChunks : public Session, public testing::WithParamInterface<const char*> {};

TEST_P(HostileChunks, AreRefusedWithoutAllocatingTheClaimedLength) {
  if (!__sanitizer_install_malloc_and_free_hooks) GTEST_SKIP() << "no sanitizer runtime to watch allocations";
  const std::vector<uint8_t> png = PngWith(GetParam(), {'k', 0, 't', 'e', 'x', 't'}, 0x7FFFFFF0u, false);
  ASSERT_LT(png.size(), 80u);
  g_largestAllocation = 0;
  __sanitizer_install_malloc_and_free_hooks(NoteAllocation, IgnoreFree);
  GpImage* raw = nullptr;
  const Status s = DecodeImageFromMemory(png.data(), png.size(), &raw);
  __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
  ImagePtr image(raw);
  EXPECT_NE(s, Ok);
  EXPECT_LT(g_largestAllocation.load(), size_t{64} << 20);
}

TEST_P(HostileChunks, OfSoundLengthLeaveThePictureReadable) {
  const std::vector<uint8_t> png = PngWith(GetParam(), {'k', 0, 0, 0, 0, 0}, 6, true);
  GpImage* raw = nullptr;
  ASSERT_EQ(DecodeImageFromMemory(png.data(), png.size(), &raw), Ok);
  ImagePtr image(raw);
  UINT width = 0;
  EXPECT_EQ(GdipGetImageWidth(raw, &width), Ok);
  EXPECT_EQ(width, 1u);
}

INSTANTIATE_TEST_SUITE_P(Png, HostileChunks, testing::Values("tEXt", "zTXt", "iTXt", "sPLT", "eXIf", "pCAL"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
