// Images from real servers on loopback: an HTTP server serving a folder (and a few broken
// answers), and an FTP server in passive and active mode. Also the session's own read rules.
#include <stdexcept>

#include "engine/loading_test_support.h"
#include "devices/network/inet_session.h"
#include "engine/load/from_servers.h"
#include "platform/inet/wininet.h"
#include "platform/inet_test_servers.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace test_support;

const char* kFolderServer = R"PY(
import os, ssl, sys, threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
watchdog = threading.Timer(120, lambda: os._exit(0))
watchdog.daemon = True
watchdog.start()
root = sys.argv[1]
class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'
    def log_message(self, *args): pass
    def do_GET(self):
        if self.path == '/short':
            self.send_response(200); self.send_header('Content-Length', '10000'); self.end_headers()
            self.wfile.write(b'\x89PNG' + bytes(5996)); self.wfile.flush(); self.close_connection = True; return
        if self.path == '/nolength':
            self.send_response(200); self.end_headers(); self.wfile.write(b'GIF89a'); return
        name = os.path.join(root, os.path.basename(self.path))
        body = open(name, 'rb').read() if os.path.isfile(name) else None
        self.send_response(200 if body is not None else 404)
        body = body if body is not None else b'not here'
        self.send_header('Content-Length', str(len(body))); self.end_headers(); self.wfile.write(body)
try:
    server = ThreadingHTTPServer(('127.0.0.1', int(sys.argv[2]) if len(sys.argv) > 2 else 0), Handler)
except OSError:
    print(0, flush=True)
    sys.exit(0)
if len(sys.argv) > 4:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[3], sys.argv[4])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)PY";

// What the loader says of bytes no decoder reads: the plug-in route's reason.
VexiroStatus NoImage() { return IsVximgplugAvailable() ? vexiro::UnknownImageFormat : vexiro::Aborted; }

class ServerLoads : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    if (IsSkipped()) return;
    image_ = fixtures_.Draw("-size 12x7 xc:red -type TrueColor", "pic.bmp");
    ASSERT_FALSE(image_.empty());
  }
  std::string image_;
};

TEST_F(ServerLoads, HttpDownloadsLoadAndBrokenAnswersGiveTheirStatus) {
  vxtest::WriteFile(fixtures_.File("server.py"), kFolderServer);
  vxtest::ServerProcess server({vxtest::kPython, fixtures_.File("server.py"), fixtures_.File("")});
  ASSERT_NE(server.port(), 0);
  const int32_t port = server.port();

  EXPECT_NE(engine_->CreateImageFromURL("HtTp://127.0.0.1", "\\pic.bmp", port), 0) << "prefix in any case removed";
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(engine_->GetWidth(), 12);

  struct Case {
    const char* path;
    int32_t port;
    VexiroStatus expected;
  } cases[] = {
      {"/nolength", port, vexiro::InternetHttpQueryError},
      {"/short", port, vexiro::InternetHttpTransferError},  // fewer bytes than announced
      {"/missing.bmp", port, NoImage()},                    // the 404 page is no image
      {"/pic.bmp", vxtest::UnusedPort(), vexiro::InternetHttpSendRequestError},
  };
  const std::vector<std::string> owned = TemporaryFiles();  // the current image's downloaded file
  for (const Case& c : cases) {
    const int32_t before = engine_->GetWidth();
    EXPECT_EQ(engine_->CreateImageFromURL("127.0.0.1", c.path, c.port), 0) << c.path;
    EXPECT_EQ(engine_->GetStat(), c.expected) << c.path;
    EXPECT_EQ(engine_->GetWidth(), before) << "the current image is unchanged";
    EXPECT_EQ(TemporaryFiles(), owned) << c.path;
  }
}

