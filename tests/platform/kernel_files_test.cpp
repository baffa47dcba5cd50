// Files by path: a name is created once only and only for its owner; attributes tell files,
// folders and other things apart, and answer for a file that is gone. A file made for writing
// never replaces another, and every write that does not reach it whole is reported.
#include "platform/kernel/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/kernel/last_error.h"
#include "support/file_size_limit.h"

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

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST_F(KernelFiles, AFileForWritingGetsEveryByteAndNeverReplacesAnother) {
  const std::string path = File("written");
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 31);
  {
    NewFileForWriting file;
    EXPECT_EQ(file.NativeHandle(), 0);
    ASSERT_EQ(file.Create(path), TRUE_);
    EXPECT_NE(file.NativeHandle(), 0);
    EXPECT_EQ(file.Create(File("other")), FALSE_) << "an open file is not replaced";
    EXPECT_FALSE(std::filesystem::exists(File("other")));
    ASSERT_EQ(file.WriteFile(bytes.data(), 3), TRUE_);
    ASSERT_EQ(file.WriteFile(bytes.data() + 3, bytes.size() - 3), TRUE_);
    EXPECT_EQ(file.CloseHandle(), TRUE_);
    EXPECT_EQ(file.NativeHandle(), 0);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(file.WriteFile("x", 1), FALSE_) << "closed";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(file.CloseHandle(), FALSE_);
  }
  EXPECT_EQ(Contents(path), bytes);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0600, 0600u);
  EXPECT_EQ(st.st_mode & 0022, 0u) << "only its owner may change it";

  NewFileForWriting again;
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(again.Create(path), FALSE_);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(again.Create(""), FALSE_);
  EXPECT_EQ(again.Create(File("no-folder/new")), FALSE_);
  EXPECT_EQ(Contents(path), bytes) << "the existing file is untouched";
}

TEST_F(KernelFiles, AWriteTheSystemCutsShortFails) {
  NewFileForWriting file;
  ASSERT_EQ(file.Create(File("cut")), TRUE_);
  const std::string bytes(4000, 'a');
  BOOL written = TRUE_;
  DWORD error = ERROR_SUCCESS;
  {
    const testing_support::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.Active());
    SetLastError(ERROR_SUCCESS);
    written = file.WriteFile(bytes.data(), bytes.size());
    error = GetLastError();
  }
  EXPECT_EQ(written, FALSE_) << "the first 1000 bytes went, the rest did not";
  EXPECT_EQ(error, ERROR_DISK_FULL);
  EXPECT_EQ(file.CloseHandle(), TRUE_);
}

}  // namespace
}  // namespace vx
