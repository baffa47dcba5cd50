// The format plug-in's TIFF writes leave libtiff's process-wide tag extender to the host: a host
// that set its own before the library's first save, and one that set none, find only theirs (and
// libfreeimage's) afterwards (tests/hosts/tiff_extender_host.cpp), while the files written still
// have the strips of the rule every TIFF writer shares, as tiffinfo reads them; a plug-in whose
// helper cannot start still saves, with libtiff's default strips. The picture is drawn by
// ImageMagick.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"
#include "support/child_processes.h"
#include "support/required_tool.h"

namespace vxtest {
namespace {

constexpr auto kHostDeadline = std::chrono::seconds(120);

// The exit status of the host run with `arguments` and its plug-ins from `pluginFolder`, -1 when
// it hung or died of a signal.
int RunExtenderHost(const std::vector<std::string>& arguments, const std::string& pluginFolder) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("VEXIRO_PLUGIN_PATH", pluginFolder.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(VEXIRO_TIFF_EXTENDER_HOST_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (!AwaitChild(pid, kHostDeadline, status)) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Rows per strip of every directory of the file, as tiffinfo prints them.
std::vector<std::string> RowsPerStripByTiffinfo(const std::string& path) {
  std::vector<std::string> rows;
  FILE* pipe = popen(("tiffinfo '" + path + "' 2>/dev/null").c_str(), "r");
  if (!pipe) return rows;
  char line[512];
  const std::string key = "Rows/Strip: ";
  while (std::fgets(line, sizeof line, pipe)) {
    const std::string text(line);
    const size_t at = text.find(key);
    if (at != std::string::npos) rows.push_back(text.substr(at + key.size(), text.find_first_of(" \n", at + key.size()) - at - key.size()));
  }
  pclose(pipe);
  return rows;
}

TEST(TiffExtenderHost, PluginSavesLeaveTheHostsExtenderAndKeepTheRulesStrips) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("tiffinfo");
  VX_REQUIRE_TOOL("compare");
  const std::filesystem::path folder = std::filesystem::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") /
                                       ("tiff-extender-host-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string picture = (folder / "page.png").string();
  ASSERT_EQ(std::system(("convert -size 1700x2200 plasma:fractal -seed 3 PNG24:'" + picture + "' 2>/dev/null").c_str()), 0);
  const std::string rule = std::to_string(vx::tiff::RowsPerStrip(vx::tiff::StoredRowBytes(1700, 24), 2200));
  ASSERT_NE(rule, "2200") << "the page should need several strips";
  // Beside a plug-in reached through a folder of its own, no helper program: it cannot start one.
  const std::filesystem::path lone = folder / "lone";
  std::filesystem::create_directories(lone);
  const std::filesystem::path plugin = VEXIRO_VXIMGPLUG_PATH;
  std::filesystem::create_symlink(plugin, lone / "vximgplug.so");
  const struct {
    const char* kind;
    std::filesystem::path plugin;
    std::string rows;
  } cases[] = {{"own", plugin, rule}, {"none", plugin, rule}, {"own", lone / "vximgplug.so", "1"}};
  std::vector<std::string> written;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " " + c.plugin.string());
    const std::string single = (folder / ("single-" + std::to_string(written.size()) + ".tif")).string();
    const std::string multi = (folder / "pages.tif").string();
    std::filesystem::remove(multi);
    EXPECT_EQ(RunExtenderHost({c.kind, c.plugin.string(), picture, single, multi}, c.plugin.parent_path().string()), 0);
    EXPECT_EQ(RowsPerStripByTiffinfo(single), std::vector<std::string>{c.rows});
    EXPECT_EQ(RowsPerStripByTiffinfo(multi), (std::vector<std::string>{c.rows, c.rows}));
    written.push_back(single);
  }
  // Saved in the host or in the helper, the page is the same.
  const std::string command = "compare -metric AE '" + written.front() + "' '" + written.back() + "' null: 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  char answer[64] = {};
  const bool read = pipe && std::fgets(answer, sizeof answer, pipe) != nullptr;
  if (pipe) pclose(pipe);
  EXPECT_TRUE(read && std::string(answer) == "0") << answer;
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vxtest
