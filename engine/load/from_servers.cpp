// FTP and HTTP downloads into images.
#include "engine/load/from_servers.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "devices/network/inet_session.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/routines/shared_routines.h"
#include "platform/inet/wininet.h"

namespace vx::engine {

namespace {

constexpr int32_t kHttpService = 3;
constexpr int32_t kContentLengthNumber = 0x20000005;

std::string TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
         });
}

std::string HostWithoutScheme(const std::string& host) {
  std::string bare = TrimBlanks(host);
  if (StartsWithNoCase(bare, "HTTP://")) bare.erase(0, 7);
  if (StartsWithNoCase(bare, "HTTPS://")) bare.erase(0, 8);
  return bare;
}

}  // namespace

VexiroStatus LoadImageFromFTP(int32_t& id, vexiro::cInet& inet, const std::string& host, const std::string& path,
                              const std::string& login, const std::string& password, int32_t port, bool passiveMode,
                              const LoadOptions& options) {
  id = 0;
  int32_t connection = 0;
  if (const vexiro::VexiroStatus s = vexiro::OpenFtpConnection(inet, passiveMode, host, port, login, password, connection); s != vexiro::OK)
    return s;
  const std::string file = GetTempFilePath();
  if (file.empty()) return vexiro::CanNotCreateFile;
  // The temporary file exists already (it is created exclusively), so overwriting is allowed.
  if (!FtpGetFile(static_cast<HINTERNET>(connection), vexiro::RemoteFtpPath(path), file, 0, 0, FTP_TRANSFER_TYPE_UNKNOWN, 0)) {
    DeleteFileQuietly(file);
    return vexiro::InternetFtpGetFileError;
  }
  return LoadTemporaryFileAsImage(id, file, options);
}

VexiroStatus LoadImageFromURL(int32_t& id, vexiro::cInet& inet, const std::string& host, const std::string& path,
                              int32_t port, int32_t bufferSize, const LoadOptions& options) {
  id = 0;
  if (inet.hInternet() == 0) return vexiro::InternetOpenError;
  inet.BufferSize = bufferSize;
  std::string object = path;
  std::replace(object.begin(), object.end(), '\\', '/');
  if (inet.Request("GET", HostWithoutScheme(host), object, port, kHttpService) == 0)
    return inet.hSession() == 0 ? vexiro::InternetConnectError : vexiro::InternetHttpOpenRequestError;
  if (!inet.SendRequest("", "")) return vexiro::InternetHttpSendRequestError;
  std::string text;
  int32_t length = 0;
  if (!inet.QueryInfo(kContentLengthNumber, text, length)) return vexiro::InternetHttpQueryError;
  if (length < 1) return vexiro::InternetHttpInvalidFileLength;
  std::vector<uint8_t> body;
  if (!inet.ReadArray(body, length)) return vexiro::InternetHttpTransferError;
  return LoadImageFromBytes(id, body.data(), body.size(), options);
}

}  // namespace vx::engine
