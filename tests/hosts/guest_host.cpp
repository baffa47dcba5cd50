// A C++ host of the library that does what servers and tools do around it: it reaps or waits for
// its own children, exits while its threads load, uses libtiff itself, limits its own processes,
// descriptors and files. Run by tests/threads/guest_host_test.cpp as `guest_host CASE FILE...`;
// it exits 0 when the library behaved as a guest should, and says on standard error what it found
// wrong otherwise.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/child_processes.h"
#include "vexiro/imaging.h"

namespace {

bool Check(bool condition, const std::string& what) {
  if (!condition) std::fprintf(stderr, "guest host: %s\n", what.c_str());
  return condition;
}

// The status of a load of `path` on a fresh engine of this thread.
vexiro::VexiroStatus Load(const std::string& path) {
  vexiro::cImaging engine;
  const int32_t id = engine.CreateImageFromFile(path);
  const vexiro::VexiroStatus status = id != 0 ? vexiro::OK : engine.GetStat();
  if (id != 0) engine.CloseImage(id);
  return id != 0 ? vexiro::OK : (status == vexiro::OK ? vexiro::GenericError : status);
}

std::vector<int> Helpers() { return vxtest::HelpersServingThisProcess(); }

long ParentOf(int pid) {
  FILE* stat = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
  if (!stat) return -1;
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  const char* end = read ? std::strrchr(line, ')') : nullptr;
  char state = 0;
  long parent = -1;
  if (!end || std::sscanf(end + 1, " %c %ld", &state, &parent) != 2 || state == 'Z') return -1;
  return parent;
}

void ReapEveryChild(int) {
  const int saved = errno;
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  errno = saved;
}

// Children of the host's own that sleep until it lets them go.
class Sleepers {
 public:
  explicit Sleepers(int count) {
    if (pipe(wake_) != 0) return;
    for (int i = 0; i < count; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        close(wake_[1]);
        char byte;
        while (read(wake_[0], &byte, 1) < 0 && errno == EINTR) {
        }
        _exit(0);
      }
      if (pid > 0) pids_.push_back(pid);
    }
    close(wake_[0]);
  }
  ~Sleepers() { close(wake_[1]); }
  bool AllAlive() const {
    for (pid_t pid : pids_)
      if (ParentOf(pid) != getpid()) return false;
    return !pids_.empty();
  }

 private:
  int wake_[2] = {-1, -1};
  std::vector<pid_t> pids_;
};

// Reaps its children itself, SIGCHLD handled or ignored; its helpers are killed by an operator.
bool ReapingHost(const std::string& path, bool ignore) {
  signal(SIGCHLD, ignore ? SIG_IGN : ReapEveryChild);
  bool ok = Check(Load(path) == vexiro::OK, "the first load");
  const std::vector<int> helpers = Helpers();
  ok = Check(!helpers.empty(), "a helper waits") && ok;
  for (int helper : helpers) {
    ok = Check(ParentOf(helper) != getpid(), "a helper is no child of the host") && ok;
    kill(helper, SIGKILL);
  }
  for (int helper : helpers)
    while (ParentOf(helper) > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // Children of the host's own, started after the helpers died (one may be given a helper's old
  // number): the loads that follow start new helpers and must leave every one of them alive.
  const Sleepers sleepers(64);
  for (int i = 0; i < 3; ++i) ok = Check(Load(path) == vexiro::OK, "a load after the helpers died") && ok;
  return Check(sleepers.AllAlive(), "the host's own children survive the loads") && ok;
}

void LoadOnThreads(const std::string& path, int threads, int loads, std::atomic<int>& failures) {
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < loads; ++i) failures += Load(path) == vexiro::OK ? 0 : 1;
    });
  for (auto& worker : workers) worker.join();
}

// Waits for all its children once its workers are done.
bool WaitingHost(const std::string& path) {
  std::atomic<int> failures{0};
  LoadOnThreads(path, 4, 5, failures);
  while (wait(nullptr) > 0) {
  }
  const int error = errno;
  return Check(failures == 0, "the loads") && Check(error == ECHILD, "wait found no more children");
}

// Returns from main while its threads are still loading.
bool ExitingHost(const std::string& path) {
  for (int t = 0; t < 6; ++t)
    std::thread([path] {
      for (;;) Load(path);
    }).detach();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::exit(0);
}

