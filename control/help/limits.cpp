// What families of members do not do, which a user would otherwise find out by trying: each note
// is shown on the help page of every member it names (README's "What vexiro does not do" says
// the same).
#include "control/member_help.h"

namespace vx::control::help {

namespace {

constexpr std::string_view kLoaders[] = {
    "CreateImageFromFile", "CreateImageFromFileICM", "CreateImageFromByteArray",
    "CreateImageFromByteArrayICM", "CreateImageFromStream", "CreateImageFromStreamICM",
    "CreateImageFromString", "CreateImageFromStringICM", "CreateImageFromURL", "CreateImageFromFTP",
    "CreateImageFromMemory"};
constexpr std::string_view kSavers[] = {
    "SaveAsJPEG", "SaveAsTIFF", "SaveAsTIFFjpg", "SaveAsTIFFjpgEx", "SaveAsJ2K", "SaveAsJP2", "SaveAsPNG",
    "SaveAsBmp", "SaveAsTGA", "SaveAsPDF", "SaveAsPDFEx", "SaveAsPDFA", "SaveAsPDFAEx"};
constexpr std::string_view kNarrowSavers[] = {"SaveAsTIFFjpg", "SaveAsTIFFjpgEx", "SaveAsJ2K", "SaveAsJP2",
                                               "SaveAsTGA", "SaveAsWBMP", "SaveAsXPM"};
constexpr std::string_view kResizers[] = {
    "ResizeImage", "GetResizedImage", "ResizeHeightRatio", "ResizeWidthRatio", "ScaleImage",
    "CreateThumbnail", "CreateThumbnailHQ", "CreateThumbnailHQEx"};
constexpr std::string_view kPdfFileStarts[] = {
    "PdfNewPdf", "PdfNewPdfEx", "SaveAsPDF", "SaveAsPDFEx", "SaveAsPDFA", "SaveAsPDFAEx", "SaveAsPDFOCR",
    "SaveAsPDFOCREx", "PdfCreateFromMultipageTIFF", "PdfCreateFromMultipageTIFFEx",
    "PdfACreateFromMultipageTIFF", "PdfACreateFromMultipageTIFFEx", "PdfOCRCreateFromMultipageTIFF",
    "PdfOCRCreateFromMultipageTIFFEx", "TwainPdfStart", "TwainPdfStartEx", "TwainPdfOCRStart",
    "TwainPdfOCRStartEx"};
constexpr std::string_view kPdfDrawnText[] = {"PdfDrawText", "PdfDrawTextAlign"};
constexpr std::string_view kPdfTextLayer[] = {
    "SaveAsPDFOCR", "SaveAsPDFOCREx", "PdfOCRCreateFromMultipageTIFF", "PdfOCRCreateFromMultipageTIFFEx",
    "TwainPdfOCRStart", "TwainPdfOCRStartEx", "TwainAddVexiroImageToPdfOCR"};
constexpr std::string_view kReader1D[] = {"Barcode1DReaderDoScan"};
constexpr std::string_view kReaderDataMatrix[] = {"BarcodeDataMatrixReaderDoScan"};

constexpr HelpNote kNotes[] = {
    {kLoaders,
     "WebP, HEIC/HEIF, AVIF and other formats outside the format plug-in's table are not read: "
     "UnknownImageFormat (13). A truncated JPEG loads at its full size with status OK (0): the rows "
     "past the cut are grey."},
    {kSavers,
     "No saver writes CMYK: a CMYK file is read as RGB, and RGB (or grey, or a palette) is what is "
     "written."},
    {kNarrowSavers,
     "Takes no 16-bit samples: a 16-bit TIFF loads as 48bppRGB (grey ones too), which answers "
     "UnsupportedPixelFormat (62); ConvertTo24BppRGB first."},
    {kResizers,
     "Keeps the physical size: the resolution changes with the pixel count (half the width, half "
     "the dots per inch)."},
    {kPdfFileStarts,
     "Never overwrites a file: where the file exists it answers CanNotCreateFile (41) and leaves "
     "the file as it was."},
    {kPdfDrawnText,
     "Page text is written in WinAnsi (Windows-1252): letters outside it (Polish, Czech, Greek, "
     "Cyrillic ...) become \"?\" in the PDF."},
    {kPdfTextLayer,
     "The invisible text layer is written in WinAnsi (Windows-1252): letters outside it (Polish, "
     "Czech, Greek, Cyrillic ...) become \"?\" in the searchable text, though the recogniser read "
     "them."},
    {kReader1D,
     "Reads the symbologies of Barcode1DReaderType only: QR, PDF417, Aztec, DataMatrix and other "
     "symbologies are not read (nothing is found, status OK)."},
    {kReaderDataMatrix,
     "Reads DataMatrix only: QR, PDF417, Aztec and 1D symbologies are not read (nothing is found, "
     "status OK)."},
};

}  // namespace

std::span<const HelpNote> LimitNotes() { return kNotes; }

}  // namespace vx::control::help
