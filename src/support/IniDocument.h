// Reading and writing the INI dialect of the Windows profile functions, in
// portable code: "[section]" headers, "key=value" lines, section and key names
// compared without regard to case, the first of duplicate sections or keys wins,
// and one pair of matching quotes around a value is removed on reading.
// Every line the program does not change is written back byte for byte, so
// comments, unknown keys and other programs' sections survive a save.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

class TIniDocument {
public:
  // Values longer than this many characters are cut on reading, as the 256-character
  // buffer of the profile functions does.
  static constexpr std::size_t kMaxValueLength = 255;

  TIniDocument() = default;
  explicit TIniDocument(std::string_view contents) { Parse(contents); }

  // UTF-8 with or without its byte-order mark; UTF-16 files (with a mark) are
  // converted to UTF-8. Bytes that are not valid UTF-8 are kept as they are.
  void Parse(std::string_view contents);
  std::string Serialize() const;

  // The value as the profile functions return it (trimmed, one pair of matching
  // quotes removed, at most kMaxValueLength characters); none when the section or
  // key is absent or the key line has no "=".
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  // Replaces the first matching key of the first matching section, adds the key
  // at the end of that section, or adds the section at the end of the document.
  // Line breaks inside the value are written as blanks: a value can never add
  // lines of its own to the file.
  void Write(std::string_view section, std::string_view key, std::string_view value);

private:
  struct TLine {
    std::string text;
  };
  // Index range [first, last) of the first section's lines after its header.
  bool FindSection(std::string_view section, std::size_t& header, std::size_t& end) const;
  static bool SectionName(std::string_view line, std::string_view& name);
  static bool KeyLine(std::string_view line, std::string_view& key, std::optional<std::string_view>& value);

  std::vector<std::string> lines;
  bool byteOrderMark = false;
  bool crlf = true;
  bool finalBreak = true;
};

}  // namespace vexa
