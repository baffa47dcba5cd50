// The wall-clock time of the machine's time zone, with that zone's distance from UTC at the same
// instant (GetLocalTime and the bias GetTimeZoneInformation gives, read together).
#pragma once
#include <cstdint>

namespace vx {

struct LocalTimeNow {
  int32_t year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int32_t utcOffsetMinutes = 0;  // east of UTC positive, daylight saving included
};

LocalTimeNow GetLocalTimeNow();

}  // namespace vx
