// The filter members against their table: each one, called by name as a host calls it, must
// reach the filter engine once with its row's filter and constants and its arguments in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "control/dispatch.h"
#include "processing/filter_test_support.h"
#include "processing/filters/filter_member_table.h"
#include "processing/filters/filter_write_back.h"
#include "processing/filters/flood_fill.h"
#include "processing/processing_test_access.h"

namespace vexiro {
namespace {

using namespace vx::processing::filter_test;
using vx::control::Variant;
using vx::processing::FilterCall;
using vx::processing::FilterMemberRow;

struct Recorded {
  FilterCall call;
  int32_t image = 0;
  FilterArea area;
};
std::vector<Recorded> gCalls;

VexiroStatus Record(int32_t filterId, int32_t imageId, double p1, FilterArea& area, float f1, float f2, float f3,
                    double p2, double p3, double p4, double&) {
  gCalls.push_back({{filterId, {p1, p2, p3, p4}, {f1, f2, f3}}, imageId, area});
  return OK;
}

class FilterMembers : public vx::engine::test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    gCalls.clear();
  }
  void TearDown() override {
    vx::processing::ReplaceFilterEngineEntry(nullptr);
    EngineTest::TearDown();
  }
  cImaging& E() { return *engine_; }
  int32_t MakeCurrent(int32_t id) {
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  void Recording() { vx::processing::ReplaceFilterEngineEntry(Record); }
  // Calls `member` by name with the given numbers; the dispatch converts them to the member's types.
  VexiroStatus CallByName(std::string_view member, const std::vector<double>& args) {
    vx::control::Dispatch dispatch(E());
    std::vector<Variant> positional;
    for (double a : args) positional.push_back(Variant::R8(a));
    std::vector<vx::control::NamedArgument> named;
    Variant result;
    EXPECT_EQ(dispatch.InvokeByName(member, positional, named, result), vx::S_OK) << member;
    return static_cast<VexiroStatus>(result.AsI4());
  }
};

void ExpectCall(const Recorded& got, const FilterCall& want, const std::string& what) {
  EXPECT_EQ(got.call.filterId, want.filterId) << what;
  for (size_t i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(got.call.params[i], want.params[i]) << what << " Param" << i + 1;
  for (size_t i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(got.call.f[i], want.f[i]) << what << " F" << i + 1;
}

// Members whose own arguments reach the engine changed: probe arguments in, engine arguments out.
struct Adjusted {
  std::string_view member;
  std::vector<double> in, out;
};
const Adjusted kAdjusted[] = {
    {"SetGammaCorrection", {3}, {103}},
    {"FxSoften", {500}, {100}},
    {"FxBlackNWhiteT", {3}, {3 * 65793.0}},
    {"FxColorize", {3, 4, 5}, {7 / 40.0, 0.04, 0.05}},
};

TEST_F(FilterMembers, EveryRowReachesTheEngineOnceWithItsFilterConstantsAndArguments) {
  const int32_t id = MakeCurrent(MakePhoto(5, 4));
  ProcessingTestAccess::SetRegion(E(), {1, 1, 3, 2});
  E().MatrixCreate3x3x(0, 0, 0, 0, 0, 0, 0, 0, 0);
  Recording();
  for (const FilterMemberRow& row : vx::processing::FilterMemberRows()) {
    std::vector<double> in, out;
    if (row.choice != 0) in.push_back(row.choice);
    for (auto slot : row.slots)
      if (slot != vx::processing::NoSlot) in.push_back(3 + in.size());
    out = in;
    for (const Adjusted& a : kAdjusted)
      if (a.member == row.member) in = a.in, out = a.out;
    if (row.choice != 0) out.clear();
    if (row.member == "MatrixFilter3x3x") in = {1, 1}, out.clear();  // matrix numbers, not engine arguments
    gCalls.clear();
    const std::string what(row.member);
    EXPECT_EQ(CallByName(row.member, in), OK) << what;
    ASSERT_EQ(gCalls.size(), 1u) << what;
    ExpectCall(gCalls[0], vx::processing::WithArguments(row, out), what);
    EXPECT_EQ(gCalls[0].image, id) << what;
    EXPECT_EQ(gCalls[0].area.X, 1) << what << ": the processing rectangle";
    EXPECT_EQ(gCalls[0].area.Height, 2) << what;
  }
}

TEST_F(FilterMembers, ShortFormsPassTheExactThresholdAndLimitsHoldAtBothEnds) {
  MakeCurrent(MakePhoto(5, 4));
  Recording();
  struct Pair {
    const char* what;
    std::function<void()> a, b;
  };
  const Pair pairs[] = {
      {"SetTransparencyColor is the exact match", [&] { E().SetTransparencyColor(0x11223344); },
       [&] { E().SetTransparencyColorEx(0x11223344, 100); }},
      {"SwapColor is the exact match", [&] { E().SwapColor(1, 2); }, [&] { E().SwapColorEx(1, 2, 100); }},
      {"black-and-white threshold 0 acts as 1", [&] { E().FxBlackNWhiteT(0); }, [&] { E().FxBlackNWhiteT(1); }},
      {"black-and-white threshold 255 acts as 254", [&] { E().FxBlackNWhiteT(255); },
       [&] { E().FxBlackNWhiteT(254); }},
      {"soften -3 acts as 1", [&] { E().FxSoften(-3); }, [&] { E().FxSoften(1); }},
  };
  for (const Pair& p : pairs) {
    gCalls.clear();
    p.a();
    p.b();
    ASSERT_EQ(gCalls.size(), 2u) << p.what;
    ExpectCall(gCalls[0], gCalls[1].call, p.what);
  }
  gCalls.clear();
  E().SetGammaCorrection(0);
  E().FxColorize(100, 50, 100);
  ASSERT_EQ(gCalls.size(), 2u);
  EXPECT_DOUBLE_EQ(gCalls[0].call.params[0], 100) << "gamma 0 is no change";
  EXPECT_FLOAT_EQ(gCalls[1].call.f[0], 0) << "hue 100 wraps to 0";
}

TEST_F(FilterMembers, WithoutACurrentImageNothingRuns) {
  Recording();
  for (const FilterMemberRow& row : vx::processing::FilterMemberRows()) {
    std::vector<double> in;
    if (row.choice != 0) in.push_back(row.choice);
    for (auto slot : row.slots)
      if (slot != vx::processing::NoSlot) in.push_back(1);
    if (row.member == "MatrixFilter3x3x") in = {1, 1};
    EXPECT_EQ(CallByName(row.member, in), GenericError) << row.member;
  }
  EXPECT_EQ(E().FloodFill(0, 0, 0), GenericError);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(FilterMembers, MatrixNumbersAndThePatternRecord) {
  const int32_t id = MakeCurrent(MakeFilled(5, 5, vx::gdiplus::PixelFormat32bppARGB,
                                            [](int32_t x, int32_t y) { return x == 2 && y == 2 ? 0xFF000000u : 0xFFFFFFFFu; }));
  EXPECT_EQ(E().MatrixCreate3x3x(1, 2, 3, 4, 5, 6, 7, 8, 9), 1);
  EXPECT_EQ(E().MatrixCreate3x3x(-1, -1, -1, -1, -1, -1, -1, -1, -1), 2);
  Recording();
  E().FxRedEyesCorrection();  // leaves OK as the last status
  gCalls.clear();
  struct Case {
    int32_t in, out;
    VexiroStatus status;
    bool runs;
  };
  const Case cases[] = {{1, 3, OK, false}, {3, 1, OK, false}, {0, 1, InvalidParameter, false},
                        {1, -5, InvalidParameter, false}, {2, 1, OK, true}};
  for (const Case& c : cases) {
    gCalls.clear();
    EXPECT_EQ(E().MatrixFilter3x3x(c.in, c.out), c.status) << c.in << "," << c.out;
    EXPECT_EQ(gCalls.size(), c.runs ? 1u : 0u) << c.in << "," << c.out;
  }
  const vx::processing::FilterPattern& pattern = vx::processing::GetFilterPattern();
  EXPECT_EQ(pattern[0], 0xFFFFFFFFu);
  EXPECT_EQ(pattern[9], 1u);
  EXPECT_EQ(pattern[17], 9u);

  // The real engine: the parasite pattern removes the lone dot.
  vx::processing::ReplaceFilterEngineEntry(nullptr);
  ASSERT_EQ(E().FxParasite(), OK);
  const std::vector<ARGB> px = ArgbPixelsOf(id);
  EXPECT_EQ(std::count(px.begin(), px.end(), 0xFFFFFFFFu), 25);
}

// Transparency needs an alpha channel and the tone members need more than two levels: the
// members widen the image first.
TEST_F(FilterMembers, PreparationsWidenTheImageBeforeTheFilter) {
  struct Case {
    const char* what;
    vx::gdiplus::PixelFormat before, after;
    std::function<VexiroStatus(cImaging&)> call;
  };
  const Case cases[] = {
      {"transparency", vx::gdiplus::PixelFormat24bppRGB, vx::gdiplus::PixelFormat32bppARGB,
       [](cImaging& e) { return e.SetTransparency(-50); }},
      {"transparent colour", vx::gdiplus::PixelFormat24bppRGB, vx::gdiplus::PixelFormat32bppARGB,
       [](cImaging& e) { return e.SetTransparencyColor(static_cast<int32_t>(0xFFFFFFFFu)); }},
      {"brightness", vx::gdiplus::PixelFormat1bppIndexed, vx::gdiplus::PixelFormat8bppIndexed,
       [](cImaging& e) { return e.SetBrightness(10); }},
      {"gamma", vx::gdiplus::PixelFormat1bppIndexed, vx::gdiplus::PixelFormat8bppIndexed,
       [](cImaging& e) { return e.SetGammaCorrection(0); }},
  };
  for (const Case& c : cases) {
    const int32_t id = MakeCurrent(
        MakeFilled(4, 3, c.before, [](int32_t x, int32_t) { return x % 2 ? 0xFFFFFFFFu : 0xFF000000u; }));
    ASSERT_EQ(c.call(E()), OK) << c.what;
    EXPECT_EQ(vx::engine::GetImagePixelFormatValue(E().GetNativeImage()), c.after) << c.what;
    vx::engine::ReleaseImage(E().GetNativeImage());
    if (E().GetNativeImage() != id) vx::engine::ReleaseImage(id);
  }
  const int32_t id = MakeCurrent(MakePhoto(4, 3, vx::gdiplus::PixelFormat24bppRGB));
  ASSERT_EQ(E().SetTransparency(-300), OK);
  const std::vector<ARGB> px = ArgbPixelsOf(id);
  EXPECT_EQ(px[0] >> 24, 0u) << "fully transparent after the widening";
}

TEST_F(FilterMembers, AnUnknownBlackAndWhiteModeLeavesTheLastStatus) {
  MakeCurrent(MakePhoto(3, 3));
  Recording();
  E().MatrixFilter3x3x(0, 0);  // InvalidParameter
  EXPECT_EQ(E().FxBlackNWhite(7), InvalidParameter);
  EXPECT_TRUE(gCalls.empty());
}

using FloodFillByRuns = FilterMembers;

TEST_F(FilterMembers, FloodFillStopsAtTheShapeAndKeepsItsHole) {
  // A black ring around a white hole on a white page: 'r' red, 'b' blue after the fills.
  const std::vector<std::string> page = {".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......."};
  const std::vector<std::string> filled = {"rrrrrrr", "r#####r", "r#bbb#r", "r#bbb#r", "r#####r", "rrrrrrr"};
  auto colour = [](char c) {
    return c == '#' ? 0xFF000000u : c == 'r' ? 0xFFFF0000u : c == 'b' ? 0xFF0000FFu : 0xFFFFFFFFu;
  };
  const int32_t id = MakeCurrent(MakeFilled(7, 6, vx::gdiplus::PixelFormat24bppRGB,
                                            [&](int32_t x, int32_t y) { return colour(page[y][x]); }));
  ProcessingTestAccess::SetRegion(E(), {0, 0, 1, 1});  // the fill ignores the rectangle
  const std::vector<ARGB> before = ArgbPixelsOf(id);
  for (auto [x, y] : {std::pair{7, 0}, std::pair{0, 6}, std::pair{-1, 2}}) {
    EXPECT_EQ(E().FloodFill(x, y, 0x7FFF0000), Win32Error) << x << "," << y;
    EXPECT_EQ(ArgbPixelsOf(id), before);
  }
  ASSERT_EQ(E().FloodFill(0, 0, 0x7FFF0000), OK);  // the colour's alpha is ignored
  ASSERT_EQ(E().FloodFill(3, 2, 0xFF0000FF), OK);
  const std::vector<ARGB> got = ArgbPixelsOf(id);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(got[y * 7 + x], colour(filled[y][x])) << x << "," << y;
}

// Pages whose regions are long and thin everywhere: a serpentine corridor, a comb with one-pixel
// teeth, and scattered specks on a page. '#' is ink, everything else paper.
std::vector<std::string> MazePage(int32_t w, int32_t h, int kind) {
  std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
  uint32_t seed = 12345;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      bool ink = false;
      if (kind == 0) ink = y % 2 == 1 && (y % 4 == 1 ? x != w - 1 : x != 0);  // serpentine rows
      if (kind == 1) ink = y > 0 && x % 2 == 1;                               // comb hanging from row 0
      if (kind == 2) ink = ((seed = seed * 1103515245u + 12345u) >> 16) % 7 == 0;
      if (ink) rows[y][x] = '#';
    }
  }
  rows[0][0] = '.';  // where the fills start
  return rows;
}

// The 4-connected paper region from (0, 0), found pixel by pixel.
std::vector<bool> RegionFromOrigin(const std::vector<std::string>& rows) {
  const int32_t h = static_cast<int32_t>(rows.size()), w = static_cast<int32_t>(rows[0].size());
  std::vector<bool> in(static_cast<size_t>(w) * h, false);
  std::vector<std::pair<int32_t, int32_t>> queue{{0, 0}};
  in[0] = true;
  for (size_t next = 0; next < queue.size(); ++next) {
    const auto [x, y] = queue[next];
    const std::pair<int32_t, int32_t> around[] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (const auto& [nx, ny] : around) {
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
      if (rows[ny][nx] == '#' || in[static_cast<size_t>(ny) * w + nx]) continue;
      in[static_cast<size_t>(ny) * w + nx] = true;
      queue.push_back({nx, ny});
    }
  }
  return in;
}

// Pages of corridors, teeth and specks fill exactly their region, and the runs waiting to be
// filled never outnumber a row and a column: the fill's memory follows the page's runs, where a
// pixel-by-pixel fill kept several entries per pixel. Through the member, in 1 bit with either
// palette order and in 24 bits, nothing but the region changes.
TEST_F(FloodFillByRuns, FillsTheRegionWithFewRunsWaiting) {
  constexpr int32_t kW = 301, kH = 203;
  constexpr ARGB kInkColour = 0xFF000000u, kPaperColour = 0xFFFFFFFFu, kFill = 0xFF0000FFu;
  for (int kind : {0, 1, 2}) {
    SCOPED_TRACE(testing::Message() << "page " << kind);
    const std::vector<std::string> rows = MazePage(kW, kH, kind);
    const std::vector<bool> region = RegionFromOrigin(rows);
    vx::processing::FillPlanes planes(kW, kH);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x)
        if (rows[y][x] != '#') planes.open.Set(planes.At(x, y));
    EXPECT_LE(vx::processing::FillOpenRegion(planes, 0, 0), size_t{kW + kH});
    for (size_t i = 0; i < region.size(); ++i) ASSERT_EQ(planes.filled.Get(i), region[i]) << i;

    const auto ink = [&](size_t i) { return rows[i / kW][i % kW] == '#'; };
    const struct {
      const char* what;
      vx::gdiplus::PixelFormat format;
      bool whiteFirst;
      ARGB fill, filled;
    } pages[] = {{"1 bit", vx::gdiplus::PixelFormat1bppIndexed, false, kInkColour, kInkColour},
                 {"1 bit, white first", vx::gdiplus::PixelFormat1bppIndexed, true, kInkColour, kInkColour},
                 {"24 bits", vx::gdiplus::PixelFormat24bppRGB, false, kFill, kFill}};
    for (const auto& p : pages) {
      SCOPED_TRACE(p.what);
      const int32_t id = MakeCurrent(MakeFilled(kW, kH, p.format, [&](int32_t x, int32_t y) {
        return rows[y][x] == '#' ? kInkColour : kPaperColour;
      }));
      if (p.whiteFirst) {
        // The same page with its two entries swapped: the fill must follow colours, not indices.
        const int32_t stride = (kW + 31) / 32 * 4;
        std::vector<uint8_t> bits(static_cast<size_t>(stride) * kH, 0);
        for (int32_t y = 0; y < kH; ++y)
          for (int32_t x = 0; x < kW; ++x)
            if (rows[y][x] == '#') bits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        vx::gdiplus::ColorPalette swapped;
        swapped.Count = 2;
        swapped.Entries[0] = kPaperColour;
        swapped.Entries[1] = kInkColour;
        ASSERT_EQ(vx::engine::SetImagePaletteRaw(id, swapped), OK);
        ASSERT_EQ(vx::processing::TransferArea(id, {0, 0, kW, kH},
                                               vx::gdiplus::ImageLockModeWrite | vx::gdiplus::ImageLockModeUserInputBuf,
                                               vx::gdiplus::PixelFormat1bppIndexed, bits.data(), stride),
                  OK);
        ASSERT_EQ(ArgbPixelsOf(id)[0], kPaperColour);
      }
      ASSERT_EQ(E().FloodFill(0, 0, int32_t(p.fill)), OK);
      const std::vector<ARGB> got = ArgbPixelsOf(id);
      for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], region[i] ? p.filled : ink(i) ? kInkColour : kPaperColour) << i;
    }
  }
}

}  // namespace
}  // namespace vexiro
