// EXIF, TIFF and GPS property items: the tag-name table, values as text, the ExifTag members, and
// files tagged and read back by exiftool.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "control/dispatch.h"
#include "engine/load/loader.h"
#include "engine/metadata/property_items.h"
#include "engine/metadata/property_tag_names.h"
#include "engine/metadata/property_text.h"
#include "engine/saving_test_support.h"

namespace vx::engine {
namespace {

using saving_test::ScratchFolder;
using saving_test::Shell;
using vexiro::BasicArray;

TEST(PropertyTagNames, NamesAsHostsSpellThemAndBack) {
  struct Case {
    uint32_t tag;
    const char* name;
  };
  const Case cases[] = {
      {0x010F, "EquipMake"},        {512, "JPEroc"},          {255, "SubFileType"},
      {27, "ProcessingMethod"},     {301, "TransferFuncition"}, {263, "ThreshHolding"},
      {20539, "ThumbnailCopyRight"}, {7, "GpsGpsTime"},        {282, "XResolution"},
      {0, "GpsVer"},                {50341, "PrintIMData"},   {37510, "ExifUserComment"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PropertyTagName(c.tag), c.name) << c.tag;
    uint32_t tag = 0xFFFFFFFF;
    EXPECT_TRUE(PropertyTagFromName(c.name, tag)) << c.name;
    EXPECT_EQ(tag, c.tag) << c.name;
  }
  EXPECT_EQ(PropertyTagNameCount(), 237);
}

TEST(PropertyTagNames, TagsWithoutNameShowTheirNumberInHex) {
  EXPECT_EQ(PropertyTagName(34853), "8825");
  EXPECT_EQ(PropertyTagName(0xABCD), "ABCD");
  uint32_t tag = 7;
  EXPECT_FALSE(PropertyTagFromName("TransferFunction", tag));  // only the name hosts know
  EXPECT_FALSE(PropertyTagFromName("equipmake", tag));
  EXPECT_EQ(tag, 7u);
}

TEST(PropertyTagNames, EveryNameLeadsBackToItsOwnTag) {
  int32_t named = 0;
  for (uint32_t t = 0; t <= 0xFFFF; ++t) {
    const std::string name = PropertyTagName(t);
    char hex[12];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(t));
    if (name == hex) continue;
    uint32_t back = 0;
    if (!PropertyTagFromName(name, back)) continue;
    ++named;
    EXPECT_EQ(back, t) << name;
  }
  EXPECT_EQ(named, 237);
}

std::vector<uint8_t> Le32(std::initializer_list<int32_t> values) {
  std::vector<uint8_t> out;
  for (int32_t v : values)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  return out;
}

TEST(PropertyValueText, FollowsThePlainNumberFormat) {
  struct Case {
    const char* what;
    uint32_t tag;
    int32_t type;
    std::vector<uint8_t> bytes;
    std::string text;
  };
  const std::vector<uint8_t> longValue(10000, 0x41), almostLong(9999, 1);
  const Case cases[] = {
      {"shorts", 274, 3, {1, 0, 0xFF, 0xFF}, " 1,  65535"},
      {"sshort read unsigned", 1, 8, {0xFF, 0xFF}, " 65535"},
      {"srational below one", 37380, 10, Le32({-1, 2}), "-.5"},
      {"rational whole", 282, 5, Le32({72, 1}), " 72"},
      {"rational list", 2, 5, Le32({48, 1, 30, 1, 15, 2}), " 48,  30,  7.5"},
      {"rational without quotient", 2, 5, Le32({3, 0}), " 3/0"},
      {"rational 15 digits", 2, 5, Le32({1, 3}), " .333333333333333"},
      {"slong", 1, 9, Le32({-5, 7}), "-5,  7"},
      {"long read signed", 1, 4, Le32({-1}), "-1"},
      {"bytes", 0, 1, {2, 3, 0, 0}, " 2,  3,  0,  0"},
      {"undefined", 36864, 7, {0x30, 0x32, 0x32, 0x30}, "30, 32, 32, 30"},
      {"undefined single digit", 1, 7, {0x0A}, "0A"},
      {"ascii with its zero", 271, 2, {'V', 'x', 0}, std::string("Vx\0", 3)},
      {"ascii empty", 271, 2, {}, "0"},
      {"ascii high bytes in ANSI", 271, 2, {0xE9, 0x80}, "\xC3\xA9\xE2\x82\xAC"},
      {"user comment drops its code", 37510, 7, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}, "hi"},
      {"xml packet as text", 700, 1, {'<', 'x'}, "<x"},
      {"unknown type", 1, 13, {1, 2, 3, 4}, "4 Byte"},
      {"10000 bytes whatever the type", 1, 1, longValue, "10000 Byte"},
      {"short by a half element", 1, 3, {5, 0, 9}, " 5"},
  };
  for (const Case& c : cases) {
    const int32_t length = static_cast<int32_t>(c.bytes.size());
    EXPECT_EQ(PropertyValueToString(c.tag, c.type, length, TagTypeValueCount(c.type, length), c.bytes), c.text)
        << c.what;
  }
  EXPECT_NE(PropertyValueToString(1, 1, 9999, 9999, almostLong).find(" 1,  1"), std::string::npos);
}

