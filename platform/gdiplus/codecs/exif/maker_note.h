// Maker notes, the camera maker's own block inside the EXIF directory. Most are a directory of
// entries; many point at their values by offsets counted from the TIFF header of the file they
// came from rather than from the note, so the note reads right only where it stood, or with those
// offsets moved by as much as the note moves. Depends on the standard library only.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace vx::gdiplus::codecs::ifd {

// The offset from the TIFF header at which a note that points at its values from that header
// stood. `recorded` is where the file it was read from held it, when known; otherwise it is found
// from the pointers (most values lie inside the note, and the values begin right after its
// directory or end with it). None for a note whose pointers count from the note itself, or that
// holds no directory of its own.
std::optional<uint32_t> MakerNoteOrigin(const std::vector<uint8_t>& note, std::optional<uint32_t> recorded);

// The note as it must read at `offset` when it stood at `origin` (from MakerNoteOrigin): its
// pointers move by as much as the note moves.
std::vector<uint8_t> MakerNoteMoved(const std::vector<uint8_t>& note, uint32_t origin, uint32_t offset);

}  // namespace vx::gdiplus::codecs::ifd
