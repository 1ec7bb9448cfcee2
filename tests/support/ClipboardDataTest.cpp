// Clipboard blocks: text round trips, dropped-file lists built and read back, and
// blocks from other programs that are short, unterminated or lie about offsets.
#include "support/ClipboardData.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ClipboardData, TextRoundTrip) {
  for (const std::string text : {"", "ID: 194", "屬性說明: 42 °C", "a\r\nb", "𝄞 beyond the basic plane"}) {
    const auto block = UnicodeTextBlock(text);
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block[block.size() - 1], 0);
    EXPECT_EQ(block[block.size() - 2], 0);
    EXPECT_EQ(UnicodeTextOf(block), text);
  }
}

TEST(ClipboardData, TextStopsAtZeroOrTheEnd) {
  const std::uint8_t withZero[] = {'a', 0, 0, 0, 'b', 0};
  EXPECT_EQ(UnicodeTextOf(withZero), "a");
  const std::uint8_t unterminated[] = {'a', 0, 'b', 0, 'c'};  // odd byte left over
  EXPECT_EQ(UnicodeTextOf(unterminated), "ab");
  EXPECT_EQ(UnicodeTextOf({}), "");
}

TEST(ClipboardData, FileListRoundTrip) {
  const std::vector<std::string> names = {"C:\\vexa.ini", "D:\\日誌\\VEXA_PhysicalDrive0.log",
                                          "C:\\" + std::string(300, 'x')};  // beyond 260 characters: kept whole
  const auto block = BuildDropFiles(names);
  const TDropFileList list = ParseDropFiles(block);
  EXPECT_TRUE(list.wide);
  EXPECT_EQ(list.names, names);
  EXPECT_EQ(JoinFileList(list.names), names[0] + "\r\n" + names[1] + "\r\n" + names[2]);
  EXPECT_TRUE(ParseDropFiles(BuildDropFiles({})).names.empty());
}

TEST(ClipboardData, NarrowFileList) {
  std::vector<std::uint8_t> block(kDropFilesHeaderSize, 0);
  block[0] = kDropFilesHeaderSize;
  for (const char c : std::string("C:\\a\0D:\\b\0\0", 11)) block.push_back(static_cast<std::uint8_t>(c));
  const TDropFileList list = ParseDropFiles(block);
  EXPECT_FALSE(list.wide);
  EXPECT_EQ(list.names, (std::vector<std::string>{"C:\\a", "D:\\b"}));
}

TEST(ClipboardData, HostileFileLists) {
  // Shorter than the header.
  EXPECT_TRUE(ParseDropFiles(std::vector<std::uint8_t>(19, 0xFF)).names.empty());
  // Offset past the end.
  std::vector<std::uint8_t> block(kDropFilesHeaderSize, 0);
  PutU32(block, 0, 0xFFFFFFF0);
  PutU32(block, 16, 1);
  EXPECT_TRUE(ParseDropFiles(block).names.empty());
  // Names without the closing zeros end at the block's end.
  const auto whole = BuildDropFiles({"C:\\one", "C:\\two"});
  block.assign(whole.begin(), whole.end() - 4);  // both closing zeros gone
  EXPECT_EQ(ParseDropFiles(block).names, (std::vector<std::string>{"C:\\one", "C:\\two"}));
  block.assign(whole.begin(), whole.end() - 5);  // half a character left over
  EXPECT_EQ(ParseDropFiles(block).names, (std::vector<std::string>{"C:\\one", "C:\\tw"}));
  // Offset pointing into the header itself reads what is there, within bounds.
  block = BuildDropFiles({"x"});
  PutU32(block, 0, 1);
  EXPECT_NO_FATAL_FAILURE(ParseDropFiles(block));
}

TEST(ClipboardData, JoinWithoutTrailingBreak) {
  EXPECT_EQ(JoinFileList({}), "");
  EXPECT_EQ(JoinFileList({"a"}), "a");
  EXPECT_EQ(JoinFileList({"a", "b"}), "a\r\nb");
}

}  // namespace
}  // namespace vexa
