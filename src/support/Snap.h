// Edge snapping of a form dropped near the edges of the desktop work area. Each
// edge is tested in a fixed order (left, top, right, bottom); an edge within the
// snap distance (inclusive) moves the form flush with it, keeping its size.
#pragma once

#include <cstdint>

#include "support/Geometry.h"

namespace vexa {

inline constexpr std::int32_t kDefaultSnapDistance = 16;

constexpr bool WithinSnap(std::int32_t difference, std::int32_t distance) {
  return (difference < 0 ? -difference : difference) <= distance;
}

// The form's new bounds; unchanged when the distance is below 1. A form wider
// or taller than the work area that is within reach of both opposite edges ends
// flush with the right (bottom) one, the later test.
constexpr TRect SnapToWorkArea(TRect form, const TRect& workArea, std::int32_t distance) {
  if (distance < 1) return form;
  if (WithinSnap(workArea.left - form.left, distance)) form.left = workArea.left;
  if (WithinSnap(workArea.top - form.top, distance)) form.top = workArea.top;
  if (WithinSnap(workArea.Right() - form.left - form.width, distance)) form.left = workArea.Right() - form.width;
  if (WithinSnap(workArea.Bottom() - form.top - form.height, distance)) form.top = workArea.Bottom() - form.height;
  return form;
}

}  // namespace vexa
