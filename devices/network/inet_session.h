// The engine's internet session: one session per object, opened at creation and closed (with
// every connection and request opened on it) when the object goes. Network members create one
// for the length of a call.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vexiro/vexiro_status.h"

namespace vexiro {

class cInet {
 public:
  cInet();
  ~cInet();
  cInet(const cInet&) = delete;
  cInet& operator=(const cInet&) = delete;

  // Opens a connection (service 3: HTTP) and a request on it; the request handle, 0 on failure.
  // Port 443 makes the request secure; the server's certificate and host name are always checked.
  int32_t Request(const std::string& verb, const std::string& host, const std::string& objectPath, int32_t port,
                  int32_t service);
  // Connects and logs in to an FTP server in the mode `PassiveMode` chooses; 0 on failure.
  int32_t FtpOpenSession(const std::string& host, int32_t port, const std::string& user, const std::string& password);
  bool SendRequest(const std::string& headers, const std::string& data);
  // Levels with the number flag (0x20000000) answer in `value`, others in `text`.
  bool QueryInfo(int32_t infoLevel, std::string& text, int32_t& value);
  // Reads `expectedLength` bytes of the response body in chunks of `BufferSize` (4096 when it is
  // 0 or below) into `bytes`, which holds what arrived; false when the body ended before all of
  // them arrived, and at once when the length is beyond the stream limit (1 GiB).
  bool ReadArray(std::vector<uint8_t>& bytes, int32_t expectedLength);

  int32_t hInternet() const { return hInternet_; }
  int32_t hSession() const { return hSession_; }
  int32_t hRequest() const { return hRequest_; }
  // The Windows error code of the last failed call.
  uint32_t LastError() const { return lastError_; }

  int32_t BufferSize = 1024;
  bool PassiveMode = true;

 private:
  int32_t hInternet_ = 0;
  int32_t hSession_ = 0;
  int32_t hRequest_ = 0;
  uint32_t lastError_ = 0;
};

// The FTP connection of a network member, in the mode it asks for: InternetOpenError without a
// session, InternetConnectError when the server, port or login is refused; OK with its handle in
// `connection` otherwise.
VexiroStatus OpenFtpConnection(cInet& inet, bool passiveMode, const std::string& host, int32_t port,
                               const std::string& login, const std::string& password, int32_t& connection);

// A remote path as the server takes it, relative to the login folder: blanks around it trimmed,
// "\" made "/", and up to two leading "/" dropped.
std::string RemoteFtpPath(const std::string& path);

}  // namespace vexiro
