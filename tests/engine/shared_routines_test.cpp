#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>

#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"
#include "platform/user/user.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

TEST(Base64, KnownVectors) {
  const struct {
    std::string plain, encoded;
  } cases[] = {
      {"", ""},
      {"a", "YQ=="},
      {"ab", "YWI="},
      {"abc", "YWJj"},
      {"abcd", "YWJjZA=="},
      {std::string("\x00\xff\x80", 3), "AP+A"},
      {"\xfb\xff", "+/8="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Base64Encode(c.plain), c.encoded) << c.encoded;
    EXPECT_EQ(Base64Decode(c.encoded), c.plain) << c.encoded;
  }
}

TEST(Base64, DecodingSkipsForeignCharactersAndDropsLeftoverBits) {
  EXPECT_EQ(Base64Decode("YQ"), "a");
  EXPECT_EQ(Base64Decode("Y\r\nQ=="), "a");
  EXPECT_EQ(Base64Decode("YW*Jj !"), "abc");
}

TEST(Base64, LinesOfFortyCharactersEachEndInCrLf) {
  const std::string input(120, 'x');
  const std::string encoded = Base64Encode(input);
  ASSERT_EQ(encoded.size(), 4u * 42u);
  for (size_t line = 0; line < 4; ++line) {
    EXPECT_EQ(encoded.substr(line * 42 + 40, 2), "\r\n");
    EXPECT_EQ(encoded.substr(line * 42, 40).find_first_of("\r\n="), std::string::npos);
  }
  EXPECT_EQ(Base64Decode(encoded), input);
  // Padding follows the last line without counting toward it.
  const std::string withPadding = Base64Encode(std::string(31, 'x'));
  EXPECT_EQ(withPadding.substr(40, 2), "\r\n");
  EXPECT_EQ(withPadding.size(), 42u + 4u);
  EXPECT_EQ(withPadding.substr(44), "==");
}

TEST(Base64, MatchesTheSystemEncoder) {
  VX_REQUIRE_TOOL("base64");
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>((i * 37) & 0xFF);
  const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/b64-input";
  std::ofstream(path, std::ios::binary) << bytes;
  FILE* pipe = popen(("base64 -w0 " + path).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string expected;
  for (int c; (c = fgetc(pipe)) != EOF;) expected += static_cast<char>(c);
  pclose(pipe);
  std::filesystem::remove(path);
  std::string ours = Base64Encode(bytes);
  std::erase(ours, '\r');
  std::erase(ours, '\n');
  EXPECT_EQ(ours, expected);
}

TEST(NormalizePath, Table) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"a//b///c", "a/b/c"},
      {"a\\\\b\\\\\\c", "a/b/c"},
      {"\\\\server\\share\\\\x", "//server/share/x"},
      {"//server//share", "//server/share"},
      {"////server/x", "//server/x"},
      {"/usr//local/", "/usr/local/"},
      {"  /tmp//x  ", "/tmp/x"},
      {"a//", "a//"},  // three characters or fewer stay as they are
      {"", ""},
      {"   ", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizePath(c.in), c.out) << c.in;
}

class TempFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  }
  void TearDown() override {
    setenv("TMPDIR", saved_.c_str(), 1);
    unsetenv("tmp");
    unsetenv("temp");
  }
  std::string saved_;
};

TEST_F(TempFiles, FolderComesFromTmpdirThenTmpThenTemp) {
  setenv("TMPDIR", "/x/y//", 1);
  EXPECT_EQ(GetTempFolder(), "/x/y/");
  unsetenv("TMPDIR");
  setenv("tmp", " /from-tmp ", 1);
  setenv("temp", "/from-temp", 1);
  EXPECT_EQ(GetTempFolder(), "/from-tmp/");
  unsetenv("tmp");
  EXPECT_EQ(GetTempFolder(), "/from-temp/");
  unsetenv("temp");
  EXPECT_EQ(GetTempFolder(), "/tmp/");
}

