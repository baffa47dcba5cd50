// A registry file of the test's own: a fresh folder under the suite's TMPDIR that
// VEXIRO_REGISTRY points into while the object lives, removed with everything in it afterwards.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vxtest {

class PrivateRegistry {
 public:
  // `fileInFolder` names the registry file relative to the fresh folder.
  explicit PrivateRegistry(const std::string& fileInFolder = "registry.reg") {
    const char* tmp = std::getenv("TMPDIR");
    folder_ = std::filesystem::path(tmp ? tmp : "/tmp") / ("registry-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    file_ = folder_ / fileInFolder;
    ::setenv("VEXIRO_REGISTRY", file_.c_str(), 1);
  }
  ~PrivateRegistry() {
    ::unsetenv("VEXIRO_REGISTRY");
    std::error_code ec;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(folder_, ec);
  }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  const std::filesystem::path& File() const { return file_; }

 private:
  std::filesystem::path folder_, file_;
};

}  // namespace vxtest
