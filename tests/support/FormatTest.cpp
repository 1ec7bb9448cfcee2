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
  // The double nearest 0.0115 lies below it, by less than its 17th digit shows: the
  // whole expansion decides (a printf that stops at 17 digits would give 0.012).
  EXPECT_EQ(Format("%.3f", 0.0115), "0.011");
  EXPECT_EQ(Format("%.3f", TRatio(115, 10000)), "0.012");
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

// A ratio's digits come from integer division, so a figure that is a quotient of
// counts rounds at its true halfway point, where a double would round at the
// halfway point of its own approximation (2.675 is 2.67499999... as a double).
TEST(Format, RatiosAreExact) {
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  const struct {
    const char* format;
    TRatio value;
    const char* text;
  } cases[] = {
      {"%.2f", TRatio(2675, 1000), "2.68"},
      {"%.1f", TRatio(3, 20), "0.2"},
      {"%.0n", TRatio(5, 2), "3"},
      {"%.0n", TRatio(-5, 2), "-3"},
      {"%.2n", TRatio(-1, 1000), "0.00"},  // no sign on a zero
      {"%.0f", TRatio(std::uint64_t{8192} * 10000000, 2048000), "40000"},
      {"%n", TRatio(1234567, 1), "1,234,567.00"},
      {"%.3f", TRatio(Multiply(kAll, kAll), kAll), "18446744073709551615.000"},
      {"%n", TRatio(Multiply(kAll, 100), 100), "18,446,744,073,709,551,615.00"},
      {"%.30f", TRatio(1, 3), "0.333333333333333333333333333333"},
      {"%.2f", TRatio(199999, 100000), "2.00"},  // the carry reaches the integer part
      {"%.2f", TRatio(1, 0), "INF"},
      {"%.2f", TRatio(-1, 0), "-INF"},
      {"%9.2f|", TRatio(1, 8), "     0.13|"},
      {"%d", TRatio(1, 2), "%d"},  // only %n and %f take a ratio
      {"%e", TRatio(1, 2), "%e"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.format, c.value), c.text) << c.format << " " << c.text;

  EXPECT_EQ(FormatFloat("0.000;;#", TRatio(0, 7)), "");
  EXPECT_EQ(FormatFloat("0.000;;#", TRatio(1, 3)), "0.333");
  EXPECT_EQ(FormatFloat("0.000;;#", TRatio(1, 16)), "0.063");
  EXPECT_EQ(FormatFloat("0;(0)", TRatio(-7, 2)), "(4)");
  EXPECT_EQ(FormatFloat("0", TRatio(-1, 4)), "0");  // rounds to zero: no sign
  EXPECT_EQ(FormatFloat("#.##", TRatio(1, 2)), ".5");
  EXPECT_EQ(FormatFloat("0", TRatio(1, 0)), "INF");
  EXPECT_EQ(FormatFloat("0", TRatio(0, 0)), "NAN");
}

TEST(FormatDecimalByteSize, UnitsAndDecimals) {
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  const struct {
    TUInt128 count;
    std::uint64_t unitBytes;
    const char* text;
  } cases[] = {
      {{0, 0}, 1, "0 bytes"},
      {{5, 0}, 0, "0 bytes"},
      {{999, 0}, 1, "999 bytes"},
      {{1500, 0}, 1, "2 kB"},  // half a kilobyte rounds up
      {{999999999999, 0}, 1, "1,000.00 GB"},
      {{8093279, 0}, 512000, "4.14 TB"},  // an NVMe drive's data units
      {{kAll, kAll}, 1, "340,282,366,920,938,463,463.37 EB"},
      {{kAll, kAll}, 512000, "174,224,571,863,520,493,293,247,799.01 EB"},
      {{kAll, 0}, kAll, "340,282,366,920,938,463,426.48 EB"},
      {{kAll, kAll}, 3, "340,282,366,920,938,463,463.37 EB"},  // beyond 128 bits: the most they hold
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDecimalByteSize(c.count, c.unitBytes), c.text) << c.text;
}

TEST(FormatGuid, LowerCaseFieldOrder) {
  const std::uint8_t guid[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ(FormatGuid(std::span<const std::uint8_t, 16>(guid)), "{00112233-4455-6677-8899-aabbccddeeff}");
}

}  // namespace
}  // namespace vexa
