// Deflate, RC4 and MD5 against published vectors and zlib's own inflate, and the security
// handler's values against the properties a reader relies on.
#include <gtest/gtest.h>
#include <zlib.h>

#include "pdf/deflate_stage.h"
#include "pdf/pdf_text.h"
#include "pdf/rc4_stage.h"
#include "pdf/security_handler.h"

namespace vx::pdf {
namespace {

std::string Inflate(const std::vector<uint8_t>& z, size_t size) {
  std::string out(size, '\0');
  uLongf length = size;
  if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, z.data(), z.size()) != Z_OK) return "<error>";
  out.resize(length);
  return out;
}

TEST(PdfStagesTest, DeflateMakesAZlibStreamAndRefusesNothing) {
  std::string text;
  for (int i = 0; i < 50000; ++i) text += static_cast<char>('a' + (i * 7) % 26);
  for (int level : {0, 1, 9}) {
    ByteSink sink;
    DeflateStage deflate(&sink, level);
    ASSERT_TRUE(RunThrough(deflate, AsBytes(text)));
    EXPECT_EQ(Inflate(sink.bytes(), text.size()), text) << level;
  }
  ByteSink sink;
  DeflateStage empty(&sink, 9);
  EXPECT_FALSE(RunThrough(empty, AsBytes("")));
}

TEST(PdfStagesTest, Rc4AndMd5FollowTheirPublishedVectors) {
  EXPECT_EQ(HexString(RC4Bytes("Key", "Plaintext")), "BBF316E8D940AF0AD3");
  EXPECT_EQ(HexString(RC4Bytes("Secret", "Attack at dawn")), "45A01F645FC35B383552544B9BF5");
  EXPECT_EQ(RC4Bytes("", "text"), "");
  EXPECT_EQ(HexString(MD5Digest("")), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(HexString(MD5Digest("abc")), "900150983CD24FB0D6963F7D28E17F72");
  // A stream enciphered in pieces equals one enciphered whole.
  ByteSink sink;
  Rc4Stage rc4(&sink, "Key");
  ASSERT_TRUE(rc4.Write(AsBytes("Plain")) && rc4.Write(AsBytes("text")) && rc4.Finish());
  EXPECT_EQ(std::string(sink.bytes().begin(), sink.bytes().end()), RC4Bytes("Key", "Plaintext"));
}

TEST(PdfStagesTest, PermissionValuesPerRevision) {
  struct Case {
    int32_t rights, revision2, revision3;
  };
  const Case cases[] = {{-1, -4, -4},        {0, -64, -3904},     {1, -60, -3900},     {4, -56, -3896},
                        {16, -64, -3648},    {32, -64, -3392},    {64, -64, -2880},    {128, -64, -1856},
                        {255, -4, -4},       {0x101, -60, -3900}};
  for (const Case& c : cases) {
    EXPECT_EQ(PermissionValue(c.rights, 1), c.revision2) << c.rights;
    EXPECT_EQ(PermissionValue(c.rights, 2), c.revision3) << c.rights;
  }
}

TEST(PdfStagesTest, SecurityValuesHaveTheirShapes) {
  const std::string id = "0123456789ABCDEF0123456789ABCDEF";
  const SecurityValues r2 = ComputeSecurityKeys(-1, 1, "owner", "user", id);
  EXPECT_EQ(r2.fileKey.size(), 5u);
  EXPECT_EQ(r2.O.size(), 32u);
  EXPECT_EQ(r2.U.size(), 32u);
  EXPECT_EQ(ObjectKey(r2, 7).size(), 10u);
  const SecurityValues r3 = ComputeSecurityKeys(-1, 2, "owner", "user", id);
  EXPECT_EQ(r3.fileKey.size(), 16u);
  EXPECT_EQ(r3.U.substr(16), std::string(16, ' '));
  EXPECT_EQ(ObjectKey(r3, 7).size(), 16u);
  // An owner password of spaces stands for the user password; 40 characters count as 32.
  EXPECT_EQ(ComputeSecurityKeys(-1, 2, "   ", "user", id).O, ComputeSecurityKeys(-1, 2, "user", "user", id).O);
  const std::string long40(40, 'x');
  EXPECT_EQ(ComputeSecurityKeys(-1, 1, long40, long40, id).O,
            ComputeSecurityKeys(-1, 1, long40.substr(0, 32), long40.substr(0, 32), id).O);
  SecurityValues none;
  EXPECT_EQ(ObjectKey(none, 1), "");
}

}  // namespace
}  // namespace vx::pdf
