// Files by path: a name is created once only and only for its owner; attributes tell files,
// folders and other things apart, and answer for a file that is gone.
#include "platform/kernel/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/kernel/last_error.h"

namespace vx {
namespace {

class KernelFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxfiles.XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::string File(const std::string& name) const { return folder_ + "/" + name; }
  std::string folder_;
};

TEST_F(KernelFiles, ANewFileIsMadeOnceAndForItsOwnerOnly) {
  const std::string path = File("new");
  ASSERT_EQ(CreateNewFile(path), TRUE_);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_size, 0);

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(CreateNewFile(path), FALSE_) << "the name is taken";
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(CreateNewFile(File("no-folder/new")), FALSE_);
  EXPECT_NE(GetLastError(), ERROR_FILE_EXISTS) << "another name would not help";

  EXPECT_EQ(DeleteFile(path), TRUE_);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(DeleteFile(path), FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DeleteFile(""), FALSE_);
}

TEST_F(KernelFiles, AttributesTellWhatAPathNames) {
  ASSERT_EQ(CreateNewFile(File("plain")), TRUE_);
  ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0600), 0);
  struct Case {
    std::string path;
    DWORD attributes;
  };
  for (const Case& c : {Case{File("plain"), FILE_ATTRIBUTE_NORMAL}, Case{folder_, FILE_ATTRIBUTE_DIRECTORY},
                        Case{File("pipe"), FILE_ATTRIBUTE_DEVICE}, Case{File("missing"), INVALID_FILE_ATTRIBUTES},
                        Case{"", INVALID_FILE_ATTRIBUTES}}) {
    EXPECT_EQ(GetFileAttributes(c.path), c.attributes) << c.path;
  }
}

}  // namespace
}  // namespace vx
