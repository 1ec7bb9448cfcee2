// Points and rectangles in pixels, as the layouts and drawings of the portable
// models give them.
#pragma once

#include <cstdint>

namespace vexa {

struct TRect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t Right() const { return left + width; }
  std::int32_t Bottom() const { return top + height; }
  bool operator==(const TRect&) const = default;
};

struct TPoint {
  std::int32_t x = 0, y = 0;
  bool operator==(const TPoint&) const = default;
};

// A rectangle by its edges, as the drawings compute them; right and bottom are
// outside it, as on Windows.
struct TEdges {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool Contains(std::int32_t x, std::int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  TEdges Moved(std::int32_t dx, std::int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  TEdges Grown(std::int32_t d) const { return {left - d, top - d, right + d, bottom + d}; }
  bool operator==(const TEdges&) const = default;
};

}  // namespace vexa
