// The threads row: small JPEG loads through the format plug-in's decoding helpers on one thread
// and on sixteen, each thread with its engine, as a server loads, in interleaved rounds. Prints for
// each the loads per second, the CPU a load costs over the whole process tree (the host and its
// helpers) and the tree's peak memory, and the median ratio of the rounds' loads per second (16
// threads should reach at least 4 times one thread on 8 cores), with the load average before and
// after, which says how quiet the machine was. Its peer, interleaved with it, decodes the same file
// with libjpeg alone on as many threads (threads_peer): its ratio is what this machine, as busy as
// it is, gives sixteen threads over one with no library code between. The input is made by
// ImageMagick.
//
// The bench makes itself a child subreaper, so that the helpers, which are no children of the
// host, end up as its children: their CPU is counted while they live (from /proc) and once reaped
// (between rounds, when no load is in flight).
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vexiro/imaging.h"

namespace {

constexpr auto kRoundTime = std::chrono::seconds(2);
constexpr int kRounds = 5;
constexpr auto kMemorySampling = std::chrono::milliseconds(50);

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; }

std::vector<int> Children() {
  std::vector<int> found;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream children(task.path() / "children");
    for (int pid; children >> pid;) found.push_back(pid);
  }
  return found;
}

// User and system time of a process still alive (or not yet reaped), from /proc.
double ProcessCpuSeconds(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const size_t end = line.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(line.substr(end + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i)
    if (i >= 14) ticks += std::stod(field);  // utime and stime
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double TreeCpuSeconds() {
  rusage self{}, reaped{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &reaped);
  double total = Seconds(self.ru_utime) + Seconds(self.ru_stime) + Seconds(reaped.ru_utime) + Seconds(reaped.ru_stime);
  for (int pid : Children()) total += ProcessCpuSeconds(pid);
  return total;
}

// Proportional set size: the window a helper shares with the host counts once.
double PssBytes(const std::string& pid) {
  std::ifstream rollup("/proc/" + pid + "/smaps_rollup");
  for (std::string line; std::getline(rollup, line);)
    if (line.rfind("Pss:", 0) == 0) return std::stod(line.substr(4)) * 1024;
  return 0;
}

double TreeMemoryBytes() {
  double total = PssBytes("self");
  for (int pid : Children()) total += PssBytes(std::to_string(pid));
  return total;
}

void ReapEndedHelpers() {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

struct RoundFigures {
  double loadsPerSecond = 0, cpuMsPerLoad = 0, peakMiB = 0;
};

// Loads on `threads` threads over one round, with the tree's memory sampled meanwhile.
RoundFigures LoadRound(const std::string& path, int threads) {
  ReapEndedHelpers();
  std::atomic<long> loads{0};
  std::atomic<bool> failed{false}, done{false};
  double peak = 0;
  std::thread sampler([&] {
    while (!done) {
      peak = std::max(peak, TreeMemoryBytes());
      std::this_thread::sleep_for(kMemorySampling);
    }
  });
  const double cpuBefore = TreeCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const auto until = start + kRoundTime;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      vexiro::cImaging engine;
      while (std::chrono::steady_clock::now() < until) {
        const int32_t id = engine.CreateImageFromFile(path);
        if (id == 0) failed = true;
        else engine.CloseImage(id);
        ++loads;
      }
    });
  for (auto& worker : workers) worker.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = TreeCpuSeconds() - cpuBefore;
  done = true;
  sampler.join();
  if (failed) std::fprintf(stderr, "threads row: a load failed\n");
  const double count = static_cast<double>(std::max(loads.load(), 1L));
  return {count / seconds, cpu * 1000 / count, peak / (1 << 20)};
}

// The peer is built beside this bench.
std::string PeerProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return (error ? std::filesystem::path("threads_peer") : self.parent_path() / "threads_peer").string();
}

