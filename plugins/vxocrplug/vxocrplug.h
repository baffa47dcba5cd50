/* vxocrplug.tesseract: the OCR plug-in, its own shared object loaded by name at its first call.
 *
 * Conventions of the interface
 * - One recognition engine per calling thread. It is loaded again only when the data folder or
 *   the language changes; REINIT drops the last result and keeps the loaded data.
 * - OCR hands over one rectangle of pixels, top row first, without row padding: 24 bits per pixel
 *   as blue, green, red, or 1 bit per pixel with the leftmost pixel in the highest bit and 1 for
 *   the lighter of the two colours.
 * - The records stay the plug-in's until CLEAR, REINIT or the next OCR call of the thread.
 * - Coordinates are pixels of the rectangle handed over, origin at its top-left corner.
 * - The plug-in prints nothing: failures are its results.
 */
#ifndef VXOCRPLUG_H
#define VXOCRPLUG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VXOCRPLUG_EXPORT __attribute__((visibility("default")))

/* One recognised character, 24 bytes, little-endian. */
typedef struct VxOcrCharInfo {
  int32_t CharCode;   /* Windows-1252 code where the code page has the character, else its code point */
  int16_t Line;       /* text line, 1 for the first */
  int16_t Left;       /* box edges; Right and Bottom lie one past the last pixel column and row */
  int16_t Right;
  int16_t Top;
  int16_t Bottom;
  int16_t Reserved1;
  int16_t Confidence; /* 0 .. 255, lower meaning more certain */
  int16_t Reserved2;
  int16_t Spaces;     /* 1 on the first character of each word but the first of its line */
  int16_t Reserved3;
} VxOcrCharInfo;

/* Results of OCR. */
#define VXOCR_OK 0
#define VXOCR_FAILED 1
#define VXOCR_LANGUAGE_DATA 500 /* the language's data cannot be loaded from the folder */

/* Version text "a.b.c.d", read as the module's version resource. */
VXOCRPLUG_EXPORT const char* VxPluginVersion(void);

/* Recognises one rectangle. `language` names the data file "<folder><language>.traineddata";
 * `folder` ends in "/". `whiteList` is UTF-8, empty for no restriction. `dpi` is the image's
 * resolution (0: unknown); `singleBlock` non-zero reads the rectangle as one block of text
 * instead of finding its layout. The last ten arguments are reserved and must be 0. */
VXOCRPLUG_EXPORT int32_t OCR(const char* language, const char* folder, const char* whiteList,
                             const VxOcrCharInfo** records, int32_t* status, int32_t width, int32_t height,
                             const uint8_t* pixels, int32_t bitsPerPixel, int32_t stride, int32_t* count,
                             int32_t dpi, int32_t singleBlock, int32_t reserved14, int32_t reserved15,
                             int32_t reserved16, int32_t reserved17, int32_t reserved18, int32_t reserved19,
                             int32_t reserved20, int32_t reserved21, int32_t reserved22, int32_t reserved23);
/* Frees the records of the last OCR call. */
VXOCRPLUG_EXPORT int32_t CLEAR(void);
/* Resets the engine for a new image: the last result goes. */
VXOCRPLUG_EXPORT int32_t REINIT(void);

#ifdef __cplusplus
}
#endif

#endif
