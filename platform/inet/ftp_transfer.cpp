// FTP over the connection's own curl handle: the handle keeps the logged-in control connection
// between transfers, and each transfer resets only its options.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string_view>

#include "platform/inet/internet_objects.h"
#include "platform/input_limits.h"

namespace vx {

namespace inet {

namespace {

// A download lands in a private file beside its destination and takes the destination's name
// only once it is complete, so a failed transfer leaves neither a partial file nor a lost old one.
class PartFile {
 public:
  explicit PartFile(const std::string& destination) : path_(destination + ".part.XXXXXX") {
    fd_ = mkostemp(path_.data(), O_CLOEXEC);
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (!published_ && fd_ >= 0) unlink(path_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  int fd() const { return fd_; }

  bool Publish(const std::string& destination, bool failIfExists) {
    if (fchmod(fd_, 0644) != 0 || fsync(fd_) != 0) return false;
    if (failIfExists) {
      if (link(path_.c_str(), destination.c_str()) != 0) return false;
      unlink(path_.c_str());
    } else if (rename(path_.c_str(), destination.c_str()) != 0) {
      return false;
    }
    published_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool published_ = false;
};

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return ERROR_FILE_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

// A download's file and what it has taken so far: no more than a file the loaders would read.
struct DownloadSink {
  int fd = -1;
  uint64_t written = 0;
  bool tooLarge = false;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<DownloadSink*>(user);
  const size_t total = size * count;
  if (total > limits::kMaxEncodedBytes - sink->written) {
    sink->tooLarge = true;
    return 0;  // curl ends the transfer with a write error
  }
  size_t done = 0;
  while (done < total) {
    ssize_t n = write(sink->fd, data + done, total - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    done += static_cast<size_t>(n);
  }
  sink->written += total;
  return total;
}

// The decimal number at the start of `text`, saturated above the limit (so that twenty digits
// cannot wrap onto a small size); false when `text` does not start with a digit.
bool LeadingSize(std::string_view text, uint64_t& size) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return false;
  size = 0;
  for (size_t i = 0; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    size = size * 10 + static_cast<uint64_t>(text[i] - '0');
    if (size > limits::kMaxEncodedBytes) return true;
  }
  return true;
}

// The size a server reply announces for the file: "213 N" (the answer to SIZE) or "150 ... (N
// bytes)" (the opening of the data connection); 0 when the reply names none.
uint64_t AnnouncedSize(std::string_view reply) {
  uint64_t size = 0;
  if (reply.rfind("213 ", 0) == 0 && LeadingSize(reply.substr(4), size)) return size;
  const size_t open = reply.rfind('(');
  if (reply.rfind("150", 0) == 0 && open != std::string_view::npos && LeadingSize(reply.substr(open + 1), size))
    return size;
  return 0;
}

// Server replies pass here as they arrive: a file announced larger than the loaders would read is
// refused at once, as HTTP refuses such a length, instead of being read until the deadline.
size_t WatchAnnouncedSize(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<DownloadSink*>(user);
  const size_t total = size * count;
  if (AnnouncedSize(std::string_view(data, total)) > limits::kMaxEncodedBytes) {
    sink->tooLarge = true;
    return 0;
  }
  return total;
}

size_t ReadFromFile(char* buffer, size_t size, size_t count, void* user) {
  const int fd = *static_cast<int*>(user);
  for (;;) {
    ssize_t n = read(fd, buffer, size * count);
    if (n < 0 && errno == EINTR) continue;
    return n < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(n);
  }
}

// Sets the connection's handle up for one command on `path` ("" for the login directory).
void PrepareTransfer(ConnectionObject& connection, const std::string& path, DWORD transferFlags) {
  CURL* easy = connection.ftp.get();
  Curl().easyReset(easy);
  ApplyEndpointOptions(easy, connection.endpoint, connection.errorText);
  const Endpoint& endpoint = connection.endpoint;
  const std::string url = "ftp://" + UrlAuthority(endpoint.server, endpoint.port) + "/" + EscapeFtpPath(path);
  Curl().easySetopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
  Curl().easySetopt(easy, CURLOPT_URL, url.c_str());
  if (!endpoint.user.empty()) {
    Curl().easySetopt(easy, CURLOPT_USERNAME, endpoint.user.c_str());
    Curl().easySetopt(easy, CURLOPT_PASSWORD, endpoint.password.c_str());
  }
  // The path goes to the server as one argument, as WinINet sends it, without walking directories.
  Curl().easySetopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  // Active mode: the server connects back to the address this side's control connection uses.
  Curl().easySetopt(easy, CURLOPT_FTPPORT, connection.passive ? nullptr : "-");
  if ((transferFlags & 0x3) == FTP_TRANSFER_TYPE_ASCII) Curl().easySetopt(easy, CURLOPT_TRANSFERTEXT, 1L);
}

bool Perform(ConnectionObject& connection) {
  CURLcode code = Curl().easyPerform(connection.ftp.get());
  return code == CURLE_OK || Fail(ErrorFromCurl(code, connection.errorText));
}

// The FTP connection of a handle, locked for one transfer; null with the error set otherwise.
std::shared_ptr<ConnectionObject> FtpConnection(HINTERNET handle, std::unique_lock<std::mutex>& lock) {
  auto connection = FindObjectAs<ConnectionObject>(handle);
  if (!connection) return nullptr;
  if (connection->service != INTERNET_SERVICE_FTP) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  lock = std::unique_lock(connection->mutex, std::try_to_lock);
  if (!lock) {
    SetLastError(ERROR_FTP_TRANSFER_IN_PROGRESS);
    return nullptr;
  }
  return connection;
}

bool IsUsableRemotePath(const std::string& path) { return !path.empty() && !HasControlCharacters(path); }

}  // namespace

bool LogInToFtpServer(ConnectionObject& connection) {
  connection.ftp = NewCurlEasy();
  if (!connection.ftp) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  PrepareTransfer(connection, "", 0);
  Curl().easySetopt(connection.ftp.get(), CURLOPT_NOBODY, 1L);
  return Perform(connection);
}

}  // namespace inet

BOOL FtpGetFile(HINTERNET handle, const std::string& remoteFile, const std::string& localFile, BOOL failIfExists,
                DWORD, DWORD flags, UINT_PTR) {
  std::unique_lock<std::mutex> lock;
  auto connection = inet::FtpConnection(handle, lock);
  if (!connection) return FALSE_;
  if (!inet::IsUsableRemotePath(remoteFile) || localFile.empty()) return inet::Fail(ERROR_INVALID_PARAMETER);
  if (failIfExists && access(localFile.c_str(), F_OK) == 0) return inet::Fail(ERROR_FILE_EXISTS);
  inet::PartFile part(localFile);
  if (part.fd() < 0) return inet::Fail(inet::ErrorFromErrno(errno));
  inet::DownloadSink sink{part.fd()};
  inet::PrepareTransfer(*connection, remoteFile, flags);
  CURL* easy = connection->ftp.get();
  inet::Curl().easySetopt(easy, CURLOPT_WRITEFUNCTION, &inet::WriteToFile);
  inet::Curl().easySetopt(easy, CURLOPT_WRITEDATA, &sink);
  inet::Curl().easySetopt(easy, CURLOPT_HEADERFUNCTION, &inet::WatchAnnouncedSize);
  inet::Curl().easySetopt(easy, CURLOPT_HEADERDATA, &sink);
  inet::Curl().easySetopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits::kMaxEncodedBytes));
  const bool performed = inet::Perform(*connection);
  if (sink.tooLarge) return inet::Fail(ERROR_NOT_ENOUGH_MEMORY);
  if (!performed) return FALSE_;
  if (!part.Publish(localFile, failIfExists)) return inet::Fail(inet::ErrorFromErrno(errno));
  return TRUE_;
}

BOOL FtpPutFile(HINTERNET handle, const std::string& localFile, const std::string& remoteFile, DWORD flags,
                UINT_PTR) {
  std::unique_lock<std::mutex> lock;
  auto connection = inet::FtpConnection(handle, lock);
  if (!connection) return FALSE_;
  if (!inet::IsUsableRemotePath(remoteFile)) return inet::Fail(ERROR_INVALID_PARAMETER);
  int fd = open(localFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return inet::Fail(inet::ErrorFromErrno(errno));
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return inet::Fail(ERROR_ACCESS_DENIED);
  inet::PrepareTransfer(*connection, remoteFile, flags);
  CURL* easy = connection->ftp.get();
  inet::Curl().easySetopt(easy, CURLOPT_UPLOAD, 1L);
  inet::Curl().easySetopt(easy, CURLOPT_READFUNCTION, &inet::ReadFromFile);
  inet::Curl().easySetopt(easy, CURLOPT_READDATA, &fd);
  inet::Curl().easySetopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(info.st_size));
  return inet::Perform(*connection) ? TRUE_ : FALSE_;
}

}  // namespace vx
