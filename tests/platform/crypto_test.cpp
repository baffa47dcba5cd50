// MD5 and RC4 against their published vectors, fed whole and in uneven pieces.
#include <gtest/gtest.h>

#include <string>

#include "platform/crypto/cipher.h"
#include "platform/crypto/hash.h"

namespace vx::crypto {
namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string Rc4(std::string_view key, std::string_view text) {
  Rc4Cipher cipher(key.data(), key.size());
  std::string out(text.size(), '\0');
  cipher.Encrypt(reinterpret_cast<const uint8_t*>(text.data()), reinterpret_cast<uint8_t*>(out.data()), text.size());
  return out;
}

TEST(PlatformCrypto, Md5FollowsItsPublishedVectorsWholeAndInPieces) {
  struct Case {
    std::string text;
    const char* digest;
  };
  const Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(Md5Of(c.text)), c.digest) << c.text.substr(0, 20);
    Md5Hash pieces;
    for (size_t at = 0, step = 1; at < c.text.size(); at += step, step = step * 3 % 1000 + 1)
      pieces.HashData(c.text.data() + at, std::min(step, c.text.size() - at));
    const Md5Hash::Digest digest = pieces.FinishDigest();
    EXPECT_EQ(Hex(std::string(digest.begin(), digest.end())), c.digest) << "in pieces: " << c.text.substr(0, 20);
    const Md5Hash::Digest restarted = pieces.FinishDigest();
    EXPECT_EQ(Hex(std::string(restarted.begin(), restarted.end())), cases[0].digest) << "a read digest starts over";
  }
}

TEST(PlatformCrypto, Rc4FollowsItsPublishedVectorsAndContinuesItsKeystream) {
  struct Case {
    const char *key, *text, *cipher;
  };
  for (const Case& c : {Case{"Key", "Plaintext", "bbf316e8d940af0ad3"}, Case{"Wiki", "pedia", "1021bf0420"},
                        Case{"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}}) {
    EXPECT_EQ(Hex(Rc4(c.key, c.text)), c.cipher) << c.key;
    // In place and in two pieces: the second piece goes on with the keystream.
    Rc4Cipher cipher(c.key, std::char_traits<char>::length(c.key));
    EXPECT_TRUE(cipher.IsKeyed());
    std::string text = c.text;
    auto* bytes = reinterpret_cast<uint8_t*>(text.data());
    cipher.Encrypt(bytes, bytes, 2);
    cipher.Encrypt(bytes + 2, bytes + 2, text.size() - 2);
    EXPECT_EQ(Hex(text), c.cipher) << c.key;
  }
}

TEST(PlatformCrypto, Rc4KeysAreBounded) {
  std::string longKey;
  for (int i = 0; i < 300; ++i) longKey += static_cast<char>(i * 7 + 1);
  const std::string text(4096, 'x');  // long enough for the keystream to read every state byte
  EXPECT_EQ(Rc4(longKey, text), Rc4(longKey.substr(0, Rc4Cipher::kMaxKeySize), text)) << "cut to 256 bytes";
  EXPECT_NE(Rc4(longKey.substr(0, 255), text), Rc4(longKey.substr(0, 256), text));
  Rc4Cipher unkeyed("", 0);
  EXPECT_FALSE(unkeyed.IsKeyed());
  EXPECT_EQ(Rc4("", text), text) << "no key, no keystream";
}

}  // namespace
}  // namespace vx::crypto
