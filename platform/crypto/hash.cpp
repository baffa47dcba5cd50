#include "platform/crypto/hash.h"

#include <nettle/md5.h>

namespace vx::crypto {

static_assert(Md5Hash::kDigestSize == MD5_DIGEST_SIZE);

struct Md5Hash::State {
  md5_ctx ctx{};
};

Md5Hash::Md5Hash() : state_(std::make_unique<State>()) { md5_init(&state_->ctx); }

Md5Hash::~Md5Hash() = default;

void Md5Hash::HashData(const void* data, size_t size) {
  md5_update(&state_->ctx, size, static_cast<const uint8_t*>(data));
}

Md5Hash::Digest Md5Hash::FinishDigest() {
  Digest digest{};
  md5_digest(&state_->ctx, digest.size(), digest.data());  // also resets the context
  return digest;
}

std::string Md5Of(std::string_view data) {
  Md5Hash hash;
  hash.HashData(data.data(), data.size());
  const Md5Hash::Digest digest = hash.FinishDigest();
  return std::string(digest.begin(), digest.end());
}

}  // namespace vx::crypto
