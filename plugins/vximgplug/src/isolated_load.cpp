#include "isolated_load.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "bitmap_description.h"
#include "child_process.h"
#include "metadata_transfer.h"
#include "pixel_memory.h"

namespace vximgplug {
namespace {

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { UnloadBitmap(dib); }
};
using DibPtr = std::unique_ptr<FIBITMAP, DibDeleter>;

// The note that starts a picture's rows; a second one starts over with another picture.
struct PictureNote {
  NoteKind kind;
  PixelHeader header;
};

// In the helper: the picture announced to the host, which makes room for its rows while the
// helper decodes them (making room never touches the window).
bool AnnouncePicture(const PixelHeader& h) {
  PictureNote note{};
  note.kind = NoteKind::kPicture;
  note.header = h;
  return NotifyHost(&note, sizeof note);
}

bool StreamRows(FIBITMAP* dib, const PixelHeader& h) {
  RowStream stream(PitchOf(h), h.lineBytes, static_cast<uint32_t>(h.height));
  for (int y = 0; y < h.height; ++y) {
    uint8_t* row = stream.Reserve(1);
    if (!row) return false;
    std::memcpy(row, FreeImage_GetScanLine(dib, h.height - 1 - y), h.lineBytes);
  }
  return stream.Finish();
}

DirectRows SendDirect(int reply, const DirectDecode& direct) {
  const PixelHeader h = HeaderOf(direct.header);
  if (!HeaderAcceptable(h) || !AnnouncePicture(h)) return DirectRows::Failed;
  RowStream stream(PitchOf(h), h.lineBytes, static_cast<uint32_t>(h.height));
  const DirectRows written = direct.rows(stream);
  if (written != DirectRows::Written) return written;
  if (!stream.Finish()) return DirectRows::Failed;
  return SendDescription(reply, direct.header, h) ? DirectRows::Written : DirectRows::Failed;
}

// FreeImage does not free memory it was lent, so the memory under loaded bitmaps is kept here.
struct MappingTable {
  std::mutex mutex;
  std::unordered_map<FIBITMAP*, OwnedPixels> byBitmap;
};

// Never destroyed, as the handle tables that hold the bitmaps are not.
MappingTable& Mappings() {
  static auto* table = new MappingTable;
  return *table;
}

// In the host: the picture the helper announced last, and its rows as they come.
class IncomingPicture {
 public:
  explicit IncomingPicture(bool topRowFirst) : topRowFirst_(topRowFirst) {}

  bool Take(const uint8_t* note, size_t size, const uint8_t* window) {
    if (size == 0) return false;
    if (note[0] == static_cast<uint8_t>(NoteKind::kPicture)) return Announced(note, size);
    return receiver_ && receiver_->Take(note, size, window);
  }

  // The rows, once all of them came, of a picture the description agrees with.
  std::unique_ptr<OwnedPixels> Pixels(const PixelHeader& described) {
    if (!receiver_ || !receiver_->Complete() || std::memcmp(&described, &header_, sizeof header_) != 0) return nullptr;
    receiver_.reset();
    return std::move(pixels_);
  }

 private:
  bool Announced(const uint8_t* bytes, size_t size) {
    PictureNote note{};
    if (size != sizeof note) return false;
    std::memcpy(&note, bytes, sizeof note);
    receiver_.reset();
    pixels_.reset();
    if (!HeaderAcceptable(note.header)) return false;
    pixels_ = OwnedPixels::Allocate(PixelBytes(note.header));
    if (!pixels_) return false;
    header_ = note.header;
    receiver_.emplace(pixels_->bits(), PitchOf(header_), static_cast<uint32_t>(header_.height), topRowFirst_);
    return true;
  }

