#include "engine/thread_state.h"

namespace vx::engine {
namespace {

// Trivially destructible, so it stays readable while the thread's other objects are torn down.
thread_local bool t_stateEnded = false;

}  // namespace

void MarkThreadStateEnded() { t_stateEnded = true; }
bool ThreadStateEnded() { return t_stateEnded; }

}  // namespace vx::engine
