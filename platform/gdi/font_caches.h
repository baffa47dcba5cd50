// The font caches text drawing fills in the process.
#pragma once

namespace vx::gdi {

// Loads the font configuration the first time any thread looks a face up. Threads that reached
// fontconfig's lazy first load at the same moment would each load a configuration and race where
// fontconfig publishes one; under this lock exactly one thread loads it. Every entry to
// fontconfig calls it first; after the first load it costs one atomic read.
void LoadFontConfiguration();

// Hands back the caches of the faces text was drawn or measured with. They would otherwise live
// until the process ends, behind pointers a leak checker cannot follow. Call once, at exit, when
// no drawing or measuring can follow (a later lookup loads the configuration again).
void ReleaseFontCaches();

}  // namespace vx::gdi
