// The processes a test's process started that are still alive, read from /proc: a decoding
// helper kept waiting for work lives on between calls, so a test that asks whether a call had a
// child do work cannot only count the children that ended.
#pragma once
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace vxtest {

// Live children by pid, each with the times it was taken off the processor so far: one blocked
// waiting for work is not scheduled, so the count moves only when it does something.
inline std::map<int, long> LiveChildren() {
  std::map<int, long> children;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    std::string state;
    long parent = 0;
    if (!(fields >> state >> parent) || parent != getpid()) continue;
    std::ifstream status(entry.path() / "status");
    long switches = 0;
    for (std::string row; std::getline(status, row);) {
      if (row.find("ctxt_switches:") == std::string::npos) continue;
      switches += std::stol(row.substr(row.find(':') + 1));
    }
    children[std::stoi(name)] = switches;
  }
  return children;
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
