// Fontconfig and cairo keep their font caches behind encoded offsets that the leak checker cannot
// follow. A suite that draws, measures or lays out text includes this header: the platform's
// release hands the caches back once, when the run ends and no text can follow.
#pragma once
#include <gtest/gtest.h>

#include "platform/gdi/font_caches.h"

namespace vxtest {

class FontCacheRelease : public ::testing::Environment {
 public:
  void TearDown() override { vx::gdi::ReleaseFontCaches(); }
};

// One registration per test program, however many of its files include this header.
inline ::testing::Environment* const g_fontCacheRelease = ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

}  // namespace vxtest
