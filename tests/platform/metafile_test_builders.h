// Metafiles assembled record by record for the playback tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace metafile_test {

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

// An enhanced metafile of `size` x `size` device pixels at 254 dpi: the frame is `size` * 10
// hundredths of a millimetre, so that width and height come out exactly.
class EmfBuilder {
 public:
  explicit EmfBuilder(int32_t size, uint16_t handles = 8) {
    std::vector<uint32_t> header(22, 0);
    header[2] = 0;
    header[3] = 0;
    header[4] = size - 1;
    header[5] = size - 1;
    header[8] = size * 10;  // frame right
    header[9] = size * 10;  // frame bottom
    header[10] = 0x464D4520;
    header[11] = 0x10000;
    header[14] = handles;
    header[18] = 2540;  // device pixels
    header[19] = 2540;
    header[20] = 254;  // millimetres
    header[21] = 254;
    Record(1, std::vector<uint32_t>(header.begin() + 2, header.end()));
  }
  // A record of the type with 32-bit parameters after the type and size.
  EmfBuilder& Record(uint32_t type, const std::vector<uint32_t>& params) {
    const size_t at = bytes_.size();
    bytes_.resize(at + 8 + 4 * params.size());
    PutU32(bytes_, at, type);
    PutU32(bytes_, at + 4, static_cast<uint32_t>(8 + 4 * params.size()));
    for (size_t i = 0; i < params.size(); ++i) PutU32(bytes_, at + 8 + 4 * i, params[i]);
    ++records_;
    return *this;
  }
  // 16-bit point records: bounds, count, then the points.
  EmfBuilder& Points16(uint32_t type, std::initializer_list<int16_t> xy) {
    std::vector<uint32_t> params = {0, 0, 0, 0, static_cast<uint32_t>(xy.size() / 2)};
    const int16_t* p = xy.begin();
    for (size_t i = 0; i + 1 < xy.size(); i += 2)
      params.push_back(static_cast<uint16_t>(p[i]) | (static_cast<uint32_t>(static_cast<uint16_t>(p[i + 1])) << 16));
    return Record(type, params);
  }
  EmfBuilder& Points32(uint32_t type, std::initializer_list<int32_t> xy) {
    std::vector<uint32_t> params = {0, 0, 0, 0, static_cast<uint32_t>(xy.size() / 2)};
    for (int32_t v : xy) params.push_back(static_cast<uint32_t>(v));
    return Record(type, params);
  }
  std::vector<uint8_t> Finish() {
    Record(14, {0, 16, 20});
    PutU32(bytes_, 48, static_cast<uint32_t>(bytes_.size()));
    PutU32(bytes_, 52, records_);
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t records_ = 0;
};

// A Windows metafile: records of 16-bit words (size in words, function, parameters).
class WmfBuilder {
 public:
  explicit WmfBuilder(uint16_t objects = 4) {
    const uint16_t header[9] = {1, 9, 0x300, 0, 0, objects, 0, 0, 0};
    words_.assign(header, header + 9);
  }
  WmfBuilder& Record(uint16_t function, std::initializer_list<int32_t> params) {
    return Record(function, std::vector<int32_t>(params));
  }
  WmfBuilder& Record(uint16_t function, const std::vector<int32_t>& params) {
    const uint32_t size = static_cast<uint32_t>(3 + params.size());
    words_.push_back(static_cast<uint16_t>(size));
    words_.push_back(static_cast<uint16_t>(size >> 16));
    words_.push_back(function);
    for (int32_t p : params) words_.push_back(static_cast<uint16_t>(p));
    if (size > maxRecord_) maxRecord_ = size;
    return *this;
  }
  std::vector<uint8_t> Finish() {
    Record(0, {});
    const uint32_t size = static_cast<uint32_t>(words_.size());
    words_[3] = static_cast<uint16_t>(size);
    words_[4] = static_cast<uint16_t>(size >> 16);
    words_[6] = static_cast<uint16_t>(maxRecord_);
    words_[7] = static_cast<uint16_t>(maxRecord_ >> 16);
    std::vector<uint8_t> bytes(words_.size() * 2);
    std::memcpy(bytes.data(), words_.data(), bytes.size());
    return bytes;
  }
  // The same records behind an Aldus placeable header.
  static std::vector<uint8_t> Placeable(const std::vector<uint8_t>& wmf, int16_t right, int16_t bottom, int16_t inch) {
    std::vector<uint8_t> out(22, 0);
    PutU32(out, 0, 0x9AC6CDD7);
    std::memcpy(&out[10], &right, 2);
    std::memcpy(&out[12], &bottom, 2);
    std::memcpy(&out[14], &inch, 2);
    uint16_t checksum = 0;  // XOR of the ten words before it
    for (size_t i = 0; i < 20; i += 2) checksum ^= static_cast<uint16_t>(out[i] | (out[i + 1] << 8));
    std::memcpy(&out[20], &checksum, 2);
    out.insert(out.end(), wmf.begin(), wmf.end());
    return out;
  }

 private:
  std::vector<uint16_t> words_;
  uint32_t maxRecord_ = 0;
};

// COLORREF of r, g, b.
constexpr uint32_t Ref(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (b << 16); }

}  // namespace metafile_test
