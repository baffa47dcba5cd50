// The writer's resources, built into the library: the XMP packet template of PDF/A output and
// the sRGB profile (ICC version 2, display class, as PDF/A-1 requires) of its output intent.
#pragma once
#include <string_view>

namespace vx::pdf {

std::string_view PdfAXmpTemplate();
std::string_view SrgbIccProfile();

}  // namespace vx::pdf
