// A FIFO named as a file: every member that reads a file by path must refuse it at once. Opening
// a FIFO for reading waits for a writer, so a path opened before its type is checked hangs the
// host; should that happen here, a watchdog plays the writer, so the suite ends and fails.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/documents/multipage_document.h"
#include "engine/engine_test_support.h"
#include "engine/load/loader.h"
#include "engine/plugin/bridge.h"

namespace vx::engine {
namespace {

using namespace test_support;

// Runs `call`; true when it returned without a writer ever opening the FIFO.
bool ReturnsWithoutAWriter(const std::string& fifo, const std::function<void()>& call) {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false, rescued = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    while (!done.wait_for(lock, std::chrono::seconds(10), [&] { return finished; })) {
      // Opening the writing end releases a reader blocked in open(); closing it ends its reads.
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) ::close(fd);
      rescued = true;
    }
  });
  call();
  {
    std::lock_guard lock(mutex);
    finished = true;
  }
  done.notify_one();
  watchdog.join();
  return !rescued;
}

struct PathMember {
  const char* name;
  std::function<VexiroStatus(const std::string&)> call;
};

VexiroStatus StatusOfFlag(bool answer) { return answer ? vexiro::OK : vexiro::GenericError; }

const PathMember kMembers[] = {
    {"LoadImageFromFile", [](const std::string& p) { int32_t id = 0; return LoadImageFromFile(id, p); }},
    {"LoadImageFromFileWithoutPlugin", [](const std::string& p) { int32_t id = 0; return LoadImageFromFile(id, p, {.DisablePlugin = true}); }},
    {"LoadImageThroughPlugin", [](const std::string& p) { int32_t id = 0; return LoadImageThroughPlugin(id, p); }},
    {"LoadImageThroughOlePicture", [](const std::string& p) { int32_t id = 0; return LoadImageThroughOlePicture(id, p); }},
    {"LoadImageFromMetafile", [](const std::string& p) { int32_t id = 0; return LoadImageFromMetafile(id, p, 1.0f); }},
    {"LoadMultiPageFileGdiPlus", [](const std::string& p) { int32_t id = 0; return LoadMultiPageFileGdiPlus(p, id, {}); }},
    {"FileIsCMYK", [](const std::string& p) { return StatusOfFlag(FileIsCMYK(p)); }},
    {"VximgplugGetFileFormat", [](const std::string& p) { return StatusOfFlag(VximgplugGetFileFormat(p) != PluginFormatUnknown); }},
};

class FifoPaths : public EngineTest, public testing::WithParamInterface<PathMember> {};

TEST_P(FifoPaths, AreRefusedWithoutWaitingForAWriter) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string fifo = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexiro-fifo-" + std::to_string(::getpid());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  VexiroStatus status = vexiro::OK;
  EXPECT_TRUE(ReturnsWithoutAWriter(fifo, [&] { status = GetParam().call(fifo); }));
  EXPECT_NE(status, vexiro::OK);
  ::unlink(fifo.c_str());
}

INSTANTIATE_TEST_SUITE_P(Engine, FifoPaths, testing::ValuesIn(kMembers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vx::engine
