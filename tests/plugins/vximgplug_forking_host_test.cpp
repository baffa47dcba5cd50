// Hosts as servers and worker pools are: they fork after loading, kill or lose helpers, and limit
// their own files and descriptors. Each case runs as a host of its own, forked from the test, so
// that the limits, signal dispositions and children it sets die with it; the test only reads the
// host's verdict, within a deadline that turns a hang into a failure.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>

#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr int kFormatJpeg = 2, kFormatTarga = 17;
constexpr auto kHostDeadline = std::chrono::seconds(60);

// Runs `host` in a forked process: true when it answered true before the deadline. What it finds
// wrong it says on standard error.
bool AsAHostOfItsOwn(const std::function<bool()>& host) {
  const pid_t pid = fork();
  if (pid == 0) _exit(host() ? 0 : 1);
  int status = 0;
  if (!vxtest::AwaitChild(pid, kHostDeadline, status)) {
    ADD_FAILURE() << "the host hung";
    return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Check(bool condition, const char* what) {
  if (!condition) std::cerr << "host: " << what << "\n";
  return condition;
}

std::vector<uint8_t> PixelBytes(uint32_t bitmap) {
  const auto* bits = Api().GetBits(bitmap);
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(Api().GetPitch(bitmap)) * Api().GetHeight(bitmap));
}

// The pixels a load of `path` gives, or none when it fails.
std::vector<uint8_t> Loaded(int format, const std::string& path) {
  const BitmapHandle bitmap(Api().LoadU(format, path.c_str(), 0));
  return bitmap ? PixelBytes(bitmap.get()) : std::vector<uint8_t>{};
}

std::string JpegFile(const TempFolder& folder) {
  constexpr int kWidth = 40, kHeight = 30;
  std::vector<uint8_t> rows(kWidth * 3 * kHeight);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7 % 251);
  BitmapHandle bitmap(Api().ConvertFromRawBits(rows.data(), kWidth, kHeight, kWidth * 3, 24, 0, 0, 0, 1));
  const std::string path = folder / "a.jpg";
  EXPECT_EQ(Api().SaveU(kFormatJpeg, bitmap.get(), path.c_str(), 0), 1);
  return path;
}

// A colour-mapped TGA of 16 x 16 pixels and two palette entries: 280 bytes of file whose decoded
// picture carries a palette of 256 entries, 1 KiB of the helper's reply.
std::string PaletteTarga(const TempFolder& folder) {
  std::vector<uint8_t> b{0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 16, 0, 16, 0, 8, 0x20};
  b.insert(b.end(), {0x20, 0x40, 0x60, 0xF0, 0xE0, 0xD0});
  for (int i = 0; i < 256; ++i) b.push_back(static_cast<uint8_t>((i / 16 + i % 16) % 2));
  const std::string path = folder / "palette.tga";
  WriteBytes(path, b);
  return path;
}

std::set<int> Helpers() {
  std::set<int> pids;
  for (const auto& [pid, switches] : vxtest::LiveChildren()) pids.insert(pid);
  return pids;
}

char ProcessState(int pid) {
  const std::string line = vxtest::ProcFile("/proc/" + std::to_string(pid) + "/stat");
  if (line.rfind(')') == std::string::npos || line.rfind(')') + 2 >= line.size()) return 0;
  return line[line.rfind(')') + 2];
}

// The helpers' windows in this process: shared 2 MiB mappings of the helpers' memory files.
std::vector<uintptr_t> HelperWindows() {
  std::vector<uintptr_t> windows;
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    uintptr_t start = 0, end = 0;
    char dash = 0;
    std::string perms;
    std::istringstream fields(line);
    fields >> std::hex >> start >> dash >> end >> perms;
    if (perms == "rw-s" && end - start == (size_t{2} << 20) && line.find("memfd:vximgplug-window") != std::string::npos)
      windows.push_back(start);
  }
  return windows;
}

