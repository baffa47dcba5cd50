#include <gtest/gtest.h>

#include "platform/ole/ole.h"

namespace {

using namespace vx;

TEST(OleGuid, RegistryFormRoundTrip) {
  const GUID id = MakeGuid(0x37D84F60, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51);
  EXPECT_EQ(ole::StringFromGUID2(id), "{37D84F60-42CB-11CE-8135-00AA004BB851}");
  GUID back;
  ASSERT_EQ(ole::CLSIDFromString("{37d84f60-42cb-11ce-8135-00aa004bb851}", &back), S_OK);
  EXPECT_EQ(back, id);
  EXPECT_EQ(ole::StringFromGUID2(GUID{}), "{00000000-0000-0000-0000-000000000000}");
  const GUID ones = MakeGuid(0xFFFFFFFF, 0xFFFF, 0xFFFF, 255, 255, 255, 255, 255, 255, 255, 255);
  ASSERT_EQ(ole::CLSIDFromString(ole::StringFromGUID2(ones), &back), S_OK);
  EXPECT_EQ(back, ones);
}

TEST(OleGuid, MalformedTextsAreRefusedAndLeaveTheGuidAlone) {
  const GUID sentinel = MakeGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  for (const char* bad : {
           "",
           "37D84F60-42CB-11CE-8135-00AA004BB851",
           "{37D84F60-42CB-11CE-8135-00AA004BB851",
           "{37D84F60-42CB-11CE-8135-00AA004BB8511}",
           "{37D84F60-42CB-11CE-8135-00AA004BB85}",
           "{37D84F6042CB-11CE-8135-00AA004BB8511}",
           "{37D84F60-42CB-11CE-813500AA-004BB851}",
           "{37D84F6G-42CB-11CE-8135-00AA004BB851}",
           "{ 7D84F60-42CB-11CE-8135-00AA004BB851}",
           "{+7D84F60-42CB-11CE-8135-00AA004BB851}",
           "(37D84F60-42CB-11CE-8135-00AA004BB851)",
       }) {
    GUID id = sentinel;
    EXPECT_EQ(ole::CLSIDFromString(bad, &id), ole::CO_E_CLASSSTRING) << bad;
    EXPECT_EQ(id, sentinel) << bad;
  }
  EXPECT_EQ(ole::CLSIDFromString("{37D84F60-42CB-11CE-8135-00AA004BB851}", nullptr), E_INVALIDARG);
}

}  // namespace
