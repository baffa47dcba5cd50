// Paths, the open-file dialog, GUID text and ANSI strings.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/routines/shared_routines.h"
#include "platform/kernel/code_page.h"
#include "platform/kernel/regular_file.h"
#include "platform/ole/ole.h"
#include "platform/user/user.h"

namespace vx::engine {

std::string ShowOpenFileDialog(HWND owner) {
  std::string chosen = vx::GetOpenFileName(owner, "Open File");
  const auto nul = chosen.find('\0');
  if (nul != std::string::npos) chosen.resize(nul);
  return chosen;
}

std::string NormalizePath(std::string_view path) {
  const auto first = path.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = path.find_last_not_of(' ');
  std::string s(path.substr(first, last - first + 1));
  for (char& c : s)
    if (c == '\\') c = '/';
  if (s.size() <= 3) return s;
  while (s.compare(0, 3, "///") == 0) s.erase(0, 1);
  // A leading "//" names a network share and survives; every other run collapses to one "/".
  const size_t keep = s.compare(0, 2, "//") == 0 ? 2 : 0;
  std::string out = s.substr(0, keep);
  for (size_t i = keep; i < s.size(); ++i) {
    if (s[i] == '/' && !out.empty() && out.back() == '/') continue;
    out += s[i];
  }
  return out;
}

std::string GetExistingFilePath(const std::string& path) {
  if (path.empty()) return {};
  const int fd = kernel::OpenRegularFileForReading(path.c_str());
  if (fd < 0) return {};
  ::close(fd);
  return path;
}

void StringToCLSID(GUID& id, const std::string& text) {
  GUID parsed;
  if (ole::CLSIDFromString(text, &parsed) == S_OK) id = parsed;
}

std::string PtrToStringA(const char* ansi) { return ansi ? AnsiToUtf8(ansi) : std::string(); }

std::string CharToString(int32_t code) {
  if (code >= 0 && code <= 255) {
    const char c = static_cast<char>(code);
    return AnsiToUtf8(std::string_view(&c, 1));
  }
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  std::string out;
  const auto u = static_cast<uint32_t>(code);
  if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (u & 0x3F));
  return out;
}

}  // namespace vx::engine
