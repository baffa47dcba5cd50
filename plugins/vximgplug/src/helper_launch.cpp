#include "helper_launch.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
// glibc 2.36 declares these without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace vximgplug {
namespace {

constexpr const char* kProgramName = "vximgplug-helper";
// Loading the plug-in and its libraries in a fresh process takes a while on a busy machine
// (and much longer under the sanitizers).
constexpr auto kHelloTimeLimit = std::chrono::seconds(20);

struct Location {
  std::string plugin;   // the plug-in's own file, which the helper loads
  std::string program;  // the helper program beside it
};

// Where this plug-in was loaded from, as its host found it.
const Location& Located() {
  static const auto* location = [] {
    auto* found = new Location;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LaunchHelper), &info) != 0 && info.dli_fname) {
      found->plugin = info.dli_fname;
      const size_t slash = found->plugin.rfind('/');
      const std::string folder = slash == std::string::npos ? "." : found->plugin.substr(0, slash);
      found->program = folder + "/" + kProgramName;
    }
    return found;
  }();
  return *location;
}

HelperStart FromErrno(int error) {
  return error == ENOMEM ? HelperStart::kNoMemory : HelperStart::kRefused;
}

// The host's environment but LD_PRELOAD: a library preloaded into the host is the host's own.
std::vector<char*> HelperEnvironment() {
  std::vector<char*> variables;
  for (char** variable = environ; variable && *variable; ++variable)
    if (std::strncmp(*variable, "LD_PRELOAD=", 11) != 0) variables.push_back(*variable);
  variables.push_back(nullptr);
  return variables;
}

class SpawnSettings {
 public:
  explicit SpawnSettings(int helperEnd) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    // dup2 onto itself clears close-on-exec, so the socket is kept wherever it lies.
    posix_spawn_file_actions_adddup2(&actions_, helperEnd, kHelperSocket);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDWR, 0);
    posix_spawn_file_actions_adddup2(&actions_, STDIN_FILENO, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions_, STDIN_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions_, kHelperSocket + 1);
    sigset_t every, none;
    sigfillset(&every);
    sigdelset(&every, SIGKILL);
    sigdelset(&every, SIGSTOP);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes_, &every);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnSettings() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;
  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

// The spawned process exits as soon as it started the helper proper. It is waited for through a
// pidfd taken while it cannot yet have been reaped by anyone but this process's own wait: a host
// that reaps children itself may have reaped it already (no pidfd then, or waitid finds no child),
// and either way nothing is waited for but this one process.
void AwaitLauncher(pid_t launcher) {
  Fd process(pidfd_open(launcher, 0));
  if (process.get() < 0 && errno != ESRCH) {  // no descriptor for it: waited for by its number
    while (waitpid(launcher, nullptr, 0) < 0 && errno == EINTR) {
    }
    return;
  }
  if (process.get() < 0) return;
  siginfo_t info{};
  while (waitid(P_PIDFD, static_cast<id_t>(process.get()), &info, WEXITED) < 0 && errno == EINTR) {
  }
}

HelperStart Spawn(int helperEnd, pid_t& launcher) {
  const Location& location = Located();
  if (location.program.empty() || access(location.program.c_str(), X_OK) != 0) return HelperStart::kProgramMissing;
  const std::string host = std::to_string(getpid());
  std::vector<char*> arguments{const_cast<char*>(location.program.c_str()), const_cast<char*>(location.plugin.c_str()),
                               const_cast<char*>(host.c_str()), nullptr};
  std::vector<char*> environment = HelperEnvironment();
  const SpawnSettings settings(helperEnd);
  const int error = posix_spawn(&launcher, location.program.c_str(), settings.actions(), settings.attributes(),
                                arguments.data(), environment.data());
  return error == 0 ? HelperStart::kStarted : FromErrno(error);
}

bool AwaitHello(int socket, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd pfd{socket, POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

// The helper's pidfd and its window, mapped here; the window's descriptor is not kept.
bool TakeHello(LaunchedHelper& launched) {
  if (!AwaitHello(launched.socket.get(), std::chrono::steady_clock::now() + kHelloTimeLimit)) return false;
  uint8_t hello = 0;
  std::vector<Fd> fds;
  if (ReceivePacket(launched.socket.get(), &hello, 1, fds, 2) != 1 || hello != kHello || fds.size() != 2) return false;
  struct stat window {};
  if (fstat(fds[1].get(), &window) != 0 || static_cast<size_t>(window.st_size) != kSharedBytes) return false;
  void* address = mmap(nullptr, kSharedBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fds[1].get(), 0);
  if (address == MAP_FAILED) return false;
  // A process forked from the host does not inherit the window: what it maps there is its own.
  madvise(address, kSharedBytes, MADV_DONTFORK);
  launched.window = static_cast<uint8_t*>(address);
  launched.process = std::move(fds[0]);
  return true;
}

}  // namespace

HelperStart LaunchHelper(LaunchedHelper& launched) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return FromErrno(errno);
  launched.socket = Fd(ends[0]);
  Fd helperEnd(ends[1]);
  pid_t launcher = 0;
  const HelperStart spawned = Spawn(helperEnd.get(), launcher);
  helperEnd.Close();  // the helper's end now lives in the helper alone: its death ends the socket
  if (spawned != HelperStart::kStarted) return spawned;
  AwaitLauncher(launcher);
  // No greeting: the helper could not start (out of processes, descriptors or file size).
  return TakeHello(launched) ? HelperStart::kStarted : HelperStart::kRefused;
}

bool GreetHost(int socket, int window) {
  Fd process(pidfd_open(getpid(), 0));
  return process.get() >= 0 && SendPacket(socket, &kHello, 1, {process.get(), window});
}

}  // namespace vximgplug
