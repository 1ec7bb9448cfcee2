// IDENTIFY blocks written as hexadecimal words: every published text dump must give
// the same bytes as its binary twin, and malformed text must be refused by message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "device/IdentifyText.h"

namespace vexa {
namespace {

const std::filesystem::path SampleDir = VEXA_SOURCE_DIR "/../shared/samples/real";

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string WordsText(std::size_t count, std::string_view word = "0000") {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += word;
    text += (i % 8 == 7) ? "\n" : " ";
  }
  return text;
}

TEST(IdentifyText, WordOrderAndByteOrder) {
  std::string text = WordsText(256);
  text.replace(0, 4, "0040");
  text.replace(5, 4, "3fFF");
  text.replace(text.size() - 5, 4, "d7a5");
  const TIdentifyTextResult result = ParseIdentifyText(text);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.bytes[0], 0x40);
  EXPECT_EQ(result.bytes[1], 0x00);
  EXPECT_EQ(result.bytes[2], 0xFF);
  EXPECT_EQ(result.bytes[3], 0x3F);
  EXPECT_EQ(result.bytes[510], 0xA5);
  EXPECT_EQ(result.bytes[511], 0xD7);
}

TEST(IdentifyText, LayoutVariantsAccepted) {
  std::string crlf;
  for (char c : WordsText(256, "abcd")) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ParseIdentifyText(crlf).ok);
  EXPECT_TRUE(ParseIdentifyText("\n/dev/sda:\n" + WordsText(256, "1234") + "\n\n").ok);
  std::string tabs = WordsText(256, "1234");
  std::replace(tabs.begin(), tabs.end(), ' ', '\t');
  EXPECT_TRUE(ParseIdentifyText(tabs).ok);
}

TEST(IdentifyText, MalformedTextIsRefusedWithMessage) {
  struct TCase {
    std::string text;
    std::string error;
  };
  std::string badDigit = WordsText(256);
  badDigit.replace(8 * 5 * 2 + 5, 4, "00g0");  // line 3, second word
  std::string shortWord = WordsText(256);
  shortWord.replace(0, 4, "040 ");
  const TCase cases[] = {
      {"", "0 words found, 256 expected"},
      {WordsText(255), "255 words found, 256 expected"},
      {WordsText(257), "line 33: more than 256 words"},
      {badDigit, "line 3: \"00g0\" is not a word of 4 hexadecimal digits"},
      {shortWord, "line 1: \"040\" is not a word of 4 hexadecimal digits"},
      {"0x0040 " + WordsText(255), "line 1: \"0x0040\" is not a word of 4 hexadecimal digits"},
      {"/dev/sda:\n" + WordsText(8) + "/dev/sdb:\n", "line 3: \"/dev/sdb:\" is not a word of 4 hexadecimal digits"},
      {std::string(100, 'z'), "line 1: \"zzzzzzzzzzzzzzzz...\" is not a word of 4 hexadecimal digits"},
      {std::string("\x01\xff") + "00", "line 1: \"??00\" is not a word of 4 hexadecimal digits"},
  };
  for (const TCase& c : cases) {
    const TIdentifyTextResult result = ParseIdentifyText(c.text);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(std::count(result.bytes.begin(), result.bytes.end(), 0), 512) << "no partial block";
  }
}

TEST(IdentifyText, EverySampleMatchesItsBinary) {
  std::error_code error;
  if (!std::filesystem::is_directory(SampleDir, error)) GTEST_SKIP() << "shared samples not available";
  std::size_t compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SampleDir, error)) {
    const std::string name = entry.path().filename().string();
    const std::string suffix = ".identify.txt";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    SCOPED_TRACE(name);
    const std::string binary = ReadFile(SampleDir / (name.substr(0, name.size() - 4) + ".bin"));
    const TIdentifyTextResult result = ParseIdentifyText(ReadFile(entry.path()));
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(binary.size(), 512u);
    EXPECT_TRUE(std::equal(result.bytes.begin(), result.bytes.end(), binary.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
    ++compared;
  }
  EXPECT_GE(compared, 40u);
}

}  // namespace
}  // namespace vexa
