// 32-bit handles for objects the plug-in owns. Numbers grow and are not handed out twice while
// the plug-in is loaded, so a stale handle finds nothing instead of someone else's object.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vximgplug {

template <class T>
class HandleTable {
 public:
  uint32_t Add(std::unique_ptr<T> object) {
    if (!object) return 0;
    std::lock_guard lock(mutex_);
    do {
      ++last_;
    } while (last_ == 0 || objects_.count(last_) != 0);
    objects_.emplace(last_, std::move(object));
    return last_;
  }

  // The object stays owned by the table; callers use it within the call that looked it up.
  T* Find(uint32_t handle) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  std::unique_ptr<T> Take(uint32_t handle) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::unique_ptr<T>> objects_;
  uint32_t last_ = 0;
};

}  // namespace vximgplug
