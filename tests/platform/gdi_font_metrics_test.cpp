// Installed fonts by the names documents use, and their metrics in 1000 units per em: the
// metric-compatible stand-ins answer for the Windows faces with the Windows faces' numbers.
#include "platform/gdi/font_metrics.h"

#include <gtest/gtest.h>

namespace vx::gdi {
namespace {

TEST(GdiFontMetrics, NamesMatchWithoutCaseOrSpacesAndAliasesCountAsInstalled) {
  struct Case {
    const char* asked;
    std::optional<std::string> installed;
  };
  const Case cases[] = {{"arial", "Arial"},
                        {"TIMESNEWROMAN", "Times New Roman"},
                        {"Courier New", "Courier New"},
                        {"liberationsans", "Liberation Sans"},
                        {"No Such Face", std::nullopt},
                        {"", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(FindInstalledFont(c.asked), c.installed) << c.asked;
}

TEST(GdiFontMetrics, TheStandInsMeasureAsTheWindowsFaces) {
  struct Case {
    const char* face;
    bool bold, italic;
    int32_t space, capitalA, euro, ascent, descent;
  };
  const Case cases[] = {{"Arial", false, false, 278, 667, 556, 905, 212},
                        {"Arial", true, false, 278, 722, 556, 905, 212},
                        {"Times New Roman", false, true, 250, 611, 500, 891, 216}};
  for (const Case& c : cases) {
    const std::optional<AnsiFontMetrics> m = GetAnsiFontMetrics(c.face, c.bold, c.italic);
    ASSERT_TRUE(m.has_value()) << c.face;
    EXPECT_EQ(m->advances[' '], c.space) << c.face;
    EXPECT_EQ(m->advances['A'], c.capitalA) << c.face;
    EXPECT_EQ(m->advances[0x80], c.euro) << c.face << ": the euro sign through Windows-1252";
    EXPECT_EQ(m->winAscent, c.ascent) << c.face;
    EXPECT_EQ(m->winDescent, c.descent) << c.face;
    EXPECT_FALSE(m->symbolOnly) << c.face;
    EXPECT_GE(m->maximumAdvance, m->advances['W']) << c.face;
    EXPECT_GT(m->averageCharWidth, 0) << c.face;
  }
  EXPECT_FALSE(GetAnsiFontMetrics("No Such Face", false, false).has_value());
}

}  // namespace
}  // namespace vx::gdi
