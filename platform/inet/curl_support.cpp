#include "platform/inet/curl_support.h"

#include <cctype>
#include <cstring>

#include "platform/input_limits.h"
#include "platform/kernel/environment.h"

namespace vx::inet {

namespace {

// Bounds on every transfer, so no call hangs on a silent peer.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kServerResponseTimeoutSeconds = 60;
constexpr long kActiveModeAcceptTimeoutMs = 30000;
constexpr long kStallSeconds = 60;  // a transfer slower than 1 byte/s for this long is aborted
constexpr long kMaxRedirects = 10;

bool Mentions(const char* text, const char* word) { return text != nullptr && std::strstr(text, word) != nullptr; }

DWORD CertificateError(const char* errorText) {
  if (Mentions(errorText, "name")) return ERROR_INTERNET_SEC_CERT_CN_INVALID;
  if (Mentions(errorText, "expired") || Mentions(errorText, "not yet valid")) return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
  return ERROR_INTERNET_INVALID_CA;
}

void AppendPercentEncoded(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

}  // namespace

CurlEasy NewCurlEasy() {
  const CurlLibrary* curl = OpenCurl();
  return CurlEasy(curl != nullptr ? curl->easyInit() : nullptr);
}

void ApplyEndpointOptions(CURL* easy, const Endpoint& endpoint, char* errorText) {
  errorText[0] = '\0';
  Curl().easySetopt(easy, CURLOPT_ERRORBUFFER, errorText);
  Curl().easySetopt(easy, CURLOPT_NOSIGNAL, 1L);
  Curl().easySetopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  Curl().easySetopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, kServerResponseTimeoutSeconds);
  Curl().easySetopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, kActiveModeAcceptTimeoutMs);
  Curl().easySetopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  Curl().easySetopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  // A peer that trickles just fast enough to pass the stall check still meets the deadline.
  const long deadlineMs = endpoint.transferDeadlineMs != 0 ? static_cast<long>(endpoint.transferDeadlineMs)
                                                           : limits::kTransferDeadlineSeconds * 1000;
  Curl().easySetopt(easy, CURLOPT_TIMEOUT_MS, deadlineMs);
  Curl().easySetopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  if (!endpoint.agent.empty()) Curl().easySetopt(easy, CURLOPT_USERAGENT, endpoint.agent.c_str());
  if (endpoint.accessType == INTERNET_OPEN_TYPE_DIRECT) {
    Curl().easySetopt(easy, CURLOPT_PROXY, "");
  } else if (endpoint.accessType == INTERNET_OPEN_TYPE_PROXY) {
    Curl().easySetopt(easy, CURLOPT_PROXY, endpoint.proxy.c_str());
    if (!endpoint.proxyBypass.empty()) Curl().easySetopt(easy, CURLOPT_NOPROXY, endpoint.proxyBypass.c_str());
  }
  // Certificates are always checked, whatever the request's flags say.
  Curl().easySetopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  Curl().easySetopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = GetEnvironmentVariable("VEXIRO_CA_FILE");
  if (!caFile.empty()) Curl().easySetopt(easy, CURLOPT_CAINFO, caFile.c_str());
}

DWORD ErrorFromCurl(CURLcode code, const char* errorText) {
  switch (code) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_LOGIN_DENIED: return ERROR_INTERNET_LOGIN_FAILURE;
    case CURLE_PEER_FAILED_VERIFICATION: return CertificateError(errorText);
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CONNECT_ERROR: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_TOO_MANY_REDIRECTS: return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_URL_MALFORMAT: return ERROR_INTERNET_INVALID_URL;
    case CURLE_OUT_OF_MEMORY:
    case CURLE_FILESIZE_EXCEEDED: return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_REMOTE_DISK_FULL: return ERROR_INTERNET_EXTENDED_ERROR;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

bool IsValidServerName(const std::string& server) {
  if (server.empty() || server.size() > 253) return false;
  for (unsigned char c : server) {
    if (!std::isalnum(c) && c != '.' && c != '-' && c != '_' && c != ':' && c != '[' && c != ']') return false;
  }
  return true;
}

std::string UrlAuthority(const std::string& server, INTERNET_PORT port) {
  const bool bareV6 = server.find(':') != std::string::npos && server.front() != '[';
  return (bareV6 ? "[" + server + "]" : server) + ":" + std::to_string(port);
}

std::string EscapeFtpPath(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const bool innerSlash = c == '/' && i > 0;
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || innerSlash) {
      out += static_cast<char>(c);
    } else {
      AppendPercentEncoded(out, c);
    }
  }
  return out;
}

std::string EscapeHttpObject(const std::string& object) {
  std::string out;
  out.reserve(object.size());
  for (unsigned char c : object) {
    if (c <= 0x20 || c >= 0x7F || c == '#') {
      AppendPercentEncoded(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool HasControlCharacters(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace vx::inet
