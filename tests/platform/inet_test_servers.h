// Real servers for the internet tests, started on 127.0.0.1 by the tests themselves: a small
// Python HTTP(S) server and a pyftpdlib FTP server. Each server picks a free port, announces it on
// its standard output, and ends itself after two minutes even if the test dies; the test kills it
// when done. Scripts and files live in a private folder that is removed afterwards.
#pragma once
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

constexpr const char* kPython = "/usr/bin/python3";

inline const char* kHttpServerScript = R"PY(
import os, ssl, sys, threading, time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

watchdog = threading.Timer(120, lambda: os._exit(0))
watchdog.daemon = True
watchdog.start()

def pattern(n):
    return bytes((i * 7 + 3) & 0xFF for i in range(n))

class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def reply(self, code, body, length=True, extra=()):
        self.send_response(code)
        self.send_header('Content-Type', 'application/octet-stream')
        if length:
            self.send_header('Content-Length', str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != 'HEAD':
            self.wfile.write(body)

    # Announces one length and sends fewer bytes before closing.
    def cut_short(self, announced, sent):
        self.send_response(200)
        self.send_header('Content-Length', announced)
        self.end_headers()
        self.wfile.write(pattern(sent))
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        path, _, query = self.path.partition('?')
        if path == '/bytes':
            self.reply(200, pattern(int(query or '0')))
        elif path == '/nolength':
            self.reply(200, pattern(3000), length=False)
        elif path == '/short':
            self.cut_short('10000', 6000)
        elif path == '/announced':
            self.cut_short(query, 10)
        elif path == '/trickle':
            self.send_response(200)
            self.send_header('Content-Length', '1000')
            self.end_headers()
            try:
                for i in range(500):
                    self.wfile.write(pattern(2))
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            self.close_connection = True
        elif path == '/redirect':
            self.reply(302, b'', extra=[('Location', '/bytes?5')])
        elif path == '/flood':
            self.send_response(200)
            for i in range(10000):
                self.send_header('X-Flood-%05d' % i, 'x' * 32)
            self.end_headers()
        elif path.startswith('/echo'):
            self.reply(200, self.path.encode())
        elif path == '/headers':
            text = 'agent=%s;x-test=%s;version=%s' % (self.headers.get('User-Agent'), self.headers.get('X-Test'),
                                                       self.request_version)
            self.reply(200, text.encode())
        else:
            self.reply(404, b'not here')

    do_HEAD = do_GET

    def do_PUT(self):
        body = self.rfile.read(int(self.headers.get('Content-Length') or '0'))
        self.reply(200, self.command.encode() + b':' + body)

    do_POST = do_PUT

server = ThreadingHTTPServer(('127.0.0.1', 0), Handler)
if len(sys.argv) > 2:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)PY";

inline const char* kFtpServerScript = R"PY(
import logging, os, sys, threading
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

logging.disable(logging.CRITICAL)
watchdog = threading.Timer(120, lambda: os._exit(0))
watchdog.daemon = True
watchdog.start()

authorizer = DummyAuthorizer()
authorizer.add_user('user', 'pass', sys.argv[1], perm='elradfmwMT')
FTPHandler.authorizer = authorizer
FTPHandler.auth_failed_timeout = 0
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
)PY";

// The body the HTTP server sends for /bytes?n.
inline std::string Pattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A private folder under TMPDIR, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxinet.XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// A child process whose first output line is its port; killed and reaped when the object goes.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char*> args;
      for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
    close(out[1]);
    port_ = ReadPort(out[0]);
    close(out[0]);
  }
  ~ServerProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 50; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  uint16_t port() const { return port_; }

 private:
  // Waits at most ten seconds for the announced port.
  static uint16_t ReadPort(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      if (read(fd, &c, 1) != 1) break;
      if (c == '\n') return static_cast<uint16_t>(std::atoi(line.c_str()));
      line += c;
    }
    return 0;
  }

  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

inline bool HavePythonModule(const char* module) {
  const std::string command = std::string(kPython) + " -c 'import " + module + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// A loopback port nobody listens on (free a moment ago).
inline uint16_t UnusedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

}  // namespace vxtest
