// The processes a test's process started that are still alive, read from /proc: a decoding
// helper kept waiting for work lives on between calls, so a test that asks whether a call had a
// child do work cannot only count the children that ended. The format plug-in's helpers are no
// children of their host's; they are known by their program and the host's number they carry.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

// A file of /proc, read with plain system calls: a test may run with few descriptors, where the
// sanitizers' checks of a stream's dynamic type (which need descriptors of their own) report
// false faults.
inline std::string ProcFile(const std::string& path) {
  std::string text;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(fd);
  return text;
}

// A decoding helper serving this process: vximgplug-helper with this process's number last.
inline bool ServesThisProcess(const std::string& process) {
  const std::string cmdline = ProcFile(process + "/cmdline");
  std::vector<std::string> arguments;
  for (size_t start = 0; start < cmdline.size();) {
    const size_t end = cmdline.find('\0', start);
    arguments.push_back(cmdline.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? cmdline.size() : end + 1;
  }
  const std::string program = arguments.empty() ? "" : arguments[0].substr(arguments[0].rfind('/') + 1);
  return arguments.size() == 3 && program == "vximgplug-helper" && arguments[2] == std::to_string(getpid());
}

// The decoding helpers serving this process, whoever their parent is (a subreaper adopts them).
inline std::vector<int> HelpersServingThisProcess() {
  std::vector<int> helpers;
  DIR* processes = opendir("/proc");
  if (!processes) return helpers;
  while (const dirent* found = readdir(processes))
    if (std::isdigit(static_cast<unsigned char>(found->d_name[0])) &&
        ServesThisProcess(std::string("/proc/") + found->d_name))
      helpers.push_back(std::atoi(found->d_name));
  closedir(processes);
  return helpers;
}

// Live children and helpers by pid, each with the times it was taken off the processor so far: one
// blocked waiting for work is not scheduled, so the count moves only when it does something.
inline std::map<int, long> LiveChildren() {
  std::map<int, long> children;
  DIR* processes = opendir("/proc");
  if (!processes) return children;
  std::vector<std::string> names;
  while (const dirent* found = readdir(processes))
    if (std::isdigit(static_cast<unsigned char>(found->d_name[0]))) names.push_back(found->d_name);
  closedir(processes);
  for (const std::string& name : names) {
    const std::string entry = "/proc/" + name;
    const std::string line = ProcFile(entry + "/stat");
    const size_t close = line.rfind(')');
    char state = 0;
    long parent = 0;
    if (close == std::string::npos || std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &parent) != 2) continue;
    // A helper's program still running as the host's child is starting a helper, not serving.
    if ((parent == getpid()) == ServesThisProcess(entry)) continue;
    const std::string status = ProcFile(entry + "/status");
    long switches = 0;
    for (size_t at = status.find("ctxt_switches:"); at != std::string::npos; at = status.find("ctxt_switches:", at + 1))
      switches += std::strtol(status.c_str() + at + 14, nullptr, 10);
    children[std::stoi(name)] = switches;
  }
  return children;
}

// Waits for the child `pid` to end within `limit`, its wait status in `status`; one that has not
// ended by then (a hang) is killed and waited for, and false comes back.
inline bool AwaitChild(pid_t pid, std::chrono::steady_clock::duration limit, int& status) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// How many of the children in `after` are new or were scheduled since `before`.
inline int ChildrenThatWorked(const std::map<int, long>& before, const std::map<int, long>& after) {
  int worked = 0;
  for (const auto& [pid, switches] : after) {
    const auto was = before.find(pid);
    worked += was == before.end() || was->second != switches;
  }
  return worked;
}

}  // namespace vxtest
