// Escaping of names and values: the byte table, and a cut that leaves whole escapes
// and whole characters.
#include "online/JsonText.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using namespace std::string_literals;

TEST(JsonText, EscapesByTheTable) {
  const struct {
    std::string text;
    std::string escaped;
  } rows[] = {
      {"a\tb", "a\\tb"},
      {"a\nb", "a\\nb"},
      {"a\rb", "a\\nb"},
      {"a\r\nb", "a\\nb"},
      {"a\n\rb", "a\\n\\nb"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"C:\\x", "C:\\\\x"},
      {"\x01\x08\x0B\x0C\x0E\x1F", "......"},
      {" !#[]~\x7F", " !#[]~\x7F"},
      {"溫度 °C", "溫度 °C"},
      {"\xFF\xC3", "\xFF\xC3"},
      {"ab\0cd"s, "ab"},
  };
  for (const auto& row : rows) EXPECT_EQ(EscapeText(row.text, 100), row.escaped) << row.text;
}

TEST(JsonText, CutsOnlyBetweenWholeEscapesAndCharacters) {
  const struct {
    std::string text;
    std::size_t limit;
    std::string escaped;
  } rows[] = {
      {"abc", 2, "ab"},
      {"a\"", 2, "a"},
      {"a\\", 2, "a"},
      {"a\r\n", 2, "a"},
      {"a\r\n", 3, "a\\n"},
      {"a溫", 3, "a"},
      {"a溫", 4, "a溫"},
      {"a😀", 4, "a"},
      {"x", 0, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(EscapeText(row.text, row.limit), row.escaped) << row.text << " " << row.limit;
}

}  // namespace
}  // namespace vexa
