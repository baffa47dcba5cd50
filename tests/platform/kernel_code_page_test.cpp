#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/kernel/code_page.h"
#include "support/required_tool.h"

namespace {

constexpr unsigned char kUndefinedBytes[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

bool IsUndefined(int byte) {
  for (unsigned char b : kUndefinedBytes) {
    if (b == byte) return true;
  }
  return false;
}

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(KernelCodePage, EveryByteSurvivesTheRoundTrip) {
  const std::string bytes = AllBytes();
  const std::string utf8 = vx::AnsiToUtf8(bytes);
  EXPECT_EQ(vx::Utf8ToAnsi(utf8), bytes);
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(vx::Utf8ToAnsi(vx::AnsiToUtf8(one)), one) << "byte " << b;
  }
}

TEST(KernelCodePage, UndefinedBytesMapToTheControlsOfTheSameNumber) {
  for (unsigned char b : kUndefinedBytes) {
    const std::string expected = {static_cast<char>(0xC2), static_cast<char>(b)};
    EXPECT_EQ(vx::AnsiToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << int(b);
  }
}

// The 251 defined bytes are checked against the system's own converter.
TEST(KernelCodePage, DefinedBytesAgreeWithIconv) {
  std::string defined;
  for (int b = 0; b < 256; ++b) {
    if (!IsUndefined(b)) defined += static_cast<char>(b);
  }
  const std::string in = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/cp1252.bin";
  std::ofstream(in, std::ios::binary) << defined;
  FILE* pipe = popen(("iconv -f CP1252 -t UTF-8 '" + in + "' 2>/dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string expected;
  char buffer[512];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) expected.append(buffer, n);
  const int status = pclose(pipe);
  std::remove(in.c_str());
  VX_REQUIRE(status == 0 && !expected.empty(), "iconv with CP1252", "libc-bin");
  EXPECT_EQ(vx::AnsiToUtf8(defined), expected);
}

TEST(KernelCodePage, UnmappableAndInvalidTextBecomesQuestionMarks) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string ansi;
  } cases[] = {
      {"euro sign", "\xE2\x82\xAC", "\x80"},
      {"e acute", "\xC3\xA9", "\xE9"},
      {"C1 control without a byte", "\xC2\x80", "?"},
      {"CJK character", "a\xE4\xB8\xAD" "b", "a?b"},
      {"emoji", "\xF0\x9F\x98\x80", "?"},
      {"lone continuation byte", "a\x80" "b", "a?b"},
      {"truncated sequence at the end", "a\xE2\x82", "a??"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"overlong three-byte NUL", "\xE0\x80\x80", "???"},
      {"UTF-16 surrogate", "\xED\xA0\x80", "???"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
      {"invalid lead byte", "\xFF" "x", "?x"},
      {"embedded NUL", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(vx::Utf8ToAnsi(c.utf8), c.ansi) << c.name;
}

}  // namespace
