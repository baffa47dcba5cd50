// Metadata by model (EXIF, IPTC) as tag records, tags the host builds and attaches, resolution
// and ICC profiles.
#include <lcms2.h>

#include <map>

#include "vximgplug_support.h"
#include "support/required_tool.h"

using namespace vximgplug_test;

namespace {

constexpr int kModelMain = 1, kModelExif = 2, kModelIptc = 6;

std::vector<VximgplugTagRecord> TagsOf(int32_t model, uint32_t bitmap) {
  std::vector<VximgplugTagRecord> tags;
  VximgplugTagRecord tag{};
  const uint32_t search = Api().FindFirstMetadata(model, bitmap, &tag);
  if (!search) return tags;
  do tags.push_back(tag);
  while (Api().FindNextMetadata(search, &tag));
  Api().FindCloseMetadata(search);
  return tags;
}

const VximgplugTagRecord* FindId(const std::vector<VximgplugTagRecord>& tags, uint16_t id) {
  for (const auto& t : tags)
    if (t.id == id) return &t;
  return nullptr;
}

uint32_t Gradient24(int width, int height) {
  std::vector<uint8_t> rows(static_cast<size_t>(width) * 3 * height, 128);
  return Api().ConvertFromRawBits(rows.data(), width, height, width * 3, 24, 0, 0, 0, 1);
}

TEST(Metadata, ExifAndIptcOfAJpegByModel) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("exiftool");
  TempFolder folder;
  const std::string path = folder / "tagged.jpg";
  ASSERT_TRUE(RunQuiet("convert -size 8x8 xc:gray -density 72 -units PixelsPerInch " + path));
  ASSERT_TRUE(RunQuiet("exiftool -overwrite_original -EXIF:XResolution=300 -EXIF:YResolution=150 "
                       "-EXIF:ResolutionUnit=inches -EXIF:Make=Vexiro -EXIF:ExposureTime=0.02 "
                       "-IPTC:Keywords=alpha -IPTC:City=Paris " + path));
  BitmapHandle bitmap(Api().LoadU(2, path.c_str(), 0));
  ASSERT_TRUE(bitmap);

  const auto main = TagsOf(kModelMain, bitmap.get());
  EXPECT_EQ(static_cast<size_t>(Api().GetMetadataCount(kModelMain, bitmap.get())), main.size());
  const VximgplugTagRecord* make = FindId(main, 0x010F);
  ASSERT_NE(make, nullptr);
  EXPECT_STREQ(static_cast<const char*>(make->value), "Vexiro");
  EXPECT_STREQ(make->key, "Make");
  // Resolution tags as the bridge reads them: rational, one value, eight bytes.
  const VximgplugTagRecord* xres = FindId(main, 282);
  ASSERT_NE(xres, nullptr);
  EXPECT_EQ(xres->type, 5);
  EXPECT_EQ(xres->count, 1u);
  ASSERT_EQ(xres->length, 8u);
  uint32_t rational[2];
  std::memcpy(rational, xres->value, 8);
  EXPECT_EQ(rational[0] / rational[1], 300u);

  const auto exif = TagsOf(kModelExif, bitmap.get());
  const VximgplugTagRecord* exposure = FindId(exif, 0x829A);
  ASSERT_NE(exposure, nullptr);
  EXPECT_EQ(exposure->type, 5);

  const auto iptc = TagsOf(kModelIptc, bitmap.get());
  ASSERT_EQ(Api().GetMetadataCount(kModelIptc, bitmap.get()), static_cast<int32_t>(iptc.size()));
  std::map<std::string, std::string> values;
  for (const auto& t : iptc) values[t.key] = std::string(static_cast<const char*>(t.value), t.length);
  EXPECT_EQ(values["Keywords"].substr(0, 5), "alpha");
  EXPECT_EQ(values["City"].substr(0, 5), "Paris");

  EXPECT_EQ(Api().GetMetadataCount(99, bitmap.get()), 0);
  VximgplugTagRecord unused{};
  EXPECT_EQ(Api().FindFirstMetadata(kModelExif, 0, &unused), 0u);
}

TEST(Metadata, TagsBuiltByTheHostAttachUnderUniqueKeys) {
  BitmapHandle bitmap(Gradient24(4, 4));
  const uint32_t first = Api().CreateTag();
  const uint32_t second = Api().CreateTag();
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(Api().GetTagKey(first), Api().GetTagKey(second));
  EXPECT_NE(Api().GetTagKey(first), 0u);

  const char text[] = "hello";
  EXPECT_EQ(Api().SetTagKey(first, "ImageDescription"), 1);
  EXPECT_EQ(Api().SetTagType(first, 2), 1);
  EXPECT_EQ(Api().SetTagCount(first, 6), 1);
  EXPECT_EQ(Api().SetTagLength(first, 5), 1);
  EXPECT_EQ(Api().SetTagValue(first, text), 0);  // length and count disagree
  EXPECT_EQ(Api().SetTagLength(first, 6), 1);
  EXPECT_EQ(Api().SetTagValue(first, text), 1);
  EXPECT_EQ(Api().SetTagID(first, 0x010E), 1);
  const std::string key1 = std::to_string(Api().GetTagKey(first));
  EXPECT_EQ(Api().SetMetadata(kModelExif, bitmap.get(), key1.c_str(), first), 1);
  Api().DeleteTag(first);
  EXPECT_EQ(Api().GetTagKey(first), 0u);

  const uint16_t shorts[2] = {7, 9};
  Api().SetTagType(second, 3);
  Api().SetTagCount(second, 2);
  Api().SetTagLength(second, 4);
  Api().SetTagValue(second, shorts);
  Api().SetTagID(second, 0x1234);
  const std::string key2 = std::to_string(Api().GetTagKey(second));
  EXPECT_EQ(Api().SetMetadata(kModelExif, bitmap.get(), key2.c_str(), second), 1);
  Api().DeleteTag(second);

  const auto tags = TagsOf(kModelExif, bitmap.get());
  ASSERT_EQ(tags.size(), 2u);  // the bitmap keeps copies of both
  const VximgplugTagRecord* description = FindId(tags, 0x010E);
  ASSERT_NE(description, nullptr);
  EXPECT_STREQ(static_cast<const char*>(description->value), "hello");
  const VximgplugTagRecord* pair = FindId(tags, 0x1234);
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->count, 2u);
  EXPECT_EQ(static_cast<const uint16_t*>(pair->value)[1], 9);

  EXPECT_EQ(Api().SetMetadata(kModelExif, bitmap.get(), "k", 424242), 0);
  EXPECT_EQ(Api().SetTagID(424242, 1), 0);
  const uint32_t third = Api().CreateTag();
  EXPECT_EQ(Api().SetTagType(third, 99), 0);
  Api().DeleteTag(third);
}

