// The local time follows the zone the process is set to at the moment of the call.
#include "platform/kernel/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace vx {
namespace {

class ZoneSetting {
 public:
  explicit ZoneSetting(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
  }
  ~ZoneSetting() {
    if (saved_) setenv("TZ", saved_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(KernelLocalTime, TheOffsetIsThatOfTheZoneSetNow) {
  struct Case {
    const char* zone;
    int32_t offset;
  };
  for (const Case& c : {Case{"UTC0", 0}, Case{"<+0530>-5:30", 330}, Case{"<-03>3", -180}}) {
    ZoneSetting zone(c.zone);
    const std::time_t before = std::time(nullptr);
    const LocalTimeNow now = GetLocalTimeNow();
    EXPECT_EQ(now.utcOffsetMinutes, c.offset) << c.zone;
    // The wall clock less the offset is UTC, within the second or two the call may straddle.
    std::tm utc{};
    utc.tm_year = now.year - 1900;
    utc.tm_mon = now.month - 1;
    utc.tm_mday = now.day;
    utc.tm_hour = now.hour;
    utc.tm_min = now.minute - now.utcOffsetMinutes;
    utc.tm_sec = now.second;
    const std::time_t back = timegm(&utc);
    EXPECT_GE(back, before) << c.zone;
    EXPECT_LE(back, before + 2) << c.zone;
  }
}

}  // namespace
}  // namespace vx
