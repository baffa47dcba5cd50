// APPn segments of a JPEG file that no property item stands for, carried as one item so that a
// JPEG save writes them again: extended XMP (the parts of a packet over 64 KB, which the main
// packet declares), Kodak's Meta (APP3), Ducky and PictureInfo (APP12) and the others of APP3 to
// APP12 and APP15. JFIF, EXIF, the main XMP packet, the ICC profile, Photoshop's resources and
// Adobe's colour transform (APP14) belong to the writer or to items of their own. Header-only and
// free of library types, so the platform's JPEG codec and the format plug-in keep the same ones.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vx::codecs::app_segments {

// The segments, each as the file holds it: 0xFF, its marker, its 16-bit length, its payload.
constexpr uint16_t kAppSegmentsItem = 0x5F7E;
constexpr size_t kMaxPayload = 65533;

inline bool Kept(uint8_t marker, std::span<const uint8_t> payload) {
  constexpr uint8_t kApp1 = 0xE1, kApp3 = 0xE3, kApp12 = 0xEC, kApp15 = 0xEF;
  constexpr char kExtendedXmp[] = "http://ns.adobe.com/xmp/extension/";  // with its terminating zero
  if (marker == kApp1)
    return payload.size() > sizeof kExtendedXmp && std::memcmp(payload.data(), kExtendedXmp, sizeof kExtendedXmp) == 0;
  return (marker >= kApp3 && marker <= kApp12) || marker == kApp15;
}

inline void Append(std::vector<uint8_t>& segments, uint8_t marker, std::span<const uint8_t> payload) {
  if (payload.size() > kMaxPayload) return;
  const size_t length = payload.size() + 2;
  segments.insert(segments.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  segments.insert(segments.end(), payload.begin(), payload.end());
}

// Calls `visit(marker, payload)` for each whole segment of an item's value, in order, as long as
// each is one Kept would keep; stops at the first that is not.
template <class Visit>
void ForEach(std::span<const uint8_t> segments, Visit visit) {
  size_t at = 0;
  while (segments.size() - at >= 4 && segments[at] == 0xFF) {
    const size_t length = size_t{segments[at + 2]} << 8 | segments[at + 3];
    if (length < 2 || length - 2 > segments.size() - at - 4) return;
    const std::span<const uint8_t> payload = segments.subspan(at + 4, length - 2);
    if (!Kept(segments[at + 1], payload)) return;
    visit(segments[at + 1], payload);
    at += 2 + length;
  }
}

}  // namespace vx::codecs::app_segments
