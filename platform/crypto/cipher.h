// Stream ciphers, as the system's cryptographic provider offers them: one key, then any number
// of pieces enciphered in turn, each continuing the keystream where the last one stopped.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vx::crypto {

class Rc4Cipher {
 public:
  static constexpr size_t kMaxKeySize = 256;

  // A key longer than kMaxKeySize is cut to its first kMaxKeySize bytes. An empty key has no
  // keystream: IsKeyed() is false and Encrypt copies its input unchanged.
  Rc4Cipher(const void* key, size_t keySize);
  ~Rc4Cipher();
  Rc4Cipher(const Rc4Cipher&) = delete;
  Rc4Cipher& operator=(const Rc4Cipher&) = delete;

  bool IsKeyed() const { return keyed_; }
  // `out` receives `size` bytes; it may be `in` itself.
  void Encrypt(const uint8_t* in, uint8_t* out, size_t size);

 private:
  struct State;
  std::unique_ptr<State> state_;
  bool keyed_ = false;
};

}  // namespace vx::crypto
