// A document's page files: written from an image, TIFF pages LZW-compressed at their own depth
// and GIF frames as PNG (which keeps every depth and the alpha a GIF frame may carry), and read
// back as one page.
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"

namespace vx::engine {

VexiroStatus WriteDocumentPageFile(int32_t imageId, const std::string& path, const std::string& documentFormat);

// Loads a page file as one page, never splitting it into a document again.
VexiroStatus LoadDocumentPageFile(int32_t& id, const std::string& path);

}  // namespace vx::engine
