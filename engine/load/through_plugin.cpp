// The plug-in route of the file loader: one plug-in bitmap becomes an image, a multi-page TIFF
// or GIF a document, native over the open plug-in file or editable with a page file per page.
#include <algorithm>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/documents/multipage_document.h"
#include "engine/documents/page_file_writer.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/routines/shared_routines.h"

namespace vx::engine {

namespace {

constexpr int32_t kPluginTiffLzwFlags = 0x4000;

// One plug-in bitmap as an image; the record keeps the bitmap while the image uses its pixels.
VexiroStatus RegisterPluginBitmap(int32_t& id, uint32_t bitmap, int32_t format) {
  bool released = false, lockedPage = false;
  const VexiroStatus s = PluginBitmapToImage(bitmap, id, released, lockedPage, 0, format);
  if (released || s != vexiro::OK) Vximgplug().Unload(bitmap);
  if (s != vexiro::OK) return DiscardFailedLoad(id, s);
  if (!released) SetImagePluginBitmap(id, bitmap);
  SetImageFormatName(id, PluginFormatName(format));
  return s;
}

// One locked page of a plug-in multi-page file into a page file; the page is given back once.
VexiroStatus WritePluginPage(uint32_t multi, int32_t page, int32_t format, std::string& file, int32_t& bits) {
  uint32_t locked = Vximgplug().LockPage(multi, page);
  if (locked == 0) return vexiro::GenericError;
  bool released = false, lockedPage = true;
  ScopedImage pageImage;
  const uint32_t original = locked;
  const VexiroStatus converted = PluginBitmapToImage(locked, *pageImage.put(), released, lockedPage, multi, format);
  const std::string documentFormat = format == PluginFormatTIFF ? "TIFF" : "GIF";
  // What the page writer refuses the plug-in may still write from its own bitmap.
  const auto writePage = [&](const std::string& path) {
    if (WriteDocumentPageFile(pageImage.get(), path, documentFormat) == vexiro::OK) return vexiro::OK;
    const bool saved = format == PluginFormatTIFF ? VximgplugSave(PluginFormatTIFF, locked, path, kPluginTiffLzwFlags)
                                                  : VximgplugSave(PluginFormatPNG, locked, path, 0);
    return saved ? vexiro::OK : vexiro::GenericError;
  };
  VexiroStatus s = converted;
  file.clear();
  if (converted == vexiro::OK) file = WriteFreshTempFile(writePage, s);
  // The page image may read the locked page's pixels: it goes before the page is given back.
  pageImage.Release();
  bits = Vximgplug().GetBPP(locked);
  if (lockedPage) {
    Vximgplug().UnlockPage(multi, original, false);
  } else if (locked != original) {
    Vximgplug().Unload(locked);
  }
  return s;
}

VexiroStatus RegisterPluginDocument(int32_t& id, uint32_t multi, uint32_t file, int32_t format, const std::string& path,
                                    const LoadOptions& options) {
  const bool tiff = format == PluginFormatTIFF;
  const bool native = tiff ? options.TiffReadOnly : options.GifReadOnly;
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
  if (written == 0 || last != vexiro::OK)
    return DiscardFailedLoad(id, last == vexiro::OK ? vexiro::UnknownImageFormat : last);
  return vexiro::OK;
}

}  // namespace

VexiroStatus LoadImageThroughPlugin(int32_t& id, const std::string& path, const LoadOptions& options) {
  id = 0;
  if (!IsVximgplugAvailable()) return vexiro::Aborted;
  int32_t format = VximgplugGetFileFormat(path);
  // The platform decoders read these themselves, with their own colour handling.
  if (format == PluginFormatUnknown || format == PluginFormatBMP || format == PluginFormatPNG ||
      format == PluginFormatGIF)
    return vexiro::UnknownImageFormat;
  bool multiPage = false;
  uint32_t file = 0;
  const uint32_t bitmap = VximgplugLoad(format, path, multiPage, file);
  if (bitmap == 0) return VximgplugLoadFailure();
  if (!multiPage) return RegisterPluginBitmap(id, bitmap, format);
  return RegisterPluginDocument(id, bitmap, file, format, path, options);
}

bool FileIsCMYK(const std::string& path) {
  // Without the plug-in nothing can tell; a missing plug-in must not raise from a question.
  if (!IsVximgplugAvailable()) return false;
  int32_t format = VximgplugGetFileFormat(path);
  bool multiPage = false;
  uint32_t file = 0;
  const uint32_t bitmap = VximgplugLoad(format, path, multiPage, file);
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
