#include "child_process.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
// glibc 2.36 declares these without C linkage for C++.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "helper_launch.h"
#include "helper_socket.h"

namespace vximgplug {
namespace {

constexpr int kTimeLimitMs = 20000;
// A helper killed is gone within this time unless the system is stuck.
constexpr int kDeathTimeLimitMs = 5000;
// FreeImage leaks on some error paths and keeps caches. A helper that failed leaves with what it
// leaked, and one whose memory grew past its bound leaves once it has answered; this many
// requests bound whatever else a long life might gather, at a start (a program and its libraries
// loaded) per thousands of loads.
constexpr int kRequestsPerHelper = 4096;

thread_local HelperStart t_lastStart = HelperStart::kStarted;

// Idle helpers kept for loads on many threads at once: as many as threads may load at once on
// this machine, bounded, so that threads loading together seldom wait for a helper to start.
size_t IdleHelpersKept() {
  static const size_t kept = std::clamp<size_t>(2 * std::thread::hardware_concurrency(), 4, 64);
  return kept;
}

// A started helper: the host's end of the socket to it, the pidfd it is signalled through, and
// the window it shares with the host.
class Helper {
 public:
  static std::unique_ptr<Helper> Start();
  ~Helper();
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  const uint8_t* shared() const { return window_; }
  // Sends the request; then the answer's outcome before the deadline.
  bool Send(const std::vector<uint8_t>& request, int reply, int source);
  bool AwaitServed(Deadline deadline, const NoteHandler& onNote);
  // Killed, and gone once this returns: it writes nothing more.
  void Kill();
  bool Worn() const { return leaving_ || served_ >= kRequestsPerHelper; }
  // An idle helper says nothing until asked: anything to read, or the end of its socket, means it
  // is gone (killed, or out of memory while it waited).
  bool Gone() const;
  // Started by another process that forked from the one that started it.
  bool Inherited() const { return owner_ != getpid(); }
  // Such a helper, its socket and its window are the other process's: this one neither signals it
  // nor closes or unmaps what it may have reused the numbers and addresses of.
  void Abandon() {
    socket_.Forget();
    process_.Forget();
    window_ = nullptr;
  }

 private:
  explicit Helper(LaunchedHelper launched)
      : socket_(std::move(launched.socket)), process_(std::move(launched.process)), window_(launched.window),
        owner_(getpid()) {}
  Fd socket_;
  Fd process_;
  uint8_t* window_;
  pid_t owner_;
  int served_ = 0;
  bool leaving_ = false;  // it said it leaves after its last answer
  bool killed_ = false;
};

std::unique_ptr<Helper> Helper::Start() {
  LaunchedHelper launched;
  t_lastStart = LaunchHelper(launched);
  if (t_lastStart != HelperStart::kStarted) {
    if (launched.window) munmap(launched.window, kSharedBytes);
    return nullptr;
  }
  return std::unique_ptr<Helper>(new Helper(std::move(launched)));
}

// A helper let go is killed, not told to leave: a process forked from the host holds copies of
// the host's end of the socket until it exits or runs another program, so the end of file a
// close would give may never come.
Helper::~Helper() {
  Kill();
  socket_.Close();
  process_.Close();
  if (window_) munmap(window_, kSharedBytes);
}

// Through the pidfd alone, which names this helper whoever reaped what: no other process can
// ever receive the signal. The pidfd becomes readable when the helper has ended.
void Helper::Kill() {
  if (killed_ || process_.get() < 0) return;
  killed_ = true;
  if (pidfd_send_signal(process_.get(), SIGKILL, nullptr, 0) != 0) return;
  pollfd pfd{process_.get(), POLLIN, 0};
  while (poll(&pfd, 1, kDeathTimeLimitMs) < 0 && errno == EINTR) {
  }
}

bool Helper::Gone() const {
  pollfd pfd{socket_.get(), POLLIN, 0};
  return poll(&pfd, 1, 0) != 0;
}

bool Helper::Send(const std::vector<uint8_t>& request, int reply, int source) {
  if (socket_.get() < 0 || request.size() > kMaxRequestBytes) return false;
  const RequestHead head{static_cast<uint32_t>(request.size()), 2u};
  std::vector<uint8_t> packet(sizeof head);
  std::memcpy(packet.data(), &head, sizeof head);
  packet.insert(packet.end(), request.begin(), request.end());
  ++served_;
  return SendPacket(socket_.get(), packet.data(), packet.size(), {reply, source});
}

// Notes are answered as they come; the deadline covers them and the whole serving alike.
bool Helper::AwaitServed(Deadline deadline, const NoteHandler& onNote) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd pfd{socket_.get(), POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    uint8_t message[1 + kMaxNoteBytes];
    const ssize_t n = recv(socket_.get(), message, sizeof message, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && (message[0] == kServed || message[0] == kServedLeaving)) {
      leaving_ = message[0] == kServedLeaving;
      return true;
    }
    const bool answered = n >= 1 && message[0] == kNote;
    if (n < 1 || !(answered || message[0] == kNoteUnanswered) || !onNote ||
        !onNote(message + 1, static_cast<size_t>(n - 1), shared()))
      return false;
    if (answered && send(socket_.get(), &kNoteTaken, 1, MSG_NOSIGNAL) != 1) return false;
  }
}

// Helpers waiting for work. A replacement is started as soon as one is let go, so the host holds
// the same descriptors and processes before and after any load, failed or not.
class HelperPool {
 public:
  // An idle helper that died while it waited is let go here, so that its death fails no load.
  std::unique_ptr<Helper> Take() {
    for (;;) {
      std::unique_ptr<Helper> helper;
      {
        std::lock_guard lock(mutex_);
        ForgetInherited();
        if (idle_.empty()) break;
        helper = std::move(idle_.back());
        idle_.pop_back();
      }
      if (!helper->Gone()) return helper;
    }
    return Helper::Start();
  }
  void Give(std::unique_ptr<Helper> helper) {
    if (helper->Worn()) helper = Replacement(std::move(helper));
    if (!helper) return;
    std::lock_guard lock(mutex_);
    ForgetInherited();
    if (idle_.size() < IdleHelpersKept()) idle_.push_back(std::move(helper));
  }
  // A helper that failed is gone for good; the next one starts now.
  void Replace(std::unique_ptr<Helper> helper) {
    helper->Kill();
    Give(Replacement(std::move(helper)));
  }
  // At exit: the helpers waiting are let go at once, even those whose socket a process forked
  // from the host still holds (they would otherwise outlive the host).
  void LetGo() {
    std::vector<std::unique_ptr<Helper>> leaving;
    {
      std::lock_guard lock(mutex_);
      ForgetInherited();
      leaving.swap(idle_);
    }
  }

