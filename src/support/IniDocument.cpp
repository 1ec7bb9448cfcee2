// INI reading and writing; see IniDocument.h for the dialect.
#include "support/IniDocument.h"

#include "support/Text.h"

namespace vexa {

namespace {

// Blanks of the profile format: space and tab (plus the line-break leftovers).
bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimIni(std::string_view text) {
  while (!text.empty() && IsIniBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void TIniDocument::Parse(std::string_view contents) {
  lines.clear();
  byteOrderMark = false;
  std::string converted;
  if (contents.size() >= 2 && static_cast<unsigned char>(contents[0]) == 0xFF &&
      static_cast<unsigned char>(contents[1]) == 0xFE) {
    std::u16string wide;
    for (std::size_t i = 2; i + 1 < contents.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(contents[i]) |
                                           (static_cast<unsigned char>(contents[i + 1]) << 8)));
    converted = Utf16ToUtf8(wide);
    contents = converted;
  } else if (contents.size() >= 3 && contents.substr(0, 3) == "\xEF\xBB\xBF") {
    byteOrderMark = true;
    contents.remove_prefix(3);
  }
  crlf = contents.find("\r\n") != std::string_view::npos || contents.find('\n') == std::string_view::npos;
  finalBreak = contents.empty() || contents.back() == '\n' || contents.back() == '\r';
  for (std::string_view line : SplitLines(contents)) lines.emplace_back(line);
}

std::string TIniDocument::Serialize() const {
  std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
  const char* lineBreak = crlf ? "\r\n" : "\n";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (i + 1 < lines.size() || finalBreak) out += lineBreak;
  }
  return out;
}

bool TIniDocument::SectionName(std::string_view line, std::string_view& name) {
  line = TrimIni(line);
  if (line.empty() || line.front() != '[') return false;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos || close == 0) return false;
  name = TrimIni(line.substr(1, close - 1));
  return true;
}

bool TIniDocument::KeyLine(std::string_view line, std::string_view& key, std::optional<std::string_view>& value) {
  line = TrimIni(line);
  if (line.empty() || line.front() == '[') return false;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    key = line;
    value.reset();
  } else {
    key = TrimIni(line.substr(0, equals));
    value = TrimIni(line.substr(equals + 1));
  }
  return true;
}

bool TIniDocument::FindSection(std::string_view section, std::size_t& header, std::size_t& end) const {
  const std::string_view wanted = TrimIni(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (!SectionName(lines[i], name) || !SameTextAscii(name, wanted)) continue;
    header = i;
    end = i + 1;
    std::string_view other;
    while (end < lines.size() && !SectionName(lines[end], other)) ++end;
    return true;
  }
  return false;
}

std::optional<std::string> TIniDocument::Read(std::string_view section, std::string_view key) const {
  std::size_t header, end;
  if (!FindSection(section, header, end)) return std::nullopt;
  const std::string_view wantedKey = TrimIni(key);
  for (std::size_t i = header + 1; i < end; ++i) {
    std::string_view name;
    std::optional<std::string_view> value;
    if (!KeyLine(lines[i], name, value) || !SameTextAscii(name, wantedKey)) continue;
    if (!value) return std::nullopt;
    std::string_view text = *value;
    char quote = 0;
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
      quote = text.front();
      text.remove_prefix(1);
    }
    // The closing quote is removed only when the whole value fits the buffer.
    if (quote && CharacterCount(text) <= kMaxValueLength) text.remove_suffix(1);
    return std::string(FirstCharacters(text, kMaxValueLength));
  }
  return std::nullopt;
}

void TIniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string safeValue(value);
  for (char& c : safeValue)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  const std::string keyText(TrimIni(key));
  const std::string line = keyText + "=" + safeValue;
  std::size_t header, end;
  if (!FindSection(section, header, end)) {
    if (!lines.empty() && !TrimIni(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + std::string(TrimIni(section)) + "]");
    lines.push_back(line);
    finalBreak = true;
    return;
  }
  std::size_t lastContent = header;
  for (std::size_t i = header + 1; i < end; ++i) {
    std::string_view name;
    std::optional<std::string_view> existing;
    if (!KeyLine(lines[i], name, existing)) continue;
    lastContent = i;
    if (SameTextAscii(name, keyText)) {
      lines[i] = line;
      return;
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), line);
  if (lastContent + 1 == lines.size() - 1) finalBreak = true;
}

}  // namespace vexa
