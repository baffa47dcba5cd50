#include "helper_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vximgplug {
namespace {

constexpr size_t kMostDescriptors = 4;

}  // namespace

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

int Fd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void Fd::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool SendPacket(int socket, const void* bytes, size_t size, const std::vector<int>& fds) {
  if (fds.size() > kMostDescriptors) return false;
  iovec io{const_cast<void*>(bytes), size};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMostDescriptors)] = {};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  if (!fds.empty()) {
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
    std::memcpy(CMSG_DATA(c), fds.data(), sizeof(int) * fds.size());
  }
  ssize_t n;
  while ((n = sendmsg(socket, &message, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  return n == static_cast<ssize_t>(size);
}

ssize_t ReceivePacket(int socket, void* bytes, size_t capacity, std::vector<Fd>& fds, size_t maxFds) {
  fds.clear();
  iovec io{bytes, capacity};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMostDescriptors)];
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t n;
  while ((n = recvmsg(socket, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
  }
  if (n < 0) return -1;
  // Every descriptor that came is owned before anything is judged, so none stays open unasked.
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < count; ++i) {
      int fd;
      std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
      fds.emplace_back(fd);
    }
  }
  if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0 || fds.size() > maxFds) return -1;
  return n;
}

}  // namespace vximgplug
