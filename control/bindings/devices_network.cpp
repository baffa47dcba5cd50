// The network transfer members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(SaveToFTP, &vexiro::cImaging::SaveToFTP);
VX_BIND(UploadFileToFTP, &vexiro::cImaging::UploadFileToFTP);
VX_BIND(SetHttpTransfertBufferSize, &vexiro::cImaging::SetHttpTransfertBufferSize);
VX_BIND(SetFtpPassiveMode, &vexiro::cImaging::SetFtpPassiveMode);

}  // namespace vx::control
