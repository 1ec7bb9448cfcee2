// Parsing of IDENTIFY blocks given as hexadecimal words. Exactly 256 words of exactly
// four hexadecimal digits are accepted; anything else names its line and stops.
#include "device/IdentifyText.h"

#include <utility>

#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::size_t WordCount = 256;
// Long garbage tokens are cut in messages so a binary file cannot make a huge one.
constexpr std::size_t MaxShownToken = 16;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string ShownToken(std::string_view token) {
  std::string shown;
  for (char c : token.substr(0, MaxShownToken))
    shown += static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F ? c : '?';
  if (token.size() > MaxShownToken) shown += "...";
  return shown;
}

}  // namespace

TIdentifyTextResult ParseIdentifyText(std::string_view text) {
  TIdentifyTextResult result;
  // A refused text leaves no partial block behind.
  const auto fail = [&result](std::string message) {
    result.bytes.fill(0);
    result.error = std::move(message);
    return result;
  };
  std::size_t words = 0;
  std::size_t lineNumber = 0;
  for (std::string_view line : SplitLines(text)) {
    ++lineNumber;
    std::string_view rest = line;
    if (words == 0) {
      const std::string_view trimmed = Trim(line);
      const bool header = !trimmed.empty() && trimmed.back() == ':' &&
                          trimmed.find_first_of(" \t") == std::string_view::npos;
      if (header) continue;
    }
    while (true) {
      std::size_t start = 0;
      while (start < rest.size() && IsSpace(rest[start])) ++start;
      if (start == rest.size()) break;
      std::size_t end = start;
      while (end < rest.size() && !IsSpace(rest[end])) ++end;
      const std::string_view token = rest.substr(start, end - start);
      rest.remove_prefix(end);

      unsigned value = 0;
      bool valid = token.size() == 4;
      for (std::size_t i = 0; valid && i < token.size(); ++i) {
        const int digit = HexDigit(token[i]);
        valid = digit >= 0;
        value = value * 16 + static_cast<unsigned>(digit);
      }
      if (!valid) {
        return fail(Format("line %u: \"%s\" is not a word of 4 hexadecimal digits", lineNumber,
                           ShownToken(token)));
      }
      if (words == WordCount) {
        return fail(Format("line %u: more than %u words", lineNumber, WordCount));
      }
      result.bytes[words * 2] = static_cast<std::uint8_t>(value & 0xFF);
      result.bytes[words * 2 + 1] = static_cast<std::uint8_t>(value >> 8);
      ++words;
    }
  }
  if (words != WordCount) {
    return fail(Format("%u words found, %u expected", words, WordCount));
  }
  result.ok = true;
  return result;
}

}  // namespace vexa
