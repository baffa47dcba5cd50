#include "row_stream.h"

#include <cstring>

#include "child_process.h"

namespace vximgplug {

namespace {

struct RowsNote {
  NoteKind kind;
  uint32_t count;
};

}  // namespace

RowStream::RowStream(size_t pitch, size_t lineBytes, uint32_t height)
    : window_(SharedWithHost()), pitch_(pitch), lineBytes_(lineBytes), height_(height) {}

uint8_t* RowStream::Reserve(uint32_t count) {
  if (count == 0 || count > height_ - sent_ - held_ || count * pitch_ > kSharedBytes) return nullptr;
  if ((held_ + count) * pitch_ > kSharedBytes && !Flush()) return nullptr;
  uint8_t* rows = window_ + held_ * pitch_;
  // The window holds earlier rows' bytes; the padding the decoder leaves must be zero.
  if (pitch_ > lineBytes_)
    for (uint32_t r = 0; r < count; ++r) std::memset(rows + r * pitch_ + lineBytes_, 0, pitch_ - lineBytes_);
  held_ += count;
  return rows;
}

bool RowStream::Flush() {
  if (held_ == 0) return true;
  const RowsNote note{NoteKind::kRows, held_};
  if (!TellHost(&note, sizeof note)) return false;
  sent_ += held_;
  held_ = 0;
  return true;
}

bool RowStream::Finish() { return Flush() && sent_ == height_; }

bool RowReceiver::Take(const uint8_t* bytes, size_t size, const uint8_t* window) {
  RowsNote note{};
  if (size != sizeof note) return false;
  std::memcpy(&note, bytes, sizeof note);
  if (note.kind != NoteKind::kRows || note.count == 0 || note.count > height_ - received_ ||
      note.count * pitch_ > kSharedBytes)
    return false;
  for (uint32_t r = 0; r < note.count; ++r, ++received_) {
    const size_t line = topRowFirst_ ? received_ : height_ - 1 - received_;
    std::memcpy(bits_ + line * pitch_, window + r * pitch_, pitch_);
  }
  return true;
}

}  // namespace vximgplug
