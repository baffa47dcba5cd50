#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "inet_test_servers.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"
#include "support/required_tool.h"

namespace {

using namespace vx;
using vxtest::Pattern;

class InetHttp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!vxtest::HavePythonModule("http.server")) return;
    folder_ = std::make_unique<vxtest::TempFolder>();
    const auto script = folder_->path() / "http_server.py";
    vxtest::WriteFile(script, vxtest::kHttpServerScript);
    server_ = std::make_unique<vxtest::ServerProcess>(std::vector<std::string>{vxtest::kPython, script.string()});
  }
  static void TearDownTestSuite() {
    server_.reset();
    folder_.reset();
  }

  void SetUp() override {
    VX_REQUIRE(server_ && server_->port() != 0, "the HTTP test server (Python)", "python3");
    session_ = InternetOpen("vexiro", INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
    ASSERT_NE(session_, 0u);
  }
  void TearDown() override {
    if (session_) InternetCloseHandle(session_);
  }

  // Connection and request as the engine opens them: HTTP/1.0, reload from the server.
  HINTERNET Open(const std::string& object, const std::string& verb = "GET", uint16_t port = 0) {
    HINTERNET connection = InternetConnect(session_, "127.0.0.1", port ? port : server_->port(), "", "",
                                           INTERNET_SERVICE_HTTP, 0, 0);
    EXPECT_NE(connection, 0u);
    HINTERNET request = HttpOpenRequest(connection, verb, object, "HTTP/1.0", "", nullptr, INTERNET_FLAG_RELOAD, 0);
    EXPECT_NE(request, 0u);
    return request;
  }

  static std::optional<DWORD> QueryNumber(HINTERNET request, DWORD level) {
    DWORD value = 0, length = sizeof value;
    if (!HttpQueryInfo(request, level | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr)) return std::nullopt;
    return value;
  }

  // Reads until a read gives no byte; returns the body and the chunk sizes.
  static std::string ReadBody(HINTERNET request, DWORD chunk, std::vector<DWORD>* sizes = nullptr,
                              BOOL* lastResult = nullptr) {
    std::string body;
    std::vector<char> buffer(chunk);
    for (;;) {
      DWORD got = 0;
      BOOL ok = InternetReadFile(request, buffer.data(), chunk, &got);
      if (lastResult) *lastResult = ok;
      if (!ok || got == 0) return body;
      if (sizes) sizes->push_back(got);
      body.append(buffer.data(), got);
    }
  }

  static inline std::unique_ptr<vxtest::TempFolder> folder_;
  static inline std::unique_ptr<vxtest::ServerProcess> server_;
  HINTERNET session_ = 0;
};

TEST_F(InetHttp, BodyIsReadInChunksOfTheAskedSize) {
  HINTERNET request = Open("/bytes?10000");
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH), 10000u);
  EXPECT_EQ(QueryNumber(request, HTTP_QUERY_STATUS_CODE), 200u);
  std::vector<DWORD> sizes;
  BOOL last = FALSE_;
  EXPECT_EQ(ReadBody(request, 4096, &sizes, &last), Pattern(10000));
  EXPECT_EQ(sizes, (std::vector<DWORD>{4096, 4096, 1808}));
  EXPECT_EQ(last, TRUE_) << "the end of a complete body is a successful read of 0 bytes";
}

TEST_F(InetHttp, ReadsOfAnySizeReassembleALargeBody) {
  HINTERNET request = Open("/bytes?1000000");
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  const DWORD sizes[] = {1, 7, 4096, 65536, 300000};
  std::string body;
  std::vector<char> buffer(300000);
  for (size_t i = 0;; ++i) {
    DWORD got = 0;
    ASSERT_TRUE(InternetReadFile(request, buffer.data(), sizes[i % 5], &got));
    if (got == 0) break;
    body.append(buffer.data(), got);
  }
  EXPECT_EQ(body, Pattern(1000000));
}

TEST_F(InetHttp, ResponsesWithoutLengthOrWithErrorStatus) {
  HINTERNET noLength = Open("/nolength");
  ASSERT_TRUE(HttpSendRequest(noLength, "", nullptr, 0));
  EXPECT_FALSE(QueryNumber(noLength, HTTP_QUERY_CONTENT_LENGTH));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
  EXPECT_EQ(ReadBody(noLength, 1000), Pattern(3000));

  HINTERNET missing = Open("/nothing-here");
  ASSERT_TRUE(HttpSendRequest(missing, "", nullptr, 0)) << "an error status is still a response";
  EXPECT_EQ(QueryNumber(missing, HTTP_QUERY_STATUS_CODE), 404u);
  char text[32];
  DWORD length = sizeof text;
  ASSERT_TRUE(HttpQueryInfo(missing, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
  EXPECT_STREQ(text, "404");
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(ReadBody(missing, 100), "not here");
}

TEST_F(InetHttp, BodyCutShortEndsTheReadsWithAnError) {
  HINTERNET request = Open("/short");
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH), 10000u);
  BOOL last = TRUE_;
  EXPECT_EQ(ReadBody(request, 4096, nullptr, &last), Pattern(6000));
  EXPECT_EQ(last, FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CONNECTION_ABORTED);
}

