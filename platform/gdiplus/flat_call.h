// The frame of the flat calls on the platform's own objects (paths, brushes, pens, fonts,
// formats, graphics): the platform must be running and the handle given, and an allocation that
// fails inside the call answers OutOfMemory instead of escaping.
#pragma once
#include <new>

#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::gdiplus {

template <class T, class Call>
Status OnObject(T* object, Call call) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!object) return InvalidParameter;
  try {
    return call(*object);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

template <class T>
Status DeleteOwned(T* object) {
  return OnObject(object, [](T& o) {
    delete &o;
    return Ok;
  });
}

}  // namespace vx::gdiplus
