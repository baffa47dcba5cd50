#include "platform/crypto/cipher.h"

#include <nettle/arcfour.h>

#include <algorithm>

namespace vx::crypto {

static_assert(Rc4Cipher::kMaxKeySize == ARCFOUR_MAX_KEY_SIZE);

struct Rc4Cipher::State {
  arcfour_ctx ctx{};
};

Rc4Cipher::Rc4Cipher(const void* key, size_t keySize) : state_(std::make_unique<State>()) {
  const size_t length = std::min(keySize, kMaxKeySize);
  keyed_ = length > 0;
  if (keyed_) arcfour_set_key(&state_->ctx, length, static_cast<const uint8_t*>(key));
}

Rc4Cipher::~Rc4Cipher() = default;

void Rc4Cipher::Encrypt(const uint8_t* in, uint8_t* out, size_t size) {
  if (keyed_) {
    arcfour_crypt(&state_->ctx, size, out, in);
  } else if (in != out) {
    std::copy_n(in, size, out);
  }
}

}  // namespace vx::crypto
