// The loader core. A file meets up to three decoders: the format plug-in, the platform decoders
// and the picture loader; the options decide which comes first, and when all fail the caller
// hears the plug-in route's reason, which says most about why the file was refused.
#include "engine/load/loader.h"

#include <fstream>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "engine/documents/multipage_document.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/code_page.h"

namespace vx::engine {

namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

VexiroStatus LoadThroughGdiPlus(int32_t& id, const std::string& path, const LoadOptions& options,
                                bool refuseFormatZero) {
  VexiroStatus s = LoadMultiPageFileGdiPlus(path, id, options);
  if (s != vexiro::OK) {
    id = 0;
    return s;
  }
  if (refuseFormatZero && GetImagePixelFormatValue(id) == 0) return DiscardFailedLoad(id, vexiro::UnknownImageFormat);
  return vexiro::OK;
}

}  // namespace

VexiroStatus DiscardFailedLoad(int32_t& id, VexiroStatus status) {
  ScopedImage(std::exchange(id, 0)).Release();
  return status;
}

VexiroStatus LoadImageFromFile(int32_t& id, const std::string& path, const LoadOptions& options) {
  id = 0;
  std::string chosen = path;
  if (options.AskForBlankPath && IsBlank(chosen)) chosen = ShowOpenFileDialog(options.DialogOwner);
  chosen = NormalizePath(chosen);
  if (IsBlank(chosen) || GetExistingFilePath(chosen).empty()) return vexiro::FileNotFound;

  if (options.UseColorManagement || options.DisablePlugin) {
    const VexiroStatus s = LoadThroughGdiPlus(id, chosen, options, true);
    if (s == vexiro::OK || options.DisablePlugin) return s;
  }
  const VexiroStatus pluginStatus = LoadImageThroughPlugin(id, chosen, options);
  if (pluginStatus == vexiro::OK) return vexiro::OK;
  if (LoadThroughGdiPlus(id, chosen, options, false) == vexiro::OK) return vexiro::OK;
  if (LoadImageThroughOlePicture(id, chosen) == vexiro::OK) return vexiro::OK;
  id = 0;
  return pluginStatus;
}

VexiroStatus LoadImageThroughOlePicture(int32_t& id, const std::string& path) {
  // Of the formats the platform decoders refuse, the picture loader reads metafiles: they come
  // out drawn at their own size, as the metafile member draws them.
  if (CreateImageFromMetafileFile(path, 1.0f, id) == vexiro::OK) return vexiro::OK;
  id = 0;
  return vexiro::UnknownImageFormat;
}

VexiroStatus LoadImageFromBytes(int32_t& id, const void* bytes, size_t size, const LoadOptions& options) {
  id = 0;
  const std::string file = GetTempFilePath();
  if (file.empty()) return vexiro::CanNotCreateFile;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (size > 0) out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out.flush()) {
      DeleteFileQuietly(file);
      return vexiro::Win32Error;
    }
  }
  return LoadTemporaryFileAsImage(id, file, options);
}

VexiroStatus LoadTemporaryFileAsImage(int32_t& id, const std::string& file, const LoadOptions& options) {
  LoadOptions silent = options;
  silent.AskForBlankPath = false;
  const VexiroStatus s = LoadImageFromFile(id, file, silent);
  if (s != vexiro::OK) {
    DeleteFileQuietly(file);
    id = 0;
    return s;
  }
  SetImageSourceFile(id, file);
  return s;
}

VexiroStatus LoadImageFromByteArray(int32_t& id, const vexiro::BasicArray<uint8_t>& bytes,
                                    const LoadOptions& options) {
  const std::vector<uint8_t>& data = bytes.Data();
  return LoadImageFromBytes(id, data.data(), data.size(), options);
}

VexiroStatus LoadImageFromString(int32_t& id, const std::string& text, const LoadOptions& options) {
  id = 0;
  if (text.empty()) return vexiro::GenericError;
  const std::string bytes = Utf8ToAnsi(text);
  if (bytes.size() < 2) return vexiro::ProfileNotFound;
  return LoadImageFromBytes(id, bytes.data(), bytes.size(), options);
}

VexiroStatus LoadImageFromStream(int32_t& id, ole::IStream* stream, bool useColorManagement) {
  id = 0;
  if (!stream) return vexiro::InvalidParameter;
  int32_t loaded = 0;
  const VexiroStatus s = CreateImageFromStreamObject(stream, loaded, useColorManagement);
  if (s != vexiro::OK) return s;
  const VexiroStatus split = SplitMultiPageImage("", loaded, id, LoadOptions{});
  if (split != vexiro::OK) id = 0;
  return split;
}

VexiroStatus AdoptGdiPlusImage(int32_t& id, gdiplus::GpImage* image) {
  id = 0;
  // An image the store already owns would be freed twice.
  if (!image || StoreHoldsImage(image)) return vexiro::InvalidParameter;
  const VexiroStatus s = ToStatus(gdiplus::GdipImageForceValidation(image));
  if (s != vexiro::OK) return s;
  RegisterImage(id, image, "", "", KindGeneric);
  return vexiro::OK;
}

}  // namespace vx::engine
