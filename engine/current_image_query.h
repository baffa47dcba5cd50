// The shape every member shares that reads one value of the current image: the access layer's query
// fills the value and answers a status, the member keeps that status for GetStat and answers the
// value only when the query succeeded, so a caller never sees what a failed query left behind.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"

namespace vx::engine {

// `query(current, value)` for queries that need more than the image, e.g. a lambda that passes
// a position along: QueryCurrent<ARGB>(id, stat, [&](int32_t image, ARGB& c) { ... }).
template <class T, class Query>
T QueryCurrent(int32_t current, VexiroStatus& stat, Query query) {
  T value{};
  stat = query(current, value);
  return stat == vexiro::OK ? value : T{};
}

// The common case: an access-layer query of the image alone, its value type deduced.
template <class T>
T QueryCurrent(int32_t current, VexiroStatus& stat, VexiroStatus (*query)(int32_t, T&)) {
  return QueryCurrent<T, decltype(query)>(current, stat, query);
}

}  // namespace vx::engine
