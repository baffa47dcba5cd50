// Windows-1252 ("ANSI") text, converted to and from UTF-8 through the project's own table.
#pragma once
#include <string>
#include <string_view>

namespace vx {

// Each byte becomes its Windows-1252 character (0x81, 0x8D, 0x8F, 0x90, 0x9D map to U+0081 ...).
std::string AnsiToUtf8(std::string_view ansi);
// Characters Windows-1252 cannot hold become "?"; invalid UTF-8 bytes too.
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace vx
