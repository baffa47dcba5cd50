// Page files are the engine's own: written by the platform savers into the temporary folder
// and deleted with their page. That decides how they are treated: they are scratch, so a save
// does not force them to the disk, and they are read in-process by the platform decoders that
// wrote them instead of through the plug-in's isolated decode, which forks a process per file
// and would make a document of a few thousand pages take minutes to load, select and save.
#include "engine/documents/page_file_writer.h"

#include "engine/load/loader.h"
#include "engine/save/gdiplus_savers.h"
#include "platform/gdiplus/scratch_writes.h"

namespace vx::engine {

VexiroStatus WriteDocumentPageFile(int32_t imageId, const std::string& path, const std::string& documentFormat) {
  constexpr int32_t kKeepDepth = 0;
  const gdiplus::ScratchFileWrites scratch;
  if (documentFormat == "TIFF") return SaveAsTIFFFile(imageId, path, CompressionLZW, kKeepDepth);
  return SaveAsPNGFile(imageId, path);
}

VexiroStatus LoadDocumentPageFile(int32_t& id, const std::string& path) {
  // Read-only, so that a page file holding several pages (one the plug-in wrote from its own
  // bitmap, say) stays one page.
  LoadOptions options{.TiffReadOnly = true, .GifReadOnly = true};
  options.DisablePlugin = true;
  if (LoadImageFromFile(id, path, options) == vexiro::OK) return vexiro::OK;
  // A page the platform savers refused was written by the plug-in, which reads it back.
  options.DisablePlugin = false;
  return LoadImageFromFile(id, path, options);
}

}  // namespace vx::engine
