#include "engine/routines/random_generator.h"

#include <chrono>
#include <random>
#include <thread>

namespace vx::engine {
namespace {

std::mt19937& Generator() {
  thread_local std::mt19937 generator([] {
    std::random_device device;
    std::seed_seq seq{device(), device(),
                      static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
                      static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()))};
    return std::mt19937(seq);
  }());
  return generator;
}

}  // namespace

float RandomSingle() {
  const uint32_t k = Generator()() >> 8;  // 24 significant bits
  return static_cast<float>(k) * (1.0f / 16777216.0f);
}

void SeedRandomGenerator(uint32_t seed) { Generator().seed(seed); }

}  // namespace vx::engine
