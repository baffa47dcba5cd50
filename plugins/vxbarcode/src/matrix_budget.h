// The time one scan may take. Each search checks it between its steps and stops once it is
// spent, keeping what it found: no picture the engine accepts keeps a scan running without end.
#pragma once
#include <algorithm>
#include <chrono>

namespace vxbarcode {

class SearchBudget {
 public:
  explicit SearchBudget(std::chrono::milliseconds limit) : deadline_(std::chrono::steady_clock::now() + limit) {}
  bool Spent() const { return std::chrono::steady_clock::now() >= deadline_; }
  // For a pass over the rows of a picture: looks at the clock every few dozen rows only, a few
  // milliseconds of work on the widest picture.
  bool SpentByRow(int row) const { return row % kRowsAClockLook == 0 && Spent(); }
  // A share of what is left: at most `limit` from now.
  SearchBudget Within(std::chrono::milliseconds limit) const {
    return SearchBudget(std::min(deadline_, std::chrono::steady_clock::now() + limit));
  }

 private:
  static constexpr int kRowsAClockLook = 64;
  explicit SearchBudget(std::chrono::steady_clock::time_point deadline) : deadline_(deadline) {}
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace vxbarcode
