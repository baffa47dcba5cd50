// The engine's IPTC members: read-only access to the IPTC tags of the current image. Each keeps
// its status for GetStat and answers 0 or "" when it fails.
#include "engine/current_image_query.h"
#include "engine/metadata/iptc_tags.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

int32_t cImaging::IPTCTagCount() { return QueryCurrent<int32_t>(nNativeImage, nStat, GetIptcTagCount); }

int32_t cImaging::IPTCTagGetID(int32_t nTagNo) {
  return QueryCurrent<int32_t>(nNativeImage, nStat, [nTagNo](int32_t id, int32_t& v) { return GetIptcTagID(id, nTagNo, v); });
}

int32_t cImaging::IPTCTagGetType(int32_t nTagNo) {
  return QueryCurrent<int32_t>(nNativeImage, nStat,
                               [nTagNo](int32_t id, int32_t& v) { return GetIptcTagType(id, nTagNo, v); });
}

int32_t cImaging::IPTCTagGetLength(int32_t nTagNo) {
  return QueryCurrent<int32_t>(nNativeImage, nStat,
                               [nTagNo](int32_t id, int32_t& v) { return GetIptcTagLength(id, nTagNo, v); });
}

std::string cImaging::IPTCTagGetValueString(int32_t nTagNo) {
  return QueryCurrent<std::string>(nNativeImage, nStat,
                                   [nTagNo](int32_t id, std::string& v) { return GetIptcTagValueString(id, nTagNo, v); });
}

std::string cImaging::IPTCTagGetValueBytes(int32_t nTagNo, BasicArray<uint8_t>& arTagData) {
  const std::string text = IPTCTagGetValueString(nTagNo);
  if (nStat != OK) return text;
  std::vector<uint8_t> bytes;
  if (GetIptcTagValueBytes(nNativeImage, nTagNo, bytes) == OK) arTagData = BasicArray<uint8_t>::FromVector(std::move(bytes));
  return text;
}

}  // namespace vexiro
