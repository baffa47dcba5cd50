// The settings of a session and its connection that every transfer made under them needs.
#pragma once
#include <string>

#include "platform/inet/wininet.h"

namespace vx::inet {

// What every transfer opened under a session needs to know of it and of its connection.
struct Endpoint {
  std::string agent;
  DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG;
  std::string proxy;
  std::string proxyBypass;
  std::string server;
  INTERNET_PORT port = 0;
  std::string user;
  std::string password;
  DWORD transferDeadlineMs = 0;  // 0: the default deadline
};

}  // namespace vx::inet
