// The engine's multi-page TIFF members: documents from files and images, page editing, saving,
// the native page-by-page writer and merging files.
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/documents/multipage_document.h"
#include "engine/documents/replacing_write.h"
#include "engine/documents/tiff_documents.h"
#include "engine/enumeration_values.h"
#include "engine/image_store.h"
#include "engine/save/gdiplus_savers.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

const std::string kTiff = "TIFF";

// The file the native writer has open: the first page's image holds the pages until the file
// ends, and the file replaces its target only then. A file still open when the writer forgets
// it is ended and put in place, as it would have been when its image was released.
class NativeTiffFile {
 public:
  NativeTiffFile(int32_t firstId, const std::string& target) : firstId_(firstId), write_(target) {}
  NativeTiffFile(const NativeTiffFile&) = delete;
  NativeTiffFile& operator=(const NativeTiffFile&) = delete;
  ~NativeTiffFile() {
    if (write_.Path().empty()) return;
    if (GetImageIndex(firstId_) >= 0 && TiffEndMultiPage(firstId_) != vexiro::OK) return;
    // A file its image never finished holds nothing worth putting in the target's place.
    std::error_code ec;
    if (std::filesystem::file_size(write_.Path(), ec) > 0 && !ec) write_.Commit();
  }
  const std::string& Path() const { return write_.Path(); }
  // Ends the file; its status, or CanNotCreateFile when it cannot take the target's place.
  VexiroStatus Close() {
    const VexiroStatus ended = TiffEndMultiPage(firstId_);
    if (ended != vexiro::OK) {
      write_.Abandon();
      return ended;
    }
    return write_.Commit();
  }

 private:
  int32_t firstId_;
  ReplacingWrite write_;
};

}  // namespace

void cImaging::TiffOpenMultiPageAsReadOnly(bool bReadOnly) { bTiffOpenReadOnly = bReadOnly; }
bool cImaging::TiffIsMultiPage(int32_t nImageID) { return IsMultiPageTiff(nImageID); }
bool cImaging::TiffIsEditableMultiPage(int32_t nImageID) { return IsEditableMultiPageTiff(nImageID); }
int32_t cImaging::TiffGetPageCount(int32_t nImageID) { return DocumentPageCount(nImageID, kTiff); }
int32_t cImaging::TiffGetCurrentPage(int32_t nImageID) { return DocumentCurrentPage(nImageID, kTiff); }

VexiroStatus cImaging::TiffSelectPage(int32_t nImageID, int32_t nPage) {
  return SelectDocumentPage(nImageID, nPage, kTiff);
}

int32_t cImaging::TiffCreateMultiPageFromFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CreateDocumentFromFile(sFilePath, false, kTiff);
}
int32_t cImaging::TiffCreateMultiPageFromFileICM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CreateDocumentFromFile(sFilePath, true, kTiff);
}
int32_t cImaging::TiffCreateMultiPageFromVexiroImage(int32_t nImageID) {
  return CreateDocumentFromImage(nImageID, kTiff);
}

VexiroStatus cImaging::TiffInsertPageFromFile(int32_t nImageID, int32_t nPosition, const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return InsertDocumentPageFromFile(nImageID, nPosition, sFilePath, kTiff);
}
VexiroStatus cImaging::TiffInsertPageFromVexiroImage(int32_t nImageID, int32_t nPosition, int32_t nAddImageID) {
  return InsertDocumentPageFromImage(nImageID, nPosition, nAddImageID, kTiff);
}
VexiroStatus cImaging::TiffAppendPageFromFile(int32_t nImageID, const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return TiffInsertPageFromFile(nImageID, TiffGetPageCount(nImageID) + 1, sFilePath);
}
VexiroStatus cImaging::TiffAppendPageFromVexiroImage(int32_t nImageID, int32_t nAddImageID) {
  return TiffInsertPageFromVexiroImage(nImageID, TiffGetPageCount(nImageID) + 1, nAddImageID);
}
VexiroStatus cImaging::TiffDeletePage(int32_t nImageID, int32_t nPage) {
  return DeleteDocumentPage(nImageID, nPage, kTiff);
}
VexiroStatus cImaging::TiffSwapPages(int32_t nImageID, int32_t nPage1, int32_t nPage2) {
  return SwapDocumentPages(nImageID, nPage1, nPage2, kTiff);
}

