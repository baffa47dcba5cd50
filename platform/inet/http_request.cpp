// HTTP requests over libcurl's multi interface, so that a response can be read bit by bit:
// sending returns once the response's headers are in, and each read pulls only as much of the body
// off the connection as the caller's buffer takes. Body bytes go straight into the caller's buffer;
// only what arrives beyond it waits in a small spill area.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/inet/internet_objects.h"

namespace vx {

namespace inet {

namespace {

// Body bytes kept beyond the caller's buffer before the transfer is paused.
constexpr size_t kMaxSpillBytes = 256 * 1024;
constexpr long kPollMilliseconds = 1000;
// Response headers kept per request; a server sending more is refused rather than trusted.
constexpr size_t kMaxHeaderBytes = 256 * 1024;

struct Header {
  std::string name;
  std::string value;
};

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

std::optional<std::string> NotAnswered(DWORD error) {
  SetLastError(error);
  return std::nullopt;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Methods are HTTP tokens; anything else could break the request line.
bool IsToken(const std::string& text) {
  if (text.empty()) return false;
  return std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isalnum(c) || std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
  });
}

// The caller's header block, one line per CR LF; lines without a name are dropped.
CurlSlist HeaderList(const std::string& headers) {
  curl_slist* list = nullptr;
  size_t start = 0;
  while (start <= headers.size()) {
    size_t end = headers.find('\n', start);
    if (end == std::string::npos) end = headers.size();
    std::string line = Trim(std::string_view(headers).substr(start, end - start));
    if (!line.empty() && line.find(':') != std::string::npos && !HasControlCharacters(line)) {
      curl_slist* grown = Curl().slistAppend(list, line.c_str());
      if (grown == nullptr) break;
      list = grown;
    }
    start = end + 1;
  }
  return CurlSlist(list);
}

}  // namespace

class RequestObject : public InternetObject {
 public:
  ~RequestObject() override { Detach(); }

  Endpoint endpoint;
  Endpoint* Settings() override { return &endpoint; }
  std::string verb;
  std::string object;
  long httpVersion = CURL_HTTP_VERSION_1_1;
  DWORD flags = 0;

  bool Send(const std::string& headers, const void* body, DWORD bodyLength);
  bool Read(void* buffer, DWORD wanted, DWORD* got);
  bool Query(DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index);

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);

  void Detach();
  void SetMethod(const void* body, DWORD bodyLength);
  bool Start(const std::string& headers, const void* body, DWORD bodyLength);
  std::string Url() const;
  void Pump(const std::function<bool()>& enough);
  void CollectResult();
  size_t DrainSpill(uint8_t* out, size_t wanted);
  size_t SpillLeft() const { return spill_.size() - spillRead_; }
  const std::string* FindHeader(std::string_view name, DWORD index) const;
  std::optional<std::string> ResponseValue(DWORD level, DWORD which) const;
  bool AnswerNumber(DWORD value, void* buffer, DWORD* bufferLength);
  bool AnswerText(const std::string& text, void* buffer, DWORD* bufferLength);

  CurlMulti multi_;
  CurlEasy easy_;
  CurlSlist requestHeaders_;
  char errorText_[CURL_ERROR_SIZE] = {};
  bool sent_ = false;
  bool bodyStarted_ = false;
  bool headersTooLarge_ = false;
  size_t headerBytes_ = 0;
  bool done_ = false;
  bool paused_ = false;
  CURLcode result_ = CURLE_OK;
  std::string statusLine_;
  std::vector<Header> responseHeaders_;
  std::string spill_;
  size_t spillRead_ = 0;
  uint8_t* target_ = nullptr;
  size_t targetWanted_ = 0;
  size_t targetGot_ = 0;
};

std::string RequestObject::Url() const {
  const bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
  INTERNET_PORT port = endpoint.port;
  if (port == INTERNET_INVALID_PORT_NUMBER) port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  std::string path = EscapeHttpObject(object);
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  return (secure ? "https://" : "http://") + UrlAuthority(endpoint.server, port) + path;
}

size_t RequestObject::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto& request = *static_cast<RequestObject*>(self);
  const std::string_view line(data, size * count);
  request.headerBytes_ += line.size();
  if (request.headerBytes_ > kMaxHeaderBytes) {
    request.headersTooLarge_ = true;
    return 0;  // ends the transfer
  }
  if (line.starts_with("HTTP/")) {
    // A new response (after a redirect or an interim 1xx): only the last one's headers count.
    request.statusLine_ = Trim(line);
    request.responseHeaders_.clear();
  } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
    request.responseHeaders_.push_back({Trim(line.substr(0, colon)), Trim(line.substr(colon + 1))});
  }
  return size * count;
}

