// Where a run-time error stops on its way out of a member: a C++ host gets the member's failure
// result and status instead of an exception, and the error itself is kept on the engine for the
// dispatch layer, which raises it to a script host as the run-time error it was.
#pragma once
#include <exception>
#include <type_traits>
#include <utility>

#include "vexiro/imaging.h"

// A member answering a status answers the error's; one without a result only leaves it.
template <class Result, class Work>
Result vexiro::cImaging::AnswerRuntimeErrors(Result failed, Work&& work) {
  try {
    return std::forward<Work>(work)();
  } catch (...) {
    KeepRuntimeError();
    if constexpr (std::is_same_v<Result, VexiroStatus>) return nStat;
    else return failed;
  }
}
