// The internet client stand-in: sessions, HTTP(S) requests and FTP transfers addressed by 32-bit
// handles, with the calling conventions of WinINet's synchronous mode. Calls fail by returning 0 or
// FALSE and leave an error code for GetLastError (platform/kernel/last_error.h) on the calling thread.
//
// Secure requests always verify the server's certificate chain and host name; the flags that would
// waive those checks are accepted and deliberately not honoured. The trusted authorities are the
// system's, or those of the PEM file named by the environment variable VEXIRO_CA_FILE.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/kernel/files.h"  // ERROR_FILE_EXISTS
#include "platform/kernel/win_types.h"

namespace vx {

using HINTERNET = HANDLE32;
using INTERNET_PORT = uint16_t;

constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // the system's proxy settings (the environment's here)
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;  // the service's default port
constexpr INTERNET_PORT INTERNET_DEFAULT_FTP_PORT = 21;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

constexpr DWORD INTERNET_SERVICE_FTP = 1;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;

constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_PASSIVE = 0x08000000;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;  // not honoured
constexpr DWORD INTERNET_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;    // not honoured

constexpr DWORD FTP_TRANSFER_TYPE_UNKNOWN = 0;  // binary
constexpr DWORD FTP_TRANSFER_TYPE_ASCII = 1;
constexpr DWORD FTP_TRANSFER_TYPE_BINARY = 2;

constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_LOGIN_FAILURE = 12015;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
constexpr DWORD ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
constexpr DWORD ERROR_FTP_TRANSFER_IN_PROGRESS = 12110;
constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_HTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_HTTP_INVALID_QUERY_REQUEST = 12154;
constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;

// The milliseconds a whole transfer may take, from its request to the end of its body (a DWORD).
// Unset, or set to 0, it is limits::kTransferDeadlineSeconds; a host may lengthen it for slow links.
constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;

// Texts are UTF-8; an empty text stands for WinINet's null pointer.
HINTERNET InternetOpen(const std::string& agent, DWORD accessType, const std::string& proxy,
                       const std::string& proxyBypass, DWORD flags);
// An FTP connection logs in at once (and fails on a refused login); an HTTP one only records the
// server. An empty FTP user logs in anonymously.
HINTERNET InternetConnect(HINTERNET session, const std::string& server, INTERNET_PORT port, const std::string& user,
                          const std::string& password, DWORD service, DWORD flags, UINT_PTR context);
// `version` "HTTP/1.0" or "HTTP/1.1" ("" is 1.1); INTERNET_FLAG_SECURE makes it an https request.
HINTERNET HttpOpenRequest(HINTERNET connection, const std::string& verb, const std::string& object,
                          const std::string& version, const std::string& referrer, const char* const* acceptTypes,
                          DWORD flags, UINT_PTR context);
// Sends the request and waits for the response's headers. `headers` holds lines separated by CR LF.
// An HTTP error status is a response like any other: the call succeeds.
BOOL HttpSendRequest(HINTERNET request, const std::string& headers, const void* body, DWORD bodyLength);
// With HTTP_QUERY_FLAG_NUMBER the value is a DWORD (buffer of at least 4 bytes); otherwise text with a
// terminating NUL, *bufferLength then the text's length. `index` (may be null) selects among repeated
// headers and is advanced on success.
BOOL HttpQueryInfo(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index);
// Fills the buffer unless the body ends first; 0 bytes read with TRUE means the body is complete.
BOOL InternetReadFile(HINTERNET request, void* buffer, DWORD bytesToRead, DWORD* bytesRead);
// The local file is written only when the whole download succeeded.
BOOL FtpGetFile(HINTERNET connection, const std::string& remoteFile, const std::string& localFile,
                BOOL failIfExists, DWORD attributes, DWORD flags, UINT_PTR context);
BOOL FtpPutFile(HINTERNET connection, const std::string& localFile, const std::string& remoteFile, DWORD flags,
                UINT_PTR context);
// Sets an option of a session, connection or request handle; handles opened beneath it later
// inherit it. Only INTERNET_OPTION_RECEIVE_TIMEOUT is known.
BOOL InternetSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD bufferLength);
// Closes the handle and every handle opened beneath it.
BOOL InternetCloseHandle(HINTERNET handle);

// Lets the host run its pending work while a download goes on: callers run the pump once per chunk
// they read. The default does nothing; an empty function restores it.
using NetworkMessagePump = std::function<void()>;
void SetNetworkMessagePump(NetworkMessagePump pump);
void RunNetworkMessagePump();

}  // namespace vx
