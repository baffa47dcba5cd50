// Calls a test expects a member to refuse before it does anything: each runs on a fresh current
// image, must answer its refusal and leave InvalidParameter as the last status, and `unchanged`
// then checks what the call must not have touched.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "vexiro/imaging.h"

namespace vxtest {

struct RefusedCall {
  const char* what;
  std::function<int64_t()> call;
  int64_t refused;  // what the member answers for a refused call: InvalidParameter, 0, False
};

inline void ExpectRefused(vexiro::cImaging& engine, const std::vector<RefusedCall>& calls,
                          const std::function<void()>& unchanged) {
  for (const RefusedCall& c : calls) {
    SCOPED_TRACE(c.what);
    const int32_t id = engine.CreateNewImage(40, 30);
    ASSERT_NE(id, 0);
    EXPECT_EQ(c.call(), c.refused);
    EXPECT_EQ(engine.GetStat(), vexiro::InvalidParameter);
    unchanged();
    engine.CloseImage(id);
  }
}

}  // namespace vxtest
