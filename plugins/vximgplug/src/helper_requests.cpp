#include "helper_requests.h"

#include <cstring>

#include "child_process.h"
#include "helper_setup.h"

namespace vximgplug {

// Both ends run the one plug-in file (the helper loads the one its host loaded), so the record
// crosses as its own bytes.
std::vector<uint8_t> EncodeRequest(const HelperRequest& request) {
  std::vector<uint8_t> bytes(sizeof request);
  std::memcpy(bytes.data(), &request, sizeof request);
  return bytes;
}

std::optional<HelperRequest> DecodeRequest(const std::vector<uint8_t>& bytes) {
  HelperRequest request;
  if (bytes.size() != sizeof request) return std::nullopt;
  std::memcpy(&request, bytes.data(), sizeof request);
  if (request.kind < RequestKind::kFile || request.kind > RequestKind::kTiffSave) return std::nullopt;
  return request;
}

std::string SourcePath(int source) { return "/proc/self/fd/" + std::to_string(source); }

bool ServeRequest(const std::vector<uint8_t>& bytes, int reply, int source) {
  const std::optional<HelperRequest> request = DecodeRequest(bytes);
  if (!request || reply < 0 || source < 0) return false;
  const std::string path = SourcePath(source);
  const TiffTagDefaults defaults(path, request->kind == RequestKind::kPage ? request->tiffDirectory : 0);
  switch (request->kind) {
    case RequestKind::kFile: return ServeFileLoad(*request, path, reply);
    case RequestKind::kPage: return ServePageDecode(*request, path, reply);
    case RequestKind::kPageTrial: return ServePageTrial(*request, path, reply);
    case RequestKind::kTiffSave: return ServeTiffSave(*request, source, reply);
  }
  return false;
}

}  // namespace vximgplug
