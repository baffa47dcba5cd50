// Construction and destruction of the engine.
#include "vexiro/imaging.h"

#include "engine/gdiplus_lifetime.h"
#include "devices/network/inet_session.h"
#include "engine/services.h"
#include "pdf/pdf_writer.h"

namespace vexiro {

cImaging::cImaging() {
  vx::engine::WireSubsystems();
  vx::engine::GdiplusThreadState& st = vx::engine::ThreadGdiplusState();
  if (!st.MainRan) {
    st.MainRan = true;
    vx::engine::Main();
  }
  oARD = std::make_unique<cARD>();
  // The engine exists whatever the platform start gave; its members then answer with the
  // platform's own status.
  vx::engine::StartGdiPlus();
  oBarcode1DReader = std::make_unique<cBarcode1DReader>();
  oBarcodeDMReader = std::make_unique<cBarcodeDMReader>();
}

cImaging::~cImaging() {
  try {
    // Scan documents still open when the engine ends were never stopped: remove their files.
    AbandonScanPdf(oTwainPDF, nTwainPdfHandle);
    AbandonScanPdf(oTwainPDFOCR, nTwainPdfOCRHandle);
    vx::engine::StopGdiPlus();
  } catch (...) {
    // Destruction ignores every error.
  }
}

}  // namespace vexiro
