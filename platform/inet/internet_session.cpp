#include <cstring>

#include "platform/inet/internet_objects.h"

namespace vx {

using inet::ConnectionObject;
using inet::SessionObject;

HINTERNET InternetOpen(const std::string& agent, DWORD accessType, const std::string& proxy,
                       const std::string& proxyBypass, DWORD) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT &&
      accessType != INTERNET_OPEN_TYPE_PROXY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!inet::NewCurlEasy()) {  // libcurl unusable: no session can ever transfer anything
    SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return 0;
  }
  auto session = std::make_shared<SessionObject>();
  session->endpoint.agent = agent;
  session->endpoint.accessType = accessType;
  session->endpoint.proxy = proxy;
  session->endpoint.proxyBypass = proxyBypass;
  return inet::AddObject(0, std::move(session));
}

HINTERNET InternetConnect(HINTERNET sessionHandle, const std::string& server, INTERNET_PORT port,
                          const std::string& user, const std::string& password, DWORD service, DWORD flags,
                          UINT_PTR) {
  auto session = inet::FindObjectAs<SessionObject>(sessionHandle);
  if (!session) return 0;
  if (!inet::IsValidServerName(server)) {
    SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
    return 0;
  }
  if (service != INTERNET_SERVICE_FTP && service != INTERNET_SERVICE_HTTP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto connection = std::make_shared<ConnectionObject>();
  connection->endpoint = session->endpoint;
  connection->endpoint.server = server;
  connection->endpoint.port = port;
  connection->endpoint.user = user;
  connection->endpoint.password = password;
  connection->service = service;
  connection->passive = (flags & INTERNET_FLAG_PASSIVE) != 0;
  if (service == INTERNET_SERVICE_FTP) {
    if (connection->endpoint.port == INTERNET_INVALID_PORT_NUMBER) connection->endpoint.port = INTERNET_DEFAULT_FTP_PORT;
    if (!inet::LogInToFtpServer(*connection)) return 0;
  }
  return inet::AddObject(sessionHandle, std::move(connection));
}

BOOL InternetSetOption(HINTERNET handle, DWORD option, const void* buffer, DWORD bufferLength) {
  auto object = inet::FindObject(handle);
  inet::Endpoint* settings = object ? object->Settings() : nullptr;
  if (!settings) {
    SetLastError(object ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  if (option != INTERNET_OPTION_RECEIVE_TIMEOUT || !buffer || bufferLength < sizeof(DWORD)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  std::lock_guard lock(object->mutex);
  std::memcpy(&settings->transferDeadlineMs, buffer, sizeof(DWORD));
  return TRUE_;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  if (!inet::CloseObject(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE_;
  }
  return TRUE_;
}

}  // namespace vx
