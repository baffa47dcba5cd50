// The engine's multi-page GIF members: documents, their animation data, saving as an animated
// GIF and playing the frames on a device context.
#include <vector>

#include "engine/documents/gif_documents.h"
#include "engine/documents/gif_player.h"
#include "engine/documents/multipage_document.h"
#include "engine/image_store.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

const std::string kGif = "GIF";

}  // namespace

void cImaging::GifOpenMultiPageAsReadOnly(bool bReadOnly) { bGifOpenReadOnly = bReadOnly; }
bool cImaging::GifIsMultiPage(int32_t nImageID) { return IsMultiPageGif(nImageID); }
bool cImaging::GifIsEditableMultiPage(int32_t nImageID) { return IsEditableMultiPageGif(nImageID); }
int32_t cImaging::GifGetPageCount(int32_t nImageID) { return DocumentPageCount(nImageID, kGif); }
int32_t cImaging::GifGetCurrentPage(int32_t nImageID) { return DocumentCurrentPage(nImageID, kGif); }

VexiroStatus cImaging::GifSelectPage(int32_t nImageID, int32_t nPage) {
  return SelectDocumentPage(nImageID, nPage, kGif);
}

int32_t cImaging::GifGetFrameCount() { return GifGetPageCount(nNativeImage); }
VexiroStatus cImaging::GifSelectFrame(int32_t nFrame) { return GifSelectPage(nNativeImage, nFrame); }

VexiroStatus cImaging::GifGetFrameDelay(BasicArray<int32_t>& arFrameDelay) {
  std::vector<int32_t> delays;
  nStat = GetGifFrameDelays(nNativeImage, delays);
  if (nStat == OK && !delays.empty()) arFrameDelay = BasicArray<int32_t>::FromVector(std::move(delays));
  return nStat;
}

int32_t cImaging::GifGetLoopCount(int32_t nImageID) { return vx::engine::GetGifLoopCount(nImageID); }
VexiroStatus cImaging::GifSetLoopCount(int32_t nImageID, int32_t nLoopCount) {
  return vx::engine::SetGifLoopCount(nImageID, nLoopCount);
}

int32_t cImaging::GifGetPageTime(int32_t nImageID, int32_t nPage) {
  std::vector<int32_t> delays;
  nStat = GetGifFrameDelays(nImageID, delays);
  if (nPage < 1 || static_cast<size_t>(nPage) > delays.size()) return 0;
  return delays[static_cast<size_t>(nPage - 1)];
}

VexiroStatus cImaging::GifSetPageTime(int32_t nImageID, int32_t nPage, int32_t nPageTime) {
  return vx::engine::SetGifPageTime(nImageID, nPage, nPageTime);
}
VexiroStatus cImaging::GifSetPageDisposal(int32_t nImageID, int32_t nPage, int32_t nPageDisposal) {
  return vx::engine::SetGifPageDisposal(nImageID, nPage, nPageDisposal);
}

int32_t cImaging::GifCreateMultiPageFromFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CreateDocumentFromFile(sFilePath, false, kGif);
}
int32_t cImaging::GifCreateMultiPageFromVexiroImage(int32_t nImageID) {
  return CreateDocumentFromImage(nImageID, kGif);
}

VexiroStatus cImaging::GifInsertPageFromFile(int32_t nImageID, int32_t nPosition, const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return InsertDocumentPageFromFile(nImageID, nPosition, sFilePath, kGif);
}
VexiroStatus cImaging::GifInsertPageFromVexiroImage(int32_t nImageID, int32_t nPosition, int32_t nAddImageID) {
  return InsertDocumentPageFromImage(nImageID, nPosition, nAddImageID, kGif);
}
VexiroStatus cImaging::GifAppendPageFromFile(int32_t nImageID, const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return GifInsertPageFromFile(nImageID, GifGetPageCount(nImageID) + 1, sFilePath);
}
VexiroStatus cImaging::GifAppendPageFromVexiroImage(int32_t nImageID, int32_t nAddImageID) {
  return GifInsertPageFromVexiroImage(nImageID, GifGetPageCount(nImageID) + 1, nAddImageID);
}
VexiroStatus cImaging::GifDeletePage(int32_t nImageID, int32_t nPage) { return DeleteDocumentPage(nImageID, nPage, kGif); }
VexiroStatus cImaging::GifSwapPages(int32_t nImageID, int32_t nPage1, int32_t nPage2) {
  return SwapDocumentPages(nImageID, nPage1, nPage2, kGif);
}

VexiroStatus cImaging::GifSaveMultiPageToFile(int32_t nImageID, const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  if (GetImageIndex(nImageID) >= 0 && !RequireEditableDocument(nImageID, kGif)) return nStat;
  nStat = SaveMultiPageGifFile(nImageID, sFilePath);
  return nStat;
}

VexiroStatus cImaging::GifSetTransparency(EnumArg<Colors> nColorARGB) {
  if (CurrentImageIsIndexed()) return ColorPaletteSetTransparentColor(nColorARGB);
  return SetTransparencyColor(nColorARGB);
}

int32_t cImaging::GifDisplayAnimatedGif(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                        int32_t nHeight) {
  constexpr int32_t kBilinear = 3;
  if (GetImageIndex(nNativeImage) < 0) return nStat = GenericError;
  const int32_t frames = GifGetFrameCount();
  BasicArray<int32_t> delays;
  if (GifGetFrameDelay(delays) != OK) return nStat;
  const std::vector<int32_t>& delay = delays.Data();
  for (int32_t f = 1; f <= frames; ++f) {
    if (GifSelectFrame(f) != OK) continue;
    // A frame the context cannot show still takes its time; the result stays the selection's.
    DisplayImageOnHDC(nHDC, nDstLeft, nDstTop, nWidth, nHeight, kBilinear);
    nStat = OK;
    const int64_t shown = AnimationNow();
    const size_t at = static_cast<size_t>(f - 1);
    WaitOnAnimationClock(shown, at < delay.size() ? int64_t{delay[at]} * 10 : 0);
  }
  return nStat;
}

}  // namespace vexiro