TEST_F(InetHttp, RedirectIsFollowedAndOnlyTheFinalHeadersCount) {
  HINTERNET request = Open("/redirect");
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(QueryNumber(request, HTTP_QUERY_STATUS_CODE), 200u);
  EXPECT_EQ(QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH), 5u);
  EXPECT_EQ(ReadBody(request, 64), Pattern(5));
}

TEST_F(InetHttp, VerbHeadersBodyAgentAndVersionReachTheServer) {
  HINTERNET put = Open("/upload", "PUT");
  const std::string payload = "payload bytes";
  ASSERT_TRUE(HttpSendRequest(put, "", payload.data(), static_cast<DWORD>(payload.size())));
  EXPECT_EQ(ReadBody(put, 64), "PUT:" + payload);

  HINTERNET headers = Open("/headers");
  ASSERT_TRUE(HttpSendRequest(headers, "X-Test: yes\r\nX-Bad: a\rb\r\n", nullptr, 0));
  EXPECT_EQ(ReadBody(headers, 256), "agent=vexiro;x-test=yes;version=HTTP/1.0");

  HINTERNET head = Open("/bytes?123", "HEAD");
  ASSERT_TRUE(HttpSendRequest(head, "", nullptr, 0));
  EXPECT_EQ(QueryNumber(head, HTTP_QUERY_CONTENT_LENGTH), 123u);
  EXPECT_EQ(ReadBody(head, 64), "");
}

TEST_F(InetHttp, HostileRequestTextIsRefusedOrEscaped) {
  HINTERNET connection = InternetConnect(session_, "127.0.0.1", server_->port(), "", "", INTERNET_SERVICE_HTTP, 0, 0);
  EXPECT_EQ(HttpOpenRequest(connection, "GE T", "/", "HTTP/1.0", "", nullptr, 0, 0), 0u);
  EXPECT_EQ(HttpOpenRequest(connection, "GET\r\nX: y", "/", "HTTP/1.0", "", nullptr, 0, 0), 0u);
  EXPECT_EQ(HttpOpenRequest(connection, "GET", "/", "HTTP/9", "", nullptr, 0, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(InternetConnect(session_, "127.0.0.1\r\nHost: x", 80, "", "", INTERNET_SERVICE_HTTP, 0, 0), 0u);
  // A line break in the object cannot end the request line: it travels escaped, as a path.
  HINTERNET request = Open("/echo HTTP/1.0\r\nX-Injected: 1\r\n?q=a&b=c");
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(ReadBody(request, 256), "/echo%20HTTP/1.0%0D%0AX-Injected:%201%0D%0A?q=a&b=c");
}

TEST_F(InetHttp, HeaderFloodIsRefused) {
  HINTERNET request = Open("/flood");
  EXPECT_FALSE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_INVALID_SERVER_RESPONSE);
}

TEST_F(InetHttp, CallsOnWrongOrClosedHandlesFail) {
  HINTERNET request = Open("/bytes?10");
  DWORD value = 0, length = sizeof value, got = 0;
  char buffer[8];
  EXPECT_FALSE(HttpQueryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  ASSERT_TRUE(HttpSendRequest(request, "", nullptr, 0));
  length = 2;
  EXPECT_FALSE(HttpQueryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, 4u);
  length = 2;
  EXPECT_FALSE(HttpQueryInfo(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr));
  EXPECT_EQ(length, 3u) << "text needs room for \"10\" and its NUL";

  EXPECT_FALSE(HttpSendRequest(session_, "", nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  EXPECT_FALSE(FtpPutFile(request, "/etc/hostname", "x", 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);

  // Closing the session closes everything opened on it.
  ASSERT_TRUE(InternetCloseHandle(session_));
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(InternetCloseHandle(request));
  EXPECT_FALSE(InternetCloseHandle(session_));
  session_ = 0;
}

TEST_F(InetHttp, UnreachableServerFailsTheSend) {
  HINTERNET request = Open("/", "GET", vxtest::UnusedPort());
  EXPECT_FALSE(HttpSendRequest(request, "", nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
  DWORD got = 0;
  char buffer[4];
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
}

}  // namespace
