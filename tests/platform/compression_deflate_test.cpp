// Deflate output read back by zlib's own inflate, at every level, and a refusing receiver
// stopping the compression.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "platform/compression/deflate.h"

namespace vx::compression {
namespace {

std::string Inflate(const std::vector<uint8_t>& z, size_t size) {
  std::string out(size + 1, '\0');
  uLongf length = out.size();
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, z.data(), z.size()) != Z_OK) return "<error>";
  out.resize(length);
  return out;
}

// Mixed text: runs the compressor shortens and bytes it cannot.
std::string Fixture() {
  std::string text;
  uint32_t seed = 7;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += i % 3 == 0 ? static_cast<char>(seed >> 24) : static_cast<char>('a' + i % 26);
  }
  return text;
}

std::vector<uint8_t> Compressed(int level, const std::string& text, size_t piece) {
  ZlibDeflater deflater(level);
  EXPECT_TRUE(deflater.IsReady());
  std::vector<uint8_t> out;
  const CompressedSink keep = [&out](const uint8_t* data, size_t size) {
    out.insert(out.end(), data, data + size);
    return true;
  };
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size(); at += piece)
    EXPECT_TRUE(deflater.Compress(bytes + at, std::min(piece, text.size() - at), keep));
  EXPECT_TRUE(deflater.Finish(keep));
  return out;
}

TEST(PlatformDeflate, ZlibInflatesWhatEveryLevelMakes) {
  const std::string text = Fixture();
  struct Case {
    int level;
    size_t piece;
  };
  for (const Case& c : {Case{0, 1000000}, Case{1, 777}, Case{6, 65536}, Case{9, 100000}, Case{-5, 4096},
                        Case{42, 4096}}) {
    const std::vector<uint8_t> z = Compressed(c.level, text, c.piece);
    EXPECT_EQ(Inflate(z, text.size()), text) << c.level;
    if (c.level > 0) EXPECT_LT(z.size(), text.size()) << c.level;
  }
  EXPECT_EQ(Compressed(42, text, 4096), Compressed(9, text, 4096)) << "levels above 9 are 9";
}

TEST(PlatformDeflate, AReceiverThatRefusesStopsTheCompression) {
  const std::string text = Fixture();
  ZlibDeflater deflater(0);
  int calls = 0;
  const CompressedSink refuse = [&calls](const uint8_t*, size_t) { return ++calls < 2; };
  EXPECT_FALSE(deflater.Compress(reinterpret_cast<const uint8_t*>(text.data()), text.size(), refuse));
  EXPECT_EQ(calls, 2) << "nothing more is handed on after a refusal";
}

}  // namespace
}  // namespace vx::compression
