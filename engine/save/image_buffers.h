// The reduced copy the engine's own writers may work from, and its guard. The palette and pixel
// reads they take come from the image access layer.
#pragma once
#include <cstdint>

#include "engine/image_access.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

// Releases an image of the store when it goes out of scope (identifier 0: nothing).
class ScopedImage {
 public:
  ScopedImage() = default;
  explicit ScopedImage(int32_t id) : id_(id) {}
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;
  ~ScopedImage();
  int32_t* put() { return &id_; }
  int32_t get() const { return id_; }

 private:
  int32_t id_ = 0;
};

// The own writers hold at most 8 bits per pixel: a deeper image is first reduced by the octree
// quantiser to an 8-bit copy with an adaptive palette of 256 colours, which `reduced` owns.
VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced);

}  // namespace vx::engine
