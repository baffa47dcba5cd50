#include "row_stream.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "child_process.h"

namespace vximgplug {

namespace {

// A round trip to the host costs more than the copy it carries, so rows go in batches as large as
// the window. Toward the picture's end the batches halve, down to this size, and the window's
// pages past the batch are given back: the whole picture and a full window are never held at once.
constexpr size_t kLeastBatchBytes = size_t{256} << 10;

size_t PageRoundedUp(size_t bytes) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

struct RowsNote {
  NoteKind kind;
  uint32_t count;
};

}  // namespace

RowStream::RowStream(size_t pitch, size_t lineBytes, uint32_t height)
    : window_(SharedWithHost()), pitch_(pitch), lineBytes_(lineBytes), height_(height), batch_(BatchRows(0)) {}

uint32_t RowStream::BatchRows(uint32_t sent) const {
  const uint32_t remaining = height_ - sent;
  const auto full = static_cast<uint32_t>(kSharedBytes / pitch_);
  const auto least = static_cast<uint32_t>(kLeastBatchBytes / pitch_);
  return std::min(full, std::max({least, remaining - remaining / 2, uint32_t{1}}));
}

void RowStream::GiveBackPast(size_t bytes) {
  const size_t kept = PageRoundedUp(bytes);
  if (kept >= resident_) return;
  madvise(window_ + kept, resident_ - kept, MADV_REMOVE);  // advice: pages kept serve as well
  resident_ = kept;
}

uint8_t* RowStream::Reserve(uint32_t count) {
  if (count == 0 || count > height_ - sent_ - held_ || count * pitch_ > kSharedBytes) return nullptr;
  if (held_ > 0 && held_ + count > batch_ && !Flush(false)) return nullptr;
  uint8_t* rows = window_ + held_ * pitch_;
  // The window holds earlier rows' bytes; the padding the decoder leaves must be zero.
  if (pitch_ > lineBytes_)
    for (uint32_t r = 0; r < count; ++r) std::memset(rows + r * pitch_ + lineBytes_, 0, pitch_ - lineBytes_);
  held_ += count;
  return rows;
}

// The last rows need no answer when the window's pages given back after them lie past them: the
// helper writes nothing more to the window before its next request, which comes once the host
// has copied them.
bool RowStream::Flush(bool last) {
  if (held_ == 0) return true;
  const RowsNote note{NoteKind::kRows, held_};
  const size_t heldBytes = held_ * pitch_;
  const uint32_t nextBatch = BatchRows(sent_ + held_);
  const size_t kept = nextBatch * pitch_;
  const bool answered = !last || heldBytes > PageRoundedUp(kept);
  if (!(answered ? TellHost(&note, sizeof note) : NotifyHost(&note, sizeof note))) return false;
  sent_ += held_;
  held_ = 0;
  batch_ = nextBatch;
  GiveBackPast(kept);
  return true;
}

bool RowStream::Finish() { return Flush(sent_ + held_ == height_) && sent_ == height_; }

namespace {

#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // Linux 5.14 and later
#endif

// The pages under `bytes` from `first`, faulted in with one call instead of one fault each, just
// before they are written: a kernel without the call faults them in as they are written.
void FaultIn(uint8_t* first, size_t bytes) {
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = reinterpret_cast<uintptr_t>(first) & ~(page - 1);
  const uintptr_t end = reinterpret_cast<uintptr_t>(first) + bytes;
  madvise(reinterpret_cast<void*>(start), end - start, kPopulateWrite);
}

}  // namespace

bool RowReceiver::Take(const uint8_t* bytes, size_t size, const uint8_t* window) {
  RowsNote note{};
  if (size != sizeof note) return false;
  std::memcpy(&note, bytes, sizeof note);
  if (note.kind != NoteKind::kRows || note.count == 0 || note.count > height_ - received_ ||
      note.count * pitch_ > kSharedBytes)
    return false;
  const size_t lowest = topRowFirst_ ? received_ : height_ - received_ - note.count;
  FaultIn(bits_ + lowest * pitch_, note.count * pitch_);
  for (uint32_t r = 0; r < note.count; ++r, ++received_) {
    const size_t line = topRowFirst_ ? received_ : height_ - 1 - received_;
    std::memcpy(bits_ + line * pitch_, window + r * pitch_, pitch_);
  }
  return true;
}

}  // namespace vximgplug
