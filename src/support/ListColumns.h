// The column descriptor of the report-style lists: caption, width in pixels at 96
// pixels per inch (the list scales it to the screen) and alignment.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

enum class TColumnAlignment : std::uint8_t { Left, Centre, Right };

struct TListColumn {
  std::string_view caption;
  std::int32_t width;  // pixels at 96 pixels per inch
  TColumnAlignment alignment;
};

}  // namespace vexa
