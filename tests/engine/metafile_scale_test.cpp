// A metafile drawn at a scale: the bitmap it is drawn on obeys the limits of any picture, so a
// small metafile scaled far up is refused rather than drawn onto a bitmap beyond them.
#include <cstdlib>
#include <fstream>

#include "engine/engine_test_support.h"
#include "engine/load/loader.h"
#include "platform/metafile_test_builders.h"

namespace vx::engine {
namespace {

using namespace test_support;

TEST_F(EngineTest, MetafilesScaledBeyondThePictureLimitsAreRefused) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/scaled-" + std::to_string(::getpid()) + ".emf";
  // 1000 x 10 pixels: frame and bounds narrowed from the builder's square.
  std::vector<uint8_t> emf = metafile_test::EmfBuilder(1000).Finish();
  metafile_test::PutU32(emf, 20, 9);
  metafile_test::PutU32(emf, 36, 100);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(emf.data()), static_cast<std::streamsize>(emf.size()));
  const struct {
    float scale;
    int32_t width;  // 0 when refused
  } cases[] = {{0.5f, 500}, {70.0f, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    int32_t id = 0;
    const VexiroStatus s = LoadImageFromMetafile(id, path, c.scale);
    int32_t width = 0;
    if (s == vexiro::OK) GetImageWidth(id, width);
    EXPECT_EQ(width, c.width);
    if (id != 0) ReleaseImage(id);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vx::engine
