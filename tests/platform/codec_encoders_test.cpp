// The codec lists and the saving rules around them: the encoders and decoders in the platform's
// order with their masks, texts and signatures; unknown encoders and bad parameters; and saving
// that never leaves a partly written or damaged file behind; the JPEG encoder's lossless turns.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "codec_test_tools.h"

using namespace codec_test;

namespace {

class CodecEncoders : public Session {};

std::vector<ImageCodecInfo> List(bool encoders, std::vector<uint8_t>& buffer) {
  UINT count = 0, size = 0;
  EXPECT_EQ(encoders ? GdipGetImageEncodersSize(&count, &size) : GdipGetImageDecodersSize(&count, &size), Ok);
  buffer.assign(size, 0);
  auto* records = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  EXPECT_EQ(encoders ? GdipGetImageEncoders(count, size, records) : GdipGetImageDecoders(count, size, records), Ok);
  return std::vector<ImageCodecInfo>(records, records + count);
}

TEST_F(CodecEncoders, EncodersAreListedInThePlatformOrderWithTheirMasks) {
  struct Expected {
    CLSID clsid;
    GUID format;
    const char* name;
    const char* description;
    const char* mask;
    const char* mime;
  };
  const Expected expected[] = {
      {EncoderClsidBMP, ImageFormatBMP, "Built-in BMP Codec", "BMP", "*.BMP;*.DIB;*.RLE", "image/bmp"},
      {EncoderClsidJPEG, ImageFormatJPEG, "Built-in JPEG Codec", "JPEG", "*.JPG;*.JPEG;*.JPE;*.JFIF", "image/jpeg"},
      {EncoderClsidGIF, ImageFormatGIF, "Built-in GIF Codec", "GIF", "*.GIF", "image/gif"},
      {EncoderClsidTIFF, ImageFormatTIFF, "Built-in TIFF Codec", "TIFF", "*.TIF;*.TIFF", "image/tiff"},
      {EncoderClsidPNG, ImageFormatPNG, "Built-in PNG Codec", "PNG", "*.PNG", "image/png"},
  };
  std::vector<uint8_t> buffer;
  const std::vector<ImageCodecInfo> encoders = List(true, buffer);
  ASSERT_EQ(encoders.size(), std::size(expected));
  for (size_t i = 0; i < encoders.size(); ++i) {
    const ImageCodecInfo& e = encoders[i];
    SCOPED_TRACE(expected[i].description);
    EXPECT_TRUE(e.Clsid == expected[i].clsid);
    EXPECT_TRUE(e.FormatID == expected[i].format);
    EXPECT_STREQ(e.CodecName, expected[i].name);
    EXPECT_STREQ(e.FormatDescription, expected[i].description);
    EXPECT_STREQ(e.FilenameExtension, expected[i].mask);
    EXPECT_STREQ(e.MimeType, expected[i].mime);
    EXPECT_EQ(e.DllName, nullptr);
    EXPECT_EQ(e.Flags & (ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsBuiltin),
              ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsBuiltin);
    ASSERT_GE(e.SigCount, 1u);
    // Texts and signatures live inside the caller's buffer.
    const auto* begin = buffer.data();
    const auto* end = buffer.data() + buffer.size();
    EXPECT_TRUE(reinterpret_cast<const uint8_t*>(e.MimeType) >= begin && reinterpret_cast<const uint8_t*>(e.MimeType) < end);
    EXPECT_TRUE(e.SigPattern >= begin && e.SigMask + e.SigCount * e.SigSize <= end);
  }
  EXPECT_EQ(std::memcmp(encoders[0].SigPattern, "BM", 2), 0);
  EXPECT_EQ(std::memcmp(encoders[4].SigPattern, "\x89PNG", 4), 0);
}

TEST_F(CodecEncoders, DecodersIncludeMetafilesAndIcons) {
  std::vector<uint8_t> buffer;
  const std::vector<ImageCodecInfo> decoders = List(false, buffer);
  std::string order;
  for (const ImageCodecInfo& d : decoders) order += std::string(d.FormatDescription) + " ";
  EXPECT_EQ(order, "BMP JPEG GIF EMF WMF TIFF PNG ICO ");
  for (const ImageCodecInfo& d : decoders) EXPECT_TRUE(d.Flags & ImageCodecFlagsDecoder);
  EXPECT_FALSE(decoders[3].Flags & ImageCodecFlagsEncoder);
  EXPECT_STREQ(decoders[7].FilenameExtension, "*.ICO");
}

TEST_F(CodecEncoders, ListQueriesCheckTheirArguments) {
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), Ok);
  std::vector<uint8_t> buffer(size);
  auto* records = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  EXPECT_EQ(GdipGetImageEncoders(count, size - 1, records), GenericError);
  EXPECT_EQ(GdipGetImageEncoders(count + 1, size, records), GenericError);
  EXPECT_EQ(GdipGetImageEncoders(count, size, nullptr), InvalidParameter);
  EXPECT_EQ(GdipGetImageEncodersSize(nullptr, &size), InvalidParameter);
  GdiplusShutdown(token_);
  EXPECT_EQ(GdipGetImageEncodersSize(&count, &size), GdiplusNotInitialized);
  GdiplusStartupInput input;
  ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
}

