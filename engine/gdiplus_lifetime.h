// The thread's imaging-platform lifetime: start-up counted per engine, the recorded versions,
// and the module start-up that arms the safety flags.
#pragma once
#include <cstdint>
#include <string>

namespace vx::engine {

struct GdiplusThreadState {
  uint32_t GdiplusToken = 0;
  bool GdiplusStarted = false;
  int32_t GdiplusRefCount = 0;
  std::string GdiplusVersion;
  std::string VximgplugVersion;
  bool SafeForScripting = false;
  bool SafeForInitializing = false;
  bool MainRan = false;
  ~GdiplusThreadState();
};
GdiplusThreadState& ThreadGdiplusState();

// Hands the image store the seams through which it reaches the subsystems that own the work
// (plug-in releases, document page files and page selection, lent device contexts). Runs once
// per process, before the first engine is constructed; later calls leave the seams as they are,
// so a seam a test replaced stays replaced.
void WireSubsystems();

// Runs once per thread, before the thread's first engine is constructed.
void Main();
// Runs Main the first time the library runs in the thread: an engine's construction or a safety
// question a control answers without an engine.
void RunMainOnce();
bool StartGdiPlus();
void StopGdiPlus();

// "a.b.c.d" from the module's version resource, "Unknown" without one, "Undefined" on error.
std::string GetFileVersionString(const std::string& moduleName);

// Numeric value of the recorded platform version, read as the scripting language's Val.
double GdiplusVersionValue();
// Platforms before 6.0 cannot draw on or write-lock indexed images into other formats.
inline bool GdiplusBefore60() { return GdiplusVersionValue() < 6.0; }

}  // namespace vx::engine
