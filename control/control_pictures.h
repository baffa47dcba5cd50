// The control's two pictures, 24-bit bitmap files carried in the library: the toolbox bitmap a
// form designer lists the control by (resource 30000) and the face it shows once placed.
#pragma once
#include <string_view>

namespace vx::control {

constexpr int kToolboxBitmapResource = 30000;

std::string_view ToolboxBitmap();  // 16 x 15 pixels
std::string_view DesignPicture();  // 28 x 28 pixels, the control's design size

}  // namespace vx::control
