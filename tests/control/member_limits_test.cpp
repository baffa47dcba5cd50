// What members do not do: the notes their help pages carry name real members, and what the notes
// say holds on files that outside tools made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "control/member_help.h"
#include "control/member_table.h"
#include "support/required_tool.h"
#include "support/test_servers.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

TEST(MemberLimits, EveryNoteNamesTableMembersAndShowsOnTheirPages) {
  for (const HelpNote& note : help::LimitNotes()) {
    ASSERT_FALSE(note.members.empty());
    const std::string opening(note.text.substr(0, note.text.find(' ', 20)));
    for (std::string_view name : note.members) {
      const MemberDesc* m = MemberTable::Instance().Find(name);
      ASSERT_NE(m, nullptr) << "a note names a member the table lacks: " << name;
      ASSERT_EQ(m->name, name) << "spelt as the table spells it";
      const std::string page = FormatMemberHelp(*m, *FindMemberHelp(name));
      EXPECT_NE(page.find("Note: " + opening), std::string::npos) << page;
    }
  }
}

TEST(MemberLimits, NotesNameStatusesTheMembersList) {
  // A note that names a status is only true where the member's help lists that status too.
  for (const HelpNote& note : help::LimitNotes())
    for (std::string_view name : note.members) {
      const MemberHelp* h = FindMemberHelp(name);
      for (const vexiro::VexiroStatus status : {vexiro::UnknownImageFormat, vexiro::CanNotCreateFile}) {
        if (note.text.find(vexiro::StatusName(status) + std::string(" (")) == std::string_view::npos) continue;
        EXPECT_NE(std::find(h->statuses.begin(), h->statuses.end(), status), h->statuses.end())
            << name << " does not list " << vexiro::StatusName(status);
      }
    }
}

class MemberLimitsOnFiles : public ::testing::Test {
 protected:
  std::string Made(const std::string& name, const std::string& command) {
    const std::string path = (folder_.path() / name).string();
    const std::string out = vxtest::CommandOutput(command + " " + Quoted(path) + " 2>&1");
    EXPECT_TRUE(std::filesystem::exists(path)) << command << ": " << out;
    return path;
  }

  vxtest::TempFolder folder_;
  vexiro::cImaging engine_;
};

TEST_F(MemberLimitsOnFiles, FormatsOutsideThePluginsTableAreUnknown) {
  VX_REQUIRE_TOOL("convert");
  for (const char* extension : {"webp", "heic", "avif"}) {
    const std::string file = Made(std::string("picture.") + extension, "convert -size 40x30 xc:orange");
    EXPECT_EQ(engine_.CreateImageFromFile(file), 0) << extension;
    EXPECT_EQ(engine_.GetStat(), vexiro::UnknownImageFormat) << extension;
  }
}

TEST_F(MemberLimitsOnFiles, ATruncatedJpegLoadsWholeSizedWithGreyRowsPastTheCut) {
  VX_REQUIRE_TOOL("convert");
  const std::string whole = Made("whole.jpg", "convert -size 200x160 plasma:fractal -quality 90");
  std::ifstream in(whole, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string cut = (folder_.path() / "cut.jpg").string();
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);

  ASSERT_NE(engine_.CreateImageFromFile(cut), 0);
  EXPECT_EQ(engine_.GetStat(), vexiro::OK);
  EXPECT_EQ(engine_.GetWidth(), 200);
  EXPECT_EQ(engine_.GetHeight(), 160);
  EXPECT_EQ(static_cast<uint32_t>(engine_.PixelGetColor(100, 159)) & 0xFFFFFFu, 0x808080u) << "the last row is grey";
}

TEST_F(MemberLimitsOnFiles, TwoDimensionalSymbologiesOtherThanDataMatrixAreNotRead) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("convert");
  struct Case {
    const char* symbology;
    int zintType;
    int32_t found1D, foundDataMatrix;
  };
  const Case kCases[] = {
      {"QR", 58, 0, 0}, {"PDF417", 55, 0, 0}, {"Aztec", 92, 0, 0},
      // The readers do read what they are for, in the same setting.
      {"Code 128", 20, 1, 0}, {"DataMatrix", 71, 0, 1},
  };
  for (const Case& c : kCases) {
    const std::string symbol = Made(std::string(c.symbology) + ".png", "zint -b " + std::to_string(c.zintType) +
                                                                            " -d VEXIRO123 -o");
    const std::string page = Made(std::string(c.symbology) + "-page.png",
                                  "convert " + Quoted(symbol) + " -bordercolor white -border 10");
    ASSERT_NE(engine_.CreateImageFromFile(page), 0) << c.symbology;
    EXPECT_EQ(engine_.Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK) << c.symbology;
    EXPECT_EQ(engine_.Barcode1DReaderGetBarcodeCount(), c.found1D) << c.symbology;
    EXPECT_EQ(engine_.BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK) << c.symbology;
    EXPECT_EQ(engine_.BarcodeDataMatrixReaderGetBarcodeCount(), c.foundDataMatrix) << c.symbology;
    engine_.RemoveAllImage();
  }
}

TEST_F(MemberLimitsOnFiles, PdfPageTextOutsideWinAnsiBecomesQuestionMarks) {
  VX_REQUIRE_TOOL("pdftotext");
  const std::string pdf = (folder_.path() / "text.pdf").string();
  ASSERT_TRUE(engine_.PdfNewPdf(pdf));
  engine_.PdfNewPage();
  const int32_t font = engine_.PdfAddFont("Arial");
  engine_.PdfDrawText(20, 20, "\xC5\x81\xC3\xB3\x64\xC5\xBA Cr\xC3\xA8me", font, 14);  // "Łódź Crème"
  engine_.PdfEndPage();
  engine_.PdfSavePdf();
  EXPECT_EQ(vxtest::CommandOutput("pdftotext " + Quoted(pdf) + " - | head -1"), "?\xC3\xB3\x64? Cr\xC3\xA8me\n");
}

}  // namespace
}  // namespace vx::control
