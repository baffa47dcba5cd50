// The property snapshot around a transform, seen through the colour reduction of the current
// image, which builds a new bitmap and puts it under the old identifier.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "engine/saving_test_support.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

struct Item {
  gp::PROPID tag;
  gp::WORD type;
  std::vector<uint8_t> bytes;
};

const Item kItems[] = {
    {0x010E, gp::PropertyTagTypeASCII, {'H', 'i', 0}},
    {0x9286, gp::PropertyTagTypeUndefined, {1, 2, 3, 4, 5}},
    {0x0112, gp::PropertyTagTypeShort, {6, 0}},
};

void SetItem(int32_t id, const Item& item) {
  gp::PropertyItem p;
  p.id = item.tag;
  p.type = item.type;
  p.length = static_cast<gp::ULONG>(item.bytes.size());
  std::vector<uint8_t> value = item.bytes;
  p.value = value.data();
  ASSERT_EQ(gp::GdipSetPropertyItem(GetGpImage(id), &p), gp::Ok);
}

// The item's type and bytes, or nothing when the image does not carry it.
std::optional<Item> GetItem(int32_t id, gp::PROPID tag) {
  gp::UINT size = 0;
  if (gp::GdipGetPropertyItemSize(GetGpImage(id), tag, &size) != gp::Ok) return std::nullopt;
  std::vector<uint64_t> buffer((size + 7) / 8);
  auto* p = reinterpret_cast<gp::PropertyItem*>(buffer.data());
  if (gp::GdipGetPropertyItem(GetGpImage(id), tag, size, p) != gp::Ok) return std::nullopt;
  const auto* v = static_cast<const uint8_t*>(p->value);
  return Item{p->id, p->type, std::vector<uint8_t>(v, v + p->length)};
}

class PropertySnapshot : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t MakeCurrentPicture() {
    const int32_t id = MakeFilled(5, 3, gp::PixelFormat24bppRGB, [](int x, int y) { return 0xFF000000u | (x * 40) << 8 | y * 60; });
    EXPECT_EQ(SetImageResolution(id, 150.0f, 300.0f), OK);
    for (const Item& item : kItems) SetItem(id, item);
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
};

TEST_F(PropertySnapshot, ItemsAndResolutionSurviveATransform) {
  const int32_t id = MakeCurrentPicture();
  int32_t colors = 256;
  ASSERT_EQ(SavingTestAccess::QuantizeCore(E(), colors, false, 0), OK);
  EXPECT_EQ(SavingTestAccess::Current(E()), id) << "the identifier survives";
  EXPECT_EQ(GetImagePixelFormatValue(id), gp::PixelFormat8bppIndexed);
  float h = 0, v = 0;
  GetImageHorizontalResolution(id, h);
  GetImageVerticalResolution(id, v);
  EXPECT_EQ(h, 150.0f);
  EXPECT_EQ(v, 300.0f);
  for (const Item& item : kItems) {
    const std::optional<Item> got = GetItem(id, item.tag);
    ASSERT_TRUE(got) << std::hex << item.tag;
    EXPECT_EQ(got->type, item.type);
    EXPECT_EQ(got->bytes, item.bytes);
  }
  EXPECT_EQ(SavingTestAccess::SavedPropertyItemCount(E()), 0) << "the snapshot is consumed";
}

TEST_F(PropertySnapshot, WithoutPreservationNoItemIsCarried) {
  const int32_t id = MakeCurrentPicture();
  SavingTestAccess::SetTagsPreserve(E(), false);
  int32_t colors = 256;
  ASSERT_EQ(SavingTestAccess::QuantizeCore(E(), colors, false, 0), OK);
  for (const Item& item : kItems) EXPECT_FALSE(GetItem(id, item.tag)) << std::hex << item.tag;
  float v = 0;
  GetImageVerticalResolution(id, v);
  EXPECT_EQ(v, 300.0f) << "the resolution is always restored";
}

TEST_F(PropertySnapshot, QuantizeCoreNeedsAnImage) {
  int32_t colors = 256;
  EXPECT_EQ(SavingTestAccess::QuantizeCore(E(), colors, false, 0), GenericError);
  SavingTestAccess::SetCurrent(E(), 31337);
  EXPECT_EQ(SavingTestAccess::QuantizeCore(E(), colors, false, 0), InvalidParameter);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(ImageSlotCount(), 0);
}

}  // namespace
}  // namespace vexiro
