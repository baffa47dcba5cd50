// An installed copy, as a user meets it: the built tree installed into a fresh prefix that no
// loader searches, the installed minimal program built against it through pkg-config alone, and
// both it and the installed script host run without LD_LIBRARY_PATH; the installed headers give
// C++ every enumeration the script host knows, as the compiler sees them.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "control/enumerations.h"
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

// The built tree installed into a prefix of its own, reached through its pkg-config file.
class InstalledCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("pkg-config");
    VX_REQUIRE_TOOL("c++");
    const std::string install = RunShell("cmake --install " + Quoted(VEXIRO_BINARY_DIR) + " --prefix " + Quoted(prefix_) + " >/dev/null");
    ASSERT_NE(install.find("exit 0"), std::string::npos) << install;
  }

  // "pkg-config" over the installed vexiro.pc alone.
  std::string PkgConfig() const {
    return "PKG_CONFIG_PATH=$(dirname \"$(find " + Quoted(prefix_) + " -name vexiro.pc)\") pkg-config";
  }

  TempFolder work_;
  const std::string prefix_ = (work_.path() / "prefix").string();
};

TEST_F(InstalledCopy, MinimalProgramBuildsWithPkgConfigAndRunsFromAnyPrefix) {
  VX_REQUIRE_TOOL("identify");
  const std::string source = CommandOutput("find " + Quoted(prefix_) + " -path '*/examples/minimal/minimal.cpp'");
  ASSERT_FALSE(source.empty()) << "the minimal program is installed with the library";
  const std::string program = (work_.path() / "minimal").string();
  const std::string build = RunShell("c++ -std=c++20 -Wall -Werror" + std::string(kSanitizerFlags) + " " +
                                     Quoted(source.substr(0, source.size() - 1)) + " $(" + PkgConfig() +
                                     " --cflags --libs vexiro) -o " + Quoted(program));
  ASSERT_NE(build.find("exit 0"), std::string::npos) << build;

  // Colours and the interpolation go in by name, the outcome comes out by name.
  const std::string picture = (work_.path() / "picture.png").string();
  const std::string ran = RunShell("env -u LD_LIBRARY_PATH " + Quoted(program) + " " + Quoted(picture));
  EXPECT_NE(ran.find("wrote " + picture + ": 320 x 180, OK\nexit 0"), std::string::npos) << ran;
  EXPECT_EQ(CommandOutput("identify -format '%m %wx%h' " + Quoted(picture)), "PNG 320x180");
  const std::string nowhere = (work_.path() / "missing" / "picture.png").string();
  const std::string failed = RunShell("env -u LD_LIBRARY_PATH " + Quoted(program) + " " + Quoted(nowhere));
  EXPECT_NE(failed.find("failed: 10 FileNotFound\nexit 1"), std::string::npos) << failed;

  // The installed script host finds the installed library too.
  const std::string host = RunShell("env -u LD_LIBRARY_PATH " + Quoted(prefix_ + "/bin/vexiro") + " -e 'print 6 * 7'");
  EXPECT_EQ(host, "42\nexit 0\n");
}

TEST_F(InstalledCopy, HeadersDeclareEveryEnumerationTheScriptHostKnowsWithItsValues) {
  VX_REQUIRE_TOOL("clang++");
  VX_REQUIRE_TOOL("python3");
  // clang's own reading of the installed headers, every constant of namespace vexiro with the
  // value the compiler gives it: "Enumeration Constant Value", sorted.
  const std::string lister = std::string(VEXIRO_SOURCE_DIR) + "/tests/install/enumerations_in_headers.py";
  const std::string declared =
      CommandOutput("echo '#include \"vexiro/imaging.h\"' | clang++ -std=c++20 -fsyntax-only -x c++ - $(" + PkgConfig() +
                    " --cflags vexiro) -Xclang -ast-dump=json -Xclang -ast-dump-filter=vexiro | python3 " + Quoted(lister));
  std::set<std::string> inHeaders;
  std::istringstream lines(declared);
  for (std::string line; std::getline(lines, line);) inHeaders.insert(line);

  std::set<std::string> inTable;
  for (const vx::control::EnumerationDesc& e : vx::control::Enumerations())
    for (const vx::control::EnumConstant& c : e.constants)
      inTable.insert(std::string(e.name) + " " + std::string(c.name) + " " + std::to_string(c.value));
  ASSERT_EQ(inTable.size(), 1373u);
  for (const std::string& constant : inTable) EXPECT_TRUE(inHeaders.count(constant)) << "missing from the headers: " << constant;
  for (const std::string& constant : inHeaders) EXPECT_TRUE(inTable.count(constant)) << "not in the type library: " << constant;
}

TEST_F(InstalledCopy, HeadersStayUsableBesideX11) {
  // X11 defines None as a macro; TwainPaperSize has a constant of that name.
  const std::string compiled = RunShell("printf '#include <X11/Xlib.h>\\n#include \"vexiro/imaging.h\"\\nint a = vexiro::A4 + None;\\n' | "
                                        "c++ -std=c++20 -fsyntax-only -x c++ - $(" + PkgConfig() + " --cflags vexiro)");
  EXPECT_EQ(compiled, "exit 0\n");
}

}  // namespace
}  // namespace vxtest