std::atomic<int> g_tiffErrors{0}, g_tiffWarnings{0};
void CountError(const char*, const char*, va_list) { ++g_tiffErrors; }
void CountWarning(const char*, const char*, va_list) { ++g_tiffWarnings; }

// Uses libtiff itself, with handlers of its own, before and after the library loads TIFFs.
bool LibtiffHost(const std::string& oldJpeg, const std::string& withoutSamples) {
  TIFFSetErrorHandler(CountError);
  TIFFSetWarningHandler(CountWarning);
  bool ok = Check(Load(oldJpeg) == vexiro::OK, "the library loads the old-style JPEG TIFF");
  ok = Check(Load(withoutSamples) == vexiro::OK, "the library loads the TIFF without SamplesPerPixel") && ok;
  if (TIFF* tif = TIFFOpen(oldJpeg.c_str(), "r")) {
    uint16_t samples = 0;
    ok = Check(TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples) == 1 && samples == 3,
               "libtiff fills in three samples of the old-style JPEG") && ok;
    std::vector<uint32_t> pixels(64 * 48);
    ok = Check(TIFFReadRGBAImage(tif, 64, 48, pixels.data(), 0) == 1, "the host's libtiff reads its pixels") && ok;
    TIFFClose(tif);
  } else {
    ok = Check(false, "the host's libtiff opens the old-style JPEG TIFF");
  }
  if (TIFF* tif = TIFFOpen(withoutSamples.c_str(), "r")) {
    uint16_t samples = 0;
    ok = Check(TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples) == 0, "an absent tag stays absent") && ok;
    TIFFClose(tif);
  }
  const int errorsBefore = g_tiffErrors;
  TIFF* none = TIFFOpen("/nonexistent/none.tif", "r");
  if (none) TIFFClose(none);
  return Check(g_tiffErrors > errorsBefore, "the host's own error handler hears libtiff") && ok;
}

// Every descriptor number below the limit taken but `free` of them, the dead helper's aside.
void LeaveFreeDescriptors(int free) {
  std::vector<int> fillers;
  for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) fillers.push_back(fd);
  for (int i = 0; i < free && !fillers.empty(); ++i) {
    close(fillers.back());
    fillers.pop_back();
  }
}

// The status of a load that needs a new helper under one of the host's limits, lowered after a
// first load (so that the library's own start-up is behind it) and an operator's kill of the
// helper that load left: processes none, files of no byte, or one descriptor free besides the two
// the dead helper's socket and pidfd give back as the load finds it gone.
bool LimitedHost(const std::string& path, const std::string& limit, int expected) {
  std::map<std::string, int> resources{{"processes", RLIMIT_NPROC}, {"files", RLIMIT_FSIZE}, {"descriptors", RLIMIT_NOFILE}};
  const auto found = resources.find(limit);
  if (!Check(found != resources.end(), "a known limit")) return false;
  bool ok = Check(Load(path) == vexiro::OK, "the first load");
  for (int helper : Helpers()) {
    kill(helper, SIGKILL);
    while (ParentOf(helper) > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const rlim_t value = found->second == RLIMIT_NOFILE ? 64 : 0;
  const rlimit limited{value, value};
  if (!Check(setrlimit(found->second, &limited) == 0, "the limit set")) return false;
  if (found->second == RLIMIT_NOFILE) LeaveFreeDescriptors(1);
  const vexiro::VexiroStatus status = Load(path);
  return Check(status == expected, "status " + std::to_string(status) + " instead of " + std::to_string(expected)) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2) return 2;
  const std::string& kind = args[0];
  bool ok = false;
  if (kind == "reaping") ok = ReapingHost(args[1], false);
  else if (kind == "ignoring") ok = ReapingHost(args[1], true);
  else if (kind == "waiting") ok = WaitingHost(args[1]);
  else if (kind == "exiting") ok = ExitingHost(args[1]);
  else if (kind == "libtiff" && args.size() == 3) ok = LibtiffHost(args[1], args[2]);
  else if (kind == "status" && args.size() == 3) ok = Check(Load(args[1]) == std::atoi(args[2].c_str()), "the status");
  else if (kind == "limited" && args.size() == 4) ok = LimitedHost(args[1], args[2], std::atoi(args[3].c_str()));
  else return 2;
  return ok ? 0 : 1;
}
