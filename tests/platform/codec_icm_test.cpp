// Colour-managed loading: files with an embedded ICC profile are converted to sRGB by the ICM
// loads only, the profile is reported as an item, and unusable profiles leave the plain decode.
// Fixtures are written in the test with libpng, libjpeg and libtiff; expected colours come from
// lcms2 directly.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>
#include <tiffio.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "codec_test_tools.h"
#include "platform/gdiplus/codecs/jpeg/jpeg_icc_profile.h"
#include "platform/ole/ole.h"
#include "support/required_tool.h"

namespace {

using namespace codec_test;
using Bytes = std::vector<uint8_t>;

// ---- profiles ---------------------------------------------------------------------------------

Bytes SaveProfile(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  Bytes bytes;
  if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
  }
  if (profile) cmsCloseProfile(profile);
  return bytes;
}

// Wide-gamut primaries (those of a common wide RGB space) on a D65 white; `curvePoints` > 0 uses
// tabulated curves of that many entries, which makes the profile as large as wanted.
Bytes WideRgbProfile(size_t curvePoints = 0) {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* curves[3] = {};
  for (int channel = 0; channel < 3; ++channel) {
    if (curvePoints == 0) {
      curves[channel] = cmsBuildGamma(nullptr, 2.2);
      continue;
    }
    // Slightly different tables, so that the profile cannot share one curve between channels.
    std::vector<cmsUInt16Number> table(curvePoints);
    for (size_t i = 0; i < curvePoints; ++i)
      table[i] = static_cast<cmsUInt16Number>(std::pow(static_cast<double>(i) / (curvePoints - 1), 2.0 + 0.1 * channel) * 65535);
    curves[channel] = cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(curvePoints), table.data());
  }
  Bytes bytes = SaveProfile(cmsCreateRGBProfile(&white, &primaries, curves));
  for (cmsToneCurve* curve : curves) cmsFreeToneCurve(curve);
  return bytes;
}

Bytes LinearGreyProfile() {
  cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
  Bytes bytes = SaveProfile(cmsCreateGrayProfile(cmsD50_xyY(), linear));
  cmsFreeToneCurve(linear);
  return bytes;
}

// A CMYK output profile whose colours differ clearly from the complement rule: cyan ink is
// weak, and everything is a little darker.
int SampleCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void*) {
  const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
  cmsCIELab lab{90.0 * (1 - k) * (1 - 0.25 * c - 0.35 * m - 0.1 * y), 70.0 * m - 20.0 * c, 80.0 * y - 40.0 * c};
  cmsFloat2LabEncoded(out, &lab);
  return TRUE;
}

Bytes CmykProfile() {
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 2.1);  // a bare grid fits the version 2 table type
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetColorSpace(profile, cmsSigCmykData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
  cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 3, 4, 3, nullptr);
  cmsStageSampleCLut16bit(grid, SampleCmyk, nullptr, 0);
  cmsPipelineInsertStage(lut, cmsAT_BEGIN, grid);
  cmsWriteTag(profile, cmsSigAToB0Tag, lut);
  cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  cmsPipelineFree(lut);
  return SaveProfile(profile);
}

