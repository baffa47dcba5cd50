#include "pdf/pdf_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/kernel/code_page.h"

namespace vx::pdf {
namespace {

// A rounded value split into sign, whole part and `digits` decimal digits; false when the value
// is too large to hold in 64-bit units of its last decimal.
struct Decimal {
  bool negative = false;
  std::string whole;
  std::string fraction;
};

Decimal ToDecimal(double value, int digits) {
  Decimal d;
  if (!std::isfinite(value)) value = 0;
  const double scale = std::pow(10.0, digits);
  const double scaled = std::nearbyint(value * scale);
  if (std::fabs(scaled) < 9.0e15) {
    auto units = static_cast<int64_t>(scaled);
    d.negative = units < 0;
    const uint64_t magnitude = d.negative ? static_cast<uint64_t>(-units) : static_cast<uint64_t>(units);
    const auto divisor = static_cast<uint64_t>(scale);
    d.whole = std::to_string(magnitude / divisor);
    std::string frac = std::to_string(magnitude % divisor);
    d.fraction = std::string(static_cast<size_t>(digits) - frac.size(), '0') + frac;
    if (digits == 0) d.fraction.clear();
  } else {
    // Beyond 2^53 no decimals exist in a double anyway.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(value));
    d.negative = value < 0;
    d.whole = buffer;
    d.fraction = std::string(static_cast<size_t>(digits), '0');
  }
  return d;
}

}  // namespace

double ClampToPdfReal(double value) {
  if (std::isnan(value)) return 0;
  return std::clamp(value, -kMaxPdfReal, kMaxPdfReal);
}

double ClampPageSide(double points) {
  if (std::isnan(points)) return kMinPageSide;
  return std::clamp(points, kMinPageSide, kMaxPageSide);
}

std::string FormatReal(double value, int digits) {
  Decimal d = ToDecimal(value, digits);
  while (!d.fraction.empty() && d.fraction.back() == '0') d.fraction.pop_back();
  if (d.whole == "0" && d.fraction.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  out += d.whole;
  if (!d.fraction.empty()) out += "." + d.fraction;
  return out;
}

std::string FormatNumber(double value, int digits) {
  const Decimal d = ToDecimal(value, digits);
  const bool zero = d.whole == "0" && d.fraction.find_first_not_of('0') == std::string::npos;
  std::string out = d.negative && !zero ? "-" : "";
  out += d.whole;
  if (digits > 0) out += "." + d.fraction;
  return out;
}

std::string HexString(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

namespace {
std::string Escape(std::string_view bytes, bool lineEnds) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    if (c == '\\' || c == '(' || c == ')') {
      out += '\\';
      out += c;
    } else if (lineEnds && c == '\r') {
      out += "\\r";
    } else if (lineEnds && c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}
}  // namespace

std::string EscapeString(std::string_view bytes) { return Escape(bytes, true); }
std::string EscapeStringBinary(std::string_view bytes) { return Escape(bytes, false); }

std::string EscapeName(std::string_view bytes) {
  static constexpr std::string_view kDelimiters = "()<>[]{}/%#";
  std::string out;
  for (unsigned char c : bytes) {
    if (c < '!' || c > '~' || kDelimiters.find(static_cast<char>(c)) != std::string_view::npos) {
      out += '#';
      out += HexString(std::string_view(reinterpret_cast<const char*>(&c), 1));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

// Decodes one UTF-8 sequence; invalid bytes come out as U+FFFD.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (extra < 0 || i + static_cast<size_t>(extra) > s.size()) return 0xFFFD;
  char32_t cp = b & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    const auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  return cp;
}

// The code points PDFDocEncoding gives to 0x18-0x1F and 0x80-0xA0; 0 marks a code it leaves
// undefined.
constexpr std::array<char32_t, 8> kLow = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr std::array<char32_t, 33> kHigh = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
    0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
    0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0,      0x20AC};

int PdfDocCode(char32_t cp) {
  if (cp == '\t' || cp == '\n' || cp == '\r' || (cp >= 0x20 && cp <= 0x7E)) return static_cast<int>(cp);
  if ((cp >= 0xA1 && cp <= 0xFF) && cp != 0xAD) return static_cast<int>(cp);
  for (size_t k = 0; k < kLow.size(); ++k)
    if (kLow[k] == cp) return static_cast<int>(0x18 + k);
  for (size_t k = 0; k < kHigh.size(); ++k)
    if (kHigh[k] != 0 && kHigh[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

void AppendUtf16BE(std::string& out, char32_t cp) {
  auto unit = [&out](uint32_t u) {
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  };
  if (cp >= 0x10000) {
    cp -= 0x10000;
    unit(0xD800 + (cp >> 10));
    unit(0xDC00 + (cp & 0x3FF));
  } else {
    unit(cp);
  }
}

}  // namespace

std::string PdfTextStringBytes(std::string_view utf8) {
  std::string doc;
  for (size_t i = 0; i < utf8.size();) {
    const int code = PdfDocCode(NextCodePoint(utf8, i));
    if (code < 0) {
      std::string wide = "\xFE\xFF";
      for (size_t j = 0; j < utf8.size();) AppendUtf16BE(wide, NextCodePoint(utf8, j));
      return wide;
    }
    doc += static_cast<char>(code);
  }
  return doc;
}

bool ExactAnsi(std::string_view utf8, std::string& ansi) {
  std::string converted = Utf8ToAnsi(utf8);
  if (AnsiToUtf8(converted) != utf8) return false;
  ansi = std::move(converted);
  return true;
}

std::string XmlEscape(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '\r': out += "&#13;"; break;  // a parser would fold a raw CR LF into LF
      default: out += c;
    }
  }
  return out;
}

}  // namespace vx::pdf
