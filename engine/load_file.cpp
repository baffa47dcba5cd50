// The loader core. A file meets up to three decoders: the format plug-in, the platform decoders
// and the picture loader; the options decide which comes first, and when all fail the caller
// hears the plug-in route's reason, which says most about why the file was refused.
#include "engine/load_file.h"

#include <algorithm>
#include <fstream>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/images_from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "engine/multipage_document.h"
#include "engine/page_file_writer.h"
#include "engine/plugin_api.h"
#include "engine/plugin_bridge.h"
#include "engine/shared_routines.h"
#include "platform/kernel/code_page.h"

namespace vx::engine {

namespace {

constexpr int32_t kPluginUnknown = -1;
constexpr int32_t kPluginBmp = 0;
constexpr int32_t kPluginPng = 13;
constexpr int32_t kPluginTiff = 18;
constexpr int32_t kPluginGif = 25;
constexpr int32_t kPluginTiffLzwFlags = 0x4000;

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Leaves no record behind: the identifier names nothing after a failed load.
VexiroStatus Fail(int32_t& id, VexiroStatus status) {
  if (id != 0) ReleaseImage(id);
  id = 0;
  return status;
}

VexiroStatus LoadThroughGdiPlus(int32_t& id, const std::string& path, bool useColorManagement, bool tiffReadOnly,
                                bool gifReadOnly, bool refuseFormatZero) {
  VexiroStatus s = LoadMultiPageFileGdiPlus(path, id, useColorManagement, tiffReadOnly, gifReadOnly);
  if (s != vexiro::OK) {
    id = 0;
    return s;
  }
  if (refuseFormatZero && GetImagePixelFormatValue(id) == 0) return Fail(id, vexiro::UnknownImageFormat);
  return vexiro::OK;
}

// One plug-in bitmap as an image; the record keeps the bitmap while the image uses its pixels.
VexiroStatus RegisterPluginBitmap(int32_t& id, uint32_t bitmap, int32_t format) {
  bool released = false, lockedPage = false;
  const VexiroStatus s = PluginBitmapToImage(bitmap, id, released, lockedPage, 0, format);
  if (released || s != vexiro::OK) Vximgplug().Unload(bitmap);
  if (s != vexiro::OK) return Fail(id, s);
  if (!released) SetImagePluginBitmap(id, bitmap);
  SetImageFormatName(id, PluginFormatName(format));
  return s;
}

// One locked page of a plug-in multi-page file into a page file; the page is given back once.
VexiroStatus WritePluginPage(uint32_t multi, int32_t page, int32_t format, std::string& file, int32_t& bits) {
  uint32_t locked = Vximgplug().LockPage(multi, page);
  if (locked == 0) return vexiro::GenericError;
  file = GetTempFilePath();
  bool released = false, lockedPage = true;
  int32_t pageId = 0;
  const uint32_t original = locked;
  const VexiroStatus converted = PluginBitmapToImage(locked, pageId, released, lockedPage, multi, format);
  const std::string documentFormat = format == kPluginTiff ? "TIFF" : "GIF";
  VexiroStatus s = converted;
  if (converted == vexiro::OK) {
    s = file.empty() ? vexiro::CanNotCreateFile : WriteDocumentPageFile(pageId, file, documentFormat);
    if (s != vexiro::OK && !file.empty()) {
      const bool saved = format == kPluginTiff ? VximgplugSave(kPluginTiff, locked, file, kPluginTiffLzwFlags)
                                               : VximgplugSave(kPluginPng, locked, file, 0);
      s = saved ? vexiro::OK : vexiro::GenericError;
    }
  }
  if (pageId != 0) ReleaseImage(pageId);
  bits = Vximgplug().GetBPP(locked);
  if (lockedPage) {
    Vximgplug().UnlockPage(multi, original, false);
  } else if (locked != original) {
    Vximgplug().Unload(locked);
  }
  if (s != vexiro::OK) {
    DeleteFileQuietly(file);
    file.clear();
  }
  return s;
}

VexiroStatus RegisterPluginDocument(int32_t& id, uint32_t multi, uint32_t file, int32_t format, const std::string& path,
                                    bool tiffReadOnly, bool gifReadOnly) {
  const bool tiff = format == kPluginTiff;
  const bool native = tiff ? tiffReadOnly : gifReadOnly;
  const std::string name = PluginFormatName(format);
  RegisterImage(id, nullptr, name, path, native ? KindPluginBitmap : KindGeneric);
  ImageRecord* doc = FindImageRecord(id);
  doc->IsTiffMultiPage = tiff;
  doc->IsGifMultiPage = !tiff;
  doc->NativeMultiPage = native;
  const int32_t count = std::max(Vximgplug().GetPageCount(multi), 0);
  doc->PageCount = count;
  doc->PageFiles.assign(static_cast<size_t>(count), "");
  doc->PageImageIDs.assign(static_cast<size_t>(count), 0);
  doc->PageBitDepths.assign(static_cast<size_t>(count), 0);
  doc->PageDelays.assign(static_cast<size_t>(count), 0);
  doc->PageDisposals.assign(static_cast<size_t>(count), 0);
  doc->CurrentPage = -1;
  doc->PluginFileHandle = file;
  const std::string documentFormat = tiff ? "TIFF" : "GIF";
  if (native) {
    doc->PluginBitmap = multi;
    SelectPage(id, 0, documentFormat);
    return vexiro::OK;
  }

  int32_t written = 0;
  VexiroStatus last = vexiro::OK;
  for (int32_t page = 0; page < count; ++page) {
    std::string pageFile;
    int32_t bits = 0;
    last = WritePluginPage(multi, page, format, pageFile, bits);
    if (last != vexiro::OK) continue;
    ++written;
    doc = FindImageRecord(id);
    doc->PageFiles[static_cast<size_t>(page)] = pageFile;
    doc->PageBitDepths[static_cast<size_t>(page)] = bits;
  }
  Vximgplug().CloseMultiBitmap(multi, 0);
  SelectPage(id, 0, documentFormat);
  if (written == 0 || last != vexiro::OK) return Fail(id, last == vexiro::OK ? vexiro::UnknownImageFormat : last);
  return vexiro::OK;
}

}  // namespace

VexiroStatus LoadImageFromFile(int32_t& id, const std::string& path, bool useColorManagement, bool disablePlugin,
                               bool tiffReadOnly, HWND owner, bool suppressDialog, bool gifReadOnly) {
  id = 0;
  std::string chosen = path;
  if (!suppressDialog && IsBlank(chosen)) chosen = ShowOpenFileDialog(owner);
  chosen = NormalizePath(chosen);
  if (IsBlank(chosen) || GetExistingFilePath(chosen).empty()) return vexiro::FileNotFound;

  if (useColorManagement || disablePlugin) {
    const VexiroStatus s = LoadThroughGdiPlus(id, chosen, useColorManagement, tiffReadOnly, gifReadOnly, true);
    if (s == vexiro::OK || disablePlugin) return s;
  }
  const VexiroStatus pluginStatus = LoadImageThroughPlugin(id, chosen, useColorManagement, tiffReadOnly, gifReadOnly);
  if (pluginStatus == vexiro::OK) return vexiro::OK;
  if (LoadThroughGdiPlus(id, chosen, useColorManagement, tiffReadOnly, gifReadOnly, false) == vexiro::OK)
    return vexiro::OK;
  if (LoadImageThroughOlePicture(id, chosen) == vexiro::OK) return vexiro::OK;
  id = 0;
  return pluginStatus;
}

VexiroStatus LoadImageThroughPlugin(int32_t& id, const std::string& path, bool useColorManagement, bool tiffReadOnly,
                                    bool gifReadOnly) {
  id = 0;
  if (!IsVximgplugAvailable()) return vexiro::Aborted;
  int32_t format = VximgplugGetFileFormat(path);
  // The platform decoders read these themselves, with their own colour handling.
  if (format == kPluginUnknown || format == kPluginBmp || format == kPluginPng || format == kPluginGif)
    return vexiro::UnknownImageFormat;
  bool multiPage = false;
  uint32_t file = 0;
  const uint32_t bitmap = VximgplugLoad(format, path, multiPage, useColorManagement, file);
  if (bitmap == 0) return vexiro::OutOfMemory;
  if (!multiPage) return RegisterPluginBitmap(id, bitmap, format);
  return RegisterPluginDocument(id, bitmap, file, format, path, tiffReadOnly, gifReadOnly);
}

VexiroStatus LoadImageThroughOlePicture(int32_t& id, const std::string&) {
  // The picture loader of this platform reads no format the platform decoders refuse, so a
  // file that reaches it cannot be read.
  id = 0;
  return vexiro::UnknownImageFormat;
}

VexiroStatus LoadImageFromBytes(int32_t& id, const void* bytes, size_t size, bool useColorManagement, bool tiffReadOnly,
                                bool gifReadOnly) {
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
  const VexiroStatus s = LoadImageFromFile(id, file, useColorManagement, false, tiffReadOnly, 0, true, gifReadOnly);
  if (s != vexiro::OK) {
    DeleteFileQuietly(file);
    id = 0;
    return s;
  }
  SetImageSourceFile(id, file);
  return s;
}

VexiroStatus LoadImageFromByteArray(int32_t& id, const vexiro::BasicArray<uint8_t>& bytes, bool useColorManagement,
                                    bool tiffReadOnly, bool gifReadOnly) {
  const std::vector<uint8_t>& data = bytes.Data();
  return LoadImageFromBytes(id, data.data(), data.size(), useColorManagement, tiffReadOnly, gifReadOnly);
}

VexiroStatus LoadImageFromString(int32_t& id, const std::string& text, bool useColorManagement, bool tiffReadOnly,
                                 bool gifReadOnly) {
  id = 0;
  if (text.empty()) return vexiro::GenericError;
  const std::string bytes = Utf8ToAnsi(text);
  if (bytes.size() < 2) return vexiro::ProfileNotFound;
  return LoadImageFromBytes(id, bytes.data(), bytes.size(), useColorManagement, tiffReadOnly, gifReadOnly);
}

VexiroStatus LoadImageFromStream(int32_t& id, ole::IStream* stream, bool useColorManagement) {
  id = 0;
  if (!stream) return vexiro::InvalidParameter;
  int32_t loaded = 0;
  const VexiroStatus s = CreateImageFromStreamObject(stream, loaded, useColorManagement);
  if (s != vexiro::OK) return s;
  const VexiroStatus split = SplitMultiPageImage("", loaded, id, false, false);
  if (split != vexiro::OK) id = 0;
  return split;
}

VexiroStatus AdoptGdiPlusImage(int32_t& id, gdiplus::GpImage* image) {
  id = 0;
  if (!image) return vexiro::InvalidParameter;
  const VexiroStatus s = ToStatus(gdiplus::GdipImageForceValidation(image));
  if (s != vexiro::OK) return s;
  RegisterImage(id, image, "", "", KindGeneric);
  return vexiro::OK;
}

bool FileIsCMYK(const std::string& path) {
  constexpr int32_t kColorTypeCMYK = 5;
  // Without the plug-in nothing can tell; a missing plug-in must not raise from a question.
  if (!IsVximgplugAvailable()) return false;
  int32_t format = VximgplugGetFileFormat(path);
  bool multiPage = false;
  uint32_t file = 0;
  const uint32_t bitmap = VximgplugLoad(format, path, multiPage, true, file);
  if (bitmap == 0) return false;
  bool cmyk = false;
  if (multiPage) {
    // A document is judged by its first page.
    const uint32_t page = Vximgplug().LockPage(bitmap, 0);
    cmyk = page != 0 && Vximgplug().GetColorType(page) == kColorTypeCMYK;
    if (page != 0) Vximgplug().UnlockPage(bitmap, page, false);
    Vximgplug().CloseMultiBitmap(bitmap, 0);
    if (file != 0) Vximgplug().CloseFileHandle(file);
  } else {
    cmyk = Vximgplug().GetColorType(bitmap) == kColorTypeCMYK;
    Vximgplug().Unload(bitmap);
  }
  return cmyk;
}

}  // namespace vx::engine
