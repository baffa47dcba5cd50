// The host's memory for the rows of a picture the helper decoded, for as long as the bitmap over
// it lives. Memory of pictures let go is kept, within bounds, for the next pictures of about its
// size: a fresh page costs a fault and a clearing at its first touch (on a virtual machine with
// shadow page tables, far more than copying the page), and giving pages back in a host loading on
// many threads takes the address-space lock and interrupts every core the host runs on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vximgplug {

class OwnedPixels {
 public:
  // At least `bytes`, in pages not yet touched or holding an earlier picture's rows; nullptr when
  // the system has no memory to give.
  static std::unique_ptr<OwnedPixels> Allocate(size_t bytes);
  OwnedPixels(OwnedPixels&& other) noexcept : address_(other.address_), size_(other.size_) { other.address_ = nullptr; }
  OwnedPixels(const OwnedPixels&) = delete;
  OwnedPixels& operator=(const OwnedPixels&) = delete;
  OwnedPixels& operator=(OwnedPixels&&) = delete;
  ~OwnedPixels();
  uint8_t* bits() const { return static_cast<uint8_t*>(address_); }

 private:
  OwnedPixels(void* address, size_t size) : address_(address), size_(size) {}
  void* address_;
  size_t size_;
};

}  // namespace vximgplug
