// The clipboard frees what it holds by format; GDI formats need GDI's deleters rather than the
// global-memory default.
#include <cstring>
#include <mutex>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/kernel/global_memory.h"
#include "platform/user/user.h"

namespace vx::gdi {
namespace {

void DeleteMetafilePicture(HANDLE32 block) {
  if (GlobalSize(block) >= sizeof(METAFILEPICT)) {
    if (const void* p = GlobalLock(block)) {
      METAFILEPICT picture;
      std::memcpy(&picture, p, sizeof picture);
      GlobalUnlock(block);
      DeleteMetaFile(picture.hMF);
    }
  }
  GlobalFree(block);
}

}  // namespace

void RegisterClipboardDeleters() {
  static std::once_flag once;
  std::call_once(once, [] {
    SetClipboardFormatDeleter(CF_BITMAP, [](HANDLE32 h) { DeleteObject(h); });
    SetClipboardFormatDeleter(CF_PALETTE, [](HANDLE32 h) { DeleteObject(h); });
    SetClipboardFormatDeleter(CF_ENHMETAFILE, [](HANDLE32 h) { DeleteEnhMetaFile(h); });
    SetClipboardFormatDeleter(CF_METAFILEPICT, DeleteMetafilePicture);
  });
}

}  // namespace vx::gdi
