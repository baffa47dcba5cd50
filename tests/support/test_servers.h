// Servers and folders the tests start for themselves: a child process announcing its port on its
// first output line, a private folder under TMPDIR, and small file helpers. The sandboxes in
// scripts/sandbox (a private CUPS scheduler, a pyftpdlib FTP server) run through them.
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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

constexpr const char* kPython = "/usr/bin/python3";

// Bytes of a known pattern (the HTTP test server's body for /bytes?n).
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

// Output of a shell command, "" when it could not run.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
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

// The project's FTP server (scripts/sandbox/ftp-server.py) serving `root`; with a log path, every
// command it receives is written there.
inline std::vector<std::string> FtpServerCommand(const fs::path& root, const fs::path& log = {}) {
  std::vector<std::string> argv{kPython, std::string(VEXIRO_SOURCE_DIR) + "/scripts/sandbox/ftp-server.py", root.string()};
  if (!log.empty()) argv.push_back(log.string());
  return argv;
}

}  // namespace vxtest
