// Without the format plug-in a GIF document can be built but not written as an animated GIF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "vexiro/imaging.h"

namespace {

TEST(GifDocumentWithoutPlugin, SavingAnswersPluginRequired) {
  auto engine = std::make_unique<vexiro::cImaging>();
  const int32_t image = engine->CreateNewImage(4, 4, 24);
  const int32_t doc = engine->GifCreateMultiPageFromVexiroImage(image);
  ASSERT_NE(doc, 0);
  const char* tmp = std::getenv("TMPDIR");
  const std::string out = std::string(tmp && *tmp ? tmp : "/tmp") + "/never.gif";
  EXPECT_EQ(engine->GifSaveMultiPageToFile(doc, out), vexiro::VximgplugDllRequired);
  EXPECT_EQ(engine->GetStat(), vexiro::VximgplugDllRequired);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
