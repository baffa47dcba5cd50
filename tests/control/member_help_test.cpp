// The member help: a complete table in step with the member table and the bindings, pages that
// show what the table and the enumerations say, and the host's --help MEMBER and --members PATTERN.
#include "control/member_help.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "control/dispatch.h"
#include "control/enumerations.h"
#include "control/member_table.h"
#include "support/font_cache_release.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

const std::set<int32_t>& StatusValues() {
  static const std::set<int32_t> values = [] {
    std::set<int32_t> v;
    for (const EnumConstant& c : FindEnumeration("VexiroStatus")->constants) v.insert(c.value);
    return v;
  }();
  return values;
}

TEST(MemberHelpTable, HoldsEveryMemberOnceWithALineAndItsStatuses) {
  std::map<std::string, int> seen;
  std::set<std::string_view> lines;
  for (const HelpSubsystem& s : HelpSubsystems())
    for (const MemberHelp& h : s.entries) {
      ++seen[std::string(h.member)];
      const MemberDesc* m = MemberTable::Instance().Find(h.member);
      ASSERT_NE(m, nullptr) << "help for a member the table lacks: " << h.member;
      EXPECT_EQ(m->name, h.member) << "spelt as the table spells it";
      EXPECT_GE(h.line.size(), 10u) << h.member;
      EXPECT_LE(h.line.size(), 100u) << h.member;
      EXPECT_TRUE(lines.insert(h.line).second) << h.member << " repeats another member's line: " << h.line;
      ASSERT_FALSE(h.statuses.empty()) << h.member;
      EXPECT_EQ(h.statuses.front(), vexiro::OK) << h.member;
      for (vexiro::VexiroStatus st : h.statuses) EXPECT_TRUE(StatusValues().count(st)) << h.member << ": " << st;
      EXPECT_EQ(std::set<vexiro::VexiroStatus>(h.statuses.begin(), h.statuses.end()).size(), h.statuses.size())
          << h.member << " names a status twice";
    }
  for (const MemberDesc& m : MemberTable::Instance().Members()) EXPECT_EQ(seen[m.name], 1) << m.name;
  EXPECT_EQ(seen.size(), MemberTable::Instance().size());
}

// The subsystem of a bindings file: its name up to the first underscore, except the files named
// for a subject whose folder lies inside another subsystem.
std::string SubsystemOfBindingsFile(const std::string& stem) {
  static const std::map<std::string, std::string> kSubjects = {{"documents", "engine"},
                                                               {"metadata", "engine"},
                                                               {"drawing", "processing"},
                                                               {"barcode", "processing"},
                                                               {"scan", "devices"}};
  if (auto it = kSubjects.find(stem); it != kSubjects.end()) return it->second;
  return stem.substr(0, stem.find('_'));
}

TEST(MemberHelpTable, GroupsMembersAsTheBindingsDo) {
  const std::regex bound(R"((?:VX_BIND\(|RegisterAdapter\(")(\w+))");
  size_t checked = 0;
  for (const auto& file : std::filesystem::directory_iterator(VEXIRO_SOURCE_DIR "/control/bindings")) {
    std::ifstream in(file.path());
    std::ostringstream text;
    text << in.rdbuf();
    const std::string source = text.str(), subsystem = SubsystemOfBindingsFile(file.path().stem().string());
    for (std::sregex_iterator it(source.begin(), source.end(), bound), end; it != end; ++it, ++checked)
      EXPECT_EQ(SubsystemOf((*it)[1].str()), subsystem) << (*it)[1] << " is bound in " << file.path().filename();
  }
  EXPECT_EQ(checked, MemberTable::Instance().size());
}

TEST(MemberHelpPage, ShowsSignatureParametersEnumerationValuesAndStatuses) {
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    const MemberHelp* h = FindMemberHelp(m.name);
    ASSERT_NE(h, nullptr) << m.name;
    const std::string page = FormatMemberHelp(m, *h);
    EXPECT_EQ(page.rfind(m.name + m.Signature() + "\n  " + std::string(h->line) + "\n", 0), 0u) << page;
    std::vector<const TypeDesc*> enumerated;
    for (const ParamDesc& p : m.params) {
      EXPECT_NE(page.find("\n  " + p.name + " "), std::string::npos) << m.name << ": " << p.name;
      if (p.optional) {
        EXPECT_NE(page.find("default " + p.defaultText), std::string::npos) << m.name << ": " << p.name;
      }
      if (p.type.base == BaseType::Enum) enumerated.push_back(&p.type);
    }
    // A returned enumeration is spelt out too, except the statuses, which have their own list.
    if (m.result && m.result->base == BaseType::Enum && m.result->enumName != "VexiroStatus")
      enumerated.push_back(&*m.result);
    for (const TypeDesc* t : enumerated) {
      const EnumerationDesc* e = FindEnumeration(t->enumName);
      ASSERT_NE(e, nullptr) << t->enumName;
      EXPECT_NE(page.find("\n" + std::string(e->name) + ":\n"), std::string::npos) << m.name;
      for (const EnumConstant& c : e->constants)
        EXPECT_NE(page.find(std::string(c.name) + " = " + std::to_string(c.value)), std::string::npos)
            << m.name << ": " << c.name;
    }
    EXPECT_EQ(page.find("\nVexiroStatus:\n"), std::string::npos) << m.name;
    for (vexiro::VexiroStatus st : h->statuses)
      EXPECT_NE(page.find(" " + std::to_string(st) + " "), std::string::npos) << m.name << ": status " << st;
  }
}

