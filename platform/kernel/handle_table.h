// A thread-safe table that hands out 32-bit handles for objects that cross the library's interface.
//
// Each table owns one handle kind, kept in the top byte of its handles, so a handle of one kind
// (a bitmap, say) never finds an object in another table (global memory) by accident. Within a
// kind, handles count up and wrap around, skipping 0 and live handles, so a handle just released
// is not handed out again until the 24-bit range has been walked through.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/kernel/win_types.h"

namespace vx {

// The kinds of handle the platform layer hands out. The values stay below 0x80 so that every
// handle is a positive 32-bit signed value, as script hosts see it.
enum class HandleKind : uint8_t {
  GlobalMemory = 0x01,
  Stream = 0x02,
  GdiObject = 0x03,
  DeviceContext = 0x04,
  Icon = 0x05,
  Picture = 0x06,
  Internet = 0x07,
  Window = 0x08,
  Metafile = 0x09,
  Printer = 0x0A,
  GdiplusImage = 0x0B,
  Other = 0x0F,
};

constexpr unsigned kHandleKindShift = 24;
constexpr HANDLE32 kHandleSequenceMask = (HANDLE32{1} << kHandleKindShift) - 1;

inline HandleKind KindOfHandle(HANDLE32 handle) {
  return static_cast<HandleKind>(handle >> kHandleKindShift);
}

template <class T>
class HandleTable {
 public:
  explicit HandleTable(HandleKind kind) : kind_(kind) {}
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // Stores the object and returns its new handle, or 0 when the table is full or the object null.
  HANDLE32 Insert(std::shared_ptr<T> object) {
    if (!object) return 0;
    std::lock_guard lock(mutex_);
    if (objects_.size() >= kHandleSequenceMask) return 0;
    HANDLE32 handle;
    do {
      next_ = (next_ & kHandleSequenceMask) + 1;
      if (next_ > kHandleSequenceMask) next_ = 1;
      handle = MakeHandle(next_);
    } while (objects_.count(handle) != 0);
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  HANDLE32 Insert(T value) { return Insert(std::make_shared<T>(std::move(value))); }

  // The object of a live handle, or null. The object stays alive while the caller holds it,
  // even if another thread removes the handle meanwhile.
  std::shared_ptr<T> Find(HANDLE32 handle) const {
    if (!IsOwnKind(handle)) return nullptr;
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second;
  }

  bool Contains(HANDLE32 handle) const { return Find(handle) != nullptr; }

  // Takes the handle out of the table and gives its object back (null for an unknown handle).
  std::shared_ptr<T> Remove(HANDLE32 handle) {
    if (!IsOwnKind(handle)) return nullptr;
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::shared_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  size_t Size() const {
    std::lock_guard lock(mutex_);
    return objects_.size();
  }

  // The live handles, in no particular order.
  std::vector<HANDLE32> Handles() const {
    std::lock_guard lock(mutex_);
    std::vector<HANDLE32> handles;
    handles.reserve(objects_.size());
    for (const auto& entry : objects_) handles.push_back(entry.first);
    return handles;
  }

  HandleKind Kind() const { return kind_; }

 private:
  HANDLE32 MakeHandle(HANDLE32 sequence) const {
    return (static_cast<HANDLE32>(kind_) << kHandleKindShift) | sequence;
  }
  bool IsOwnKind(HANDLE32 handle) const { return handle != 0 && KindOfHandle(handle) == kind_; }

  const HandleKind kind_;
  mutable std::mutex mutex_;
  HANDLE32 next_ = 0;
  std::unordered_map<HANDLE32, std::shared_ptr<T>> objects_;
};

}  // namespace vx
