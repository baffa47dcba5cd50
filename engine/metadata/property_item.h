// One property item copied out of an image: tag, type and value bytes. It is a snapshot and does
// not refer back to the image, so changing the image afterwards leaves it as it was.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vexiro/basic_array.h"

namespace vx::engine {

// Bytes per element of a tag type; 0 for a type without elements.
int32_t TagTypeElementSize(int32_t type);
// Elements a value of `length` bytes holds by its type (halves to even); 0 for unknown types.
int32_t TagTypeValueCount(int32_t type, int32_t length);

class cGDIPPropertyItem {
 public:
  int32_t ID() const { return id_; }
  // Address of the first value byte; 0 when the item has no value.
  intptr_t DataPtr() const;
  int32_t ItemType() const { return type_; }
  int32_t Length() const { return length_; }
  std::string name() const;
  int32_t ValueCount() const { return TagTypeValueCount(type_, length_); }
  // The k-th 32-bit little-endian value (1-based); 0 outside the value.
  int32_t ParseLong(int32_t k) const;
  // Copies value bytes into the array from its lower bound on, as many as both hold.
  void GetData(vexiro::BasicArray<uint8_t>& data) const;
  // The array becomes a 0-based copy of the value; left alone when there is none.
  void GetDataB(vexiro::BasicArray<uint8_t>& data) const;
  int32_t DataBufferSize() const { return ValueCount() * ElementDataSize(); }
  int32_t ElementDataSize() const { return TagTypeElementSize(type_); }

  // Fills the snapshot from a platform item held in a buffer of `bufferSize` bytes, whose first
  // 16 bytes are the item's header; only the bytes the buffer really holds are copied.
  void FromPropertyItem(int32_t tag, int32_t length, int32_t type, const void* value, int32_t bufferSize);

  const std::vector<uint8_t>& Value() const { return value_; }

 private:
  int32_t id_ = 0;
  int32_t length_ = 0;
  int32_t type_ = 0;
  std::vector<uint8_t> value_;
};

}  // namespace vx::engine
