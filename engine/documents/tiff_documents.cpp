#include "engine/documents/tiff_documents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/documents/multipage_document.h"
#include "engine/documents/page_file_writer.h"
#include "engine/documents/replacing_write.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/plugin/bridge.h"
#include "engine/routines/shared_routines.h"
#include "engine/save/encoder_parameters.h"
#include "engine/save/gdiplus_savers.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/input_limits.h"

namespace vx::engine {
namespace {

constexpr uint16_t kTagCompression = 259;
constexpr int32_t kUnknownDepthBits = 32;

// Appends every named page file to the file begun on `first`, then ends it.
VexiroStatus AddPagesAndEnd(int32_t first, const std::vector<std::string>& pageFiles, size_t from) {
  VexiroStatus status = vexiro::OK;
  for (size_t i = from; i < pageFiles.size() && status == vexiro::OK; ++i) {
    if (pageFiles[i].empty()) continue;
    ScopedImage page;
    status = LoadDocumentPageFile(*page.put(), pageFiles[i]);
    if (status == vexiro::OK) status = TiffSaveAddPage(first, page.get());
  }
  const VexiroStatus ended = TiffEndMultiPage(first);
  return status == vexiro::OK ? ended : status;
}

// The depth a merged page is counted with: its own, or 32 bits when it has none the engine knows.
int32_t MergedPageBits(int32_t id) {
  int32_t bits = 0;
  GetImageBitDepth(id, bits);
  return bits > 0 ? bits : kUnknownDepthBits;
}

// A fresh temporary copy of a file; "" with the reason in `status` when it could not be made.
std::string CopyToTempFile(const std::string& source, VexiroStatus& status) {
  return WriteFreshTempFile(
      [&](const std::string& path) {
        std::error_code ec;
        std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing, ec);
        return ec ? vexiro::GenericError : vexiro::OK;
      },
      status);
}

// Temporary files made for one merge; all of them go when the merge ends, whatever happened.
class TempFileList {
 public:
  TempFileList() = default;
  TempFileList(const TempFileList&) = delete;
  TempFileList& operator=(const TempFileList&) = delete;
  ~TempFileList() {
    for (const std::string& file : files_) DeleteFileQuietly(file);
  }
  void Add(const std::string& file) { files_.push_back(file); }
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::vector<std::string> files_;
};

// The pages of one loaded file into the merge's page list.
VexiroStatus CollectPages(int32_t loaded, TempFileList& pages, int32_t& deepestBits) {
  int32_t count = 0;
  GetTiffPageCount(loaded, count);
  VexiroStatus status = vexiro::OK;
  if (count <= 1) {
    // Written as a TIFF page file, as a document's pages are: a PNG would leave the file's EXIF,
    // GPS and IPTC items and its profile behind.
    const std::string file = WriteFreshTempFile(
        [&](const std::string& path) { return WriteDocumentPageFile(loaded, path, "TIFF"); }, status);
    if (file.empty()) return status;
    pages.Add(file);
    deepestBits = std::max(deepestBits, MergedPageBits(loaded));
    return vexiro::OK;
  }
  for (int32_t p = 0; p < count; ++p) {
    const std::string pageFile = GetTiffPageFile(loaded, p);
    if (pageFile.empty()) return vexiro::GenericError;
    const std::string copy = CopyToTempFile(pageFile, status);
    if (copy.empty()) return status;
    pages.Add(copy);
    deepestBits = std::max(deepestBits, GetTiffPageBitDepth(loaded, p));
  }
  return vexiro::OK;
}

// The entries before the first blank one; FileNotFound when there are none or one is missing.
VexiroStatus ExistingMergeEntries(const std::vector<std::string>& paths, std::vector<std::string>& files) {
  for (const std::string& entry : paths) {
    if (entry.find_first_not_of(' ') == std::string::npos) break;
    const std::string file = GetExistingFilePath(NormalizePath(entry));
    if (file.empty()) return vexiro::FileNotFound;
    files.push_back(file);
  }
  return files.empty() ? vexiro::FileNotFound : vexiro::OK;
}

}  // namespace

int32_t MultiPageTiffCompression(int32_t compression, int32_t deepestPageBits) {
  const bool bilevelOnly = compression == CompressionCCITT3 || compression == CompressionCCITT4 ||
                           compression == CompressionRLE;
  return bilevelOnly && deepestPageBits > 1 ? static_cast<int32_t>(CompressionLZW) : compression;
}

VexiroStatus TiffEndMultiPage(int32_t firstId) {
  EncoderParameterBlock params;
  params.Add(gdiplus::EncoderSaveFlag, gdiplus::EncoderValueFlush);
  return ToStatus(gdiplus::GdipSaveAdd(GetGpImage(firstId), params.Get()));
}

