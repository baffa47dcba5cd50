// The script host over a library with no format plug-in anywhere it looks: a TGA, which only the
// plug-in reads, still loads with status 9, but the host says first which plug-in is missing and
// where it looked. With the plug-in on VEXIRO_PLUGIN_PATH the same script loads it, and the host
// says nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/kernel/environment.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAndRemove(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  fs::remove(file);
  return text.str();
}

// A 2x1 uncompressed true-colour TGA: no other decoder of the library reads TGA.
void WriteTga(const fs::path& file) {
  const unsigned char bytes[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0,
                                 0, 0, 255, 0, 255, 0};
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The folder of the library this suite loaded: it lies there alone, without plugins/ beside it.
std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&vx::FindModulePath), &info) == 0 || info.dli_fname == nullptr) return "";
  return fs::path(info.dli_fname).parent_path().string();
}

struct HostRun {
  std::string out, err;
};

HostRun RunHostOverTheLoneLibrary(const fs::path& folder, const std::string& pluginPath) {
  const std::string command = "cd '" + folder.string() + "' && LD_LIBRARY_PATH='" + LibraryFolder() +
                              "' VEXIRO_PLUGIN_PATH='" + pluginPath + "' '" VEXIRO_HOST_PATH
                              "' -e 'id = CreateImageFromFile(\"red.tga\")' -e 'print GetStat()' >out.txt 2>err.txt";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return {ReadAndRemove(folder / "out.txt"), ReadAndRemove(folder / "err.txt")};
}

TEST(HostWithoutThePlugin, SaysWhichPluginIsMissingAndWhereItLooked) {
  const fs::path folder = fs::temp_directory_path() / ("host_hint_" + std::to_string(getpid()));
  fs::create_directories(folder);
  struct Remove {
    fs::path path;
    ~Remove() { fs::remove_all(path); }
  } remove{folder};
  WriteTga(folder / "red.tga");
  const std::string emptyFolder = vx::GetEnvironmentVariable("VEXIRO_PLUGIN_PATH");
  ASSERT_FALSE(emptyFolder.empty());

  const HostRun missing = RunHostOverTheLoneLibrary(folder, emptyFolder);
  EXPECT_EQ(missing.out, "9\n");
  for (const std::string& said : {std::string("vximgplug.so"), emptyFolder, LibraryFolder() + "/plugins",
                                  std::string("status 9 (Aborted)"), std::string("VEXIRO_PLUGIN_PATH")}) {
    EXPECT_NE(missing.err.find(said), std::string::npos) << said << " not in: " << missing.err;
  }

  const HostRun present = RunHostOverTheLoneLibrary(folder, VEXIRO_PLUGIN_DIR);
  EXPECT_EQ(present.out, "0\n");
  EXPECT_EQ(present.err, "");
}

}  // namespace