TEST_F(ServerLoads, NestedDownloadDuringTheReadLoopReturnsAtOnce) {
  vxtest::WriteFile(fixtures_.File("server.py"), kFolderServer);
  vxtest::ServerProcess server({vxtest::kPython, fixtures_.File("server.py"), fixtures_.File("")});
  ASSERT_NE(server.port(), 0);
  int pumped = 0;
  int32_t nested = -1;
  SetNetworkMessagePump([&] {
    if (pumped++ == 0) nested = engine_->CreateImageFromURL("127.0.0.1", "/pic.bmp", server.port());
  });
  EXPECT_NE(engine_->CreateImageFromURL("127.0.0.1", "/pic.bmp", server.port()), 0);
  SetNetworkMessagePump(nullptr);
  EXPECT_EQ(nested, 0);
  EXPECT_GE(pumped, 1);
  EXPECT_NE(engine_->CreateImageFromURL("127.0.0.1", "/pic.bmp", server.port()), 0) << "the busy flag was cleared";
}

TEST_F(ServerLoads, FtpDownloadsInPassiveAndActiveMode) {
  VX_REQUIRE(vxtest::HavePythonModule("pyftpdlib"), "the Python module pyftpdlib", "python3-pyftpdlib");
  vxtest::WriteFile(fixtures_.File("notes.txt"), "not an image");
  vxtest::ServerProcess server(vxtest::FtpServerCommand(fixtures_.File("")));
  ASSERT_NE(server.port(), 0);
  EXPECT_NE(engine_->CreateImageFromFTP("127.0.0.1", "//pic.bmp", "user", "pass", server.port()), 0);
  EXPECT_EQ(engine_->GetWidth(), 12);
  for (const bool passive : {true, false}) {
    vexiro::cInet inet;
    int32_t id = 0;
    EXPECT_EQ(LoadImageFromFTP(id, inet, "127.0.0.1", "pic.bmp", "user", "pass", server.port(), passive, {}),
              vexiro::OK)
        << passive;
    ReleaseImage(id);
  }
  struct Case {
    const char* path;
    const char* password;
    VexiroStatus expected;
  } cases[] = {
      {"pic.bmp", "wrong", vexiro::InternetConnectError},
      {"absent.bmp", "pass", vexiro::InternetFtpGetFileError},
      {"notes.txt", "pass", NoImage()},  // downloaded, but no image
  };
  const std::vector<std::string> owned = TemporaryFiles();
  for (const Case& c : cases) {
    EXPECT_EQ(engine_->CreateImageFromFTP("127.0.0.1", c.path, "user", c.password, server.port()), 0) << c.path;
    EXPECT_EQ(engine_->GetStat(), c.expected) << c.path;
    EXPECT_EQ(TemporaryFiles(), owned) << c.path;
  }
}

// A certificate authority of the test's own and a server certificate naming `subject` alone.
// Names stay numeric so that no name lookup is needed.
bool MakeCertificate(const FixtureFolder& folder, const std::string& subject, const std::string& name) {
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
  const std::string ca = folder.File("ca.pem"), caKey = folder.File("ca.key");
  vxtest::WriteFile(folder.File(name + ".ext"), "subjectAltName=" + subject + "\nbasicConstraints=CA:FALSE\n");
  std::vector<std::string> commands;
  if (!std::filesystem::exists(ca))
    commands.push_back("openssl req -x509" + ec + " -keyout '" + caKey + "' -out '" + ca +
                       "' -subj /CN=vexiro-loading-ca -addext basicConstraints=critical,CA:TRUE"
                       " -addext keyUsage=critical,keyCertSign");
  commands.push_back("openssl req" + ec + " -keyout '" + folder.File(name + ".key") + "' -out '" +
                     folder.File(name + ".csr") + "' -subj /CN=" + name);
  commands.push_back("openssl x509 -req -in '" + folder.File(name + ".csr") + "' -CA '" + ca + "' -CAkey '" + caKey +
                     "' -CAcreateserial -days 2 -out '" + folder.File(name + ".pem") + "' -extfile '" +
                     folder.File(name + ".ext") + "'");
  for (const std::string& command : commands)
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) return false;
  return true;
}

