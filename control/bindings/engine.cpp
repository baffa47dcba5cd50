// The engine's members bound to their rows of the member table, grouped by subject, and the engine's
// run-time error type made known to dispatch.
#include <utility>

#include "control/binding.h"
#include "control/dispatch.h"
#include "control/path_arguments.h"
#include "engine/runtime_error.h"
#include "vexiro/imaging.h"

namespace vx::control {

// A call that dispatch refuses before the member runs (a path cut by a NUL) leaves
// InvalidParameter as the last status, as the member's own refusal would.
// A run-time error a member stopped at its boundary is taken here and raised by dispatch.
struct EngineRefusals {
  static void MarkInvalid(void* engine) { static_cast<vexiro::cImaging*>(engine)->nStat = vexiro::InvalidParameter; }
  static std::exception_ptr TakeEscapedError(void* engine) {
    return std::exchange(static_cast<vexiro::cImaging*>(engine)->escapedError, nullptr);
  }
};
[[maybe_unused]] const bool pathsRefused =
    (AddPathRefusal(typeid(vexiro::cImaging), &EngineRefusals::MarkInvalid),
     AddEscapedErrorSource(typeid(vexiro::cImaging), &EngineRefusals::TakeEscapedError), true);

VX_BIND(GetStat, &vexiro::cImaging::GetStat);

// Image information
VX_BIND(GetWidth, &vexiro::cImaging::GetWidth);
VX_BIND(GetHeight, &vexiro::cImaging::GetHeight);
VX_BIND(GetWidthMM, &vexiro::cImaging::GetWidthMM);
VX_BIND(GetHeightMM, &vexiro::cImaging::GetHeightMM);
VX_BIND(GetImageFormat, &vexiro::cImaging::GetImageFormat);
VX_BIND(GetPixelFormat, &vexiro::cImaging::GetPixelFormat);
VX_BIND(GetPixelFormatString, &vexiro::cImaging::GetPixelFormatString);
VX_BIND(GetImageColorSpace, &vexiro::cImaging::GetImageColorSpace);
VX_BIND(GetPixelDepth, &vexiro::cImaging::GetPixelDepth);
VX_BIND(IsPixelFormatIndexed, &vexiro::cImaging::IsPixelFormatIndexed);
VX_BIND(IsPixelFormatHasAlpha, &vexiro::cImaging::IsPixelFormatHasAlpha);
VX_BIND(GetHorizontalResolution, &vexiro::cImaging::GetHorizontalResolution);
VX_BIND(GetVerticalResolution, &vexiro::cImaging::GetVerticalResolution);
VX_BIND(SetHorizontalResolution, &vexiro::cImaging::SetHorizontalResolution);
VX_BIND(SetVerticalResolution, &vexiro::cImaging::SetVerticalResolution);
VX_BIND(IsCMYKFile, &vexiro::cImaging::IsCMYKFile);

// Creating images
VX_BIND(CreateImageFromFile, &vexiro::cImaging::CreateImageFromFile);
VX_BIND(CreateImageFromFileICM, &vexiro::cImaging::CreateImageFromFileICM);
VX_BIND(CreateImageFromByteArray, &vexiro::cImaging::CreateImageFromByteArray);
VX_BIND(CreateImageFromByteArrayICM, &vexiro::cImaging::CreateImageFromByteArrayICM);
VX_BIND(CreateImageFromString, &vexiro::cImaging::CreateImageFromString);
VX_BIND(CreateImageFromStringICM, &vexiro::cImaging::CreateImageFromStringICM);
VX_BIND(CreateImageFromStream, &vexiro::cImaging::CreateImageFromStream);
VX_BIND(CreateImageFromStreamICM, &vexiro::cImaging::CreateImageFromStreamICM);
VX_BIND(CreateImageFromClipboard, &vexiro::cImaging::CreateImageFromClipboard);
VX_BIND(CreateImageFromDIB, &vexiro::cImaging::CreateImageFromDIB);
VX_BIND(CreateImageFromMetaFile, &vexiro::cImaging::CreateImageFromMetaFile);
VX_BIND(CreateImageFromHBitmap, &vexiro::cImaging::CreateImageFromHBitmap);
VX_BIND(CreateImageFromHICON, &vexiro::cImaging::CreateImageFromHICON);
VX_BIND(CreateImageFromHwnd, &vexiro::cImaging::CreateImageFromHwnd);
VX_BIND(CreateNewImage, &vexiro::cImaging::CreateNewImage);
VX_BIND(CreateImageFromFTP, &vexiro::cImaging::CreateImageFromFTP);
VX_BIND(CreateImageFromURL, &vexiro::cImaging::CreateImageFromURL);
VX_BIND(CreateClonedImage, &vexiro::cImaging::CreateClonedImage);
VX_BIND(CreateClonedImageI, &vexiro::cImaging::CreateClonedImageI);
VX_BIND(CreateClonedImageARGB, &vexiro::cImaging::CreateClonedImageARGB);
VX_BIND(CreateThumbnail, &vexiro::cImaging::CreateThumbnail);
VX_BIND(CreateThumbnailHQ, &vexiro::cImaging::CreateThumbnailHQ);
VX_BIND(CreateThumbnailHQEx, &vexiro::cImaging::CreateThumbnailHQEx);
VX_BIND(CreateClonedImageArea, &vexiro::cImaging::CreateClonedImageArea);
VX_BIND(SetNativeImage, &vexiro::cImaging::SetNativeImage);

// Saving and closing images
VX_BIND(CloseImage, &vexiro::cImaging::CloseImage);
VX_BIND(CloseNativeImage, &vexiro::cImaging::CloseNativeImage);
VX_BIND(SaveAsBmp, &vexiro::cImaging::SaveAsBmp);
VX_BIND(SaveAsGIF, &vexiro::cImaging::SaveAsGIF);
VX_BIND(SaveAsPNG, &vexiro::cImaging::SaveAsPNG);
VX_BIND(SaveAsJPEG, &vexiro::cImaging::SaveAsJPEG);
VX_BIND(SaveAsTIFF, &vexiro::cImaging::SaveAsTIFF);
VX_BIND(SaveAsGIFi, &vexiro::cImaging::SaveAsGIFi);
VX_BIND(SaveAsPNM, &vexiro::cImaging::SaveAsPNM);
VX_BIND(SaveAsWBMP, &vexiro::cImaging::SaveAsWBMP);
VX_BIND(SaveAsXPM, &vexiro::cImaging::SaveAsXPM);
VX_BIND(SaveAsTGA, &vexiro::cImaging::SaveAsTGA);
VX_BIND(SaveAsPBM, &vexiro::cImaging::SaveAsPBM);
VX_BIND(SaveAsJ2K, &vexiro::cImaging::SaveAsJ2K);
VX_BIND(SaveAsJP2, &vexiro::cImaging::SaveAsJP2);
VX_BIND(SaveAsEXR, &vexiro::cImaging::SaveAsEXR);
VX_BIND(SaveAsTIFFjpg, &vexiro::cImaging::SaveAsTIFFjpg);
VX_BIND(SaveAsTIFFjpgEx, &vexiro::cImaging::SaveAsTIFFjpgEx);
VX_BIND(SaveAsByteArray, &vexiro::cImaging::SaveAsByteArray);
VX_BIND(SaveAsStream, &vexiro::cImaging::SaveAsStream);
VX_BIND(SaveAsString, &vexiro::cImaging::SaveAsString);

// Clipboard
VX_BIND(CopyToClipboard, &vexiro::cImaging::CopyToClipboard);
VX_BIND(CopyRegionToClipboard, &vexiro::cImaging::CopyRegionToClipboard);
VX_BIND(DeleteClipboardData, &vexiro::cImaging::DeleteClipboardData);

[[maybe_unused]] static const bool kEngineErrorsKnown = [] {
  RegisterRuntimeErrorType<vx::engine::RuntimeError>();
  return true;
}();

}  // namespace vx::control
