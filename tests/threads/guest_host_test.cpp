// The library as a guest in C++ hosts that reap or wait for their own children, exit while their
// threads load, use libtiff themselves or run short of processes, descriptors and file size. Each
// host is a program of its own (tests/hosts/guest_host.cpp) linked against the library, run here
// as a child within a deadline that turns a hang into a failure; its inputs are made by
// ImageMagick and Pillow.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/child_processes.h"
#include "support/required_tool.h"
#include "vexiro/enumerations.h"

namespace vxtest {
namespace {

constexpr auto kHostDeadline = std::chrono::seconds(90);
const std::string kOldJpegTiff = std::string(VEXIRO_TEST_DATA_DIR) + "/plugins/ojpeg-rgb.tif";

struct HostOutcome {
  bool hung = false;
  int status = -1;  // the exit status, or -1 when the host died of a signal
  int signal = 0;
};

HostOutcome RunHost(const std::vector<std::string>& arguments, const std::string& pluginPath = "") {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(VEXIRO_GUEST_HOST_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (!pluginPath.empty()) setenv("VEXIRO_PLUGIN_PATH", pluginPath.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  HostOutcome outcome;
  int status = 0;
  outcome.hung = !AwaitChild(pid, kHostDeadline, status);
  if (outcome.hung) return outcome;
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

void ExpectSucceeds(const std::vector<std::string>& arguments, const std::string& pluginPath = "") {
  const HostOutcome outcome = RunHost(arguments, pluginPath);
  EXPECT_FALSE(outcome.hung) << arguments[0] << ": the host hung";
  EXPECT_EQ(outcome.signal, 0) << arguments[0] << ": the host died of a signal";
  EXPECT_EQ(outcome.status, 0) << arguments[0];
}

class GuestHost : public testing::Test {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("convert");
    folder_ = std::filesystem::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") /
              ("guest-host-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    jpeg_ = Made("a.jpg", "convert -size 40x30 gradient:red-blue");
    // A format only the plug-in reads: the load's status is the plug-in route's own.
    targa_ = Made("a.tga", "convert -size 16x12 xc:orange");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Made(const std::string& name, const std::string& command) {
    const std::string path = (folder_ / name).string();
    EXPECT_EQ(std::system((command + " '" + path + "' 2>/dev/null").c_str()), 0) << command;
    return path;
  }

  std::filesystem::path folder_;
  std::string jpeg_, targa_;
};

// A host that reaps its children itself, or ignores SIGCHLD, with its helpers killed by an
// operator: the children it starts afterwards survive the loads that follow.
TEST_F(GuestHost, ReapingItsChildrenKillsNoneOfThem) {
  ExpectSucceeds({"reaping", jpeg_});
  ExpectSucceeds({"ignoring", jpeg_});
}

TEST_F(GuestHost, WaitingForAllItsChildrenReturns) { ExpectSucceeds({"waiting", jpeg_}); }

TEST_F(GuestHost, ExitingWhileThreadsLoadEndsCleanly) {
  for (int run = 0; run < 10; ++run) {
    SCOPED_TRACE(run);
    ExpectSucceeds({"exiting", jpeg_});
  }
}

// The host's libtiff opens an old-style JPEG TIFF and reports absent tags as absent after the
// library loaded TIFFs, and the host's own error handler still hears it.
TEST_F(GuestHost, ItsLibtiffStaysItsOwn) {
  VX_REQUIRE(std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0, "Pillow", "python3-pil");
  const std::string grey = (folder_ / "grey.tif").string();
  ASSERT_EQ(std::system(("/usr/bin/python3 -c \"from PIL import Image; Image.new('L', (20, 10), 99).save('" + grey +
                         "')\"").c_str()),
            0);
  ExpectSucceeds({"libtiff", kOldJpegTiff, grey});
}

// When no helper can start, the status says so instead of claiming memory ran out.
TEST_F(GuestHost, AHelperThatCannotStartGivesAStatusThatSaysWhy) {
  for (const char* limit : {"processes", "descriptors", "files"}) {
    SCOPED_TRACE(limit);
    // A process limit does not bind the superuser.
    if (std::string(limit) == "processes" && geteuid() == 0) continue;
    ExpectSucceeds({"limited", targa_, limit, std::to_string(vexiro::Win32Error)});
  }
}

// A plug-in folder without the helper program: the plug-in is incomplete.
TEST_F(GuestHost, APluginWithoutItsHelperProgramGivesAStatusThatSaysSo) {
  const std::filesystem::path lone = folder_ / "plugins";
  std::filesystem::create_directories(lone);
  std::filesystem::create_symlink(std::filesystem::path(VEXIRO_PLUGIN_DIR) / "vximgplug.so", lone / "vximgplug.so");
  ExpectSucceeds({"status", targa_, std::to_string(vexiro::VximgplugDllRequired)}, lone.string());
  ExpectSucceeds({"status", targa_, std::to_string(vexiro::OK)});
}

}  // namespace
}  // namespace vxtest
