// Store internals shared by the files that release, replace and page images.
#pragma once
#include <string>
#include <vector>

#include "engine/image_store.h"

namespace vx::engine {

std::vector<ImageRecord>& ThreadImages();

namespace internal {
VexiroStatus WritePageFile(int32_t imageId, const std::string& path, const std::string& format);
VexiroStatus SelectPage(int32_t documentId, int32_t pageIndex);
void ReturnLentDC(gdiplus::GpGraphics* graphics, HDC dc);
void UnloadPluginBitmap(intptr_t bitmap);
void ClosePluginMultiBitmap(intptr_t multiBitmap);
void UnlockPluginPage(intptr_t multiBitmap, intptr_t page);
void ClosePluginFile(intptr_t file);
}  // namespace internal

}  // namespace vx::engine
