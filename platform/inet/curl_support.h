// What the HTTP and FTP transfers share of libcurl: owned handles, the options every transfer
// gets (agent, proxy, time limits, certificate checks) and the mapping of its errors.
#pragma once
#include <memory>
#include <string>

#include "platform/inet/curl_library.h"
#include "platform/inet/endpoint.h"
#include "platform/kernel/last_error.h"

namespace vx::inet {

struct CurlEasyDeleter {
  void operator()(CURL* easy) const { Curl().easyCleanup(easy); }
};
struct CurlMultiDeleter {
  void operator()(CURLM* multi) const { Curl().multiCleanup(multi); }
};
struct CurlSlistDeleter {
  void operator()(curl_slist* list) const { Curl().slistFreeAll(list); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// A new easy handle; null when libcurl cannot be opened or cannot make one.
CurlEasy NewCurlEasy();

// Sets the options every transfer of the endpoint needs. `errorText` must hold CURL_ERROR_SIZE bytes
// and outlive the transfer.
void ApplyEndpointOptions(CURL* easy, const Endpoint& endpoint, char* errorText);

// The WinINet error code that stands for a libcurl failure.
DWORD ErrorFromCurl(CURLcode code, const char* errorText);

// Server names are host names or IP addresses: nothing that could smuggle text into a URL or a header.
bool IsValidServerName(const std::string& server);
// "host" or "[v6::address]" with the port, ready for a URL.
std::string UrlAuthority(const std::string& server, INTERNET_PORT port);
// An FTP path as a URL path: everything but unreserved characters and inner "/" is percent-encoded,
// a leading "/" too, so that a path from the root stays absolute.
std::string EscapeFtpPath(const std::string& path);
// An HTTP object (path and query) as the caller wrote it, with spaces and bytes outside printable
// ASCII percent-encoded.
std::string EscapeHttpObject(const std::string& object);
// Control characters end a command line in HTTP and FTP alike; such text is refused.
bool HasControlCharacters(const std::string& text);

}  // namespace vx::inet
