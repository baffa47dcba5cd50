// What names mean in a script: the type library's constants, `&H` literals, which arguments may
// make a variable, and the messages that a wrong name or a wrong call gets.
#include <gtest/gtest.h>

#include "control/enumerations.h"
#include "script_test_support.h"

namespace vx::control {
namespace {

using testing::FakeEngine;
using testing::Outcome;
using testing::RunOnFake;

// Every constant of every enumeration reads as its value, in any case.
TEST(ScriptNames, EveryConstantOfTheTypeLibraryReadsAsItsValue) {
  std::string script, expected;
  size_t count = 0;
  for (const EnumerationDesc& e : Enumerations()) {
    for (const EnumConstant& c : e.constants) {
      std::string spelled(c.name);
      if (++count % 2 == 0) spelled = FoldCase(spelled);
      script += "print " + spelled + "\n";
      expected += std::to_string(c.value) + "\n";
    }
  }
  FakeEngine engine;
  const Outcome o = RunOnFake(engine, script);
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, expected);
  EXPECT_GT(count, 1300u);
}

TEST(ScriptNames, AConstantReachesAMemberAndAMisspeltOneStopsTheLine) {
  FakeEngine engine;
  Outcome o = RunOnFake(engine, "SaveAsTIFF \"x.tif\", CompressionCCITT4\nSaveAsTIFF \"y.tif\", nModeCompression:=compressionrle");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(engine.lastCompression, 5);
  EXPECT_EQ(engine.calls, 2);

  FakeEngine other;
  o = RunOnFake(other, "SaveAsTIFF \"x.tif\", CompresionCCITT4");
  EXPECT_EQ(o.error, "line 1: unknown member or variable 'CompresionCCITT4'; did you mean CompressionCCITT4?");
  EXPECT_EQ(other.calls, 0) << "the member must not run with an empty value in place of the constant";
}

// Assigning a variable of a constant's name hides the constant, as a variable of Basic hides a
// referenced library's constant; the others keep their values.
TEST(ScriptNames, AVariableHidesAConstantOfItsName) {
  FakeEngine engine;
  const Outcome o = RunOnFake(engine, "red = 5\nprint Red, Blue\nHistogramGetRed Green\nprint UBound(green)");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "5 -16776961\n255\n");
}

TEST(ScriptNames, OnlyAByReferenceParameterMakesAVariable) {
  struct Case {
    const char* script;
    const char* outcome;  // what it prints, or its error
  };
  const Case cases[] = {
      {"CropBordersEX2 90, 1, l, t, w, h\nprint l, h", "90 201\n"},
      {"HistogramGetRed bins\nprint UBound(bins)", "255\n"},
      {"HistogramGetRed(bins)\nprint bins(0)", "7\n"},
      {"SaveAsJPEG \"a.jpg\", quality", "line 1: unknown member or variable 'quality'"},
      {"SaveAsJPEG path", "line 1: unknown member or variable 'path'"},
      {"print IsBlank(level)", "line 1: unknown member or variable 'level'"},
      {"SaveAsJPEG \"a.jpg\", nQuality:=q", "line 1: unknown member or variable 'q'"},
      {"q = 40\nSaveAsJPEG \"a.jpg\", q\nprint q", "40\n"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, c.script);
    EXPECT_EQ(o.ok ? o.out : o.error, c.outcome) << c.script;
  }
}

TEST(ScriptNames, HexadecimalLiteralsFollowBasicsRules) {
  struct Case {
    const char* literal;
    const char* shown;
  };
  const Case cases[] = {
      {"&HFF", "255"},
      {"&h7f", "127"},
      {"&H7FFF", "32767"},
      {"&H8000", "-32768"},       // four digits: an Integer, the top bit its sign
      {"&HFFFF", "-1"},
      {"&H0000FFFF", "-1"},       // leading zeros do not count
      {"&HFFFF&", "65535"},       // a Long asked for
      {"&H8000&", "32768"},
      {"&H10000", "65536"},       // five digits: a Long
      {"&H7FFFFFFF", "2147483647"},
      {"&HFF0000FF", "-16776961"},
      {"&HFFFFFFFF", "-1"},
      {"&HFFFFFFFF&", "-1"},
      {"&H0", "0"},
      {"-&H10", "-16"},
      {"&H10 + &H1", "17"},
      {"\"x\" & &H10", "x16"},   // the concatenation before a literal
      {"\"x\"&&H10", "x16"},
      {"&HFF = 255", "True"},
      {"&HFF0000FF = Blue", "True"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, std::string("print ") + c.literal);
    EXPECT_TRUE(o.ok) << c.literal << ": " << o.error;
    EXPECT_EQ(o.out, std::string(c.shown) + "\n") << c.literal;
  }
  FakeEngine engine;
  EXPECT_EQ(RunOnFake(engine, "print &H100000000").error, "line 1: overflow: &H100000000 has more than eight hexadecimal digits");
  EXPECT_EQ(RunOnFake(engine, "print \"a\" &HG").error, "line 1: unknown member or variable 'HG'");
  EXPECT_EQ(RunOnFake(engine, "print &H" + std::string(100000, '0') + "1").out, "1\n");
}