TEST_F(CodecEncoders, UnknownEncodersAndBadParametersWriteNothing) {
  BitmapPtr picture = MakePicture(8, 8, PixelFormat24bppRGB);
  const std::string path = ScratchPath("never.bin");
  const CLSID unknown = vx::MakeGuid(0x12345678, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
  EXPECT_EQ(Save(picture.get(), path, unknown), UnknownImageFormat);
  EncoderParameters broken;
  broken.Count = 1;
  broken.Parameter[0].Guid = EncoderQuality;
  broken.Parameter[0].NumberOfValues = 1;
  broken.Parameter[0].Type = EncoderParameterValueTypeLong;
  broken.Parameter[0].Value = nullptr;
  EXPECT_EQ(GdipSaveImageToFile(picture.get(), path.c_str(), &EncoderClsidJPEG, &broken), InvalidParameter);
  Params saveAdd;
  saveAdd.Add(EncoderSaveFlag, EncoderValueFlush);
  EXPECT_EQ(GdipSaveAdd(picture.get(), saveAdd.get()), WrongState);  // no multi-frame save open
  EXPECT_EQ(GdipSaveImageToFile(nullptr, path.c_str(), &EncoderClsidPNG, nullptr), InvalidParameter);
  EXPECT_EQ(GdipSaveImageToFile(picture.get(), nullptr, &EncoderClsidPNG, nullptr), InvalidParameter);
  EXPECT_NE(::access(path.c_str(), F_OK), 0);
}

// Names in the scratch folder that start with `prefix` (temporary files of a save would).
size_t FilesStartingWith(const std::string& folder, const std::string& prefix) {
  size_t n = 0;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(dir))
      if (std::string(e->d_name).rfind(prefix, 0) == 0) ++n;
    ::closedir(dir);
  }
  return n;
}

