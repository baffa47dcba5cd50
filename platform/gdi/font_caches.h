// The font caches text drawing fills in the process.
#pragma once

namespace vx::gdi {

// Hands back the caches of the faces text was drawn or measured with. They would otherwise live
// until the process ends, behind pointers a leak checker cannot follow. Call once, at exit, when
// no drawing or measuring can follow.
void ReleaseFontCaches();

}  // namespace vx::gdi
