// The 128-bit count: decimal text around the 64-bit boundary and at the maximum,
// parsing back, overflow refusal, and the little-endian packing of the counters.
#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "support/UInt128.h"

namespace vexa {
namespace {

constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();

TEST(UInt128, DecimalTextAndParseRoundTrip) {
  const struct {
    TUInt128 value;
    const char* text;
  } cases[] = {
      {{0, 0}, "0"},
      {{1000000000, 0}, "1000000000"},  // a whole group of zeros
      {{kAll, 0}, "18446744073709551615"},
      {{0, 1}, "18446744073709551616"},
      {{kAll, kAll}, "340282366920938463463374607431768211455"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecimalText(c.value), c.text);
    TUInt128 parsed{1, 1};
    ASSERT_TRUE(TryParseUInt128(c.text, parsed)) << c.text;
    EXPECT_EQ(parsed, c.value) << c.text;
  }
  TUInt128 value;
  ASSERT_TRUE(TryParseUInt128("0000000000000000000000000000000000000000018446744073709551616", value));
  EXPECT_EQ(value, (TUInt128{0, 1}));  // leading zeros do not count towards the size
}

TEST(UInt128, ParseRefusals) {
  TUInt128 value{5, 6};
  for (const char* text : {"", "340282366920938463463374607431768211456", "1000000000000000000000000000000000000000",
                           "-1", "+1", " 1", "1 ", "12a", "0x10"}) {
    EXPECT_FALSE(TryParseUInt128(text, value)) << text;
    EXPECT_EQ(value, (TUInt128{5, 6})) << "changed by " << text;
  }
}

TEST(UInt128, PackingAndFloatingValue) {
  std::array<std::uint8_t, 20> bytes{};
  PutU128(bytes, 2, {0x0807060504030201, 0x100F0E0D0C0B0A09});
  EXPECT_EQ(bytes[2], 0x01);
  EXPECT_EQ(bytes[17], 0x10);
  EXPECT_EQ(bytes[18], 0);
  EXPECT_EQ(GetU128(bytes, 2), (TUInt128{0x0807060504030201, 0x100F0E0D0C0B0A09}));
  PutU128(bytes, 10, {kAll, kAll});  // past the end: writes dropped, reads 0
  EXPECT_EQ(GetU128(bytes, 10), (TUInt128{kAll, 0xFFFF}));

  EXPECT_EQ(ToLongDouble({kAll, 0}), 18446744073709551615.0L);
  EXPECT_EQ(ToLongDouble({0, 3}), 3 * 18446744073709551616.0L);
}

}  // namespace
}  // namespace vexa
