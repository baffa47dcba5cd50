// The LZW coder of the GIF89a writer: variable-width codes of at most 12 bits, an open-addressed
// hash of (suffix pixel, prefix code) keys with 5003 slots, a clear code whenever the code table
// is full, and output packed into sub-blocks of up to 254 bytes.
#include <array>
#include <vector>

#include "engine/save/gif89a_writer.h"

namespace vx::engine {
namespace {

constexpr int32_t kHashSize = 5003;
constexpr int32_t kMaxBits = 12;
constexpr int32_t kMaxMaxCode = 1 << kMaxBits;  // 4096: codes available
constexpr int32_t kPacketSize = 254;

// Hash multiplier: 2^(8 - doublings of the table size needed to reach 65536).
constexpr int32_t HashShift() {
  int32_t count = 0;
  for (int64_t f = kHashSize; f < 65536; f *= 2) ++count;
  return 8 - count;
}

// Reads the pixels in GIF order: left to right, rows top to bottom, or in the four interlace
// passes. A pass whose first row lies at or past the last row is skipped.
class PixelReader {
 public:
  explicit PixelReader(const GifImage& image)
      : image_(image),
        stride_(image.height > 0 ? image.pixelBytes / static_cast<size_t>(image.height) : 0),
        left_(static_cast<int64_t>(image.width) * image.height) {}

  // The next pixel, -1 when none is left.
  int32_t Next() {
    if (left_ <= 0) return -1;
    --left_;
    const uint8_t* row = image_.pixels + static_cast<size_t>(y_) * stride_;
    const int32_t pixel = Read(row, x_);
    if (++x_ == image_.width) {
      x_ = 0;
      NextRow();
    }
    return pixel;
  }

 private:
  static constexpr std::array<int32_t, 4> kPassStart = {0, 4, 2, 1};
  static constexpr std::array<int32_t, 4> kPassStep = {8, 8, 4, 2};

  int32_t Read(const uint8_t* row, int32_t x) const {
    switch (image_.bufferDepth) {
      case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
      case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
      default:
        return row[x];
    }
  }

  void NextRow() {
    if (!image_.interlace) {
      ++y_;
      return;
    }
    y_ += kPassStep[pass_];
    while (y_ >= image_.height && pass_ < 3) {
      ++pass_;
      y_ = kPassStart[pass_];
    }
  }

  const GifImage& image_;
  size_t stride_;
  int64_t left_;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t pass_ = 0;
};

class LzwEncoder {
 public:
  LzwEncoder(int32_t initialBits, std::vector<uint8_t>& out)
      : out_(out),
        initialBits_(initialBits),
        bits_(initialBits),
        maxCode_(MaxCode(initialBits)),
        clearCode_(1 << (initialBits - 1)),
        endCode_(clearCode_ + 1),
        freeCode_(clearCode_ + 2),
        hash_(kHashSize, -1),
        codes_(kHashSize, 0) {}

  void Compress(PixelReader& reader) {
    constexpr int32_t shift = HashShift();
    int32_t prefix = reader.Next();
    Output(clearCode_);
    for (int32_t c; (c = reader.Next()) >= 0;) {
      const int32_t key = (c << kMaxBits) + prefix;
      int32_t slot = (c << shift) ^ prefix;
      if (Find(key, slot)) {
        prefix = codes_[static_cast<size_t>(slot)];
        continue;
      }
      Output(prefix);
      if (freeCode_ < kMaxMaxCode) {
        codes_[static_cast<size_t>(slot)] = static_cast<uint16_t>(freeCode_++);
        hash_[static_cast<size_t>(slot)] = key;
      } else {
        ClearBlock();
      }
      prefix = c;
    }
    Output(prefix);
    Output(endCode_);
  }

 private:
  static int32_t MaxCode(int32_t bits) { return (1 << bits) - 1; }

  // Looks for `key` from `slot` on; on a miss `slot` is where the key belongs.
  bool Find(int32_t key, int32_t& slot) const {
    if (hash_[static_cast<size_t>(slot)] == key) return true;
    if (hash_[static_cast<size_t>(slot)] < 0) return false;
    const int32_t step = slot == 0 ? 1 : kHashSize - slot;
    for (;;) {
      slot -= step;
      if (slot < 0) slot += kHashSize;
      const int32_t held = hash_[static_cast<size_t>(slot)];
      if (held == key) return true;
      if (held < 1) return false;
    }
  }

  void ClearBlock() {
    std::fill(hash_.begin(), hash_.end(), -1);
    freeCode_ = clearCode_ + 2;
    clearFlag_ = true;
    Output(clearCode_);
  }

  void Output(int32_t code) {
    accumulator_ &= (1u << pending_) - 1u;
    accumulator_ = pending_ > 0 ? accumulator_ | (static_cast<uint32_t>(code) << pending_) : static_cast<uint32_t>(code);
    pending_ += bits_;
    while (pending_ >= 8) {
      PutByte(static_cast<uint8_t>(accumulator_));
      accumulator_ >>= 8;
      pending_ -= 8;
    }
    if (freeCode_ > maxCode_ || clearFlag_) {
      if (clearFlag_) {
        bits_ = initialBits_;
        maxCode_ = MaxCode(bits_);
        clearFlag_ = false;
      } else {
        ++bits_;
        maxCode_ = bits_ == kMaxBits ? kMaxMaxCode : MaxCode(bits_);
      }
    }
    if (code == endCode_) {
      while (pending_ > 0) {
        PutByte(static_cast<uint8_t>(accumulator_));
        accumulator_ >>= 8;
        pending_ -= 8;
      }
      FlushPacket();
    }
  }

  void PutByte(uint8_t b) {
    packet_[static_cast<size_t>(packetCount_++)] = b;
    if (packetCount_ >= kPacketSize) FlushPacket();
  }

  void FlushPacket() {
    if (packetCount_ == 0) return;
    out_.push_back(static_cast<uint8_t>(packetCount_));
    out_.insert(out_.end(), packet_.begin(), packet_.begin() + packetCount_);
    packetCount_ = 0;
  }

  std::vector<uint8_t>& out_;
  const int32_t initialBits_;
  int32_t bits_;
  int32_t maxCode_;
  const int32_t clearCode_;
  const int32_t endCode_;
  int32_t freeCode_;
  bool clearFlag_ = false;
  std::vector<int32_t> hash_;
  std::vector<uint16_t> codes_;
  uint32_t accumulator_ = 0;
  int32_t pending_ = 0;
  std::array<uint8_t, kPacketSize> packet_{};
  int32_t packetCount_ = 0;
};

}  // namespace

void GIFCompress(int32_t initialBits, const GifImage& image, std::vector<uint8_t>& out) {
  PixelReader reader(image);
  LzwEncoder(initialBits, out).Compress(reader);
}

}  // namespace vx::engine
