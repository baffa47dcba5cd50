#include "platform/registry/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/input_limits.h"
#include "platform/kernel/environment.h"
#include "platform/kernel/files.h"
#include "platform/kernel/regular_file.h"
#include "platform/registry/reg_document.h"

namespace vx {

namespace {

constexpr HKEY kFirstOpenedKey = 0x1000;
constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

LSTATUS StatusOfErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    default: return ERROR_CANTWRITE;
  }
}

// Open key handles name their key's path; the predefined roots need none.
class KeyHandles {
 public:
  static KeyHandles& Instance() {
    static KeyHandles handles;
    return handles;
  }
  bool PathOf(HKEY key, std::string& path) {
    if (key >= HKEY_CLASSES_ROOT && key <= HKEY_LOCAL_MACHINE) {
      path = kRootNames[key - HKEY_CLASSES_ROOT];
      return true;
    }
    std::lock_guard lock(mutex_);
    auto found = open_.find(key);
    if (found == open_.end()) return false;
    path = found->second;
    return true;
  }
  HKEY Open(std::string path) {
    std::lock_guard lock(mutex_);
    // Handles stay below the predefined roots and skip those still open after a wrap.
    while (open_.count(next_) || next_ < kFirstOpenedKey || next_ >= HKEY_CLASSES_ROOT)
      next_ = next_ >= HKEY_CLASSES_ROOT ? kFirstOpenedKey : next_ + 1;
    open_[next_] = std::move(path);
    return next_++;
  }
  bool Close(HKEY key) {
    std::lock_guard lock(mutex_);
    return open_.erase(key) == 1;
  }

 private:
  std::mutex mutex_;
  std::map<HKEY, std::string> open_;
  HKEY next_ = kFirstOpenedKey;
};

// The full path of a subkey; false for a closed handle or a malformed subkey name.
LSTATUS ResolvePath(HKEY key, const char* subKey, std::string& path) {
  if (!KeyHandles::Instance().PathOf(key, path)) return ERROR_INVALID_HANDLE;
  if (!subKey || !*subKey) return ERROR_SUCCESS;
  const std::string sub(subKey);
  if (sub.front() == '\\' || sub.back() == '\\' || sub.find("\\\\") != std::string::npos ||
      sub.find_first_of("[]\r\n") != std::string::npos)
    return ERROR_INVALID_PARAMETER;
  path += "\\" + sub;
  return ERROR_SUCCESS;
}

// Holds an exclusive advisory lock on the file's folder while it lives. The folder is locked, not
// the file: the file is replaced by a rename, and a lock on the replaced file would guard nothing.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      error_ = errno;
      ::close(fd_);
      fd_ = -1;
    } else if (fd_ < 0) {
      error_ = errno;
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return fd_ >= 0; }
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

// The file's bytes; a missing file is an empty registry.
LSTATUS ReadRegistryText(const std::string& path, std::string& text, bool& exists) {
  text.clear();
  exists = false;
  const int fd = kernel::OpenRegularFileForReading(path.c_str());
  if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ERROR_CANTREAD;
  exists = true;
  char buffer[65536];
  ssize_t n = 0;
  // Reading stops just past the limit: the text is then refused as a whole, not read whole.
  while (text.size() <= limits::kMaxRegistryFileBytes &&
         ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
    if (n > 0) text.append(buffer, static_cast<size_t>(n));
  ::close(fd);
  return n < 0 ? ERROR_CANTREAD : ERROR_SUCCESS;
}

// Writes the text to a new file beside `path` and renames it over `path`; on any failure the
// new file is removed and `path` stays as it was.
LSTATUS ReplaceRegistryFile(const std::string& path, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  NewFileForWriting file;
  std::string temporary;
  for (int attempt = 0; attempt < 100 && !file.IsOpen(); ++attempt) {
    temporary = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    if (!file.Create(temporary) && GetLastError() != ERROR_FILE_EXISTS) return StatusOfErrno(errno);
  }
  if (!file.IsOpen()) return ERROR_CANTWRITE;
  struct stat old {};
  const bool keepMode = ::stat(path.c_str(), &old) == 0;
  bool written = file.WriteFile(text.data(), text.size()) && ::fsync(file.NativeHandle() - 1) == 0;
  if (written && keepMode) written = ::fchmod(file.NativeHandle() - 1, old.st_mode & 07777) == 0;
  written = file.CloseHandle() && written;
  if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return ERROR_SUCCESS;
  const int error = errno;
  ::unlink(temporary.c_str());
  return StatusOfErrno(error);
}

}  // namespace

std::string RegistryFilePath() {
  const std::string chosen = GetEnvironmentVariable("VEXIRO_REGISTRY");
  if (!chosen.empty()) return chosen;
  const std::string home = GetEnvironmentVariable("HOME");
  return home.empty() ? "" : home + "/.local/share/vexiro/registry.reg";
}