TEST(PropertyValueText, BasicStrOfNumbers) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{0, " 0"},          {0.5, " .5"},          {-0.5, "-.5"},    {72, " 72"},
                        {-1234.25, "-1234.25"}, {1e20, " 1E+20"}, {0.00001, " 1E-05"}, {0.0001, " .0001"}};
  for (const Case& c : cases) EXPECT_EQ(BasicStr(c.value), c.text) << c.value;
}

class ExifMembers : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    image_ = engine_->CreateNewImage(4, 4, 24);
    ASSERT_NE(image_, 0);
  }
  // The text the item with `tag` reads as, "" when there is none.
  std::string ValueOfTag(uint32_t tag) {
    const int32_t n = engine_->ExifTagCount();
    for (int32_t i = 1; i <= n; ++i)
      if (static_cast<uint32_t>(engine_->ExifTagGetID(i)) == tag) return engine_->ExifTagGetValueString(i);
    return "";
  }
  int32_t image_ = 0;
};

TEST_F(ExifMembers, SetByTextReadsBackByType) {
  struct Case {
    int32_t tag;
    int32_t type;
    const char* text;
    const char* readBack;
    int32_t length;
  };
  const Case cases[] = {
      {0, 1, "2, 3,0 ,0", " 2,  3,  0,  0", 4},
      {271, 2, "Vexiro", "Vexiro", 7},
      {274, 3, " 6 ", " 6", 2},
      {34855, 3, "100, 2.5, 3.5", " 100,  2,  4", 6},  // halves to even
      {41988, 4, "1,-2", " 1, -2", 8},
      {37379, 9, "-7", "-7", 4},
      {282, 5, "72/1", " 72", 8},
      {33434, 5, "1 / 250", " .004", 8},
      {37380, 10, "-1/2", "-.5", 8},
      {2, 5, "48/1, 30/1, 15/2", " 48,  30,  7.5", 24},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine_->ExifTagSetValueString(c.tag, c.type, c.text), vexiro::OK) << c.text;
    EXPECT_EQ(ValueOfTag(static_cast<uint32_t>(c.tag)), c.readBack) << c.text;
  }
  for (int32_t i = 1; i <= engine_->ExifTagCount(); ++i) {
    for (const Case& c : cases)
      if (engine_->ExifTagGetID(i) == c.tag) {
        EXPECT_EQ(engine_->ExifTagGetType(i), c.type);
        EXPECT_EQ(engine_->ExifTagGetLength(i), c.length);
      }
  }
}

TEST_F(ExifMembers, WholeNumberAsRationalIsOverOne) {
  ASSERT_EQ(engine_->ExifTagSetValueString(282, 5, "72/1, 3"), vexiro::OK);
  BasicArray<uint8_t> bytes;
  ASSERT_EQ(engine_->ExifTagGetValueBytes(1, bytes), 16);
  EXPECT_EQ(bytes.Data(), Le32({72, 1, 3, 1}));
  EXPECT_EQ(engine_->ExifTagGetValueString(1), " 72,  3");
}

TEST_F(ExifMembers, UserCommentCarriesItsCharacterCode) {
  ASSERT_EQ(engine_->ExifTagSetValueString(37510, 2, "hello"), vexiro::OK);
  BasicArray<uint8_t> bytes;
  ASSERT_EQ(engine_->ExifTagGetValueBytes(1, bytes), 14);
  EXPECT_EQ(std::string(bytes.Data().begin(), bytes.Data().end()), std::string("ASCII   hello\0", 14));
  EXPECT_EQ(engine_->ExifTagGetValueString(1), "hello") << "the terminating zero is no part of the text";
  ASSERT_EQ(engine_->ExifTagSetValueString(37510, 2, "ASCII   again"), vexiro::OK);
  EXPECT_EQ(engine_->ExifTagGetValueString(1), "again");
}