// What lcms2 makes of `count` pixels through `profile` to sRGB (perceptual intent).
Bytes ToSrgb(const Bytes& profile, cmsUInt32Number inFormat, const void* pixels, size_t count, bool wide = false) {
  cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM t = cmsCreateTransform(source, inFormat, srgb, wide ? TYPE_RGB_16 : TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
  Bytes out(count * 3 * (wide ? 2 : 1));
  if (t) cmsDoTransform(t, pixels, out.data(), static_cast<cmsUInt32Number>(count));
  EXPECT_TRUE(t) << "lcms2 cannot use the test profile";
  if (t) cmsDeleteTransform(t);
  cmsCloseProfile(srgb);
  cmsCloseProfile(source);
  return out;
}

ARGB ExpectedRgb(const Bytes& profile, ARGB plain) {
  const uint8_t rgb[3] = {static_cast<uint8_t>(plain >> 16), static_cast<uint8_t>(plain >> 8), static_cast<uint8_t>(plain)};
  const Bytes s = ToSrgb(profile, TYPE_RGB_8, rgb, 1);
  return (plain & 0xff000000u) | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
}

ARGB ExpectedGrey(const Bytes& profile, ARGB plain) {
  const uint8_t grey = static_cast<uint8_t>(plain >> 8);
  const Bytes s = ToSrgb(profile, TYPE_GRAY_8, &grey, 1);
  return (plain & 0xff000000u) | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
}

ARGB ExpectedCmyk(const Bytes& profile, const uint8_t ink[4]) {
  const Bytes s = ToSrgb(profile, TYPE_CMYK_8, ink, 1);
  return 0xff000000u | uint32_t{s[0]} << 16 | uint32_t{s[1]} << 8 | s[2];
}

// ---- fixtures ---------------------------------------------------------------------------------

// A small picture in file order: `channels` samples per pixel (for JPEG and TIFF, 4 means
// CMYK), 16-bit samples in host order.
struct Picture {
  int width = 6, height = 4, channels = 3, bits = 8;
  Bytes samples;
  std::vector<png_color> palette;  // PNG palette images: samples are indices
  bool cmyk = false;
  bool premultiplied = false;  // TIFF: associated alpha
};

Picture Solid(std::vector<unsigned> value, int bits = 8) {
  Picture p;
  p.channels = static_cast<int>(value.size());
  p.bits = bits;
  for (int i = 0; i < p.width * p.height; ++i)
    for (unsigned v : value) {
      if (bits == 16) {
        const uint16_t wide = static_cast<uint16_t>(v);
        p.samples.insert(p.samples.end(), reinterpret_cast<const uint8_t*>(&wide), reinterpret_cast<const uint8_t*>(&wide) + 2);
      } else {
        p.samples.push_back(static_cast<uint8_t>(v));
      }
    }
  return p;
}

size_t RowBytes(const Picture& p) { return static_cast<size_t>(p.width) * p.channels * p.bits / 8; }

void PngWriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

bool EncodePng(const Picture& p, const Bytes& profile, Bytes& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  bool ok = false;
  if (!setjmp(png_jmpbuf(png))) {
    png_set_write_fn(png, &out, PngWriteToVector, nullptr);
    const int type = !p.palette.empty() ? PNG_COLOR_TYPE_PALETTE
                     : p.channels == 1  ? PNG_COLOR_TYPE_GRAY
                     : p.channels == 3  ? PNG_COLOR_TYPE_RGB
                                        : PNG_COLOR_TYPE_RGBA;
    png_set_IHDR(png, info, p.width, p.height, p.bits, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!profile.empty()) png_set_iCCP(png, info, "embedded", 0, profile.data(), static_cast<png_uint_32>(profile.size()));
    png_write_info(png, info);
    if (p.bits == 16) png_set_swap(png);
    for (int y = 0; y < p.height; ++y) png_write_row(png, p.samples.data() + y * RowBytes(p));
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return ok;
}

// APP2 payloads holding the profile in chunks of at most `chunk` bytes.
std::vector<Bytes> IccChunks(const Bytes& profile, size_t chunk = 65519) {
  std::vector<Bytes> payloads;
  const size_t count = (profile.size() + chunk - 1) / chunk;
  for (size_t i = 0; i < count; ++i) {
    Bytes payload = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
    payload.push_back(static_cast<uint8_t>(i + 1));
    payload.push_back(static_cast<uint8_t>(count));
    const size_t begin = i * chunk, end = std::min(profile.size(), begin + chunk);
    payload.insert(payload.end(), profile.begin() + static_cast<ptrdiff_t>(begin), profile.begin() + static_cast<ptrdiff_t>(end));
    payloads.push_back(std::move(payload));
  }
  return payloads;
}

struct JpegErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// CMYK samples are written as given with the Adobe marker, so callers store them complemented
// as Adobe's files do.
bool EncodeJpeg(const Picture& p, const std::vector<Bytes>& app2, Bytes& out) {
  jpeg_compress_struct c;
  JpegErrorJump errors;
  c.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrorJump*>(info->err)->jump, 1); };
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_create_compress(&c);
  bool ok = false;
  if (!setjmp(errors.jump)) {
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = p.width;
    c.image_height = p.height;
    c.input_components = p.channels;
    c.in_color_space = p.channels == 1 ? JCS_GRAYSCALE : p.channels == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (const Bytes& payload : app2) jpeg_write_marker(&c, JPEG_APP0 + 2, payload.data(), static_cast<unsigned>(payload.size()));
    while (c.next_scanline < c.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(p.samples.data() + c.next_scanline * RowBytes(p));
      jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    out.assign(buffer, buffer + size);
    ok = true;
  }
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return ok;
}

bool WriteTiff(const std::string& path, const Picture& p, const Bytes& profile) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.channels);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, p.height);
  const uint16_t photometric = p.cmyk ? PHOTOMETRIC_SEPARATED : p.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  if (p.channels == 4 && !p.cmyk) {
    const uint16_t alpha = p.premultiplied ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
  }
  if (!profile.empty()) TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
  bool ok = true;
  for (int y = 0; y < p.height && ok; ++y)
    ok = TIFFWriteScanline(tif, const_cast<uint8_t*>(p.samples.data() + y * RowBytes(p)), y, 0) >= 0;
  TIFFClose(tif);
  return ok;
}

