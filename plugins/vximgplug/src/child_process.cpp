#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

// Present only when a sanitizer runtime is linked in; a fuzzing harness registers its crash
// report there, and the helper must not file the host's input as a crash of its own.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace vximgplug {
namespace {

constexpr int kTimeLimitMs = 20000;
// FreeImage leaks on some error paths and keeps caches; a helper is replaced after this many.
constexpr int kRequestsPerHelper = 64;
// Helpers beyond this many, left over from loads on many threads at once, are let go.
constexpr size_t kIdleHelpersKept = 4;
constexpr size_t kMaxRequestBytes = 64 * 1024;
constexpr int kHelperSocket = 3;
constexpr uint8_t kServed = 1;
constexpr uint8_t kNote = 2;
constexpr uint8_t kNoteTaken = 1;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // The number may name another file by now (in a process forked from the one that opened it).
  void Forget() { fd_ = -1; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// What precedes a request's bytes: their count and the descriptors that come with them.
struct RequestHead {
  uint32_t requestBytes;
  uint32_t descriptors;
};

// The window a helper shares with the host: mapped before the fork, so both see it at the same
// address, and kept from any later fork, so no other process inherits it.
class SharedWindow {
 public:
  SharedWindow() = default;
  ~SharedWindow() {
    if (bytes_) munmap(bytes_, kSharedBytes);
  }
  SharedWindow(SharedWindow&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = nullptr; }
  SharedWindow(const SharedWindow&) = delete;
  SharedWindow& operator=(const SharedWindow&) = delete;
  SharedWindow& operator=(SharedWindow&&) = delete;
  // Mapped whole at once for the first picture; pages a picture gives back at its end come back
  // as the next one touches them.
  bool Make() {
    void* address = mmap(nullptr, kSharedBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (address == MAP_FAILED) return false;
    bytes_ = static_cast<uint8_t*>(address);
    return true;
  }
  void KeepFromLaterForks() const { madvise(bytes_, kSharedBytes, MADV_DONTFORK); }
  uint8_t* bytes() const { return bytes_; }
  // In a process forked from the window's owner: the window was kept from the fork, and whatever
  // this process mapped at its address since is its own.
  void Forget() { bytes_ = nullptr; }

 private:
  uint8_t* bytes_ = nullptr;
};

// ---- in the helper ----

uint8_t* g_sharedWithHost = nullptr;

// The helper dies of its own faults quietly: default signal dispositions, no death callback,
// and a decoder that complains loudly (or a sanitizer reporting an absurd allocation) is silenced.
void QuietenHelper() {
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS, SIGXCPU, SIGXFSZ, SIGPIPE, SIGINT,
                     SIGTERM, SIGHUP})
    ::signal(signal, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
}

// A helper is a process of its own, not bound by limits the host set on itself: its memory files
// do not count against the host's file-size limit, and a host low on descriptors (the helper
// inherits that soft limit) must not leave it without the few it needs. The hard limits stay.
void LiftSoftLimits() {
  for (int resource : {RLIMIT_FSIZE, RLIMIT_NOFILE}) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0) continue;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(resource, &limit);
  }
}

// Nothing of the host's stays open here but the socket: a pipe the host opens and whose write end
// a helper kept would never reach end of file. Everything else is closed first, so that the socket
// reaches its place and the standard streams /dev/null within any descriptor limit above 3.
void KeepOnlySocket(int socket) {
  if (socket > 0) close_range(0, static_cast<unsigned>(socket) - 1, 0);
  close_range(static_cast<unsigned>(socket) + 1, ~0U, 0);
  if (socket != kHelperSocket) {
    if (dup2(socket, kHelperSocket) != kHelperSocket) _exit(1);
    close(socket);
  }
  const int quiet = open("/dev/null", O_RDWR);  // the lowest free number: 0
  for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    if (quiet >= 0 && stream != quiet) dup2(quiet, stream);
}

