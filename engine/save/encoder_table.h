// The thread's table of platform encoders keyed by file mask ("*.JPG"), built at start-up.
#pragma once
#include <cstdint>
#include <string>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// Raises a RuntimeError numbered by the platform status when the encoder list cannot be read.
void BuildEncoderTable();
// Builds the table from codec records already in hand.
void BuildEncoderTableFrom(const gdiplus::ImageCodecInfo* codecs, uint32_t count);
// Case-insensitive; -1 for an unknown mask or a table never built.
int32_t FindEncoderIndex(const std::string& pattern);
// Leaves `clsid` unchanged for an index outside the table.
void GetEncoderClsid(CLSID& clsid, int32_t index);
int32_t EncoderCount();
// Forgets the table (a later start-up builds a new one).
void ClearEncoderTable();

}  // namespace vx::engine
