// Types, constants and identifiers of the imaging platform (the GDI+ stand-in).
#pragma once
#include <cstdint>

#include "platform/kernel/win_types.h"

namespace vx::gdiplus {

using vx::BOOL;
using vx::BYTE;
using vx::GUID;
using vx::CLSID;
using vx::INT;
using vx::REAL;
using vx::UINT;
using vx::ULONG;
using vx::WORD;

using ARGB = uint32_t;
using PROPID = uint32_t;
using PixelFormat = INT;

enum Status : int32_t {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21,
};
using GpStatus = Status;

// Pixel format codes: bits 0-7 index, 8-15 bits per pixel, 16+ flags.
constexpr PixelFormat PixelFormatIndexed = 0x00010000;
constexpr PixelFormat PixelFormatGDI = 0x00020000;
constexpr PixelFormat PixelFormatAlpha = 0x00040000;
constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
constexpr PixelFormat PixelFormatExtended = 0x00100000;
constexpr PixelFormat PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatUndefined = 0;
constexpr PixelFormat PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
constexpr PixelFormat PixelFormat16bppARGB1555 = 0x00061007;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;
constexpr PixelFormat PixelFormat64bppPARGB = 0x001C400E;
constexpr PixelFormat PixelFormat32bppCMYK = 0x0000200F;  // decoders only; never a bitmap format here

inline constexpr UINT GetPixelFormatSize(PixelFormat f) { return (static_cast<UINT>(f) >> 8) & 0xff; }
inline constexpr bool IsIndexedPixelFormat(PixelFormat f) { return (f & PixelFormatIndexed) != 0; }
inline constexpr bool IsAlphaPixelFormat(PixelFormat f) { return (f & PixelFormatAlpha) != 0; }
inline constexpr bool IsCanonicalPixelFormat(PixelFormat f) { return (f & PixelFormatCanonical) != 0; }

enum ImageLockMode : UINT {
  ImageLockModeRead = 1,
  ImageLockModeWrite = 2,
  ImageLockModeUserInputBuf = 4,
};

enum ImageType : INT { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };

enum ImageFlags : UINT {
  ImageFlagsNone = 0,
  ImageFlagsScalable = 0x0001,
  ImageFlagsHasAlpha = 0x0002,
  ImageFlagsHasTranslucent = 0x0004,
  ImageFlagsPartiallyScalable = 0x0008,
  ImageFlagsColorSpaceRGB = 0x0010,
  ImageFlagsColorSpaceCMYK = 0x0020,
  ImageFlagsColorSpaceGRAY = 0x0040,
  ImageFlagsColorSpaceYCBCR = 0x0080,
  ImageFlagsColorSpaceYCCK = 0x0100,
  ImageFlagsHasRealDPI = 0x1000,
  ImageFlagsHasRealPixelSize = 0x2000,
  ImageFlagsReadOnly = 0x00010000,
  ImageFlagsCaching = 0x00020000,
};

enum PaletteFlags : UINT { PaletteFlagsHasAlpha = 1, PaletteFlagsGrayScale = 2, PaletteFlagsHalftone = 4 };

enum RotateFlipType : INT {
  RotateNoneFlipNone = 0,
  Rotate90FlipNone = 1,
  Rotate180FlipNone = 2,
  Rotate270FlipNone = 3,
  RotateNoneFlipX = 4,
  Rotate90FlipX = 5,
  Rotate180FlipX = 6,
  Rotate270FlipX = 7,
  RotateNoneFlipY = Rotate180FlipX,
  Rotate90FlipY = Rotate270FlipX,
  Rotate180FlipY = RotateNoneFlipX,
  Rotate270FlipY = Rotate90FlipX,
  RotateNoneFlipXY = Rotate180FlipNone,
};

struct GpRect {
  INT X = 0, Y = 0, Width = 0, Height = 0;
};
struct GpRectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
};
struct GpPoint {
  INT X = 0, Y = 0;
};
struct GpPointF {
  REAL X = 0, Y = 0;
};

struct BitmapData {
  UINT Width = 0;
  UINT Height = 0;
  INT Stride = 0;
  vx::gdiplus::PixelFormat PixelFormat = 0;  // qualified: the member reuses the type's name
  void* Scan0 = nullptr;
  uintptr_t Reserved = 0;
};

// A palette record: flags, count and up to 256 ARGB entries. The byte size that the palette
// queries report is 8 + 4 * Count.
struct ColorPalette {
  UINT Flags = 0;
  UINT Count = 0;
  ARGB Entries[256] = {};
};

