// A private CUPS scheduler for a test (scripts/sandbox/cups-sandbox.sh): its queues write every job
// byte for byte to a file, the library finds it through CUPS_SERVER, and ipptool reads back the
// attributes each job carried. Needs root, as cupsd does here. A scheduler that could have run but
// did not start, or whose jobs do not finish, is a failure with its reason, never a long wait:
// once one wait has run out, every later test of the suite fails at once.
#pragma once
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/test_servers.h"

namespace vxtest {

class CupsSandbox {
 public:
  // Queues named "NAME" take PDF, "NAME:ps" only PostScript; the first is the default.
  explicit CupsSandbox(const std::vector<std::string>& queues) {
    if (getuid() != 0 || !fs::exists("/usr/sbin/cupsd")) return;
    const fs::path errors = folder_.path() / "start.err";
    std::string command = "sh '" + Script() + "' start '" + folder_.path().string() + "'";
    for (const std::string& queue : queues) command += " '" + queue + "'";
    socket_ = CommandOutput(command + " 2>'" + errors.string() + "'");
    while (!socket_.empty() && socket_.back() == '\n') socket_.pop_back();
    if (!socket_.empty()) setenv("CUPS_SERVER", socket_.c_str(), 1);
    else failure_ = "the private cupsd did not start: " + ReadFile(errors);
  }
  ~CupsSandbox() {
    std::system(("sh '" + Script() + "' stop '" + folder_.path().string() + "' 2>/dev/null").c_str());
    unsetenv("CUPS_SERVER");
  }
  CupsSandbox(const CupsSandbox&) = delete;
  CupsSandbox& operator=(const CupsSandbox&) = delete;

  bool Running() const { return !socket_.empty() && failure_.empty(); }
  // Why a scheduler that could run here cannot be used; "" when it can, or when it cannot run here
  // at all (not root, no cupsd), which is a reason to skip instead.
  const std::string& Failure() const { return failure_; }
  const std::string& Socket() const { return socket_; }
  fs::path Output(const std::string& queue) const { return folder_.path() / "out" / (queue + ".pdf"); }
  fs::path Scratch() const { return folder_.path() / "tmp"; }

  // Waits (up to ten seconds) until the scheduler has finished every job. When the time runs out,
  // the scheduler is failed with what its log says, so the suite does not wait again per test.
  bool WaitUntilIdle() {
    if (!failure_.empty()) return false;
    for (int i = 0; i < 200; ++i) {
      if (CommandOutput("CUPS_SERVER='" + socket_ + "' lpstat -o 2>/dev/null").empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failure_ = "the private cupsd did not finish its jobs; the end of its log:\n" +
               CommandOutput("tail -5 \"$(cat '" + (folder_.path() / "run").string() + "')/log/error_log\"");
    ADD_FAILURE() << failure_;
    return false;
  }

  // The attributes job `job` carried, one "name (type) = value" a line, through ipptool.
  std::string JobAttributes(int job) const {
    const fs::path test = folder_.path() / "job.test";
    WriteFile(test,
              "{\n OPERATION Get-Job-Attributes\n GROUP operation-attributes-tag\n"
              " ATTR charset attributes-charset utf-8\n ATTR naturalLanguage attributes-natural-language en\n"
              " ATTR uri job-uri $uri\n ATTR keyword requested-attributes all\n}\n");
    return CommandOutput("ipptool -tv '" + IppUri("/jobs/" + std::to_string(job)) + "' '" + test.string() + "'");
  }
  // The number of jobs the scheduler has seen, finished or not.
  int JobCount() const {
    const std::string out = CommandOutput("CUPS_SERVER='" + socket_ + "' lpstat -W all -o 2>/dev/null");
    int lines = 0;
    for (char c : out) lines += c == '\n';
    return lines;
  }

 private:
  static std::string Script() { return std::string(VEXIRO_SOURCE_DIR) + "/scripts/sandbox/cups-sandbox.sh"; }
  std::string IppUri(const std::string& path) const {
    std::string escaped;
    for (char c : socket_) escaped += c == '/' ? std::string("%2F") : std::string(1, c);
    return "ipp://" + escaped + path;
  }

  TempFolder folder_;
  std::string socket_;
  std::string failure_;
};

}  // namespace vxtest