VexiroStatus cImaging::TiffSaveMultiPageToFile(int32_t nImageID, const std::string& sFilePath,
                                               EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  if (GetImageIndex(nImageID) >= 0 && !RequireEditableDocument(nImageID, kTiff)) return nStat;
  nStat = SaveMultiPageTiffFile(nImageID, sFilePath, nModeCompression);
  return nStat;
}

VexiroStatus cImaging::TiffSaveAsNativeMultiPage(const std::string& sFilePath,
                                                 EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  if (GetImageIndex(nNativeImage) < 0) return nStat = GenericError;
  auto file = std::make_shared<NativeTiffFile>(nNativeImage, sFilePath);
  if (file->Path().empty()) return nStat = CanNotCreateFile;
  // A file still open is finished first: the new one may begin on the same image.
  oNativeTiffFile.reset();
  nStat = TiffBeginMultiPage(nNativeImage, file->Path(), nModeCompression);
  if (nStat != OK) return nStat;
  nNativeTiffMultiPage = nNativeImage;
  oNativeTiffFile = std::move(file);
  return nStat;
}

VexiroStatus cImaging::TiffAddToNativeMultiPage(int32_t nImageID) {
  if (nNativeTiffMultiPage == 0) return nStat = GenericError;
  nStat = TiffSaveAddPage(nNativeTiffMultiPage, nImageID);
  return nStat;
}

VexiroStatus cImaging::TiffCloseNativeMultiPage() {
  if (nNativeTiffMultiPage == 0) return nStat;
  auto file = std::static_pointer_cast<NativeTiffFile>(oNativeTiffFile);
  const VexiroStatus closed = file ? file->Close() : GenericError;
  oNativeTiffFile.reset();
  nStat = ReleaseImage(nNativeTiffMultiPage);
  nNativeTiffMultiPage = 0;
  if (closed != OK) nStat = closed;
  return nStat;
}

VexiroStatus cImaging::TiffMergeFiles(BasicArray<std::string>& sFilesPath, const std::string& sFileDest,
                                      EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFileDest)) return InvalidParameter;
  for (const std::string& file : sFilesPath.Data())
    if (RefusesCutPath(file)) return InvalidParameter;
  nStat = vx::engine::TiffMergeFiles(sFilesPath.Data(), sFileDest, nModeCompression, bDisableVximgplugCodecs);
  return nStat;
}

VexiroStatus cImaging::TiffMerge2Files(const std::string& sFilePath1, const std::string& sFilePath2,
                                       const std::string& sFileDest, EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFilePath1) || RefusesCutPath(sFilePath2) || RefusesCutPath(sFileDest)) return InvalidParameter;
  BasicArray<std::string> files = BasicArray<std::string>::FromVector({sFilePath1, sFilePath2});
  return TiffMergeFiles(files, sFileDest, nModeCompression);
}

VexiroStatus cImaging::TiffMergeFileList(const std::string& sFilesList, const std::string& sFileDest,
                                         EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFilesList) || RefusesCutPath(sFileDest)) return InvalidParameter;
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t comma; (comma = sFilesList.find(',', start)) != std::string::npos; start = comma + 1)
    pieces.push_back(sFilesList.substr(start, comma - start));
  pieces.push_back(sFilesList.substr(start));
  BasicArray<std::string> files = BasicArray<std::string>::FromVector(std::move(pieces));
  return TiffMergeFiles(files, sFileDest, nModeCompression);
}

}  // namespace vexiro