// Port 443 makes the request secure: the certificate must come from a trusted authority and
// name the host asked for.
TEST_F(ServerLoads, HttpsOnPort443ChecksTheCertificate) {
  VX_REQUIRE_TOOL("openssl");
  ASSERT_TRUE(MakeCertificate(fixtures_, "IP:127.0.0.1", "right"));
  ASSERT_TRUE(MakeCertificate(fixtures_, "IP:127.0.0.2", "wrong"));
  vxtest::WriteFile(fixtures_.File("server.py"), kFolderServer);
  const char* old = std::getenv("VEXIRO_CA_FILE");
  const std::string saved = old ? old : "";
  struct Case {
    const char* certificate;
    bool trusted;
    VexiroStatus expected;
  } cases[] = {
      {"right", true, vexiro::OK},
      {"wrong", true, vexiro::InternetHttpSendRequestError},   // the name does not match
      {"right", false, vexiro::InternetHttpSendRequestError},  // an authority nobody trusts
  };
  for (const Case& c : cases) {
    vxtest::ServerProcess server({vxtest::kPython, fixtures_.File("server.py"), fixtures_.File(""), "443",
                                  fixtures_.File(std::string(c.certificate) + ".pem"),
                                  fixtures_.File(std::string(c.certificate) + ".key")});
    if (server.port() != 443) GTEST_SKIP() << "port 443 is not free here";
    if (c.trusted) {
      setenv("VEXIRO_CA_FILE", fixtures_.File("ca.pem").c_str(), 1);
    } else {
      unsetenv("VEXIRO_CA_FILE");
    }
    const int32_t id = engine_->CreateImageFromURL("https://127.0.0.1", "/pic.bmp", 443);
    EXPECT_EQ(engine_->GetStat(), c.expected) << c.certificate << c.trusted;
    EXPECT_EQ(id != 0, c.expected == vexiro::OK);
  }
  if (saved.empty()) {
    unsetenv("VEXIRO_CA_FILE");
  } else {
    setenv("VEXIRO_CA_FILE", saved.c_str(), 1);
  }
}

// A host callback that throws out of the read loop leaves the engine ready for the next download.
TEST_F(ServerLoads, ThrowingHostCallbackClearsTheBusyFlag) {
  vxtest::WriteFile(fixtures_.File("server.py"), kFolderServer);
  vxtest::ServerProcess server({vxtest::kPython, fixtures_.File("server.py"), fixtures_.File("")});
  ASSERT_NE(server.port(), 0);
  SetNetworkMessagePump([] { throw std::runtime_error("host failure"); });
  EXPECT_THROW(engine_->CreateImageFromURL("127.0.0.1", "/pic.bmp", server.port()), std::runtime_error);
  SetNetworkMessagePump(nullptr);
  EXPECT_NE(engine_->CreateImageFromURL("127.0.0.1", "/pic.bmp", server.port()), 0);
}

TEST(InetSession, ReadsInChunksOfTheBufferSizeAndRefusesAShortBody) {
  vxtest::TempFolder folder;
  vxtest::WriteFile(folder.path() / "server.py", vxtest::kHttpServerScript);
  vxtest::ServerProcess server({vxtest::kPython, (folder.path() / "server.py").string()});
  ASSERT_NE(server.port(), 0);
  struct Case {
    const char* path;
    int32_t bufferSize;
    int32_t expectedPumps;
    bool whole;
    size_t received;
  } cases[] = {
      {"/bytes?10000", 4096, 3, true, 10000},  // 4096, 4096, 1808
      {"/bytes?10000", 0, 3, true, 10000},     // 0 or below reads 4096 at a time
      {"/bytes?10000", -5, 3, true, 10000},
      {"/short", 4096, 3, false, 6000},  // 6000 of 10000 bytes
  };
  for (const Case& c : cases) {
    vexiro::cInet inet;
    inet.BufferSize = c.bufferSize;
    ASSERT_NE(inet.Request("GET", "127.0.0.1", c.path, server.port(), 3), 0);
    ASSERT_TRUE(inet.SendRequest("", ""));
    std::string text;
    int32_t length = 0;
    ASSERT_TRUE(inet.QueryInfo(0x20000005, text, length));
    EXPECT_EQ(length, 10000);
    int pumps = 0;
    SetNetworkMessagePump([&] { ++pumps; });
    std::vector<uint8_t> body;
    EXPECT_EQ(inet.ReadArray(body, length), c.whole) << c.path;
    SetNetworkMessagePump(nullptr);
    EXPECT_EQ(body.size(), c.received);
    if (c.whole) EXPECT_EQ(std::string(body.begin(), body.end()), vxtest::Pattern(10000));
    if (c.whole) EXPECT_EQ(pumps, c.expectedPumps) << c.bufferSize;
    EXPECT_EQ(c.bufferSize, inet.BufferSize) << "the setting keeps what it was given";
  }
}