// Property item types.
enum PropertyTagType : WORD {
  PropertyTagTypeByte = 1,
  PropertyTagTypeASCII = 2,
  PropertyTagTypeShort = 3,
  PropertyTagTypeLong = 4,
  PropertyTagTypeRational = 5,
  PropertyTagTypeUndefined = 7,
  PropertyTagTypeSLONG = 9,
  PropertyTagTypeSRational = 10,
};

struct PropertyItem {
  PROPID id = 0;
  ULONG length = 0;  // bytes at value
  WORD type = 0;
  void* value = nullptr;
};

// Property tags the platform itself produces or reads.
constexpr PROPID PropertyTagImageWidth = 0x0100;
constexpr PROPID PropertyTagImageHeight = 0x0101;
constexpr PROPID PropertyTagOrientation = 0x0112;
constexpr PROPID PropertyTagXResolution = 0x011A;
constexpr PROPID PropertyTagYResolution = 0x011B;
constexpr PROPID PropertyTagResolutionUnit = 0x0128;
constexpr PROPID PropertyTagExifIFD = 0x8769;
constexpr PROPID PropertyTagGpsIFD = 0x8825;
constexpr PROPID PropertyTagFrameDelay = 0x5100;
constexpr PROPID PropertyTagLoopCount = 0x5101;
constexpr PROPID PropertyTagGlobalPalette = 0x5102;
constexpr PROPID PropertyTagIndexBackground = 0x5103;
constexpr PROPID PropertyTagIndexTransparent = 0x5104;
constexpr PROPID PropertyTagExifUserComment = 0x9286;
constexpr PROPID PropertyTagImageDescription = 0x010E;
constexpr PROPID PropertyTagICCProfile = 0x8773;

// Encoder parameters.
enum EncoderParameterValueType : ULONG {
  EncoderParameterValueTypeByte = 1,
  EncoderParameterValueTypeASCII = 2,
  EncoderParameterValueTypeShort = 3,
  EncoderParameterValueTypeLong = 4,
  EncoderParameterValueTypeRational = 5,
  EncoderParameterValueTypeLongRange = 6,
  EncoderParameterValueTypeUndefined = 7,
  EncoderParameterValueTypeRationalRange = 8,
  EncoderParameterValueTypePointer = 9,
};

enum EncoderValue : ULONG {
  EncoderValueColorTypeCMYK = 0,
  EncoderValueColorTypeYCCK = 1,
  EncoderValueCompressionLZW = 2,
  EncoderValueCompressionCCITT3 = 3,
  EncoderValueCompressionCCITT4 = 4,
  EncoderValueCompressionRle = 5,
  EncoderValueCompressionNone = 6,
  EncoderValueScanMethodInterlaced = 7,
  EncoderValueScanMethodNonInterlaced = 8,
  EncoderValueVersionGif87 = 9,
  EncoderValueVersionGif89 = 10,
  EncoderValueRenderProgressive = 11,
  EncoderValueRenderNonProgressive = 12,
  EncoderValueTransformRotate90 = 13,
  EncoderValueTransformRotate180 = 14,
  EncoderValueTransformRotate270 = 15,
  EncoderValueTransformFlipHorizontal = 16,
  EncoderValueTransformFlipVertical = 17,
  EncoderValueMultiFrame = 18,
  EncoderValueLastFrame = 19,
  EncoderValueFlush = 20,
  EncoderValueFrameDimensionTime = 21,
  EncoderValueFrameDimensionResolution = 22,
  EncoderValueFrameDimensionPage = 23,
};

struct EncoderParameter {
  GUID Guid;
  ULONG NumberOfValues = 0;
  ULONG Type = 0;
  void* Value = nullptr;
};

constexpr UINT kMaxEncoderParameters = 16;
struct EncoderParameters {
  UINT Count = 0;
  EncoderParameter Parameter[kMaxEncoderParameters];
};

// Codec descriptions. Texts are UTF-8 here; the record keeps the field order of the platform's.
struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const char* CodecName = nullptr;
  const char* DllName = nullptr;
  const char* FormatDescription = nullptr;
  const char* FilenameExtension = nullptr;
  const char* MimeType = nullptr;
  ULONG Flags = 0;
  ULONG Version = 0;
  ULONG SigCount = 0;
  ULONG SigSize = 0;
  const BYTE* SigPattern = nullptr;
  const BYTE* SigMask = nullptr;
};

