// Exported operations never let an exception cross into the host: a failure becomes the
// operation's failure value.
#pragma once
#include <string>

namespace vximgplug {

template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <class Body>
void GuardedVoid(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

inline std::string PathText(const char* path) { return path ? std::string(path) : std::string(); }

}  // namespace vximgplug
