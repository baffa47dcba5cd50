// The script language against a stand-in engine, and the built `vexiro` host's exit codes and
// messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "../platform/metafile_test_builders.h"
#include "control/script_host.h"
#include "fake_engine.h"
#include "script_test_support.h"

namespace vx::control {
namespace {

using testing::FakeEngine;

using testing::Outcome;
using testing::RunOnFake;

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

TEST(ScriptHost, ExpressionsFollowThePrecedenceOfTheLanguage) {
  struct Case {
    const char* expression;
    const char* shown;
  };
  const Case cases[] = {
      {"3 - 1", "2"},
      {"1 + 2 * 3", "7"},
      {"(1 + 2) * 3", "9"},
      {"2 ^ 3 ^ 2", "64"},  // left to right
      {"-2 ^ 2", "-4"},     // the power binds tighter than the sign
      {"2 ^ -1", "0.5"},
      {"2 ^ -1 ^ 2", "0.25"},  // a signed exponent takes no power of its own
      {"7 \\ 2 * 2", "1"},     // * before the integer division
      {"7 Mod 4 \\ 2", "1"},   // \ before Mod
      {"1 + 7 Mod 4", "4"},    // Mod before +
      {"1 + 2 & 3", "33"},     // + before &
      {"\"a\" & 1 + 1 = \"a2\"", "True"},  // & before =
      {"Not 1 = 2", "True"},   // = before Not
      {"Not 0 And 0", "0"},    // Not before And
      {"1 = 1 Or 1 = 2 And 1 = 2", "True"},  // And before Or
      {"10 / 4", "2.5"},
      {"2147483647 + 1", "2147483648"},
      {"\"ab\" + \"cd\"", "abcd"},
      {"\"2\" * 3", "6"},
      {"True + True", "-2"},
      {"5 And 3", "1"},
      {"5 Or 3", "7"},
      {"Not True", "False"},
      {"1.5 \\ 1", "2"},
      {"-7 Mod 3", "-1"},
      {"\"x\" & True & 2.5", "xTrue2.5"},
      {"3 - -1", "4"},
      {"UBound(Array(1, 2, 3)) + LBound(Array(1))", "2"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, std::string("print ") + c.expression);
    EXPECT_TRUE(o.ok) << c.expression << ": " << o.error;
    EXPECT_EQ(o.out, std::string(c.shown) + "\n") << c.expression;
  }
}

TEST(ScriptHost, ForLoopsAndIfBlocksNest) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine,
                              "total = 0\n"
                              "For i = 1 To 3\n"
                              "  For j = i To 1 Step -1\n"
                              "    If (i + j) Mod 2 = 0 Then\n"
                              "      total = total + i * j\n"
                              "    Else\n"
                              "      If j = 1 Then\n"
                              "        print \"odd\", i, j\n"
                              "      End If\n"
                              "    End If\n"
                              "  Next j\n"
                              "Next\n"
                              "print total, i\n"
                              "For k = 5 To 1\n"
                              "  print \"never\"\n"
                              "Next\n"
                              "For x = 0 To 1 Step 0.25\n"
                              "Next\n"
                              "print k, x\n"
                              "If False Then\n"
                              "  print \"never\"\n"
                              "End If\n");
  ASSERT_TRUE(o.ok) << o.error;
  // Pairs (i, j) with an even sum: (1,1) (2,2) (3,3) (3,1) -> 1 + 4 + 9 + 3.
  EXPECT_EQ(o.out, "odd 2 1\n17 4\n5 1.25\n");
}

TEST(ScriptHost, DoLoopsRunWhileOrUntilTheirCondition) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine,
                              "n = 0\n"
                              "Do While n < 3\n"
                              "  k = 0\n"
                              "  Do Until k >= n\n"
                              "    k = k + 1\n"
                              "  Loop\n"
                              "  print n, k\n"
                              "  n = n + 1\n"
                              "Loop\n"
                              "Do While False\n"
                              "  print \"never\"\n"
                              "Loop\n"
                              "Do Until True\n"
                              "  print \"never\"\n"
                              "Loop\n"
                              "print n\n");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "0 0\n1 1\n2 2\n3\n");
}