enum class Format { Png, Jpeg, Tiff };

// Writes the picture with the profile embedded (none when empty) and returns the file's path.
std::string WriteFixture(Format format, const Picture& p, const Bytes& profile) {
  const std::string path = ScratchPath(format == Format::Png ? "in.png" : format == Format::Jpeg ? "in.jpg" : "in.tif");
  Bytes bytes;
  bool ok = false;
  if (format == Format::Png) ok = EncodePng(p, profile, bytes);
  if (format == Format::Jpeg) ok = EncodeJpeg(p, profile.empty() ? std::vector<Bytes>{} : IccChunks(profile), bytes);
  if (format == Format::Tiff) ok = WriteTiff(path, p, profile);
  EXPECT_TRUE(ok) << "fixture not written: " << path;
  if (format != Format::Tiff) WriteFile(path, bytes);
  return path;
}

// ---- loading ----------------------------------------------------------------------------------

class CodecIcm : public Session {};

ImagePtr LoadIcm(const std::string& path) {
  GpImage* image = nullptr;
  EXPECT_EQ(GdipLoadImageFromFileICM(path.c_str(), &image), Ok) << path;
  return ImagePtr(image);
}

const Frame& FrameOf(GpImage* image) { return static_cast<GpBitmap*>(image)->current(); }

Bytes ProfileItem(GpImage* image) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, PropertyTagICCProfile, &size) != Ok) return {};
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(GdipGetPropertyItem(image, PropertyTagICCProfile, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeUndefined);
  const auto* value = static_cast<const uint8_t*>(item->value);
  return Bytes(value, value + item->length);
}

// Largest channel difference over all pixels (the images have the same size).
int WorstDistance(const std::vector<ARGB>& a, const std::vector<ARGB>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, ChannelDistance(a[i], b[i]));
  return worst;
}

