#include "platform/gdiplus/codecs/jpeg/jpeg_icc_profile.h"

#include <algorithm>
#include <array>

#include "platform/gdiplus/codecs/color_management.h"

namespace vx::gdiplus::codecs {

namespace {
constexpr uint8_t kIccSignature[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
constexpr size_t kChunkHeaderBytes = sizeof kIccSignature + 2;
constexpr size_t kMaxChunkBytes = 65533 - kChunkHeaderBytes;  // a marker segment's payload, less the chunk header
constexpr size_t kMaxChunks = 255;
}  // namespace

std::vector<uint8_t> JoinIccChunks(std::span<const Bytes> app2Payloads) {
  std::array<Bytes, 256> chunks{};
  std::array<bool, 256> seen{};
  unsigned count = 0;
  size_t total = 0;
  for (Bytes payload : app2Payloads) {
    if (payload.size() < kChunkHeaderBytes || !std::equal(std::begin(kIccSignature), std::end(kIccSignature), payload.begin()))
      continue;
    const unsigned number = payload[12], declared = payload[13];
    if (declared == 0 || number == 0 || number > declared || (count != 0 && declared != count) || seen[number]) return {};
    count = declared;
    seen[number] = true;
    chunks[number] = payload.subspan(kChunkHeaderBytes);
    total += chunks[number].size();
    if (total > kMaxProfileBytes) return {};
  }
  if (count == 0 || !std::all_of(seen.begin() + 1, seen.begin() + 1 + count, [](bool s) { return s; })) return {};
  std::vector<uint8_t> profile;
  profile.reserve(total);
  for (unsigned i = 1; i <= count; ++i) profile.insert(profile.end(), chunks[i].begin(), chunks[i].end());
  return profile;
}

std::vector<std::vector<uint8_t>> SplitIccProfile(Bytes profile) {
  const size_t count = (profile.size() + kMaxChunkBytes - 1) / kMaxChunkBytes;
  if (count == 0 || count > kMaxChunks) return {};
  std::vector<std::vector<uint8_t>> payloads(count);
  for (size_t i = 0; i < count; ++i) {
    const Bytes part = profile.subspan(i * kMaxChunkBytes, std::min(kMaxChunkBytes, profile.size() - i * kMaxChunkBytes));
    std::vector<uint8_t>& payload = payloads[i];
    payload.reserve(kChunkHeaderBytes + part.size());
    payload.assign(std::begin(kIccSignature), std::end(kIccSignature));
    payload.push_back(static_cast<uint8_t>(i + 1));
    payload.push_back(static_cast<uint8_t>(count));
    payload.insert(payload.end(), part.begin(), part.end());
  }
  return payloads;
}

}  // namespace vx::gdiplus::codecs
