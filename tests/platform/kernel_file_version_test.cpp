#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/kernel/environment.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class KernelFileVersion : public ::testing::Test {
 protected:
  ScopedEnv pluginPath_{"VEXIRO_PLUGIN_PATH", std::string("/nonexistent-folder:") + VEXIRO_PLUGIN_DIR};
  void TearDown() override { vx::OverridePlatformVersionForTesting(""); }
};

TEST_F(KernelFileVersion, PluginVersionsByName) {
  struct Case {
    const char* module;
    const char* text;
  } cases[] = {
      {"vxtestplug.dll", "1.2.3.4"},
      {"VXTESTPLUG.DLL", "1.2.3.4"},
      {"vxtestplug", "1.2.3.4"},
      {"vxtestplug_noversion.dll", "Unknown"},
      {"vxtestplug_badversion.dll", "Undefined"},
      {"vxmissingplug.dll", "Unknown"},
      {"../plugins/vxtestplug.dll", "Unknown"},
      {"", "Unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(vx::GetFileVersionString(c.module), c.text) << c.module;
  auto version = vx::GetFileVersionInfo("vxtestplug.dll");
  ASSERT_TRUE(version);
  EXPECT_EQ(*version, (vx::FileVersion{1, 2, 3, 4}));
  EXPECT_FALSE(vx::GetFileVersionInfo("vxtestplug_badversion.dll"));
  EXPECT_FALSE(vx::GetFileVersionInfo("vxmissingplug.dll"));
}

TEST_F(KernelFileVersion, PlatformVersionIsBuiltInUnlessOverridden) {
  auto builtIn = vx::GetFileVersionInfo("gdiplus.dll");
  ASSERT_TRUE(builtIn);
  EXPECT_EQ(builtIn->major, 6);
  EXPECT_EQ(vx::GetFileVersionString("GdiPlus.dll"), vx::FormatFileVersion(*builtIn));
  vx::OverridePlatformVersionForTesting("5.2.6002.22791");
  EXPECT_EQ(vx::GetFileVersionString("gdiplus.dll"), "5.2.6002.22791");
  EXPECT_EQ(vx::GetFileVersionInfo("gdiplus.dll")->major, 5);
  vx::OverridePlatformVersionForTesting("");
  EXPECT_EQ(vx::GetFileVersionInfo("gdiplus.dll"), builtIn);
}

TEST_F(KernelFileVersion, ParsesOnlyFourNumbersInRange) {
  EXPECT_EQ(vx::ParseFileVersion("65535.0.10.007"), (vx::FileVersion{65535, 0, 10, 7}));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.65536", "1..3.4", "1.2.3.4 ", " 1.2.3.4", "1.-2.3.4",
                          "1.+2.3.4", "a.b.c.d", "1.2.3.4x"}) {
    EXPECT_FALSE(vx::ParseFileVersion(bad)) << '"' << bad << '"';
  }
}

TEST_F(KernelFileVersion, LoadsOnceAndFindsExports) {
  vx::HMODULE first = vx::LoadLibrary("vxtestplug.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(vx::LoadLibrary("VxTestPlug.dll"), first);
  auto answer = reinterpret_cast<int (*)()>(vx::GetProcAddress(first, "VxTestPlugAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(vx::GetProcAddress(first, "NoSuchExport"), nullptr);
  EXPECT_EQ(vx::GetProcAddress(nullptr, "VxTestPlugAnswer"), nullptr);
  EXPECT_EQ(vx::LoadLibrary("vxmissingplug.dll"), nullptr);
  EXPECT_EQ(fs::path(vx::FindModulePath("vxtestplug.dll")),
            fs::path(VEXIRO_PLUGIN_DIR).lexically_normal() / "vxtestplug.so");
}

// Without a search path, a module lying beside the library is found.
TEST_F(KernelFileVersion, FindsModulesBesideTheLibrary) {
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&vx::FindModulePath), &info), 0);
  const fs::path libraryFolder = fs::path(info.dli_fname).parent_path();
  const std::string name = "vxtestplug_beside_" + std::to_string(getpid());
  const fs::path copy = libraryFolder / (name + ".so");
  std::error_code ec;
  fs::copy_file(fs::path(VEXIRO_PLUGIN_DIR) / "vxtestplug.so", copy, ec);
  if (ec) GTEST_SKIP() << "cannot write beside the library: " << ec.message();
  struct Remove {
    fs::path path;
    ~Remove() { fs::remove(path); }
  } remove{copy};
  ScopedEnv noPath("VEXIRO_PLUGIN_PATH", "");
  EXPECT_EQ(vx::GetFileVersionString(name + ".dll"), "1.2.3.4");
  EXPECT_EQ(fs::path(vx::FindModulePath("vxtestplug.dll")), fs::path(VEXIRO_PLUGIN_DIR).lexically_normal() / "vxtestplug.so")
      << "the build tree's plugins/ beside the library";
}

// The folders of VEXIRO_PLUGIN_PATH come first, in their order; after them the build's plugins/
// beside the library.
TEST_F(KernelFileVersion, SearchPathFoldersComeBeforeTheLibrarysOwn) {
  const fs::path scratch = fs::temp_directory_path() / ("search_path_" + std::to_string(getpid()));
  const fs::path empty = scratch / "empty";
  const fs::path own = scratch / "own";
  fs::create_directories(empty);
  fs::create_directories(own);
  struct Remove {
    fs::path path;
    ~Remove() { fs::remove_all(path); }
  } remove{scratch};
  fs::copy_file(fs::path(VEXIRO_PLUGIN_DIR) / "vxtestplug.so", own / "vxtestplug.so");
  const fs::path built = fs::path(VEXIRO_PLUGIN_DIR).lexically_normal() / "vxtestplug.so";
  const fs::path copied = (own / "vxtestplug.so").lexically_normal();
  struct Case {
    std::string path;
    fs::path found;
  } cases[] = {
      {"", built},
      {empty.string(), built},
      {own.string(), copied},
      {"/nonexistent-folder:" + empty.string() + ":" + own.string(), copied},
      {"::" + own.string() + ":", copied},
  };
  for (const Case& c : cases) {
    ScopedEnv path("VEXIRO_PLUGIN_PATH", c.path);
    EXPECT_EQ(fs::path(vx::FindModulePath("vxtestplug.dll")), c.found) << '"' << c.path << '"';
  }
}

TEST(KernelEnvironment, ReadsVariables) {
  ScopedEnv set("VEXIRO_TEST_VARIABLE", "value with spaces");
  EXPECT_EQ(vx::GetEnvironmentVariable("VEXIRO_TEST_VARIABLE"), "value with spaces");
  EXPECT_EQ(vx::GetEnvironmentVariable("VEXIRO_TEST_VARIABLE_NOT_SET"), "");
}

}  // namespace