TEST_F(ExifMembers, RefusedInputs) {
  struct Case {
    int32_t type;
    const char* text;
    VexiroStatus status;
  };
  const Case cases[] = {{7, "1", vexiro::InvalidParameter}, {8, "1", vexiro::InvalidParameter},
                        {12, "1", vexiro::InvalidParameter}, {3, "", vexiro::InvalidParameter},
                        {3, "   ", vexiro::InvalidParameter}, {2, "", vexiro::InvalidParameter}};
  for (const Case& c : cases) EXPECT_EQ(engine_->ExifTagSetValueString(305, c.type, c.text), c.status) << c.type;
  EXPECT_EQ(engine_->ExifTagCount(), 0);

  struct Overflow {
    int32_t type;
    const char* text;
  };
  const Overflow overflows[] = {{1, "256"}, {1, "-1"}, {3, "32768"}, {4, "2147483648"}, {5, "1/4294967296"}};
  // An overflow is a run-time error: a C++ caller gets GenericError, a script host error 6.
  const vx::control::Dispatch byName(*engine_);
  for (const Overflow& o : overflows) {
    VexiroStatus status = vexiro::OK;
    EXPECT_NO_THROW(status = engine_->ExifTagSetValueString(305, o.type, o.text)) << o.text;
    EXPECT_EQ(status, vexiro::GenericError) << o.text;
    EXPECT_EQ(engine_->GetStat(), vexiro::GenericError) << o.text;
    std::vector<vx::control::Variant> args = {vx::control::Variant::I4(305), vx::control::Variant::I4(o.type),
                                              vx::control::Variant::Str(o.text)};
    std::vector<vx::control::NamedArgument> named;
    vx::control::Variant result;
    vx::control::ExceptionInfo error;
    EXPECT_EQ(byName.InvokeByName("ExifTagSetValueString", args, named, result, &error), vx::control::DISP_E_EXCEPTION);
    EXPECT_EQ(error.number, 6) << o.text;
  }
  EXPECT_EQ(engine_->ExifTagCount(), 0) << "an overflowing list writes nothing";
}

