// Page files are written by the platform savers: TIFF pages LZW-compressed at their own depth,
// GIF frames as PNG.
#include "engine/documents/page_file_writer.h"

#include "engine/save/gdiplus_savers.h"

namespace vx::engine {

VexiroStatus WriteDocumentPageFile(int32_t imageId, const std::string& path, const std::string& documentFormat) {
  constexpr int32_t kKeepDepth = 0;
  if (documentFormat == "TIFF") return SaveAsTIFFFile(imageId, path, CompressionLZW, kKeepDepth);
  return SaveAsPNGFile(imageId, path);
}

}  // namespace vx::engine