  // A fork while another thread held the lock would leave it held for good in the new process.
  void HoldAcrossFork() { mutex_.lock(); }
  void ReleaseAfterFork() { mutex_.unlock(); }

 private:
  static std::unique_ptr<Helper> Replacement(std::unique_ptr<Helper> helper) {
    helper.reset();
    return Helper::Start();
  }
  // The helpers of the process this one forked from are not ours to use or signal.
  void ForgetInherited() {
    for (auto& helper : idle_)
      if (helper->Inherited()) helper->Abandon();
    std::erase_if(idle_, [](const auto& helper) { return helper->Inherited(); });
  }
  std::mutex mutex_;
  std::vector<std::unique_ptr<Helper>> idle_;
};

// Never destroyed, since loads on other threads may still reach it while the process exits.
HelperPool& Pool() {
  static auto* pool = [] {
    auto* made = new HelperPool;
    std::atexit([] { Pool().LetGo(); });
    pthread_atfork([] { Pool().HoldAcrossFork(); }, [] { Pool().ReleaseAfterFork(); },
                   [] { Pool().ReleaseAfterFork(); });
    return made;
  }();
  return *pool;
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

HelperStart LastHelperStart() { return t_lastStart; }
void ForgetHelperStart() { t_lastStart = HelperStart::kStarted; }

bool RunInHelper(const std::vector<uint8_t>& request, int source,
                 const std::function<bool(int fd, Deadline)>& consume, const NoteHandler& onNote) {
  ForgetHelperStart();
  if (source < 0) return false;
  // The helper first: a host short of descriptors has the most free while one starts.
  std::unique_ptr<Helper> helper = Pool().Take();
  if (!helper) return false;
  Fd reply(memfd_create("vximgplug-reply", MFD_CLOEXEC));
  if (reply.get() < 0) {
    t_lastStart = errno == ENOMEM ? HelperStart::kNoMemory : HelperStart::kRefused;
    Pool().Give(std::move(helper));
    return false;
  }
  const Deadline deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeLimitMs);
  bool sent = helper->Send(request, reply.get(), source);
  if (!sent) {  // the request never reached it: it died since it was taken, and another is asked
    Pool().Replace(std::move(helper));
    helper = Pool().Take();
    if (!helper) return false;
    sent = helper->Send(request, reply.get(), source);
  }
  const bool served = sent && helper->AwaitServed(deadline, onNote);
  if (!served) helper->Kill();  // and gone: it writes nothing more
  const bool consumed = lseek(reply.get(), 0, SEEK_SET) == 0 && consume(reply.get(), std::max(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(2)));
  reply.Close();  // before a replacement starts, which a host short of descriptors needs them for
  if (served) Pool().Give(std::move(helper));
  else Pool().Replace(std::move(helper));
  return served && consumed;
}

}  // namespace vximgplug
