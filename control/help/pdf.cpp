// Help on the PDF members: documents built page by page, images and multi-page TIFF saved as PDF
// or PDF/A, encryption rights.
#include "control/help/status_lists.h"
#include "control/member_help.h"

namespace vx::control::help {

namespace {

// Page drawing and settings act on the open document and leave the status as it was.
constexpr auto& kPdfPage = kAlwaysOk;
constexpr VexiroStatus kPdfBegin[] = {OK, CanNotCreateFile};
constexpr VexiroStatus kPdfAddImage[] = {OK, GenericError, InvalidParameter, FileNotFound, PdfErrorAddingImage};
constexpr VexiroStatus kPdfSaveImage[] = {OK,          GenericError,     InvalidParameter,
                                          OutOfMemory, CanNotCreateFile, PdfErrorAddingImage};
// An id that names no TIFF document gives UnsupportedImageFormat.
constexpr VexiroStatus kPdfFromTiff[] = {OK,           GenericError,     InvalidParameter,    OutOfMemory,
                                         FileNotFound, CanNotCreateFile, PdfErrorAddingImage, UnsupportedImageFormat};

constexpr MemberHelp kEntries[] = {
    {"PdfAddFont", "Adds a font, bold or italic if asked, to the open PDF; returns its number.", kPdfPage},
    {"PdfAddImageFromFile", "Adds an image file to the open PDF as an image object; returns its number.", kPdfAddImage},
    {"PdfAddImageFromVexiroImage", "Adds an image of the store to the open PDF; returns its number.", kPdfAddImage},
    {"PdfDrawArc", "Draws an arc, or a pie when asked, on the PDF page.", kPdfPage},
    {"PdfDrawImage", "Places an added image object on the PDF page at a size.", kPdfPage},
    {"PdfGetImageHeight", "Height of an added image object in the measurement unit.", kPdfPage},
    {"PdfGetImageWidth", "Width of an added image object in the measurement unit.", kPdfPage},
    {"PdfDrawFillRectangle", "Draws a filled rectangle, rounded by a radius, on the PDF page.", kPdfPage},
    {"PdfDrawCircle", "Draws a circle's outline on the PDF page.", kPdfPage},
    {"PdfDrawFillCircle", "Draws a filled circle on the PDF page.", kPdfPage},
    {"PdfDrawCurve", "Draws a Bezier curve from three points on the PDF page.", kPdfPage},
    {"PdfDrawLine", "Draws a line on the PDF page.", kPdfPage},
    {"PdfDrawRectangle", "Draws a rectangle's outline, rounded by a radius, on the PDF page.", kPdfPage},
    {"PdfDrawText", "Writes text in an added font at a point, optionally turned.", kPdfPage},
    {"PdfGetTextWidth", "Width text takes in an added font and size, in the measurement unit.", kPdfPage},
    {"PdfDrawTextAlign", "Writes text aligned left, centred or right at a point.", kPdfPage},
    {"PdfEndPage", "Does nothing: a page ends with the next PdfNewPage or PdfSavePdf.", kPdfPage},
    {"PdfGetCurrentPage", "Number of pages begun in the open PDF.", kPdfPage},
    {"PdfNewPage", "Begins a new page in the open PDF; returns its number.", kPdfPage},
    {"PdfNewPdf", "Begins a new PDF file with title, creator, author; never overwrites a file.", kPdfBegin},
    {"PdfCreateFromMultipageTIFF", "Writes every page of a TIFF document into a new PDF file.", kPdfFromTiff},
    {"PdfSavePdf", "Finishes the open PDF and closes its file.", kPdfPage},
    {"PdfSetCharSpacing", "Sets extra space between characters of PDF text.", kPdfPage},
    {"PdfSetCompressionLevel", "Sets the deflate level (0 to 9) of PDF streams.", kPdfPage},
    {"PdfGetCompressionLevel", "The deflate level of PDF streams.", kPdfPage},
    {"PdfSetMeasurementUnits", "Chooses points, millimetres, centimetres or inches for PDF members.", kPdfPage},
    {"PdfSetPageOrientation", "Chooses portrait (0) or landscape (1) pages for the open PDF.", kPdfPage},
    {"PdfGetPageOrientation", "Page orientation of the open PDF; -1 without one.", kPdfPage},
    {"PdfSetPageDimensions", "Sets the width and height of the next PDF pages.", kPdfPage},
    {"PdfSetPageMargin", "Sets the page margin of the open PDF.", kPdfPage},
    {"PdfGetPageMargin", "Page margin of the open PDF in the measurement unit.", kPdfPage},
    {"PdfSetTextColor", "Sets the RGB colour of PDF text.", kPdfPage},
    {"PdfSetTextHorizontalScaling", "Stretches or narrows PDF text horizontally, in percent.", kPdfPage},
    {"PdfSetWordSpacing", "Sets extra space between words of PDF text.", kPdfPage},
    {"SaveAsPDF", "Writes the current image (every page of a TIFF document) as a PDF file.", kPdfSaveImage},
    {"PdfSetLineDash", "Sets the dash and gap lengths of PDF lines.", kPdfPage},
    {"PdfSetLineJoin", "Sets how PDF lines join: mitred, rounded or bevelled.", kPdfPage},
    {"PdfSetLineCap", "Sets how PDF lines end: butt, round or square.", kPdfPage},
    {"PdfACreateFromMultipageTIFF", "Writes every page of a TIFF document into a new PDF/A-1b file.", kPdfFromTiff},
    {"SaveAsPDFA", "Writes the current image as a PDF/A-1b file.", kPdfSaveImage},
    {"PdfSetJpegQuality", "Sets the JPEG quality (0 to 100) of images added to PDF files.", kPdfPage},
    {"PdfGetJpegQuality", "The JPEG quality of images added to PDF files.", kPdfPage},
    {"PdfSetTextMode", "Sets how PDF text is rendered (3 makes it invisible).", kPdfPage},
    {"PdfNewPdfEx", "Begins a new PDF with full document information and optional encryption.", kPdfBegin},
    {"PdfCreateFromMultipageTIFFEx", "Writes a TIFF document's pages into a new PDF, optionally encrypted.",
     kPdfFromTiff},
    {"PdfACreateFromMultipageTIFFEx", "Writes a TIFF document's pages into a PDF/A-1b file with full information.",
     kPdfFromTiff},
    {"SaveAsPDFEx", "Writes the current image as a PDF with full information, optionally encrypted.", kPdfSaveImage},
    {"SaveAsPDFAEx", "Writes the current image as a PDF/A-1b file with full document information.", kPdfSaveImage},
    {"PdfSetMetadata", "Gives the open PDF its XMP metadata, before anything is written.", kPdfPage},
    {"PdfCreateRights", "Packs the permitted actions into the rights value of an encrypted PDF.", kAlwaysOk},
};

}  // namespace

std::span<const MemberHelp> PdfEntries() { return kEntries; }

}  // namespace vx::control::help
