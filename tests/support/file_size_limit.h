// For the life of the object, no file this process writes may grow past a given size: a write
// beyond it is cut short or fails (EFBIG) instead of stopping the process, as a full disk would.
#pragma once
#include <signal.h>
#include <sys/resource.h>

namespace vx::testing_support {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    if (active_) setrlimit(RLIMIT_FSIZE, &saved_);
    if (previous_ != SIG_ERR) signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Active() const { return active_; }

 private:
  rlimit saved_{};
  sighandler_t previous_ = SIG_ERR;
  bool active_ = false;
};

}  // namespace vx::testing_support