// One request: its head and bytes in one packet, its descriptors beside them. False at the end.
bool ReceiveRequest(RequestHead& head, std::vector<uint8_t>& bytes, std::array<int, 2>& fds) {
  bytes.resize(sizeof head + kMaxRequestBytes);
  iovec io{bytes.data(), bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 2)];
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t n;
  while ((n = recvmsg(kHelperSocket, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
  }
  if (n < static_cast<ssize_t>(sizeof head)) return false;
  std::memcpy(&head, bytes.data(), sizeof head);
  fds.fill(-1);
  const cmsghdr* c = CMSG_FIRSTHDR(&message);
  if (!c || c->cmsg_type != SCM_RIGHTS || head.descriptors != 2 ||
      c->cmsg_len != CMSG_LEN(sizeof(int) * head.descriptors) || head.requestBytes != n - sizeof head)
    return false;
  std::memcpy(fds.data(), CMSG_DATA(c), sizeof(int) * head.descriptors);
  bytes.erase(bytes.begin(), bytes.begin() + sizeof head);
  bytes.resize(head.requestBytes);
  return true;
}

// Serves until the host lets go of its end; a failed request ends the helper.
[[noreturn]] void RunHelper(int socket, uint8_t* shared) {
  g_sharedWithHost = shared;
  QuietenHelper();
  LiftSoftLimits();
  KeepOnlySocket(socket);
  RequestHead head{};
  std::vector<uint8_t> request;
  std::array<int, 2> fds{};
  while (ReceiveRequest(head, request, fds)) {
    bool ok = false;
    try {
      ok = ServeRequest(request, fds[0], fds[1]);
    } catch (...) {
      ok = false;
    }
    if (!ok) _exit(1);
    for (int fd : fds)
      if (fd >= 0) close(fd);
    malloc_trim(0);  // an idle helper keeps none of the decoder's freed memory
    if (send(kHelperSocket, &kServed, 1, MSG_NOSIGNAL) != 1) _exit(1);
  }
  _exit(0);
}

// ---- in the host ----

// A started helper: its process and the host's end of the socket to it.
class Helper {
 public:
  static std::unique_ptr<Helper> Start();
  ~Helper();
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  const uint8_t* shared() const { return shared_.bytes(); }
  // Sends the request; then the answer's outcome before the deadline.
  bool Send(const std::vector<uint8_t>& request, int reply, int source);
  bool AwaitServed(Deadline deadline, const NoteHandler& onNote);
  void Kill();
  bool Worn() const { return served_ >= kRequestsPerHelper; }
  // An idle helper says nothing until asked: anything to read, or the end of its socket, means it
  // is gone (killed, or out of memory while it waited).
  bool Gone() const;
  // Made in another process that forked from the one that started it: not this process's child.
  bool Inherited() const { return owner_ != getpid(); }
  // Such a helper, its socket and its window are the other process's: this one neither waits for
  // it nor closes or unmaps what it may have reused the numbers and addresses of.
  void Abandon() {
    pid_ = -1;
    socket_.Forget();
    shared_.Forget();
  }

 private:
  Helper(pid_t pid, int socket, SharedWindow shared)
      : pid_(pid), socket_(socket), shared_(std::move(shared)), owner_(getpid()) {}
  pid_t pid_;
  Fd socket_;
  SharedWindow shared_;
  pid_t owner_;
  int served_ = 0;
};

std::unique_ptr<Helper> Helper::Start() {
  SharedWindow shared;
  if (!shared.Make()) return nullptr;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
  Fd helperEnd(ends[1]);
  const pid_t pid = fork();
  if (pid < 0) {
    close(ends[0]);
    return nullptr;
  }
  if (pid == 0) RunHelper(helperEnd.get(), shared.bytes());
  shared.KeepFromLaterForks();
  return std::unique_ptr<Helper>(new Helper(pid, ends[0], std::move(shared)));
}

// A helper let go is killed, not told to leave: a process forked from the host holds copies of
// the host's end of the socket until it exits or runs another program, so the end of file a
// close would give may never come, and one that hangs would hold the host up. Killed, it is gone
// at once, and waiting for it never waits on anyone else.
Helper::~Helper() {
  socket_.Close();
  if (pid_ <= 0) return;
  Kill();
  int status = 0;
  while (pid_ > 0 && waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

// Only a child not yet waited for keeps its number: one the host reaped itself (SIGCHLD ignored,
// or a handler waiting for every child) may have passed it on to another process by now.
void Helper::Kill() {
  if (pid_ <= 0) return;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == 0) kill(pid_, SIGKILL);
  else pid_ = -1;  // waited for here, or by the host: gone either way
}

bool Helper::Gone() const {
  pollfd pfd{socket_.get(), POLLIN, 0};
  return poll(&pfd, 1, 0) != 0;
}

bool Helper::Send(const std::vector<uint8_t>& request, int reply, int source) {
  if (socket_.get() < 0 || request.size() > kMaxRequestBytes) return false;
  const int fds[2] = {reply, source};
  RequestHead head{static_cast<uint32_t>(request.size()), 2u};
  std::vector<uint8_t> packet(sizeof head);
  std::memcpy(packet.data(), &head, sizeof head);
  packet.insert(packet.end(), request.begin(), request.end());
  iovec io{packet.data(), packet.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof fds)] = {};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = CMSG_SPACE(sizeof(int) * head.descriptors);
  cmsghdr* c = CMSG_FIRSTHDR(&message);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(sizeof(int) * head.descriptors);
  std::memcpy(CMSG_DATA(c), fds, sizeof(int) * head.descriptors);
  ssize_t n;
  while ((n = sendmsg(socket_.get(), &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  ++served_;
  return n == static_cast<ssize_t>(packet.size());
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
    if (n == 1 && message[0] == kServed) return true;
    if (n < 1 || message[0] != kNote || !onNote || !onNote(message + 1, static_cast<size_t>(n - 1), shared()))
      return false;
    if (send(socket_.get(), &kNoteTaken, 1, MSG_NOSIGNAL) != 1) return false;
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
      helper->Kill();  // also one that spoke unasked: it is waited for as it goes
    }
    return Helper::Start();
  }
  void Give(std::unique_ptr<Helper> helper) {
    if (helper->Worn()) helper = Replacement(std::move(helper));
    if (!helper) return;
    std::lock_guard lock(mutex_);
    ForgetInherited();
    if (idle_.size() < kIdleHelpersKept) idle_.push_back(std::move(helper));
  }
  // A helper that failed is gone for good; the next one starts now.
  void Replace(std::unique_ptr<Helper> helper) {
    helper->Kill();
    Give(Replacement(std::move(helper)));
  }
  // At exit: the helpers waiting are let go and waited for, so that their time and memory count
  // as the host's children's, as a child per load did.
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
  // The helpers of the process this one forked from are not ours to use or wait for.
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

uint8_t* SharedWithHost() { return g_sharedWithHost; }

bool TellHost(const void* note, size_t size) {
  if (size > kMaxNoteBytes) return false;
  uint8_t message[1 + kMaxNoteBytes];
  message[0] = kNote;
  std::memcpy(message + 1, note, size);
  if (send(kHelperSocket, message, size + 1, MSG_NOSIGNAL) != static_cast<ssize_t>(size + 1)) return false;
  uint8_t answer = 0;
  ssize_t n;
  while ((n = recv(kHelperSocket, &answer, 1, 0)) < 0 && errno == EINTR) {
  }
  return n == 1 && answer == kNoteTaken;
}

bool RunInHelper(const std::vector<uint8_t>& request, int source,
                 const std::function<bool(int fd, Deadline)>& consume, const NoteHandler& onNote) {
  Fd reply(memfd_create("vximgplug-reply", MFD_CLOEXEC));
  if (reply.get() < 0 || source < 0) return false;
  std::unique_ptr<Helper> helper = Pool().Take();
  if (!helper) return false;
  const Deadline deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeLimitMs);
  bool sent = helper->Send(request, reply.get(), source);
  if (!sent) {  // the request never reached it: it died since it was taken, and another is asked
    Pool().Replace(std::move(helper));
    helper = Pool().Take();
    if (!helper) return false;
    sent = helper->Send(request, reply.get(), source);
  }
  const bool served = sent && helper->AwaitServed(deadline, onNote);
  if (served) Pool().Give(std::move(helper));
  else Pool().Replace(std::move(helper));  // killed and waited for: it writes nothing more
  const bool consumed = lseek(reply.get(), 0, SEEK_SET) == 0 && consume(reply.get(), std::max(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(2)));
  return served && consumed;
}

}  // namespace vximgplug
