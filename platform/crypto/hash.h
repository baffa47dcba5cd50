// Message digests, as the system's cryptographic provider offers them to a caller that hashes
// data in pieces and reads the value once.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vx::crypto {

class Md5Hash {
 public:
  static constexpr size_t kDigestSize = 16;
  using Digest = std::array<uint8_t, kDigestSize>;

  Md5Hash();
  ~Md5Hash();
  Md5Hash(const Md5Hash&) = delete;
  Md5Hash& operator=(const Md5Hash&) = delete;

  void HashData(const void* data, size_t size);
  // The digest of every byte hashed so far; the object then starts over, empty.
  Digest FinishDigest();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The 16-byte digest of `data`, as bytes in a string.
std::string Md5Of(std::string_view data);

}  // namespace vx::crypto
