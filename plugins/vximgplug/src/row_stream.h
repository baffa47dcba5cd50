// Decoded rows on their way from the helper to the host, through the window both share: the
// helper fills it with whole rows, top row first, tells the host how many, and waits while the
// host copies them into the picture's own memory, in the order the host keeps for the format
// (the last rows of a picture it does not wait for when it writes nothing more to the window).
// The picture is never held twice, nothing of it is cleared first, and the host's memory is its
// own, private to it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "child_process.h"

namespace vximgplug {

// What a note from the helper is about; the first byte of every note.
enum class NoteKind : uint8_t { kPicture = 1, kRows = 2 };

// In the helper: the rows of one picture, `pitch` bytes apart, of which the first `lineBytes`
// are the decoder's and the rest padding, kept zero. Two rows of the widest, deepest picture
// accepted fit the window.
class RowStream {
 public:
  RowStream(size_t pitch, size_t lineBytes, uint32_t height);
  // Space for the next `count` rows, `pitch()` bytes apart, to be filled before the next call;
  // nullptr when they would pass the picture's end or the window, or the host is gone.
  uint8_t* Reserve(uint32_t count);
  // Hands over the rows still in the window; true when every row of the picture went.
  bool Finish();
  size_t pitch() const { return pitch_; }

 private:
  bool Flush(bool last);
  // Rows handed over at once once `sent` have gone.
  uint32_t BatchRows(uint32_t sent) const;
  void GiveBackPast(size_t bytes);
  uint8_t* window_;
  size_t pitch_, lineBytes_;
  uint32_t height_;
  uint32_t held_ = 0;  // rows in the window, not yet handed over
  uint32_t sent_ = 0;
  uint32_t batch_;     // rows handed over at once
  size_t resident_ = kSharedBytes;  // bytes from the window's start that may hold pages
};

// In the host: the rows of one picture arriving into `bits`, `pitch` bytes apart, top row first
// in memory when `topRowFirst`, bottom row first otherwise.
class RowReceiver {
 public:
  RowReceiver(uint8_t* bits, size_t pitch, uint32_t height, bool topRowFirst)
      : bits_(bits), pitch_(pitch), height_(height), topRowFirst_(topRowFirst) {}
  // Acts on a rows note, its rows in `window`; false for one the picture cannot take.
  bool Take(const uint8_t* note, size_t size, const uint8_t* window);
  bool Complete() const { return received_ == height_; }

 private:
  uint8_t* bits_;
  size_t pitch_;
  uint32_t height_;
  bool topRowFirst_;
  uint32_t received_ = 0;
};

}  // namespace vximgplug
