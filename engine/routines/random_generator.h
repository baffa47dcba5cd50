// The thread's one pseudo-random generator. It is seeded once per thread, never from the clock
// again, so identifiers and temporary names do not repeat when drawn in quick succession.
#pragma once
#include <cstdint>

namespace vx::engine {

// A uniform value in [0, 1), a multiple of 2^-24 (the resolution of a single-precision draw).
float RandomSingle();
// Restarts this thread's generator from a fixed seed (tests use it for repeatable draws).
void SeedRandomGenerator(uint32_t seed);

}  // namespace vx::engine
