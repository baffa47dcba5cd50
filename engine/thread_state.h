// The end of a thread's library state. The image store and the platform state of a thread are
// thread-local objects; an engine that outlives them (one held in a global or in another
// thread-local, destroyed after them when the thread or the program ends) must find them gone
// rather than touch destroyed objects.
#pragma once

namespace vx::engine {

void MarkThreadStateEnded();
bool ThreadStateEnded();

}  // namespace vx::engine
