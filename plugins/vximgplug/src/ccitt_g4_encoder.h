// CCITT Group 4 (T.6) encoding of bilevel rows through libtiff's fax coder.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace vximgplug {

// `rows` holds height rows of bytesPerRow bytes, 1 bits black. The bare G4 stream (no EOFB
// alignment, no container), nothing when the input does not hold that many rows.
std::optional<std::vector<uint8_t>> EncodeCcittG4(const uint8_t* rows, size_t rowsLength, uint32_t width,
                                                   uint32_t height, size_t bytesPerRow);

}  // namespace vximgplug
