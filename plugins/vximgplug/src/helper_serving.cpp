// The decoding helper's side: set up once as a process of its own, then serving requests until
// the host lets go of its socket (or is gone: the end of the socket comes with the host's end).
// The libraries' process-wide settings the decoders need are made here, in the helper, never in
// the host.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "child_process.h"
#include "helper_launch.h"
#include "helper_memory.h"
#include "helper_setup.h"
#include "helper_socket.h"

// Present only when a sanitizer runtime is linked in; a fuzzing harness registers its crash
// report there, and the helper must not file the host's input as a crash of its own.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace vximgplug {
namespace {

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

// The window the helper shares with the host: a memory file the host maps too, made here so that
// the host's own file-size limit does not stand behind it.
int MakeWindow() {
  Fd window(memfd_create("vximgplug-window", MFD_CLOEXEC));
  if (window.get() < 0 || ftruncate(window.get(), static_cast<off_t>(kSharedBytes)) != 0) return -1;
  void* address = mmap(nullptr, kSharedBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, window.get(), 0);
  if (address == MAP_FAILED) return -1;
  g_sharedWithHost = static_cast<uint8_t*>(address);
  return window.release();
}

// One request: its head and bytes in one packet, its descriptors beside them. False at the end.
bool ReceiveRequest(std::vector<uint8_t>& bytes, std::array<Fd, 2>& fds) {
  RequestHead head{};
  bytes.resize(sizeof head + kMaxRequestBytes);
  std::vector<Fd> received;
  const ssize_t n = ReceivePacket(kHelperSocket, bytes.data(), bytes.size(), received, fds.size());
  if (n < static_cast<ssize_t>(sizeof head)) return false;
  std::memcpy(&head, bytes.data(), sizeof head);
  if (head.descriptors != fds.size() || received.size() != fds.size() || head.requestBytes != n - sizeof head)
    return false;
  for (size_t i = 0; i < fds.size(); ++i) fds[i] = std::move(received[i]);
  bytes.erase(bytes.begin(), bytes.begin() + sizeof head);
  bytes.resize(head.requestBytes);
  return true;
}

[[noreturn]] void Serve() {
  std::vector<uint8_t> request;
  std::array<Fd, 2> fds;
  while (ReceiveRequest(request, fds)) {
    bool ok = false;
    try {
      ok = ServeRequest(request, fds[0].get(), fds[1].get());
    } catch (...) {
      ok = false;
    }
    if (!ok) _exit(1);  // taking whatever the decoders leaked with it
    for (Fd& fd : fds) fd.Close();
    const bool leaving = GiveBackFreedMemory();
    if (send(kHelperSocket, leaving ? &kServedLeaving : &kServed, 1, MSG_NOSIGNAL) != 1 || leaving) _exit(0);
  }
  _exit(0);
}

}  // namespace

uint8_t* SharedWithHost() { return g_sharedWithHost; }

namespace {

bool SendNote(uint8_t kind, const void* note, size_t size) {
  if (size > kMaxNoteBytes) return false;
  uint8_t message[1 + kMaxNoteBytes];
  message[0] = kind;
  std::memcpy(message + 1, note, size);
  return send(kHelperSocket, message, size + 1, MSG_NOSIGNAL) == static_cast<ssize_t>(size + 1);
}

}  // namespace

bool NotifyHost(const void* note, size_t size) { return SendNote(kNoteUnanswered, note, size); }

bool TellHost(const void* note, size_t size) {
  if (!SendNote(kNote, note, size)) return false;
  uint8_t answer = 0;
  ssize_t n;
  while ((n = recv(kHelperSocket, &answer, 1, 0)) < 0 && errno == EINTR) {
  }
  return n == 1 && answer == kNoteTaken;
}

}  // namespace vximgplug

// The helper program's entry into the plug-in, its socket at kHelperSocket; it never returns.
extern "C" __attribute__((visibility("default"))) int VximgplugServeHost() {
  using namespace vximgplug;
  QuietenHelper();
  LiftSoftLimits();
  SilenceLibraryMessages();
  InstallTiffTagDefaults();
  KeepFreedMemoryBounded();
  Fd window(MakeWindow());
  if (window.get() < 0 || !GreetHost(kHelperSocket, window.get())) _exit(1);
  window.Close();  // mapped here and in the host: the descriptor is needed no more
  Serve();
}
