// Stand-ins for the plug-in bridge while it is not bound: the plug-in is reported absent and
// every operation does nothing, so no caller gets past the presence test.
#include "engine/plugin_route_pending.h"

namespace vx::engine {

bool IsVximgplugAvailable() { return false; }
std::string PluginFormatName(int32_t) { return {}; }
int32_t VximgplugGetFileFormat(const std::string&) { return -1; }
intptr_t VximgplugLoad(int32_t&, const std::string&, bool& multiPage, bool, intptr_t& fileHandle) {
  multiPage = false;
  fileHandle = 0;
  return 0;
}
bool VximgplugSave(int32_t, intptr_t, const std::string&, int32_t) { return false; }
VexiroStatus PluginBitmapToImage(intptr_t&, int32_t& id, bool& released, bool&, intptr_t, int32_t) {
  id = 0;
  released = true;
  return vexiro::UnknownImageFormat;
}
int32_t VXIMGPLUG_GetPageCount(intptr_t) { return 0; }
intptr_t VXIMGPLUG_LockPage(intptr_t, int32_t) { return 0; }
void VXIMGPLUG_UnlockPage(intptr_t, intptr_t, bool) {}
bool VXIMGPLUG_CloseMultiBitmap(intptr_t, int32_t) { return false; }
void VXIMGPLUG_Unload(intptr_t) {}
void VXIMGPLUG_CloseFileHandle(intptr_t) {}
int32_t VXIMGPLUG_GetBPP(intptr_t) { return 0; }
int32_t VXIMGPLUG_GetColorType(intptr_t) { return 0; }

}  // namespace vx::engine