TEST(MemberHelpPage, DrawingMembersSayToWidenGreyAndBitonalImagesFirst) {
  ASSERT_NE(MemberTable::Instance().Find(kWideningMember), nullptr);
  const std::string note = "widen the image first with " + std::string(kWideningMember);
  for (const char* name : {"DrawLine", "DrawText", "DrawFillRectangle", "BarCodeDraw128", "ClearImage"}) {
    const MemberDesc* m = MemberTable::Instance().Find(name);
    ASSERT_NE(m, nullptr) << name;
    const MemberHelp* h = FindMemberHelp(name);
    ASSERT_NE(h, nullptr) << name;
    EXPECT_TRUE(h->needsWideImage) << name;
    EXPECT_NE(FormatMemberHelp(*m, *h).find(note), std::string::npos) << name;
    EXPECT_NE(std::find(h->statuses.begin(), h->statuses.end(), vexiro::OutOfMemory), h->statuses.end()) << name;
  }
  const MemberDesc* load = MemberTable::Instance().Find("CreateImageFromFile");
  EXPECT_EQ(FormatMemberHelp(*load, *FindMemberHelp(load->name)).find(note), std::string::npos);
}

TEST(MemberHelpLookup, MatchesPatternsAndSuggestsTheClosestName) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case kCases[] = {
      {"blur", "FxBlur", true},
      {"BLUR", "FxBlur", true},
      {"fx*", "FxBlur", true},
      {"fx*", "ApplyFx", false},
      {"*page*", "TiffSelectPage", true},
      {"tiff?elect*", "TiffSelectPage", true},
      {"tiff?elect", "TiffSelectPage", false},
      {"savea?tiff", "SaveAsTIFF", true},
      {"*", "GetStat", true},
      {"nothing", "GetStat", false},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(MatchesMemberPattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;

  EXPECT_EQ(ClosestMemberName("ResizeImag"), "ResizeImage");
  EXPECT_EQ(ClosestMemberName("saveasjpg"), "SaveAsJPEG");
  EXPECT_EQ(ClosestMemberName("Xylophone"), "");
}

// The statuses a help page lists are checked against what members really leave, on a real engine.
class MemberHelpStatuses : public ::testing::Test {
 protected:
  // Members whose parameters are plain values (numbers, flags, enumerations and, when asked, texts):
  // they can be called with made-up arguments without touching files, arrays or objects.
  static bool TakesPlainValues(const MemberDesc& m, bool texts) {
    for (const ParamDesc& p : m.params) {
      if (p.optional) continue;
      const bool number = p.type.base != BaseType::String && p.type.base != BaseType::Picture &&
                          p.type.base != BaseType::Unknown && p.type.base != BaseType::Variant;
      if (p.byRef || p.type.isArray || !(number || (texts && p.type.base == BaseType::String))) return false;
    }
    return true;
  }

  // Calls the member with `number` for every required number, `text` for every required text and
  // `imageId` for an image identifier; the optional ones keep their defaults. Returns the status
  // the member leaves and, for a member that answers a status, also the one it answers.
  std::vector<int32_t> CallAndReadStatuses(const MemberDesc& m, int32_t number, const std::string& text,
                                           int32_t imageId) {
    std::vector<Variant> args;
    for (const ParamDesc& p : m.params) {
      if (p.optional)
        args.emplace_back(Missing{});
      else if (p.type.base == BaseType::String)
        args.push_back(Variant::Str(text));
      else
        args.push_back(Variant::I4(FoldCase(p.name) == "nimageid" ? imageId : number));
    }
    std::vector<NamedArgument> named;
    Variant result, status;
    EXPECT_EQ(dispatch_.InvokeByName(m.name, args, named, result), S_OK) << m.name;
    std::vector<Variant> none;
    EXPECT_EQ(dispatch_.InvokeByName("GetStat", none, named, status), S_OK);
    std::vector<int32_t> statuses = {status.AsI4()};
    if (m.result && m.result->enumName == "VexiroStatus") statuses.push_back(result.AsI4());
    return statuses;
  }

  // The status the member leaves after the call (the last status the engine keeps).
  int32_t CallAndReadStatus(const MemberDesc& m, int32_t number, const std::string& text, int32_t imageId) {
    return CallAndReadStatuses(m, number, text, imageId).front();
  }

  static bool Lists(const MemberHelp& h, int32_t status) {
    return std::find(h.statuses.begin(), h.statuses.end(), status) != h.statuses.end();
  }

  // A folder for the files members write; it goes, with what they wrote, after the engine.
  struct ScratchFolder {
    std::filesystem::path path =
        std::filesystem::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") / "member_help_probe";
    ScratchFolder() { std::filesystem::create_directories(path); }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
  };

  ScratchFolder scratch_;
  vexiro::cImaging engine_;
  Dispatch dispatch_{engine_};
};

TEST_F(MemberHelpStatuses, MembersAnswerAndLeaveStatusesTheirHelpListsWithAndWithoutAnImage) {
  struct Setup {
    const char* what;
    bool withImage;
    int32_t number;  // every required number
  };
  const Setup kSetups[] = {{"without an image", false, 0}, {"on a 16 x 16 colour image", true, 2}};
  for (const Setup& setup : kSetups) {
    size_t called = 0;
    for (const HelpSubsystem& s : HelpSubsystems()) {
      // The device members are left out: they reach printers, servers and scanners.
      if (s.name == "devices") continue;
      for (const MemberHelp& h : s.entries) {
        const MemberDesc* m = MemberTable::Instance().Find(h.member);
        if (!TakesPlainValues(*m, false)) continue;
        // Either way the last status starts as OK and the whole image is the processing region;
        // without an image, the engine's image is gone.
        engine_.ResetROI();
        const int32_t id = engine_.CreateNewImage(16, 16, 24, -1);
        if (!setup.withImage) {
          ASSERT_EQ(engine_.CloseNativeImage(), vexiro::OK);
        }
        for (int32_t status : CallAndReadStatuses(*m, setup.number, "", setup.withImage ? id : 0))
          EXPECT_TRUE(Lists(h, status)) << h.member << " gave status " << status << " " << setup.what
                                        << ", which its help does not list";
        engine_.RemoveAllImage();
        ++called;
      }
    }
    EXPECT_GT(called, 350u) << setup.what;
  }
}

TEST_F(MemberHelpStatuses, MembersGivenAFileThatIsNotThereAnswerStatusesTheirHelpLists) {
  size_t called = 0;
  for (bool withImage : {false, true})
    for (const HelpSubsystem& s : HelpSubsystems()) {
      if (s.name == "devices") continue;
      for (const MemberHelp& h : s.entries) {
        const MemberDesc* m = MemberTable::Instance().Find(h.member);
        const auto takes = [&](auto test) { return std::any_of(m->params.begin(), m->params.end(), test); };
        // Texts name files here, so a server's host name would be looked up: those members stay out.
        if (!TakesPlainValues(*m, true) || !takes([](const ParamDesc& p) { return p.type.base == BaseType::String; }) ||
            takes([](const ParamDesc& p) { return FoldCase(p.name) == "shost"; }))
          continue;
        engine_.ResetROI();
        const int32_t id = engine_.CreateNewImage(16, 16, 24, -1);
        if (!withImage) {
          ASSERT_EQ(engine_.CloseNativeImage(), vexiro::OK);
        }
        const std::string file = (scratch_.path / (m->name + (withImage ? "-1" : "-0") + ".file")).string();
        for (int32_t status : CallAndReadStatuses(*m, 2, file, withImage ? id : 0))
          EXPECT_TRUE(Lists(h, status)) << h.member << " gave status " << status << (withImage ? " with" : " without")
                                        << " an image, which its help does not list";
        engine_.RemoveAllImage();
        ++called;
      }
    }
  EXPECT_GT(called, 100u);
}

TEST_F(MemberHelpStatuses, MembersThatSayToWidenTheImageCannotDrawOnGreyOrBitonalImages) {
  using Narrowing = vexiro::VexiroStatus (vexiro::cImaging::*)();
  const std::pair<const char*, Narrowing> kNarrowings[] = {{"8-bit grey", &vexiro::cImaging::ConvertTo8BppGrayScale},
                                                           {"1-bit", &vexiro::cImaging::ConvertTo1Bpp}};
  const std::string kDigits = "123456789012";  // a valid code of every barcode symbology
  for (const auto& [kind, narrow] : kNarrowings) {
    size_t called = 0;
    for (const HelpSubsystem& s : HelpSubsystems())
      for (const MemberHelp& h : s.entries) {
        const MemberDesc* m = MemberTable::Instance().Find(h.member);
        if (!h.needsWideImage || !TakesPlainValues(*m, true)) continue;
        const int32_t narrowImage = engine_.CreateNewImage(16, 16, 24, -1);
        ASSERT_EQ((engine_.*narrow)(), vexiro::OK) << kind;
        EXPECT_EQ(CallAndReadStatus(*m, 2, kDigits, narrowImage), vexiro::OutOfMemory)
            << h.member << " on a " << kind << " image";
        engine_.CloseImage(narrowImage);
        ++called;
      }
    EXPECT_GT(called, 30u);
  }
}

// The built host, run as a user runs it.
struct HostRun {
  int status = -1;
  std::string out, err;
};

HostRun RunHost(const std::string& arguments) {
  const std::string errFile =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/member_help_err.txt";
  HostRun r;
  if (FILE* p = popen((std::string(VEXIRO_HOST_PATH) + " " + arguments + " </dev/null 2>" + errFile).c_str(), "r")) {
    std::array<char, 4096> buf;
    for (size_t n; (n = fread(buf.data(), 1, buf.size(), p)) > 0;) r.out.append(buf.data(), n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::ostringstream err;
  err << std::ifstream(errFile).rdbuf();
  r.err = err.str();
  std::remove(errFile.c_str());
  return r;
}

TEST(VexiroHostHelp, PrintsOneMembersPageOrNamesTheClosestMember) {
  HostRun r = RunHost("--help savEasTiff");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.out.rfind("SaveAsTIFF(sFilePath As String, Optional nModeCompression As TifCompression = 2) As VexiroStatus\n",
                  0),
      0u)
      << r.out;
  EXPECT_NE(r.out.find("  nModeCompression  TifCompression, optional, default 2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("TifCompression:\n  CompressionLZW = 2, CompressionCCITT3 = 3, CompressionCCITT4 = 4,"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Statuses:\n  0 OK, 1 GenericError,"), std::string::npos) << r.out;

  r = RunHost("--help DrawText");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nNote: on an 8-bit grey or 1-bit image this member cannot draw and answers OutOfMemory;\n"
                       "  widen the image first with ConvertTo32BppARGB.\n"),
            std::string::npos)
      << r.out;

  r = RunHost("--help ResizeImag");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "vexiro: no member ResizeImag; did you mean ResizeImage?\n");
  r = RunHost("--help Xylophone");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "vexiro: no member Xylophone\n");
}

