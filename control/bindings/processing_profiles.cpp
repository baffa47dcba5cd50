// Bindings of the colour-management members: profiles, separations, remap tables and colour keys.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(ICCSetRGBProfile, &vexiro::cImaging::ICCSetRGBProfile);
VX_BIND(ICCExportToFile, &vexiro::cImaging::ICCExportToFile);
VX_BIND(ICCRemove, &vexiro::cImaging::ICCRemove);
VX_BIND(ICCAddFromFile, &vexiro::cImaging::ICCAddFromFile);
VX_BIND(ICCImageHasProfile, &vexiro::cImaging::ICCImageHasProfile);
VX_BIND(ICCRemoveProfileToFile, &vexiro::cImaging::ICCRemoveProfileToFile);
VX_BIND(ICCAddProfileToFile, &vexiro::cImaging::ICCAddProfileToFile);
VX_BIND(GetColorChannelFlagsC, &vexiro::cImaging::GetColorChannelFlagsC);
VX_BIND(GetColorChannelFlagsM, &vexiro::cImaging::GetColorChannelFlagsM);
VX_BIND(GetColorChannelFlagsY, &vexiro::cImaging::GetColorChannelFlagsY);
VX_BIND(GetColorChannelFlagsK, &vexiro::cImaging::GetColorChannelFlagsK);
VX_BIND(SetColorRemap, &vexiro::cImaging::SetColorRemap);
VX_BIND(SetColorKey, &vexiro::cImaging::SetColorKey);

}  // namespace vx::control
