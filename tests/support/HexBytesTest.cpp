// Hex text parsing and the hex-or-binary file reader, including the inputs a user
// may hand over by mistake.
#include "support/HexBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vexa {
namespace {

TEST(HexBytes, ParsesBytesSeparatedAnyhow) {
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ParseHexBytes("00 1f A0\r\n\tff  0a0B\n", bytes));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x00, 0x1F, 0xA0, 0xFF, 0x0A, 0x0B}));
  ASSERT_TRUE(ParseHexBytes("", bytes));
  EXPECT_TRUE(bytes.empty());
  ASSERT_TRUE(ParseHexBytes(" \n ", bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST(HexBytes, RejectsOddTokensAndOtherCharacters) {
  std::vector<std::uint8_t> bytes{1, 2};
  for (const std::string_view bad : {"0", "00 1", "abc", "0g", "0x10", "00,01", "00-01", "zz"}) {
    EXPECT_FALSE(ParseHexBytes(bad, bytes)) << bad;
    EXPECT_TRUE(bytes.empty()) << bad;
  }
}

class HexBytesFile : public testing::Test {
protected:
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("vexa-hexbytes-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                testing::UnitTest::GetInstance()->current_test_info()->name());
  void Write(std::string_view contents) {
    std::ofstream out(path, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

TEST_F(HexBytesFile, ReadsHexTextWithByteOrderMark) {
  Write("\xEF\xBB\xBF" "10 00\n0b 32");
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadHexOrBinaryFile(path.string(), bytes, error)) << error;
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x10, 0x00, 0x0B, 0x32}));
}

TEST_F(HexBytesFile, ReadsBinaryAsIs) {
  const std::string raw("\x10\x00\x01\x0B\x00\xFF", 6);
  Write(raw);
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadHexOrBinaryFile(path.string(), bytes, error)) << error;
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x10, 0x00, 0x01, 0x0B, 0x00, 0xFF}));
}

TEST_F(HexBytesFile, FailuresSayWhy) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  Write("10 00 zz\n");
  EXPECT_FALSE(ReadHexOrBinaryFile(path.string(), bytes, error));
  EXPECT_NE(error.find("not hexadecimal"), std::string::npos) << error;

  Write(std::string(100, '0'));
  error.clear();
  EXPECT_FALSE(ReadHexOrBinaryFile(path.string(), bytes, error, 99));  // over the size limit
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_FALSE(ReadHexOrBinaryFile((path.string() + "-missing"), bytes, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace vexa
