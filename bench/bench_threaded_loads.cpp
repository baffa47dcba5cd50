// The threads row: small JPEG loads through the format plug-in's decoding helpers on one thread
// and on sixteen, each thread with its engine, as a server loads. Prints the loads per second of
// each and their ratio (16 threads should reach at least 4 times one thread on 8 cores), in
// interleaved rounds. The input is made by ImageMagick.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "vexiro/imaging.h"

namespace {

constexpr auto kRoundTime = std::chrono::seconds(2);
constexpr int kRounds = 3;

// Loads per second on `threads` threads over one round.
double LoadsPerSecond(const std::string& path, int threads) {
  std::atomic<long> loads{0};
  std::atomic<bool> failed{false};
  const auto until = std::chrono::steady_clock::now() + kRoundTime;
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
  const auto start = std::chrono::steady_clock::now();
  for (auto& worker : workers) worker.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (failed) std::fprintf(stderr, "threads row: a load failed\n");
  return static_cast<double>(loads) / seconds;
}

}  // namespace

int main() {
  char folder[] = "/tmp/vexiro-threads-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string path = std::string(folder) + "/small.jpg";
  if (std::system(("convert -size 320x240 plasma:fractal -quality 85 '" + path + "' 2>/dev/null").c_str()) != 0) {
    std::fprintf(stderr, "threads row: ImageMagick's convert is needed\n");
    return 1;
  }
  LoadsPerSecond(path, 16);  // helpers started for every thread, as a server's first requests do
  double one = 0, sixteen = 0;
  for (int round = 0; round < kRounds; ++round) {
    one = std::max(one, LoadsPerSecond(path, 1));
    sixteen = std::max(sixteen, LoadsPerSecond(path, 16));
  }
  std::printf("threads row: 320 x 240 JPEG loads, 1 thread %.0f/s, 16 threads %.0f/s, ratio %.2f (%u cores)\n", one,
              sixteen, sixteen / one, std::thread::hardware_concurrency());
  std::remove(path.c_str());
  rmdir(folder);
  return 0;
}
