#include "jbig_codec.h"

extern "C" {
#include <jbig.h>
}

#include "bilevel_bitmap.h"

namespace vximgplug {
namespace {

constexpr size_t kHeaderSize = 20;

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

class Decoder {
 public:
  Decoder() { jbg_dec_init(&state_); }
  ~Decoder() { jbg_dec_free(&state_); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  jbg_dec_state* operator->() { return &state_; }
  jbg_dec_state* get() { return &state_; }

 private:
  jbg_dec_state state_;
};

void AppendBytes(unsigned char* start, size_t length, void* file) {
  static_cast<std::vector<uint8_t>*>(file)->insert(static_cast<std::vector<uint8_t>*>(file)->end(), start,
                                                     start + length);
}

}  // namespace

bool LooksLikeJbig(const std::vector<uint8_t>& start) {
  if (start.size() < kHeaderSize) return false;
  const uint8_t dl = start[0], d = start[1], planes = start[2], fill = start[3];
  const uint32_t width = BigEndian32(&start[4]);
  const uint32_t height = BigEndian32(&start[8]);
  const uint32_t stripeRows = BigEndian32(&start[12]);
  const uint8_t mx = start[16], my = start[17], order = start[18], options = start[19];
  return fill == 0 && planes == 1 && dl <= d && d < 32 && width > 0 && height > 0 && stripeRows > 0 &&
         mx <= 127 && my == 0 && (order & 0xF0) == 0 && (options & 0x80) == 0;
}

FIBITMAP* DecodeJbig(std::vector<uint8_t> data) {
  if (!LooksLikeJbig(data)) return nullptr;
  const uint32_t width = BigEndian32(&data[4]);
  const uint32_t height = BigEndian32(&data[8]);
  if (!DimensionsAcceptable(width, height)) return nullptr;
  Decoder decoder;
  jbg_dec_maxsize(decoder.get(), width, height);
  size_t used = 0;
  const int result = jbg_dec_in(decoder.get(), data.data(), data.size(), &used);
  if (result != JBG_EOK || jbg_dec_getplanes(decoder.get()) != 1) return nullptr;
  const unsigned long w = jbg_dec_getwidth(decoder.get());
  const unsigned long h = jbg_dec_getheight(decoder.get());
  const unsigned char* image = jbg_dec_getimage(decoder.get(), 0);
  if (!image || !DimensionsAcceptable(w, h) || jbg_dec_getsize(decoder.get()) < ((w + 7) / 8) * h) return nullptr;
  return BilevelFromRows(image, static_cast<uint32_t>(w), static_cast<uint32_t>(h), (w + 7) / 8);
}

std::optional<std::vector<uint8_t>> EncodeJbig(FIBITMAP* dib, bool topRowFirst) {
  std::vector<uint8_t> rows = BlackIsOneRows(dib, topRowFirst);
  if (rows.empty()) return std::nullopt;
  std::vector<uint8_t> output;
  unsigned char* planes[1] = {rows.data()};
  jbg_enc_state state;
  jbg_enc_init(&state, FreeImage_GetWidth(dib), FreeImage_GetHeight(dib), 1, planes, AppendBytes, &output);
  jbg_enc_out(&state);
  jbg_enc_free(&state);
  if (output.empty()) return std::nullopt;
  return output;
}

}  // namespace vximgplug
