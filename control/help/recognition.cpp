// Help on the recognition members: document templates, OCR (also into searchable PDF files),
// 1D and DataMatrix barcode reading.
#include "control/help/status_lists.h"
#include "control/member_help.h"

namespace vx::control::help {

namespace {

constexpr VexiroStatus kTemplateBuild[] = {OK,          GenericError, InvalidParameter,
                                           OutOfMemory, FileNotFound, UnknownImageFormat};
constexpr VexiroStatus kTemplateAdd[] = {OK, GenericError, InvalidParameter, OutOfMemory, TemplateNotFound};
// Template lookups answer an unknown template through their result (-1, 0, "" or false).
constexpr auto& kTemplateQuery = kAlwaysOk;
constexpr VexiroStatus kTemplateFile[] = {OK, GenericError, FileNotFound};
constexpr VexiroStatus kTemplateMatch[] = {OK, GenericError, InvalidParameter, OutOfMemory, FileNotFound};
constexpr VexiroStatus kOcr[] = {OK, GenericError, InvalidParameter, OutOfMemory, OCRDictionaryNotFound};
constexpr VexiroStatus kOcrPdf[] = {
    OK, GenericError, InvalidParameter, OutOfMemory, CanNotCreateFile, PdfErrorAddingImage, OCRDictionaryNotFound};
constexpr VexiroStatus kOcrPdfFromTiff[] = {OK,
                                            GenericError,
                                            InvalidParameter,
                                            OutOfMemory,
                                            CanNotCreateFile,
                                            PdfErrorAddingImage,
                                            OCRDictionaryNotFound,
                                            UnsupportedImageFormat};
// Character records answer a number outside the list through their result.
constexpr auto& kOcrRecord = kAlwaysOk;
constexpr VexiroStatus kRead1D[] = {OK, GenericError, InvalidParameter, OutOfMemory, BarcodeReader1DPluginNotLoaded};
constexpr VexiroStatus kReadDataMatrix[] = {OK, GenericError, InvalidParameter, OutOfMemory,
                                            BarcodeReaderDataMatrixPluginNotLoaded};
// Results of the last scan, by number.
constexpr auto& kReadResult = kAlwaysOk;

constexpr MemberHelp kEntries[] = {
    // document templates
    {"ADRCreateTemplateFromFile", "Makes a recognition template from an image file; returns its id.", kTemplateBuild},
    {"ADRCreateTemplateFromFileICM", "Makes a template from an image file read with its colour profile.",
     kTemplateBuild},
    {"ADRCreateTemplateFromVexiroImage", "Makes a recognition template from an image of the store.", kTemplateBuild},
    {"ADRAddImageToTemplate", "Teaches a template one more sample image.", kTemplateAdd},
    {"ADRDeleteTemplate", "Removes a template.", kTemplateQuery},
    {"ADRSetTemplateTag", "Gives a template a tag text of the caller's choice.", kTemplateQuery},
    {"ADRLoadTemplateConfig", "Reads a set of templates from a configuration file.", kTemplateFile},
    {"ADRSaveTemplateConfig", "Writes all templates to a configuration file.", kTemplateFile},
    {"ADRGetTemplateTag", "Tag text of a template.", kTemplateQuery},
    {"ADRGetTemplateCount", "Number of templates held.", kTemplateQuery},
    {"ADRGetTemplateID", "Id of the template at this position.", kTemplateQuery},
    {"ADRGetCloserTemplateForVexiroImage", "Id of the template an image resembles most.", kTemplateMatch},
    {"ADRGetCloserTemplateForFile", "Id of the template an image file resembles most.", kTemplateMatch},
    {"ADRGetCloserTemplateForFileICM", "Closest template for an image file read with its colour profile.",
     kTemplateMatch},
    {"ADRGetLastRelevance", "Relevance score of the last closest-template search.", kTemplateQuery},
    {"ADRGetLastRelevanceFromTemplate", "Score one template reached in the last search.", kTemplateQuery},
    {"ADRCreateTemplateEmpty", "Makes a template without samples; returns its id.", kTemplateQuery},
    {"ADRStartNewTemplateConfig", "Drops every template, to start a new set.", kTemplateQuery},
    {"ADRGetTemplateImageCount", "Number of sample images a template has learnt.", kTemplateQuery},
    // OCR
    {"OCRTesseractDoOCR", "Recognises the text of the processing region in a language; returns it.", kOcr},
    {"OCRTesseractClear", "Forgets the characters of the last recognition.", kAlwaysOk},
    {"OCRTesseractGetCharCount", "Number of characters the last recognition found.", kOcrRecord},
    {"OCRTesseractGetCharCode", "Character code of a recognised character.", kOcrRecord},
    {"OCRTesseractGetCharConfidence", "How sure the recognition is of a character, in percent.", kOcrRecord},
    {"OCRTesseractGetCharSpaces", "Blanks in front of a character; above 0 it starts a word.", kOcrRecord},
    {"OCRTesseractGetCharLine", "Line number of a recognised character.", kOcrRecord},
    {"OCRTesseractGetCharLeft", "Left edge of a recognised character, in pixels.", kOcrRecord},
    {"OCRTesseractGetCharRight", "Right edge of a recognised character, in pixels.", kOcrRecord},
    {"OCRTesseractGetCharBottom", "Bottom edge of a recognised character, in pixels.", kOcrRecord},
    {"OCRTesseractGetCharTop", "Top edge of a recognised character, in pixels.", kOcrRecord},
    {"OCRTesseractGetOrientation", "Which quarter turn puts the page's text upright.", kOcr},
    {"OCRTesseractGetOrientationEx", "Which quarter turn puts the text upright, at an accuracy level.", kOcr},
    {"SaveAsPDFOCR", "Writes the current image as a searchable PDF/A with an invisible text layer.", kOcrPdf},
    {"SaveAsPDFOCREx", "Writes a searchable PDF/A of the current image with full information.", kOcrPdf},
    {"PdfOCRCreateFromMultipageTIFF", "Writes a TIFF document as a searchable PDF/A, page by page.", kOcrPdfFromTiff},
    {"PdfOCRCreateFromMultipageTIFFEx", "Writes a TIFF document as a searchable PDF/A with full information.",
     kOcrPdfFromTiff},
    // 1D barcodes
    {"Barcode1DReaderDoScan", "Looks for 1D barcodes in the processing region.", kRead1D},
    {"Barcode1DReaderGetBarcodeCount", "Number of 1D barcodes the last scan found.", kReadResult},
    {"Barcode1DReaderGetBarcodeType", "Symbology of a found 1D barcode.", kReadResult},
    {"Barcode1DReaderGetBarcodeValue", "Text of a found 1D barcode.", kReadResult},
    {"Barcode1DReaderGetBarcodeSkewAngle", "Skew of a found 1D barcode in degrees.", kReadResult},
    {"Barcode1DReaderBarcodeHasChecksum", "True when a found 1D barcode carries a check digit.", kReadResult},
    {"Barcode1DReaderGetBarcodeX1", "x of a found 1D barcode's first corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeY1", "y of a found 1D barcode's first corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeX2", "x of a found 1D barcode's second corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeY2", "y of a found 1D barcode's second corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeX3", "x of a found 1D barcode's third corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeY3", "y of a found 1D barcode's third corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeX4", "x of a found 1D barcode's fourth corner.", kReadResult},
    {"Barcode1DReaderGetBarcodeY4", "y of a found 1D barcode's fourth corner.", kReadResult},
    {"Barcode1DReaderClear", "Forgets the 1D barcodes of the last scan.", kAlwaysOk},
    // DataMatrix
    {"BarcodeDataMatrixReaderDoScan", "Looks for DataMatrix symbols in the processing region.", kReadDataMatrix},
    {"BarcodeDataMatrixReaderGetBarcodeCount", "Number of DataMatrix symbols the last scan found.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeValue", "Text of a found DataMatrix symbol.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeX1", "x of a found DataMatrix symbol's first corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeY1", "y of a found DataMatrix symbol's first corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeX2", "x of a found DataMatrix symbol's second corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeY2", "y of a found DataMatrix symbol's second corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeX3", "x of a found DataMatrix symbol's third corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeY3", "y of a found DataMatrix symbol's third corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeX4", "x of a found DataMatrix symbol's fourth corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeY4", "y of a found DataMatrix symbol's fourth corner.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeRows", "Module rows of a found DataMatrix symbol.", kReadResult},
    {"BarcodeDataMatrixReaderGetBarcodeColumns", "Module columns of a found DataMatrix symbol.", kReadResult},
    {"BarcodeDataMatrixReaderClear", "Forgets the DataMatrix symbols of the last scan.", kAlwaysOk},
};

}  // namespace

std::span<const MemberHelp> RecognitionEntries() { return kEntries; }

}  // namespace vx::control::help
