/* vxbarcode: the two barcode reader plug-ins, each its own shared object loaded by name at its
 * first call: "vxbarcode.1dreader" (linear symbols) and "vxbarcode.dmreader" (DataMatrix).
 *
 * Conventions of the interface
 * - Scanners and barcodes are 32-bit handles from tables inside the plug-in; 0 means failure or
 *   "none". A barcode handle stays valid until its scanner is freed.
 * - The source is a packed device-independent bitmap (40-byte header, a 2-entry colour table for
 *   1 bit per pixel, bottom-up rows padded to 4 bytes), 1 or 24 bits per pixel (the DataMatrix
 *   reader also 8, with a colour table of up to 256 entries), handed over as the
 *   address of the caller's locked block and its size in bytes; the size bounds every read. The
 *   plug-in reads the block only inside ScanBar, so the caller may free it once ScanBar returned.
 * - Coordinates are pixels of that bitmap, origin at its top-left corner, y downwards. Corner 1 is
 *   the symbol's own top-left corner; 2, 3 and 4 follow clockwise as the symbol is read.
 * - Values are NUL-terminated texts in Windows-1252, valid until the scanner is freed.
 * - The plug-ins print nothing: failures are their results.
 */
#ifndef VXBARCODE_H
#define VXBARCODE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VXBARCODE_EXPORT __attribute__((visibility("default")))

/* Version text "a.b.c.d", read as the module's version resource. */
VXBARCODE_EXPORT const char* VxPluginVersion(void);

/* The linear reader. Performance 0 favours speed and reads the columns only when the rows hold
 * no symbol, 1 always reads both. Types are one
 * bit per symbology (Industrial 2 of 5 1, inverted 2 of 5 2, ITF 4, IATA 2 of 5 8, Matrix 2 of 5
 * 16, Code 39 32, Codabar 64, BCD Matrix 128, Data Logic 2 of 5 256, Code 128 4096, GS1-128 8192,
 * Code 93 16384, EAN-13 -32768, UPC-A 65536, EAN-8 131072, UPC-E 262144, add-ons 524288 for five
 * digits and 1048576 for two). Values keep optional check characters and Codabar's start and stop
 * characters, up to a NUL they hold; HasCheckSum is 1 where the check is part of the symbology
 * or where the last character verifies as the optional one. The skew is the turn in degrees that
 * undoes the symbol's turn clockwise, [0, 360): 360 minus that turn. */
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetVersion(void);
VXBARCODE_EXPORT uint32_t VXBARCODE1DREADER_NewBarScanner(void);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_SetPerformance(uint32_t scanner, int32_t mode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_SetDibSource(uint32_t scanner, const void* dib, uint32_t bytes);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_ScanBar(uint32_t scanner);
VXBARCODE_EXPORT uint8_t VXBARCODE1DREADER_GetBarcodeCount(uint32_t scanner);
VXBARCODE_EXPORT uint32_t VXBARCODE1DREADER_GetBarcode(uint32_t scanner, int32_t index);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeType(uint32_t barcode);
VXBARCODE_EXPORT const char* VXBARCODE1DREADER_GetBarcodeValue(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeX1(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeY1(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeX2(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeY2(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeX3(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeY3(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeX4(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_GetBarcodeY4(uint32_t barcode);
VXBARCODE_EXPORT double VXBARCODE1DREADER_GetSkewAngle(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_HasCheckSum(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODE1DREADER_FreeBarScanner(uint32_t scanner);

/* The DataMatrix reader: the same calls without performance, type, skew and checksum, with the
 * symbol's rows and columns. Square, rectangular and rectangular-extension sizes are read,
 * mirrored symbols too, whose corners then run counter-clockwise on the bitmap. Values are the
 * bytes as stored (GS1 group separators kept) up to the first NUL. */
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetVersion(void);
VXBARCODE_EXPORT uint32_t VXBARCODEDMREADER_NewBarScanner(void);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_SetDibSource(uint32_t scanner, const void* dib, uint32_t bytes);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_ScanBar(uint32_t scanner);
VXBARCODE_EXPORT uint8_t VXBARCODEDMREADER_GetBarcodeCount(uint32_t scanner);
VXBARCODE_EXPORT uint32_t VXBARCODEDMREADER_GetBarcode(uint32_t scanner, int32_t index);
VXBARCODE_EXPORT const char* VXBARCODEDMREADER_GetBarcodeValue(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeX1(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeY1(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeX2(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeY2(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeX3(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeY3(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeX4(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeY4(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeRows(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetBarcodeColumns(uint32_t barcode);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_FreeBarScanner(uint32_t scanner);
/* The source as a 40-byte header with its colour table in `info` and the rows apart, read where
 * they lie (a caller's read lock of its picture, spared a copy), bottom-up or, with a negative
 * height, top-down; both sizes bound every read, and both blocks are read only inside ScanBar. */
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_SetDibSourceRows(uint32_t scanner, const void* info, uint32_t infoBytes,
                                                            const void* rows, uint32_t rowsBytes);
/* The depths of source the reader takes, bit n set for n bits per pixel. */
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_GetSourceDepths(void);
/* A scan answers within its bound (3 s of the scanning thread's processor time, 12 s on the
 * clock) counted from its own start, or from the last StartScanClock of its scanner: a caller
 * starts the clock before it prepares the source, so that the bound covers the preparation,
 * and asks ScanTimeSpent (1 once the bound leaves no time for new work) while it prepares. */
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_StartScanClock(uint32_t scanner);
VXBARCODE_EXPORT int32_t VXBARCODEDMREADER_ScanTimeSpent(uint32_t scanner);

#ifdef __cplusplus
}
#endif

#endif
