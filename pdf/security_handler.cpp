#include "pdf/security_handler.h"

#include <algorithm>

#include "pdf/rc4_stage.h"
#include "platform/crypto/hash.h"

namespace vx::pdf {
namespace {

constexpr unsigned char kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                        0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                        0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

std::string_view Padding() { return {reinterpret_cast<const char*>(kPadding), sizeof kPadding}; }

std::string PadPassword(std::string_view password) {
  std::string padded(password.substr(0, 32));
  padded.append(Padding().substr(0, 32 - padded.size()));
  return padded;
}

std::string LittleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::string Rehash50(std::string h) {
  for (int i = 0; i < 50; ++i) h = MD5Digest(h);
  return h;
}

std::string XorKey(std::string_view key, int i) {
  std::string out(key);
  for (char& c : out) c = static_cast<char>(c ^ i);
  return out;
}

// Nineteen more RC4 passes, each under the key XORed with the pass number (revision 3).
std::string NineteenPasses(std::string x, std::string_view key) {
  for (int i = 1; i <= 19; ++i) x = RC4Bytes(XorKey(key, i), x);
  return x;
}

bool OnlySpaces(std::string_view s) { return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; }); }

}  // namespace

std::string MD5Digest(std::string_view data) { return crypto::Md5Of(data); }

int32_t PermissionValue(int32_t rights, int32_t encryption) {
  static constexpr uint32_t kBitValues[8] = {4, 16, 8, 32, 256, 512, 1024, 2048};
  uint32_t flags = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (rights & (1 << bit)) flags += kBitValues[bit];
  if (encryption == 1) {
    const uint32_t low = (flags - 64u) & 0xFFu;  // print, modify, copy, annotate; the others do not exist
    return static_cast<int32_t>(0xFFFFFF00u + low);
  }
  return static_cast<int32_t>(flags & 0xFFFu) - 3904;
}

SecurityValues ComputeSecurityKeys(int32_t rights, int32_t encryption, std::string_view ownerPassword,
                                   std::string_view userPassword, std::string_view fileId) {
  SecurityValues v;
  v.encryption = encryption;
  v.P = PermissionValue(rights, encryption);
  if (OnlySpaces(ownerPassword)) ownerPassword = userPassword;
  const std::string owner = PadPassword(ownerPassword);
  const std::string user = PadPassword(userPassword);
  const std::string pBytes = LittleEndian(static_cast<uint32_t>(v.P), 4);
  if (encryption == 1) {
    v.O = RC4Bytes(MD5Digest(owner).substr(0, 5), user);
    v.fileKey = MD5Digest(user + v.O + pBytes + std::string(fileId)).substr(0, 5);
    v.U = RC4Bytes(v.fileKey, Padding());
    return v;
  }
  const std::string ownerKey = Rehash50(MD5Digest(owner));
  v.O = NineteenPasses(RC4Bytes(ownerKey, user), ownerKey);
  v.fileKey = Rehash50(MD5Digest(user + v.O + pBytes + std::string(fileId)));
  const std::string check = MD5Digest(std::string(Padding()) + std::string(fileId));
  v.U = NineteenPasses(RC4Bytes(v.fileKey, check), v.fileKey) + std::string(16, ' ');
  return v;
}

std::string ObjectKey(const SecurityValues& values, uint32_t objectNumber) {
  if (values.encryption != 1 && values.encryption != 2) return {};
  const std::string digest = MD5Digest(values.fileKey + LittleEndian(objectNumber, 3) + std::string(2, '\0'));
  return digest.substr(0, std::min<size_t>(values.fileKey.size() + 5, 16));
}

}  // namespace vx::pdf
