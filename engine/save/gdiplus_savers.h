// Writing images through the platform's encoders, and the preparation every save runs first.
// Each routine takes an image identifier and answers with a status (the platform's own where
// the platform answered); none touches an engine's fields.
#pragma once
#include <cstdint>
#include <string>

#include "engine/save/encoder_parameters.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// TIFF compressions as the encoder takes them.
enum TifCompression : int32_t {
  CompressionLZW = 2,
  CompressionCCITT3 = 3,
  CompressionCCITT4 = 4,
  CompressionRLE = 5,
  CompressionNone = 6,
};

VexiroStatus SaveImageToFile(int32_t id, const std::string& path, const CLSID& encoder);
VexiroStatus SaveImageToFileWithParams(int32_t id, const std::string& path, const CLSID& encoder,
                                       const EncoderParameterBlock& params);
VexiroStatus SetImagePropertyItem(int32_t id, const gdiplus::PropertyItem& item, bool markModified);

// Writes the image's resolution again (and its resolution items), without marking it modified.
void ReapplyResolution(int32_t id);
// Raises a resolution below half a dot per inch and removes every GPS-information pointer item,
// which encoders would otherwise copy into the file pointing at nothing.
void PrepareForSave(int32_t id);

// The encoder index for a lower-case mask such as "*.png"; -1 when no encoder lists it.
int32_t FindEncoderForMask(const std::string& mask);

VexiroStatus SaveAsBmpFile(int32_t id, const std::string& path);
VexiroStatus SaveAsGIFFile(int32_t id, const std::string& path);
VexiroStatus SaveAsPNGFile(int32_t id, const std::string& path);
// A negative quality leaves the encoder's default; above 100 is written as 100.
VexiroStatus SaveAsJPEGFile(int32_t id, const std::string& path, int32_t quality, bool disablePlugin);
// colorDepth 0 lets the encoder keep the image's depth.
VexiroStatus SaveAsTIFFFile(int32_t id, const std::string& path, int32_t compression, int32_t colorDepth);

// A multi-frame TIFF: the first page opens the file, further pages are appended to it.
VexiroStatus TiffBeginMultiPage(int32_t id, const std::string& path, int32_t compression);
VexiroStatus TiffSaveAddPage(int32_t firstId, int32_t pageId);

// The save flags the format plug-in gets for a JPEG quality: 0..100, where 0 (also for any
// negative quality) asks for the plug-in's default.
int32_t PluginJpegFlags(int32_t quality);

// The compression actually asked of the encoder: the fax and run-length schemes hold only
// bilevel pixels, so they become LZW for anything deeper.
int32_t EffectiveTiffCompression(int32_t compression, int32_t colorDepth, int32_t imageBits);

}  // namespace vx::engine
