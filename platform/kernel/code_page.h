// Windows-1252 ("ANSI") text, converted to and from UTF-8 through the project's own table.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// Each byte becomes its Windows-1252 character (0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081 ...).
std::string AnsiToUtf8(std::string_view ansi);
// Characters Windows-1252 cannot hold become "?"; invalid UTF-8 bytes too.
std::string Utf8ToAnsi(std::string_view utf8);

// The pieces of those conversions, for callers that hold single characters.
// Appends one code point as UTF-8 (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);
// The Windows-1252 byte of a code point, -1 when the code page has none.
int CodePointToAnsiByte(char32_t cp);
// Decodes one well-formed UTF-8 sequence at `pos`; the bytes it took, 0 when none starts there.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& cp);

}  // namespace vx
