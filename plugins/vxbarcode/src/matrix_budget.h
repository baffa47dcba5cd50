// The time one scan may take. Each search checks it between its steps and stops once it is
// spent, keeping what it found: no picture the engine accepts keeps a scan running without end.
// The time is the scanning thread's own processor time, so that a picture gives the same symbols
// on a busy machine as on an idle one; a bound on the time on the clock, a few times larger,
// still ends a scan whose thread the machine hardly runs.
#pragma once
#include <algorithm>
#include <chrono>

#include "scan_clock.h"

namespace vxbarcode {

class SearchBudget {
 public:
  using Clock = ScanStart::Clock;

  SearchBudget(const ScanStart& from, std::chrono::milliseconds work, std::chrono::milliseconds onTheClock)
      : workEnd_(from.thread + work), clockEnd_(from.clock + onTheClock) {}
  bool Spent() const { return ThreadTime() >= workEnd_ || Clock::now() >= clockEnd_; }
  // For a pass over the rows of a picture: looks at the clocks every few dozen rows only, a few
  // milliseconds of work on the widest picture.
  bool SpentByRow(int row) const { return row % kRowsAClockLook == 0 && Spent(); }
  // A share of what is left: at most `limit` of work, and as many times that on the clock as the
  // whole budget allows.
  SearchBudget Within(std::chrono::milliseconds limit) const {
    return SearchBudget(std::min(workEnd_, ThreadTime() + limit),
                        std::min(clockEnd_, Clock::now() + limit * kClockOverWork));
  }

 private:
  static constexpr int kRowsAClockLook = 64;
  static constexpr int kClockOverWork = 4;

  SearchBudget(std::chrono::nanoseconds workEnd, Clock::time_point clockEnd) : workEnd_(workEnd), clockEnd_(clockEnd) {}
  static std::chrono::nanoseconds ThreadTime() { return ScanStart::ThreadTime(); }

  std::chrono::nanoseconds workEnd_;
  Clock::time_point clockEnd_;
};

}  // namespace vxbarcode