TEST(ScriptNames, MessagesSayWhatWentWrongInWords) {
  const std::string jpeg = "SaveAsJPEG (sFilePath As String, Optional nQuality As Long = 75) As VexiroStatus";
  struct Case {
    const char* script;
    std::string error;
  };
  const Case cases[] = {
      {"SaveAsJPEG \"a\", 1, 2", "line 1: SaveAsJPEG: wrong number of arguments: 3 given; it takes 1 or 2 arguments: " + jpeg},
      {"print GetStat(1)", "line 1: GetStat: wrong number of arguments: 1 given; it takes no arguments: GetStat () As VexiroStatus"},
      {"CropBordersEX2 1", "line 1: CropBordersEX2: the argument nPixelReference is missing; it takes 6 arguments: CropBordersEX2 "
                           "(nConfidence As Long, nPixelReference As Long, ByRef nLeft As Long, ByRef nTop As Long, "
                           "ByRef nWidth As Long, ByRef nHeight As Long) As VexiroStatus"},
      {"SaveAsJPEG \"a\", sFilePath:=\"b\"", "line 1: SaveAsJPEG: sFilePath is given twice"},
      {"SaveAsJPEG \"a\", nQualty:=3",
       "line 1: SaveAsJPEG: no parameter is named nQualty (did you mean nQuality?); it takes 1 or 2 arguments: " + jpeg},
      {"ResizImage 10, 10", "line 1: unknown member or variable 'ResizImage'; did you mean ResizeImage?"},
      {"print savasjpeg", "line 1: unknown member or variable 'savasjpeg'; did you mean SaveAsJPEG?"},
      {"total = 1\nprint totl", "line 2: unknown member or variable 'totl'; did you mean total?"},
      {"print Rde", "line 1: unknown member or variable 'Rde'; did you mean Red?"},
      {"print Lenn(\"a\")", "line 1: unknown member or variable 'Lenn'; did you mean Len?"},
      {"print Frobnicate", "line 1: unknown member or variable 'Frobnicate'"},
      {"Red", "line 1: 'Red' is a constant of Colors, not a member"},
      {"print Red(1)", "line 1: 'Red' is a constant of Colors, not an array"},
      {"Len \"a\"", "line 1: Len is a function: use its value, as in x = Len(...)"},
      {"Left = 1", "line 1: cannot assign to Left: it is a function"},
      {"For Dir = 1 To 2\nNext", "line 1: cannot assign to Dir: it is a function"},
      {"Environ = 1", "line 1: syntax error: 'Environ' is a word of the language"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, c.script);
    EXPECT_FALSE(o.ok) << c.script;
    EXPECT_EQ(o.error, c.error) << c.script;
  }
}

TEST(ScriptNames, AFailedExpectShowsTheValuesItCompared) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"x = 5\nexpect x = 6", "line 2: expect failed: x = 6 (x is 5)"},
      {"s = \"a\"\nexpect s = \"b\"", "line 2: expect failed: s = \"b\" (s is \"a\")"},
      {"SaveAsJPEG \"a\"\nexpect GetStat() = OK", "line 2: expect failed: GetStat() = OK (GetStat() is 10 FileNotFound)"},
      {"expect SaveAsJPEG(\"a\") = 0", "line 1: expect failed: SaveAsJPEG(\"a\") = 0 (SaveAsJPEG(\"a\") is 10 FileNotFound)"},
      {"a = 1\nb = 3\nexpect a = 1 And b < a", "line 3: expect failed: a = 1 And b < a (a is 1, b is 3)"},
      {"expect Len(\"abc\") = 2", "line 1: expect failed: Len(\"abc\") = 2 (Len(\"abc\") is 3)"},
      {"expect IsBlank(10 = 10)", "line 1: expect failed: IsBlank(10 = 10)"},
      {"expect 1 = 2", "line 1: expect failed: 1 = 2"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    engine.statusToLeave = 10;
    const Outcome o = RunOnFake(engine, c.script);
    EXPECT_EQ(o.error, c.error) << c.script;
  }
}

}  // namespace
}  // namespace vx::control
