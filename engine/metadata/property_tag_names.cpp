#include "engine/metadata/property_tag_names.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace vx::engine {
namespace {

struct TagName {
  uint32_t tag;
  const char* name;
};

// Sorted by tag. The GPS-directory pointer (34853) has no name on purpose: it shows as "8825".
constexpr TagName kTagNames[] = {
    {0, "GpsVer"}, {1, "GpsLatitudeRef"}, {2, "GpsLatitude"}, {3, "GpsLongitudeRef"}, {4, "GpsLongitude"},
    {5, "GpsAltitudeRef"}, {6, "GpsAltitude"}, {7, "GpsGpsTime"}, {8, "GpsGpsSatellites"}, {9, "GpsGpsStatus"},
    {10, "GpsGpsMeasureMode"}, {11, "GpsGpsDop"}, {12, "GpsSpeedRef"}, {13, "GpsSpeed"}, {14, "GpsTrackRef"},
    {15, "GpsTrack"}, {16, "GpsImgDirRef"}, {17, "GpsImgDir"}, {18, "GpsMapDatum"}, {19, "GpsDestLatRef"},
    {20, "GpsDestLat"}, {21, "GpsDestLongRef"}, {22, "GpsDestLong"}, {23, "GpsDestBearRef"},
    {24, "GpsDestBear"}, {25, "GpsDestDistRef"}, {26, "GpsDestDist"}, {27, "ProcessingMethod"},
    {28, "GpsAreaInformation"}, {29, "GpsDateStamp"}, {30, "GpsDifferential"},
    {225, "ExifAttributeInformation"}, {226, "ExifExtendedData"}, {254, "NewSubfileType"},
    {255, "SubFileType"}, {256, "ImageWidth"}, {257, "ImageHeight"}, {258, "BitsPerSample"},
    {259, "Compression"}, {262, "PhotometricInterp"}, {263, "ThreshHolding"}, {264, "CellWidth"},
    {265, "CellHeight"}, {266, "FillOrder"}, {269, "DocumentName"}, {270, "ImageDescription"},
    {271, "EquipMake"}, {272, "EquipModel"}, {273, "StripOffsets"}, {274, "Orientation"},
    {277, "SamplesPerPixel"}, {278, "RowsPerStrip"}, {279, "StripBytesCount"}, {280, "MinSampleValue"},
    {281, "MaxSampleValue"}, {282, "XResolution"}, {283, "YResolution"}, {284, "PlanarConfig"},
    {285, "PageName"}, {286, "XPosition"}, {287, "YPosition"}, {288, "FreeOffset"}, {289, "FreeByteCounts"},
    {290, "GrayResponseUnit"}, {291, "GrayResponseCurve"}, {292, "T4Option"}, {293, "T6Option"},
    {296, "ResolutionUnit"}, {297, "PageNumber"}, {301, "TransferFuncition"}, {305, "SoftwareUsed"},
    {306, "DateTime"}, {315, "Artist"}, {316, "HostComputer"}, {317, "Predictor"}, {318, "WhitePoint"},
    {319, "PrimaryChromaticities"}, {320, "ColorMap"}, {321, "HalftoneHints"}, {322, "TileWidth"},
    {323, "TileLength"}, {324, "TileOffset"}, {325, "TileByteCounts"}, {332, "InkSet"}, {333, "InkNames"},
    {334, "NumberOfInks"}, {336, "DotRange"}, {337, "TargetPrinter"}, {338, "ExtraSamples"},
    {339, "SampleFormat"}, {340, "SMinSampleValue"}, {341, "SMaxSampleValue"}, {342, "TransferRange"},
    {512, "JPEroc"}, {513, "JPEGInterFormat"}, {514, "JPEGInterLength"}, {515, "JPEGRestartInterval"},
    {517, "JPEGLosslessPredictors"}, {518, "JPEGPointTransforms"}, {519, "JPEGQTables"}, {520, "JPEGDCTables"},
    {521, "JPEGACTables"}, {529, "YCbCrCoefficients"}, {530, "YCbCrSubsampling"}, {531, "YCbCrPositioning"},
    {532, "REFBlackWhite"}, {700, "XMLPackets"}, {769, "Gamma"}, {770, "ICCProfileDescriptor"},
    {771, "SRGBRenderingIntent"}, {800, "ImageTitle"}, {20481, "ResolutionXUnit"}, {20482, "ResolutionYUnit"},
    {20483, "ResolutionXLengthUnit"}, {20484, "ResolutionYLengthUnit"}, {20485, "PrintFlags"},
    {20486, "PrintFlagsVersion"}, {20487, "PrintFlagsCrop"}, {20488, "PrintFlagsBleedWidth"},
    {20489, "PrintFlagsBleedWidthScale"}, {20490, "HalftoneLPI"}, {20491, "HalftoneLPIUnit"},
    {20492, "HalftoneDegree"}, {20493, "HalftoneShape"}, {20494, "HalftoneMisc"}, {20495, "HalftoneScreen"},
    {20496, "JPEGQuality"}, {20497, "GridSize"}, {20498, "ThumbnailFormat"}, {20499, "ThumbnailWidth"},
    {20500, "ThumbnailHeight"}, {20501, "ThumbnailColorDepth"}, {20502, "ThumbnailPlanes"},
    {20503, "ThumbnailRawBytes"}, {20504, "ThumbnailSize"}, {20505, "ThumbnailCompressedSize"},
    {20506, "ColorTransferFunction"}, {20507, "ThumbnailData"}, {20512, "ThumbnailImageWidth"},
    {20513, "ThumbnailImageHeight"}, {20514, "ThumbnailBitsPerSample"}, {20515, "ThumbnailCompression"},
    {20516, "ThumbnailPhotometricInterp"}, {20517, "ThumbnailImageDescription"}, {20518, "ThumbnailEquipMake"},
    {20519, "ThumbnailEquipModel"}, {20520, "ThumbnailStripOffsets"}, {20521, "ThumbnailOrientation"},
    {20522, "ThumbnailSamplesPerPixel"}, {20523, "ThumbnailRowsPerStrip"}, {20524, "ThumbnailStripBytesCount"},
    {20525, "ThumbnailResolutionX"}, {20526, "ThumbnailResolutionY"}, {20527, "ThumbnailPlanarConfig"},
    {20528, "ThumbnailResolutionUnit"}, {20529, "ThumbnailTransferFunction"}, {20530, "ThumbnailSoftwareUsed"},
    {20531, "ThumbnailDateTime"}, {20532, "ThumbnailArtist"}, {20533, "ThumbnailWhitePoint"},
    {20534, "ThumbnailPrimaryChromaticities"}, {20535, "ThumbnailYCbCrCoefficients"},
    {20536, "ThumbnailYCbCrSubsampling"}, {20537, "ThumbnailYCbCrPositioning"},
    {20538, "ThumbnailRefBlackWhite"}, {20539, "ThumbnailCopyRight"}, {20624, "LuminanceTable"},
    {20625, "ChrominanceTable"}, {20736, "FrameDelay"}, {20737, "LoopCount"}, {20752, "PixelUnit"},
    {20753, "PixelPerUnitX"}, {20754, "PixelPerUnitY"}, {20755, "PaletteHistogram"},
    {32932, "WangAnnotations"}, {33432, "Copyright"}, {33434, "ExifExposureTime"}, {33437, "ExifFNumber"},
    {34377, "PhotoshopSettings"}, {34665, "ExifIFD"}, {34675, "ICCProfile"}, {34850, "ExifExposureProg"},
    {34852, "ExifSpectralSense"}, {34855, "ExifISOSpeed"}, {34856, "ExifOECF"}, {34858, "TimeZoneOffset"},
    {36864, "ExifVer"}, {36867, "ExifDTOrig"}, {36868, "ExifDTDigitized"}, {37121, "ExifCompConfig"},
    {37122, "ExifCompBPP"}, {37377, "ExifShutterSpeed"}, {37378, "ExifAperture"}, {37379, "ExifBrightness"},
    {37380, "ExifExposureBias"}, {37381, "ExifMaxAperture"}, {37382, "ExifSubjectDist"},
    {37383, "ExifMeteringMode"}, {37384, "ExifLightSource"}, {37385, "ExifFlash"}, {37386, "ExifFocalLength"},
    {37396, "SubjectLocation"}, {37500, "ExifMakerNote"}, {37510, "ExifUserComment"}, {37520, "ExifDTSubsec"},
    {37521, "ExifDTOrigSS"}, {37522, "ExifDTDigSS"}, {40960, "ExifFPXVer"}, {40961, "ExifColorSpace"},
    {40962, "ExifPixXDim"}, {40963, "ExifPixYDim"}, {40964, "ExifRelatedWav"}, {40965, "ExifInterop"},
    {41483, "ExifFlashEnergy"}, {41484, "ExifSpatialFR"}, {41486, "ExifFocalXRes"}, {41487, "ExifFocalYRes"},
    {41488, "ExifFocalResUnit"}, {41492, "ExifSubjectLoc"}, {41493, "ExifExposureIndex"},
    {41495, "ExifSensingMethod"}, {41728, "ExifFileSource"}, {41729, "ExifSceneType"},
    {41730, "ExifCfaPattern"}, {41985, "CustomRendered"}, {41986, "ExposureMode"}, {41987, "WhiteBalance"},
    {41988, "DigitalZoomRatio"}, {41989, "FocalLengthIn35mmFilm"}, {41990, "SceneCaptureType"},
    {41991, "GainControl"}, {41992, "Contrast"}, {41993, "Saturation"}, {41994, "Sharpness"},
    {41995, "DeviceSettingDescription"}, {41996, "SubjectDistanceRange"}, {50341, "PrintIMData"},
};

static_assert(std::size(kTagNames) == 237);

}  // namespace

std::string PropertyTagName(uint32_t tag) {
  const auto* end = std::end(kTagNames);
  const auto* it = std::lower_bound(std::begin(kTagNames), end, tag,
                                    [](const TagName& entry, uint32_t t) { return entry.tag < t; });
  if (it != end && it->tag == tag) return it->name;
  char hex[12];
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(tag));
  return hex;
}

bool PropertyTagFromName(std::string_view name, uint32_t& tag) {
  for (const TagName& entry : kTagNames) {
    if (name == entry.name) {
      tag = entry.tag;
      return true;
    }
  }
  return false;
}

int32_t PropertyTagNameCount() { return static_cast<int32_t>(std::size(kTagNames)); }

}  // namespace vx::engine
