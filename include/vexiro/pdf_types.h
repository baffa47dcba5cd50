// The choices a host passes when it starts a PDF document: the encryption and the rights an
// encrypted document grants (flags added together).
#pragma once
#include <cstdint>

namespace vexiro {

enum PdfEncryption : int32_t {
  PdfEncryptionNone = 0,
  PdfEncryption40BitRC4 = 1,
  PdfEncryption128BitRC4 = 2,
};

enum PdfRight : int32_t {
  PdfRightUndefined = -1,  // every right
  PdfRightCanView = 0,
  PdfRightCanPrint = 1,
  PdfRightCanCopy = 2,
  PdfRightCanModify = 4,
  PdfRightCanAddNotes = 8,
  PdfRightCanFillFields = 16,
  PdfRightCanCopyAccess = 32,
  PdfRightCanAssemble = 64,
  PdfRightCanPrintFull = 128,
};

}  // namespace vexiro