TEST_F(CodecIcm, EmbeddedProfilesConvertOnlyTheIcmLoads) {
  const Bytes wide = WideRgbProfile(), grey = LinearGreyProfile();
  Picture palette = Solid({0});
  palette.palette = {{200, 60, 40}, {30, 180, 90}, {250, 250, 250}};
  for (size_t i = 0; i < palette.samples.size(); ++i) palette.samples[i] = static_cast<uint8_t>(i % 3);
  Picture premultiplied = Solid({157, 47, 31, 200});  // (200, 60, 40) at alpha 200
  premultiplied.premultiplied = true;
  struct Case {
    const char* name;
    Format format;
    Picture picture;
    const Bytes& profile;
    ARGB stored;  // the first pixel as written
    int storedTolerance;
    int managedTolerance = 1;
  } cases[] = {
      {"png rgb", Format::Png, Solid({200, 60, 40}), wide, 0xffc83c28, 0},
      {"png rgba keeps alpha", Format::Png, Solid({30, 180, 90, 128}), wide, 0x801eb45a, 0},
      {"png palette", Format::Png, palette, wide, 0xffc83c28, 0},
      {"png grey", Format::Png, Solid({70}), grey, 0xff464646, 0},
      {"jpeg rgb", Format::Jpeg, Solid({200, 60, 40}), wide, 0xffc83c28, 3},
      {"jpeg grey", Format::Jpeg, Solid({70}), grey, 0xff464646, 1},
      {"tiff rgb", Format::Tiff, Solid({30, 180, 90}), wide, 0xff1eb45a, 0},
      {"tiff rgba keeps alpha", Format::Tiff, Solid({200, 60, 40, 64}), wide, 0x40c83c28, 0},
      {"tiff grey", Format::Tiff, Solid({70}), grey, 0xff464646, 0},
      {"tiff premultiplied alpha", Format::Tiff, premultiplied, wide, 0xc8c83c28, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteFixture(c.format, c.picture, c.profile);
    ImagePtr plain = Load(path);
    ImagePtr managed = LoadIcm(path);
    ASSERT_TRUE(plain && managed);
    const std::vector<ARGB> plainPixels = ArgbPixels(plain.get()), managedPixels = ArgbPixels(managed.get());
    EXPECT_LE(ChannelDistance(plainPixels[0], c.stored), c.storedTolerance);
    EXPECT_EQ(FrameOf(managed.get()).format, FrameOf(plain.get()).format);
    const bool greyCase = &c.profile == &grey;
    for (size_t i = 0; i < plainPixels.size(); ++i) {
      const ARGB expected = greyCase ? ExpectedGrey(c.profile, plainPixels[i]) : ExpectedRgb(c.profile, plainPixels[i]);
      ASSERT_LE(ChannelDistance(managedPixels[i], expected), c.managedTolerance) << "pixel " << i << std::hex << " got " << managedPixels[i]
                                                                << " expected " << expected;
    }
    EXPECT_GE(WorstDistance(plainPixels, managedPixels), 8) << "the profile should have changed the colours";
  }
}

TEST_F(CodecIcm, SixteenBitSamplesConvertAtFullPrecision) {
  const Bytes wide = WideRgbProfile();
  const std::string path = WriteFixture(Format::Png, Solid({51400, 15420, 10280}, 16), wide);
  ImagePtr plain = Load(path);
  ImagePtr managed = LoadIcm(path);
  ASSERT_TRUE(plain && managed);
  const Frame& before = FrameOf(plain.get());
  const Frame& after = FrameOf(managed.get());
  ASSERT_EQ(after.format, PixelFormat48bppRGB);
  const uint16_t stored[3] = {51400, 15420, 10280};
  const auto* plainBgr = reinterpret_cast<const uint16_t*>(FrameRow(before, 0));
  EXPECT_EQ(plainBgr[2], stored[0]);
  EXPECT_EQ(plainBgr[0], stored[2]);
  const Bytes expected = ToSrgb(wide, TYPE_RGB_16, stored, 1, true);
  uint16_t rgb[3];
  std::memcpy(rgb, expected.data(), sizeof rgb);
  const auto* bgr = reinterpret_cast<const uint16_t*>(FrameRow(after, after.height - 1));
  for (int channel = 0; channel < 3; ++channel) EXPECT_NEAR(bgr[2 - channel], rgb[channel], 2) << channel;
}

// With or without colour management asked for: the complement rule serves only files without a
// profile.
TEST_F(CodecIcm, CmykSamplesGoThroughTheirProfileInsteadOfTheComplementRule) {
  const Bytes cmyk = CmykProfile();
  const uint8_t ink[4] = {40, 170, 210, 30};
  for (Format format : {Format::Jpeg, Format::Tiff}) {
    SCOPED_TRACE(format == Format::Jpeg ? "jpeg" : "tiff");
    Picture p = Solid({ink[0], ink[1], ink[2], ink[3]});
    p.cmyk = true;
    if (format == Format::Jpeg)
      for (uint8_t& s : p.samples) s = static_cast<uint8_t>(255 - s);  // Adobe's complemented samples
    const std::string path = WriteFixture(format, p, cmyk);
    ImagePtr plain = Load(path);
    ImagePtr managed = LoadIcm(path);
    ASSERT_TRUE(plain && managed);
    const ARGB expected = ExpectedCmyk(cmyk, ink);
    auto byComplement = [&](int channel) { return static_cast<uint32_t>((255 - ink[channel]) * (255 - ink[3]) / 255); };
    const ARGB complement = 0xff000000u | byComplement(0) << 16 | byComplement(1) << 8 | byComplement(2);
    for (const ImagePtr* image : {&plain, &managed}) {
      for (ARGB pixel : ArgbPixels(image->get())) ASSERT_LE(ChannelDistance(pixel, expected), 3) << std::hex << pixel;
      EXPECT_TRUE(FrameOf(image->get()).imageFlags & ImageFlagsColorSpaceCMYK);
      EXPECT_TRUE(ProfileItem(image->get()).empty()) << "the CMYK profile does not describe the RGB pixels";
    }
    EXPECT_GE(ChannelDistance(complement, expected), 20);
  }
}

TEST_F(CodecIcm, WithoutAProfileBothLoadsAgree) {
  Picture cmyk = Solid({20, 200, 90, 10});
  cmyk.cmyk = true;
  const struct {
    Format format;
    Picture picture;
  } cases[] = {{Format::Png, Solid({200, 60, 40})}, {Format::Jpeg, Solid({200, 60, 40})}, {Format::Jpeg, cmyk},
               {Format::Tiff, Solid({30, 180, 90})}, {Format::Tiff, cmyk}};
  for (const auto& c : cases) {
    const std::string path = WriteFixture(c.format, c.picture, {});
    ImagePtr plain = Load(path);
    ImagePtr managed = LoadIcm(path);
    ASSERT_TRUE(plain && managed);
    EXPECT_EQ(ArgbPixels(managed.get()), ArgbPixels(plain.get())) << path;
    EXPECT_TRUE(ProfileItem(managed.get()).empty());
  }
}

TEST_F(CodecIcm, UnusableProfilesLeaveThePlainDecode) {
  const Bytes wide = WideRgbProfile(), grey = LinearGreyProfile(), cmyk = CmykProfile();
  Bytes garbage(400);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 37 + 11);
  const Bytes truncated(wide.begin(), wide.begin() + static_cast<ptrdiff_t>(wide.size() / 2));
  std::vector<Bytes> split = IccChunks(wide, wide.size() / 2 + 1);
  const struct {
    const char* name;
    int channels;
    std::vector<Bytes> app2;
    bool itemExpected;
  } cases[] = {
      {"garbage", 3, IccChunks(garbage), true},
      {"truncated", 3, IccChunks(truncated), true},
      {"grey profile on colour pixels", 3, IccChunks(grey), true},
      {"colour profile on grey pixels", 1, IccChunks(wide), true},
      {"cmyk profile on colour pixels", 3, IccChunks(cmyk), false},
      {"a chunk missing", 3, {split[1]}, false},
      {"a chunk repeated", 3, {split[0], split[0], split[1]}, false},
      {"chunk counts disagree", 3, {split[0], [&] { Bytes b = split[1]; b[13] = 3; return b; }()}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = ScratchPath("bad.jpg");
    Bytes bytes;
    ASSERT_TRUE(EncodeJpeg(Solid(c.channels == 1 ? std::vector<unsigned>{70} : std::vector<unsigned>{200, 60, 40}), c.app2, bytes));
    WriteFile(path, bytes);
    ImagePtr plain = Load(path);
    ImagePtr managed = LoadIcm(path);
    ASSERT_TRUE(plain && managed);
    EXPECT_EQ(ArgbPixels(managed.get()), ArgbPixels(plain.get()));
    EXPECT_EQ(!ProfileItem(managed.get()).empty(), c.itemExpected);
  }
}

TEST_F(CodecIcm, ProfilesBeyondTheSizeBoundAreNotApplied) {
  const Bytes wide = WideRgbProfile();
  for (size_t size : {size_t{4} << 20, (size_t{16} << 20) + 1}) {
    Bytes padded = wide;  // a usable profile followed by bytes it does not count
    padded.resize(size);
    const std::string path = WriteFixture(Format::Tiff, Solid({200, 60, 40}), padded);
    const ARGB plain = ArgbPixels(Load(path).get())[0];
    const ARGB managed = ArgbPixels(LoadIcm(path).get())[0];
    if (size > (size_t{16} << 20))
      EXPECT_EQ(managed, plain);
    else
      EXPECT_LE(ChannelDistance(managed, ExpectedRgb(wide, plain)), 1);
  }
}

TEST_F(CodecIcm, EveryIcmEntryPointConverts) {
  const std::string path = WriteFixture(Format::Png, Solid({200, 60, 40}), WideRgbProfile());
  const std::vector<ARGB> expected = ArgbPixels(LoadIcm(path).get());
  const Bytes bytes = ReadFile(path);
  auto stream = [&] {
    vx::ole::IStream* raw = nullptr;
    EXPECT_EQ(vx::ole::CreateStreamOnHGlobal(0, 1, &raw), vx::S_OK);
    vx::ole::ComPtr<vx::ole::IStream> s(raw);
    ULONG written = 0;
    EXPECT_EQ(s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), vx::S_OK);
    EXPECT_EQ(s->Seek(0, vx::ole::STREAM_SEEK_SET, nullptr), vx::S_OK);
    return s;
  };
  const std::function<Status(GpImage**)> icm[] = {
      [&](GpImage** out) { return GdipLoadImageFromStreamICM(stream().get(), out); },
      [&](GpImage** out) { return GdipCreateBitmapFromFileICM(path.c_str(), reinterpret_cast<GpBitmap**>(out)); },
      [&](GpImage** out) { return GdipCreateBitmapFromStreamICM(stream().get(), reinterpret_cast<GpBitmap**>(out)); },
  };
  const std::function<Status(GpImage**)> plain[] = {
      [&](GpImage** out) { return GdipLoadImageFromStream(stream().get(), out); },
      [&](GpImage** out) { return GdipCreateBitmapFromFile(path.c_str(), reinterpret_cast<GpBitmap**>(out)); },
      [&](GpImage** out) { return GdipCreateBitmapFromStream(stream().get(), reinterpret_cast<GpBitmap**>(out)); },
  };
  const std::vector<ARGB> stored = ArgbPixels(Load(path).get());
  for (const auto& load : icm) {
    GpImage* image = nullptr;
    ASSERT_EQ(load(&image), Ok);
    ImagePtr owned(image);
    EXPECT_EQ(ArgbPixels(image), expected);
  }
  for (const auto& load : plain) {
    GpImage* image = nullptr;
    ASSERT_EQ(load(&image), Ok);
    ImagePtr owned(image);
    EXPECT_EQ(ArgbPixels(image), stored);
  }
  EXPECT_NE(expected, stored);
  GpBitmap* missing = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromFileICM(ScratchPath("missing.png").c_str(), &missing), FileNotFound);
  EXPECT_EQ(missing, nullptr);
}