TEST(ScriptHost, ArraysAreReadBoundedAndBuilt) {
  FakeEngine engine;
  Outcome o = RunOnFake(engine,
                        "HistogramGetRed h\n"
                        "print LBound(h), UBound(h), UBound(h, 1), h(0), h(255.4)\n"
                        "s = 0\n"
                        "For i = LBound(h) To UBound(h)\n"
                        "  s = s + h(i)\n"
                        "Next\n"
                        "print s\n"
                        "print CreateImageFromByteArray(Array(1, 2, 255))\n"
                        "p = Array(1.5, \"7\", -1)\n"
                        "ColorPaletteSet p\n"
                        "print p(0), p(2), UBound(Array())\n"
                        "GetPixelArray2D px, 1, -1, 3, 2\n"
                        "print LBound(px, 1), UBound(px, 1), LBound(px, 2), UBound(px, 2), px(3, 0), px(1, -1)\n");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "0 255 255 7 7\n1792\n3\n-1 2 -1\n1 3 -1 0 30 9\n");
  EXPECT_EQ(engine.lastBytes, (std::vector<uint8_t>{1, 2, 255}));
  EXPECT_EQ(engine.lastPalette, (std::vector<int32_t>{2, 7, -1}));  // converted for the Long[] parameter

  o = RunOnFake(engine, "ColorPaletteSet nARGBColorsArray:=Array(3.5)");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(engine.lastPalette, (std::vector<int32_t>{4}));
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
      {"SaveAsJPEG \"a\", \"high\"", "line 1: SaveAsJPEG: type mismatch: nQuality As Long cannot take \"high\""},
      {"SaveAsJPEG", "line 1: SaveAsJPEG: the argument sFilePath is missing; it takes 1 or 2 arguments: SaveAsJPEG (sFilePath As String, Optional nQuality As Long = 75) As VexiroStatus"},
      {"SaveAsJPEG \"a\", nLevel:=3", "line 1: SaveAsJPEG: no parameter is named nLevel; it takes 1 or 2 arguments: SaveAsJPEG (sFilePath As String, Optional nQuality As Long = 75) As VexiroStatus"},
      {"SaveAsJPEG nQuality:=3, \"a\"", "line 1: syntax error: a positional argument after a named one"},
      {"expect \"x\"", "line 1: expect needs a true or false value"},
      {"print 1 ; 2", "line 1: syntax error: unexpected character ';'"},
      {"print :", "line 1: syntax error: unexpected character ':'"},
      {"x = 1\nprint x / (x - 1)", "line 2: division by zero"},
      {"print 5 \\ 0", "line 1: division by zero"},
      {"print 5 Mod 0", "line 1: division by zero"},
      {"print -2147483648 \\ -1", "line 1: overflow in '\\'"},
      {"print \"a\" * 2", "line 1: type mismatch in '*'"},
      {"print 2 +", "line 1: syntax error: expression expected"},
      {"GetStat = 5", "line 1: cannot assign to GetStat: it is a member"},
      {"For savEasjpeg = 1 To 2\nNext", "line 1: cannot assign to SaveAsJPEG: it is a member"},
      {"Then = 1", "line 1: syntax error: 'Then' is a word of the language"},
      {"print 1\nFor i = 1 To 3 Step 0\nNext", "line 2: For with Step 0 never ends"},
      {"For i = 1 To 3\nprint i", "line 1: For without Next"},
      {"For i = 1 To 3\nFor j = 1 To 3\nNext\n", "line 1: For without Next"},
      {"print 1\nNext", "line 2: Next without For"},
      {"For i = 1 To 2\nNext j", "line 2: Next j closes For i"},
      {"For i = 1 2\nNext", "line 1: syntax error: expected To"},
      {"For i = \"a\" To 2\nNext", "line 1: type mismatch in 'For'"},
      {"If 1 = 1 Then\nprint 1", "line 1: If without End If"},
      {"If 1 = 1 Then print 1", "line 1: syntax error: If ends its line with Then; its statements follow on the next lines"},
      {"If 1 = 1\nEnd If", "line 1: syntax error: If ends its line with Then; its statements follow on the next lines"},
      {"If \"x\" Then\nEnd If", "line 1: If needs a true or false value"},
      {"Else", "line 1: Else without If"},
      {"If True Then\nElse\nElse\nEnd If", "line 3: Else without If"},
      {"End If", "line 1: End If without If"},
      {"For i = 1 To 2\nIf True Then\nNext\nEnd If", "line 3: Next without For"},
      {"Do While 1 = 1\nprint 1", "line 1: Do without Loop"},
      {"print 1\nLoop", "line 2: Loop without Do"},
      {"Do 1 = 1\nLoop", "line 1: syntax error: Do is followed by While or Until"},
      {"Do While \"x\"\nLoop", "line 1: Do While needs a true or false value"},
      {"Do Until 1 = 1\nLoop 1", "line 2: syntax error: Loop stands alone on its line"},
      {"For i = 1 To 2\nDo While True\nNext\nLoop", "line 3: Next without For"},
      {"while = 1", "line 1: syntax error: 'while' is a word of the language"},
      {"x = 1\nprint x(0)", "line 2: 'x' is not an array"},
      {"a = Array(1, 2)\nprint a(2)", "line 2: subscript out of range in 'a'"},
      {"a = Array(1, 2)\na(0) = 5", "line 2: 'a' is a variable, not a member"},
      {"a = Array(1, 2)\nprint a(0, 0)", "line 2: subscript out of range in 'a'"},
      {"a = Array(1, 2)\nprint a(\"one\")", "line 2: type mismatch in subscript"},
      {"print UBound(Array(1), 2)", "line 1: subscript out of range in UBound"},
      {"GetPixelArray2D px, 0, 0, 2, 2\nprint px(1)", "line 2: subscript out of range in 'px'"},
      {"GetPixelArray2D px, 0, 0, 2, 2\nprint LBound(px, 0)", "line 2: subscript out of range in LBound"},
      {"print LBound(5)", "line 1: type mismatch in LBound: not an array"},
      {"print Array(Array(1))", "line 1: type mismatch in Array"},
      {"CreateImageFromByteArray Array(1, 256)", "line 1: CreateImageFromByteArray: overflow: arBytes As Byte[] cannot hold an array of 2 Long"},
      {"CreateImageFromByteArray Array(\"x\")", "line 1: CreateImageFromByteArray: type mismatch: arBytes As Byte[] cannot take an array of 1 String"},
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
using testing::HostRun;
using testing::RunHost;
using testing::ScratchPath;

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
  const std::string folder = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  r = RunHost(folder);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "vexiro: cannot read " + folder + ": is a folder\n");
  r = RunHost("--bogus");
  EXPECT_EQ(r.status, 2);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutLE(std::vector<uint8_t>& b, size_t at, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// A 4 x 2 8-bit BMP whose 256 palette entries are all different; returns their sum as Longs.
int64_t WritePaletteBmp(const std::string& path) {
  constexpr size_t kPalette = 14 + 40, kPixels = kPalette + 256 * 4;
  std::vector<uint8_t> b(kPixels + 8, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE(b, 2, static_cast<uint32_t>(b.size()), 4);
  PutLE(b, 10, kPixels, 4);
  PutLE(b, 14, 40, 4);
  PutLE(b, 18, 4, 4);  // width
  PutLE(b, 22, 2, 4);  // height
  PutLE(b, 26, 1, 2);
  PutLE(b, 28, 8, 2);
  PutLE(b, 46, 256, 4);
  int64_t sum = 0;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t blue = i, green = 255 - i, red = (i * 7) & 0xFF;
    PutLE(b, kPalette + 4 * i, blue | green << 8 | red << 16, 4);
    sum += static_cast<int32_t>(0xFF000000u | red << 16 | green << 8 | blue);
  }
  for (size_t p = 0; p < 8; ++p) b[kPixels + p] = static_cast<uint8_t>(p * 30);
  WriteFile(path, b);
  return sum;
}

// The host reads a palette into an array, reports its bounds and sums it in a loop: the sum of
// 256 opaque colours passes the Long range and goes on as a Double.
TEST(VexiroHost, ReadsTheEnvironment) {
  ASSERT_EQ(setenv("VX_HOST_TEST_VALUE", "a b", 1), 0);
  unsetenv("VX_HOST_TEST_UNSET");
  HostRun r = RunHost("-e 'print Environ(\"VX_HOST_TEST_VALUE\") & \"|\" & Environ(\"VX_HOST_TEST_UNSET\") & \"|\"'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "a b||\n");
  r = RunHost("-e 'print Environ(1)'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "line 1: type mismatch in Environ: not a text\n");
  unsetenv("VX_HOST_TEST_VALUE");
}

TEST(VexiroHost, ReadsAPaletteIntoAnArrayAndSumsIt) {
  const std::string image = ScratchPath("palette8.bmp");
  const int64_t expected = WritePaletteBmp(image);
  const HostRun r = RunHost("", "id = CreateImageFromFile(\"" + image + "\")\n"
                                "expect GetStat() = 0\n"
                                "ColorPaletteGet pal, n\n"
                                "print n, LBound(pal), UBound(pal)\n"
                                "s = 0\n"
                                "For i = LBound(pal) To UBound(pal)\n"
                                "  expect pal(i) = ColorPaletteGetEntrie(i)\n"
                                "  s = s + pal(i)\n"
                                "Next\n"
                                "print s\n");
  std::remove(image.c_str());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "256 0 255\n" + std::to_string(expected) + "\n");
}

// Text drawn through cairo fills fontconfig's caches; the host hands them back at exit, so the
// leak checker of a sanitized build stays silent.
TEST(VexiroHost, ExitsCleanlyAfterDrawingText) {
  metafile_test::WmfBuilder wmf(2);
  wmf.Record(0x020C, {100, 100})
      .Record(0x02FB, {-40, 0, 0, 0, 700, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l', 0})
      .Record(0x012D, {0})
      .Record(0x0521, {2, 'H' | ('I' << 8), 20, 10});
  const std::string path = ScratchPath("text.wmf");
  WriteFile(path, wmf.Finish());
  const HostRun r = RunHost("", "id = CreateImageFromMetaFile(\"" + path + "\")\nexpect GetStat() = 0\n");
  std::remove(path.c_str());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

// The network and print stacks (TLS, Kerberos, D-Bus and the rest) are opened by the first
// transfer or printer lookup, not by every process that only works on pictures.
TEST(VexiroHost, OpensNoNetworkOrPrintLibraryForPictureWork) {
  const std::string picture = ScratchPath("startup.jpg");
  setenv("LD_DEBUG", "libs", 1);
  const HostRun r = RunHost("", "id = CreateNewImage(40, 30, 24, -1)\nSaveAsJPEG \"" + picture +
                                    "\"\nexpect GetStat() = 0\nCloseImage id\nid = CreateImageFromFile(\"" + picture +
                                    "\")\nexpect GetStat() = 0\n");
  unsetenv("LD_DEBUG");
  std::remove(picture.c_str());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("libfreeimage"), std::string::npos) << "the loader's log names what was opened";
  EXPECT_EQ(r.err.find("libcurl"), std::string::npos);
  EXPECT_EQ(r.err.find("libcups"), std::string::npos);
}

TEST(VexiroHost, ReportsFailuresOfMembers) {
  // Any member without arguments that is not bound yet: which ones are left changes as the
  // subsystems land.
  const std::string members = RunHost("--members").out;
  const std::regex unboundWithoutArguments("(^|\n)\\w+ \\(\\)[^\n]* not bound");
  std::smatch found;
  if (std::regex_search(members, found, unboundWithoutArguments)) {
    const size_t line = static_cast<size_t>(found.position(0)) + found[1].length();
    const std::string name = members.substr(line, members.find_first_of(" (", line) - line);
    const HostRun missing = RunHost("-e '" + name + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "line 1: " + name + " is not implemented\n");
  }
  HostRun r = RunHost("-e 'print (1'");
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
  std::string unbound;
  while (std::getline(lines, line)) {
    ++count;
    const bool notBound = line.size() > 10 && line.compare(line.size() - 10, 10, " not bound") == 0;
    const bool isBound = !notBound && line.size() > 6 && line.compare(line.size() - 6, 6, " bound") == 0;
    EXPECT_TRUE(notBound || isBound) << line;
    bound += isBound;
    if (notBound) unbound += line.substr(0, line.find(' ')) + " ";
  }
  EXPECT_EQ(count, 749);
  EXPECT_EQ(unbound, "") << "every member reaches its engine code";
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