TEST(VexiroHostHelp, ListsMatchingMembersBySubsystem) {
  HostRun r = RunHost("--members 'tiff*merge*'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "engine:\n"
            "  TiffMerge2Files (sFilePath1 As String, sFilePath2 As String, sFileDest As String, Optional "
            "nModeCompression As TifCompression = 2) As VexiroStatus bound\n"
            "  TiffMergeFiles (ByRef sFilesPath() As String, sFileDest As String, Optional nModeCompression As "
            "TifCompression = 2) As VexiroStatus bound\n"
            "  TiffMergeFileList (sFilesList As String, sFileDest As String, Optional nModeCompression As "
            "TifCompression = 2) As VexiroStatus bound\n");
  EXPECT_EQ(r.err, "3 of 749 members match tiff*merge*\n");

  // A bare word matches anywhere in a name; the subsystems that hold a match follow in layer order.
  r = RunHost("--members FROMFILE");
  EXPECT_EQ(r.status, 0) << r.err;
  const size_t processing = r.out.find("\nprocessing:\n"), pdf = r.out.find("\npdf:\n");
  EXPECT_EQ(r.out.find("engine:\n"), 0u) << r.out;
  EXPECT_LT(processing, pdf) << r.out;
  EXPECT_LT(pdf, r.out.find("\nrecognition:\n")) << r.out;
  EXPECT_EQ(r.out.find("\ndevices:\n"), std::string::npos) << "no device member reads from a file";
  EXPECT_NE(r.out.find("\n  PdfAddImageFromFile (sImagePath As String) As Long bound\n"), std::string::npos) << r.out;

  r = RunHost("--members 'zz*'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "vexiro: no member matches zz*\n");
}

}  // namespace
}  // namespace vx::control
