// IPTC tags read through the format plug-in from a JPEG tagged by exiftool.
#include <gtest/gtest.h>

#include <string>

#include "engine/load/loader.h"
#include "engine/saving_test_support.h"

namespace vx::engine {
namespace {

using saving_test::ScratchFolder;
using saving_test::Shell;
using vexiro::BasicArray;

class IptcTags : public test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    VX_REQUIRE_TOOL("exiftool");
    path_ = folder_.File("iptc.jpg");
    ASSERT_NE(engine_->CreateNewImage(8, 8, 24, -16776961), 0);
    ASSERT_EQ(engine_->SaveAsJPEG(path_), vexiro::OK);
    Shell("exiftool -q -overwrite_original -IPTC:Keywords=alpha -IPTC:Keywords=beta -IPTC:City=Lyon "
          "-IPTC:Urgency=5 '" + path_ + "'");
    ASSERT_NE(Shell("exiftool -IPTC:all -s '" + path_ + "'").find("Lyon"), std::string::npos);
  }
  ScratchFolder folder_;
  std::string path_;
};

TEST_F(IptcTags, ListedWithRecordAndDatasetInTheirIdentifier) {
  ASSERT_NE(engine_->CreateImageFromFile(path_), 0);
  ASSERT_EQ(engine_->IPTCTagCount(), 4);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  struct Expect {
    int32_t id;  // record x 256 + dataset
    int32_t type;
    int32_t length;
    std::string text;
  };
  const Expect expected[] = {
      {2 * 256 + 0, 8, 2, " 4"}, {2 * 256 + 90, 2, 4, "Lyon"}, {2 * 256 + 25, 2, 10, "alpha;beta"}, {2 * 256 + 10, 2, 1, "5"}};
  for (int32_t n = 1; n <= 4; ++n) {
    const Expect& e = expected[n - 1];
    EXPECT_EQ(engine_->IPTCTagGetID(n), e.id) << n;
    EXPECT_EQ(engine_->IPTCTagGetType(n), e.type) << n;
    EXPECT_EQ(engine_->IPTCTagGetLength(n), e.length) << n;
    EXPECT_EQ(engine_->IPTCTagGetValueString(n), e.text) << n;
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  }
}

TEST_F(IptcTags, ValueBytesFillTheCallersArray) {
  ASSERT_NE(engine_->CreateImageFromFile(path_), 0);
  BasicArray<uint8_t> bytes;
  EXPECT_EQ(engine_->IPTCTagGetValueBytes(2, bytes), "Lyon");
  EXPECT_EQ(std::string(bytes.Data().begin(), bytes.Data().end()), "Lyon");
  EXPECT_EQ(bytes.LBound(1), 0);
}

TEST_F(IptcTags, NumbersOutsideTheListAndImagesWithout) {
  ASSERT_NE(engine_->CreateImageFromFile(path_), 0);
  for (int32_t n : {0, 5, -1}) {
    EXPECT_EQ(engine_->IPTCTagGetID(n), 0);
    EXPECT_EQ(engine_->GetStat(), vexiro::PropertyNotFound) << n;
    EXPECT_EQ(engine_->IPTCTagGetValueString(n), "");
    BasicArray<uint8_t> untouched = BasicArray<uint8_t>::FromVector({7});
    EXPECT_EQ(engine_->IPTCTagGetValueBytes(n, untouched), "");
    EXPECT_EQ(untouched.Data(), std::vector<uint8_t>{7});
  }
  // The platform decoders know no IPTC: an image they load has none.
  ScopedImage plain;
  ASSERT_EQ(LoadImageFromFile(*plain.put(), path_, {.DisablePlugin = true}), vexiro::OK);
  vexiro::SavingTestAccess::SetCurrent(*engine_, plain.get());
  EXPECT_EQ(engine_->IPTCTagCount(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  vexiro::SavingTestAccess::SetCurrent(*engine_, 0);
  EXPECT_EQ(engine_->IPTCTagCount(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(engine_->IPTCTagGetID(1), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::PropertyNotFound);
}

}  // namespace
}  // namespace vx::engine
