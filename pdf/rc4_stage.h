// RC4 over a stream: the keystream of one key XORed onto every byte that passes.
#pragma once
#include <string>
#include <string_view>

#include "pdf/stage.h"
#include "platform/crypto/cipher.h"

namespace vx::pdf {

class Rc4Stage final : public Stage {
 public:
  // A key longer than 256 bytes is cut to its first 256.
  Rc4Stage(Stage* next, std::string_view key);
  ~Rc4Stage() override;
  bool Write(Bytes bytes) override;
  bool Finish() override { return FinishNext(); }

 private:
  crypto::Rc4Cipher cipher_;  // without key bytes there is no keystream: bytes pass unchanged
};

// The bytes enciphered under `key`; an empty key or text gives "".
std::string RC4Bytes(std::string_view key, std::string_view data);

}  // namespace vx::pdf
