// Engines on many threads, as a host that scales the library runs them: each worker thread has
// its own engines and its own images, and one thread ending its engines must not disturb the
// others. Every thread's output is held against a run of the same work on a thread alone.
#include <gtest/gtest.h>

#include <array>
#include <barrier>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/font_cache_release.h"
#include "support/required_tool.h"
#include "support/test_servers.h"
#include "vexiro/imaging.h"

namespace vxtest {
namespace {

constexpr int kThreads = 8;
// The thread that constructs its engines first runs the fewest rounds and the others more, each a
// few rounds beyond the one before: whichever thread the platform was first started by ends its
// last engine while every other thread still has work to do.
constexpr int kFirstRounds = 3;
constexpr int kRoundsPerPlace = 2;

// What one round wrote: the JPEG and the PNG file, byte for byte.
struct Output {
  std::string jpeg, png;
  bool operator==(const Output&) const = default;
};

// The failures of one thread, kept short: the first few in full, the rest counted.
class Failures {
 public:
  void Add(const std::string& what) {
    const std::lock_guard lock(mutex_);
    if (++count_ <= 5) first_ += what + "\n";
  }
  int Count() const { return count_; }
  std::string Report() const { return std::to_string(count_) + " failed calls, first:\n" + first_; }

 private:
  std::mutex mutex_;
  int count_ = 0;
  std::string first_;
};

// GCC 12's AddressSanitizer allocator is not safe across fork(): a child forked while another
// thread holds one of its locks waits for ever. The format plug-in decodes JPEG files in a forked
// child, so under that sanitizer the loads take the platform's route; under ThreadSanitizer
// (`make tsan`), whose runtime is safe across fork(), they run through the plug-in.
constexpr bool kForkedDecodesCanHang =
#if defined(__SANITIZE_ADDRESS__)
    true;
#else
    false;
#endif

std::string Code(int thread) { return "VX-THREAD-" + std::to_string(thread); }

class Worker {
 public:
  Worker(const fs::path& input, const fs::path& folder, int thread, Failures& failures)
      : input_(input), folder_(folder), thread_(thread), failures_(failures) {}

  // Load, resize, sharpen, draw text and a Code 128, read the code back, save JPEG and PNG.
  Output Round(vexiro::cImaging& e, int round) {
    const std::string where = "thread " + std::to_string(thread_) + " round " + std::to_string(round) + ": ";
    e.DisableVximgplugCodecs(kForkedDecodesCanHang);
    const int32_t id = e.CreateImageFromFile(input_.string());
    Check(id != 0 && e.GetStat() == vexiro::OK, where + "CreateImageFromFile", e);
    Check(e.ResizeImage(220, 110) == vexiro::OK, where + "ResizeImage", e);
    Check(e.FxSharpen() == vexiro::OK, where + "FxSharpen", e);
    Check(e.DrawText("Thread " + std::to_string(thread_), 6, 2, 9) == vexiro::OK, where + "DrawText", e);
    Check(e.BarCodeDraw128(Code(thread_), 24, 30, 40) == vexiro::OK, where + "BarCodeDraw128", e);
    Check(e.Barcode1DReaderDoScan(vexiro::BestSpeed) == vexiro::OK, where + "Barcode1DReaderDoScan", e);
    Check(e.Barcode1DReaderGetBarcodeCount() == 1 && e.Barcode1DReaderGetBarcodeValue(1) == Code(thread_),
          where + "the Code 128 read back", e);
    const fs::path jpeg = folder_ / ("t" + std::to_string(thread_) + ".jpg");
    const fs::path png = folder_ / ("t" + std::to_string(thread_) + ".png");
    Check(e.SaveAsJPEG(jpeg.string(), 85) == vexiro::OK, where + "SaveAsJPEG", e);
    Check(e.SaveAsPNG(png.string()) == vexiro::OK, where + "SaveAsPNG", e);
    Check(e.CloseImage(id) == vexiro::OK, where + "CloseImage", e);
    Output out{ReadFile(jpeg), ReadFile(png)};
    std::error_code ec;
    fs::remove(jpeg, ec);
    fs::remove(png, ec);
    return out;
  }

 private:
  void Check(bool ok, const std::string& what, vexiro::cImaging& e) {
    if (!ok) failures_.Add(what + " (status " + std::to_string(e.GetStat()) + ")");
  }

  fs::path input_, folder_;
  int thread_;
  Failures& failures_;
};

class EnginesOnThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("convert");
    VX_REQUIRE_TOOL("zbarimg");
    input_ = folder_.path() / "input.jpg";
    // A photograph-like input: smooth gradients with some structure for the sharpening to work on.
    ASSERT_EQ(std::system(("convert -size 160x90 gradient:'#d8e0f0'-'#f8f0d0' -fill '#c0c8d8' -draw 'circle 120,45 "
                           "140,60' -quality 90 '" + input_.string() + "'")
                              .c_str()),
              0);
  }

  // The work of `thread` done on a thread of its own with one engine: what every round of that
  // thread must write when many threads run at once.
  Output AloneOnAThread(int thread, Failures& failures) {
    Output out;
    std::thread([&] {
      vexiro::cImaging engine;
      out = Worker(input_, folder_.path(), thread, failures).Round(engine, 0);
    }).join();
    return out;
  }

  TempFolder folder_;
  fs::path input_;
};

// The threads run first, so that they also meet the library's first uses in the process (the
// platform's start, the font configuration's first load) at the same moment; then each thread's
// work runs alone for the bytes every round of that thread must have written.
TEST_F(EnginesOnThreads, EveryCallSucceedsAndEachThreadWritesWhatItWritesAlone) {
  std::array<Failures, kThreads> failures;
  std::array<std::vector<Output>, kThreads> written;
  std::mutex constructing;
  int place = 0;
  std::barrier started(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Worker worker(input_, folder_.path(), t, failures[t]);
      // Two engines per thread; the first ends halfway, the second runs the thread's remaining
      // rounds over the thread's one image store.
      std::unique_ptr<vexiro::cImaging> first, second;
      int rounds = 0;
      {
        // One thread at a time, so the order of construction is the order of the round counts.
        const std::lock_guard lock(constructing);
        first = std::make_unique<vexiro::cImaging>();
        second = std::make_unique<vexiro::cImaging>();
        rounds = kFirstRounds + kRoundsPerPlace * place++;
      }
      started.arrive_and_wait();
      for (int r = 0; r < rounds; ++r) {
        if (r == rounds / 2) first.reset();
        written[t].push_back(worker.Round(first ? *first : *second, r));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t].Count(), 0) << "thread " << t << ": " << failures[t].Report();
    Failures alone;
    const Output expected = AloneOnAThread(t, alone);
    ASSERT_EQ(alone.Count(), 0) << alone.Report();
    ASSERT_FALSE(expected.png.empty());
    // An outside reader sees the symbol each thread draws.
    const fs::path png = folder_.path() / ("expected" + std::to_string(t) + ".png");
    WriteFile(png, expected.png);
    EXPECT_EQ(CommandOutput("zbarimg -q --raw '" + png.string() + "' 2>/dev/null"), Code(t) + "\n");
    fs::remove(png);
    for (size_t r = 0; r < written[t].size(); ++r) {
      const std::string where = "thread " + std::to_string(t) + " round " + std::to_string(r);
      EXPECT_TRUE(written[t][r].jpeg == expected.jpeg) << where << " wrote another JPEG than alone";
      EXPECT_TRUE(written[t][r].png == expected.png) << where << " wrote another PNG than alone";
    }
  }
}

}  // namespace
}  // namespace vxtest