VexiroStatus WriteTiffFromPageFiles(const std::vector<std::string>& pageFiles, const std::string& path,
                                    int32_t compression) {
  const auto first = std::find_if(pageFiles.begin(), pageFiles.end(), [](const std::string& f) { return !f.empty(); });
  if (first == pageFiles.end()) return vexiro::GenericError;
  ReplacingWrite write(path);
  if (write.Path().empty()) return vexiro::CanNotCreateFile;
  ScopedImage firstPage;
  VexiroStatus status = LoadDocumentPageFile(*firstPage.put(), *first);
  if (status == vexiro::OK) status = TiffBeginMultiPage(firstPage.get(), write.Path(), compression);
  if (status != vexiro::OK) return status;
  status = AddPagesAndEnd(firstPage.get(), pageFiles, static_cast<size_t>(first - pageFiles.begin()) + 1);
  firstPage.Release();
  return status == vexiro::OK ? write.Commit() : status;
}

VexiroStatus SaveMultiPageTiffFile(int32_t documentId, const std::string& path, int32_t compression) {
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!doc) return vexiro::InvalidParameter;
  if (!IsEditableMultiPageTiff(documentId)) return vexiro::UnsupportedImageFormat;
  const int32_t current = doc->CurrentPage;
  if (current >= 0 && current < doc->PageCount) {
    const ImageRecord* page = FindImageRecord(doc->PageImageIDs[static_cast<size_t>(current)]);
    if (page && page->Modified) CommitCurrentTiffPage(documentId);
    doc = FindImageRecord(documentId);
  }
  const int32_t pages = std::min<int32_t>(doc->PageCount, static_cast<int32_t>(doc->PageFiles.size()));
  const std::vector<std::string> files(doc->PageFiles.begin(), doc->PageFiles.begin() + std::max(pages, 0));
  int32_t deepest = 0;
  for (int32_t i = 0; i < pages && i < static_cast<int32_t>(doc->PageBitDepths.size()); ++i)
    deepest = std::max(deepest, doc->PageBitDepths[static_cast<size_t>(i)]);
  return WriteTiffFromPageFiles(files, path, MultiPageTiffCompression(compression, deepest));
}

std::string GetTiffPageFile(int32_t id, int32_t page) {
  if (id == 0 || page < 0 || !IsEditableMultiPageTiff(id)) return "";
  const ImageRecord* doc = FindImageRecord(id);
  if (page >= doc->PageCount || static_cast<size_t>(page) >= doc->PageFiles.size()) return "";
  return doc->PageFiles[static_cast<size_t>(page)];
}

int32_t GetTiffPageBitDepth(int32_t id, int32_t page) {
  if (id == 0 || page < 0 || GetImageIndex(id) < 0) return 0;
  if (!IsEditableMultiPageTiff(id)) return GetImageBitDepthStrict(id);
  const ImageRecord* doc = FindImageRecord(id);
  if (page >= doc->PageCount || static_cast<size_t>(page) >= doc->PageBitDepths.size()) return 0;
  return doc->PageBitDepths[static_cast<size_t>(page)];
}

int32_t TiffCompressionCodeToPluginFlag(int32_t code) {
  switch (code) {
    case 1: return 0x0800;
    case 2: case 32771: case 32766: case 32809: case 32773: return 0x0100;
    case 3: return 0x1000;
    case 4: return 0x2000;
    case 6: case 7: return 0x8000;
    // The plug-in writes code 8 for 0x0200 and code 32946 for 0x0400.
    case 8: return 0x0200;
    case 32946: return 0x0400;
    default: return 0x4000;
  }
}

int32_t TiffCompressionToPluginFlag(uint32_t bitmap) {
  std::vector<VximgplugTagRecord> tags;
  PluginEnumerateMetadata(PluginModelMain, bitmap, tags);
  int32_t flag = 0x4000;
  for (const VximgplugTagRecord& tag : tags) {
    if (tag.id != kTagCompression || tag.length != 2 || tag.value == nullptr) continue;
    const auto* bytes = static_cast<const uint8_t*>(tag.value);
    flag = TiffCompressionCodeToPluginFlag(bytes[0] | bytes[1] << 8);
  }
  return flag;
}

VexiroStatus TiffMergeFiles(const std::vector<std::string>& paths, const std::string& destination,
                            int32_t compression, bool disablePlugin) {
  std::vector<std::string> files;
  VexiroStatus status = ExistingMergeEntries(paths, files);
  if (status != vexiro::OK) return status;
  TempFileList pages;
  int32_t deepest = 0;
  const LoadOptions options{.DisablePlugin = disablePlugin, .TiffReadOnly = false, .GifReadOnly = true};
  for (const std::string& file : files) {
    ScopedImage loaded;
    status = LoadImageFromFile(*loaded.put(), file, options);
    if (status == vexiro::OK) status = CollectPages(loaded.get(), pages, deepest);
    if (status != vexiro::OK) return status;
  }
  // A merged file holds no more pages than a document: no loader would read more of it back.
  if (pages.Files().size() > static_cast<size_t>(limits::kMaxDocumentPages)) return vexiro::OutOfMemory;
  return WriteTiffFromPageFiles(pages.Files(), destination, MultiPageTiffCompression(compression, deepest));
}

}  // namespace vx::engine