// A forked child that maps memory of its own where the parent's helpers had their windows, then
// loads: its memory stays its own, and its load is served by a helper of its own.
TEST(ForkingHost, AChildsMemoryWhereTheParentsWindowsWereStaysItsOwn) {
  TempFolder folder;
  const std::string path = JpegFile(folder);
  const std::vector<uint8_t> expected = Loaded(kFormatJpeg, path);
  ASSERT_FALSE(expected.empty());
  const std::vector<uintptr_t> windows = HelperWindows();
  ASSERT_FALSE(windows.empty()) << "a helper waits, its window mapped here";
  const std::set<int> parentHelpers = Helpers();
  EXPECT_TRUE(AsAHostOfItsOwn([&] {
    constexpr size_t kBlock = size_t{1} << 20;
    std::vector<uint8_t*> blocks;
    for (uintptr_t window : windows) {
      for (size_t half : {size_t{0}, kBlock}) {
        void* at = mmap(reinterpret_cast<void*>(window + half), kBlock, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        if (!Check(at != MAP_FAILED, "the parent's window is not inherited")) return false;
        blocks.push_back(static_cast<uint8_t*>(at));
        std::memset(at, 0x5A, kBlock);
      }
    }
    bool ok = Check(Loaded(kFormatJpeg, path) == expected, "the child's first load");
    ok = Check(Loaded(kFormatJpeg, path) == expected, "the child's second load") && ok;
    for (uint8_t* block : blocks)
      ok = Check(std::all_of(block, block + kBlock, [](uint8_t b) { return b == 0x5A; }), "the child's memory changed") && ok;
    const std::set<int> own = Helpers();
    ok = Check(own.size() == 1 && !parentHelpers.contains(*own.begin()), "a helper of the child's own") && ok;
    return ok;
  }));
  EXPECT_EQ(Loaded(kFormatJpeg, path), expected);
  EXPECT_EQ(Helpers(), parentHelpers) << "the parent keeps its helper";
}

// A forked child that never loads and outlives what its parent does: the parent's helpers, worn
// out or let go at its exit, never wait for the child. The child sleeps until the test lets it go.
TEST(ForkingHost, ALongLivedChildStallsNeitherLoadsNorExit) {
  TempFolder folder;
  const std::string path = JpegFile(folder);
  const std::vector<uint8_t> expected = Loaded(kFormatJpeg, path);
  int sleeper[2];
  ASSERT_EQ(pipe(sleeper), 0);
  const bool parentExited = AsAHostOfItsOwn([&] {
    bool ok = Check(Loaded(kFormatJpeg, path) == expected, "load before the fork");
    if (fork() == 0) {  // holds copies of every descriptor the host has, helpers' sockets included
      close(sleeper[1]);
      char byte;
      while (read(sleeper[0], &byte, 1) < 0 && errno == EINTR) {
      }
      _exit(0);
    }
    close(sleeper[0]);
    close(sleeper[1]);
    for (int i = 0; i < 70; ++i) ok = Check(Loaded(kFormatJpeg, path) == expected, "load beside the child") && ok;
    // Loads on threads of the host as well, one thread at a time: under the sanitizers a helper
    // forked while another thread of the host runs can die inside fork and leave its load to the
    // deadline, which is not what this case is about.
    constexpr int kThreads = 4;
    int threadFailures = 0;
    for (int i = 0; i < kThreads; ++i)
      std::thread([&] { threadFailures += Loaded(kFormatJpeg, path) == expected ? 0 : 1; }).join();
    ok = Check(threadFailures == 0, "load on a thread") && ok;
    std::exit(ok ? 0 : 1);  // an exit that lets its helpers go, as a host's end does
    return ok;
  });
  close(sleeper[0]);
  close(sleeper[1]);  // only now the child wakes and leaves
  EXPECT_TRUE(parentExited) << "the host finished and exited while the child slept";
}

struct ChildSignal {
  const char* name;
  void (*disposition)(int);
};

void ReapEveryChild(int) {
  const int saved = errno;
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  errno = saved;
}

class IdleHelperDeath : public testing::TestWithParam<ChildSignal> {};

// A helper killed while it waited for work fails no load, whatever the host does with SIGCHLD.
TEST_P(IdleHelperDeath, FailsNoLoad) {
  TempFolder folder;
  const std::string path = JpegFile(folder);
  const std::vector<uint8_t> expected = Loaded(kFormatJpeg, path);
  EXPECT_TRUE(AsAHostOfItsOwn([&] {
    signal(SIGCHLD, GetParam().disposition);
    bool ok = true;
    for (int round = 0; round < 3; ++round) {
      ok = Check(Loaded(kFormatJpeg, path) == expected, "load before the kill") && ok;
      for (int helper : Helpers()) {
        kill(helper, SIGKILL);
        while (ProcessState(helper) != 0 && ProcessState(helper) != 'Z') std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ok = Check(Loaded(kFormatJpeg, path) == expected, "the load after the kill") && ok;
    }
    return ok;
  }));
}

INSTANTIATE_TEST_SUITE_P(Plugin, IdleHelperDeath,
                         testing::Values(ChildSignal{"default", SIG_DFL}, ChildSignal{"ignored", SIG_IGN},
                                         ChildSignal{"reaped", ReapEveryChild}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DescriptorLimit {
  rlim_t descriptors;
  bool hardToo;  // the helper then cannot lift it either
};

class FewDescriptors : public testing::TestWithParam<DescriptorLimit> {};

// A host left with a few descriptors (here all it holds is its standard streams) still loads, and
// so does it once the limit is raised again, through one live helper.
TEST_P(FewDescriptors, LoadsWorkUnderTheLimitAndAfterIt) {
  TempFolder folder;
  const std::string path = JpegFile(folder);
  const std::vector<uint8_t> expected = Loaded(kFormatJpeg, path);
  EXPECT_TRUE(AsAHostOfItsOwn([&] {
    close_range(3, ~0U, 0);  // the parent's helpers were never this process's to use
    rlimit before{};
    getrlimit(RLIMIT_NOFILE, &before);
    const rlimit limited{GetParam().descriptors, GetParam().hardToo ? GetParam().descriptors : before.rlim_max};
    if (!Check(setrlimit(RLIMIT_NOFILE, &limited) == 0, "limit set")) return false;
    bool ok = true;
    for (int i = 0; i < 3; ++i) ok = Check(Loaded(kFormatJpeg, path) == expected, "load under the limit") && ok;
    if (!GetParam().hardToo) {
      setrlimit(RLIMIT_NOFILE, &before);
      for (int i = 0; i < 3; ++i) ok = Check(Loaded(kFormatJpeg, path) == expected, "load after the limit") && ok;
    }
    const std::set<int> helpers = Helpers();
    ok = Check(helpers.size() == 1 && ProcessState(*helpers.begin()) != 'Z', "one live helper waits") && ok;
    return ok;
  }));
}

INSTANTIATE_TEST_SUITE_P(Plugin, FewDescriptors,
                         testing::Values(DescriptorLimit{11, false}, DescriptorLimit{11, true},
                                         DescriptorLimit{7, true}),
                         [](const auto& info) {
                           return std::to_string(info.param.descriptors) + (info.param.hardToo ? "_hard" : "_soft");
                         });

// A host whose files may not grow past a few bytes still loads: a load writes none of its files,
// and the helper's memory files are not the host's.
TEST(ForkingHost, TheHostsFileSizeLimitFailsNoLoad) {
  TempFolder folder;
  const std::string jpeg = JpegFile(folder), targa = PaletteTarga(folder);
  const std::vector<uint8_t> expectedJpeg = Loaded(kFormatJpeg, jpeg), expectedTarga = Loaded(kFormatTarga, targa);
  ASSERT_FALSE(expectedTarga.empty());
  for (rlim_t bytes : {rlim_t{0}, rlim_t{1000}}) {
    SCOPED_TRACE(bytes);
    EXPECT_TRUE(AsAHostOfItsOwn([&] {
      rlimit limited{};
      getrlimit(RLIMIT_FSIZE, &limited);
      limited.rlim_cur = bytes;
      if (!Check(setrlimit(RLIMIT_FSIZE, &limited) == 0, "limit set")) return false;
      bool ok = true;
      for (int i = 0; i < 2; ++i) {
        ok = Check(Loaded(kFormatTarga, targa) == expectedTarga, "the TGA with its palette") && ok;
        ok = Check(Loaded(kFormatJpeg, jpeg) == expectedJpeg, "the JPEG") && ok;
      }
      return ok;
    }));
  }
}

}  // namespace
