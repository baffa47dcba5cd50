#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "inet_test_servers.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"
#include "support/required_tool.h"

namespace {

using namespace vx;

// A private certificate authority and a server certificate for "localhost" only, made with openssl.
bool MakeCertificates(const vxtest::fs::path& folder) {
  const std::string f = "'" + folder.string() + "/";
  const std::string quiet = " >/dev/null 2>&1";
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  vxtest::WriteFile(folder / "server.ext", "subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n");
  const std::string commands[] = {
      "openssl req -x509" + ec + " -keyout " + f + "ca.key' -out " + f +
          "ca.pem' -days 2 -subj /CN=vexiro-test-ca -addext basicConstraints=critical,CA:TRUE"
          " -addext keyUsage=critical,keyCertSign,cRLSign",
      "openssl req" + ec + " -keyout " + f + "server.key' -out " + f + "server.csr' -subj /CN=localhost",
      "openssl x509 -req -in " + f + "server.csr' -CA " + f + "ca.pem' -CAkey " + f + "ca.key' -CAcreateserial -out " +
          f + "server.pem' -days 2 -extfile " + f + "server.ext'",
  };
  for (const std::string& command : commands) {
    if (std::system((command + quiet).c_str()) != 0) return false;
  }
  return true;
}

// Names the trusted authorities for one test and puts the old setting back.
class ScopedCaFile {
 public:
  explicit ScopedCaFile(const std::string& path) {
    if (const char* old = std::getenv("VEXIRO_CA_FILE")) old_ = old;
    Set(path);
  }
  ~ScopedCaFile() { Set(old_.value_or("")); }

 private:
  static void Set(const std::string& path) {
    if (path.empty()) {
      unsetenv("VEXIRO_CA_FILE");
    } else {
      setenv("VEXIRO_CA_FILE", path.c_str(), 1);
    }
  }
  std::optional<std::string> old_;
};

class InetHttps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::system("command -v openssl >/dev/null 2>&1") != 0 || !vxtest::HavePythonModule("ssl")) return;
    folder_ = std::make_unique<vxtest::TempFolder>();
    const auto& dir = folder_->path();
    if (!MakeCertificates(dir)) return;
    vxtest::WriteFile(dir / "http_server.py", vxtest::kHttpServerScript);
    server_ = std::make_unique<vxtest::ServerProcess>(std::vector<std::string>{
        vxtest::kPython, (dir / "http_server.py").string(), (dir / "server.pem").string(), (dir / "server.key").string()});
  }
  static void TearDownTestSuite() {
    server_.reset();
    folder_.reset();
  }

  void SetUp() override {
    VX_REQUIRE(server_ && server_->port() != 0, "the HTTPS test server (openssl, Python's ssl module)", "openssl, python3");
    session_ = InternetOpen("vexiro", INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
  }
  void TearDown() override {
    if (session_) InternetCloseHandle(session_);
  }

  // A GET with the flags the engine uses on port 443: secure, and asking to ignore a name mismatch.
  HINTERNET SendGet(const std::string& host, const std::string& object) {
    HINTERNET connection = InternetConnect(session_, host, server_->port(), "", "", INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequest(connection, "GET", object, "HTTP/1.0", "", nullptr,
                                        INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID, 0);
    return HttpSendRequest(request, "", nullptr, 0) ? request : 0;
  }

  std::string CaFile() const { return (folder_->path() / "ca.pem").string(); }

  static inline std::unique_ptr<vxtest::TempFolder> folder_;
  static inline std::unique_ptr<vxtest::ServerProcess> server_;
  HINTERNET session_ = 0;
};

TEST_F(InetHttps, TrustedServerAnswers) {
  ScopedCaFile ca(CaFile());
  HINTERNET request = SendGet("localhost", "/bytes?2000");
  ASSERT_NE(request, 0u) << "error " << GetLastError();
  DWORD length = 0, size = sizeof length;
  ASSERT_TRUE(HttpQueryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr));
  std::string body(length, '\0');
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(request, body.data(), length, &got));
  EXPECT_EQ(got, 2000u);
  EXPECT_EQ(body, vxtest::Pattern(2000));
}

TEST_F(InetHttps, HostNameMismatchFailsEvenWhenAskedToIgnoreIt) {
  ScopedCaFile ca(CaFile());
  EXPECT_EQ(SendGet("127.0.0.1", "/bytes?10"), 0u) << "the certificate names localhost only";
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_SEC_CERT_CN_INVALID);
}

TEST_F(InetHttps, UnknownAuthorityFails) {
  ScopedCaFile none("");
  EXPECT_EQ(SendGet("localhost", "/bytes?10"), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_CA);
}

}  // namespace
