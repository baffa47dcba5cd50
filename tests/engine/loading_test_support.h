// Helpers of the loading tests: fixtures drawn by ImageMagick into a private folder, and a look
// at the suite's private temporary folder.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/engine_test_support.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/documents/page_file_writer.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "support/required_tool.h"

namespace vx::engine::test_support {

inline const char* Convert() { return std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert"; }

// Files in the suite's temporary folder other than the fixture folders the tests made.
inline std::vector<std::string> TemporaryFiles() {
  std::vector<std::string> files;
  const char* tmp = std::getenv("TMPDIR");
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(tmp ? tmp : "/tmp", ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("vxfix.", 0) != 0 && name.rfind("vxinet.", 0) != 0) files.push_back(e.path().string());
  }
  return files;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fixture folder (its name keeps it apart from the engine's temporary files), removed at the end.
class FixtureFolder {
 public:
  FixtureFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vxfix.XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~FixtureFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  FixtureFolder(const FixtureFolder&) = delete;
  FixtureFolder& operator=(const FixtureFolder&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Runs ImageMagick with `arguments` and the output file; "" when it failed.
  std::string Draw(const std::string& arguments, const std::string& name) const {
    const std::string out = File(name);
    const std::string command = std::string(Convert()) + " " + arguments + " '" + out + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? out : "";
  }

 private:
  std::string path_;
};

// Makes the format plug-in count as absent for a while, as when its module is missing.
class PluginAbsence {
 public:
  explicit PluginAbsence(bool absent) : saved_(ThreadGdiplusState().VximgplugVersion) {
    if (absent) ThreadGdiplusState().VximgplugVersion = "";
  }
  ~PluginAbsence() { ThreadGdiplusState().VximgplugVersion = saved_; }
  PluginAbsence(const PluginAbsence&) = delete;
  PluginAbsence& operator=(const PluginAbsence&) = delete;

 private:
  std::string saved_;
};

// An engine whose document page files go through the platform encoders, whatever an earlier
// test of the binary left in the store's seam.
class LoadingTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SetPageFileWriter(&WriteDocumentPageFile);
    InstallVximgplugReleaseHooks();
    VX_REQUIRE_TOOL(Convert());
  }
  void TearDown() override {
    EngineTest::TearDown();
    EXPECT_TRUE(TemporaryFiles().empty()) << "a temporary file outlived its owner";
  }
  FixtureFolder fixtures_;
};

}  // namespace vx::engine::test_support