TEST_F(ExifMembers, IndexOutsideTheListAndNoImage) {
  ASSERT_EQ(engine_->ExifTagSetValueString(274, 3, "1"), vexiro::OK);
  for (int32_t n : {0, 2, -1}) {
    EXPECT_EQ(engine_->ExifTagGetID(n), 0);
    EXPECT_EQ(engine_->ExifTagGetLength(n), 0);
    EXPECT_EQ(engine_->ExifTagGetType(n), 7);
    EXPECT_EQ(engine_->ExifTagGetName(n), "");
    EXPECT_EQ(engine_->ExifTagGetValueString(n), "");
    BasicArray<uint8_t> untouched = BasicArray<uint8_t>::FromVector({9, 9});
    EXPECT_EQ(engine_->ExifTagGetValueBytes(n, untouched), 2);
    EXPECT_EQ(untouched.Data(), (std::vector<uint8_t>{9, 9}));
    EXPECT_EQ(engine_->ExifTagDelete(n), vexiro::PropertyNotFound);
  }
  EXPECT_EQ(engine_->ExifTagGetName(1), "Orientation");
  ASSERT_EQ(engine_->CloseImage(image_), vexiro::OK);
  EXPECT_EQ(engine_->ExifTagCount(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(engine_->ExifTagGetName(1), "");
  EXPECT_NE(engine_->ExifTagSetValueString(274, 3, "1"), vexiro::OK);
}

TEST_F(ExifMembers, DeleteOneAndAll) {
  for (int32_t tag : {270, 271, 272, 305, 315})
    ASSERT_EQ(engine_->ExifTagSetValueString(tag, 2, "x"), vexiro::OK);
  ASSERT_EQ(engine_->ExifTagDelete(2), vexiro::OK);
  ASSERT_EQ(engine_->ExifTagCount(), 4);
  EXPECT_EQ(engine_->ExifTagGetID(2), 272) << "later items shift down";
  EXPECT_EQ(engine_->ExifTagDeleteAll(), vexiro::OK);
  EXPECT_EQ(engine_->ExifTagCount(), 0);
}

TEST_F(ExifMembers, SetBytesKeepsTypeAndWholeArray) {
  BasicArray<uint8_t> bytes({vexiro::ArrayBound{5, 4}});
  bytes.Data() = {0x30, 0x32, 0x33, 0x30};
  ASSERT_EQ(engine_->ExifTagSetValueBytes(36864, 7, bytes), vexiro::OK);
  EXPECT_EQ(engine_->ExifTagGetType(1), 7);
  EXPECT_EQ(engine_->ExifTagGetValueString(1), "30, 32, 33, 30");
}

// ---- Files written and read by exiftool ----

std::string ExiftoolValue(const std::string& path, const std::string& tag) {
  std::string out = Shell("exiftool -s3 -n -" + tag + " '" + path + "'");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// An 8 x 8 picture saved through the engine and then tagged by exiftool, one tag of each type.
std::string TaggedByExiftool(vexiro::cImaging& engine, const ScratchFolder& folder, const std::string& name) {
  const std::string path = folder.File(name);
  const bool jpeg = name.ends_with(".jpg");
  EXPECT_NE(engine.CreateNewImage(8, 8, 24, -65536), 0);
  EXPECT_EQ(jpeg ? engine.SaveAsJPEG(path) : engine.SaveAsTIFF(path), vexiro::OK);
  Shell("exiftool -q -overwrite_original -Make=Vexiro -Orientation#=6 -ISO=200 -ExposureTime=1/250 "
        "-ExposureCompensation=-0.5 -BrightnessValue=-3 -UserComment='hello there' -GPSLatitude=48.5 "
        "-GPSLatitudeRef=N -GPSVersionID='2 3 0 0' -ComponentsConfiguration#='1 2 3 0' '" + path + "'");
  return path;
}

class ExifFiles : public test_support::EngineTest {};

TEST_F(ExifFiles, ReadFromFilesTaggedByExiftool) {
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  struct Expect {
    uint32_t tag;
    int32_t type;
    std::string text;
  };
  const std::vector<Expect> expected = {
      {271, 2, "Vexiro"},
      {274, 3, " 6"},
      {34855, 3, " 200"},
      {33434, 5, " .004"},
      {37380, 10, "-.5"},
      {37379, 10, "-3"},
      {37510, 7, "hello there"},
      {37121, 7, "01, 02, 03, 00"},
      {1, 2, "N"},
      {2, 5, " 48,  30,  0"},
      {0, 1, " 2,  3,  0,  0"},
  };
  for (const char* name : {"tagged.jpg", "tagged.tif"}) {
    const std::string path = TaggedByExiftool(*engine_, folder, name);
    ScopedImage loaded;
    ASSERT_EQ(LoadImageFromFile(*loaded.put(), path, {.DisablePlugin = true}), vexiro::OK) << name;
    vexiro::SavingTestAccess::SetCurrent(*engine_, loaded.get());
    for (const Expect& e : expected) {
      bool found = false;
      for (int32_t i = 1; i <= engine_->ExifTagCount(); ++i) {
        if (static_cast<uint32_t>(engine_->ExifTagGetID(i)) != e.tag) continue;
        found = true;
        EXPECT_EQ(engine_->ExifTagGetType(i), e.type) << name << " " << e.tag;
        EXPECT_EQ(engine_->ExifTagGetValueString(i), e.text) << name << " " << e.tag;
      }
      EXPECT_TRUE(found) << name << " has no tag " << e.tag;
    }
  }
}

TEST_F(ExifFiles, WrittenByTextAndBytesReadByExiftool) {
  VX_REQUIRE_TOOL("exiftool");
  ScratchFolder folder;
  for (const char* name : {"set.jpg", "set.tif"}) {
    ASSERT_NE(engine_->CreateNewImage(8, 8, 24, -16711936), 0);
    ASSERT_EQ(engine_->ExifTagSetValueString(271, 2, "Maker"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(274, 3, "8"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(33434, 5, "1/60"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(37380, 10, "-2/3"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(37510, 2, "a comment"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(2, 5, "10/1, 20, 30/1"), vexiro::OK);
    ASSERT_EQ(engine_->ExifTagSetValueString(1, 2, "N"), vexiro::OK);
    BasicArray<uint8_t> version = BasicArray<uint8_t>::FromVector({'0', '2', '3', '0'});
    ASSERT_EQ(engine_->ExifTagSetValueBytes(36864, 7, version), vexiro::OK);
    const std::string path = folder.File(name);
    ASSERT_EQ(std::string(name).ends_with(".jpg") ? engine_->SaveAsJPEG(path) : engine_->SaveAsTIFF(path), vexiro::OK);

    EXPECT_EQ(ExiftoolValue(path, "Make"), "Maker") << name;
    EXPECT_EQ(ExiftoolValue(path, "Orientation"), "8") << name;
    EXPECT_EQ(ExiftoolValue(path, "ExposureTime"), "0.01666666667") << name;
    EXPECT_EQ(ExiftoolValue(path, "ExposureCompensation"), "-0.6666666667") << name;
    EXPECT_EQ(ExiftoolValue(path, "UserComment"), "a comment") << name;
    EXPECT_EQ(ExiftoolValue(path, "GPSLatitude"), "10.3416666666667") << name;  // 10 + 20/60 + 30/3600
    EXPECT_EQ(ExiftoolValue(path, "ExifVersion"), "0230") << name;
  }
}

}  // namespace
}  // namespace vx::engine
