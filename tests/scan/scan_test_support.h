// Helpers of the scanning tests: a private SANE configuration naming only the `test` backend, an
// engine whose TWAIN session starts closed, and PNM pictures as scanimage writes them.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vxtest::scan {

namespace fs = std::filesystem;

inline fs::path TempRoot() {
  const char* tmp = std::getenv("TMPDIR");
  return fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
}

// A folder of its own in TMPDIR, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (TempRoot() / "scanXXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline void WriteText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// The suite's SANE configuration folder. SANE reads SANE_CONFIG_DIR once per process, so one
// folder serves every test; its test.conf is rewritten before each sane_init reads it.
inline const ScratchFolder& SuiteSaneFolder() {
  static ScratchFolder folder;  // removed when the suite ends
  static const bool named = [] {
    WriteText(folder.path() / "dll.conf", "test\n");
    return setenv("SANE_CONFIG_DIR", folder.path().c_str(), 1) == 0;
  }();
  (void)named;
  return folder;
}

// SANE's test backend with two devices and a bed of 300 mm, plus `extra` lines of test.conf. The
// backend stays loaded between tests and keeps what an earlier test.conf set, so every option a
// test varies is named here with its default.
class SaneTestConfig {
 public:
  explicit SaneTestConfig(const std::string& extra = "") {
    WriteText(SuiteSaneFolder().path() / "test.conf",
              "number_of_devices 2\nmode Color\ntest-picture \"Color pattern\"\ngeometry_max 300\n"
              "br_x 210\nbr_y 297\nhand-scanner false\nthree-pass false\nread-status-code Default\n" + extra);
  }
  std::string dir() const { return SuiteSaneFolder().path().string(); }
};

// TWAIN codes the tests use.
constexpr int32_t kCapUnits = 0x0102, kCapFeederEnabled = 0x1002, kCapFeederLoaded = 0x1003,
                  kCapXResolution = 0x1118, kCapPixelType = 0x0101, kCapBitDepth = 0x112B,
                  kCapSupportedSizes = 0x1122, kTwtyUint16 = 4, kTwtyBool = 6, kTwtyFix32 = 7,
                  kUnitsMm = 6, kPaperA5 = 5;

// Brings the plug-in's session back to its start, whatever state a test left it in.
inline void ResetSession(vexiro::cImaging& engine) {
  engine.TwainEndAllXfers();
  engine.TwainCloseSource();
  engine.TwainCloseSourceManager();
  engine.TwainUnloadSourceManager();
  engine.TwainDisableAutoSourceClose(false);
}

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<vexiro::cImaging>();
    ResetSession(*engine_);
  }
  void TearDown() override {
    ResetSession(*engine_);
    engine_.reset();
  }
  // Opens test:0 with millimetres as units.
  void OpenTestSource(const char* name = "test:0") {
    ASSERT_TRUE(engine_->TwainOpenSource(name));
    ASSERT_TRUE(engine_->TwainSetCapCurrentNumeric(kCapUnits, kTwtyUint16, kUnitsMm));
  }
  std::unique_ptr<vexiro::cImaging> engine_;
};

// A PNM picture: P4 (1 = black), P5 or P6, samples of 8 or 16 bits (big-endian in the file).
struct Pnm {
  int kind = 0;
  int width = 0, height = 0, maxval = 1;
  std::vector<uint8_t> data;
};

inline bool ReadPnm(const std::string& path, Pnm& pnm) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  in >> magic;
  if (magic.size() != 2 || magic[0] != 'P') return false;
  pnm.kind = magic[1] - '0';
  auto next = [&in] {
    in >> std::ws;
    while (in.peek() == '#') {
      std::string comment;
      std::getline(in, comment);
      in >> std::ws;
    }
    int value = 0;
    in >> value;
    return value;
  };
  pnm.width = next();
  pnm.height = next();
  if (pnm.kind != 4) pnm.maxval = next();
  in.get();
  pnm.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return pnm.width > 0 && pnm.height > 0;
}

// scanimage on test:0 with the configuration given. The test backend's reader thread, cancelled
// at the end of a scan while it holds the C library's allocator lock, can hang scanimage itself
// for ever; a run is therefore bounded, and one that hung is tried again.
inline std::string ScanimageCommand(const SaneTestConfig& config, const std::string& arguments) {
  return "SANE_CONFIG_DIR='" + config.dir() + "' timeout -k 2 20 scanimage -d test:0 " + arguments;
}

inline bool RunScanimage(const SaneTestConfig& config, const std::string& arguments) {
  const std::string command = ScanimageCommand(config, arguments);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int status = std::system(command.c_str());
    if (status == 0) return true;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code != 124 && code != 137) return false;  // not a hang
  }
  return false;
}

// scanimage's picture of test:0 with the configuration and the options given.
inline bool ScanimagePicture(const SaneTestConfig& config, const std::string& options, const std::string& out,
                             Pnm& pnm) {
  if (!RunScanimage(config, "--format=pnm " + options + " > '" + out + "' 2>/dev/null")) return false;
  const bool read = ReadPnm(out, pnm);
  std::remove(out.c_str());
  return read;
}

inline std::string CommandOutput(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    pclose(pipe);
  }
  return output;
}

}  // namespace vxtest::scan
