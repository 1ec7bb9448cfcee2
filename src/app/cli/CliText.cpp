// Escaping of printed fields: a byte-wise UTF-8 check that never reads past the text.
#include "app/cli/CliText.h"

#include <cstdint>

#include "support/Format.h"

namespace vexa {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not one (overlong forms, surrogates and values above U+10FFFF included).
std::size_t SequenceAt(std::string_view text, std::size_t i, std::uint32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(c)) return 0;
    codePoint = (codePoint << 6) | (c & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

bool IsControl(std::uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

}  // namespace

std::string CliSafeText(std::string_view text) {
  std::string safe;
  safe.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t codePoint = 0;
    const std::size_t length = SequenceAt(text, i, codePoint);
    const std::size_t escaped = length == 0 ? 1 : IsControl(codePoint) ? length : 0;
    if (escaped == 0) {
      safe.append(text.substr(i, length));
      i += length;
      continue;
    }
    for (std::size_t k = 0; k < escaped; ++k)
      safe += Format("\\x%.2x", static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + k])));
    i += escaped;
  }
  return safe;
}

}  // namespace vexa