enum ImageCodecFlags : ULONG {
  ImageCodecFlagsEncoder = 0x1,
  ImageCodecFlagsDecoder = 0x2,
  ImageCodecFlagsSupportBitmap = 0x4,
  ImageCodecFlagsSupportVector = 0x8,
  ImageCodecFlagsSeekableEncode = 0x10,
  ImageCodecFlagsBlockingDecode = 0x20,
  ImageCodecFlagsBuiltin = 0x10000,
  ImageCodecFlagsSystem = 0x20000,
  ImageCodecFlagsUser = 0x40000,
};

struct GdiplusStartupInput {
  uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

// Raw image formats.
inline constexpr GUID ImageFormatUndefined = MakeGuid(0xb96b3ca9, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatMemoryBMP = MakeGuid(0xb96b3caa, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatBMP = MakeGuid(0xb96b3cab, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatEMF = MakeGuid(0xb96b3cac, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatWMF = MakeGuid(0xb96b3cad, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatJPEG = MakeGuid(0xb96b3cae, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatPNG = MakeGuid(0xb96b3caf, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatGIF = MakeGuid(0xb96b3cb0, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatTIFF = MakeGuid(0xb96b3cb1, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatEXIF = MakeGuid(0xb96b3cb2, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr GUID ImageFormatIcon = MakeGuid(0xb96b3cb5, 0x0728, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);

// Frame dimensions.
inline constexpr GUID FrameDimensionTime = MakeGuid(0x6aedbd6d, 0x3fb5, 0x418a, 0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72);
inline constexpr GUID FrameDimensionResolution = MakeGuid(0x84236f7b, 0x3bd3, 0x428f, 0x8d, 0xab, 0x4e, 0xa1, 0x43, 0x9c, 0xa3, 0x15);
inline constexpr GUID FrameDimensionPage = MakeGuid(0x7462dc86, 0x6180, 0x4c7e, 0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83);

// Encoder parameter categories.
inline constexpr GUID EncoderCompression = MakeGuid(0xe09d739d, 0xccd4, 0x44ee, 0x8e, 0xba, 0x3f, 0xbf, 0x8b, 0xe4, 0xfc, 0x58);
inline constexpr GUID EncoderColorDepth = MakeGuid(0x66087055, 0xad66, 0x4c7c, 0x9a, 0x18, 0x38, 0xa2, 0x31, 0x0b, 0x83, 0x37);
inline constexpr GUID EncoderScanMethod = MakeGuid(0x3a4e2661, 0x3109, 0x4e56, 0x85, 0x36, 0x42, 0xc1, 0x56, 0xe7, 0xdc, 0xfa);
inline constexpr GUID EncoderVersion = MakeGuid(0x24d18c76, 0x814a, 0x41a4, 0xbf, 0x53, 0x1c, 0x21, 0x9c, 0xcc, 0xf7, 0x97);
inline constexpr GUID EncoderRenderMethod = MakeGuid(0x6d42c53a, 0x229a, 0x4825, 0x8b, 0xb7, 0x5c, 0x99, 0xe2, 0xb9, 0xa8, 0xb8);
inline constexpr GUID EncoderQuality = MakeGuid(0x1d5be4b5, 0xfa4a, 0x452d, 0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb);
inline constexpr GUID EncoderTransformation = MakeGuid(0x8d0eb2d1, 0xa58e, 0x4ea8, 0xaa, 0x14, 0x10, 0x80, 0x74, 0xb7, 0xb6, 0xf9);
inline constexpr GUID EncoderLuminanceTable = MakeGuid(0xedb33bce, 0x0266, 0x4a77, 0xb9, 0x04, 0x27, 0x21, 0x60, 0x99, 0xe7, 0x17);
inline constexpr GUID EncoderChrominanceTable = MakeGuid(0xf2e455dc, 0x09b3, 0x4316, 0x82, 0x60, 0x67, 0x6a, 0xda, 0x32, 0x48, 0x1c);
inline constexpr GUID EncoderSaveFlag = MakeGuid(0x292266fc, 0xac40, 0x47bf, 0x8c, 0xfc, 0xa8, 0x5b, 0x89, 0xa6, 0x55, 0xde);

// Encoder class identifiers of the built-in codecs.
inline constexpr CLSID EncoderClsidBMP = MakeGuid(0x557cf400, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr CLSID EncoderClsidJPEG = MakeGuid(0x557cf401, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr CLSID EncoderClsidGIF = MakeGuid(0x557cf402, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr CLSID EncoderClsidTIFF = MakeGuid(0x557cf405, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);
inline constexpr CLSID EncoderClsidPNG = MakeGuid(0x557cf406, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e);

}  // namespace vx::gdiplus
