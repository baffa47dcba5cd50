// The socket between the host and a decoding helper: packets of bytes with descriptors beside
// them, and an owned descriptor.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vximgplug {

// Where the helper finds its socket.
constexpr int kHelperSocket = 3;

// What crosses the socket: the helper's greeting first; then requests, each a RequestHead with the
// request's bytes and two descriptors (the reply file and the source file); the helper answers
// kServed (kServedLeaving when it leaves at once after it), or sends notes (kNote and at most
// kMaxNoteBytes) the host answers kNoteTaken, or kNoteUnanswered notes it acts on alone.
constexpr uint8_t kHello = 0x48;
constexpr uint8_t kServed = 1;
constexpr uint8_t kServedLeaving = 3;
constexpr uint8_t kNote = 2;
constexpr uint8_t kNoteUnanswered = 4;
constexpr uint8_t kNoteTaken = 1;
constexpr size_t kMaxRequestBytes = 64 * 1024;

struct RequestHead {
  uint32_t requestBytes;
  uint32_t descriptors;
};

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release();
  // The number may name another file by now (in a process forked from the one that opened it).
  void Forget() { fd_ = -1; }
  void Close();

 private:
  int fd_;
};

// One packet: `size` bytes and the descriptors `fds`, sent whole or not at all.
bool SendPacket(int socket, const void* bytes, size_t size, const std::vector<int>& fds);

// One packet into `bytes` (at most `capacity`), its descriptors (at most `maxFds`, close-on-exec)
// into `fds`, which own them; the packet's size, 0 at the end of the socket, -1 on failure or when
// a packet carried more descriptors than allowed.
ssize_t ReceivePacket(int socket, void* bytes, size_t capacity, std::vector<Fd>& fds, size_t maxFds);

}  // namespace vximgplug
