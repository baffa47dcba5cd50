// General routines used throughout the engine: dialogs, temporary files, paths, GUID text,
// ANSI strings, Base64, random texts, array measures and small numeric helpers.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/kernel/win_types.h"
#include "vexiro/basic_array.h"

namespace vx::engine {

using vexiro::BasicArray;

// Open-file dialog through the host's provider; "" when cancelled (the headless default).
std::string ShowOpenFileDialog(HWND owner);

// Temporary files. The folder comes from TMPDIR, then "tmp", then "temp", else /tmp, and ends
// with "/". GetTempFilePath creates the file (exclusively, mode 0600) so that no other process
// can take the name between choosing and using it; "" when no file could be created.
std::string GetTempFolder();
std::string GetTempFilePath();
// Removes a file, ignoring every error (a missing temporary file is no failure).
void DeleteFileQuietly(const std::string& path);
// A fresh temporary file filled by `write`; "" when no file could be made or `write` failed, with
// the reason in `status`, and then nothing is left behind.
std::string WriteFreshTempFile(const std::function<VexiroStatus(const std::string& path)>& write,
                               VexiroStatus& status);

// "\" becomes "/", runs of "/" collapse to one except a leading "//"; blanks around are trimmed.
std::string NormalizePath(std::string_view path);
// The path when it names a regular file that can be opened for reading, else "".
std::string GetExistingFilePath(const std::string& path);

// Fills `id` from registry-form GUID text; `id` is left unchanged for malformed text.
void StringToCLSID(GUID& id, const std::string& text);
// A NUL-terminated Windows-1252 string as UTF-8; "" for a null pointer.
std::string PtrToStringA(const char* ansi);

// Text without the blanks around it, in upper case (ASCII letters), as names are compared.
std::string TrimmedUpperCase(std::string_view text);

// Base64 of bytes: 40-character lines each ending in CR LF, standard padding. Decoding skips
// every character outside the alphabet and drops leftover bits.
std::string Base64Encode(std::string_view bytes);
std::string Base64Decode(std::string_view text);

// 8-4-4-4-12 upper-case hexadecimal digits joined by "-".
std::string RandomHexString();
// Smallest n >= 0 for which 10^n * value is whole in single precision; 0 for NaN or infinity.
int32_t CountDecimals(float value);

template <class T>
int32_t GetArrayDims(const BasicArray<T>& a) {
  return a.size() == 0 ? 0 : a.Rank();
}
template <class T>
int32_t ArrayCountDim(const BasicArray<T>& a, int32_t dim) {
  if (dim < 1 || dim > a.Rank() || a.size() == 0) return 0;
  return a.Bound(dim).count;
}
template <class T>
int32_t ArrayCount(const BasicArray<T>& a) {
  return ArrayCountDim(a, 1);
}
inline int32_t GetArrayDimsByte(const BasicArray<uint8_t>& a) { return GetArrayDims(a); }
inline int32_t ArrayCountLong(const BasicArray<int32_t>& a) { return ArrayCount(a); }
inline int32_t ArrayCountDouble(const BasicArray<double>& a) { return ArrayCount(a); }
inline int32_t ArrayCountByte(const BasicArray<uint8_t>& a) { return ArrayCount(a); }
inline int32_t ArrayCountDimByte(const BasicArray<uint8_t>& a, int32_t dim) { return ArrayCountDim(a, dim); }

// x, y pairs as one zero-based list: a one-dimensional array in order, a two-dimensional one
// with the second index running fastest; empty for any other rank or an empty array.
std::vector<int32_t> FlattenPointArray(const BasicArray<int32_t>& points);

inline double MaxDouble(double a, double b) { return b > a ? b : a; }
inline double MinDouble(double a, double b) { return b < a ? b : a; }
// One character: codes 0..255 as Windows-1252, others as the Unicode code point ("" if invalid).
std::string CharToString(int32_t code);
inline int32_t HighWord(int32_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value) >> 16); }
inline int32_t LowWord(int32_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value) & 0xFFFFu); }

// The leading number of a text as the scripting language's Val reads it ("6.1.7601.0" -> 6.1).
double BasicVal(std::string_view text);

}  // namespace vx::engine
