// The 128-bit count: decimal text around the 64-bit boundary and at the maximum,
// parsing back, overflow refusal, the little-endian packing of the counters, and
// the products and quotients exact figures are made of.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
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

TEST(UInt128, Packing) {
  std::array<std::uint8_t, 20> bytes{};
  PutU128(bytes, 2, {0x0807060504030201, 0x100F0E0D0C0B0A09});
  EXPECT_EQ(bytes[2], 0x01);
  EXPECT_EQ(bytes[17], 0x10);
  EXPECT_EQ(bytes[18], 0);
  EXPECT_EQ(GetU128(bytes, 2), (TUInt128{0x0807060504030201, 0x100F0E0D0C0B0A09}));
  PutU128(bytes, 10, {kAll, kAll});  // past the end: writes dropped, reads 0
  EXPECT_EQ(GetU128(bytes, 10), (TUInt128{kAll, 0xFFFF}));
}

TEST(UInt128, ToDoubleCarriesTheHighHalf) {
  EXPECT_EQ(ToDouble({kAll, 0}), 18446744073709551615.0);
  EXPECT_EQ(ToDouble({0, 1}), 18446744073709551616.0);
  EXPECT_EQ(ToDouble({kAll, kAll}), std::ldexp(1.0, 128));
}

// Products are checked against the schoolbook halves, quotients by putting them
// back together: quotient × divisor + remainder is the value, the remainder below
// the divisor.
TEST(UInt128, ProductsAndQuotients) {
  const struct {
    std::uint64_t a, b;
    TUInt128 product;
  } products[] = {
      {0, kAll, {0, 0}},
      {kAll, kAll, {1, kAll - 1}},
      {std::uint64_t{1} << 32, std::uint64_t{1} << 32, {0, 1}},
      {0xFFFFFFFF, 0xFFFFFFFF, {0xFFFFFFFE00000001, 0}},
      {0x123456789ABCDEF0, 0x0FEDCBA987654321, {0x2236D88FE5618CF0, 0x0121FA00AD77D742}},
  };
  for (const auto& c : products) {
    EXPECT_EQ(Multiply(c.a, c.b), c.product) << c.a << " x " << c.b;
    EXPECT_EQ(Multiply(c.b, c.a), c.product) << c.b << " x " << c.a;
  }

  const struct {
    TUInt128 value;
    std::uint64_t divisor;
  } quotients[] = {
      {{7, 0}, 2},  {{0, 1}, 3},          {{kAll, kAll}, kAll}, {{kAll, kAll}, 1},
      {{kAll, kAll}, 10}, {{12345, 6789}, std::uint64_t{1} << 63}, {{0, kAll - 1}, kAll},
      {{kAll, 0x7FFFFFFFFFFFFFFF}, 0x8000000000000001},  // the running remainder passes 2^63
  };
  for (const auto& c : quotients) {
    std::uint64_t remainder = kAll;
    const TUInt128 quotient = Divide(c.value, c.divisor, remainder);
    EXPECT_LT(remainder, c.divisor) << DecimalText(c.value) << " / " << c.divisor;
    TUInt128 back = quotient;
    ASSERT_TRUE(TryMultiply(back, c.divisor)) << DecimalText(c.value) << " / " << c.divisor;
    const std::uint64_t low = back.low + remainder;
    EXPECT_EQ((TUInt128{low, back.high + (low < back.low ? 1u : 0u)}), c.value)
        << DecimalText(c.value) << " / " << c.divisor;
  }

  // A product beyond 128 bits is refused and leaves the value alone.
  TUInt128 value{kAll, kAll >> 1};
  EXPECT_TRUE(TryMultiply(value, 2));
  EXPECT_EQ(value, (TUInt128{kAll - 1, kAll}));
  EXPECT_FALSE(TryMultiply(value, 2));
  EXPECT_EQ(value, (TUInt128{kAll - 1, kAll}));
  value = {0, 2};
  EXPECT_FALSE(TryMultiply(value, std::uint64_t{1} << 63));  // 2^128: one bit too many
  value = {0, 1};
  EXPECT_TRUE(TryMultiply(value, std::uint64_t{1} << 63));
  EXPECT_EQ(value, (TUInt128{0, std::uint64_t{1} << 63}));

  EXPECT_LT((TUInt128{kAll, 0}), (TUInt128{0, 1}));
  EXPECT_GT((TUInt128{1, 1}), (TUInt128{0, 1}));
}

}  // namespace
}  // namespace vexa
