// vexiro: an imaging library. This umbrella header gives the library's version.
#pragma once

namespace vexiro {

// "major.minor.patch" of the library.
const char* LibraryVersion();

}  // namespace vexiro