size_t RequestObject::OnBody(char* data, size_t size, size_t count, void* self) {
  auto& request = *static_cast<RequestObject*>(self);
  const size_t total = size * count;
  request.bodyStarted_ = true;
  const size_t room = request.targetWanted_ - request.targetGot_;
  if (room == 0 && request.SpillLeft() >= kMaxSpillBytes) {
    request.paused_ = true;
    return CURL_WRITEFUNC_PAUSE;  // curl keeps the chunk and hands it over again when resumed
  }
  const size_t direct = std::min(room, total);
  if (direct > 0) {
    std::memcpy(request.target_ + request.targetGot_, data, direct);
    request.targetGot_ += direct;
  }
  request.spill_.append(data + direct, total - direct);
  return total;
}

void RequestObject::CollectResult() {
  int queued = 0;
  while (CURLMsg* message = Curl().multiInfoRead(multi_.get(), &queued)) {
    if (message->msg == CURLMSG_DONE) {
      done_ = true;
      result_ = message->data.result;
    }
  }
}

// Runs the transfer until `enough` holds or it ends. Every wait is bounded by curl's own time limits.
void RequestObject::Pump(const std::function<bool()>& enough) {
  while (!done_ && !enough()) {
    int running = 0;
    if (Curl().multiPerform(multi_.get(), &running) != CURLM_OK) {
      done_ = true;
      result_ = CURLE_FAILED_INIT;
      return;
    }
    CollectResult();
    if (running == 0 && !done_) {
      done_ = true;
      result_ = CURLE_RECV_ERROR;
    }
    if (done_ || enough()) return;
    Curl().multiPoll(multi_.get(), nullptr, 0, kPollMilliseconds, nullptr);
  }
}

// The easy handle leaves the multi handle before either goes, as libcurl requires.
void RequestObject::Detach() {
  if (multi_ && easy_) Curl().multiRemoveHandle(multi_.get(), easy_.get());
  easy_.reset();
  multi_.reset();
}

void RequestObject::SetMethod(const void* body, DWORD bodyLength) {
  CURL* easy = easy_.get();
  if (verb == "HEAD") {
    Curl().easySetopt(easy, CURLOPT_NOBODY, 1L);
    return;
  }
  if (verb == "GET" && bodyLength == 0) return;
  Curl().easySetopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
  if (bodyLength > 0 || verb == "POST") {
    Curl().easySetopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
    Curl().easySetopt(easy, CURLOPT_COPYPOSTFIELDS, bodyLength > 0 ? static_cast<const char*>(body) : "");
  }
}

