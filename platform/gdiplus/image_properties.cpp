// Property items of the active frame. Items are handed out as the platform does: PropertyItem
// headers first, each value laid after the headers in the caller's buffer, with `value`
// pointing there.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_handle.h"
#include "platform/gdiplus/property_budget.h"
#include "platform/input_limits.h"

namespace vx::gdiplus {

namespace {

Status PropertiesOf(GpImage* image, std::vector<PropertyRecord>*& out) {
  GpBitmap* bitmap = nullptr;
  if (Status s = ResolveBitmap(image, bitmap); s != Ok) return s;
  out = &bitmap->current().properties;
  return Ok;
}

std::vector<PropertyRecord>::iterator FindIn(std::vector<PropertyRecord>& items, PROPID id) {
  return std::find_if(items.begin(), items.end(), [id](const PropertyRecord& r) { return r.id == id; });
}

const PropertyRecord* Find(std::vector<PropertyRecord>& items, PROPID id) {
  auto it = FindIn(items, id);
  return it == items.end() ? nullptr : &*it;
}

size_t ValueBytes(const std::vector<PropertyRecord>& items) {
  size_t total = 0;
  for (const PropertyRecord& r : items) total += r.value.size();
  return total;
}

// What an item costs against the budget: its header as the queries hand it out, and its value.
uint64_t ItemCost(uint64_t valueBytes) { return sizeof(PropertyItem) + valueBytes; }

UINT ItemBytes(const PropertyRecord& r) { return static_cast<UINT>(sizeof(PropertyItem) + r.value.size()); }

// Writes the header and points it at `valueSpace`, where the value bytes are copied.
void WriteItem(const PropertyRecord& r, PropertyItem& header, uint8_t* valueSpace) {
  header.id = r.id;
  header.length = static_cast<ULONG>(r.value.size());
  header.type = r.type;
  header.value = r.value.empty() ? nullptr : valueSpace;
  if (!r.value.empty()) std::memcpy(valueSpace, r.value.data(), r.value.size());
}

}  // namespace

void KeepPropertiesWithinBudget(std::vector<PropertyRecord>& items) {
  uint64_t spent = 0;
  size_t kept = 0;
  for (; kept < items.size() && kept < limits::kMaxPropertyItems; ++kept) {
    const uint64_t cost = ItemCost(items[kept].value.size());
    if (cost > limits::kMaxPropertyBytes - spent) break;
    spent += cost;
  }
  items.resize(kept);
}

Status GdipGetPropertyCount(GpImage* image, UINT* numOfProperty) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (!numOfProperty) return InvalidParameter;
  *numOfProperty = static_cast<UINT>(items->size());
  return Ok;
}

Status GdipGetPropertyIdList(GpImage* image, UINT numOfProperty, PROPID* list) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (numOfProperty != items->size() || (numOfProperty > 0 && !list)) return InvalidParameter;
  for (size_t i = 0; i < items->size(); ++i) list[i] = (*items)[i].id;
  return Ok;
}

Status GdipGetPropertyItemSize(GpImage* image, PROPID propId, UINT* size) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (!size) return InvalidParameter;
  const PropertyRecord* r = Find(*items, propId);
  if (!r) return PropertyNotFound;
  *size = ItemBytes(*r);
  return Ok;
}

Status GdipGetPropertyItem(GpImage* image, PROPID propId, UINT propSize, PropertyItem* buffer) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (!buffer) return InvalidParameter;
  const PropertyRecord* r = Find(*items, propId);
  if (!r) return PropertyNotFound;
  if (propSize < ItemBytes(*r)) return InvalidParameter;
  WriteItem(*r, *buffer, reinterpret_cast<uint8_t*>(buffer + 1));
  return Ok;
}

Status GdipGetPropertySize(GpImage* image, UINT* totalBufferSize, UINT* numProperties) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (!totalBufferSize || !numProperties) return InvalidParameter;
  *numProperties = static_cast<UINT>(items->size());
  *totalBufferSize = static_cast<UINT>(items->size() * sizeof(PropertyItem) + ValueBytes(*items));
  return Ok;
}

Status GdipGetAllPropertyItems(GpImage* image, UINT totalBufferSize, UINT numProperties, PropertyItem* allItems) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  const size_t needed = items->size() * sizeof(PropertyItem) + ValueBytes(*items);
  if (!allItems || numProperties != items->size() || totalBufferSize < needed) return InvalidParameter;
  uint8_t* values = reinterpret_cast<uint8_t*>(allItems + items->size());
  for (size_t i = 0; i < items->size(); ++i) {
    WriteItem((*items)[i], allItems[i], values);
    values += (*items)[i].value.size();
  }
  return Ok;
}

Status GdipSetPropertyItem(GpImage* image, const PropertyItem* item) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  if (!item || (item->length > 0 && !item->value)) return InvalidParameter;
  auto existing = FindIn(*items, item->id);
  const bool replacing = existing != items->end();
  const uint64_t kept = ItemCost(0) * items->size() + ValueBytes(*items) -
                        (replacing ? ItemCost(existing->value.size()) : 0);
  const uint64_t count = items->size() + (replacing ? 0 : 1);
  if (ItemCost(item->length) > limits::kMaxPropertyBytes - kept || count > limits::kMaxPropertyItems)
    return OutOfMemory;
  try {
    PropertyRecord record;
    record.id = item->id;
    record.type = item->type;
    const auto* bytes = static_cast<const uint8_t*>(item->value);
    record.value.assign(bytes, bytes + item->length);
    if (replacing)
      *existing = std::move(record);
    else
      items->push_back(std::move(record));
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

Status GdipRemovePropertyItem(GpImage* image, PROPID propId) {
  std::vector<PropertyRecord>* items = nullptr;
  if (Status s = PropertiesOf(image, items); s != Ok) return s;
  auto it = FindIn(*items, propId);
  if (it == items->end()) return PropertyNotFound;
  items->erase(it);
  return Ok;
}

}  // namespace vx::gdiplus
