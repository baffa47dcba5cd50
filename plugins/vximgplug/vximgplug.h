/* vximgplug: the format plug-in. A shared object loaded by name at its first call; every
 * operation below is exported with C linkage under its own name, so a host binds them with
 * dlsym (the engine does it through its LoadLibrary/GetProcAddress stand-ins).
 *
 * Conventions of the interface
 * - Handles (bitmaps, locked pages, multi-page files, open files, tags, metadata searches) are
 *   32-bit numbers from tables inside the plug-in; 0 means failure or "none". A handle is never
 *   a pointer and is not reused while the plug-in stays loaded.
 * - Paths are UTF-8 text. The "U" and the plain variants take the same text.
 * - Format numbers: -1 unknown, 0 BMP, 1 ICO, 2 JPEG, 3 JNG, 4 KOALA, 5 LBM, 6 MNG, 7 PBM,
 *   8 PBMRAW, 9 PCD, 10 PCX, 11 PGM, 12 PGMRAW, 13 PNG, 14 PPM, 15 PPMRAW, 16 RAS, 17 TARGA,
 *   18 TIFF, 19 WBMP, 20 PSD, 21 CUT, 22 XBM, 23 XPM, 24 DDS, 25 GIF, 26 HDR, 27 FAXG3, 28 SGI,
 *   29 EXR, 30 J2K, 31 JP2, 32 PFM, 33 PICT, 34 RAW, 35 JBIG.
 * - Row order: bitmaps loaded from JPEG, PNG, J2K and JP2 files hold their top row first in
 *   memory; every other bitmap holds its bottom row first. VXIMGPLUG_FlipVertical reverses the
 *   row order in memory; the plug-in remembers the order, so a save always writes the picture
 *   the right way up and VXIMGPLUG_GetInfo reports a top-row-first bitmap with a negative
 *   height, as a top-down DIB.
 * - TIFF save flags (16-bit values; only the low 16 bits count, so 0x8000 may be passed as
 *   -32768): 0x0001 keep CMYK, 0x0100 PackBits, 0x0200 Deflate (code 8), 0x0400 Deflate
 *   (code 32946), 0x0800 none, 0x1000 CCITT G3, 0x2000 CCITT G4, 0x4000 LZW, 0x8000 JPEG at the
 *   quality set by VXIMGPLUG_SetTiffJpegCompression. Load flags: TIFF 1 keeps CMYK; JPEG 4
 *   keeps CMYK (and YCCK) samples as CMYK, 0 for no ink; GIF 2 composes frames for
 *   playback. JPEG save flags: the quality 1..100 (0 = 75). J2K/JP2 save
 *   flags: the compression rate X:1 (0 = 16, 1 = lossless). EXR save flags: 0 default, 1 float,
 *   2 none, 4 zip, 8 piz, 16 pxr24, 32 b44, 64 lc.
 * - Metadata models: 0 comments, 1 main (TIFF/EXIF IFD0), 2 EXIF, 3 GPS, 4 maker note,
 *   5 interoperability, 6 IPTC, 7 XMP, 8 GeoTIFF, 9 animation, 10 custom.
 * - A bitmap loaded from a JPEG or TIFF file carries, in the custom model, the text tag
 *   VXIMGPLUG_STORED_COLOR_SPACE_KEY: the colour space the file stores its samples in ("RGB",
 *   "YCbCr", "CMYK", "YCCK" or "Gray"), whatever the bitmap's pixels became.
 */
#ifndef VXIMGPLUG_H
#define VXIMGPLUG_H

#include <stdint.h>

#define VXIMGPLUG_STORED_COLOR_SPACE_KEY "StoredColorSpace"

