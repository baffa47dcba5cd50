// Property items take memory beside the pixels; a frame holds no more of them than the input
// limits allow, whichever route stored them (a decoder, or items set one by one).
#pragma once
#include <vector>

#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

// Drops the items, in order, from the first that no longer fits the budget of one frame.
void KeepPropertiesWithinBudget(std::vector<PropertyRecord>& items);

}  // namespace vx::gdiplus
