// After the whole suite, the private temporary folder must be empty: every temporary file the
// engine made was deleted by its owner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class TempFolderStaysEmpty : public ::testing::Environment {
 public:
  // The folder is private to this suite: what an earlier, interrupted run left is cleared first.
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    if (!tmp || !*tmp) return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tmp, ec)) std::filesystem::remove_all(entry.path(), ec);
  }
  void TearDown() override {
    const char* tmp = std::getenv("TMPDIR");
    if (!tmp || !*tmp) return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tmp, ec))
      ADD_FAILURE() << "left behind in TMPDIR: " << entry.path();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TempFolderStaysEmpty);

}  // namespace
