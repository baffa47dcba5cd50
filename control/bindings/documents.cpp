// The multi-page document members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// Multi-page TIFF
VX_BIND(TiffOpenMultiPageAsReadOnly, &vexiro::cImaging::TiffOpenMultiPageAsReadOnly);
VX_BIND(TiffIsMultiPage, &vexiro::cImaging::TiffIsMultiPage);
VX_BIND(TiffIsEditableMultiPage, &vexiro::cImaging::TiffIsEditableMultiPage);
VX_BIND(TiffGetPageCount, &vexiro::cImaging::TiffGetPageCount);
VX_BIND(TiffGetCurrentPage, &vexiro::cImaging::TiffGetCurrentPage);
VX_BIND(TiffSelectPage, &vexiro::cImaging::TiffSelectPage);
VX_BIND(TiffCreateMultiPageFromFile, &vexiro::cImaging::TiffCreateMultiPageFromFile);
VX_BIND(TiffCreateMultiPageFromFileICM, &vexiro::cImaging::TiffCreateMultiPageFromFileICM);
VX_BIND(TiffCreateMultiPageFromVexiroImage, &vexiro::cImaging::TiffCreateMultiPageFromVexiroImage);
VX_BIND(TiffInsertPageFromFile, &vexiro::cImaging::TiffInsertPageFromFile);
VX_BIND(TiffInsertPageFromVexiroImage, &vexiro::cImaging::TiffInsertPageFromVexiroImage);
VX_BIND(TiffAppendPageFromFile, &vexiro::cImaging::TiffAppendPageFromFile);
VX_BIND(TiffAppendPageFromVexiroImage, &vexiro::cImaging::TiffAppendPageFromVexiroImage);
VX_BIND(TiffDeletePage, &vexiro::cImaging::TiffDeletePage);
VX_BIND(TiffSwapPages, &vexiro::cImaging::TiffSwapPages);
VX_BIND(TiffSaveMultiPageToFile, &vexiro::cImaging::TiffSaveMultiPageToFile);
VX_BIND(TiffSaveAsNativeMultiPage, &vexiro::cImaging::TiffSaveAsNativeMultiPage);
VX_BIND(TiffAddToNativeMultiPage, &vexiro::cImaging::TiffAddToNativeMultiPage);
VX_BIND(TiffCloseNativeMultiPage, &vexiro::cImaging::TiffCloseNativeMultiPage);
VX_BIND(TiffMergeFiles, &vexiro::cImaging::TiffMergeFiles);
VX_BIND(TiffMerge2Files, &vexiro::cImaging::TiffMerge2Files);
VX_BIND(TiffMergeFileList, &vexiro::cImaging::TiffMergeFileList);

}  // namespace vx::control
