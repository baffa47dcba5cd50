#include "control/control_pictures.h"

#include <cstddef>

#include "platform/kernel/embedded_file.h"

// Part of this file's text, so that a compiler cache tells versions of the embedded files apart.
[[maybe_unused]] static constexpr char kEmbeddedDigest[] = VEXIRO_RESOURCE_DIGEST;

VX_EMBED(vx_control_toolbox, "control-toolbox.bmp");
VX_EMBED(vx_control_picture, "control-picture.bmp");

extern "C" const char vx_control_toolbox_begin[], vx_control_toolbox_end[], vx_control_picture_begin[],
    vx_control_picture_end[];

namespace vx::control {

std::string_view ToolboxBitmap() {
  return {vx_control_toolbox_begin, static_cast<size_t>(vx_control_toolbox_end - vx_control_toolbox_begin)};
}

std::string_view DesignPicture() {
  return {vx_control_picture_begin, static_cast<size_t>(vx_control_picture_end - vx_control_picture_begin)};
}

}  // namespace vx::control
