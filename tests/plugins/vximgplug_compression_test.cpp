// The deflate and CCITT Group 4 entry points the PDF writer uses, checked by decoding their
// output with zlib and libtiff.
#include <tiffio.h>
#include <zlib.h>

#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

int32_t ResizeVector(VximgplugByteArray* self, uint32_t size) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(self->context);
  bytes->resize(size);
  self->data = bytes->data();
  self->size = size;
  return 1;
}

TEST(ZLibCompress2, GivesAZlibStreamOrZero) {
  std::vector<uint8_t> source(5000);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i % 7);
  std::vector<uint8_t> packed(source.size() + source.size() / 100 + 12);
  const uint32_t length = Api().ZLibCompress2(packed.data(), static_cast<uint32_t>(packed.size()), source.data(),
                                              static_cast<uint32_t>(source.size()));
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, source.size());
  std::vector<uint8_t> unpacked(source.size());
  uLongf unpackedLength = unpacked.size();
  ASSERT_EQ(uncompress(unpacked.data(), &unpackedLength, packed.data(), length), Z_OK);
  EXPECT_EQ(unpacked, source);

  EXPECT_EQ(Api().ZLibCompress2(packed.data(), static_cast<uint32_t>(packed.size()), source.data(), 0), 0u);
  EXPECT_EQ(Api().ZLibCompress2(packed.data(), 4, source.data(), static_cast<uint32_t>(source.size())), 0u);
  EXPECT_EQ(Api().ZLibCompress2(nullptr, 100, source.data(), 10), 0u);
}

// Decodes a bare G4 stream by wrapping it as the one strip of a TIFF file.
std::vector<uint8_t> DecodeG4(const std::vector<uint8_t>& stream, uint32_t width, uint32_t height,
                              const std::string& path) {
  TIFF* out = TIFFOpen(path.c_str(), "w");
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, height);
  TIFFWriteRawStrip(out, 0, const_cast<uint8_t*>(stream.data()), static_cast<tmsize_t>(stream.size()));
  TIFFClose(out);
  TIFF* in = TIFFOpen(path.c_str(), "r");
  std::vector<uint8_t> rows;
  std::vector<uint8_t> row(TIFFScanlineSize(in));
  for (uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(in, row.data(), y, 0) < 0) break;
    rows.insert(rows.end(), row.begin(), row.end());
  }
  TIFFClose(in);
  return rows;
}

TEST(CompressCcitt4, RoundTripsThroughLibtiff) {
  constexpr uint32_t width = 37, height = 9, bytesPerRow = 8;  // rows padded beyond ceil(37 / 8)
  std::vector<uint8_t> source(bytesPerRow * height, 0);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = y; x < width; x += 3) source[y * bytesPerRow + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  std::vector<uint8_t> result;
  VximgplugByteArray destination{nullptr, 0, &result, ResizeVector};
  const VximgplugByteArray input{source.data(), static_cast<uint32_t>(source.size()), nullptr, nullptr};
  ASSERT_EQ(Api().VB_CompressCCITT4(&destination, &input, width, height, bytesPerRow, 0), 0);
  ASSERT_FALSE(result.empty());
  EXPECT_EQ(destination.size, result.size());

  TempFolder folder;
  const std::vector<uint8_t> decoded = DecodeG4(result, width, height, folder / "g4.tif");
  const size_t rowBytes = (width + 7) / 8;
  ASSERT_EQ(decoded.size(), rowBytes * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (size_t i = 0; i < rowBytes; ++i) {
      const uint8_t mask = i + 1 == rowBytes ? static_cast<uint8_t>(0xFF << (8 - width % 8)) : 0xFF;
      EXPECT_EQ(decoded[y * rowBytes + i] & mask, source[y * bytesPerRow + i] & mask) << y << "," << i;
    }
  }
}

TEST(CompressCcitt4, RefusesInputsThatDoNotHoldTheRows) {
  std::vector<uint8_t> source(10, 0);
  std::vector<uint8_t> result;
  VximgplugByteArray destination{nullptr, 0, &result, ResizeVector};
  const VximgplugByteArray input{source.data(), static_cast<uint32_t>(source.size()), nullptr, nullptr};
  EXPECT_NE(Api().VB_CompressCCITT4(&destination, &input, 16, 6, 2, 0), 0);   // 12 bytes needed
  EXPECT_NE(Api().VB_CompressCCITT4(&destination, &input, 17, 5, 2, 0), 0);   // rows too short
  EXPECT_NE(Api().VB_CompressCCITT4(&destination, &input, 0, 5, 2, 0), 0);
  EXPECT_NE(Api().VB_CompressCCITT4(nullptr, &input, 8, 5, 2, 0), 0);
  VximgplugByteArray fixed{nullptr, 0, nullptr, nullptr};
  EXPECT_NE(Api().VB_CompressCCITT4(&fixed, &input, 8, 5, 2, 0), 0);
  EXPECT_TRUE(result.empty());
}

}  // namespace
