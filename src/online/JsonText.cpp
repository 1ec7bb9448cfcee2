// JSON escaping, piece by piece, so that a cut never splits an escape or a character:
// a lone backslash left before the closing quote would escape it.
#include "online/JsonText.h"

#include <algorithm>

#include "support/Text.h"

namespace vexa {

std::string EscapeText(std::string_view text, std::size_t limit) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size() && text[i] != '\0') {
    std::string_view piece;
    std::size_t consumed = 1;
    switch (text[i]) {
      case '\t':
        piece = "\\t";
        break;
      case '\n':
        piece = "\\n";
        break;
      case '\r':
        piece = "\\n";
        if (i + 1 < text.size() && text[i + 1] == '\n') consumed = 2;
        break;
      case '"':
        piece = "\\\"";
        break;
      case '\\':
        piece = "\\\\";
        break;
      default:
        if (static_cast<unsigned char>(text[i]) < 0x20) {
          piece = ".";
        } else {
          // A byte that starts no valid character is a piece of its own.
          consumed = std::max<std::size_t>(Utf8CharacterLength(text, i), 1);
          piece = text.substr(i, consumed);
        }
        break;
    }
    if (out.size() + piece.size() > limit) break;
    out += piece;
    i += consumed;
  }
  return out;
}

}  // namespace vexa
