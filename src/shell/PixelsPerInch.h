// Scaling of pixel sizes written for 96 pixels per inch, and fonts described as
// text such as "\"Courier New\" 10" or "b \"Arial Black\" 12". The description is
// parsed here; the Windows layer turns the result into a font handle.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

// The fields of a logical font that a description can set.
struct TFontSpec {
  std::int32_t height = 0;  // negative: character height in pixels
  std::int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::string face;  // at most 31 characters
  bool operator==(const TFontSpec&) const = default;
};

class TPixelsPerInch {
public:
  // target 0 means the screen's resolution.
  TPixelsPerInch(std::int32_t screenPixelsPerInch, std::int32_t target);

  std::int32_t Scale(std::int32_t n) const;
  std::int32_t Screen() const { return screen; }
  std::int32_t Target() const { return target; }

  // The font a description gives, starting from the platform's icon-title font
  // (none: 8 points of "Tahoma").
  TFontSpec ParseFont(std::string_view description, const TFontSpec* iconTitleFont) const;

private:
  std::int32_t screen;
  std::int32_t target;
};

}  // namespace vexa
