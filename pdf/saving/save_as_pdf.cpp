// Saving the current image, or every page of a multi-page TIFF document, as a PDF file in one
// call: a writer of its own per call, one page per image at the image's physical size.
#include <vector>

#include "engine/image_store.h"
#include "pdf/pdf_writer.h"
#include "pdf/saving/save_request.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

vx::pdf::PdfSaveRequest Request(const std::string& path, vx::pdf::PdfDocumentInfo info, bool pdfA) {
  vx::pdf::PdfSaveRequest request;
  request.path = path;
  request.info = std::move(info);
  request.pdfA = pdfA;
  return request;
}

vx::pdf::PdfDocumentInfo ExInfo(const std::string& title, const std::string& author, const std::string& subject,
                                const std::string& keywords, const std::string& creator, int32_t encryption = 0,
                                int32_t rights = -1, const std::string& user = "", const std::string& owner = "") {
  return {title, author, subject, keywords, creator, encryption, rights, user, owner};
}

}  // namespace

VexiroStatus cImaging::SaveCurrentImageToPdf(const vx::pdf::PdfSaveRequest& request, std::string& text) {
  const vx::pdf::PdfPageSize size =
      vx::pdf::ImagePageSize(GetWidth(), GetHeight(), GetHorizontalResolution(), GetVerticalResolution());
  std::unique_ptr<cPDF> writer;
  const VexiroStatus opened = vx::pdf::OpenPdfSavingWriter(request.path, request.info, vx::pdf::WriterSettingsFor(request, nPdfCompressionLevel, nPdfJpegQuality), writer);
  if (opened != OK) return nStat = opened;
  const int32_t image = writer->PdfAddImage(nNativeImage, 2);
  if (image <= 0) {
    const VexiroStatus failed = writer->PdfWriteFailed() ? CanNotCreateFile : PdfErrorAddingImage;
    vx::pdf::FinishPdfSavingWriter(*writer, false);
    return nStat = failed;
  }
  vx::pdf::PageCharacters characters;
  const vx::pdf::TextLayerPainter* painter = nullptr;
  if (request.textLayer) {
    // A failed recognition still gives the page, without text; its status is the last status.
    nStat = request.textLayer->recognise(nNativeImage, writer->ImageWidth(image), writer->ImageHeight(image),
                                         characters);
    if (nStat != OK) characters.clear();
    painter = &request.textLayer->paint;
  }
  text += vx::pdf::WritePdfImagePage(*writer, image, size, painter ? &characters : nullptr, painter);
  if (!vx::pdf::FinishPdfSavingWriter(*writer, true)) return nStat = CanNotCreateFile;
  return OK;
}

VexiroStatus cImaging::SaveTiffPagesToPdf(int32_t nImageID, const vx::pdf::PdfSaveRequest& request, std::string& text) {
  if (nImageID == 0) return nStat = InvalidParameter;
  if (!TiffIsMultiPage(nImageID)) return nStat = UnsupportedImageFormat;
  const int32_t pageBefore = TiffGetCurrentPage(nImageID);
  std::unique_ptr<cPDF> writer;
  VexiroStatus status = vx::pdf::OpenPdfSavingWriter(request.path, request.info, vx::pdf::WriterSettingsFor(request, nPdfCompressionLevel, nPdfJpegQuality), writer);
  if (status != OK) return nStat = status;
  writer->CompressData(true);

  // Every image first, so that image i of the writer is page i of the document.
  const int32_t count = TiffGetPageCount(nImageID);
  std::vector<vx::pdf::PageCharacters> pages(static_cast<size_t>(count > 0 ? count : 0));
  for (int32_t i = 1; i <= count && status == OK; ++i) {
    if (TiffSelectPage(nImageID, i) != OK || writer->PdfAddImage(nImageID, 2) != i)
      status = writer->PdfWriteFailed() ? CanNotCreateFile : PdfErrorAddingImage;
    else if (request.textLayer)
      status = request.textLayer->recognise(nImageID, writer->ImageWidth(i), writer->ImageHeight(i), pages[i - 1]);
  }
  if (status == OK) {
    const vx::pdf::TextLayerPainter* painter = request.textLayer ? &request.textLayer->paint : nullptr;
    for (int32_t i = 1; i <= count; ++i)
      text += vx::pdf::WritePdfImagePage(*writer, i, vx::pdf::WriterImagePageSize(*writer, i),
                                         painter ? &pages[i - 1] : nullptr, painter);
  }
  // A document cut short by a failed page is removed, not left behind without its pages.
  if (!vx::pdf::FinishPdfSavingWriter(*writer, status == OK) && status == OK) status = CanNotCreateFile;
  if (pageBefore > 0) TiffSelectPage(nImageID, pageBefore);
  return nStat = status;
}

// ---- The members ----

