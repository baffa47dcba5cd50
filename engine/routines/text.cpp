// Base64, random GUID-shaped texts and the numeric reading of texts.
#include <algorithm>
#include <array>
#include <charconv>
#include <cctype>
#include <cmath>

#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"

namespace vx::engine {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 40;

int AlphabetIndex(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 4 / 3 + bytes.size() / 15 + 8);
  size_t lineChars = 0;
  auto emit = [&](uint32_t sextet) {
    out += kAlphabet[sextet & 0x3F];
    if (++lineChars == kLineLength) {
      out += "\r\n";
      lineChars = 0;
    }
  };
  uint32_t pending = 0;
  int pendingBits = 0;
  for (unsigned char c : bytes) {
    pending = (pending << 8) | c;
    pendingBits += 8;
    while (pendingBits >= 6) {
      pendingBits -= 6;
      emit(pending >> pendingBits);
    }
    pending &= (1u << pendingBits) - 1;
  }
  if (pendingBits > 0) emit(pending << (6 - pendingBits));
  if (bytes.size() % 3 == 1) out += "==";
  if (bytes.size() % 3 == 2) out += "=";
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 4);
  uint32_t pending = 0;
  int pendingBits = 0;
  for (char c : text) {
    const int v = AlphabetIndex(c);
    if (v < 0) continue;
    pending = (pending << 6) | static_cast<uint32_t>(v);
    pendingBits += 6;
    if (pendingBits >= 8) {
      pendingBits -= 8;
      out += static_cast<char>((pending >> pendingBits) & 0xFF);
      pending &= (1u << pendingBits) - 1;
    }
  }
  return out;
}

std::string RandomHexString() {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int group : {8, 4, 4, 4, 12}) {
    if (!out.empty()) out += '-';
    for (int i = 0; i < group; ++i) out += kHex[static_cast<int>(std::floor(RandomSingle() * 16.0f)) & 0xF];
  }
  return out;
}

int32_t CountDecimals(float value) {
  if (!std::isfinite(value)) return 0;
  // Every single-precision value of magnitude 2^23 or more is whole, and the smallest denormal
  // reaches that after 52 decimal shifts; the bound only guards the loop.
  constexpr int32_t kMaxDecimals = 60;
  double scale = 1.0;
  for (int32_t n = 0; n <= kMaxDecimals; ++n, scale *= 10.0) {
    const float scaled = static_cast<float>(scale * static_cast<double>(value));
    if (!std::isfinite(scaled)) return n;
    if (std::trunc(scaled) == scaled) return n;
  }
  return kMaxDecimals;
}

double BasicVal(std::string_view text) {
  std::string digits;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  };
  skipBlanks();
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
  bool seenDot = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else if (c == '.' && !seenDot) {
      seenDot = true;
      digits += c;
    } else if (c != ' ' && c != '\t') {
      break;
    }
  }
  const bool negative = !digits.empty() && digits[0] == '-';
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.erase(0, 1);
  double v = 0.0;
  // from_chars ignores the locale, so "6.1" reads the same under every host setting.
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (result.ec != std::errc() || !std::isfinite(v)) return 0.0;
  return negative ? -v : v;
}

std::vector<int32_t> FlattenPointArray(const BasicArray<int32_t>& points) {
  std::vector<int32_t> flat;
  if (points.size() == 0) return flat;
  if (points.Rank() == 1) return points.Data();
  if (points.Rank() != 2) return flat;
  flat.reserve(points.size());
  for (int32_t i = points.LBound(1); i <= points.UBound(1); ++i)
    for (int32_t j = points.LBound(2); j <= points.UBound(2); ++j) flat.push_back(points(i, j));
  return flat;
}

std::string TrimmedUpperCase(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::string trimmed(text.substr(first, text.find_last_not_of(' ') - first + 1));
  std::transform(trimmed.begin(), trimmed.end(), trimmed.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return trimmed;
}

}  // namespace vx::engine
