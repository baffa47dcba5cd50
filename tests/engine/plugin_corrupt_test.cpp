// Damaged files of every plug-in format: cut short, overwritten after the header, or a header
// alone. Each load ends with a status; whatever loads is a whole image.
#include <filesystem>
#include <fstream>

#include "plugin_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace plugin_test;

constexpr const char* kPicture = "-size 16x12 gradient:red-blue -depth 8";

const char* const kFixtures[][2] = {
    {"a.ico", ""},       {"a.jpg", ""},    {"a.jng", ""},      {"a.pbm", "-monochrome"}, {"a.pcx", ""},
    {"a.pgm", ""},       {"a.png", ""},    {"a.ppm", ""},      {"a.ras", ""},           {"a.tga", ""},
    {"a.tif", ""},       {"a.wbmp", ""},   {"a.psd", ""},      {"a.xbm", ""},           {"a.xpm", "-colors 8"},
    {"a.dds", ""},       {"a.hdr", ""},    {"a.sgi", ""},      {"a.exr", ""},           {"a.j2k", ""},
    {"a.jp2", ""},       {"a.pfm", ""},    {"a.jbg", "-monochrome"}, {"a.gif", ""},    {"a.mng", ""},
};

std::vector<uint8_t> ReadAll(const std::string& path) { return vximgplug_test::ReadBytes(path); }

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// The damaged variants of one file's bytes.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Damaged(const std::vector<uint8_t>& good) {
  std::vector<uint8_t> half(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  std::vector<uint8_t> scrambled = good;
  for (size_t i = std::min<size_t>(16, good.size()); i < scrambled.size(); ++i) scrambled[i] ^= 0x5A;
  std::vector<uint8_t> header(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(12, good.size())));
  std::vector<uint8_t> huge = good;  // dimensions in the first bytes blown up where a header keeps them
  for (size_t i = 4; i < std::min<size_t>(24, huge.size()); ++i) huge[i] = 0xFF;
  return {{"half", half}, {"scrambled", scrambled}, {"header", header}, {"huge", huge}};
}

class PluginCorruptFiles : public PluginBridgeTest {};

TEST_F(PluginCorruptFiles, EveryFormatAnswersWithAStatus) {
  VX_REQUIRE_TOOL("convert");
  for (const auto& [file, options] : kFixtures) {
    const std::string good = MakeFixture(folder_, file, std::string(kPicture) + " " + options + " {}");
    const std::vector<uint8_t> bytes = ReadAll(good);
    ASSERT_FALSE(bytes.empty()) << file;
    for (const auto& [how, damaged] : Damaged(bytes)) {
      const std::string path = folder_ / (how + "_" + file);
      WriteAll(path, damaged);
      int32_t id = 0, format = 0;
      const VexiroStatus status = LoadThroughBridge(path, id, format);
      if (status == vexiro::OK) {
        int32_t width = 0, height = 0;
        GetImageWidth(id, width);
        GetImageHeight(id, height);
        EXPECT_GT(width, 0) << how << " " << file;
        EXPECT_GT(height, 0) << how << " " << file;
        PixelAt(id, width - 1, height - 1);  // the whole picture is readable
        ReleaseImage(id);
      } else {
        EXPECT_EQ(id, 0) << how << " " << file;
      }
      std::filesystem::remove(path);
    }
  }
}

}  // namespace
}  // namespace vx::engine
