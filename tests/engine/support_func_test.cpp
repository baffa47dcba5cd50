// The support entry point: each number reaches its service, any other changes nothing.
#include <gtest/gtest.h>

#include "engine/saving_test_support.h"

namespace vexiro {
namespace {

using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

constexpr int32_t kSaveAsJBIG = 58203741, kBorderReport = 47190362;

class SupportFuncTest : public vx::engine::test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  VexiroStatus Call(int32_t id) { return E().SupportFunc(id, d1, d2, d3, l1, l2, l3, s1, s2, s3); }
  double d1 = 0, d2 = 0, d3 = 0;
  int32_t l1 = 0, l2 = 0, l3 = 0;
  std::string s1, s2, s3;
};

TEST_F(SupportFuncTest, BorderReportFillsTheDoubleAndTheLongs) {
  // A red frame 5 pixels wide around a white page.
  const int32_t id = MakeFilled(60, 40, gp::PixelFormat24bppRGB, [](int32_t x, int32_t y) {
    return x < 5 || y < 5 || x >= 55 || y >= 35 ? 0xFFFF0000u : 0xFFFFFFFFu;
  });
  SavingTestAccess::SetCurrent(E(), id);
  d1 = 99.6;  // confidence 100
  d2 = 2.5;   // halves go to even: corner 2, the top right
  d3 = -1, l1 = l2 = l3 = -1;
  EXPECT_EQ(Call(kBorderReport), OK);
  EXPECT_EQ(d3, 5.0);
  EXPECT_EQ((std::vector<int32_t>{l1, l2, l3}), (std::vector<int32_t>{5, 50, 30}));
  EXPECT_EQ(E().GetWidth(), 60) << "the report leaves the image";
}

TEST_F(SupportFuncTest, AnyOtherNumberKeepsTheLastStatusAndTheArguments) {
  SavingTestAccess::SetStat(E(), InvalidParameter);
  d1 = 1.5, l1 = 7, s1 = "kept";
  for (int32_t id : {0, 1, 47190363, -58203741}) {
    EXPECT_EQ(Call(id), InvalidParameter);
    EXPECT_EQ(E().GetStat(), InvalidParameter);
  }
  EXPECT_EQ(d1, 1.5);
  EXPECT_EQ(l1, 7);
  EXPECT_EQ(s1, "kept");
}

TEST_F(SupportFuncTest, JbigSaveWritesTheCurrentImageToTheFirstString) {
  ScratchFolder folder;
  s1 = folder.File("page.jbg");
  EXPECT_EQ(Call(kSaveAsJBIG), GenericError) << "no current image";
  EXPECT_FALSE(FileExists(s1));

  const int32_t id = MakeFilled(64, 48, gp::PixelFormat1bppIndexed, [](int32_t x, int32_t y) {
    return (x / 8 + y / 6) % 2 ? 0xFF000000u : 0xFFFFFFFFu;
  });
  SavingTestAccess::SetCurrent(E(), id);
  const std::vector<ARGB> written = ArgbPixelsOf(id);
  ASSERT_EQ(Call(kSaveAsJBIG), OK);
  EXPECT_EQ(E().GetStat(), OK);
  const int32_t back = E().CreateImageFromFile(s1);
  ASSERT_NE(back, 0);
  EXPECT_EQ(E().GetImageFormat(), "JBIG");
  EXPECT_EQ(ArgbPixelsOf(back), written);
}

}  // namespace
}  // namespace vexiro
