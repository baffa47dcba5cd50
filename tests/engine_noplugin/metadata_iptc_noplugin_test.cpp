// Without the format plug-in there is no IPTC store: every IPTC member says so.
#include <gtest/gtest.h>

#include <memory>

#include "vexiro/imaging.h"

namespace {

TEST(IptcWithoutPlugin, EveryMemberAnswersPluginRequired) {
  auto engine = std::make_unique<vexiro::cImaging>();
  ASSERT_NE(engine->CreateNewImage(4, 4, 24), 0);
  vexiro::BasicArray<uint8_t> bytes;
  EXPECT_EQ(engine->IPTCTagCount(), 0);
  EXPECT_EQ(engine->GetStat(), vexiro::VximgplugDllRequired);
  EXPECT_EQ(engine->IPTCTagGetID(1), 0);
  EXPECT_EQ(engine->GetStat(), vexiro::VximgplugDllRequired);
  EXPECT_EQ(engine->IPTCTagGetType(1), 0);
  EXPECT_EQ(engine->IPTCTagGetLength(1), 0);
  EXPECT_EQ(engine->IPTCTagGetValueString(1), "");
  EXPECT_EQ(engine->IPTCTagGetValueBytes(1, bytes), "");
  EXPECT_EQ(engine->GetStat(), vexiro::VximgplugDllRequired);
}

}  // namespace
