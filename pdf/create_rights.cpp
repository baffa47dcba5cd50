#include "vexiro/imaging.h"

namespace vexiro {

PdfRight cImaging::PdfCreateRights(bool bCanPrint, bool bCanModify, bool bCanCopy, bool bCanAddNotes,
                                   bool bCanFillFields, bool bCanCopyAccess, bool bCanAssemble, bool bCanprintFull) {
  int32_t rights = PdfRightCanView;
  if (bCanPrint) rights += PdfRightCanPrint;
  if (bCanModify) rights += PdfRightCanModify;
  if (bCanCopy) rights += PdfRightCanCopy;
  if (bCanAddNotes) rights += PdfRightCanAddNotes;
  if (bCanFillFields) rights += PdfRightCanFillFields;
  if (bCanCopyAccess) rights += PdfRightCanCopyAccess;
  if (bCanAssemble) rights += PdfRightCanAssemble;
  if (bCanprintFull) rights += PdfRightCanPrintFull;
  return static_cast<PdfRight>(rights);
}

}  // namespace vexiro
