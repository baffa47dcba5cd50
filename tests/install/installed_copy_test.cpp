// An installed copy, as a user meets it: the built tree installed into a fresh prefix that no
// loader searches, the installed minimal program built against it through pkg-config alone, and
// both it and the installed script host run without LD_LIBRARY_PATH.
#include <gtest/gtest.h>

#include <string>

#include "support/required_tool.h"
#include "support/test_servers.h"

namespace vxtest {
namespace {

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The program must be instrumented as the installed library is, or the sanitizer runtime refuses
// to start behind it.
constexpr const char* kSanitizerFlags =
#if defined(__SANITIZE_ADDRESS__)
    " -fsanitize=address,undefined";
#elif defined(__SANITIZE_THREAD__)
    " -fsanitize=thread";
#else
    "";
#endif

// Runs a shell command and gives its output followed by "exit N".
std::string RunShell(const std::string& command) { return CommandOutput(command + " 2>&1; echo \"exit $?\""); }

TEST(InstalledCopy, MinimalProgramBuildsWithPkgConfigAndRunsFromAnyPrefix) {
  VX_REQUIRE_TOOL("pkg-config");
  VX_REQUIRE_TOOL("c++");
  VX_REQUIRE_TOOL("identify");
  TempFolder work;
  const std::string prefix = (work.path() / "prefix").string();
  const std::string install = RunShell("cmake --install " + Quoted(VEXIRO_BINARY_DIR) + " --prefix " + Quoted(prefix) + " >/dev/null");
  ASSERT_NE(install.find("exit 0"), std::string::npos) << install;

  const std::string pc = "PKG_CONFIG_PATH=$(dirname \"$(find " + Quoted(prefix) + " -name vexiro.pc)\") pkg-config";
  const std::string source = CommandOutput("find " + Quoted(prefix) + " -path '*/examples/minimal/minimal.cpp'");
  ASSERT_FALSE(source.empty()) << "the minimal program is installed with the library";
  const std::string program = (work.path() / "minimal").string();
  const std::string build = RunShell("c++ -std=c++20" + std::string(kSanitizerFlags) + " " + Quoted(source.substr(0, source.size() - 1)) +
                                " $(" + pc + " --cflags --libs vexiro) -o " + Quoted(program));
  ASSERT_NE(build.find("exit 0"), std::string::npos) << build;

  const std::string picture = (work.path() / "picture.png").string();
  const std::string ran = RunShell("env -u LD_LIBRARY_PATH " + Quoted(program) + " " + Quoted(picture));
  EXPECT_NE(ran.find("wrote " + picture + ": 160 x 90\nexit 0"), std::string::npos) << ran;
  EXPECT_EQ(CommandOutput("identify -format '%m %wx%h' " + Quoted(picture)), "PNG 160x90");

  // The installed script host finds the installed library too.
  const std::string host = RunShell("env -u LD_LIBRARY_PATH " + Quoted(prefix + "/bin/vexiro") + " -e 'print 6 * 7'");
  EXPECT_EQ(host, "42\nexit 0\n");
}

}  // namespace
}  // namespace vxtest
