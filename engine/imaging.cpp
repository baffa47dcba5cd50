// Construction and destruction of the engine.
#include "vexiro/imaging.h"

#include "engine/gdiplus_lifetime.h"
#include "devices/network/inet_session.h"
#include "engine/services.h"
#include "platform/ole/class_factory.h"
#include "pdf/pdf_writer.h"

namespace vexiro {

cImaging::cImaging() {
  vx::engine::WireSubsystems();
  vx::engine::RunMainOnce();
  oARD = std::make_unique<cARD>();
  // The engine exists whatever the platform start gave; its members then answer with the
  // platform's own status.
  vx::engine::StartGdiPlus();
  oBarcode1DReader = std::make_unique<cBarcode1DReader>();
  oBarcodeDMReader = std::make_unique<cBarcodeDMReader>();
  // Last, so that a construction that throws leaves no count behind.
  vx::ole::AddModuleReference();
}

cImaging::~cImaging() {
  vx::ole::ReleaseModuleReference();
  try {
    PdfSavePdf();  // a document the host left open is finished, not left unreadable
    // Scan documents still open when the engine ends were never stopped: remove their files.
    AbandonScanPdf(oTwainPDF, nTwainPdfHandle);
    AbandonScanPdf(oTwainPDFOCR, nTwainPdfOCRHandle);
    vx::engine::StopGdiPlus();
  } catch (...) {
    // Destruction ignores every error.
  }
}

}  // namespace vexiro
