#include <cstdio>

#include "platform/ole/ole.h"

namespace vx::ole {

namespace {

constexpr size_t kGuidTextLength = 38;  // {8-4-4-4-12}
constexpr size_t kDashPositions[] = {9, 14, 19, 24};

bool IsDashPosition(size_t i) {
  for (size_t dash : kDashPositions) {
    if (i == dash) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The 32 hexadecimal digits of the registry form, in text order; false for any other shape.
bool ReadDigits(const std::string& text, uint8_t (&nibbles)[32]) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') return false;
  size_t n = 0;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    if (IsDashPosition(i)) {
      if (text[i] != '-') return false;
      continue;
    }
    int value = HexValue(text[i]);
    if (value < 0) return false;
    nibbles[n++] = static_cast<uint8_t>(value);
  }
  return n == 32;
}

uint32_t Number(const uint8_t* nibbles, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 4) | nibbles[i];
  return value;
}

}  // namespace

std::string StringFromGUID2(const GUID& id) {
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.Data1, id.Data2,
                id.Data3, id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5],
                id.Data4[6], id.Data4[7]);
  return text;
}

HRESULT CLSIDFromString(const std::string& text, CLSID* id) {
  if (id == nullptr) return E_INVALIDARG;
  uint8_t nibbles[32];
  if (!ReadDigits(text, nibbles)) return CO_E_CLASSSTRING;
  GUID parsed;
  parsed.Data1 = Number(nibbles, 8);
  parsed.Data2 = static_cast<uint16_t>(Number(nibbles + 8, 4));
  parsed.Data3 = static_cast<uint16_t>(Number(nibbles + 12, 4));
  for (int i = 0; i < 8; ++i) parsed.Data4[i] = static_cast<uint8_t>(Number(nibbles + 16 + 2 * i, 2));
  *id = parsed;
  return S_OK;
}

}  // namespace vx::ole
