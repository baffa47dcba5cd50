// The processing members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// Colour palettes
VX_BIND(ColorPaletteGet, &vexiro::cImaging::ColorPaletteGet);
VX_BIND(ColorPaletteSet, &vexiro::cImaging::ColorPaletteSet);
VX_BIND(ColorPaletteGetEntrie, &vexiro::cImaging::ColorPaletteGetEntrie);
VX_BIND(ColorPaletteGetColorsCount, &vexiro::cImaging::ColorPaletteGetColorsCount);
VX_BIND(ColorPaletteGetType, &vexiro::cImaging::ColorPaletteGetType);
VX_BIND(ColorPaletteSwapEntries, &vexiro::cImaging::ColorPaletteSwapEntries);
VX_BIND(ColorPaletteSetTransparentColor, &vexiro::cImaging::ColorPaletteSetTransparentColor);
VX_BIND(ColorPaletteGetTransparentColor, &vexiro::cImaging::ColorPaletteGetTransparentColor);
VX_BIND(ColorPaletteHasTransparentColor, &vexiro::cImaging::ColorPaletteHasTransparentColor);
VX_BIND(ColorPaletteConvertToHalftone, &vexiro::cImaging::ColorPaletteConvertToHalftone);

}  // namespace vx::control
