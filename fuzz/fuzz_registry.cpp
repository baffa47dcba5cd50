// Feeds arbitrary text to the registry file's parser. A text it accepts must serialise into one
// it accepts again: the library rewrites the file after every change and must read it back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry/reg_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::registry::RegDocument document;
  if (!document.Parse(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  const std::string written = document.Serialise();
  vx::registry::RegDocument again;
  if (!again.Parse(written) || again.Serialise() != written) __builtin_trap();
  return 0;
}
