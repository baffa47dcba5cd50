// Basic's functions in scripts, with Basic's rules, and Dir walking a folder made by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "control/script_folder_walk.h"
#include "control/script_functions.h"
#include "control/script_lexer.h"
#include "control/script_operators.h"
#include "control/wildcards.h"
#include "script_test_support.h"

namespace vx::control {
namespace {

using testing::FakeEngine;
using testing::Outcome;
using testing::RunOnFake;

TEST(ScriptFunctions, FollowBasicsRules) {
  struct Case {
    const char* expression;
    const char* shown;
  };
  const Case cases[] = {
      {"Len(\"abc\")", "3"},
      {"Len(\"\")", "0"},
      {"Len(12.5)", "4"},
      {"Len(True)", "4"},
      {"Len(\"a\xC3\xB1" "b\")", "3"},  // characters, not bytes
      {"Left(\"abcdef\", 2)", "ab"},
      {"Left(\"ab\", 5)", "ab"},
      {"\"[\" & Left(\"ab\", 0) & \"]\"", "[]"},
      {"Left(\"\xC3\xB1x\", 1)", "\xC3\xB1"},
      {"Right(\"abcdef\", 2)", "ef"},
      {"Right(\"ab\", 5)", "ab"},
      {"Mid(\"abcdef\", 2, 3)", "bcd"},
      {"Mid(\"abcdef\", 4)", "def"},
      {"\"[\" & Mid(\"abc\", 5) & \"]\"", "[]"},
      {"Mid(\"a\xC3\xB1" "b\", 2, 1)", "\xC3\xB1"},
      {"Mid(\"abcd\", 2.5, 1.5)", "bc"},  // positions round half to even
      {"InStr(\"abcabc\", \"c\")", "3"},
      {"InStr(4, \"abcabc\", \"c\")", "6"},
      {"InStr(\"abc\", \"C\")", "0"},
      {"InStr(1, \"abc\", \"C\", 1)", "3"},
      {"InStr(\"abc\", \"\")", "1"},
      {"InStr(3, \"abc\", \"\")", "3"},
      {"InStr(\"\", \"a\")", "0"},
      {"InStr(5, \"abc\", \"a\")", "0"},
      {"InStr(\"a\xC3\xB1" "b\", \"b\")", "3"},
      {"Replace(\"a.b.c\", \".\", \"/\")", "a/b/c"},
      {"Replace(\"a.b.c\", \".\", \"\", 3)", "bc"},  // the result begins at start
      {"Replace(\"aaa\", \"a\", \"b\", 1, 2)", "bba"},
      {"Replace(\"AbA\", \"a\", \"x\", 1, -1, 1)", "xbx"},
      {"Replace(\"AbA\", \"a\", \"x\")", "AbA"},
      {"Replace(\"abc\", \"\", \"x\")", "abc"},
      {"Replace(\"aa\", \"a\", \"aa\")", "aaaa"},
      {"LCase(\"AbC1\xC3\x91\")", "abc1\xC3\x91"},
      {"UCase(\"abc\")", "ABC"},
      {"\"[\" & Trim(\"  a b  \") & \"]\"", "[a b]"},
      {"\"[\" & Trim(\"\ta \") & \"]\"", "[\ta]"},  // spaces only
      {"CStr(12.5) & \"|\" & CStr(True) & \"|\" & CStr(&HFF)", "12.5|True|255"},
      {"CLng(\"12.5\") & \" \" & CLng(13.5) & \" \" & CLng(-2.5) & \" \" & CLng(True)", "12 14 -2 -1"},
      {"CLng(\"12\") + 1", "13"},
      {"CDbl(\"1.25\") * 2", "2.5"},
      {"Left(\"scan01.tif\", InStr(\"scan01.tif\", \".\") - 1) & \".pdf\"", "scan01.pdf"},
      {"ucase(left(\"abc\", 1))", "A"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, std::string("print ") + c.expression);
    EXPECT_TRUE(o.ok) << c.expression << ": " << o.error;
    EXPECT_EQ(o.out, std::string(c.shown) + "\n") << c.expression;
  }
}

TEST(ScriptFunctions, RefuseWhatBasicRefuses) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"print Left(\"a\", -1)", "line 1: Left: run-time error 5: Invalid procedure call or argument (-1 is out of range)"},
      {"print Mid(\"a\", 0)", "line 1: Mid: run-time error 5: Invalid procedure call or argument (0 is out of range)"},
      {"print InStr(0, \"a\", \"a\")", "line 1: InStr: run-time error 5: Invalid procedure call or argument (0 is out of range)"},
      {"print InStr(1, \"a\", \"a\", 2)", "line 1: InStr: run-time error 5: Invalid procedure call or argument (compare is 0 or 1)"},
      {"print Replace(\"a\", \"a\", \"b\", 1, -2)",
       "line 1: Replace: run-time error 5: Invalid procedure call or argument (count is -1 or more)"},
      {"print CLng(\"abc\")", "line 1: CLng: run-time error 13: Type mismatch (\"abc\" is no number)"},
      {"print CLng(3000000000)", "line 1: CLng: run-time error 6: Overflow"},
      {"print CDbl(\"\")", "line 1: CDbl: run-time error 13: Type mismatch (\"\" is no number)"},
      {"print Len(Array(1))", "line 1: Len: run-time error 13: Type mismatch (an array is no text)"},
      {"print Len()", "line 1: Len: wrong number of arguments: 0 given, it takes 1 argument: Len(text)"},
      {"print Left(\"a\")", "line 1: Left: wrong number of arguments: 1 given, it takes 2 arguments: Left(text, length)"},
      {"print Mid(\"a\", 1, 1, 1)", "line 1: Mid: wrong number of arguments: 4 given, it takes 2 to 3 arguments: Mid(text, start [, length])"},
      {"print Dir()", "line 1: Dir: run-time error 5: Invalid procedure call or argument (no Dir(pattern) under way)"},
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, c.script);
    EXPECT_FALSE(o.ok) << c.script;
    EXPECT_EQ(o.error, c.error) << c.script;
  }
}

