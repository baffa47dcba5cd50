// The format plug-in bridge as the file loader and the document model call it. The bridge binds
// these to the plug-in; until it is bound here they answer "plug-in absent", so loads take the
// platform decoders and the picture loader.
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"

namespace vx::engine {

bool IsVximgplugAvailable();
std::string PluginFormatName(int32_t format);
int32_t VximgplugGetFileFormat(const std::string& path);
// A plug-in bitmap, or with `multiPage` set an open multi-page bitmap over `fileHandle`; 0 when
// nothing was loaded.
intptr_t VximgplugLoad(int32_t& format, const std::string& path, bool& multiPage, bool colorManagement,
                       intptr_t& fileHandle);
bool VximgplugSave(int32_t format, intptr_t bitmap, const std::string& path, int32_t flags);
VexiroStatus PluginBitmapToImage(intptr_t& bitmap, int32_t& id, bool& released, bool& lockedPage, intptr_t multiBitmap,
                                 int32_t format);

int32_t VXIMGPLUG_GetPageCount(intptr_t multiBitmap);
intptr_t VXIMGPLUG_LockPage(intptr_t multiBitmap, int32_t page);
void VXIMGPLUG_UnlockPage(intptr_t multiBitmap, intptr_t page, bool changed);
bool VXIMGPLUG_CloseMultiBitmap(intptr_t multiBitmap, int32_t flags);
void VXIMGPLUG_Unload(intptr_t bitmap);
void VXIMGPLUG_CloseFileHandle(intptr_t file);
int32_t VXIMGPLUG_GetBPP(intptr_t bitmap);
int32_t VXIMGPLUG_GetColorType(intptr_t bitmap);

}  // namespace vx::engine
