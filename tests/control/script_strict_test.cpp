// What stops a script with and without --strict, what --trace writes, and the host's --help and
// --version; the engine's own answers are checked against tiffinfo where a file comes of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/required_tool.h"
#include "script_test_support.h"
#include "vexiro/vexiro.h"

namespace vx::control {
namespace {

using testing::FakeEngine;
using testing::HostRun;
using testing::Outcome;
using testing::RunHost;
using testing::RunOnFake;
using testing::ScratchPath;

TEST(ScriptStrict, StopsAtTheFirstMemberThatLeavesAFailingStatus) {
  struct Case {
    int32_t status;
    const char* script;
    const char* error;  // with --strict; "" when the script runs through
  };
  const Case cases[] = {
      {10, "print 1\nSaveAsJPEG \"in/a.jpg\"\nprint 2", "line 2: SaveAsJPEG: status 10 FileNotFound (sFilePath \"in/a.jpg\")"},
      {2, "r = SaveAsTIFF(\"t.tif\", 4)\nprint r", "line 1: SaveAsTIFF: status 2 InvalidParameter (sFilePath \"t.tif\")"},
      {999, "expect SaveAsTIFF(\"t.tif\", 4) = 999", "line 1: SaveAsTIFF: status 999 (sFilePath \"t.tif\")"},
      {1, "print IsBlank(10)", ""},  // leaves no status of its own
      {0, "SaveAsJPEG \"a.jpg\"\nprint GetStat()", ""},
  };
  for (const Case& c : cases) {
    FakeEngine relaxed, strict;
    relaxed.statusToLeave = strict.statusToLeave = c.status;
    const Outcome withoutStrict = RunOnFake(relaxed, c.script);
    EXPECT_TRUE(withoutStrict.ok) << c.script << ": a failing status alone never stops a script without --strict";
    const Outcome o = RunOnFake(strict, c.script, ScriptOptions{.strict = true});
    EXPECT_EQ(o.ok ? "" : o.error, c.error) << c.script;
    if (!o.ok) {
      EXPECT_EQ(o.out, withoutStrict.out.substr(0, o.out.size())) << "nothing after the failing line ran";
    }
  }
}

TEST(ScriptTrace, WritesEachMemberCallWithItsStatusAndTime) {
  FakeEngine engine;
  std::ostringstream trace;
  const Outcome o = RunOnFake(engine, "SaveAsJPEG \"a.jpg\", nQuality:=90\nprint IsBlank(10) & Len(\"ab\")\nx = GetWidth()",
                              ScriptOptions{.trace = &trace});
  EXPECT_EQ(o.error, "line 3: GetWidth: run-time error 53: File not found");
  EXPECT_EQ(o.out, "False2\n");
  const std::string time = "[0-9]+\\.[0-9]{3} ms\n";
  EXPECT_TRUE(std::regex_match(trace.str(), std::regex("trace: line 1: SaveAsJPEG\\(\"a\\.jpg\", nQuality:=90\\) = 0, status 0 OK, " + time +
                                                        "trace: line 2: IsBlank\\(10\\) = False, status 0 OK, " + time +
                                                        "trace: line 3: GetWidth\\(\\) failed, " + time)))
      << trace.str();
}

// A missing file gives the engine's own FileNotFound: the script goes on without --strict and
// stops with it.
TEST(VexiroHostStrict, StopsAtTheEnginesFailingStatusOnlyWhenAskedTo) {
  const std::string script = "-e 'id = CreateImageFromFile(\"missing.png\")' -e 'print \"after\", GetStat()'";
  HostRun r = RunHost(script);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "after 10\n");
  r = RunHost("--strict " + script);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "line 1: CreateImageFromFile: status 10 FileNotFound (sFilePath \"missing.png\")\n");

  r = RunHost("--trace --strict " + script);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(std::regex_match(r.err, std::regex("trace: line 1: CreateImageFromFile\\(\"missing\\.png\"\\) = [-0-9]+, status 10 "
                                                 "FileNotFound, [0-9.]+ ms\nline 1: CreateImageFromFile: status 10 FileNotFound "
                                                 "\\(sFilePath \"missing\\.png\"\\)\n")))
      << r.err;
}

// The issue's case: a compression named by its constant reaches the writer, which tiffinfo reads
// back as Group 4 (an unknown name once wrote LZW silently).
TEST(VexiroHostStrict, SavesGroupFourByTheConstantsName) {
  VX_REQUIRE_TOOL("tiffinfo");
  const std::string path = ScratchPath("constant_g4.tif");
  const HostRun r = RunHost("--strict", "id = CreateNewImage(64, 32, 1, White)\n"
                                        "SaveAsTIFF \"" + path + "\", CompressionCCITT4\n");
  ASSERT_EQ(r.status, 0) << r.err;
  FILE* p = popen(("tiffinfo '" + path + "' 2>&1").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string info;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) info += buf;
  pclose(p);
  std::remove(path.c_str());
  EXPECT_NE(info.find("Compression Scheme: CCITT Group 4"), std::string::npos) << info;
  EXPECT_NE(info.find("Image Width: 64 Image Length: 32"), std::string::npos) << info;

  const HostRun misspelt = RunHost("-e 'SaveAsTIFF \"" + path + "\", CompressionCCIT4'");
  EXPECT_EQ(misspelt.status, 1);
  EXPECT_EQ(misspelt.err, "line 1: unknown member or variable 'CompressionCCIT4'; did you mean CompressionCCITT4?\n");
  EXPECT_FALSE(std::ifstream(path).good()) << "nothing is written for a line that failed";
}

TEST(VexiroHostOptions, HelpAndVersionAnswerOnStandardOutput) {
  HostRun r = RunHost("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("usage: vexiro ", 0), 0u) << r.out;
  for (const char* option : {"--strict", "--trace", "--version", "--members", "--idl", "--register"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  EXPECT_EQ(RunHost("-h").out, r.out);

  const HostRun usage = RunHost("--bogus");
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.out, "");
  EXPECT_EQ(usage.err, r.out) << "a wrong command line gets the same text, on standard error";

  r = RunHost("--version");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string version = "[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+ \\(/[^\n]*\\.so\\)";
  EXPECT_TRUE(std::regex_match(r.out, std::regex(std::string("library: ") + vexiro::LibraryVersion() + "\n"
                                                 "type library: Vexiro4S 1\\.14\n"
                                                 "plug-in vximgplug: " + version + "\n"
                                                 "plug-in vxtwain: (" + version + "|not found)\n"
                                                 "plug-in vxocrplug\\.tesseract: (" + version + "|not found)\n"
                                                 "plug-in vxbarcode\\.1dreader: (" + version + "|not found)\n"
                                                 "plug-in vxbarcode\\.dmreader: (" + version + "|not found)\n")))
      << r.out;
}

}  // namespace
}  // namespace vx::control
