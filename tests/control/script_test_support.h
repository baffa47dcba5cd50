// Running scripts in the control tests: on the stand-in engine in this process, or through the
// built `vexiro` host as a user runs it.
#pragma once
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "control/script_host.h"
#include "fake_engine.h"

namespace vx::control::testing {

struct Outcome {
  bool ok;
  std::string out;
  std::string error;
};

inline Outcome RunOnFake(FakeEngine& engine, const std::string& script, ScriptOptions options = {}) {
  Dispatch dispatch(engine);
  std::ostringstream out;
  ScriptHost host(dispatch, out, options);
  const bool ok = host.Run(script);
  return {ok, out.str(), host.Error()};
}

inline std::string ScratchPath(const std::string& name) {
  return std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/" + name;
}

struct HostRun {
  int status;
  std::string out;
  std::string err;
};

// `arguments` go through the shell as they are; `input` is the host's standard input.
inline HostRun RunHost(const std::string& arguments, const std::string& input = "", const std::string& workDir = "") {
  const std::string errFile = ScratchPath("vexiro_host_stderr.txt"), inFile = ScratchPath("vexiro_host_stdin.vxs");
  std::ofstream(inFile) << input;
  const std::string enter = workDir.empty() ? "" : "cd '" + workDir + "' && ";
  const std::string command = enter + std::string(VEXIRO_HOST_PATH) + " " + arguments + " <" + inFile + " 2>" + errFile;
  HostRun r{-1, "", ""};
  if (FILE* p = popen(command.c_str(), "r")) {
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::ifstream err(errFile);
  std::ostringstream text;
  text << err.rdbuf();
  r.err = text.str();
  std::remove(errFile.c_str());
  std::remove(inFile.c_str());
  return r;
}

}  // namespace vx::control::testing
