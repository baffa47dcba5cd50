// The built-in codecs in the platform's order, with the texts and signatures the codec queries
// report, and the encode entry of each codec that writes.
#pragma once
#include <span>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

using EncodeFunction = Status (*)(const Frame&, const EncodeOptions&, ByteSink&);

struct Signature {
  std::vector<BYTE> pattern;
  std::vector<BYTE> mask;
};

struct CodecEntry {
  CLSID clsid;
  GUID format;
  const char* name;
  const char* description;
  const char* extensions;
  const char* mime;
  ULONG flags;
  std::vector<Signature> signatures;  // all of one codec have the same size
  EncodeFunction encode;  // nullptr for a codec that only decodes (and for TIFF, which has its own path)
};

// Decoders: BMP, JPEG, GIF, EMF, WMF, TIFF, PNG, ICO. Encoders are the entries with the encoder flag.
std::span<const CodecEntry> BuiltinCodecs();
const CodecEntry* FindEncoder(const CLSID& clsid);

}  // namespace vx::gdiplus::codecs
