// The decoding helper is started once and reused: loads in a row are served by one process,
// a helper that dies is replaced at once (the next load works and the dead one is waited for),
// helpers are replaced after a number of loads, and over many loads, good and failed, the host
// holds the same descriptors and the same number of helpers.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "support/child_processes.h"
#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr int kFormatJpeg = 2, kFormatTiff = 18;

size_t OpenDescriptors() {
  size_t count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

std::set<int> Helpers() {
  std::set<int> pids;
  for (const auto& [pid, switches] : vxtest::LiveChildren()) pids.insert(pid);
  return pids;
}

std::vector<uint8_t> PixelBytes(uint32_t bitmap) {
  const auto* bits = Api().GetBits(bitmap);
  return std::vector<uint8_t>(bits, bits + static_cast<size_t>(Api().GetPitch(bitmap)) * Api().GetHeight(bitmap));
}

// A small picture saved by the plug-in itself in `format`.
std::string MadeFile(const TempFolder& folder, const char* name, int format) {
  constexpr int kWidth = 40, kHeight = 30;
  std::vector<uint8_t> rows(kWidth * 3 * kHeight);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7 % 251);
  BitmapHandle bitmap(Api().ConvertFromRawBits(rows.data(), kWidth, kHeight, kWidth * 3, 24, 0, 0, 0, 1));
  const std::string path = folder / name;
  EXPECT_EQ(Api().SaveU(format, bitmap.get(), path.c_str(), 0), 1);
  return path;
}

// A load during which no file of the helper's may grow at all: it dies writing its reply.
uint32_t LoadWithNoRoomToWrite(int format, const std::string& path) {
  return LoadWithHelperFileSizeLimit(format, path, 0);
}

TEST(HelperReuse, TwoLoadsAreServedByOneHelper) {
  TempFolder folder;
  const std::string path = MadeFile(folder, "a.jpg", kFormatJpeg);
  BitmapHandle first(Api().LoadU(kFormatJpeg, path.c_str(), 0));
  ASSERT_TRUE(first);
  const auto before = vxtest::LiveChildren();
  ASSERT_EQ(before.size(), 1u) << "one helper waits for work";
  BitmapHandle second(Api().LoadU(kFormatJpeg, path.c_str(), 0));
  ASSERT_TRUE(second);
  const auto after = vxtest::LiveChildren();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after.begin()->first, before.begin()->first) << "the same helper served the second load";
  EXPECT_EQ(vxtest::ChildrenThatWorked(before, after), 1) << "and it did the decoding";
  EXPECT_EQ(PixelBytes(first.get()), PixelBytes(second.get()));
}

TEST(HelperReuse, AfterAHelperDiesTheNextLoadWorks) {
  TempFolder folder;
  for (const auto& [name, format] : {std::pair{"a.jpg", kFormatJpeg}, std::pair{"a.tif", kFormatTiff}}) {
    SCOPED_TRACE(name);
    const std::string path = MadeFile(folder, name, format);
    BitmapHandle good(Api().LoadU(format, path.c_str(), 0));
    ASSERT_TRUE(good);
    const std::set<int> before = Helpers();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(LoadWithNoRoomToWrite(format, path), 0u);
    const std::set<int> after = Helpers();
    ASSERT_EQ(after.size(), 1u) << "a replacement waits, and the dead helper was waited for";
    EXPECT_NE(*after.begin(), *before.begin());
    BitmapHandle again(Api().LoadU(format, path.c_str(), 0));
    ASSERT_TRUE(again);
    EXPECT_EQ(PixelBytes(again.get()), PixelBytes(good.get()));
    EXPECT_EQ(Helpers(), after);
  }
}

TEST(HelperReuse, ManyLoadsLeaveTheHostAsTheFirstDid) {
  TempFolder folder;
  const std::string jpeg = MadeFile(folder, "a.jpg", kFormatJpeg);
  const std::string tiff = MadeFile(folder, "a.tif", kFormatTiff);
  const std::string damaged = folder / "damaged.jpg";
  std::vector<uint8_t> bytes = ReadBytes(jpeg);
  bytes.resize(bytes.size() / 3);
  WriteBytes(damaged, bytes);
  BitmapHandle(Api().LoadU(kFormatJpeg, jpeg.c_str(), 0));
  const size_t descriptors = OpenDescriptors();
  std::set<int> seen = Helpers();
  ASSERT_EQ(seen.size(), 1u);
  for (int i = 0; i < 150; ++i) {
    SCOPED_TRACE(i);
    BitmapHandle loaded(i % 3 == 0   ? Api().LoadU(kFormatTiff, tiff.c_str(), 0)
                        : i % 3 == 1 ? Api().LoadU(kFormatJpeg, jpeg.c_str(), 0)
                                     : Api().LoadU(kFormatJpeg, damaged.c_str(), 0));
    if (i % 3 != 2) {
      EXPECT_TRUE(loaded);
    }
    if (i % 10 == 0 && i % 3 != 2) {
      EXPECT_EQ(LoadWithNoRoomToWrite(i % 3 ? kFormatJpeg : kFormatTiff, i % 3 ? jpeg : tiff), 0u);
    }
    const std::set<int> now = Helpers();
    ASSERT_EQ(now.size(), 1u);
    seen.insert(now.begin(), now.end());
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_GT(seen.size(), 1u) << "helpers are replaced after a number of loads";
}

// A process forked from the host does not share the host's helper: its loads have their own.
TEST(HelperReuse, AForkedHostLoadsWithAHelperOfItsOwn) {
  TempFolder folder;
  const std::string path = MadeFile(folder, "a.jpg", kFormatJpeg);
  BitmapHandle here(Api().LoadU(kFormatJpeg, path.c_str(), 0));
  ASSERT_TRUE(here);
  const std::set<int> helpers = Helpers();
  const pid_t pid = fork();
  if (pid == 0) {
    const uint32_t there = Api().LoadU(kFormatJpeg, path.c_str(), 0);
    const bool ok = there && PixelBytes(there) == PixelBytes(here.get()) && Helpers().size() == 1 &&
                    !Helpers().contains(*helpers.begin());
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  BitmapHandle again(Api().LoadU(kFormatJpeg, path.c_str(), 0));
  ASSERT_TRUE(again);
  EXPECT_EQ(Helpers(), helpers);
}

}  // namespace
