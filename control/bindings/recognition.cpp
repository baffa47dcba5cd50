// The recognition members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// Document templates
VX_BIND(ADRCreateTemplateEmpty, &vexiro::cImaging::ADRCreateTemplateEmpty);
VX_BIND(ADRCreateTemplateFromVexiroImage, &vexiro::cImaging::ADRCreateTemplateFromVexiroImage);
VX_BIND(ADRCreateTemplateFromFile, &vexiro::cImaging::ADRCreateTemplateFromFile);
VX_BIND(ADRCreateTemplateFromFileICM, &vexiro::cImaging::ADRCreateTemplateFromFileICM);
VX_BIND(ADRAddImageToTemplate, &vexiro::cImaging::ADRAddImageToTemplate);
VX_BIND(ADRDeleteTemplate, &vexiro::cImaging::ADRDeleteTemplate);
VX_BIND(ADRSetTemplateTag, &vexiro::cImaging::ADRSetTemplateTag);
VX_BIND(ADRGetTemplateTag, &vexiro::cImaging::ADRGetTemplateTag);
VX_BIND(ADRGetTemplateImageCount, &vexiro::cImaging::ADRGetTemplateImageCount);
VX_BIND(ADRGetTemplateCount, &vexiro::cImaging::ADRGetTemplateCount);
VX_BIND(ADRGetTemplateID, &vexiro::cImaging::ADRGetTemplateID);
VX_BIND(ADRGetCloserTemplateForVexiroImage, &vexiro::cImaging::ADRGetCloserTemplateForVexiroImage);
VX_BIND(ADRGetCloserTemplateForFile, &vexiro::cImaging::ADRGetCloserTemplateForFile);
VX_BIND(ADRGetCloserTemplateForFileICM, &vexiro::cImaging::ADRGetCloserTemplateForFileICM);
VX_BIND(ADRGetLastRelevanceFromTemplate, &vexiro::cImaging::ADRGetLastRelevanceFromTemplate);
VX_BIND(ADRGetLastRelevance, &vexiro::cImaging::ADRGetLastRelevance);
VX_BIND(ADRLoadTemplateConfig, &vexiro::cImaging::ADRLoadTemplateConfig);
VX_BIND(ADRSaveTemplateConfig, &vexiro::cImaging::ADRSaveTemplateConfig);
VX_BIND(ADRStartNewTemplateConfig, &vexiro::cImaging::ADRStartNewTemplateConfig);

// 1D barcode reader
VX_BIND(Barcode1DReaderDoScan, &vexiro::cImaging::Barcode1DReaderDoScan);
VX_BIND(Barcode1DReaderGetBarcodeCount, &vexiro::cImaging::Barcode1DReaderGetBarcodeCount);
VX_BIND(Barcode1DReaderGetBarcodeType, &vexiro::cImaging::Barcode1DReaderGetBarcodeType);
VX_BIND(Barcode1DReaderGetBarcodeValue, &vexiro::cImaging::Barcode1DReaderGetBarcodeValue);
VX_BIND(Barcode1DReaderGetBarcodeSkewAngle, &vexiro::cImaging::Barcode1DReaderGetBarcodeSkewAngle);
VX_BIND(Barcode1DReaderBarcodeHasChecksum, &vexiro::cImaging::Barcode1DReaderBarcodeHasChecksum);
VX_BIND(Barcode1DReaderGetBarcodeX1, &vexiro::cImaging::Barcode1DReaderGetBarcodeX1);
VX_BIND(Barcode1DReaderGetBarcodeY1, &vexiro::cImaging::Barcode1DReaderGetBarcodeY1);
VX_BIND(Barcode1DReaderGetBarcodeX2, &vexiro::cImaging::Barcode1DReaderGetBarcodeX2);
VX_BIND(Barcode1DReaderGetBarcodeY2, &vexiro::cImaging::Barcode1DReaderGetBarcodeY2);
VX_BIND(Barcode1DReaderGetBarcodeX3, &vexiro::cImaging::Barcode1DReaderGetBarcodeX3);
VX_BIND(Barcode1DReaderGetBarcodeY3, &vexiro::cImaging::Barcode1DReaderGetBarcodeY3);
VX_BIND(Barcode1DReaderGetBarcodeX4, &vexiro::cImaging::Barcode1DReaderGetBarcodeX4);
VX_BIND(Barcode1DReaderGetBarcodeY4, &vexiro::cImaging::Barcode1DReaderGetBarcodeY4);
VX_BIND(Barcode1DReaderClear, &vexiro::cImaging::Barcode1DReaderClear);

// DataMatrix reader
VX_BIND(BarcodeDataMatrixReaderDoScan, &vexiro::cImaging::BarcodeDataMatrixReaderDoScan);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeCount, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeCount);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeValue, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeValue);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX1, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX1);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY1, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY1);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX2, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX2);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY2, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY2);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX3, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX3);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY3, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY3);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeX4, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeX4);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeY4, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeY4);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeRows, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeRows);
VX_BIND(BarcodeDataMatrixReaderGetBarcodeColumns, &vexiro::cImaging::BarcodeDataMatrixReaderGetBarcodeColumns);
VX_BIND(BarcodeDataMatrixReaderClear, &vexiro::cImaging::BarcodeDataMatrixReaderClear);

}  // namespace vx::control
