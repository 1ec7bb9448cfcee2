// Fonts from descriptions.
#include "shell/win32/Fonts.h"

#include "support/Utils.h"
#include "support/win32/WideText.h"

namespace vexa {

LOGFONTW IconTitleLogFont() {
  LOGFONTW logFont{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) {
    logFont = LOGFONTW{};
    logFont.lfHeight = -11;
    wcscpy(logFont.lfFaceName, L"Tahoma");
  }
  return logFont;
}

std::optional<TFontSpec> IconTitleFontSpec() {
  LOGFONTW base{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof base, &base, 0)) return std::nullopt;
  return TFontSpec{base.lfHeight, 400, false, false, false, Narrow(base.lfFaceName)};
}

HFONT CreateFontFromSpec(const TFontSpec& fontSpec) {
  LOGFONTW logFont{};
  logFont.lfHeight = Clamp<LONG>(fontSpec.height, -kMaxFontHeight, kMaxFontHeight);
  logFont.lfWeight = fontSpec.weight;
  logFont.lfItalic = fontSpec.italic;
  logFont.lfUnderline = fontSpec.underline;
  logFont.lfStrikeOut = fontSpec.strikeOut;
  logFont.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = Wide(fontSpec.face);
  wcsncpy(logFont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&logFont);
}

HFONT CreateFontFromDescription(const TPixelsPerInch& scaler, std::string_view description) {
  const std::optional<TFontSpec> base = IconTitleFontSpec();
  return CreateFontFromSpec(scaler.ParseFont(description, base ? &*base : nullptr));
}

}  // namespace vexa
