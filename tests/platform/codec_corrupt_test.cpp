// Damaged input: valid encodings of every format, truncated at many lengths and with bytes
// flipped at many places, must each give a status (and a usable image when that is Ok), never a
// crash, an over-read or a huge allocation. Run under the sanitizers this is the readers' guard.
#include <gtest/gtest.h>

#include <random>

#include "codec_test_tools.h"

using namespace codec_test;

namespace {

class CodecCorrupt : public Session {};

std::vector<uint8_t> Encode(GpImage* image, const CLSID& encoder, const Params* params = nullptr) {
  const std::string path = ScratchPath("sample");
  EXPECT_EQ(Save(image, path, encoder, params), Ok);
  std::vector<uint8_t> bytes = ReadFile(path);
  std::remove(path.c_str());
  return bytes;
}

// Decodes and, on success, touches every pixel of every frame.
void DecodeAndUse(const std::vector<uint8_t>& bytes) {
  GpImage* raw = nullptr;
  const Status s = DecodeImageFromMemory(bytes.data(), bytes.size(), &raw);
  ImagePtr image(raw);
  ASSERT_TRUE(s == Ok || s == GenericError || s == UnknownImageFormat || s == OutOfMemory) << s;
  if (s != Ok) {
    EXPECT_EQ(raw, nullptr);
    return;
  }
  ASSERT_NE(raw, nullptr);
  UINT frames = 0;
  GUID dimension;
  ASSERT_EQ(GdipImageGetFrameDimensionsList(raw, &dimension, 1), Ok);
  ASSERT_EQ(GdipImageGetFrameCount(raw, &dimension, &frames), Ok);
  for (UINT f = 0; f < frames; ++f) {
    ASSERT_EQ(GdipImageSelectActiveFrame(raw, &dimension, f), Ok);
    const std::vector<ARGB> pixels = ArgbPixels(raw);
    EXPECT_EQ(pixels.size(), size_t{WidthOf(raw)} * HeightOf(raw));
  }
}

std::vector<std::pair<std::string, std::vector<uint8_t>>> Samples() {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> samples;
  BitmapPtr colour = MakePicture(13, 9, PixelFormat24bppRGB);
  BitmapPtr indexed = MakePicture(13, 9, PixelFormat8bppIndexed);
  BitmapPtr bilevel = MakePicture(13, 9, PixelFormat1bppIndexed);
  BitmapPtr alpha = MakePicture(13, 9, PixelFormat32bppARGB, true);
  const std::vector<uint8_t> text = {'E', 'x', 'i', 'f', 'y'};
  PropertyItem item{0x010E, static_cast<ULONG>(text.size()), PropertyTagTypeASCII, const_cast<uint8_t*>(text.data())};
  GdipSetPropertyItem(colour.get(), &item);
  samples.emplace_back("bmp24", Encode(colour.get(), EncoderClsidBMP));
  samples.emplace_back("bmp8", Encode(indexed.get(), EncoderClsidBMP));
  samples.emplace_back("png-alpha", Encode(alpha.get(), EncoderClsidPNG));
  samples.emplace_back("png-indexed", Encode(indexed.get(), EncoderClsidPNG));
  samples.emplace_back("jpeg-exif", Encode(colour.get(), EncoderClsidJPEG));
  samples.emplace_back("gif", Encode(alpha.get(), EncoderClsidGIF));
  samples.emplace_back("tiff-exif", Encode(colour.get(), EncoderClsidTIFF));
  Params g4;
  g4.Add(EncoderCompression, EncoderValueCompressionCCITT4);
  samples.emplace_back("tiff-g4", Encode(bilevel.get(), EncoderClsidTIFF, &g4));
  if (HaveTool("convert")) {
    const std::string made[][2] = {
        {"-size 12x8 plasma: -colors 16 -compress RLE", "BMP3:rle.bmp"},
        {"-delay 5 -size 10x6 xc:red -size 4x4 xc:blue -page +3+1", "anim.gif"},
        {"-size 12x8 plasma: -interlace JPEG", "prog.jpg"},
        {"-size 16x16 plasma: -alpha set", "icon.ico"},
        {"-size 12x8 plasma: -define tiff:tile-geometry=16x16 -compress Zip", "tiled.tif"},
    };
    for (const auto& [options, output] : made) {
      const size_t colon = output.find(':');
      const std::string file = ScratchPath(colon == std::string::npos ? output : output.substr(colon + 1));
      const std::string prefix = colon == std::string::npos ? "" : output.substr(0, colon + 1);
      if (std::system(("convert -seed 3 " + options + " '" + prefix + file + "'").c_str()) == 0)
        samples.emplace_back(output, ReadFile(file));
    }
  }
  return samples;
}

TEST_F(CodecCorrupt, TruncatedFilesAnswerWithAStatus) {
  for (const auto& [name, bytes] : Samples()) {
    SCOPED_TRACE(name);
    ASSERT_GT(bytes.size(), 16u);
    const size_t step = std::max<size_t>(1, bytes.size() / 97);
    for (size_t length = 0; length < bytes.size(); length += step)
      DecodeAndUse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)));
  }
}

TEST_F(CodecCorrupt, FlippedBytesAnswerWithAStatus) {
  std::mt19937 random(20240101);
  for (const auto& [name, bytes] : Samples()) {
    SCOPED_TRACE(name);
    for (int trial = 0; trial < 300; ++trial) {
      std::vector<uint8_t> damaged = bytes;
      // Headers and directories sit early: half the flips go to the first 64 bytes.
      const size_t span = trial % 2 ? damaged.size() : std::min<size_t>(64, damaged.size());
      for (int flips = 1 + trial % 3; flips > 0; --flips) {
        const size_t at = random() % span;
        damaged[at] = trial % 5 == 0 ? 0xFF : static_cast<uint8_t>(damaged[at] ^ (1u << (random() % 8)));
      }
      DecodeAndUse(damaged);
    }
  }
}

TEST_F(CodecCorrupt, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  // A BMP header claiming 60000 x 60000 at 32 bits over 58 bytes of data.
  std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0x60, 0xEA, 0, 0, 0x60, 0xEA, 0, 0, 1, 0, 32, 0};
  bmp.resize(58, 0);
  GpImage* image = nullptr;
  EXPECT_EQ(DecodeImageFromMemory(bmp.data(), bmp.size(), &image), OutOfMemory);
  // A PNG header of 65535 x 65535 RGBA pixels with nothing after it.
  const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0xFF, 0xFF,
                                    0, 0, 0xFF, 0xFF, 8, 6, 0, 0, 0, 0x3A, 0x2E, 0x5C, 0x43};
  EXPECT_NE(DecodeImageFromMemory(png.data(), png.size(), &image), Ok);
  // A GIF screen and frame of 65535 x 65535.
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, ',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, ';'};
  EXPECT_EQ(DecodeImageFromMemory(gif.data(), gif.size(), &image), OutOfMemory);
  EXPECT_EQ(image, nullptr);
}

}  // namespace
