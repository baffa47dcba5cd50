// Images downloaded from FTP and HTTP(S) servers through an internet session, then loaded like
// any file. No temporary file outlives a failed download or load.
#pragma once
#include <cstdint>
#include <string>

#include "engine/load/load_options.h"
#include "engine/vexiro_status.h"

namespace vexiro {
class cInet;
}

namespace vx::engine {

VexiroStatus LoadImageFromFTP(int32_t& id, vexiro::cInet& inet, const std::string& host, const std::string& path,
                              const std::string& login, const std::string& password, int32_t port, bool passiveMode,
                              const LoadOptions& options);
// The host may carry an "http://" or "https://" prefix in any case; port 443 asks for HTTPS.
VexiroStatus LoadImageFromURL(int32_t& id, vexiro::cInet& inet, const std::string& host, const std::string& path,
                              int32_t port, int32_t bufferSize, const LoadOptions& options);

}  // namespace vx::engine
