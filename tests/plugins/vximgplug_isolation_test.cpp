// Decoding apart from the host: hostile and damaged files answer without taking the process
// down, a decoder's death is not reported as the host's, and every metadata tag FreeImage
// reads comes back exactly as an in-process load would give it.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <lcms2.h>

#include <cstring>
#include <filesystem>
#include <span>
#include <fstream>
#include <tuple>

#include "vximgplug_support.h"
#include "support/required_tool.h"

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

using namespace vximgplug_test;

namespace {

constexpr int kFormatJpeg = 2, kFormatPsd = 20, kFormatTiff = 18;
constexpr int kLastModel = 11;  // FreeImage's raw EXIF block

const std::string kHostileJpeg = std::string(VEXIRO_TEST_DATA_DIR) + "/plugins/hostile_exif_gps.jpg";

// One tag as compared across loads: model, key, id, type, count and value bytes.
using TagImage = std::tuple<int, std::string, uint16_t, uint16_t, uint32_t, std::vector<uint8_t>>;

std::vector<TagImage> PluginTags(uint32_t bitmap) {
  std::vector<TagImage> tags;
  for (int model = 0; model <= kLastModel; ++model) {
    VximgplugTagRecord t{};
    const uint32_t search = Api().FindFirstMetadata(model, bitmap, &t);
    if (!search) continue;
    do {
      const auto* v = static_cast<const uint8_t*>(t.value);
      tags.emplace_back(model, t.key ? t.key : "", t.id, t.type, t.count,
                        std::vector<uint8_t>(v, v ? v + t.length : v));
    } while (Api().FindNextMetadata(search, &t));
    Api().FindCloseMetadata(search);
  }
  return tags;
}

// FreeImage itself, loaded here, as the reference for what an in-process load reads.
struct FreeImageLibrary {
  void* module = dlopen("libfreeimage.so.3", RTLD_NOW | RTLD_LOCAL);
  template <class F>
  F* Get(const char* name) const {
    return module ? reinterpret_cast<F*>(dlsym(module, name)) : nullptr;
  }
};

std::vector<TagImage> ReferenceTags(int fif, const std::string& path) {
  static FreeImageLibrary lib;
  auto load = lib.Get<void*(int, const char*, int)>("FreeImage_Load");
  auto unload = lib.Get<void(void*)>("FreeImage_Unload");
  auto first = lib.Get<void*(int, void*, void**)>("FreeImage_FindFirstMetadata");
  auto next = lib.Get<int(void*, void**)>("FreeImage_FindNextMetadata");
  auto close = lib.Get<void(void*)>("FreeImage_FindCloseMetadata");
  auto key = lib.Get<const char*(void*)>("FreeImage_GetTagKey");
  auto id = lib.Get<uint16_t(void*)>("FreeImage_GetTagID");
  auto type = lib.Get<int(void*)>("FreeImage_GetTagType");
  auto count = lib.Get<uint32_t(void*)>("FreeImage_GetTagCount");
  auto length = lib.Get<uint32_t(void*)>("FreeImage_GetTagLength");
  auto value = lib.Get<const void*(void*)>("FreeImage_GetTagValue");
  std::vector<TagImage> tags;
  if (!load || !unload || !first || !next || !close || !key || !id || !type || !count || !length || !value) return tags;
  void* dib = load(fif, path.c_str(), 0);
  if (!dib) return tags;
  for (int model = 0; model <= kLastModel; ++model) {
    void* tag = nullptr;
    void* search = first(model, dib, &tag);
    if (!search) continue;
    do {
      const auto* v = static_cast<const uint8_t*>(value(tag));
      tags.emplace_back(model, key(tag) ? key(tag) : "", id(tag), static_cast<uint16_t>(type(tag)), count(tag),
                        std::vector<uint8_t>(v, v ? v + length(tag) : v));
    } while (next(search, &tag));
    close(search);
  }
  unload(dib);
  return tags;
}

bool HasValue(const std::vector<TagImage>& tags, int model, const std::string& text) {
  for (const auto& t : tags) {
    const auto& v = std::get<5>(t);
    if (std::get<0>(t) == model && std::string(v.begin(), v.end()).find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(Isolation, HostileExifJpegAnswersWithoutCrashing) {
  // The file's GPS directory pointer crashes FreeImage's EXIF reader.
  ASSERT_EQ(ReadBytes(kHostileJpeg).size(), 698u);
  EXPECT_EQ(Api().GetFileTypeU(kHostileJpeg.c_str(), 0), kFormatJpeg);
  BitmapHandle bitmap(Api().LoadU(kFormatJpeg, kHostileJpeg.c_str(), 0));
  if (bitmap) {
    EXPECT_GT(Api().GetWidth(bitmap.get()), 0);
    PluginTags(bitmap.get());
  }
}

// A decoder dying in the child must not run the death report a harness registered here.
const char* deathMarker = nullptr;
void MarkDeath() {
  const int fd = open(deathMarker, O_WRONLY | O_CREAT, 0600);
  if (fd >= 0) close(fd);
}

TEST(Isolation, ChildDeathIsNotReportedAsTheHosts) {
  if (!__sanitizer_set_death_callback) GTEST_SKIP() << "no sanitizer runtime";
  TempFolder folder;
  const std::string marker = folder / "died";
  deathMarker = marker.c_str();
  __sanitizer_set_death_callback(MarkDeath);
  BitmapHandle bitmap(Api().LoadU(kFormatJpeg, kHostileJpeg.c_str(), 0));
  __sanitizer_set_death_callback(nullptr);
  EXPECT_FALSE(std::filesystem::exists(marker));
}

struct TaggedFile {
  const char* name;
  int format;
};

// The plug-in reads some tags again from the file, past FreeImage: the main, EXIF and GPS
// directories of a TIFF page or a JPEG's EXIF block, and a JPEG file's IPTC record as one main
// tag, and names the colour space the file stores in a custom tag. The rest is FreeImage's.
constexpr int kExifMainModel = 1, kExifModel = 2, kGpsModel = 3, kCustomModel = 10;

std::vector<TagImage> FreeImagesOwn(std::vector<TagImage> tags) {
  std::erase_if(tags, [](const TagImage& t) {
    const int model = std::get<0>(t);
    return model == kExifMainModel || model == kExifModel || model == kGpsModel || model == kCustomModel;
  });
  return tags;
}

bool HasTag(const std::vector<TagImage>& tags, int model, uint16_t id, uint16_t type, const std::vector<uint8_t>& bytes) {
  for (const auto& t : tags)
    if (std::get<0>(t) == model && std::get<2>(t) == id && std::get<3>(t) == type && std::get<5>(t) == bytes) return true;
  return false;
}

class MetadataAcrossTheChild : public testing::TestWithParam<TaggedFile> {};

TEST_P(MetadataAcrossTheChild, EveryTagComesBackAsAnInProcessLoadReadsIt) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  TempFolder folder;
  const std::string path = folder / GetParam().name;
  ASSERT_TRUE(RunQuiet("convert -size 12x9 gradient:red-blue " + path));
  ASSERT_TRUE(RunQuiet("exiftool -overwrite_original -EXIF:Make=Vexiro -EXIF:Artist=Isolde -EXIF:ExposureTime=0.02 "
                       "-EXIF:GPSLatitude=48.85 -EXIF:GPSLatitudeRef=N -IPTC:Keywords=alpha -IPTC:City=Paris "
                       "-XMP-dc:Subject=isolation " + path));
  BitmapHandle bitmap(Api().LoadU(GetParam().format, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  const auto tags = PluginTags(bitmap.get());
  constexpr int kExifMain = 1, kIptc = 6, kXmp = 7;
  EXPECT_TRUE(HasValue(tags, kExifMain, "Vexiro"));
  EXPECT_TRUE(HasValue(tags, kIptc, "Paris"));
  EXPECT_TRUE(HasValue(tags, kXmp, "isolation"));
  const int fif = GetParam().format;  // the plug-in's numbers for these formats are FreeImage's
  // As the file stores them: ExposureTime 1/50 as two 32-bit halves, the GPS directory read.
  EXPECT_TRUE(HasTag(tags, kExifModel, 33434, 5, {1, 0, 0, 0, 50, 0, 0, 0}));
  EXPECT_TRUE(HasTag(tags, kGpsModel, 1, 2, {'N', 0}));
  const auto reference = ReferenceTags(fif, path);
  VX_REQUIRE(!reference.empty(), "FreeImage (libfreeimage.so.3), the reference reader,", "libfreeimage3");
  EXPECT_EQ(FreeImagesOwn(tags), FreeImagesOwn(reference));
}

INSTANTIATE_TEST_SUITE_P(Plugin, MetadataAcrossTheChild,
                         testing::Values(TaggedFile{"tagged.jpg", kFormatJpeg}, TaggedFile{"tagged.tif", kFormatTiff}),
                         [](const auto& info) { return std::to_string(info.param.format); });

// A bitmap as an in-process load describes it: depth, pitch, palette, profile size and every row
// in the order the plug-in hands them over (top row first for JPEG, FreeImage's order for TIFF). Resolution is left to the metadata tests:
// the plug-in reads it from the file's markers, past FreeImage.
struct Picture {
  uint32_t bpp = 0, pitch = 0, colours = 0, profileBytes = 0;
  std::vector<uint32_t> palette;
  std::vector<std::vector<uint8_t>> rows;
  bool operator==(const Picture&) const = default;
};

Picture PluginPicture(uint32_t bitmap) {
  Picture p;
  p.bpp = static_cast<uint32_t>(Api().GetBPP(bitmap));
  p.pitch = static_cast<uint32_t>(Api().GetPitch(bitmap));
  p.colours = static_cast<uint32_t>(Api().GetColorsUsed(bitmap));
  p.profileBytes = Api().GetICCProfile(bitmap, nullptr);
  const auto* palette = static_cast<const uint32_t*>(Api().GetPalette(bitmap));
  if (palette) p.palette.assign(palette, palette + p.colours);
  const uint8_t* bits = Api().GetBits(bitmap);
  for (int y = 0; y < Api().GetHeight(bitmap); ++y) p.rows.emplace_back(bits + size_t{p.pitch} * y, bits + size_t{p.pitch} * (y + 1));
  return p;
}

Picture ReferencePicture(int format, const std::string& path) {
  static FreeImageLibrary lib;
  Picture p;
  auto load = lib.Get<void*(int, const char*, int)>("FreeImage_Load");
  auto unload = lib.Get<void(void*)>("FreeImage_Unload");
  auto query = [&](const char* name) { return lib.Get<unsigned(void*)>(name); };
  auto palette = lib.Get<const uint32_t*(void*)>("FreeImage_GetPalette");
  auto scanLine = lib.Get<const uint8_t*(void*, int)>("FreeImage_GetScanLine");
  auto profile = lib.Get<const int32_t*(void*)>("FreeImage_GetICCProfile");  // flags, then size
  if (!load || !unload || !palette || !scanLine || !profile || !query("FreeImage_GetBPP")) return p;
  void* dib = load(format, path.c_str(), 0);
  if (!dib) return p;
  p.bpp = query("FreeImage_GetBPP")(dib);
  p.pitch = query("FreeImage_GetPitch")(dib);
  p.colours = query("FreeImage_GetColorsUsed")(dib);
  const int32_t* icc = profile(dib);
  p.profileBytes = icc ? static_cast<uint32_t>(icc[1]) : 0;
  if (const uint32_t* entries = palette(dib)) p.palette.assign(entries, entries + p.colours);
  const int height = static_cast<int>(query("FreeImage_GetHeight")(dib));
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = scanLine(dib, format == kFormatJpeg ? height - 1 - y : y);
    p.rows.emplace_back(row, row + p.pitch);
  }
  unload(dib);
  return p;
}

struct MadeFile {
  const char* name;
  std::string options;  // for ImageMagick's convert
};

// The picture of the file, and of the file cut short, is the one FreeImage decodes.
void ExpectFreeImagesPictures(int format, const std::string& path) {
  const Picture reference = ReferencePicture(format, path);
  VX_REQUIRE(!reference.rows.empty(), "FreeImage (libfreeimage.so.3), the reference reader,", "libfreeimage3");
  BitmapHandle bitmap(Api().LoadU(format, path.c_str(), 0));
  ASSERT_TRUE(bitmap);
  EXPECT_TRUE(PluginPicture(bitmap.get()) == reference);
  const std::vector<uint8_t> whole = ReadBytes(path);
  const std::string cut = path + "-cut";
  WriteBytes(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(whole.size() * 2 / 3)));
  const Picture cutReference = ReferencePicture(format, cut);
  BitmapHandle cutBitmap(Api().LoadU(format, cut.c_str(), 0));
  ASSERT_EQ(cutBitmap.get() != 0, !cutReference.rows.empty());
  if (cutBitmap) {
    EXPECT_TRUE(PluginPicture(cutBitmap.get()) == cutReference);
  }
}

std::string SrgbProfile(const TempFolder& folder) {
  const std::string profile = folder / "srgb.icc";
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  EXPECT_TRUE(cmsSaveProfileToFile(srgb, profile.c_str()));
  cmsCloseProfile(srgb);
  return profile;
}

// JPEG rows, and the rows of plain TIFF pages, are decoded straight into the memory the host
// keeps, past FreeImage's loader; the picture must be the one FreeImage decodes for every kind
// of file, the ones the direct decode leaves to FreeImage and damaged ones included.
TEST(Isolation, DirectlyDecodedRowsAreTheOnesFreeImageDecodes) {
  VX_REQUIRE_TOOL("convert");
  TempFolder folder;
  const std::string profile = SrgbProfile(folder);
  const MadeFile jpegs[] = {
      {"420.jpg", "-sampling-factor 2x2"},     {"444.jpg", "-sampling-factor 1x1 -quality 95"},
      {"422-odd.jpg", "-sampling-factor 2x1 -crop 97x61+0+0"}, {"grey.jpg", "-colorspace Gray"},
      {"progressive.jpg", "-interlace JPEG"},  {"profile.jpg", "-profile " + profile},
      {"cmyk.jpg", "-colorspace CMYK"},
  };
  const MadeFile tiffs[] = {
      {"plain.tif", "-depth 8 -compress None"},
      {"lzw-predictor.tif", "-depth 8 -compress LZW -define tiff:predictor=2"},
      {"zip-strips.tif", "-depth 8 -compress Zip -define tiff:rows-per-strip=7 -crop 97x61+0+0"},
      {"profile.tif", "-depth 8 -compress None -profile " + profile},
      {"alpha.tif", "-depth 8 -alpha set -compress None"},
      {"grey.tif", "-depth 8 -colorspace Gray -compress None"},
      {"deep.tif", "-depth 16 -compress None"},
      {"tiled.tif", "-depth 8 -define tiff:tile-geometry=32x32 -compress None"},
  };
  for (const auto& [files, format] : {std::pair{std::span<const MadeFile>(jpegs), kFormatJpeg},
                                      std::pair{std::span<const MadeFile>(tiffs), kFormatTiff}}) {
    for (const MadeFile& file : files) {
      SCOPED_TRACE(file.name);
      const std::string path = folder / file.name;
      ASSERT_TRUE(RunQuiet("convert -size 203x121 -seed 4 plasma:fractal " + file.options + " " + path));
      ExpectFreeImagesPictures(format, path);
    }
  }
}

// Damaged copies of a file: cut short at several lengths, and with bytes flipped along it.
std::vector<std::vector<uint8_t>> DamagedCopies(const std::vector<uint8_t>& good) {
  std::vector<std::vector<uint8_t>> copies;
  for (size_t ninths : {1, 2, 3, 5, 8}) copies.emplace_back(good.begin(), good.begin() + good.size() * ninths / 9);
  uint32_t state = 2463534242u;
  for (int i = 0; i < 10; ++i) {
    std::vector<uint8_t> flipped = good;
    for (int n = 0; n < 1 + i; ++n) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;
      flipped[state % flipped.size()] ^= static_cast<uint8_t>(1u << (state >> 8) % 8);
    }
    copies.push_back(std::move(flipped));
  }
  return copies;
}

// Everything the host may do with a loaded file: load it whole, read every tag, walk its pages.
void UseEveryWay(int format, const std::string& path) {
  BitmapHandle bitmap(Api().LoadU(format, path.c_str(), 0));
  if (bitmap) {
    EXPECT_GT(Api().GetWidth(bitmap.get()), 0);
    PluginTags(bitmap.get());
  }
  if (format != kFormatTiff) return;
  const uint32_t multi = Api().OpenMultiBitmap(format, path.c_str(), 0, 1, 0, 0);
  if (!multi) return;
  for (int page = 0; page < Api().GetPageCount(multi); ++page) {
    const uint32_t locked = Api().LockPage(multi, page);
    if (locked) Api().UnlockPage(multi, locked, 0);
  }
  Api().CloseMultiBitmap(multi, 0);
}

class DamagedFiles : public testing::TestWithParam<TaggedFile> {};

TEST_P(DamagedFiles, AnswerWithoutCrashing) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  TempFolder folder;
  const std::string good = folder / GetParam().name;
  ASSERT_TRUE(RunQuiet("convert -size 16x12 gradient:green-white " + good));
  if (GetParam().format != kFormatPsd) {
    ASSERT_TRUE(RunQuiet("exiftool -overwrite_original -EXIF:Make=Vexiro -EXIF:GPSLatitude=1 -IPTC:City=Paris " + good));
  }
  const auto copies = DamagedCopies(ReadBytes(good));
  for (size_t i = 0; i < copies.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = folder / ("damaged-" + std::to_string(i) + "-" + GetParam().name);
    WriteBytes(path, copies[i]);
    UseEveryWay(GetParam().format, path);
  }
}

INSTANTIATE_TEST_SUITE_P(Plugin, DamagedFiles,
                         testing::Values(TaggedFile{"a.jpg", kFormatJpeg}, TaggedFile{"a.tif", kFormatTiff},
                                         TaggedFile{"a.psd", kFormatPsd}),
                         [](const auto& info) { return std::to_string(info.param.format); });

// FreeImage's TIFF reader leaves tags pointing nowhere on files its own writer made with an
// ICC profile; reading such a page's metadata in the host used to crash it.
TEST(Isolation, PageWithUnreadableTagsIsHandedOverWithSoundTags) {
  TempFolder folder;
  const std::string profilePath = folder / "srgb.icc";
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  ASSERT_TRUE(cmsSaveProfileToFile(srgb, profilePath.c_str()));
  cmsCloseProfile(srgb);
  std::vector<uint8_t> rows(6 * 3 * 6, 128);
  BitmapHandle bitmap(Api().ConvertFromRawBits(rows.data(), 6, 6, 18, 24, 0, 0, 0, 1));
  const uint32_t profileBytes = Api().CreateICCProfileFromFile(bitmap.get(), profilePath.c_str());
  ASSERT_GT(profileBytes, 0u);
  const std::string tiff = folder / "with.tif";
  ASSERT_EQ(Api().SaveU(kFormatTiff, bitmap.get(), tiff.c_str(), 0x4000 | 1), 1);

  const uint32_t file = Api().OpenFileU(tiff.c_str());
  for (const uint32_t multi : {Api().OpenMultiBitmap(kFormatTiff, tiff.c_str(), 0, 1, 0, 1),
                               Api().OpenMultiBitmapU(kFormatTiff, 1, file)}) {
    ASSERT_NE(multi, 0u);
    ASSERT_EQ(Api().GetPageCount(multi), 1);
    const uint32_t page = Api().LockPage(multi, 0);
    ASSERT_NE(page, 0u);
    PluginTags(page);
    EXPECT_EQ(Api().GetWidth(page), 6);
    EXPECT_EQ(PixelAt(page, 5, 5), 0x808080u);
    EXPECT_EQ(Api().GetICCProfile(page, nullptr), profileBytes);
    Api().UnlockPage(multi, page, 0);
    EXPECT_EQ(Api().CloseMultiBitmap(multi, 0), 1);
  }
  Api().CloseFileHandle(file);
  BitmapHandle loaded(Api().LoadU(kFormatTiff, tiff.c_str(), 1));
  ASSERT_TRUE(loaded);
  PluginTags(loaded.get());
}

// The helper streams the rows into memory the host allocated for them, then writes the rest of
// the picture to the reply file. A helper that dies there, every row already in the host (here
// killed by a file size limit set on it, at a byte of the reply chosen by the limit), leaves
// nothing behind in the host: no bitmap, no memory, no descriptor, and the bitmaps already held
// keep their pixels. So does one that fails with only some rows sent (a file cut short in its
// rows, which no decoder makes a picture of).
size_t OpenDescriptors() {
  size_t count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

// Memory the process asked to keep from huge pages, as the plug-in does for every picture's pixels
// (and the sanitizer's allocator does not for what it holds back): pixel memory left behind shows
// here.
size_t NoHugePageBytes() {
  std::ifstream smaps("/proc/self/smaps");
  size_t total = 0, size = 0;
  for (std::string line; std::getline(smaps, line);) {
    if (line.rfind("Size:", 0) == 0) size = std::stoul(line.substr(5)) * 1024;
    if (line.rfind("VmFlags:", 0) == 0 && (line + " ").find(" nh ") != std::string::npos) total += size;
  }
  return total;
}

std::vector<uint8_t> PixelBytes(uint32_t bitmap) {
  const auto* bits = Api().GetBits(bitmap);
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(Api().GetPitch(bitmap)) * Api().GetHeight(bitmap));
}

void CutShort(const std::string& path, double share) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  std::filesystem::resize_file(path, static_cast<uintmax_t>(static_cast<double>(size) * share), error);
}