  bool topRowFirst_;
  PixelHeader header_{};
  std::unique_ptr<OwnedPixels> pixels_;
  std::optional<RowReceiver> receiver_;
};

// A bitmap over the received rows; their memory is owned by the table from then on.
DibPtr BitmapOverPixels(const PixelHeader& h, std::unique_ptr<OwnedPixels> pixels) {
  DibPtr dib(FreeImage_ConvertFromRawBitsEx(FALSE, pixels->bits(), static_cast<FREE_IMAGE_TYPE>(h.type), h.width,
                                            h.height, static_cast<int>(PitchOf(h)), static_cast<unsigned>(h.bpp),
                                            h.redMask, h.greenMask, h.blueMask, FALSE));
  if (!dib || FreeImage_GetLine(dib.get()) != h.lineBytes || FreeImage_GetBits(dib.get()) != pixels->bits())
    return nullptr;
  MappingTable& table = Mappings();
  std::lock_guard lock(table.mutex);
  table.byBitmap.emplace(dib.get(), std::move(*pixels));
  return dib;
}

DibPtr ReceiveBitmap(int fd, IncomingPicture& incoming, Deadline deadline) {
  PixelHeader h{};
  if (!ReadAll(fd, &h, sizeof h, deadline) || !HeaderAcceptable(h)) return nullptr;
  std::unique_ptr<OwnedPixels> pixels = incoming.Pixels(h);
  if (!pixels) return nullptr;
  DibPtr dib = BitmapOverPixels(h, std::move(pixels));
  if (!dib || !ReadPalette(fd, h, deadline, dib.get())) return nullptr;
  if (!ReadProfile(fd, h, deadline, dib.get()) || !ReadMetadata(fd, deadline, dib.get())) return nullptr;
  ApplyHeader(h, dib.get());
  return dib;
}

enum class DecodeDirectly { Sent, Failed, Declined };

// The header is freed here whatever the outcome: the helper keeps nothing between files.
DecodeDirectly TryDirect(int reply, const DirectDecode& direct) {
  if (!direct.header) return DecodeDirectly::Declined;
  const DirectRows written = SendDirect(reply, direct);
  FreeImage_Unload(direct.header);
  switch (written) {
    case DirectRows::Written: return DecodeDirectly::Sent;
    case DirectRows::NotThisFile: return DecodeDirectly::Declined;
    default: return DecodeDirectly::Failed;
  }
}

}  // namespace

bool SendBitmap(int reply, FIBITMAP* dib) {
  const PixelHeader h = HeaderOf(dib);
  // The helper bounds what it hands over by the same rules the host applies.
  return HeaderAcceptable(h) && AnnouncePicture(h) && StreamRows(dib, h) && SendDescription(reply, dib, h);
}

bool SendDecoded(int reply, const std::function<FIBITMAP*()>& decode, const std::function<DirectDecode()>& direct) {
  const DecodeDirectly taken = direct ? TryDirect(reply, direct()) : DecodeDirectly::Declined;
  if (taken != DecodeDirectly::Declined) return taken == DecodeDirectly::Sent;
  FIBITMAP* dib = decode();
  const bool sent = dib && SendBitmap(reply, dib);
  if (dib) FreeImage_Unload(dib);
  return sent;
}

FIBITMAP* LoadInHelper(const std::vector<uint8_t>& request, int source, bool topRowFirst) {
  IncomingPicture incoming(topRowFirst);
  DibPtr received;
  const bool ok = RunInHelper(
      request, source,
      [&](int fd, Deadline deadline) {
        received = ReceiveBitmap(fd, incoming, deadline);
        return received != nullptr;
      },
      [&](const uint8_t* note, size_t size, const uint8_t* window) { return incoming.Take(note, size, window); });
  return ok ? received.release() : nullptr;
}

void UnloadBitmap(FIBITMAP* dib) {
  if (!dib) return;
  FreeImage_Unload(dib);
  MappingTable& table = Mappings();
  std::lock_guard lock(table.mutex);
  table.byBitmap.erase(dib);
}

}  // namespace vximgplug
