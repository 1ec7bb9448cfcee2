// Format, FormatFloat, FormatByteSize and FormatGuid: the conventions every
// visible text of the program relies on.
#include "support/Format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vexa {
namespace {

TEST(Format, IntegersAndHex) {
  EXPECT_EQ(Format("%d|%u|%x", -5, 7u, 255), "-5|7|FF");
  EXPECT_EQ(Format("0x%.8x", 0xABCu), "0x00000ABC");  // the literal 0x stays lower case
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");             // 32-bit argument: 32-bit pattern
  EXPECT_EQ(Format("%x", std::int64_t{-1}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%.2d.%.2d.%.2d", 16, 9, 9), "16.09.09");
  EXPECT_EQ(Format("%.3d", -7), "-007");
  EXPECT_EQ(Format("%5d|%-5d|", 42, 42), "   42|42   |");
  EXPECT_EQ(Format("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(Format("%u", std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
}

TEST(Format, StarWidthsAndStrings) {
  EXPECT_EQ(Format("%-*s|", 6, "ab"), "ab    |");
  EXPECT_EQ(Format("%*s|", 4, "ab"), "  ab|");
  EXPECT_EQ(Format("%.2s", "abcdef"), "ab");
  EXPECT_EQ(Format("%.*d", 4, 7), "0007");
  // Wide characters count two columns, so Chinese labels line up in fixed pitch.
  EXPECT_EQ(Format("%-*s|", 6, "溫度"), "溫度  |");
  EXPECT_EQ(Format("%-*s|", 2, "溫度"), "溫度|");
}

TEST(Format, Numbers) {
  EXPECT_EQ(Format("%n", 1234567.891), "1,234,567.89");
  EXPECT_EQ(Format("%.0n RPM", 7200.0), "7,200 RPM");
  EXPECT_EQ(Format("%.*n", 1, 1.55), "1.6");
  EXPECT_EQ(Format("%.2n", 0.125), "0.13");  // halves round away from zero
  EXPECT_EQ(Format("%.0n", 999.5), "1,000");
  EXPECT_EQ(Format("%n", -1234.5), "-1,234.50");
  EXPECT_EQ(Format("%.0n", -0.4), "0");
  EXPECT_EQ(Format("%.1f", 2.25), "2.3");
  EXPECT_EQ(Format("%n", 1000), "1,000.00");
}

TEST(Format, BadFormatsNeverThrow) {
  EXPECT_EQ(Format("%d"), "%d");
  EXPECT_EQ(Format("100%"), "100%");
  EXPECT_EQ(Format("%d", "text"), "%d");
  EXPECT_EQ(Format("%s", 5), "%s");
  EXPECT_EQ(Format("%q", 5), "%q");
  EXPECT_EQ(Format("%%|%s", "a"), "%|a");
}

TEST(FormatFloat, SectionPatterns) {
  EXPECT_EQ(FormatFloat("0,;;#", 1234567), "1,234,567");
  EXPECT_EQ(FormatFloat("0,;;#", 0), "");
  EXPECT_EQ(FormatFloat(",0;;#", 999.6), "1,000");
  EXPECT_EQ(FormatFloat("0.000;;#", 1.23456), "1.235");
  EXPECT_EQ(FormatFloat("0.000;;#", 0), "");
  EXPECT_EQ(FormatFloat("0.000;;#", -2.5), "-2.500");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("0.0#", 3), "3.0");
  EXPECT_EQ(FormatFloat("0 MB/s", 12.4), "12 MB/s");
  EXPECT_EQ(FormatFloat("0;(0)", -3), "(3)");
}

TEST(FormatByteSize, UnitsAndDecimals) {
  EXPECT_EQ(FormatByteSize(0), "");
  EXPECT_EQ(FormatByteSize(500), "500 bytes");
  EXPECT_EQ(FormatByteSize(1023), "1,023 bytes");
  EXPECT_EQ(FormatByteSize(1024), "1.0 kB");
  EXPECT_EQ(FormatByteSize(1536), "1.5 kB");
  EXPECT_EQ(FormatByteSize(1000000000000ULL), "931.32 GB");
  EXPECT_EQ(FormatByteSize(std::uint64_t{1} << 50), "1.0000 PB");
  // A petabyte count stays in PB however large.
  EXPECT_EQ(FormatByteSize(std::numeric_limits<std::uint64_t>::max()), "16,384.0000 PB");
}

TEST(FormatGuid, LowerCaseFieldOrder) {
  const std::uint8_t guid[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ(FormatGuid(std::span<const std::uint8_t, 16>(guid)), "{00112233-4455-6677-8899-aabbccddeeff}");
}

}  // namespace
}  // namespace vexa
