// The objects behind internet handles and the tree they form: a session owns its connections, a
// connection its requests, and closing a handle closes its whole subtree.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/inet/curl_support.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"

namespace vx::inet {

class InternetObject {
 public:
  virtual ~InternetObject() = default;
  // The settings transfers under this handle are made with; null for objects without any.
  virtual Endpoint* Settings() { return nullptr; }
  // Serialises the calls made on one handle; a transfer holds it while it runs.
  std::mutex mutex;
};

class SessionObject : public InternetObject {
 public:
  Endpoint endpoint;  // agent, proxy and deadline only
  Endpoint* Settings() override { return &endpoint; }
};

class ConnectionObject : public InternetObject {
 public:
  Endpoint endpoint;
  Endpoint* Settings() override { return &endpoint; }
  DWORD service = 0;
  bool passive = true;
  // FTP only: the logged-in control connection, kept alive between transfers.
  CurlEasy ftp;
  char errorText[CURL_ERROR_SIZE] = {};
};

// Opens the FTP control connection and logs in; false with the error set when refused.
bool LogInToFtpServer(ConnectionObject& connection);

// Stores a new object under its parent (0 for a session); 0 when the parent is gone or the table full.
HINTERNET AddObject(HINTERNET parent, std::shared_ptr<InternetObject> object);
std::shared_ptr<InternetObject> FindObject(HINTERNET handle);
// Removes the handle and its subtree; false for an unknown handle.
bool CloseObject(HINTERNET handle);

// The object of a handle as the type a call needs; null with the error set otherwise.
template <class T>
std::shared_ptr<T> FindObjectAs(HINTERNET handle) {
  auto object = FindObject(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto typed = std::dynamic_pointer_cast<T>(object);
  if (!typed) SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  return typed;
}

}  // namespace vx::inet
