// The script language against a stand-in engine, and the built `vexiro` host's exit codes and
// messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>

#include "control/script_host.h"
#include "fake_engine.h"

namespace vx::control {
namespace {

using testing::FakeEngine;

struct Outcome {
  bool ok;
  std::string out;
  std::string error;
};

Outcome RunOnFake(FakeEngine& engine, const std::string& script) {
  Dispatch dispatch(engine);
  std::ostringstream out;
  ScriptHost host(dispatch, out);
  const bool ok = host.Run(script);
  return {ok, out.str(), host.Error()};
}

TEST(ScriptHost, PrintsLiteralsVariablesAndResults) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine,
                              "# a comment\n"
                              "\n"
                              "x = 5   ' trailing comment\n"
                              "s = \"say \"\"hi\"\"\"\n"
                              "print x, s, -2.5, 1.25e2, True, -x\n"
                              "print\n"
                              "print Encode64String(\"ab\"), IsBlank(), IsBlank(10)\n");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "5 say \"hi\" -2.5 125 True -5\n\n[ab] True False\n");
}

TEST(ScriptHost, CallsWithPositionalAndNamedArguments) {
  FakeEngine engine;
  ASSERT_TRUE(RunOnFake(engine, "SaveAsJPEG \"out.jpg\"").ok);
  EXPECT_EQ(engine.lastQuality, 75);
  ASSERT_TRUE(RunOnFake(engine, "SaveAsJPEG \"out.jpg\", 90").ok);
  EXPECT_EQ(engine.lastQuality, 90);
  ASSERT_TRUE(RunOnFake(engine, "saveasjpeg \"q.jpg\", nQuality:=33").ok);
  EXPECT_EQ(engine.lastQuality, 33);
  ASSERT_TRUE(RunOnFake(engine, "r = SaveAsTIFF(\"t.tif\", nModeCompression:=5)\nexpect r = 0").ok);
  EXPECT_EQ(engine.lastCompression, 5);
  ASSERT_TRUE(RunOnFake(engine, "SaveAsJPEG(\"p.jpg\")").ok);
  EXPECT_EQ(engine.lastPath, "p.jpg");
}

TEST(ScriptHost, VariablesPassedBareReceiveByReferenceResults) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine, "CropBordersEX2 90, 1, l, t, w, h\nprint l, t, w, h");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "90 1 190 201\n");
}

TEST(ScriptHost, ComparisonsAndExpect) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine,
                              "expect 1 < 2\nexpect 2 >= 2\nexpect \"a\" <> \"A\"\nexpect \"10\" = 10\n"
                              "expect \"abc\" < \"abd\"\nexpect GetStat() = 0\nprint 3 <= 2, 3 > 2");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "False True\n");
}

TEST(ScriptHost, FailuresStopTheScriptWithTheirLineNumber) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"print 1\nexpect 1 = 2\nprint 3", "line 2: expect failed: 1 = 2"},
      {"Nothing 1", "line 1: unknown member or variable 'Nothing'"},
      {"print y", "line 1: unknown member or variable 'y'"},
      {"FxBlur", "line 1: FxBlur is not implemented"},
      {"\n\nprint (1", "line 3: syntax error: expected ')'"},
      {"print \"open", "line 1: syntax error: text without closing quote"},
      {"print 1 2", "line 1: syntax error: expected ','"},
      {"x = ", "line 1: syntax error: expression expected"},
      {"print GetWidth()", "line 1: GetWidth: run-time error 53: File not found"},
      {"SaveAsJPEG \"a\", \"high\"", "line 1: SaveAsJPEG: type mismatch (nQuality) 0x80020005"},
      {"SaveAsJPEG", "line 1: SaveAsJPEG: a required argument is missing (sFilePath) 0x80020004"},
      {"SaveAsJPEG \"a\", nLevel:=3", "line 1: SaveAsJPEG: unknown name (no such parameter) 0x80020006"},
      {"SaveAsJPEG nQuality:=3, \"a\"", "line 1: syntax error: a positional argument after a named one"},
      {"expect \"x\"", "line 1: expect needs a true or false value"},
      {"print 1 ; 2", "line 1: syntax error: unexpected character ';'"},
      {"print :", "line 1: syntax error: unexpected character ':'"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, c.script);
    EXPECT_FALSE(o.ok) << c.script;
    EXPECT_EQ(o.error, c.error) << c.script;
  }
  FakeEngine engine;
  EXPECT_EQ(RunOnFake(engine, "print 1\nexpect 1 = 2\nprint 3").out, "1\n");
  // Deep nesting is refused, not recursed into.
  EXPECT_EQ(RunOnFake(engine, "print " + std::string(100000, '-') + "1").error,
            "line 1: syntax error: expression nested too deeply");
  EXPECT_EQ(RunOnFake(engine, "print " + std::string(100000, '(') + "1").error,
            "line 1: syntax error: expression nested too deeply");
  EXPECT_TRUE(RunOnFake(engine, "print " + std::string(200, '-') + "1").ok);
}

// The built host, run as a user runs it.
struct HostRun {
  int status;
  std::string out;
  std::string err;
};

