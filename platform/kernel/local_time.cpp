#include "platform/kernel/local_time.h"

#include <time.h>

namespace vx {

LocalTimeNow GetLocalTimeNow() {
  tzset();  // the zone as it is set now, not as it was at the first call
  const time_t now = time(nullptr);
  struct tm local {};
  LocalTimeNow t;
  if (localtime_r(&now, &local) == nullptr) return t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.utcOffsetMinutes = static_cast<int32_t>(local.tm_gmtoff / 60);
  return t;
}

}  // namespace vx
