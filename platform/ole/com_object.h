// Reference counting shared by the platform's COM objects.
#pragma once
#include <atomic>

#include "platform/kernel/win_types.h"

namespace vx::ole {

// Implements AddRef and Release of an interface; the object deletes itself with its last reference.
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  RefCounted() = default;
  ~RefCounted() override = default;

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace vx::ole