// The peer on `threads` threads over one round; its CPU is counted once it has been waited for.
RoundFigures PeerRound(const std::string& path, int threads) {
  const double cpuBefore = TreeCpuSeconds();
  static const std::string peerProgram = PeerProgram();
  const std::string command = "'" + peerProgram + "' '" + path + "' " + std::to_string(threads) + " " +
                              std::to_string(kRoundTime.count());
  FILE* peer = popen(command.c_str(), "r");
  double perSecond = 0;
  if (!peer || std::fscanf(peer, "%lf", &perSecond) != 1) std::fprintf(stderr, "threads row: the peer failed\n");
  if (peer) pclose(peer);
  const double cpu = TreeCpuSeconds() - cpuBefore;
  const double count = std::max(perSecond * static_cast<double>(kRoundTime.count()), 1.0);
  return {perSecond, cpu * 1000 / count, 0};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Samples {
  std::vector<double> loadsPerSecond, cpuMsPerLoad, peakMiB;
  void Add(const RoundFigures& figures) {
    loadsPerSecond.push_back(figures.loadsPerSecond);
    cpuMsPerLoad.push_back(figures.cpuMsPerLoad);
    peakMiB.push_back(figures.peakMiB);
  }
  std::string Text(const char* who, int threads) const {
    char text[160];
    const int written = std::snprintf(text, sizeof text, "%-6s %2d thread%s %6.0f loads/s, CPU %.2f ms a load", who,
                                      threads, threads == 1 ? " " : "s", Median(loadsPerSecond), Median(cpuMsPerLoad));
    if (Median(peakMiB) > 0 && written > 0)
      std::snprintf(text + written, sizeof text - written, ", peak %.0f MiB", Median(peakMiB));
    return text;
  }
};

std::string LoadAverage() {
  double load[3] = {0, 0, 0};
  getloadavg(load, 3);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
  return text;
}

// The input's folder goes with the run, however it ends.
struct ScratchFolder {
  std::string path;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

int main() {
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) std::fprintf(stderr, "threads row: helpers' CPU is not counted\n");
  char folder[] = "/tmp/vexiro-threads-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const ScratchFolder scratch{folder};
  const std::string path = std::string(folder) + "/small.jpg";
  if (std::system(("convert -size 320x240 plasma:fractal -quality 85 '" + path + "' 2>/dev/null").c_str()) != 0) {
    std::fprintf(stderr, "threads row: ImageMagick's convert is needed\n");
    return 1;
  }
  const std::string loadBefore = LoadAverage();
  LoadRound(path, 16);  // helpers started for every thread, as a server's first requests do
  Samples one, sixteen, peerOne, peerSixteen;
  std::vector<double> ratios, peerRatios;
  for (int round = 0; round < kRounds; ++round) {
    const RoundFigures single = LoadRound(path, 1), peerSingle = PeerRound(path, 1);
    const RoundFigures many = LoadRound(path, 16), peerMany = PeerRound(path, 16);
    one.Add(single);
    sixteen.Add(many);
    peerOne.Add(peerSingle);
    peerSixteen.Add(peerMany);
    ratios.push_back(many.loadsPerSecond / single.loadsPerSecond);
    peerRatios.push_back(peerMany.loadsPerSecond / std::max(peerSingle.loadsPerSecond, 1e-3));
  }
  std::printf("threads row: 320 x 240 JPEG loads on %u cores, median of %d interleaved rounds of %lld s\n",
              std::thread::hardware_concurrency(), kRounds, static_cast<long long>(kRoundTime.count()));
  std::printf("  %s\n  %s\n  %s\n  %s\n", one.Text("vexiro", 1).c_str(), sixteen.Text("vexiro", 16).c_str(),
              peerOne.Text("peer", 1).c_str(), peerSixteen.Text("peer", 16).c_str());
  const double ratio = Median(ratios);
  std::printf("  ratio 16 / 1 threads: vexiro %.2f (aim >= 4: %s), peer %.2f; load average before %s, after %s\n", ratio,
              ratio >= 4 ? "holds" : "misses", Median(peerRatios), loadBefore.c_str(), LoadAverage().c_str());
  return 0;
}
