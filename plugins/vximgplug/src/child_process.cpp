#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

// Present only when a sanitizer runtime is linked in; a fuzzing harness registers its crash
// report there, and the child must not file the host's input as a crash of its own.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace vximgplug {
namespace {

constexpr int kTimeLimitMs = 20000;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The child dies of its own faults quietly: default signal dispositions, no death callback,
// and a decoder that complains loudly (or a sanitizer reporting an absurd allocation) is silenced.
void QuietenChild() {
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ})
    ::signal(signal, SIG_DFL);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
  const int quiet = open("/dev/null", O_WRONLY);
  if (quiet >= 0) dup2(quiet, STDERR_FILENO);
}

[[noreturn]] void RunChild(int fd, const std::function<bool(int fd)>& produce) {
  QuietenChild();
  bool ok = false;
  try {
    ok = produce(fd);
  } catch (...) {
    ok = false;
  }
  _exit(ok ? 0 : 1);
}

// A child that handed over everything exits at once; one stuck past the deadline is killed.
int WaitForExit(pid_t child, Deadline deadline) {
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return status;
    if (done < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= deadline) break;
    usleep(200);
  }
  kill(child, SIGKILL);
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size, Deadline deadline) {
  auto* p = static_cast<uint8_t*>(data);
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd pfd{fd, POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool RunInChild(const std::function<bool(int fd)>& produce, const std::function<bool(int fd, Deadline)>& consume) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  Fd readEnd(fds[0]), writeEnd(fds[1]);
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    readEnd.Close();
    RunChild(writeEnd.get(), produce);
  }
  writeEnd.Close();
  const Deadline deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeLimitMs);
  const bool consumed = consume(readEnd.get(), deadline);
  readEnd.Close();
  if (!consumed) kill(child, SIGKILL);
  const int status = WaitForExit(child, std::max(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(2)));
  return consumed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vximgplug
