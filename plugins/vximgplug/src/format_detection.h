// Which format a file holds: by its content, and by its name.
#pragma once
#include <cstdint>
#include <string>

namespace vximgplug {

int32_t DetectFormatByContent(const std::string& path, int32_t size);
int32_t DetectFormatByName(const std::string& path);

}  // namespace vximgplug