// A search outlives nothing: after its bitmap is unloaded it ends instead of walking freed tags.
TEST(Metadata, SearchOverAnUnloadedBitmapEnds) {
  uint32_t bitmap = Gradient24(4, 4);
  for (int i = 0; i < 3; ++i) Api().WriteFrameDelay(bitmap, 10 * (i + 1));
  Api().WriteLoopCount(bitmap, 2);
  Api().WriteFrameDisposal(bitmap, 1);
  VximgplugTagRecord tag{};
  const uint32_t search = Api().FindFirstMetadata(9, bitmap, &tag);
  ASSERT_NE(search, 0u);
  Api().Unload(bitmap);
  EXPECT_EQ(Api().FindNextMetadata(search, &tag), 0);
  Api().FindCloseMetadata(search);
  BitmapHandle other(Gradient24(1, 1));
  EXPECT_EQ(Api().WriteFrameDisposal(other.get(), 4), 0);
  EXPECT_EQ(Api().WriteLoopCount(other.get(), -1), 0);
  ASSERT_EQ(Api().WriteLoopCount(other.get(), 65536), 1);
  const auto animation = TagsOf(9, other.get());
  ASSERT_EQ(animation.size(), 1u);
  EXPECT_EQ(*static_cast<const uint32_t*>(animation[0].value), 65535u);
}

TEST(Metadata, DotsPerMetreSurviveASave) {
  TempFolder folder;
  BitmapHandle bitmap(Gradient24(5, 5));
  Api().SetDotsPerMeterX(bitmap.get(), 11811);  // 300 dpi
  Api().SetDotsPerMeterY(bitmap.get(), 5906);   // 150 dpi
  EXPECT_EQ(Api().GetDotsPerMeterX(bitmap.get()), 11811u);
  const std::string path = folder / "dpi.tif";
  ASSERT_EQ(Api().SaveU(18, bitmap.get(), path.c_str(), 0), 1);
  BitmapHandle back(Api().LoadU(18, path.c_str(), 0));
  EXPECT_NEAR(Api().GetDotsPerMeterX(back.get()), 11811, 1);
  EXPECT_NEAR(Api().GetDotsPerMeterY(back.get()), 5906, 1);
}

TEST(IccProfile, AttachReadSaveAndDrop) {
  TempFolder folder;
  const std::string profilePath = folder / "srgb.icc";
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  ASSERT_TRUE(cmsSaveProfileToFile(srgb, profilePath.c_str()));
  cmsCloseProfile(srgb);
  const std::vector<uint8_t> profileBytes = ReadBytes(profilePath);

  BitmapHandle bitmap(Gradient24(6, 6));
  EXPECT_EQ(Api().GetICCProfile(bitmap.get(), nullptr), 0u);
  EXPECT_EQ(Api().CreateICCProfileFromFile(bitmap.get(), profilePath.c_str()), profileBytes.size());
  VximgplugIccProfile profile{};
  ASSERT_EQ(Api().GetICCProfile(bitmap.get(), &profile), profileBytes.size());
  EXPECT_EQ(std::vector<uint8_t>(static_cast<const uint8_t*>(profile.data),
                                 static_cast<const uint8_t*>(profile.data) + profile.size),
            profileBytes);

  const std::string tiff = folder / "with.tif";
  ASSERT_EQ(Api().SaveU(18, bitmap.get(), tiff.c_str(), 0x4000 | 1), 1);
  BitmapHandle back(Api().LoadU(18, tiff.c_str(), 1));
  EXPECT_EQ(Api().GetICCProfile(back.get(), nullptr), profileBytes.size());
  Api().DestroyICCProfile(back.get());
  EXPECT_EQ(Api().GetICCProfile(back.get(), nullptr), 0u);

  // A file that is not a profile is refused and changes nothing.
  const std::string junk = folder / "junk.icc";
  WriteBytes(junk, std::vector<uint8_t>(200, 7));
  EXPECT_EQ(Api().CreateICCProfileFromFile(back.get(), junk.c_str()), 0u);
  EXPECT_EQ(Api().CreateICCProfileFromFile(back.get(), (folder / "missing.icc").c_str()), 0u);
  EXPECT_EQ(Api().GetICCProfile(back.get(), nullptr), 0u);
}

}  // namespace