bool cImaging::SaveAsPDF(const std::string& sFilePath, const std::string& sTitle, const std::string& sCreator,
                         const std::string& sAuthor, const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath)) return false;
  return SaveAsPDFEx(sFilePath, sTitle, sAuthor, "", "", sCreator);
}

bool cImaging::SaveAsPDFA(const std::string& sFilePath, const std::string& sTitle, const std::string& sCreator,
                          const std::string& sAuthor, const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath)) return false;
  return SaveAsPDFAEx(sFilePath, sTitle, sAuthor, "", "", sCreator);
}

bool cImaging::SaveAsPDFEx(const std::string& sFilePath, const std::string& sTitle, const std::string& sAuthor,
                           const std::string& sSubject, const std::string& sKeywords, const std::string& sCreator,
                           EnumArg<PdfEncryption> nPdfEncryption, EnumArg<PdfRight> nPDFRight,
                           const std::string& sUserpassWord,
                           const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath)) return false;
  if (vx::engine::GetImageIndex(nNativeImage) < 0) return false;
  if (TiffGetPageCount(nNativeImage) > 1)
    return PdfCreateFromMultipageTIFFEx(nNativeImage, sFilePath, sTitle, sAuthor, sSubject, sKeywords, sCreator,
                                        nPdfEncryption, nPDFRight, sUserpassWord, sOwnerPassword) == OK;
  std::string text;
  return SaveCurrentImageToPdf(Request(sFilePath,
                                       ExInfo(sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption,
                                              nPDFRight, sUserpassWord, sOwnerPassword),
                                       false),
                               text) == OK;
}

bool cImaging::SaveAsPDFAEx(const std::string& sFilePath, const std::string& sTitle, const std::string& sAuthor,
                            const std::string& sSubject, const std::string& sKeywords, const std::string& sCreator) {
  if (RefusesCutPath(sFilePath)) return false;
  if (vx::engine::GetImageIndex(nNativeImage) < 0) return false;
  if (TiffGetPageCount(nNativeImage) > 1)
    return PdfACreateFromMultipageTIFFEx(nNativeImage, sFilePath, sTitle, sAuthor, sSubject, sKeywords, sCreator) ==
           OK;
  std::string text;
  return SaveCurrentImageToPdf(Request(sFilePath, ExInfo(sTitle, sAuthor, sSubject, sKeywords, sCreator), true),
                               text) == OK;
}

VexiroStatus cImaging::PdfCreateFromMultipageTIFF(int32_t nImageID, const std::string& sPdfFileDest,
                                                  const std::string& sTitle, const std::string& sCreator,
                                                  const std::string& sAuthor, const std::string& /*sProducer*/) {
  if (RefusesCutPath(sPdfFileDest)) return InvalidParameter;
  return PdfCreateFromMultipageTIFFEx(nImageID, sPdfFileDest, sTitle, sAuthor, "", "", sCreator);
}

VexiroStatus cImaging::PdfACreateFromMultipageTIFF(int32_t nImageID, const std::string& sPdfFileDest,
                                                   const std::string& sTitle, const std::string& sCreator,
                                                   const std::string& sAuthor, const std::string& /*sProducer*/) {
  if (RefusesCutPath(sPdfFileDest)) return InvalidParameter;
  return PdfACreateFromMultipageTIFFEx(nImageID, sPdfFileDest, sTitle, sAuthor, "", "", sCreator);
}

VexiroStatus cImaging::PdfCreateFromMultipageTIFFEx(int32_t nImageID, const std::string& sPdfFileDest,
                                                    const std::string& sTitle, const std::string& sAuthor,
                                                    const std::string& sSubject, const std::string& sKeywords,
                                                    const std::string& sCreator, EnumArg<PdfEncryption> nPdfEncryption,
                                                    EnumArg<PdfRight> nPDFRight, const std::string& sUserpassWord,
                                                    const std::string& sOwnerPassword) {
  if (RefusesCutPath(sPdfFileDest)) return InvalidParameter;
  std::string text;
  return SaveTiffPagesToPdf(nImageID,
                            Request(sPdfFileDest,
                                    ExInfo(sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption, nPDFRight,
                                           sUserpassWord, sOwnerPassword),
                                    false),
                            text);
}

VexiroStatus cImaging::PdfACreateFromMultipageTIFFEx(int32_t nImageID, const std::string& sPdfFileDest,
                                                     const std::string& sTitle, const std::string& sAuthor,
                                                     const std::string& sSubject, const std::string& sKeywords,
                                                     const std::string& sCreator) {
  if (RefusesCutPath(sPdfFileDest)) return InvalidParameter;
  std::string text;
  return SaveTiffPagesToPdf(nImageID, Request(sPdfFileDest, ExInfo(sTitle, sAuthor, sSubject, sKeywords, sCreator), true),
                            text);
}

}  // namespace vexiro
