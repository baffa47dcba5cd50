// The standard security handler: the permission value, the O and U entries and the file key
// of RC4 encryption with a 40-bit key (revision 2) or a 128-bit key (revision 3), and the key
// of each object. Byte strings are held in std::string.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::pdf {

struct SecurityValues {
  int32_t encryption = 0;  // 1: 40-bit, revision 2; 2: 128-bit, revision 3
  std::string fileKey;     // 5 or 16 bytes
  std::string O, U;        // 32 bytes each
  int32_t P = 0;
};

// The 16-byte MD5 digest.
std::string MD5Digest(std::string_view data);
// /P for the rights flags (only their low eight bits count) in the encryption's revision.
int32_t PermissionValue(int32_t rights, int32_t encryption);
// Passwords are Windows-1252 bytes; `fileId` is the 32 bytes the trailer's /ID carries.
SecurityValues ComputeSecurityKeys(int32_t rights, int32_t encryption, std::string_view ownerPassword,
                                   std::string_view userPassword, std::string_view fileId);
// The RC4 key of one object (generation 0).
std::string ObjectKey(const SecurityValues& values, uint32_t objectNumber);

}  // namespace vx::pdf