TEST_F(CodecEncoders, AFailedSaveKeepsTheFileItWouldHaveReplaced) {
  BitmapPtr picture = MakePicture(8, 8, PixelFormat24bppRGB);
  const std::string path = ScratchPath("keep.tif");
  const std::vector<uint8_t> before = {'o', 'l', 'd'};
  WriteFile(path, before);
  ::chmod(path.c_str(), 0640);
  Params ccitt;
  ccitt.Add(EncoderCompression, EncoderValueCompressionCCITT4);
  EXPECT_EQ(Save(picture.get(), path, EncoderClsidTIFF, &ccitt), InvalidParameter);
  EXPECT_EQ(ReadFile(path), before);

  const std::string folder = ScratchPath("readonly");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const std::string inside = folder + "/out.png";
  ScratchFiles().push_back(inside);
  WriteFile(inside, before);
  ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
  if (::access(folder.c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_EQ(Save(picture.get(), inside, EncoderClsidPNG), AccessDenied);
    EXPECT_EQ(ReadFile(inside), before);
  }
  ::chmod(folder.c_str(), 0700);

  // A successful replacement keeps the old file's permissions and leaves no temporary file.
  ASSERT_EQ(Save(picture.get(), path, EncoderClsidTIFF), Ok);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  const std::string name = path.substr(path.rfind('/') + 1);
  EXPECT_EQ(FilesStartingWith(ScratchDir(), "." + name), 0u);
  EXPECT_EQ(Save(picture.get(), ScratchPath("no/such/folder.png"), EncoderClsidPNG), FileNotFound);
}

// The turned file is the upright coding with its blocks rearranged: exactly what jpegtran makes
// of the upright file.
TEST_F(CodecEncoders, JpegTransformationsTurnTheCodedBlocksAsJpegtranDoes) {
  VX_REQUIRE_TOOL("jpegtran");
  BitmapPtr picture = MakePicture(48, 32, PixelFormat24bppRGB);
  const std::string upright = ScratchPath("upright.jpg");
  Params quality;
  quality.Add(EncoderQuality, 90);
  ASSERT_EQ(Save(picture.get(), upright, EncoderClsidJPEG, &quality), Ok);
  struct Case {
    EncoderValue value;
    const char* jpegtranArgs;
  };
  const Case cases[] = {{EncoderValueTransformRotate90, "-rotate 90"},
                        {EncoderValueTransformRotate180, "-rotate 180"},
                        {EncoderValueTransformRotate270, "-rotate 270"},
                        {EncoderValueTransformFlipHorizontal, "-flip horizontal"},
                        {EncoderValueTransformFlipVertical, "-flip vertical"}};
  const std::string turned = ScratchPath("turned.jpg"), expected = ScratchPath("expected.jpg");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jpegtranArgs);
    Params params;
    params.Add(EncoderQuality, 90).Add(EncoderTransformation, c.value);
    ASSERT_EQ(Save(picture.get(), turned, EncoderClsidJPEG, &params), Ok);
    Shell("jpegtran -copy all -perfect " + std::string(c.jpegtranArgs) + " -outfile '" + expected + "' '" + upright + "'");
    EXPECT_EQ(ReadFile(turned), ReadFile(expected));
  }
}

TEST_F(CodecEncoders, JpegTransformationsRefusedLeaveTheTargetAsItWas) {
  BitmapPtr partial = MakePicture(33, 17, PixelFormat24bppRGB);  // partial 16 x 16 blocks at both edges
  BitmapPtr whole = MakePicture(32, 32, PixelFormat24bppRGB);
  struct Case {
    const char* name;
    GpImage* picture;
    ULONG value;
    Status status;
  };
  const Case cases[] = {
      {"partial block turned", partial.get(), EncoderValueTransformRotate90, InvalidParameter},
      {"partial block flipped", partial.get(), EncoderValueTransformFlipHorizontal, InvalidParameter},
      {"below the transformations", whole.get(), EncoderValueRenderNonProgressive, InvalidParameter},
      {"above the transformations", whole.get(), EncoderValueMultiFrame, InvalidParameter},
  };
  const std::string target = ScratchPath("target.jpg");
  const std::vector<uint8_t> before = {'k', 'e', 'e', 'p'};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(target, before);
    Params params;
    params.Add(EncoderTransformation, c.value);
    EXPECT_EQ(Save(c.picture, target, EncoderClsidJPEG, &params), c.status);
    EXPECT_EQ(ReadFile(target), before);
  }
  const std::string name = target.substr(target.rfind('/') + 1);
  EXPECT_EQ(FilesStartingWith(ScratchDir(), "." + name), 0u);
}

}  // namespace
