// Scaling and font descriptions.
#include "shell/PixelsPerInch.h"

#include <vector>

#include "support/Text.h"
#include "support/Utils.h"

namespace vexa {

TPixelsPerInch::TPixelsPerInch(std::int32_t screenPixelsPerInch, std::int32_t targetPixelsPerInch)
    : screen(screenPixelsPerInch > 0 ? screenPixelsPerInch : 96),
      target(targetPixelsPerInch > 0 ? targetPixelsPerInch : screen) {}

std::int32_t TPixelsPerInch::Scale(std::int32_t n) const {
  if (target == 96 || n == 0) return n;
  return MulDiv(n, target, 96);
}

namespace {

std::vector<std::string> FontTokens(std::string_view description) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  auto separator = [](char c) { return c == '\t' || c == ' ' || c == ',' || c == ';'; };
  while (i < description.size()) {
    if (separator(description[i])) {
      ++i;
      continue;
    }
    std::size_t end;
    std::string_view token;
    if (description[i] == '"') {
      end = description.find('"', i + 1);
      if (end == std::string_view::npos) end = description.size();
      token = description.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      end = i;
      while (end < description.size() && !separator(description[end])) ++end;
      token = description.substr(i, end - i);
      i = end;
    }
    const std::string_view trimmed = Trim(token);
    if (!trimmed.empty()) tokens.emplace_back(trimmed);
  }
  return tokens;
}

}  // namespace

TFontSpec TPixelsPerInch::ParseFont(std::string_view description, const TFontSpec* iconTitleFont) const {
  TFontSpec font;
  if (iconTitleFont) {
    font.height = iconTitleFont->height;
    font.face = iconTitleFont->face;
  } else {
    font.height = -(8 * target / 72);
    font.face = "Tahoma";
  }
  if (screen != target) font.height = MulDiv(MulDiv(font.height, 72, screen), target, 72);
  for (const std::string& token : FontTokens(description)) {
    const char first = token[0];
    if (token.size() <= 4 && (first == 'b' || first == 'i' || first == 's' || first == 'u')) {
      for (char c : token) {
        switch (c) {
          case 'b': font.weight = 700; break;
          case 'i': font.italic = true; break;
          case 's': font.strikeOut = true; break;
          case 'u': font.underline = true; break;
          default: break;
        }
      }
    } else if (token[0] == '-' || (token[0] >= '0' && token[0] <= '9')) {
      // Sizes beyond any screen count as invalid too, so the height cannot overflow.
      std::int32_t points;
      if (!TryParseInt32(token, points) || token.find_first_of("$xX") != std::string::npos || points > 10000 ||
          points < -10000)
        points = 8;
      font.height = -(points * target / 72);
    } else {
      // At most 31 characters, never cutting a UTF-8 sequence in two.
      std::size_t length = std::min<std::size_t>(token.size(), 31);
      while (length > 0 && length < token.size() && (static_cast<unsigned char>(token[length]) & 0xC0) == 0x80) --length;
      font.face = token.substr(0, length);
    }
  }
  return font;
}

}  // namespace vexa
