// Outside tools the tests lean on, as oracles or to draw fixtures. Without one a test cannot say
// anything: on a developer's machine it is skipped with the reason, but under CI (CI=true) it
// fails, naming the Debian package that brings the tool, so that an oracle never vanishes from a
// green run unnoticed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vxtest {

inline bool ToolOnPath(const std::string& tool) {
  return std::system(("command -v '" + tool + "' >/dev/null 2>&1").c_str()) == 0;
}

inline bool RunningUnderCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

inline std::string MissingToolMessage(const std::string& what, const std::string& package) {
  return what + " is missing (Debian package " + package + ")";
}

}  // namespace vxtest

// Ends the test when `present` is false: skipped outside CI, failed under it. `what` names the
// missing tool or module, `package` the Debian package(s) listed in debian-packages.txt for it.
#define VX_REQUIRE(present, what, package)                                     \
  do {                                                                         \
    if (!(present)) {                                                          \
      if (::vxtest::RunningUnderCi()) {                                        \
        GTEST_FAIL() << ::vxtest::MissingToolMessage(what, package);           \
      } else {                                                                 \
        GTEST_SKIP() << ::vxtest::MissingToolMessage(what, package);           \
      }                                                                        \
    }                                                                          \
  } while (0)

#define VX_REQUIRE_TOOL(tool, package) VX_REQUIRE(::vxtest::ToolOnPath(tool), tool, package)
