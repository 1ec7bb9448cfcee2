// UTF conversions (invalid input included) and number parsing.
#include "support/Text.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(Text, Utf8AndUtf16RoundTrip) {
  const std::string text = "溫度 °C 😀 x";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
  EXPECT_EQ(Utf8ToUtf16("\xFF" "a\xC3"), u"\uFFFDa\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_TRUE(IsValidUtf8("屬實"));
  EXPECT_FALSE(IsValidUtf8("\xC4\xDD\xB9\xEA"));
}

// Bytes a drive sent, shown so that nothing ends or splits the text.
TEST(Text, EscapeUnprintable) {
  EXPECT_EQ(EscapeUnprintable("溫度 °C 😀 x"), "溫度 °C 😀 x");
  EXPECT_EQ(EscapeUnprintable(std::string("A\0B", 3)), "A\\x00B");
  EXPECT_EQ(EscapeUnprintable("VEXA\tX\x1B[2J\x7FQ\xC2\x85"), "VEXA\\x09X\\x1B[2J\\x7FQ\\xC2\\x85");
  // Not UTF-8: each byte on its own, including a lead byte cut off at the end.
  EXPECT_EQ(EscapeUnprintable("\xFF\x80é\xC0\xAF\xED\xA0\x80\xE6\xBA"),
            "\\xFF\\x80é\\xC0\\xAF\\xED\\xA0\\x80\\xE6\\xBA");
  EXPECT_EQ(EscapeUnprintable("\xEF\xBF\xBD"), "\xEF\xBF\xBD");  // a real U+FFFD stays
  EXPECT_EQ(EscapeUnprintable(""), "");
}

TEST(Text, ValidUtf8AndCharacterLengths) {
  EXPECT_EQ(ToValidUtf8("a\xFF溫\xE6\xBA 😀"), "a\uFFFD溫\uFFFD\uFFFD 😀");
  EXPECT_EQ(Utf8CharacterLength("a溫😀", 1), 3u);
  EXPECT_EQ(Utf8CharacterLength("a溫😀", 4), 4u);
  EXPECT_EQ(Utf8CharacterLength("\xEF\xBF\xBD", 0), 3u);  // U+FFFD itself is a character
  EXPECT_EQ(Utf8CharacterLength("\xE6\xBA", 0), 0u);
  EXPECT_EQ(Utf8CharacterLength("a", 1), 0u);
}

TEST(Text, AsciiCaseAndTrim) {
  EXPECT_EQ(UpperAscii("Samsung ssd 溫"), "SAMSUNG SSD 溫");
  EXPECT_TRUE(ContainsAscii("xx samsung SSD 850 pro", "SAMSUNG SSD 850 PRO"));
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd").size(), 4u);
}

TEST(Text, ParseInt) {
  std::int32_t v = 0;
  EXPECT_TRUE(TryParseInt32("  -42", v));
  EXPECT_EQ(v, -42);
  EXPECT_TRUE(TryParseInt32("$ff", v));
  EXPECT_EQ(v, 255);
  EXPECT_TRUE(TryParseInt32("x10", v));
  EXPECT_EQ(v, 16);
  EXPECT_TRUE(TryParseInt32("0x10", v));
  EXPECT_EQ(v, 16);
  EXPECT_TRUE(TryParseInt32("-$10", v));
  EXPECT_EQ(v, -16);
  EXPECT_TRUE(TryParseInt32("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(TryParseInt32("2147483647", v));
  EXPECT_TRUE(TryParseInt32("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  for (const char* bad : {"", " ", "2147483648", "99999999999999999999999", "12 ", "1e3", "0x", "$", "--1", "4a"})
    EXPECT_FALSE(TryParseInt32(bad, v)) << bad;
}

}  // namespace
}  // namespace vexa
