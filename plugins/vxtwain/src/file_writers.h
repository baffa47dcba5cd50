// File transfers in the formats besides BMP: PNG and TIFF, at the picture's own depth.
#pragma once
#include <string>

#include "session.h"

namespace vxtwain {

bool WritePng(const std::string& path, const Picture& picture);
bool WriteTiff(const std::string& path, const Picture& picture);

}  // namespace vxtwain
