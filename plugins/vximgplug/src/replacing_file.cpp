#include "replacing_file.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vximgplug {

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
  if (target.empty()) return;
  std::vector<char> name(target.begin(), target.end());
  const char suffix[] = ".vxtmp-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof(suffix));
  const int fd = mkstemp(name.data());
  if (fd < 0) return;
  temporary_.assign(name.data());
  // New files get the usual permissions rather than mkstemp's private ones.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  file_ = fdopen(fd, "w+b");
  if (!file_) {
    close(fd);
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}

namespace {

// For writers that wrote the temporary file through a handle of their own.
bool SyncedToDisk(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return close(fd) == 0 && synced;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
  CloseStream();
  if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

void ReplacingFile::CloseStream() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
}

bool ReplacingFile::Restart() {
  if (!file_ || std::fflush(file_) != 0 || ftruncate(fileno(file_), 0) != 0) return false;
  std::rewind(file_);
  return true;
}

bool ReplacingFile::Commit() {
  if (temporary_.empty()) return false;
  // A write that failed on the way (a full disk) leaves the stream's error flag set even when a
  // later flush succeeds; the file replaces the target only when every byte reached the disk.
  if (file_) {
    const bool flushed = !std::ferror(file_) && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) return false;
  } else if (!SyncedToDisk(temporary_)) {
    return false;
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

}  // namespace vximgplug
