// Hex text parsing and the hex-or-binary file reader.
#include "support/HexBytes.h"

#include "support/Format.h"
#include "support/Paths.h"

namespace vexa {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::vector<std::uint8_t> result;
  result.reserve(text.size() / 2);
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    while (i < text.size() && !IsBlank(text[i])) {
      if (HexDigit(text[i]) < 0) return false;
      ++i;
    }
    if ((i - begin) % 2 != 0) return false;
    for (std::size_t k = begin; k < i; k += 2)
      result.push_back(static_cast<std::uint8_t>(HexDigit(text[k]) * 16 + HexDigit(text[k + 1])));
  }
  bytes = std::move(result);
  return true;
}

bool LooksLikeText(std::string_view contents) {
  for (const char c : contents) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 || byte >= 0x7F) && !IsBlank(c)) return false;
  }
  return true;
}

bool ReadHexOrBinaryFile(std::string_view path, std::vector<std::uint8_t>& bytes, std::string& error,
                         std::size_t maxFileBytes) {
  bytes.clear();
  std::string contents;
  if (!ReadFileBytes(path, contents, maxFileBytes)) {
    error = Format("cannot read \"%s\" (missing, unreadable or larger than %u bytes)", path, maxFileBytes);
    return false;
  }
  // Windows editors start UTF-8 text with a byte-order mark.
  if (contents.starts_with("\xEF\xBB\xBF") && LooksLikeText(std::string_view(contents).substr(3)))
    contents.erase(0, 3);
  if (!LooksLikeText(contents)) {
    bytes.assign(contents.begin(), contents.end());
    return true;
  }
  if (!ParseHexBytes(contents, bytes)) {
    error = Format("\"%s\" is text but not hexadecimal bytes", path);
    return false;
  }
  return true;
}

}  // namespace vexa
