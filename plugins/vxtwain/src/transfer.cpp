// Acquisition: one picture read from the device, frame by frame, then handed out as a packed
// DIB (1, 8 or 24 bits), as raw rows (16-bit samples, as 48-bit BGR), or written to a file.
#include <cstdio>
#include <cstring>

#include "capabilities.h"
#include "file_writers.h"
#include "session.h"

namespace vxtwain {

namespace {

constexpr int32_t kTiff = 0, kPng = 7;  // TWAIN's file format codes; BMP is 2

// What the device delivered: one interleaved frame (grey or RGB) of `channels` samples.
struct Frames {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
  int32_t channels = 0;
  int32_t bytesPerLine = 0;
  std::vector<uint8_t> data;  // RGB or grey; three-pass planes are interleaved into RGB
};

int32_t ConditionOf(SANE_Status status) {
  switch (status) {
    case SANE_STATUS_JAMMED: return TWCC_PAPERJAM;
    case SANE_STATUS_COVER_OPEN: return TWCC_INTERLOCK;
    case SANE_STATUS_IO_ERROR: return TWCC_OPERATIONERROR;
    default: return TWCC_BUMMER;
  }
}

SANE_Status ReadFrame(Session& session, SANE_Parameters& params, std::vector<uint8_t>& bytes) {
  const SaneApi& api = session.Api();
  SANE_Status status = OutsideLeakChecks([&] { return api.start(session.Device()); });
  if (status != SANE_STATUS_GOOD) return status;
  session.state = kTransferring;
  if ((status = api.get_parameters(session.Device(), &params)) != SANE_STATUS_GOOD) return status;
  if (params.bytes_per_line <= 0 || params.pixels_per_line <= 0) return SANE_STATUS_INVAL;
  constexpr SANE_Int kChunk = 64 * 1024;
  constexpr size_t kMaxFrameBytes = size_t{1} << 31;
  for (;;) {
    const size_t used = bytes.size();
    if (used > kMaxFrameBytes) return SANE_STATUS_INVAL;
    bytes.resize(used + kChunk);
    SANE_Int got = 0;
    status = OutsideLeakChecks([&] { return api.read(session.Device(), bytes.data() + used, kChunk, &got); });
    bytes.resize(used + static_cast<size_t>(got > 0 && status == SANE_STATUS_GOOD ? got : 0));
    if (status == SANE_STATUS_EOF) return SANE_STATUS_GOOD;
    if (status != SANE_STATUS_GOOD) return status;
  }
}

// Reads every frame of one picture; three-pass frames are laid into one RGB frame.
SANE_Status ReadPicture(Session& session, Frames& out) {
  std::vector<uint8_t> planes[3];
  for (;;) {
    SANE_Parameters params{};
    std::vector<uint8_t> bytes;
    const SANE_Status status = ReadFrame(session, params, bytes);
    if (status != SANE_STATUS_GOOD) return status;
    out.width = params.pixels_per_line;
    out.depth = params.depth;
    out.bytesPerLine = params.bytes_per_line;
    // A hand scanner does not know its height beforehand: the lines are what arrived.
    out.height = static_cast<int32_t>(bytes.size() / static_cast<size_t>(params.bytes_per_line));
    if (params.format == SANE_FRAME_GRAY || params.format == SANE_FRAME_RGB) {
      out.channels = params.format == SANE_FRAME_RGB ? 3 : 1;
      out.data = std::move(bytes);
    } else if (params.format >= SANE_FRAME_RED && params.format <= SANE_FRAME_BLUE) {
      planes[params.format - SANE_FRAME_RED] = std::move(bytes);
    } else {
      return SANE_STATUS_INVAL;
    }
    if (params.last_frame) break;
  }
  if (out.channels != 0) return SANE_STATUS_GOOD;
  // Three-pass: each plane holds one sample per pixel at the frame's depth.
  if (out.depth == 1) return SANE_STATUS_INVAL;
  const size_t sampleBytes = out.depth > 8 ? 2 : 1;
  const size_t planeLine = static_cast<size_t>(out.bytesPerLine);
  for (const auto& plane : planes)
    if (plane.size() < planeLine * static_cast<size_t>(out.height)) return SANE_STATUS_INVAL;
  out.channels = 3;
  out.bytesPerLine = static_cast<int32_t>(static_cast<size_t>(out.width) * 3 * sampleBytes);
  out.data.assign(static_cast<size_t>(out.bytesPerLine) * static_cast<size_t>(out.height), 0);
  for (int32_t y = 0; y < out.height; ++y) {
    uint8_t* row = out.data.data() + static_cast<size_t>(y) * static_cast<size_t>(out.bytesPerLine);
    for (int c = 0; c < 3; ++c) {
      const uint8_t* src = planes[c].data() + static_cast<size_t>(y) * planeLine;
      for (int32_t x = 0; x < out.width; ++x)
        std::memcpy(row + (static_cast<size_t>(x) * 3 + c) * sampleBytes, src + static_cast<size_t>(x) * sampleBytes,
                    sampleBytes);
    }
  }
  return SANE_STATUS_GOOD;
}

int32_t DibStride(int32_t width, int32_t bits) { return ((width * bits + 31) / 32) * 4; }
int32_t RowBytes(int32_t width, int32_t bits) { return (width * bits + 7) / 8; }

// Samples of one row: 8 or 16 bits, or single bits (set bit = full intensity for colour).
uint16_t Sample(const uint8_t* row, int32_t index, int32_t depth) {
  if (depth == 16) {
    uint16_t v;
    std::memcpy(&v, row + static_cast<size_t>(index) * 2, 2);
    return v;
  }
  if (depth == 8) return row[index];
  return (row[index / 8] >> (7 - index % 8)) & 1 ? 255 : 0;
}

// The picture in the form it is handed out: 1-bit and 8-bit grey and 24-bit BGR for packed DIBs,
// 48-bit BGR (16-bit samples) for raw transfers.
Picture ToPicture(const Frames& frames, double dpiX, double dpiY) {
  Picture picture;
  picture.width = frames.width;
  picture.height = frames.height;
  picture.dpiX = dpiX;
  picture.dpiY = dpiY;
  if (frames.channels == 1 && frames.depth == 1) picture.bitsPerPixel = 1;
  else if (frames.channels == 1 && frames.depth == 8) picture.bitsPerPixel = 8;
  else if (frames.depth == 16) picture.bitsPerPixel = 48;
  else picture.bitsPerPixel = 24;
  picture.stride = DibStride(frames.width, picture.bitsPerPixel);
  picture.rows.assign(static_cast<size_t>(picture.stride) * static_cast<size_t>(frames.height), 0);
  for (int32_t y = 0; y < frames.height; ++y) {
    const uint8_t* src = frames.data.data() + static_cast<size_t>(y) * static_cast<size_t>(frames.bytesPerLine);
    uint8_t* dst = picture.rows.data() + static_cast<size_t>(y) * static_cast<size_t>(picture.stride);
    if (picture.bitsPerPixel <= 8) {
      std::memcpy(dst, src, static_cast<size_t>(RowBytes(frames.width, picture.bitsPerPixel)));
      continue;
    }
    for (int32_t x = 0; x < frames.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int32_t channel = frames.channels == 3 ? c : 0;
        const uint16_t v = Sample(src, x * frames.channels + channel, frames.depth);
        if (picture.bitsPerPixel == 48) std::memcpy(dst + (static_cast<size_t>(x) * 3 + 2 - c) * 2, &v, 2);
        else dst[static_cast<size_t>(x) * 3 + 2 - c] = static_cast<uint8_t>(v);
      }
    }
  }
  return picture;
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A packed DIB: header, palette for 1 and 8 bits, rows bottom-up. 48-bit pictures come down
// to 24 bits (the high byte of each sample) for the file formats that take only those.
std::vector<uint8_t> PackedDib(const Picture& source) {
  const bool reduce = source.bitsPerPixel == 48;
  const int32_t bits = reduce ? 24 : source.bitsPerPixel;
  const int32_t stride = DibStride(source.width, bits);
  const uint32_t colours = bits <= 8 ? (1u << bits) : 0;
  const auto dpm = [](double dpi) { return static_cast<uint32_t>(dpi / 0.0254 + 0.5); };
  std::vector<uint8_t> dib;
  PutLE(dib, 40, 4);
  PutLE(dib, static_cast<uint32_t>(source.width), 4);
  PutLE(dib, static_cast<uint32_t>(source.height), 4);
  PutLE(dib, 1, 2);
  PutLE(dib, static_cast<uint32_t>(bits), 2);
  PutLE(dib, 0, 4);
  PutLE(dib, static_cast<uint32_t>(stride * source.height), 4);
  PutLE(dib, dpm(source.dpiX), 4);
  PutLE(dib, dpm(source.dpiY), 4);
  PutLE(dib, colours, 4);
  PutLE(dib, 0, 4);
  for (uint32_t i = 0; i < colours; ++i) {
    // SANE's line art has 1 for black; grey levels rise with the index.
    const auto level = static_cast<uint8_t>(bits == 1 ? (i == 0 ? 255 : 0) : i);
    dib.insert(dib.end(), {level, level, level, 0});
  }
  const size_t header = dib.size();
  dib.resize(header + static_cast<size_t>(stride) * static_cast<size_t>(source.height), 0);
  for (int32_t y = 0; y < source.height; ++y) {
    const uint8_t* src = source.rows.data() + static_cast<size_t>(y) * static_cast<size_t>(source.stride);
    uint8_t* dst = dib.data() + header + static_cast<size_t>(source.height - 1 - y) * static_cast<size_t>(stride);
    if (!reduce) {
      std::memcpy(dst, src, static_cast<size_t>(stride));
      continue;
    }
    for (int32_t i = 0; i < source.width * 3; ++i) dst[i] = src[static_cast<size_t>(i) * 2 + 1];
  }
  return dib;
}

bool WriteBmp(const std::string& path, const std::vector<uint8_t>& dib) {
  const uint32_t bits = dib[14] | (dib[15] << 8);
  const uint32_t paletteBytes = bits <= 8 ? (4u << bits) : 0;
  std::vector<uint8_t> header{'B', 'M'};
  PutLE(header, static_cast<uint32_t>(14 + dib.size()), 4);
  PutLE(header, 0, 4);
  PutLE(header, 14 + 40 + paletteBytes, 4);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
                       std::fwrite(dib.data(), 1, dib.size(), file) == dib.size();
  const bool closed = std::fclose(file) == 0;
  if (!(written && closed)) std::remove(path.c_str());
  return written && closed;
}

bool OpenForAcquisition(Session& session) {
  if (session.state >= kSourceOpen) return session.state == kSourceOpen || session.Fail(TWCC_SEQERROR);
  if (!session.LastSource().empty() && session.OpenSource(session.LastSource())) return true;
  return session.OpenDefaultSource();
}

// Ends the picture: back to an open source, closed too when the host left that to the plug-in.
void FinishTransfer(Session& session) {
  if (session.state > kSourceOpen) {
    OutsideLeakChecks([&] {
      session.Api().cancel(session.Device());
      return 0;
    });
  }
  session.state = kSourceOpen;
  if (session.autoSourceClose) session.CloseSource();
}

}  // namespace

int32_t Session::AcquireNative() {
  lastTransferMode = transferMode;
  userClosed = transferFailed = lastRaw = false;
  lastRawPicture = Picture{};
  if (!OpenForAcquisition(*this)) return 0;
  const double dpiX = CapCurrent(ICAP_XRESOLUTION).value_or(0);
  const double dpiY = CapCurrent(ICAP_YRESOLUTION).value_or(0);
  state = kTransferReady;
  Frames frames;
  const SANE_Status status = ReadPicture(*this, frames);
  FinishTransfer(*this);
  if (status != SANE_STATUS_GOOD) {
    if (status == SANE_STATUS_NO_DOCS) {
      feederEmpty = true;
      Fail(TWCC_BUMMER);
    } else if (status == SANE_STATUS_CANCELLED) {
      userClosed = true;
      resultCode = TWRC_CANCEL;
      conditionCode = TWCC_SUCCESS;
    } else {
      transferFailed = true;
      Fail(ConditionOf(status));
    }
    return 0;
  }
  Picture picture = ToPicture(frames, dpiX, dpiY);
  if (transferMode == 1) {
    const std::string path = transferPath + "_";
    const bool written = fileFormat == kTiff  ? WriteTiff(path, picture)
                         : fileFormat == kPng ? WritePng(path, picture)
                                              : WriteBmp(path, PackedDib(picture));
    if (!written) {
      transferFailed = true;
      Fail(TWCC_FILEWRITEERROR);
      return 0;
    }
    Succeed();
    return 0;
  }
  Succeed();
  if (picture.bitsPerPixel == 48) {
    lastRaw = true;
    std::vector<uint8_t> rows = std::move(picture.rows);
    lastRawPicture = std::move(picture);
    return StoreNative(std::move(rows));
  }
  return StoreNative(PackedDib(picture));
}

}  // namespace vxtwain