TEST_F(TempFiles, NamesAreCreatedExclusivelyAndPrivately) {
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string path = GetTempFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.rfind(GetTempFolder(), 0), 0u);
    const std::string leaf = path.substr(GetTempFolder().size());
    EXPECT_LE(leaf.size(), 8u);
    EXPECT_EQ(leaf.find_first_not_of("0123456789"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0) << "the name is taken by creating the file";
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(names.insert(path).second);
  }
  // A name already on disk is never handed out again: replaying the generator gives new names.
  SeedRandomGenerator(42);
  const std::string first = GetTempFilePath();
  SeedRandomGenerator(42);
  const std::string second = GetTempFilePath();
  EXPECT_NE(first, second);
  names.insert(first);
  names.insert(second);
  for (const std::string& n : names) DeleteFileQuietly(n);
}

TEST_F(TempFiles, NoFolderGivesNoName) {
  setenv("TMPDIR", "/nonexistent-folder-for-vexiro-tests", 1);
  EXPECT_EQ(GetTempFilePath(), "");
}

// A fresh temporary file stays only when its writer succeeds; every failure is a status and
// leaves no file behind.
TEST_F(TempFiles, FreshFileStaysOnlyWhenWritten) {
  struct Case {
    const char* what;
    const char* folder;  // nullptr: the test's own folder
    VexiroStatus writerSays, expected;
    bool writerCalled;
  } cases[] = {
      {"written", nullptr, vexiro::OK, vexiro::OK, true},
      {"writer fails", nullptr, vexiro::Win32Error, vexiro::Win32Error, true},
      {"no folder", "/nonexistent-folder-for-vexiro-tests", vexiro::OK, vexiro::CanNotCreateFile, false},
  };
  for (const Case& c : cases) {
    if (c.folder) setenv("TMPDIR", c.folder, 1);
    std::string seen;
    VexiroStatus status = vexiro::GenericError;
    const std::string path = WriteFreshTempFile(
        [&](const std::string& p) {
          seen = p;
          std::ofstream(p) << "page";
          return c.writerSays;
        },
        status);
    setenv("TMPDIR", saved_.c_str(), 1);
    EXPECT_EQ(status, c.expected) << c.what;
    EXPECT_EQ(!seen.empty(), c.writerCalled) << c.what;
    EXPECT_EQ(path.empty(), c.expected != vexiro::OK) << c.what;
    if (!seen.empty()) EXPECT_EQ(std::filesystem::exists(seen), c.expected == vexiro::OK) << c.what;
    DeleteFileQuietly(path);
  }
}

TEST(GetExistingFilePath, OnlyReadableRegularFiles) {
  const std::string folder = GetTempFolder();
  const std::string file = GetTempFilePath();
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(GetExistingFilePath(file), file);
  EXPECT_EQ(GetExistingFilePath(folder), "");
  EXPECT_EQ(GetExistingFilePath(file + "-missing"), "");
  EXPECT_EQ(GetExistingFilePath(""), "");
  const std::string pipe = file + "-pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(GetExistingFilePath(pipe), "") << "a pipe is no file, and opening it would wait for a writer";
  unlink(pipe.c_str());
  DeleteFileQuietly(file);
  EXPECT_EQ(GetExistingFilePath(file), "");
}

