// Without the reader plug-ins on the search path: each scan says which file is missing, answers
// its reader's status and keeps the results it had; the script host reaches the same members,
// and with the plug-ins given back reads a real symbol.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "engine/load/from_memory.h"
#include "platform/kernel/environment.h"
#include "platform/user/user.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace {

namespace fs = std::filesystem;

TEST(BarcodePluginsAbsent, EachScanNamesItsMissingFileAndAnswersItsStatus) {
  ASSERT_EQ(vx::FindModulePath("vxbarcode.1dreader.dll"), "") << "this suite runs with an empty plug-in folder";
  std::vector<std::string> messages;
  vx::SetMessageBoxSink([&](const std::string& text, const std::string& title, vx::UINT) {
    messages.push_back(title + ": " + text);
    return vx::IDOK;
  });
  {
    vexiro::cImaging engine;
    const int32_t id = engine.CreateNewImage(20, 20);
    ASSERT_NE(id, 0);
    EXPECT_EQ(engine.Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::BarcodeReader1DPluginNotLoaded);
    EXPECT_EQ(engine.BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::BarcodeReaderDataMatrixPluginNotLoaded);
    EXPECT_EQ(engine.GetStat(), vexiro::OK) << "the region's size was read";
    EXPECT_EQ(engine.Barcode1DReaderGetBarcodeCount(), 0);
    EXPECT_EQ(engine.Barcode1DReaderGetBarcodeValue(1), "");
    EXPECT_EQ(messages, (std::vector<std::string>{"Error: Can't found vxbarcode.1dreader.dll file.",
                                                  "Error: Can't found vxbarcode.dmreader.dll file."}));
    engine.CloseImage(id);
  }
  vx::SetMessageBoxSink(nullptr);
}

std::string LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&vx::FindModulePath), &info) == 0 || info.dli_fname == nullptr) return "";
  return fs::path(info.dli_fname).parent_path().string();
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string RunHost(const fs::path& folder, const std::string& pluginPath, const std::string& script) {
  std::ofstream(folder / "scan.vxs") << script;
  const std::string command = "cd '" + folder.string() + "' && LD_LIBRARY_PATH='" + LibraryFolder() +
                              "' VEXIRO_PLUGIN_PATH='" + pluginPath + "' '" VEXIRO_HOST_PATH
                              "' scan.vxs >out.txt 2>err.txt";
  EXPECT_EQ(std::system(command.c_str()), 0) << command << "\n" << ReadAll(folder / "err.txt");
  return ReadAll(folder / "out.txt");
}

TEST(BarcodePluginsAbsent, ScriptHostScansWithAndWithoutThePlugins) {
  VX_REQUIRE_TOOL("zint");
  const fs::path folder = fs::temp_directory_path() / ("barcode_host_" + std::to_string(getpid()));
  fs::create_directories(folder);
  struct Remove {
    fs::path path;
    ~Remove() { fs::remove_all(path); }
  } remove{folder};
  ASSERT_EQ(std::system(("zint -b 20 -d 'Script-128' -o '" + (folder / "symbol.png").string() + "' >/dev/null").c_str()),
            0);
  const std::string script =
      "id = CreateImageFromFile(\"symbol.png\")\n"
      "print Barcode1DReaderDoScan(1), Barcode1DReaderGetBarcodeCount()\n"
      "If Barcode1DReaderGetBarcodeCount() > 0 Then\n"
      "  print Barcode1DReaderGetBarcodeValue(1), Barcode1DReaderGetBarcodeType(1), "
      "Barcode1DReaderBarcodeHasChecksum(1)\n"
      "End If\n";
  EXPECT_EQ(RunHost(folder, vx::GetEnvironmentVariable("VEXIRO_PLUGIN_PATH"), script), "600 0\n");
  EXPECT_EQ(RunHost(folder, VEXIRO_PLUGIN_DIR, script), "0 1\nScript-128 4096 True\n");
}

}  // namespace
