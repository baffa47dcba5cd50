// Encoding an image into memory: a stream over global memory, a byte array, or a text holding
// one character per byte.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/ole/istream.h"

namespace vx::engine {

// `format` names the encoder ("png", " JPG "...); an unknown name encodes BMP. `parameter` 0
// passes nothing; otherwise it is the JPEG quality (below 1: 75; above 100: InvalidParameter)
// or the TIFF compression, and other formats ignore it. The stream is left after its last byte.
VexiroStatus SaveToStream(int32_t id, ole::ComPtr<ole::IStream>& stream, const std::string& format, int32_t parameter);
VexiroStatus SaveImageToByteArray(int32_t id, int32_t& length, std::vector<uint8_t>& bytes, const std::string& format,
                                  int32_t parameter);
// The bytes as Windows-1252 characters, in UTF-8.
VexiroStatus SaveImageToString(int32_t id, std::string& text, const std::string& format, int32_t parameter);

}  // namespace vx::engine
