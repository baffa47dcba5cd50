// Without the format plug-in on the search path: the engine records it as absent, every plug-in
// saver answers VximgplugDllRequired before it looks at anything else, and a call that would
// need the plug-in raises the run-time error of a missing library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "engine/gdiplus_lifetime.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/plugin/savers.h"
#include "engine/runtime_error.h"
#include "platform/kernel/environment.h"
#include "vexiro/imaging.h"

namespace vx::engine {
namespace {

class PluginAbsent : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindModulePath("vximgplug.dll"), "") << "this suite runs with an empty plug-in folder";
    engine_ = std::make_unique<vexiro::cImaging>();
  }
  void TearDown() override { engine_.reset(); }
  std::unique_ptr<vexiro::cImaging> engine_;
};

TEST_F(PluginAbsent, RecordedAsAbsentAndBindingRaisesFileNotFound) {
  EXPECT_EQ(ThreadGdiplusState().VximgplugVersion, "Unknown");
  EXPECT_FALSE(IsVximgplugAvailable());
  try {
    Vximgplug();
    ADD_FAILURE() << "bound a plug-in that is not there";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), kErrFileNotFound);
    EXPECT_EQ(e.Description(), "File not found: vximgplug.so") << "named as the file a user looks for";
  }
  // A failed bind is not remembered: the next call tries again, and fails the same way.
  EXPECT_THROW(Vximgplug(), RuntimeError);
  ResetVximgplugBindingForTesting();
  EXPECT_THROW(Vximgplug(), RuntimeError);
}

TEST_F(PluginAbsent, EverySaverAnswersPluginRequiredBeforeLookingAtTheImage) {
  using Saver = std::function<VexiroStatus(int32_t, const std::string&)>;
  const Saver savers[] = {
      SaveAsICOFile,
      SaveAsPBMFile,
      SaveAsTGAFile,
      [](int32_t id, const std::string& p) { return SaveAsTIFFJPEGFile(id, p, 75); },
      SaveAsWBMPFile,
      SaveAsXPMFile,
      [](int32_t id, const std::string& p) { return SaveAsEXRFile(id, p, 0); },
      [](int32_t id, const std::string& p) { return SaveAsJ2KFile(id, p, 16); },
      [](int32_t id, const std::string& p) { return SaveAsJP2File(id, p, 16); },
      SaveAsJBIGFile,
      [](int32_t id, const std::string& p) { return SaveGreyJpegThroughPlugin(id, p, 75); },
  };
  int32_t wide = 0;  // a format every saver refuses or cannot convert
  ASSERT_EQ(CreateImageFromScan0(4, 4, 0, gdiplus::PixelFormat48bppRGB, 0, wide, false), vexiro::OK);
  const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/absent.out";
  for (const Saver& save : savers) {
    EXPECT_EQ(save(0, path), vexiro::VximgplugDllRequired);
    EXPECT_EQ(save(98765, path), vexiro::VximgplugDllRequired);
    EXPECT_EQ(save(wide, path), vexiro::VximgplugDllRequired);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  ReleaseImage(wide);
}

// Points the plug-in search at another folder for one test and back afterwards.
class PluginPathOverride {
 public:
  explicit PluginPathOverride(const std::string& folder) : saved_(GetEnvironmentVariable("VEXIRO_PLUGIN_PATH")) {
    setenv("VEXIRO_PLUGIN_PATH", folder.c_str(), 1);
    ResetVximgplugBindingForTesting();
  }
  ~PluginPathOverride() {
    setenv("VEXIRO_PLUGIN_PATH", saved_.c_str(), 1);
    ResetVximgplugBindingForTesting();
  }

 private:
  std::string saved_;
};

// A module of the plug-in's name that lacks its operations cannot be bound: error 453.
TEST_F(PluginAbsent, AModuleWithoutTheOperationsRaisesEntryPointNotFound) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") / "impostor";
  fs::create_directories(folder);
  fs::copy_file(fs::path(VEXIRO_PLUGIN_DIR) / "vxtestplug.so", folder / "vximgplug.so",
                fs::copy_options::overwrite_existing);
  {
    PluginPathOverride impostor(folder.string());
    try {
      Vximgplug();
      ADD_FAILURE() << "bound a module without the plug-in's operations";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.Number(), 453);
      EXPECT_NE(e.Description().find("VXIMGPLUG_"), std::string::npos) << e.Description();
    }
  }
  fs::remove_all(folder);
}

// The plug-in installed while engines run: the binding succeeds at the next call, and the next
// engine construction records its version, from which on it counts as present.
TEST_F(PluginAbsent, APlugInInstalledLaterIsFoundByTheNextEngine) {
  PluginPathOverride installed(VEXIRO_PLUGIN_DIR);
  EXPECT_FALSE(IsVximgplugAvailable()) << "presence follows the recorded version";
  EXPECT_NE(Vximgplug().GetFileTypeU, nullptr);
  vexiro::cImaging second;
  EXPECT_TRUE(IsVximgplugAvailable());
  EXPECT_NE(ThreadGdiplusState().VximgplugVersion, "Unknown");
  int32_t id = 0;
  ASSERT_EQ(CreateImageFromScan0(4, 4, 0, gdiplus::PixelFormat24bppRGB, 0, id, false), vexiro::OK);
  EXPECT_EQ(SaveAsTGAFile(id, "/nonexistent-folder/x.tga"), vexiro::GenericError) << "past the presence test";
  ReleaseImage(id);
  ThreadGdiplusState().VximgplugVersion = "Unknown";  // the other tests of this suite expect it absent
}

}  // namespace
}  // namespace vx::engine
