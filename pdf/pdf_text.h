// How values become PDF text: numbers in the forms the writer's operators use, literal-string
// escapes, hexadecimal strings, names, and the text encodings of document strings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::pdf {

// The numbers readers take. The writer produces PDF 1.3 and 1.4, whose reals lie within
// ±32767 (a larger value is an integer overflow or a damaged file to many readers), and pages
// from 3 to 14400 points a side.
constexpr double kMaxPdfReal = 32767;
constexpr double kMinPageSide = 3;
constexpr double kMaxPageSide = 14400;
// The value within ±kMaxPdfReal: larger magnitudes (infinities too) are clamped, NaN is 0.
double ClampToPdfReal(double value);
// A page side within kMinPageSide .. kMaxPageSide; NaN gives the smallest.
double ClampPageSide(double points);

// Rounded half to even at `digits` decimals, shortest plain form ("1.5", "-2", "0"); a value
// that is not finite is written as "0", since PDF has no spelling for it.
std::string FormatReal(double value, int digits);
// Exactly `digits` decimals with at least one digit before the point ("12.50", "0.05").
std::string FormatNumber(double value, int digits);

// Each byte as two upper-case hexadecimal digits.
std::string HexString(std::string_view bytes);
// "\" "(" ")" escaped, then CR and LF as "\r" and "\n", so every byte survives a reader's
// end-of-line normalisation inside a literal string.
std::string EscapeString(std::string_view bytes);
// Only "\" "(" ")" escaped.
std::string EscapeStringBinary(std::string_view bytes);
// A name's characters: "#xx" for bytes outside "!" to "~", for delimiters and for "#" itself.
std::string EscapeName(std::string_view bytes);

// A UTF-8 text as the bytes of a PDF text string: PDFDocEncoding when every character has a
// code there, else UTF-16BE behind its byte order mark.
std::string PdfTextStringBytes(std::string_view utf8);
// A UTF-8 text as Windows-1252 bytes when every character fits; false (and `ansi` unchanged)
// when one does not, so a caller can refuse instead of writing "?".
bool ExactAnsi(std::string_view utf8, std::string& ansi);
// "&", "<", ">", quotes escaped for XML character data and attribute values, and CR as a
// character reference so that it survives end-of-line normalisation.
std::string XmlEscape(std::string_view utf8);

}  // namespace vx::pdf
