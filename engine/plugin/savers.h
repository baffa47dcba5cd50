// The savers that write through the format plug-in the formats the imaging platform cannot:
// ICO, PBM, TGA, TIFF with JPEG compression, WBMP, XPM, EXR, J2K, JP2 and JBIG. Each answers
// VximgplugDllRequired before anything else when the plug-in is absent, InvalidParameter for an
// identifier that names no image, UnsupportedPixelFormat for an image its format cannot hold,
// and GenericError when the plug-in could not write the file (then no file is left behind).
#pragma once
#include <cstdint>
#include <string>

#include "engine/plugin/seam.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

// EXR compressions, passed to the plug-in unchanged.
enum ExrCompression : int32_t {
  ExrCompressionDefault = 0,
  ExrCompressionFloat = 1,
  ExrCompressionNone = 2,
  ExrCompressionZip = 4,
  ExrCompressionPiz = 8,
  ExrCompressionPxr24 = 16,
  ExrCompressionB44 = 32,
  ExrCompressionLC = 64,
};

VexiroStatus SaveAsICOFile(int32_t id, const std::string& path);
VexiroStatus SaveAsPBMFile(int32_t id, const std::string& path);
VexiroStatus SaveAsTGAFile(int32_t id, const std::string& path);
// The quality is clamped to 0 .. 100.
VexiroStatus SaveAsTIFFJPEGFile(int32_t id, const std::string& path, int32_t quality);
VexiroStatus SaveAsWBMPFile(int32_t id, const std::string& path);
VexiroStatus SaveAsXPMFile(int32_t id, const std::string& path);
VexiroStatus SaveAsEXRFile(int32_t id, const std::string& path, int32_t compression);
// The rate is the compression ratio X:1 the plug-in aims at.
VexiroStatus SaveAsJ2KFile(int32_t id, const std::string& path, int32_t rate);
VexiroStatus SaveAsJP2File(int32_t id, const std::string& path, int32_t rate);
VexiroStatus SaveAsJBIGFile(int32_t id, const std::string& path);

}  // namespace vx::engine
