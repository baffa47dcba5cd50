// Page files go straight through the platform encoders for now; the TIFF and PNG savers take
// this over once they exist, and this function is the one place to redirect.
#include "engine/page_file_writer.h"

#include "engine/encoder_table.h"
#include "engine/image_store.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

using namespace vx::gdiplus;

VexiroStatus WriteDocumentPageFile(int32_t imageId, const std::string& path, const std::string& documentFormat) {
  GpImage* image = GetGpImage(imageId);
  if (!image) return vexiro::InvalidParameter;
  const bool tiff = documentFormat == "TIFF";
  const int32_t index = FindEncoderIndex(tiff ? "*.TIF" : "*.PNG");
  if (index < 0) return vexiro::UnknownImageFormat;
  CLSID encoder{};
  GetEncoderClsid(encoder, index);
  ULONG lzw = EncoderValueCompressionLZW;
  EncoderParameters params;
  if (tiff) {
    params.Count = 1;
    params.Parameter[0].Guid = EncoderCompression;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Type = EncoderParameterValueTypeLong;
    params.Parameter[0].Value = &lzw;
  }
  return ToStatus(GdipSaveImageToFile(image, path.c_str(), &encoder, tiff ? &params : nullptr));
}

}  // namespace vx::engine
