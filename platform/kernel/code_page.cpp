#include "platform/kernel/code_page.h"

#include <array>
#include <cstdint>

namespace vx {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the
// control characters of the same number, as Windows maps them, so every byte survives a round trip.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char kUnmappable = '?';

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

char32_t AnsiByteToCodePoint(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Code points 0x80..0x9F hold only the five controls that have a byte of their own; the rest of
// that range, like everything above U+00FF, is found in the table or is unmappable.
int CodePointToAnsiByte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Decodes one well-formed UTF-8 sequence at `pos` (no overlong forms, no surrogates, nothing
// above U+10FFFF). Returns the number of bytes used, 0 when the byte at `pos` starts no valid sequence.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp) {
  const auto lead = static_cast<uint8_t>(text[pos]);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(text[pos + i]);
    if (!IsContinuation(next)) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}


std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 2);
  for (char c : ansi) AppendUtf8(out, AnsiByteToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    size_t used = DecodeUtf8(utf8, pos, cp);
    if (used == 0) {
      out += kUnmappable;
      ++pos;
      continue;
    }
    int byte = CodePointToAnsiByte(cp);
    out += byte < 0 ? kUnmappable : static_cast<char>(byte);
    pos += used;
  }
  return out;
}

}  // namespace vx
