// A save that cannot write every byte (the disk is full) must answer its failure and leave the
// file it would have replaced as it was. A full disk is stood in for by a file-size limit in a
// forked process: every write past it fails as writes to a full disk do, without mounting.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr rlim_t kRoomLeft = 1024;

enum SaveOutcome { kSavedOk = 10, kSaveFailed = 11, kNoAnswer = 12 };

// Saves in a forked process whose files cannot grow past kRoomLeft bytes.
SaveOutcome SaveOntoAFullDisk(int format, uint32_t bitmap, const std::string& path) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit room{kRoomLeft, kRoomLeft};
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead of killing
    if (setrlimit(RLIMIT_FSIZE, &room) != 0) _exit(kNoAnswer);
    _exit(Api().SaveU(format, bitmap, path.c_str(), 0) == 1 ? kSavedOk : kSaveFailed);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return kNoAnswer;
  return static_cast<SaveOutcome>(WEXITSTATUS(status));
}

struct Format {
  const char* name;
  int number;
};

class FullDisk : public testing::TestWithParam<Format> {};

TEST_P(FullDisk, FailsTheSaveAndKeepsTheExistingFile) {
  constexpr int kSide = 96;
  std::vector<uint8_t> rows(kSide * kSide * 3);
  uint32_t state = 2463534242u;
  for (uint8_t& b : rows) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    b = static_cast<uint8_t>(state);
  }
  BitmapHandle bitmap(Api().ConvertFromRawBits(rows.data(), kSide, kSide, kSide * 3, 24, 0, 0, 0, 1));
  ASSERT_TRUE(bitmap);
  TempFolder folder;
  const std::string roomy = folder / (std::string("roomy.") + GetParam().name);
  ASSERT_EQ(Api().SaveU(GetParam().number, bitmap.get(), roomy.c_str(), 0), 1);
  ASSERT_GT(ReadBytes(roomy).size(), kRoomLeft) << "the picture must not fit in the room left";
  std::filesystem::remove(roomy);

  const std::string target = folder / (std::string("existing.") + GetParam().name);
  const std::vector<uint8_t> existing = {'k', 'e', 'e', 'p', ' ', 'm', 'e'};
  WriteBytes(target, existing);
  EXPECT_EQ(SaveOntoAFullDisk(GetParam().number, bitmap.get(), target), kSaveFailed);
  EXPECT_EQ(ReadBytes(target), existing);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{std::string("existing.") + GetParam().name});
}

INSTANTIATE_TEST_SUITE_P(Plugin, FullDisk,
                         testing::Values(Format{"j2k", 30}, Format{"jp2", 31}, Format{"tif", 18}, Format{"bmp", 0},
                                         Format{"png", 13}, Format{"tga", 17}, Format{"ico", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