// A server's announced length is a claim: one beyond the stream limit is refused before any
// read, and a body cut short leaves a buffer of what arrived, not of what was announced.
TEST(InetSession, BuffersOnlyWhatArrivesOfAnAnnouncedLength) {
  vxtest::TempFolder folder;
  vxtest::WriteFile(folder.path() / "server.py", vxtest::kHttpServerScript);
  vxtest::ServerProcess server({vxtest::kPython, (folder.path() / "server.py").string()});
  ASSERT_NE(server.port(), 0);
  constexpr size_t kMuchLessThanAnnounced = 1 << 20;
  const struct {
    const char* announced;
    size_t received;  // none when the length is refused unread
  } cases[] = {{"2147483000", 0}, {"536870912", 10}};
  for (const auto& [announced, received] : cases) {
    SCOPED_TRACE(announced);
    vexiro::cInet inet;
    ASSERT_NE(inet.Request("GET", "127.0.0.1", std::string("/announced?") + announced, server.port(), 3), 0);
    ASSERT_TRUE(inet.SendRequest("", ""));
    std::string text;
    int32_t length = 0;
    ASSERT_TRUE(inet.QueryInfo(0x20000005, text, length));
    EXPECT_EQ(std::to_string(length), announced);
    std::vector<uint8_t> body;
    EXPECT_FALSE(inet.ReadArray(body, length));
    EXPECT_EQ(body.size(), received);
    EXPECT_LT(body.capacity(), kMuchLessThanAnnounced);
  }
}

// A server sending two bytes a second passes the stall check for ever; the transfer's deadline
// (shortened here through the session's option) ends it.
TEST(InetSession, ATricklingBodyEndsAtTheTransferDeadline) {
  vxtest::TempFolder folder;
  vxtest::WriteFile(folder.path() / "server.py", vxtest::kHttpServerScript);
  vxtest::ServerProcess server({vxtest::kPython, (folder.path() / "server.py").string()});
  ASSERT_NE(server.port(), 0);
  vexiro::cInet inet;
  const vx::DWORD deadlineMs = 500;
  ASSERT_TRUE(vx::InternetSetOption(static_cast<vx::HINTERNET>(inet.hInternet()), vx::INTERNET_OPTION_RECEIVE_TIMEOUT,
                                    &deadlineMs, sizeof deadlineMs));
  ASSERT_NE(inet.Request("GET", "127.0.0.1", "/trickle", server.port(), 3), 0);
  ASSERT_TRUE(inet.SendRequest("", ""));
  std::vector<uint8_t> body;
  EXPECT_FALSE(inet.ReadArray(body, 1000));
  EXPECT_LT(body.size(), 1000u);
  EXPECT_EQ(inet.LastError(), vx::ERROR_INTERNET_TIMEOUT);
}

TEST(InetSession, TheDeadlineOptionIsRefusedWhereItCannotApply) {
  const vx::DWORD deadlineMs = 1000;
  EXPECT_FALSE(vx::InternetSetOption(0, vx::INTERNET_OPTION_RECEIVE_TIMEOUT, &deadlineMs, sizeof deadlineMs));
  vexiro::cInet inet;
  const auto session = static_cast<vx::HINTERNET>(inet.hInternet());
  EXPECT_FALSE(vx::InternetSetOption(session, 99, &deadlineMs, sizeof deadlineMs));
  EXPECT_FALSE(vx::InternetSetOption(session, vx::INTERNET_OPTION_RECEIVE_TIMEOUT, &deadlineMs, 2));
  EXPECT_TRUE(vx::InternetSetOption(session, vx::INTERNET_OPTION_RECEIVE_TIMEOUT, &deadlineMs, sizeof deadlineMs));
}

}  // namespace
}  // namespace vx::engine
