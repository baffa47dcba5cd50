#include "platform/kernel/environment.h"

#include <cstdlib>

namespace vx {

std::string GetEnvironmentVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

}  // namespace vx
