// The PDF members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(PdfCreateRights, &vexiro::cImaging::PdfCreateRights);

}  // namespace vx::control
