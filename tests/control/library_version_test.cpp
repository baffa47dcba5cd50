#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "vexiro/vexiro.h"

TEST(LibraryVersion, IsDottedTriple) {
  const std::string v = vexiro::LibraryVersion();
  EXPECT_EQ(std::count(v.begin(), v.end(), '.'), 2);
}
