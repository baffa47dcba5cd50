// ICC profiles in JPEG files: a profile too large for one marker segment is split over APP2
// segments that each start "ICC_PROFILE\0", then the chunk's 1-based sequence number and the
// number of chunks, then that part of the profile.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"

namespace vx::gdiplus::codecs {

// Joins the profile chunks found among the APP2 payloads (other APP2 payloads are skipped) in
// sequence order. Empty when there are none, or when they do not make one whole profile: a
// chunk missing or repeated, chunk counts that disagree, a sequence number out of range, or a
// profile larger than the colour-management bound.
std::vector<uint8_t> JoinIccChunks(std::span<const Bytes> app2Payloads);

// The APP2 payloads that carry the profile, in sequence order. None for an empty profile or one
// too large for the 255 chunks a file can number.
std::vector<std::vector<uint8_t>> SplitIccProfile(Bytes profile);

}  // namespace vx::gdiplus::codecs
