// Writes an image as a document page file: TIFF pages LZW-compressed at their own depth, GIF
// frames as PNG (which keeps every depth and the alpha a GIF frame may carry).
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"

namespace vx::engine {

VexiroStatus WriteDocumentPageFile(int32_t imageId, const std::string& path, const std::string& documentFormat);

}  // namespace vx::engine