#ifdef __cplusplus
extern "C" {
#endif

#define VXIMGPLUG_EXPORT __attribute__((visibility("default")))

/* A tag record. On 32-bit systems it is 24 bytes; here the three pointer fields are native
 * pointers (40 bytes on 64-bit Linux) in the same field order: key, description, 16-bit ID,
 * 16-bit type, 32-bit count, 32-bit length in bytes, value. The pointers point into the
 * plug-in's own copy of the tag and stay valid while the bitmap's metadata is not changed and
 * the bitmap lives. */
typedef struct VximgplugTagRecord {
  const char* key;
  const char* description;
  uint16_t id;
  uint16_t type;
  uint32_t count;
  uint32_t length;
  const void* value;
} VximgplugTagRecord;

/* An ICC profile as a bitmap holds it: flags (1 = CMYK profile), size in bytes, the bytes. */
typedef struct VximgplugIccProfile {
  uint16_t flags;
  uint32_t size;
  const void* data;
} VximgplugIccProfile;

/* A byte array the plug-in may resize, as a host's growable array: `resize` sets `data` and
 * `size` to a block of at least the asked size owned by the host and returns 1, or returns 0. */
typedef struct VximgplugByteArray {
  uint8_t* data;
  uint32_t size;
  void* context;
  int32_t (*resize)(struct VximgplugByteArray* self, uint32_t size);
} VximgplugByteArray;

/* Version text "a.b.c.d". */
VXIMGPLUG_EXPORT const char* VxPluginVersion(void);

/* Format detection: by content (size: bytes to look at, 0 = as many as needed), by name. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetFileTypeU(const char* path, int32_t size);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetFIFFromFilenameU(const char* path);

/* Load and save by format number. SaveU returns 1 when saved; a failed save leaves no file
 * behind and an existing file untouched. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_LoadU(int32_t format, const char* path, int32_t flags);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SaveU(int32_t format, uint32_t bitmap, const char* path, int32_t flags);
VXIMGPLUG_EXPORT void VXIMGPLUG_Unload(uint32_t bitmap);
/* Why the last load on this thread that needed a decoding helper found none: 0 one was there,
 * 1 the helper program vximgplug-helper is missing beside the plug-in, 2 the system refused the
 * helper a process, a descriptor or its files, 3 the system had no memory for it. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_LastHelperFailure(void);

/* Files for multi-page reading. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_OpenFileU(const char* path);
VXIMGPLUG_EXPORT void VXIMGPLUG_CloseFileHandle(uint32_t file);

/* Multi-page files (TIFF, GIF, ICO). OpenMultiBitmapU reads from an open file; OpenMultiBitmap
 * opens by path (createNew 1 makes a new file, written when closed). CloseMultiBitmap returns 1
 * on success; it unlocks pages still locked, without their changes. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_OpenMultiBitmapU(int32_t format, int32_t flags, uint32_t file);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_OpenMultiBitmap(int32_t format, const char* path, int32_t createNew,
                                                    int32_t readOnly, int32_t keepCacheInMemory, int32_t flags);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_CloseMultiBitmap(uint32_t multi, int32_t flags);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetPageCount(uint32_t multi);
/* A locked page is a bitmap handle valid until it is unlocked (or its file closed). */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_LockPage(uint32_t multi, int32_t page);
VXIMGPLUG_EXPORT void VXIMGPLUG_UnlockPage(uint32_t multi, uint32_t page, int32_t changed);
VXIMGPLUG_EXPORT void VXIMGPLUG_AppendPage(uint32_t multi, uint32_t bitmap);

/* Bitmap queries. GetBits, GetInfo and GetPalette point into the bitmap (valid while it lives);
 * GetInfo points at a BITMAPINFOHEADER (40 bytes) followed by the palette. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetWidth(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetHeight(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetPitch(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetBPP(uint32_t bitmap);
VXIMGPLUG_EXPORT uint8_t* VXIMGPLUG_GetBits(uint32_t bitmap);
VXIMGPLUG_EXPORT const void* VXIMGPLUG_GetInfo(uint32_t bitmap);
/* Image type: 0 unknown, 1 plain bitmap, 2 uint16, 3 int16, 4 uint32, 5 int32, 6 float,
 * 7 double, 8 complex, 9 RGB16, 10 RGBA16, 11 RGBF, 12 RGBAF. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetImageType(uint32_t bitmap);
/* Colour type: 0 min-is-white, 1 min-is-black, 2 RGB, 3 palette, 4 RGB with alpha, 5 CMYK. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetColorType(uint32_t bitmap);
/* Photometric interpretation as TIFF numbers it: 0 white is zero, 1 black is zero, 2 RGB,
 * 3 palette, 5 separated (CMYK); -1 for no bitmap. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetPhotoMetric(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetTransparencyCount(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_IsTransparent(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetColorsUsed(uint32_t bitmap);
VXIMGPLUG_EXPORT void* VXIMGPLUG_GetPalette(uint32_t bitmap);

/* Conversions: each returns a new bitmap (0 on failure) and keeps the source. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertToType(uint32_t bitmap, int32_t type, int32_t scaleLinear);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertToGreyscale(uint32_t bitmap);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_TmoReinhard05(uint32_t bitmap, double intensity, double contrast,
                                                  double adaptation, double colorCorrection);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertTo24Bits(uint32_t bitmap);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertTo32Bits(uint32_t bitmap);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertToRGBF(uint32_t bitmap);
/* Copies height rows of `pitch` bytes (negative: rows go downwards in memory) from `bits`;
 * topDown 1 when the first row is the picture's top row. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ConvertFromRawBits(const uint8_t* bits, int32_t width, int32_t height,
                                                       int32_t pitch, int32_t bpp, uint32_t redMask,
                                                       uint32_t greenMask, uint32_t blueMask, int32_t topDown);

/* In place. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_FlipVertical(uint32_t bitmap);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_Invert(uint32_t bitmap);
VXIMGPLUG_EXPORT void VXIMGPLUG_SetTransparentIndex(uint32_t bitmap, int32_t index);

/* Resolution in dots per metre. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_GetDotsPerMeterX(uint32_t bitmap);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_GetDotsPerMeterY(uint32_t bitmap);
VXIMGPLUG_EXPORT void VXIMGPLUG_SetDotsPerMeterX(uint32_t bitmap, uint32_t value);
VXIMGPLUG_EXPORT void VXIMGPLUG_SetDotsPerMeterY(uint32_t bitmap, uint32_t value);

/* Metadata of one model: a search returns its handle and fills the record of the first tag;
 * FindNextMetadata fills the next one and returns 1, or returns 0 at the end. */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_GetMetadataCount(int32_t model, uint32_t bitmap);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_FindFirstMetadata(int32_t model, uint32_t bitmap, VximgplugTagRecord* tag);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_FindNextMetadata(uint32_t search, VximgplugTagRecord* tag);
VXIMGPLUG_EXPORT void VXIMGPLUG_FindCloseMetadata(uint32_t search);

/* Building a tag: set type, count and length before the value (the value copies `length`
 * bytes). GetTagKey returns a number unique to the tag, usable as its key text in decimal.
 * SetMetadata attaches a copy of the tag under `key` (a tag of the same key is replaced). */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_CreateTag(void);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagKey(uint32_t tag, const char* key);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagLength(uint32_t tag, uint32_t length);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagCount(uint32_t tag, uint32_t count);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagType(uint32_t tag, uint16_t type);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagID(uint32_t tag, uint16_t id);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetTagValue(uint32_t tag, const void* value);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_GetTagKey(uint32_t tag);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_SetMetadata(int32_t model, uint32_t bitmap, const char* key, uint32_t tag);
VXIMGPLUG_EXPORT void VXIMGPLUG_DeleteTag(uint32_t tag);

/* Animation and TIFF-JPEG settings carried to the next save of the bitmap (or of the
 * multi-page file it is appended to). Delay in milliseconds; disposal 0..3; loop 0 = forever
 * (counts above 65535 are stored as 65535). */
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_WriteFrameDelay(uint32_t bitmap, int32_t milliseconds);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_WriteFrameDisposal(uint32_t bitmap, uint8_t disposal);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_WriteLoopCount(uint32_t bitmap, int32_t loops);
/* JPEG quality 0..100 (clamped) for TIFF saves with the JPEG flag; 75 until set. */
VXIMGPLUG_EXPORT void VXIMGPLUG_SetTiffJpegCompression(int32_t quality);

/* ICC profiles. GetICCProfile returns the profile size (0: none) and fills `profile` when it is
 * not null. CreateICCProfileFromFile attaches a profile file (checked to be an ICC profile) and
 * returns its size, 0 on failure. DestroyICCProfile drops the bitmap's profile. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_GetICCProfile(uint32_t bitmap, VximgplugIccProfile* profile);
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_CreateICCProfileFromFile(uint32_t bitmap, const char* path);
VXIMGPLUG_EXPORT void VXIMGPLUG_DestroyICCProfile(uint32_t bitmap);

/* Compression. ZLibCompress2: a zlib stream of `source` into `destination`; returns the
 * compressed length, 0 on failure (also for an empty source or too small a destination).
 * VB_CompressCCITT4: CCITT Group 4 (K -1, no byte alignment) of `height` rows of 1-bit samples,
 * most significant bit first, `bytesPerRow` bytes each (0 bits are white), from `source`; the
 * destination is resized to the result. Returns 0 on success. */
VXIMGPLUG_EXPORT uint32_t VXIMGPLUG_ZLibCompress2(uint8_t* destination, uint32_t destinationCapacity,
                                                  const uint8_t* source, uint32_t sourceLength);
VXIMGPLUG_EXPORT int32_t VXIMGPLUG_VB_CompressCCITT4(VximgplugByteArray* destination, const VximgplugByteArray* source,
                                                     int32_t width, int32_t height, int32_t bytesPerRow,
                                                     int32_t reserved);

#undef VXIMGPLUG_EXPORT

/* One typedef per operation and a table of them, so a host binds the plug-in in one place. */
#define VXIMGPLUG_OPERATIONS(X)                                                                              \
  X(GetFileTypeU, int32_t, (const char*, int32_t))                                                            \
  X(GetFIFFromFilenameU, int32_t, (const char*))                                                              \
  X(LoadU, uint32_t, (int32_t, const char*, int32_t))                                                         \
  X(SaveU, int32_t, (int32_t, uint32_t, const char*, int32_t))                                                \
  X(Unload, void, (uint32_t))                                                                                 \
  X(LastHelperFailure, int32_t, (void))                                                                       \
  X(OpenFileU, uint32_t, (const char*))                                                                       \
  X(CloseFileHandle, void, (uint32_t))                                                                        \
  X(OpenMultiBitmapU, uint32_t, (int32_t, int32_t, uint32_t))                                                 \
  X(OpenMultiBitmap, uint32_t, (int32_t, const char*, int32_t, int32_t, int32_t, int32_t))                    \
  X(CloseMultiBitmap, int32_t, (uint32_t, int32_t))                                                           \
  X(GetPageCount, int32_t, (uint32_t))                                                                        \
  X(LockPage, uint32_t, (uint32_t, int32_t))                                                                  \
  X(UnlockPage, void, (uint32_t, uint32_t, int32_t))                                                          \
  X(AppendPage, void, (uint32_t, uint32_t))                                                                   \
  X(GetWidth, int32_t, (uint32_t))                                                                            \
  X(GetHeight, int32_t, (uint32_t))                                                                           \
  X(GetPitch, int32_t, (uint32_t))                                                                            \
  X(GetBPP, int32_t, (uint32_t))                                                                              \
  X(GetBits, uint8_t*, (uint32_t))                                                                            \
  X(GetInfo, const void*, (uint32_t))                                                                         \
  X(GetImageType, int32_t, (uint32_t))                                                                        \
  X(GetColorType, int32_t, (uint32_t))                                                                        \
  X(GetPhotoMetric, int32_t, (uint32_t))                                                                      \
  X(GetTransparencyCount, int32_t, (uint32_t))                                                                \
  X(IsTransparent, int32_t, (uint32_t))                                                                       \
  X(GetColorsUsed, int32_t, (uint32_t))                                                                       \
  X(GetPalette, void*, (uint32_t))                                                                            \
  X(ConvertToType, uint32_t, (uint32_t, int32_t, int32_t))                                                    \
  X(ConvertToGreyscale, uint32_t, (uint32_t))                                                                 \
  X(TmoReinhard05, uint32_t, (uint32_t, double, double, double, double))                                      \
  X(ConvertTo24Bits, uint32_t, (uint32_t))                                                                    \
  X(ConvertTo32Bits, uint32_t, (uint32_t))                                                                    \
  X(ConvertToRGBF, uint32_t, (uint32_t))                                                                      \
  X(ConvertFromRawBits, uint32_t,                                                                             \
    (const uint8_t*, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, uint32_t, int32_t))              \
  X(FlipVertical, int32_t, (uint32_t))                                                                        \
  X(Invert, int32_t, (uint32_t))                                                                              \
  X(SetTransparentIndex, void, (uint32_t, int32_t))                                                           \
  X(GetDotsPerMeterX, uint32_t, (uint32_t))                                                                   \
  X(GetDotsPerMeterY, uint32_t, (uint32_t))                                                                   \
  X(SetDotsPerMeterX, void, (uint32_t, uint32_t))                                                             \
  X(SetDotsPerMeterY, void, (uint32_t, uint32_t))                                                             \
  X(GetMetadataCount, int32_t, (int32_t, uint32_t))                                                           \
  X(FindFirstMetadata, uint32_t, (int32_t, uint32_t, VximgplugTagRecord*))                                    \
  X(FindNextMetadata, int32_t, (uint32_t, VximgplugTagRecord*))                                               \
  X(FindCloseMetadata, void, (uint32_t))                                                                      \
  X(CreateTag, uint32_t, (void))                                                                              \
  X(SetTagKey, int32_t, (uint32_t, const char*))                                                              \
  X(SetTagLength, int32_t, (uint32_t, uint32_t))                                                              \
  X(SetTagCount, int32_t, (uint32_t, uint32_t))                                                               \
  X(SetTagType, int32_t, (uint32_t, uint16_t))                                                                \
  X(SetTagID, int32_t, (uint32_t, uint16_t))                                                                  \
  X(SetTagValue, int32_t, (uint32_t, const void*))                                                            \
  X(GetTagKey, uint32_t, (uint32_t))                                                                          \
  X(SetMetadata, int32_t, (int32_t, uint32_t, const char*, uint32_t))                                         \
  X(DeleteTag, void, (uint32_t))                                                                              \
  X(WriteFrameDelay, int32_t, (uint32_t, int32_t))                                                            \
  X(WriteFrameDisposal, int32_t, (uint32_t, uint8_t))                                                         \
  X(WriteLoopCount, int32_t, (uint32_t, int32_t))                                                             \
  X(SetTiffJpegCompression, void, (int32_t))                                                                  \
  X(GetICCProfile, uint32_t, (uint32_t, VximgplugIccProfile*))                                                \
  X(CreateICCProfileFromFile, uint32_t, (uint32_t, const char*))                                              \
  X(DestroyICCProfile, void, (uint32_t))                                                                      \
  X(ZLibCompress2, uint32_t, (uint8_t*, uint32_t, const uint8_t*, uint32_t))                                  \
  X(VB_CompressCCITT4, int32_t,                                                                               \
    (VximgplugByteArray*, const VximgplugByteArray*, int32_t, int32_t, int32_t, int32_t))

#define VXIMGPLUG_TYPEDEF(name, result, params) typedef result(*VXIMGPLUG_##name##_fn) params;
VXIMGPLUG_OPERATIONS(VXIMGPLUG_TYPEDEF)
#undef VXIMGPLUG_TYPEDEF
typedef const char* (*VxPluginVersion_fn)(void);

/* Every operation, bound by its exported name "VXIMGPLUG_<member>". */
typedef struct VximgplugApi {
  VxPluginVersion_fn VxPluginVersion;
#define VXIMGPLUG_MEMBER(name, result, params) VXIMGPLUG_##name##_fn name;
  VXIMGPLUG_OPERATIONS(VXIMGPLUG_MEMBER)
#undef VXIMGPLUG_MEMBER
} VximgplugApi;

#ifdef __cplusplus
}
#endif

#endif /* VXIMGPLUG_H */
