// An engine for the control's tests that implements every member of the table: each call is
// recorded with the engine that took it and the values it was given; by-reference parameters
// receive marker values, results a value of the member's type, and members named as failing
// raise a run-time error instead.
#pragma once
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "control/imaging_control.h"
#include "control/variant.h"

namespace vx::control::testing {

constexpr int32_t kFailureNumber = 53;
constexpr const char* kFailureDescription = "File not found";

struct RecordedCall {
  int engine = 0;  // which engine took it, from 1 in order of making
  std::string member;
  std::vector<Variant> args;  // the values given (references followed)
};

struct RecordingLog {
  int enginesMade = 0;
  std::vector<RecordedCall> calls;
  std::set<std::string> failing;  // members that raise the run-time error above
};

struct RecordingEngine {
  std::shared_ptr<RecordingLog> log;
  int serial = 0;
};

// What the recording engine gives a by-reference parameter and a result of each type.
Variant MarkerOf(const TypeDesc& type);
Variant ResultOf(const MemberDesc& member);

// Engines that record into `log`.
EngineClass RecordingEngineClass(std::shared_ptr<RecordingLog> log);

}  // namespace vx::control::testing
