// The INI dialect: lookups, quotes, limits, duplicates and writes that keep the
// rest of the file.
#include "support/IniDocument.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(IniDocument, ReadsLikeTheProfileFunctions) {
  const TIniDocument ini(
      "; comment\r\n"
      "[System]\r\n"
      "  Device_Index = 3  \r\n"
      "quoted=\" x \"\r\n"
      "single='y'\r\n"
      "lonely=\"\r\n"
      "novalue\r\n"
      "empty=\r\n"
      "dup=first\r\n"
      "dup=second\r\n"
      "[system]\r\n"
      "later=1\r\n");
  EXPECT_EQ(ini.Read("system", "device_index"), "3");  // names ignore case, values are trimmed
  EXPECT_EQ(ini.Read("system", "quoted"), " x ");
  EXPECT_EQ(ini.Read("system", "single"), "y");
  EXPECT_EQ(ini.Read("system", "lonely"), "\"");
  EXPECT_EQ(ini.Read("system", "novalue"), std::nullopt);
  EXPECT_EQ(ini.Read("system", "empty"), "");
  EXPECT_EQ(ini.Read("system", "dup"), "first");
  EXPECT_EQ(ini.Read("system", "later"), std::nullopt);  // only the first section counts
  EXPECT_EQ(ini.Read("other", "x"), std::nullopt);
}

TEST(IniDocument, CutsLongValues) {
  const std::string value(300, 'a');
  TIniDocument ini;
  ini.Write("s", "k", value);
  EXPECT_EQ(ini.Read("s", "k")->size(), 255u);
  ini.Write("s", "q", "\"" + value + "\"");
  EXPECT_EQ(*ini.Read("s", "q"), std::string(255, 'a'));
  ini.Write("s", "c", std::string(300, 'x') + "溫");
  EXPECT_EQ(ini.Read("s", "c")->size(), 255u);
}

TEST(IniDocument, WritesKeepEverythingElse) {
  TIniDocument ini("; keep me\n[a]\nx=1\n\n[b]\ny=2\n");
  ini.Write("A", "X", "5");
  ini.Write("a", "z", "6");
  ini.Write("c", "w", "7");
  EXPECT_EQ(ini.Serialize(), "; keep me\n[a]\nX=5\nz=6\n\n[b]\ny=2\n\n[c]\nw=7\n");
  ini.Write("b", "y", "line\r\n[a]\r\nx=9");
  EXPECT_EQ(ini.Read("b", "y"), "line  [a]  x=9");
  EXPECT_EQ(ini.Read("a", "x"), "5");
}

TEST(IniDocument, EncodingsAndGarbage) {
  EXPECT_EQ(TIniDocument("\xEF\xBB\xBF[s]\r\nk=v\r\n").Read("s", "k"), "v");
  const std::string utf16("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xAB\x6E" "W\0", 20);
  EXPECT_EQ(TIniDocument(utf16).Read("s", "k"), "溫W");
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131) & 0xFF));
  TIniDocument broken(garbage);
  broken.Write("s", "k", "v");
  EXPECT_EQ(TIniDocument(broken.Serialize()).Read("s", "k"), "v");
  TIniDocument bom("\xEF\xBB\xBF[s]\nk=v\n");
  bom.Write("s", "k", "w");
  EXPECT_EQ(bom.Serialize(), "\xEF\xBB\xBF[s]\nk=w\n");
}

}  // namespace
}  // namespace vexa