TEST(CountDecimals, FiniteAndNonFiniteValues) {
  EXPECT_EQ(CountDecimals(0.0f), 0);
  EXPECT_EQ(CountDecimals(300.0f), 0);
  EXPECT_EQ(CountDecimals(0.5f), 1);
  EXPECT_EQ(CountDecimals(72.25f), 2);
  EXPECT_EQ(CountDecimals(-1.125f), 3);
  EXPECT_EQ(CountDecimals(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(CountDecimals(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(CountDecimals(3.0e38f), 0);
  EXPECT_LE(CountDecimals(std::numeric_limits<float>::denorm_min()), 60);
}

TEST(RandomHexString, ShapeOfAGuid) {
  const std::string s = RandomHexString();
  ASSERT_EQ(s.size(), 36u);
  for (size_t i = 0; i < s.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ(s[i], '-');
    } else {
      EXPECT_NE(std::string("0123456789ABCDEF").find(s[i]), std::string::npos) << s;
    }
  }
  EXPECT_NE(RandomHexString(), s);
}

TEST(Words, HighAndLowWords) {
  EXPECT_EQ(HighWord(0x12345678), 0x1234);
  EXPECT_EQ(LowWord(0x12345678), 0x5678);
  EXPECT_EQ(HighWord(-1), 0xFFFF);
  EXPECT_EQ(LowWord(-1), 0xFFFF);
  EXPECT_EQ(HighWord(static_cast<int32_t>(0x80000000u)), 0x8000);
}

TEST(Arrays, DimensionsCountsAndFlattening) {
  BasicArray<int32_t> none;
  EXPECT_EQ(GetArrayDims(none), 0);
  EXPECT_EQ(ArrayCountLong(none), 0);
  EXPECT_TRUE(FlattenPointArray(none).empty());

  BasicArray<int32_t> flat({{1, 4}});
  for (int32_t i = 1; i <= 4; ++i) flat(i) = i * 10;
  EXPECT_EQ(GetArrayDims(flat), 1);
  EXPECT_EQ(ArrayCountLong(flat), 4);
  EXPECT_EQ(FlattenPointArray(flat), (std::vector<int32_t>{10, 20, 30, 40}));

  // Three points of (x, y) with the second index running fastest.
  BasicArray<int32_t> pairs({{0, 3}, {0, 2}});
  for (int32_t p = 0; p < 3; ++p) {
    pairs(p, 0) = p;
    pairs(p, 1) = 100 + p;
  }
  EXPECT_EQ(GetArrayDims(pairs), 2);
  EXPECT_EQ(ArrayCountDim(pairs, 2), 2);
  EXPECT_EQ(ArrayCountDim(pairs, 3), 0);
  EXPECT_EQ(FlattenPointArray(pairs), (std::vector<int32_t>{0, 100, 1, 101, 2, 102}));

  BasicArray<int32_t> cube({{0, 2}, {0, 2}, {0, 2}});
  EXPECT_EQ(GetArrayDims(cube), 3);
  EXPECT_TRUE(FlattenPointArray(cube).empty());
}

TEST(NumericHelpers, ValMaxMinAndCharacters) {
  EXPECT_DOUBLE_EQ(BasicVal("6.1.7601.0"), 6.1);
  EXPECT_DOUBLE_EQ(BasicVal("  5.0"), 5.0);
  EXPECT_DOUBLE_EQ(BasicVal("Unknown"), 0.0);
  EXPECT_DOUBLE_EQ(BasicVal(""), 0.0);
  EXPECT_DOUBLE_EQ(BasicVal("-2.5x"), -2.5);
  EXPECT_EQ(MaxDouble(1, 2), 2);
  EXPECT_EQ(MinDouble(1, 2), 1);
  EXPECT_EQ(CharToString(65), "A");
  EXPECT_EQ(CharToString(0x80), "\xE2\x82\xAC");  // the euro sign of Windows-1252
  EXPECT_EQ(CharToString(0x263A), "\xE2\x98\xBA");
  EXPECT_EQ(CharToString(-1), "");
}

TEST(Strings, AnsiPointersAndGuidText) {
  EXPECT_EQ(PtrToStringA(nullptr), "");
  EXPECT_EQ(PtrToStringA("abc\xE9"), "abc\xC3\xA9");
  GUID id;
  StringToCLSID(id, "{557CF401-1A04-11D3-9A73-0000F81EF32E}");
  EXPECT_EQ(id.Data1, 0x557CF401u);
  EXPECT_EQ(id.Data4[7], 0x2E);
  const GUID before = id;
  StringToCLSID(id, "not a guid");
  EXPECT_EQ(id, before);
}

TEST(OpenFileDialog, HeadlessDefaultIsCancelledAndProviderAnswers) {
  EXPECT_EQ(ShowOpenFileDialog(0), "");
  std::string seenTitle;
  SetOpenFileDialogProvider([&](HWND, const std::string& title) {
    seenTitle = title;
    return std::string("/data/picture.png\0ignored", 25);
  });
  EXPECT_EQ(ShowOpenFileDialog(0), "/data/picture.png");
  EXPECT_EQ(seenTitle, "Open File");
  SetOpenFileDialogProvider(nullptr);
}

}  // namespace
}  // namespace vx::engine
