// Bindings of the engine's utility members: processing region, measures, versions, Base64 text,
// distance, clearing, switches and lossless JPEG transforms.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(SetROI, &vexiro::cImaging::SetROI);
VX_BIND(ResetROI, &vexiro::cImaging::ResetROI);
VX_BIND(FiltersToZone, &vexiro::cImaging::FiltersToZone);
VX_BIND(FiltersToImage, &vexiro::cImaging::FiltersToImage);
VX_BIND(RemoveAllImage, &vexiro::cImaging::RemoveAllImage);
VX_BIND(CountColor, &vexiro::cImaging::CountColor);
VX_BIND(GetAverageColor, &vexiro::cImaging::GetAverageColor);
VX_BIND(IsGrayscale, &vexiro::cImaging::IsGrayscale);
VX_BIND(IsBitonal, &vexiro::cImaging::IsBitonal);
VX_BIND(IsBlank, &vexiro::cImaging::IsBlank);
VX_BIND(GetVersion, &vexiro::cImaging::GetVersion);
VX_BIND(GetGdiplusVersion, &vexiro::cImaging::GetGdiplusVersion);
VX_BIND(Encode64String, &vexiro::cImaging::Encode64String);
VX_BIND(Decode64String, &vexiro::cImaging::Decode64String);
VX_BIND(GetDistance, &vexiro::cImaging::GetDistance);
VX_BIND(ClearImage, &vexiro::cImaging::ClearImage);
VX_BIND(DisableVximgplugCodecs, &vexiro::cImaging::DisableVximgplugCodecs);
VX_BIND(ForceImageValidation, &vexiro::cImaging::ForceImageValidation);
VX_BIND(GetDesktopHwnd, &vexiro::cImaging::GetDesktopHwnd);
VX_BIND(TransformJPEG, &vexiro::cImaging::TransformJPEG);

}  // namespace vx::control