// Replace never makes a text longer than any other script text may be, wherever the length
// comes from: the replacements, or the text left after the last one.
TEST(ScriptFunctions, ReplaceStopsAtTheLongestText) {
  const size_t half = kMaxScriptText / 2;
  struct Case {
    const char* what;
    std::string text, with;
    int32_t count;
    size_t length;  // 0: refused
  };
  const Case cases[] = {
      {"the tail after the replacement", "a" + std::string(half, 'x'), std::string(half + 1, 'y'), -1, 0},
      {"the tail after the counted replacements", "aa" + std::string(half, 'x'), std::string(half / 2 + 1, 'y'), 2, 0},
      {"the replacements themselves", std::string(half, 'x') + "a", std::string(half + 1, 'y'), -1, 0},
      {"exactly the longest", "a" + std::string(half, 'x'), std::string(half, 'y'), -1, kMaxScriptText},
  };
  FolderWalk walk;
  for (const Case& c : cases) {
    const std::vector<Variant> args = {Variant::Str(c.text), Variant::Str("a"), Variant::Str(c.with), Variant::I4(1),
                                       Variant::I4(c.count)};
    try {
      const size_t made = CallScriptFunction("Replace", args, walk).AsStr().size();
      EXPECT_EQ(made, c.length) << c.what;
    } catch (const LineError& e) {
      EXPECT_EQ(c.length, 0u) << c.what << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find("out of string space"), std::string::npos) << e.what();
    }
  }
}

class DirWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::ScratchPath("dir_walk");
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ + "/sub.tif");  // a folder is never a match
    for (const char* name : {"b.TIF", "a.tif", "c.png", ".hidden.tif", "ab.tif"}) std::ofstream(folder_ + "/" + name) << "x";
    std::filesystem::create_symlink(folder_ + "/a.tif", folder_ + "/link.tif");
    std::filesystem::create_symlink(folder_ + "/gone", folder_ + "/dangling.tif");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Every name the walk of `pattern` gives, then what Dir() answers after the last.
  std::string Walk(const std::string& pattern) {
    FakeEngine engine;
    const Outcome o = RunOnFake(engine, "f = Dir(\"" + pattern + "\")\n"
                                        "Do While f <> \"\"\n"
                                        "  print f\n"
                                        "  f = Dir\n"
                                        "Loop\n"
                                        "print Dir()\n");
    return o.out + o.error;
  }

  std::string folder_;
};

TEST_F(DirWalk, GivesEachMatchingFileOnceThenAnEmptyText) {
  EXPECT_EQ(Walk(folder_ + "/*.tif"), "a.tif\nab.tif\nb.TIF\nlink.tif\nline 6: Dir: run-time error 5: Invalid procedure call or "
                                      "argument (no Dir(pattern) under way)");
  FakeEngine engine;
  const Outcome o = RunOnFake(engine, "print Dir(\"" + folder_ + "/?.tif\")\nprint Dir()\nprint \"[\" & Dir() & \"]\"\n"
                                      "print Dir(\"" + folder_ + "/\"), Dir(), Dir(), Dir(), Dir(), Dir() = \"\"\n"
                                      "print Dir(\"" + folder_ + "/.*\"), Dir(\"" + folder_ + "/A.TIF\"), Dir(\"" + folder_ + "/none\") = \"\"\n"
                                      "print Dir(\"" + folder_ + "/missing/*\") = \"\", Dir(\"" + folder_ + "/sub.tif/*\") = \"\"\n");
  ASSERT_TRUE(o.ok) << o.error;
  EXPECT_EQ(o.out, "a.tif\nb.TIF\n[]\n"
                   "a.tif ab.tif b.TIF c.png link.tif True\n"
                   ".hidden.tif a.tif True\n"
                   "True True\n");
}

TEST(FolderWalkMask, MatchesLikeBasic) {
  const std::string manyA(60, 'a');
  struct Case {
    std::string name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"a.tif", "*.tif", true},     {"a.TIF", "*.tif", true},   {"a.tiff", "*.tif", false},
      {"a.tif", "?.tif", true},     {"ab.tif", "?.tif", false}, {"a.tif", "*", true},
      {"", "*", true},              {"abc", "a*c", true},       {"ac", "a*c", true},
      {"abcb", "a*b", true},        {"abcd", "a*b", false},     {"a.b.c", "*.*.*", true},
      {"page1.png", "page?.p*", true},
      {manyA, "*a*a*a*a*a*a*a*a*a*a*b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesWildcards(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

}  // namespace
}  // namespace vx::control
