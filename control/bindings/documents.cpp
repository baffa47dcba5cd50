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

// Multi-page GIF and animation
VX_BIND(GifOpenMultiPageAsReadOnly, &vexiro::cImaging::GifOpenMultiPageAsReadOnly);
VX_BIND(GifIsMultiPage, &vexiro::cImaging::GifIsMultiPage);
VX_BIND(GifIsEditableMultiPage, &vexiro::cImaging::GifIsEditableMultiPage);
VX_BIND(GifGetPageCount, &vexiro::cImaging::GifGetPageCount);
VX_BIND(GifGetCurrentPage, &vexiro::cImaging::GifGetCurrentPage);
VX_BIND(GifSelectPage, &vexiro::cImaging::GifSelectPage);
VX_BIND(GifGetFrameCount, &vexiro::cImaging::GifGetFrameCount);
VX_BIND(GifSelectFrame, &vexiro::cImaging::GifSelectFrame);
VX_BIND(GifGetFrameDelay, &vexiro::cImaging::GifGetFrameDelay);
VX_BIND(GifGetLoopCount, &vexiro::cImaging::GifGetLoopCount);
VX_BIND(GifSetLoopCount, &vexiro::cImaging::GifSetLoopCount);
VX_BIND(GifGetPageTime, &vexiro::cImaging::GifGetPageTime);
VX_BIND(GifSetPageTime, &vexiro::cImaging::GifSetPageTime);
VX_BIND(GifSetPageDisposal, &vexiro::cImaging::GifSetPageDisposal);
VX_BIND(GifCreateMultiPageFromFile, &vexiro::cImaging::GifCreateMultiPageFromFile);
VX_BIND(GifCreateMultiPageFromVexiroImage, &vexiro::cImaging::GifCreateMultiPageFromVexiroImage);
VX_BIND(GifInsertPageFromFile, &vexiro::cImaging::GifInsertPageFromFile);
VX_BIND(GifInsertPageFromVexiroImage, &vexiro::cImaging::GifInsertPageFromVexiroImage);
VX_BIND(GifAppendPageFromFile, &vexiro::cImaging::GifAppendPageFromFile);
VX_BIND(GifAppendPageFromVexiroImage, &vexiro::cImaging::GifAppendPageFromVexiroImage);
VX_BIND(GifDeletePage, &vexiro::cImaging::GifDeletePage);
VX_BIND(GifSwapPages, &vexiro::cImaging::GifSwapPages);
VX_BIND(GifSaveMultiPageToFile, &vexiro::cImaging::GifSaveMultiPageToFile);
VX_BIND(GifSetTransparency, &vexiro::cImaging::GifSetTransparency);
VX_BIND(GifDisplayAnimatedGif, &vexiro::cImaging::GifDisplayAnimatedGif);

}  // namespace vx::control
