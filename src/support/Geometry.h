// Rectangles in pixels, as the layouts and drawings of the portable models give them.
#pragma once

#include <cstdint>

namespace vexa {

struct TRect {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t Right() const { return left + width; }
  std::int32_t Bottom() const { return top + height; }
  bool operator==(const TRect&) const = default;
};

}  // namespace vexa
