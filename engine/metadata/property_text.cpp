#include "engine/metadata/property_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "engine/metadata/property_item.h"
#include "platform/kernel/code_page.h"

namespace vx::engine {
namespace {

constexpr int32_t kLongValueBytes = 10000;
constexpr uint32_t kTagXmlPackets = 700;
constexpr uint32_t kTagUserComment = 37510;
constexpr uint32_t kTagPrintImData = 50341;
// The user comment begins with an 8-byte character-code field ("ASCII" and three blanks).
constexpr size_t kCharacterCodeBytes = 8;

// The only tags whose values are text whatever type they were stored with.
bool IsTextTag(uint32_t tag) { return tag == kTagXmlPackets || tag == kTagUserComment || tag == kTagPrintImData; }

uint64_t ReadLittleEndian(const std::vector<uint8_t>& bytes, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= static_cast<uint64_t>(bytes[at + i]) << (8 * i);
  return v;
}

std::string LengthInBytes(int32_t length) { return std::to_string(length) + " Byte"; }

std::string HexByte(uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

// Value k of `width` bytes as text, for every k up to `count` whose bytes lie inside the value.
template <class Format>
std::string JoinValues(const std::vector<uint8_t>& bytes, int32_t count, size_t width, Format format) {
  std::string text;
  for (int32_t k = 0; k < count; ++k) {
    const size_t at = static_cast<size_t>(k) * width;
    if (at + width > bytes.size()) break;
    if (!text.empty()) text += ", ";
    text += format(at);
  }
  return text;
}

std::string AsciiText(uint32_t tag, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return "0";
  std::string_view ansi(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (tag == kTagUserComment) ansi.remove_prefix(std::min(kCharacterCodeBytes, ansi.size()));
  return AnsiToUtf8(ansi);
}

std::string RationalText(int32_t numerator, int32_t denominator) {
  // A zero denominator has no quotient; the fraction itself says what was stored.
  if (denominator == 0) return BasicStr(static_cast<int64_t>(numerator)) + "/0";
  return BasicStr(static_cast<double>(numerator) / static_cast<double>(denominator));
}

}  // namespace

bool PropertyValueIsText(uint32_t tag, int32_t type) { return type == 2 || IsTextTag(tag); }

std::string BasicStr(int64_t value) { return (value >= 0 ? " " : "") + std::to_string(value); }

std::string BasicStr(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? " Inf" : "-Inf";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  // "%G" pads the exponent to two digits as Str does, but writes a zero before the point.
  const bool negative = text[0] == '-';
  const size_t digits = negative ? 1 : 0;
  if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
  return negative ? text : " " + text;
}

std::string PropertyValueToString(uint32_t tag, int32_t type, int32_t length, int32_t count,
                                  const std::vector<uint8_t>& value) {
  if (IsTextTag(tag)) type = 2;
  if (length >= kLongValueBytes) return LengthInBytes(length);
  const std::vector<uint8_t> bytes(value.begin(),
                                   value.begin() + std::min<size_t>(value.size(), static_cast<size_t>(std::max(length, 0))));
  switch (type) {
    case 1:
      return JoinValues(bytes, count, 1, [&](size_t at) { return BasicStr(static_cast<int64_t>(bytes[at])); });
    case 2:
      return AsciiText(tag, bytes);
    case 3:
    case 8:
      return JoinValues(bytes, count, 2, [&](size_t at) {
        return BasicStr(static_cast<int64_t>(ReadLittleEndian(bytes, at, 2)));
      });
    case 4:
    case 9:
      return JoinValues(bytes, count, 4, [&](size_t at) {
        return BasicStr(static_cast<int64_t>(static_cast<int32_t>(ReadLittleEndian(bytes, at, 4))));
      });
    case 5:
    case 10:
      return JoinValues(bytes, count, 8, [&](size_t at) {
        return RationalText(static_cast<int32_t>(ReadLittleEndian(bytes, at, 4)),
                            static_cast<int32_t>(ReadLittleEndian(bytes, at + 4, 4)));
      });
    case 7:
      return JoinValues(bytes, count, 1, [&](size_t at) { return HexByte(bytes[at]); });
    default:
      return LengthInBytes(length);
  }
}

}  // namespace vx::engine