TEST_F(CodecIcm, TheProfileItemHoldsTheEmbeddedBytes) {
  const Bytes small = WideRgbProfile(), large = WideRgbProfile(30000);
  ASSERT_GT(large.size(), 2 * 65519u);  // three JPEG chunks
  for (Format format : {Format::Png, Format::Jpeg, Format::Tiff}) {
    for (const Bytes* profile : {&small, &large}) {
      const std::string path = WriteFixture(format, Solid({200, 60, 40}), *profile);
      EXPECT_EQ(ProfileItem(Load(path).get()), *profile) << path;
      EXPECT_EQ(ProfileItem(LoadIcm(path).get()), *profile) << path;
      if (HaveTool("convert")) {
        const std::string extracted = Shell("convert '" + path + "' icc:- 2>/dev/null");
        EXPECT_EQ(Bytes(extracted.begin(), extracted.end()), *profile) << "ImageMagick reads another profile in " << path;
      }
    }
  }
}

TEST_F(CodecIcm, ImageMagicksChunkedJpegProfileIsReassembled) {
  VX_REQUIRE_TOOL("convert");
  const Bytes large = WideRgbProfile(30000);
  const std::string profilePath = ScratchPath("large.icc"), path = ScratchPath("tagged.jpg");
  WriteFile(profilePath, large);
  const std::string plainPng = WriteFixture(Format::Png, Solid({200, 60, 40}), {});
  ASSERT_EQ(std::system(("convert '" + plainPng + "' -quality 100 -profile '" + profilePath + "' '" + path + "'").c_str()), 0);
  ImagePtr managed = LoadIcm(path);
  ASSERT_TRUE(managed);
  EXPECT_EQ(ProfileItem(managed.get()), large);
  const std::vector<ARGB> plainPixels = ArgbPixels(Load(path).get());
  EXPECT_LE(ChannelDistance(ArgbPixels(managed.get())[0], ExpectedRgb(large, plainPixels[0])), 1);
  if (HaveTool("exiftool")) {
    const std::string exif = Shell("exiftool -b -icc_profile '" + path + "' 2>/dev/null");
    EXPECT_EQ(Bytes(exif.begin(), exif.end()), large);
  }
}