HostRun RunHost(const std::string& arguments, const std::string& input = "", const std::string& workDir = "") {
  const std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  const std::string errFile = dir + "/vexiro_host_stderr.txt", inFile = dir + "/vexiro_host_stdin.vxs";
  std::ofstream(inFile) << input;
  const std::string enter = workDir.empty() ? "" : "cd '" + workDir + "' && ";
  const std::string command = enter + std::string(VEXIRO_HOST_PATH) + " " + arguments + " <" + inFile + " 2>" + errFile;
  HostRun r{-1, "", ""};
  if (FILE* p = popen(command.c_str(), "r")) {
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::ifstream err(errFile);
  std::ostringstream text;
  text << err.rdbuf();
  r.err = text.str();
  std::remove(errFile.c_str());
  std::remove(inFile.c_str());
  return r;
}

TEST(VexiroHost, RunsLinesFromTheCommandLineAFileAndStandardInput) {
  HostRun r = RunHost("-e 'print 1, \"two\"' -e 'x = -3' -e 'print x'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 two\n-3\n");
  EXPECT_EQ(r.err, "");

  r = RunHost("", "print 7\nexpect 7 = 8\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "7\n");
  EXPECT_EQ(r.err, "line 2: expect failed: 7 = 8\n");

  const std::string script = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/host_test.vxs";
  std::ofstream(script) << "' comment\nprint \"from file\"\nNoSuchMember\n";
  r = RunHost(script);
  std::remove(script.c_str());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "from file\n");
  EXPECT_EQ(r.err, "line 3: unknown member or variable 'NoSuchMember'\n");

  r = RunHost("/nonexistent/script.vxs");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
  r = RunHost("--bogus");
  EXPECT_EQ(r.status, 2);
}

TEST(VexiroHost, ReportsFailuresOfMembers) {
  HostRun r = RunHost("-e 'TwainOpenDefaultSource'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "line 1: TwainOpenDefaultSource is not implemented\n");
  r = RunHost("-e 'print (1'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "line 1: syntax error: expected ')'\n");
}

TEST(VexiroHost, PrintsTheStatusOnceGetStatIsBound) {
  const HostRun members = RunHost("--members");
  const bool bound = members.out.find("\nGetStat () As VexiroStatus bound\n") != std::string::npos;
  const HostRun r = RunHost("-e 'print GetStat()'");
  if (bound) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0\n");
  } else {
    EXPECT_EQ(r.err, "line 1: GetStat is not implemented\n");
  }
}

// The demo runs from the top of the source tree and writes into out/: give it the same layout in
// a scratch folder so the test leaves the tree alone.
TEST(VexiroHost, RunsTheDemoScript) {
  const std::string work = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/demo_run";
  ASSERT_EQ(std::system(("rm -rf '" + work + "' && mkdir -p '" + work + "/out' && ln -s '" +
                         std::string(VEXIRO_SOURCE_DIR) + "/resources' '" + work + "/resources'")
                            .c_str()),
            0);
  const HostRun r = RunHost("resources/demo/demo.vxs", "", work);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("vexiro demo\nloaded PNG 160 100 24bppRGB\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\ndone 0\n"), std::string::npos) << r.out;
  for (const char* name : {"script.bmp", "script.jpg", "script.tif", "script.gif", "script.ppm", "script-red.png"})
    EXPECT_EQ(::access((work + "/out/" + name).c_str(), R_OK), 0) << name;
  std::system(("rm -rf '" + work + "'").c_str());
}

TEST(VexiroHost, ListsEveryMemberWithItsSignatureAndBinding) {
  const HostRun r = RunHost("--members");
  ASSERT_EQ(r.status, 0);
  std::istringstream lines(r.out);
  std::string line;
  int count = 0, bound = 0;
  while (std::getline(lines, line)) {
    ++count;
    const bool notBound = line.size() > 10 && line.compare(line.size() - 10, 10, " not bound") == 0;
    const bool isBound = !notBound && line.size() > 6 && line.compare(line.size() - 6, 6, " bound") == 0;
    EXPECT_TRUE(notBound || isBound) << line;
    bound += isBound;
  }
  EXPECT_EQ(count, 749);
  EXPECT_NE(r.out.find("SaveAsJPEG (sFilePath As String, Optional nQuality As Long = 75) As VexiroStatus "),
            std::string::npos);
  EXPECT_NE(r.out.find("HistogramGetRed (ByRef arHistoR() As Long) As VexiroStatus "), std::string::npos);
  EXPECT_EQ(r.err, std::to_string(bound) + " of 749 members bound\n");
}

TEST(VexiroHost, PrintsTheIdl) {
  const HostRun r = RunHost("--idl");
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("library Vexiro4S"), std::string::npos);
  EXPECT_NE(r.out.find("interface _cImaging : IDispatch {"), std::string::npos);
  EXPECT_NE(r.out.find("interface _Imaging : IDispatch {"), std::string::npos);
  EXPECT_NE(r.out.find("[id(0x60030000)]\n        HRESULT SetTransparencyColor([in] Colors nColorARGB,\n"
                       "                [out, retval] VexiroStatus* retval);"),
            std::string::npos);
  EXPECT_NE(r.out.find("[in, optional, defaultvalue(75)] long nQuality"), std::string::npos);
  EXPECT_NE(r.out.find("[in, out] SAFEARRAY(long)* arHistoR"), std::string::npos);
  EXPECT_NE(r.out.find("typedef _cImaging cImaging___v13;"), std::string::npos);
  EXPECT_NE(r.out.find("} VexiroStatus;"), std::string::npos);
}

}  // namespace
}  // namespace vx::control