struct RegistryBatch::Session {
  std::string path;
  std::unique_ptr<FolderLock> lock;
  registry::RegDocument document;
  std::string original;
  bool existed = false;
  LSTATUS status = ERROR_SUCCESS;

  Session() {
    path = RegistryFilePath();
    if (path.empty()) {
      status = ERROR_PATH_NOT_FOUND;
      return;
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    if (ec) {
      status = ERROR_PATH_NOT_FOUND;
      return;
    }
    std::filesystem::create_directories(folder, ec);  // the default folder of a new user
    lock = std::make_unique<FolderLock>(folder.string());
    if (!lock->Held()) {
      status = StatusOfErrno(lock->Error());
      return;
    }
    status = ReadRegistryText(path, original, existed);
    if (status == ERROR_SUCCESS && existed && !document.Parse(original)) status = ERROR_BADDB;
  }

  LSTATUS Commit() {
    if (status != ERROR_SUCCESS) return status;
    const std::string text = document.Serialise();
    if (existed && text == original) return ERROR_SUCCESS;
    LSTATUS written = ReplaceRegistryFile(path, text);
    if (written == ERROR_SUCCESS) {
      original = text;
      existed = true;
    }
    return written;
  }
};

namespace {

thread_local RegistryBatch::Session* activeBatch = nullptr;

// Runs `change` on the thread's batch, or on a batch of its own that is committed when the
// change succeeded and `writes` is set.
template <class Change>
LSTATUS WithRegistry(bool writes, Change change) {
  if (activeBatch) return activeBatch->status != ERROR_SUCCESS ? activeBatch->status : change(activeBatch->document);
  RegistryBatch::Session session;
  if (session.status != ERROR_SUCCESS) return session.status;
  const LSTATUS status = change(session.document);
  return status == ERROR_SUCCESS && writes ? session.Commit() : status;
}

}  // namespace

RegistryBatch::RegistryBatch() : session_(std::make_unique<Session>()), outer_(activeBatch) { activeBatch = session_.get(); }
RegistryBatch::~RegistryBatch() { activeBatch = outer_; }
LSTATUS RegistryBatch::Status() const { return session_->status; }
LSTATUS RegistryBatch::Commit() { return session_->Commit(); }

LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, void*, HKEY* result,
                       DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::string path;
  if (LSTATUS s = ResolvePath(key, subKey, path); s != ERROR_SUCCESS) return s;
  bool existed = false;
  const LSTATUS status = WithRegistry(true, [&](registry::RegDocument& doc) {
    existed = doc.HasKey(path);
    doc.CreateKey(path);
    return static_cast<LSTATUS>(ERROR_SUCCESS);
  });
  if (status != ERROR_SUCCESS) return status;
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *result = KeyHandles::Instance().Open(path);
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::string path;
  if (LSTATUS s = ResolvePath(key, subKey, path); s != ERROR_SUCCESS) return s;
  const LSTATUS status = WithRegistry(false, [&](registry::RegDocument& doc) {
    return static_cast<LSTATUS>(doc.HasKey(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  });
  if (status == ERROR_SUCCESS) *result = KeyHandles::Instance().Open(path);
  return status;
}

LSTATUS RegCloseKey(HKEY key) { return KeyHandles::Instance().Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (type != REG_SZ) return ERROR_UNSUPPORTED_TYPE;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  std::string path;
  if (LSTATUS s = ResolvePath(key, nullptr, path); s != ERROR_SUCCESS) return s;
  std::string text(reinterpret_cast<const char*>(data), size);
  if (const size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  if (text.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;  // one line a value
  return WithRegistry(true, [&](registry::RegDocument& doc) {
    return static_cast<LSTATUS>(doc.SetString(path, valueName ? valueName : "", text) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  });
}

LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
  if (data && !size) return ERROR_INVALID_PARAMETER;
  std::string path;
  if (LSTATUS s = ResolvePath(key, nullptr, path); s != ERROR_SUCCESS) return s;
  std::string text;
  const LSTATUS status = WithRegistry(false, [&](registry::RegDocument& doc) {
    if (!doc.HasKey(path)) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
    return static_cast<LSTATUS>(doc.QueryString(path, valueName ? valueName : "", text) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  });
  if (status != ERROR_SUCCESS) return status;
  if (type) *type = REG_SZ;
  const DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (!size) return ERROR_SUCCESS;
  const DWORD room = *size;
  *size = needed;
  if (!data) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  std::memcpy(data, text.c_str(), needed);
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteTree(HKEY key, const char* subKey) {
  std::string path;
  if (LSTATUS s = ResolvePath(key, subKey, path); s != ERROR_SUCCESS) return s;
  const bool whole = subKey && *subKey;
  return WithRegistry(true, [&](registry::RegDocument& doc) {
    if (!doc.HasKey(path)) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
    if (whole) doc.DeleteTree(path);
    else doc.ClearKey(path);
    return static_cast<LSTATUS>(ERROR_SUCCESS);
  });
}

}  // namespace vx