bool RequestObject::Start(const std::string& headers, const void* body, DWORD bodyLength) {
  Detach();
  easy_ = NewCurlEasy();
  if (!easy_) return false;
  multi_.reset(Curl().multiInit());
  if (!multi_) return false;
  CURL* easy = easy_.get();
  ApplyEndpointOptions(easy, endpoint, errorText_);
  const bool secure = (flags & INTERNET_FLAG_SECURE) != 0;
  Curl().easySetopt(easy, CURLOPT_PROTOCOLS_STR, secure ? "https" : "http,https");
  // A secure request never follows a redirect to plain HTTP.
  Curl().easySetopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  Curl().easySetopt(easy, CURLOPT_FOLLOWLOCATION, (flags & INTERNET_FLAG_NO_AUTO_REDIRECT) ? 0L : 1L);
  Curl().easySetopt(easy, CURLOPT_URL, Url().c_str());
  Curl().easySetopt(easy, CURLOPT_PATH_AS_IS, 1L);
  Curl().easySetopt(easy, CURLOPT_HTTP_VERSION, httpVersion);
  if (!endpoint.user.empty()) {
    // Credentials go out only when the server asks for them, as WinINet sends them.
    Curl().easySetopt(easy, CURLOPT_USERNAME, endpoint.user.c_str());
    Curl().easySetopt(easy, CURLOPT_PASSWORD, endpoint.password.c_str());
    Curl().easySetopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  SetMethod(body, bodyLength);
  requestHeaders_ = HeaderList(headers + "\r\nExpect:");
  Curl().easySetopt(easy, CURLOPT_HTTPHEADER, requestHeaders_.get());
  Curl().easySetopt(easy, CURLOPT_HEADERFUNCTION, &RequestObject::OnHeader);
  Curl().easySetopt(easy, CURLOPT_HEADERDATA, this);
  Curl().easySetopt(easy, CURLOPT_WRITEFUNCTION, &RequestObject::OnBody);
  Curl().easySetopt(easy, CURLOPT_WRITEDATA, this);
  return Curl().multiAddHandle(multi_.get(), easy) == CURLM_OK;
}

bool RequestObject::Send(const std::string& headers, const void* body, DWORD bodyLength) {
  sent_ = bodyStarted_ = headersTooLarge_ = done_ = paused_ = false;
  headerBytes_ = 0;
  result_ = CURLE_OK;
  statusLine_.clear();
  responseHeaders_.clear();
  spill_.clear();
  spillRead_ = 0;
  if (body == nullptr && bodyLength > 0) return Fail(ERROR_INVALID_PARAMETER);
  if (!Start(headers, body, bodyLength)) return Fail(ERROR_INTERNET_INTERNAL_ERROR);
  // Headers are complete once the final response's body begins, or the transfer ends. A transfer
  // that failed before any body (refused, untrusted, a redirect that led nowhere) has no response;
  // one cut short inside the body has, and its reads report the cut.
  Pump([this] { return bodyStarted_; });
  const bool failedBeforeBody = done_ && result_ != CURLE_OK && result_ != CURLE_PARTIAL_FILE && !bodyStarted_;
  if (headersTooLarge_) return Fail(ERROR_HTTP_INVALID_SERVER_RESPONSE);
  if (statusLine_.empty() || failedBeforeBody) {
    return Fail(ErrorFromCurl(result_ == CURLE_OK ? CURLE_GOT_NOTHING : result_, errorText_));
  }
  sent_ = true;
  return true;
}

size_t RequestObject::DrainSpill(uint8_t* out, size_t wanted) {
  const size_t n = std::min(wanted, SpillLeft());
  if (n > 0) std::memcpy(out, spill_.data() + spillRead_, n);
  spillRead_ += n;
  if (spillRead_ == spill_.size()) {
    spill_.clear();
    spillRead_ = 0;
  }
  return n;
}

bool RequestObject::Read(void* buffer, DWORD wanted, DWORD* got) {
  if (!sent_) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  auto* out = static_cast<uint8_t*>(buffer);
  size_t filled = DrainSpill(out, wanted);
  if (filled < wanted && !done_) {
    target_ = out;
    targetWanted_ = wanted;
    targetGot_ = filled;
    if (paused_) {
      paused_ = false;
      Curl().easyPause(easy_.get(), CURLPAUSE_CONT);
    }
    Pump([this] { return targetGot_ == targetWanted_; });
    filled = targetGot_;
    target_ = nullptr;
    targetWanted_ = targetGot_ = 0;
  }
  *got = static_cast<DWORD>(filled);
  if (filled == 0 && done_ && result_ != CURLE_OK) return Fail(ErrorFromCurl(result_, errorText_));
  return true;
}

const std::string* RequestObject::FindHeader(std::string_view name, DWORD index) const {
  for (const Header& header : responseHeaders_) {
    if (EqualsIgnoringCase(header.name, name) && index-- == 0) return &header.value;
  }
  return nullptr;
}

bool RequestObject::AnswerNumber(DWORD value, void* buffer, DWORD* bufferLength) {
  if (*bufferLength < sizeof(DWORD)) {
    *bufferLength = sizeof(DWORD);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, &value, sizeof value);
  *bufferLength = sizeof(DWORD);
  return true;
}

bool RequestObject::AnswerText(const std::string& text, void* buffer, DWORD* bufferLength) {
  if (*bufferLength < text.size() + 1) {
    *bufferLength = static_cast<DWORD>(text.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *bufferLength = static_cast<DWORD>(text.size());
  return true;
}

// The value an info level names in the final response; nothing (with the error set) when it has none.
std::optional<std::string> RequestObject::ResponseValue(DWORD level, DWORD which) const {
  if (level == HTTP_QUERY_STATUS_CODE || level == HTTP_QUERY_STATUS_TEXT) {
    // "HTTP/1.0 404 File not found": the code is the second word, the text the rest.
    const auto first = statusLine_.find(' ');
    if (first == std::string::npos || which > 0) return NotAnswered(ERROR_HTTP_HEADER_NOT_FOUND);
    const auto second = statusLine_.find(' ', first + 1);
    if (level == HTTP_QUERY_STATUS_CODE) return statusLine_.substr(first + 1, second - first - 1);
    return second == std::string::npos ? "" : statusLine_.substr(second + 1);
  }
  if (level == HTTP_QUERY_CONTENT_LENGTH || level == HTTP_QUERY_CONTENT_TYPE) {
    const std::string* value = FindHeader(level == HTTP_QUERY_CONTENT_LENGTH ? "Content-Length" : "Content-Type", which);
    if (value == nullptr) return NotAnswered(ERROR_HTTP_HEADER_NOT_FOUND);
    return *value;
  }
  return NotAnswered(ERROR_HTTP_INVALID_QUERY_REQUEST);
}

bool RequestObject::Query(DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index) {
  if (!sent_) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (buffer == nullptr || bufferLength == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((infoLevel & 0xFFFF0000u & ~HTTP_QUERY_FLAG_NUMBER) != 0) return Fail(ERROR_HTTP_INVALID_QUERY_REQUEST);
  const std::optional<std::string> text = ResponseValue(infoLevel & 0xFFFF, index ? *index : 0);
  if (!text) return false;
  bool answered;
  if (infoLevel & HTTP_QUERY_FLAG_NUMBER) {
    DWORD value = 0;
    const char* end = text->data() + text->size();
    auto [stop, ec] = std::from_chars(text->data(), end, value);
    if (text->empty() || ec != std::errc() || stop != end) return Fail(ERROR_HTTP_INVALID_HEADER);
    answered = AnswerNumber(value, buffer, bufferLength);
  } else {
    answered = AnswerText(*text, buffer, bufferLength);
  }
  if (answered && index) ++*index;
  return answered;
}

}  // namespace inet

HINTERNET HttpOpenRequest(HINTERNET connectionHandle, const std::string& verb, const std::string& object,
                          const std::string& version, const std::string&, const char* const*, DWORD flags,
                          UINT_PTR) {
  auto connection = inet::FindObjectAs<inet::ConnectionObject>(connectionHandle);
  if (!connection) return 0;
  if (connection->service != INTERNET_SERVICE_HTTP) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return 0;
  }
  const std::string method = verb.empty() ? "GET" : verb;
  long httpVersion;
  if (version.empty() || version == "HTTP/1.1") {
    httpVersion = CURL_HTTP_VERSION_1_1;
  } else if (version == "HTTP/1.0") {
    httpVersion = CURL_HTTP_VERSION_1_0;
  } else {
    httpVersion = -1;
  }
  if (!inet::IsToken(method) || httpVersion < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto request = std::make_shared<inet::RequestObject>();
  request->endpoint = connection->endpoint;
  request->verb = method;
  request->object = object;
  request->httpVersion = httpVersion;
  request->flags = flags;
  return inet::AddObject(connectionHandle, std::move(request));
}

namespace {

// The request of a handle, locked for one call; null with the error set otherwise.
std::shared_ptr<inet::RequestObject> LockedRequest(HINTERNET handle, std::unique_lock<std::mutex>& lock) {
  auto request = inet::FindObjectAs<inet::RequestObject>(handle);
  if (request) lock = std::unique_lock(request->mutex);
  return request;
}

}  // namespace

BOOL HttpSendRequest(HINTERNET handle, const std::string& headers, const void* body, DWORD bodyLength) {
  std::unique_lock<std::mutex> lock;
  auto request = LockedRequest(handle, lock);
  return request && request->Send(headers, body, bodyLength) ? TRUE_ : FALSE_;
}

BOOL HttpQueryInfo(HINTERNET handle, DWORD infoLevel, void* buffer, DWORD* bufferLength, DWORD* index) {
  std::unique_lock<std::mutex> lock;
  auto request = LockedRequest(handle, lock);
  return request && request->Query(infoLevel, buffer, bufferLength, index) ? TRUE_ : FALSE_;
}

BOOL InternetReadFile(HINTERNET handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead) {
  if (bytesRead == nullptr || (buffer == nullptr && bytesToRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE_;
  }
  *bytesRead = 0;
  std::unique_lock<std::mutex> lock;
  auto request = LockedRequest(handle, lock);
  return request && request->Read(buffer, bytesToRead, bytesRead) ? TRUE_ : FALSE_;
}

}  // namespace vx
