// libjpeg error handling shared by the JPEG reader and writer: errors jump back to the caller,
// warnings are ignored.
#pragma once
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>

namespace vx::gdiplus::codecs {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

inline void JpegJumpOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1); }
inline void JpegIgnoreMessage(j_common_ptr, int) {}

inline jpeg_error_mgr* InstallJpegErrors(JpegErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = JpegJumpOnError;
  manager.pub.emit_message = JpegIgnoreMessage;
  return &manager.pub;
}

}  // namespace vx::gdiplus::codecs
