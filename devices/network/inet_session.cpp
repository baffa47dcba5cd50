// The internet session over the platform's internet client.
#include "devices/network/inet_session.h"

#include <algorithm>

#include "platform/input_limits.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"

namespace vexiro {

namespace {

constexpr int32_t kDefaultReadChunk = 4096;
constexpr int32_t kSecurePort = 443;
constexpr uint32_t kSecureIgnoringName = vx::INTERNET_FLAG_SECURE | vx::INTERNET_FLAG_IGNORE_CERT_CN_INVALID;

// The cache and security choices of a request, by verb and port.
uint32_t RequestFlags(const std::string& verb, int32_t port) {
  const bool secure = port == kSecurePort;
  if (verb == "GET") return secure ? kSecureIgnoringName : vx::INTERNET_FLAG_RELOAD;
  if (verb == "PUT") return vx::INTERNET_FLAG_NO_CACHE_WRITE | (secure ? kSecureIgnoringName : 0u);
  return 0;
}

bool ValidPort(int32_t port) { return port >= 0 && port <= 0xFFFF; }

}  // namespace

cInet::cInet() {
  hInternet_ = static_cast<int32_t>(vx::InternetOpen("vexiro", vx::INTERNET_OPEN_TYPE_PRECONFIG, "", "", 0));
  if (hInternet_ == 0) lastError_ = vx::GetLastError();
}

cInet::~cInet() {
  if (hInternet_ != 0) vx::InternetCloseHandle(static_cast<vx::HINTERNET>(hInternet_));
}

int32_t cInet::Request(const std::string& verb, const std::string& host, const std::string& objectPath, int32_t port,
                       int32_t service) {
  if (!ValidPort(port)) return 0;
  hSession_ = static_cast<int32_t>(vx::InternetConnect(static_cast<vx::HINTERNET>(hInternet_), host,
                                                       static_cast<vx::INTERNET_PORT>(port), "", "",
                                                       static_cast<vx::DWORD>(service), 0, 0));
  if (hSession_ == 0) {
    lastError_ = vx::GetLastError();
    return 0;
  }
  hRequest_ = static_cast<int32_t>(vx::HttpOpenRequest(static_cast<vx::HINTERNET>(hSession_), verb, objectPath,
                                                       "HTTP/1.0", "", nullptr, RequestFlags(verb, port), 0));
  if (hRequest_ == 0) lastError_ = vx::GetLastError();
  return hRequest_;
}

int32_t cInet::FtpOpenSession(const std::string& host, int32_t port, const std::string& user,
                              const std::string& password) {
  if (!ValidPort(port)) return 0;
  const vx::DWORD flags = PassiveMode ? vx::INTERNET_FLAG_PASSIVE : 0;
  hSession_ = static_cast<int32_t>(vx::InternetConnect(static_cast<vx::HINTERNET>(hInternet_), host,
                                                       static_cast<vx::INTERNET_PORT>(port), user, password,
                                                       vx::INTERNET_SERVICE_FTP, flags, 0));
  if (hSession_ == 0) lastError_ = vx::GetLastError();
  return hSession_;
}

bool cInet::SendRequest(const std::string& headers, const std::string& data) {
  const bool sent = vx::HttpSendRequest(static_cast<vx::HINTERNET>(hRequest_), headers, data.data(),
                                        static_cast<vx::DWORD>(data.size())) != 0;
  if (!sent) lastError_ = vx::GetLastError();
  return sent;
}

bool cInet::QueryInfo(int32_t infoLevel, std::string& text, int32_t& value) {
  const auto level = static_cast<vx::DWORD>(infoLevel);
  const auto request = static_cast<vx::HINTERNET>(hRequest_);
  bool answered = false;
  if (level & vx::HTTP_QUERY_FLAG_NUMBER) {
    vx::DWORD number = 0, length = sizeof number;
    answered = vx::HttpQueryInfo(request, level, &number, &length, nullptr) != 0;
    if (answered) value = static_cast<int32_t>(number);
  } else {
    vx::DWORD length = 0;
    vx::HttpQueryInfo(request, level, nullptr, &length, nullptr);
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    length = static_cast<vx::DWORD>(buffer.size());
    answered = vx::HttpQueryInfo(request, level, buffer.data(), &length, nullptr) != 0;
    if (answered) text.assign(buffer.data(), std::min<size_t>(length, buffer.size()));
  }
  if (!answered) lastError_ = vx::GetLastError();
  return answered;
}

bool cInet::ReadArray(std::vector<uint8_t>& bytes, int32_t expectedLength) {
  bytes.clear();
  if (expectedLength < 1) return true;
  // An announced length is the server's claim: one beyond the stream limit is refused unread,
  // and the buffer grows only with what arrives.
  if (static_cast<uint64_t>(expectedLength) > vx::limits::kMaxEncodedBytes) return false;
  const int32_t chunkSize = BufferSize > 0 ? BufferSize : kDefaultReadChunk;
  std::vector<uint8_t> chunkBuffer(static_cast<size_t>(std::min(chunkSize, expectedLength)));
  int32_t remaining = expectedLength;
  for (;;) {
    const int32_t chunk = std::min(chunkSize, remaining);
    vx::DWORD read = 0;
    const bool ok = vx::InternetReadFile(static_cast<vx::HINTERNET>(hRequest_), chunkBuffer.data(),
                                         static_cast<vx::DWORD>(chunk), &read) != 0;
    if (!ok) lastError_ = vx::GetLastError();
    const int32_t got = ok ? static_cast<int32_t>(std::min<vx::DWORD>(read, static_cast<vx::DWORD>(chunk))) : 0;
    bytes.insert(bytes.end(), chunkBuffer.begin(), chunkBuffer.begin() + got);
    remaining -= got;
    vx::RunNetworkMessagePump();
    if (got < 1 || remaining <= 0) break;
  }
  // A body that ended early is a failed transfer, not a whole one.
  return remaining == 0;
}

VexiroStatus OpenFtpConnection(cInet& inet, bool passiveMode, const std::string& host, int32_t port,
                               const std::string& login, const std::string& password, int32_t& connection) {
  connection = 0;
  if (inet.hInternet() == 0) return InternetOpenError;
  inet.PassiveMode = passiveMode;
  connection = inet.FtpOpenSession(host, port, login, password);
  return connection == 0 ? InternetConnectError : OK;
}

std::string RemoteFtpPath(const std::string& path) {
  const size_t first = path.find_first_not_of(' ');
  std::string remote = first == std::string::npos ? "" : path.substr(first, path.find_last_not_of(' ') - first + 1);
  std::replace(remote.begin(), remote.end(), '\\', '/');
  for (int i = 0; i < 2 && !remote.empty() && remote.front() == '/'; ++i) remote.erase(0, 1);
  return remote;
}

}  // namespace vexiro