struct DeathCase {
  const char* file;
  int format;
  rlim_t replyBytes;  // the helper may write before it dies; none: the file is cut short instead
  double fileShare;   // of the file kept when it is cut short
};

class DeathDuringHandOver : public testing::TestWithParam<DeathCase> {};

TEST_P(DeathDuringHandOver, LeavesTheHostAsItWas) {
  VX_REQUIRE_TOOL("convert");
  const DeathCase& c = GetParam();
  TempFolder folder;
  const std::string path = folder / c.file, damaged = folder / (std::string("cut-") + c.file);
  ASSERT_TRUE(RunQuiet("convert -size 1024x768 gradient:red-blue -depth 8 -type TrueColor -compress none " + path));
  std::filesystem::copy_file(path, damaged);
  if (c.fileShare < 1) CutShort(damaged, c.fileShare);
  BitmapHandle held(Api().LoadU(c.format, path.c_str(), 0));
  ASSERT_TRUE(held);
  const std::vector<uint8_t> heldPixels = PixelBytes(held.get());
  const size_t descriptors = OpenDescriptors();
  auto failedLoad = [&] {
    return c.fileShare < 1 ? Api().LoadU(c.format, damaged.c_str(), 0)
                           : LoadWithHelperFileSizeLimit(c.format, path, c.replyBytes);
  };

  EXPECT_EQ(failedLoad(), 0u);
  const size_t advised = NoHugePageBytes();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(failedLoad(), 0u);
  EXPECT_EQ(NoHugePageBytes(), advised) << "pixel memory was left behind";
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(PixelBytes(held.get()), heldPixels);

  BitmapHandle again(Api().LoadU(c.format, path.c_str(), 0));
  ASSERT_TRUE(again);
  EXPECT_EQ(PixelBytes(again.get()), heldPixels);
}

INSTANTIATE_TEST_SUITE_P(Plugin, DeathDuringHandOver,
                         testing::Values(DeathCase{"a.jpg", kFormatJpeg, 0, 1}, DeathCase{"a.jpg", kFormatJpeg, 40, 1},
                                         DeathCase{"a.tif", kFormatTiff, 0, 1}, DeathCase{"a.tif", kFormatTiff, 40, 1},
                                         DeathCase{"a.tif", kFormatTiff, 0, 0.6}),
                         [](const auto& info) {
                           return std::to_string(info.param.format) + "_" + std::to_string(info.param.replyBytes) +
                                  "_" + std::to_string(static_cast<int>(info.param.fileShare * 100));
                         });

}  // namespace
