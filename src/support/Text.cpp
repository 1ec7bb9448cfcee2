// UTF conversions and ASCII helpers.
#include "support/Text.h"

#include <algorithm>

#include <cstdint>
#include <limits>

namespace vexa {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  int length;
  char32_t cp, minimum;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = DecodeUtf8(text, i);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t before = i;
    if (DecodeUtf8(text, i) == kReplacement && !(i - before == 3 && text.substr(before, 3) == "\xEF\xBF\xBD"))
      return false;
  }
  return true;
}

std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) AppendUtf8(out, DecodeUtf8(text, i));
  return out;
}

std::size_t Utf8CharacterLength(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return 0;
  std::size_t end = offset;
  // A bad byte decodes as U+FFFD over one byte; the real U+FFFD takes three.
  const char32_t cp = DecodeUtf8(text, end);
  return cp == kReplacement && end - offset == 1 ? 0 : end - offset;
}

std::string EscapeUnprintable(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string readable;
  readable.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = Utf8CharacterLength(text, i);
    std::size_t end = i;
    const char32_t cp = length > 0 ? DecodeUtf8(text, end) : 0;
    if (length > 0 && !(cp < 0x20 || (cp >= 0x7F && cp <= 0x9F))) {
      readable.append(text.substr(i, length));
    } else {
      for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
        const auto byte = static_cast<unsigned char>(text[i + k]);
        readable += "\\x";
        readable += kHexDigits[byte >> 4];
        readable += kHexDigits[byte & 0x0F];
      }
    }
    i += std::max<std::size_t>(length, 1);
  }
  return readable;
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
}

bool ContainsAscii(std::string_view text, std::string_view part) {
  return UpperAscii(text).find(UpperAscii(part)) != std::string::npos;
}

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string JoinText(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += separator;
    text += parts[i];
  }
  return text;
}

std::string FormUrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (alphanumeric || c == '*' || c == '-' || c == '.' || c == '_') {
      encoded += c;
    } else if (c == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(begin, i - begin));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      begin = i + 1;
    }
  }
  if (begin < text.size()) lines.push_back(text.substr(begin));
  return lines;
}

bool TryParseInt64(std::string_view text, std::int64_t& value) {
  text = TrimLeft(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / base) return false;
    magnitude = magnitude * base + digit;
  }
  if (base == 10) {
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    if (magnitude > limit) return false;
    value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  } else {
    // Hexadecimal text is a bit pattern: $FFFFFFFFFFFFFFFF is -1.
    value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  }
  return true;
}

bool TryParseInt32(std::string_view text, std::int32_t& value) {
  std::int64_t wide;
  if (!TryParseInt64(text, wide)) return false;
  const std::string_view body = TrimLeft(text);
  const bool hex = body.find_first_of("$xX") != std::string_view::npos;
  if (hex) {
    // Hexadecimal text is a 32-bit pattern here: $FFFFFFFF is -1.
    if (wide < std::numeric_limits<std::int32_t>::min() || wide > 0xFFFFFFFFLL) return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
    return true;
  }
  if (wide < std::numeric_limits<std::int32_t>::min() || wide > std::numeric_limits<std::int32_t>::max()) return false;
  value = static_cast<std::int32_t>(wide);
  return true;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string_view FirstCharacters(std::string_view text, std::size_t characters) {
  std::size_t i = 0;
  while (i < text.size() && characters > 0) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    --characters;
  }
  return text.substr(0, i);
}

std::string ZeroTerminatedTextAt(TBytes bytes, std::uint32_t offset) {
  if (offset == 0 || offset >= bytes.size()) return {};
  const TBytes rest = bytes.subspan(offset);
  return std::string(rest.begin(), std::find(rest.begin(), rest.end(), std::uint8_t{0}));
}

std::string Utf16TextAt(TBytes bytes, std::size_t offset, std::size_t maxUnits) {
  std::u16string text;
  for (std::size_t i = 0; i < maxUnits; ++i) {
    const auto unit = static_cast<char16_t>(GetU16(bytes, offset + i * 2));
    if (unit == 0) break;
    text += unit;
  }
  return Utf16ToUtf8(text);
}

}  // namespace vexa
