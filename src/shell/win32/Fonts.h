// Fonts from their text descriptions ("\"Courier New\" 10", "b \"Georgia\" 14"):
// the icon-title font of the system is the base, TPixelsPerInch::ParseFont reads the
// description, and this turns the result into a Windows font. One place for all
// windows and pages.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "shell/PixelsPerInch.h"

namespace vexa {

// Font heights beyond this (pixels) are cut back: a settings file with an absurd size
// still gives readable text.
inline constexpr LONG kMaxFontHeight = 400;

// The system's icon-title font (8 points of Tahoma when the system does not say).
LOGFONTW IconTitleLogFont();
// The icon-title font as the base of a description; none when the system does not
// say, so the description starts from 8 points of Tahoma at the target resolution.
std::optional<TFontSpec> IconTitleFontSpec();
// The caller owns the font.
HFONT CreateFontFromSpec(const TFontSpec& fontSpec);
HFONT CreateFontFromDescription(const TPixelsPerInch& scaler, std::string_view description);

}  // namespace vexa
