// Property items: set, replace, read (single and all, values laid after the headers), remove,
// and their belonging to the active frame.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class Properties : public Session {};

Status SetText(GpBitmap* bitmap, PROPID id, std::string text) {
  PropertyItem item;
  item.id = id;
  item.type = PropertyTagTypeASCII;
  item.length = static_cast<ULONG>(text.size() + 1);
  item.value = text.data();
  return GdipSetPropertyItem(bitmap, &item);
}

std::string ReadText(GpBitmap* bitmap, PROPID id) {
  UINT size = 0;
  EXPECT_EQ(GdipGetPropertyItemSize(bitmap, id, &size), Ok);
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(GdipGetPropertyItem(bitmap, id, size, item), Ok);
  EXPECT_EQ(item->value, buffer.data() + sizeof(PropertyItem));  // value right after the header
  EXPECT_EQ(size, sizeof(PropertyItem) + item->length);
  return std::string(static_cast<const char*>(item->value));
}

TEST_F(Properties, SetReplaceReadAndRemove) {
  BitmapPtr bitmap = Make(2, 2, PixelFormat24bppRGB);
  UINT count = 99;
  ASSERT_EQ(GdipGetPropertyCount(bitmap.get(), &count), Ok);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(SetText(bitmap.get(), PropertyTagImageDescription, "first"), Ok);
  uint32_t rational[2] = {300, 1};
  PropertyItem res;
  res.id = PropertyTagXResolution;
  res.type = PropertyTagTypeRational;
  res.length = sizeof(rational);
  res.value = rational;
  ASSERT_EQ(GdipSetPropertyItem(bitmap.get(), &res), Ok);
  ASSERT_EQ(SetText(bitmap.get(), PropertyTagImageDescription, "replaced text"), Ok);

  ASSERT_EQ(GdipGetPropertyCount(bitmap.get(), &count), Ok);
  EXPECT_EQ(count, 2u);
  PROPID ids[2] = {};
  ASSERT_EQ(GdipGetPropertyIdList(bitmap.get(), 2, ids), Ok);
  EXPECT_EQ(ids[0], PropertyTagImageDescription);
  EXPECT_EQ(ids[1], PropertyTagXResolution);
  EXPECT_EQ(GdipGetPropertyIdList(bitmap.get(), 1, ids), InvalidParameter);
  EXPECT_EQ(ReadText(bitmap.get(), PropertyTagImageDescription), "replaced text");

  UINT size = 0;
  ASSERT_EQ(GdipGetPropertyItemSize(bitmap.get(), PropertyTagXResolution, &size), Ok);
  std::vector<uint8_t> small(size - 1);
  EXPECT_EQ(GdipGetPropertyItem(bitmap.get(), PropertyTagXResolution, size - 1,
                                reinterpret_cast<PropertyItem*>(small.data())),
            InvalidParameter);

  ASSERT_EQ(GdipRemovePropertyItem(bitmap.get(), PropertyTagImageDescription), Ok);
  EXPECT_EQ(GdipRemovePropertyItem(bitmap.get(), PropertyTagImageDescription), PropertyNotFound);
  EXPECT_EQ(GdipGetPropertyItemSize(bitmap.get(), PropertyTagImageDescription, &size), PropertyNotFound);
  ASSERT_EQ(GdipGetPropertyCount(bitmap.get(), &count), Ok);
  EXPECT_EQ(count, 1u);
}

TEST_F(Properties, AllItemsShareOneBufferWithValuesAfterTheHeaders) {
  BitmapPtr bitmap = Make(2, 2, PixelFormat24bppRGB);
  ASSERT_EQ(SetText(bitmap.get(), 0x010F, "maker"), Ok);
  ASSERT_EQ(SetText(bitmap.get(), 0x0110, "model name"), Ok);
  PropertyItem empty;
  empty.id = 0x9999;
  empty.type = PropertyTagTypeUndefined;
  ASSERT_EQ(GdipSetPropertyItem(bitmap.get(), &empty), Ok);

  UINT total = 0, count = 0;
  ASSERT_EQ(GdipGetPropertySize(bitmap.get(), &total, &count), Ok);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(total, 3 * sizeof(PropertyItem) + 6 + 11);
  std::vector<uint64_t> storage((total + 7) / 8);
  auto* items = reinterpret_cast<PropertyItem*>(storage.data());
  EXPECT_EQ(GdipGetAllPropertyItems(bitmap.get(), total - 1, count, items), InvalidParameter);
  EXPECT_EQ(GdipGetAllPropertyItems(bitmap.get(), total, count + 1, items), InvalidParameter);
  ASSERT_EQ(GdipGetAllPropertyItems(bitmap.get(), total, count, items), Ok);
  const auto* base = reinterpret_cast<const uint8_t*>(items);
  EXPECT_EQ(items[0].value, base + 3 * sizeof(PropertyItem));
  EXPECT_EQ(items[1].value, base + 3 * sizeof(PropertyItem) + 6);
  EXPECT_STREQ(static_cast<const char*>(items[0].value), "maker");
  EXPECT_STREQ(static_cast<const char*>(items[1].value), "model name");
  EXPECT_EQ(items[2].length, 0u);
  EXPECT_EQ(items[2].id, 0x9999u);
}

TEST_F(Properties, RejectsBadItems) {
  BitmapPtr bitmap = Make(1, 1, PixelFormat24bppRGB);
  PropertyItem item;
  item.id = 1;
  item.length = 4;
  item.value = nullptr;
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), &item), InvalidParameter);
  EXPECT_EQ(GdipSetPropertyItem(bitmap.get(), nullptr), InvalidParameter);
  UINT count = 0;
  EXPECT_EQ(GdipGetPropertyCount(bitmap.get(), nullptr), InvalidParameter);
  EXPECT_EQ(GdipGetPropertyCount(nullptr, &count), InvalidParameter);
}

TEST_F(Properties, BelongToTheActiveFrame) {
  BitmapPtr bitmap = Make(2, 2, PixelFormat24bppRGB);
  Frame second;
  ASSERT_EQ(MakeFrame(2, 2, PixelFormat24bppRGB, second), Ok);
  bitmap->frames.push_back(std::move(second));
  ASSERT_EQ(SetText(bitmap.get(), PropertyTagImageDescription, "page one"), Ok);
  ASSERT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionPage, 1), Ok);
  UINT count = 9;
  ASSERT_EQ(GdipGetPropertyCount(bitmap.get(), &count), Ok);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(SetText(bitmap.get(), PropertyTagImageDescription, "page two"), Ok);
  ASSERT_EQ(GdipImageSelectActiveFrame(bitmap.get(), &FrameDimensionPage, 0), Ok);
  EXPECT_EQ(ReadText(bitmap.get(), PropertyTagImageDescription), "page one");
}

}  // namespace
