// Command-line tokenizer.
#include "support/StringIterators.h"

#include <limits>

namespace vexa {

std::int32_t TStringIterator::Count() {
  const std::int32_t savedPosition = position, savedScan = scan, savedCount = count;
  std::string token;
  while (Remaining() > 0) Next(token);
  const std::int32_t total = count;
  position = savedPosition, scan = savedScan, count = savedCount;
  return total;
}

void TStringIterator::SetText(std::string_view newText) {
  Reset();
  // Longer texts are cut: positions are 32-bit, and no command line comes near.
  text = std::string(newText.substr(0, std::numeric_limits<std::int32_t>::max() - 2));
  length = static_cast<std::int32_t>(text.size());
}

void TStringIterator::TakeUpTo(std::int32_t end, std::string& token) {
  const std::int32_t first = std::min(position, length + 1);
  const std::int32_t last = std::min(end, length + 1);
  token = last > first ? text.substr(first - 1, last - first) : std::string();
  if (!token.empty()) ++count;
  position = end + 1;
}

std::int32_t TStringIterator::Remaining() const {
  return position > length ? 0 : length - position + 2;
}

void TStringIterator::Reset() {
  position = 1;
  scan = 1;
  count = 0;
}

bool TStringIteratorSpacedQuotes::Next(std::string& token) {
  scan = position;
  if (At(scan) == '"') {
    ++scan;
    position = scan;
    while (scan <= length && At(scan) != '"') ++scan;
  } else {
    while (scan <= length && At(scan) != ' ') ++scan;
  }
  TakeUpTo(scan, token);
  while (position <= length && At(position) < 33) ++position;
  return true;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  TStringIteratorSpacedQuotes iterator(commandLine);
  std::vector<std::string> tokens;
  std::string token;
  while (iterator.Remaining() > 0) {
    iterator.Next(token);
    tokens.push_back(token);
  }
  return tokens;
}

}  // namespace vexa
