#include "check_characters.h"

#include <cstring>

namespace vxbarcode {
namespace {

// The value of a character in a symbology's character set, or -1 outside it.
int ValueIn(const char* set, char c) {
  const char* at = c == '\0' ? nullptr : std::strchr(set, c);
  return at == nullptr ? -1 : static_cast<int>(at - set);
}

constexpr const char kCode39Set[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr const char kCodabarSet[] = "0123456789-$:/.+ABCD";

}  // namespace

bool Code39CheckVerifies(const std::string& text) {
  if (text.size() < 2) return false;
  int sum = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const int value = ValueIn(kCode39Set, text[i]);
    if (value < 0) return false;
    sum += value;
  }
  return ValueIn(kCode39Set, text.back()) == sum % 43;
}

bool CodabarCheckVerifies(const std::string& text) {
  // Start, at least one data character, the check character and stop.
  if (text.size() < 4) return false;
  int sum = 0;
  for (char c : text) {
    const int value = ValueIn(kCodabarSet, c);
    if (value < 0) return false;
    sum += value;
  }
  return sum % 16 == 0;
}

bool TwoOfFiveCheckVerifies(const std::string& digits) {
  if (digits.size() < 2) return false;
  int weighted = 0;
  int weight = 3;
  for (size_t i = digits.size() - 1; i-- > 0;) {
    if (digits[i] < '0' || digits[i] > '9') return false;
    weighted += weight * (digits[i] - '0');
    weight = 4 - weight;
  }
  return digits.back() - '0' == (10 - weighted % 10) % 10;
}

}  // namespace vxbarcode