TEST_F(CodecIcm, SavedJpegsCarryTheProfileBesideTheirExifItems) {
  const Bytes large = WideRgbProfile(30000);
  ImagePtr image = Load(WriteFixture(Format::Png, Solid({200, 60, 40}), large));
  ASSERT_TRUE(image);
  char description[] = "kept beside a large profile";
  PropertyItem item{PropertyTagImageDescription, sizeof description, PropertyTagTypeASCII, description};
  ASSERT_EQ(GdipSetPropertyItem(image.get(), &item), Ok);
  const std::string path = ScratchPath("saved.jpg");
  ASSERT_EQ(Save(image.get(), path, EncoderClsidJPEG), Ok);
  ImagePtr reloaded = Load(path);
  ASSERT_TRUE(reloaded);
  EXPECT_EQ(ProfileItem(reloaded.get()), large);
  UINT size = 0;
  EXPECT_EQ(GdipGetPropertyItemSize(reloaded.get(), PropertyTagImageDescription, &size), Ok);
  if (HaveTool("convert")) {
    const std::string extracted = Shell("convert '" + path + "' icc:- 2>/dev/null");
    EXPECT_EQ(Bytes(extracted.begin(), extracted.end()), large);
  }
}

TEST(JpegIccChunks, JoinInSequenceOrderAndRefuseBrokenSets) {
  const Bytes profile = [] {
    Bytes b(300);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i);
    return b;
  }();
  const std::vector<Bytes> three = IccChunks(profile, 100);
  const Bytes other = {'E', 'x', 'i', 'f', 0, 0, 1, 2};
  auto numbered = [&](size_t chunk, uint8_t number, uint8_t count) {
    Bytes b = three[chunk];
    b[12] = number;
    b[13] = count;
    return b;
  };
  const struct {
    const char* name;
    std::vector<Bytes> payloads;
    Bytes expected;
  } cases[] = {
      {"in order", three, profile},
      {"out of order", {three[2], three[0], three[1]}, profile},
      {"other APP2 segments mixed in", {other, three[0], three[1], other, three[2]}, profile},
      {"none", {other}, {}},
      {"one missing", {three[0], three[2]}, {}},
      {"one repeated", {three[0], three[1], three[1], three[2]}, {}},
      {"number zero", {numbered(0, 0, 3), three[1], three[2]}, {}},
      {"number above the count", {three[0], three[1], numbered(2, 4, 3)}, {}},
      {"counts disagree", {three[0], three[1], numbered(2, 3, 4)}, {}},
      {"header cut short", {Bytes(three[0].begin(), three[0].begin() + 13)}, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::span<const uint8_t>> views(c.payloads.begin(), c.payloads.end());
    EXPECT_EQ(vx::gdiplus::codecs::JoinIccChunks(views), c.expected) << c.name;
  }
}

}  // namespace
