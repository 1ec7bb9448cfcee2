// Small helpers: clamping, wrapping, binary text, colours and version text.
#include "support/Utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <sstream>

namespace vexa {
namespace {

TEST(Utils, ClampWrapChoose) {
  EXPECT_EQ(Clamp(5, 0, 3), 3);
  EXPECT_EQ(Clamp(-1, 0, 3), 0);
  EXPECT_EQ(Wrap(-1, 0, 3), 3);
  EXPECT_EQ(Wrap(4, 0, 3), 0);
  EXPECT_EQ(Wrap(2, 0, 3), 2);
  EXPECT_EQ(Choose(1, 2, true), 2);
  EXPECT_EQ(Choose(1, 2, false), 1);
}

TEST(Utils, BitString) {
  EXPECT_EQ(BitString(5, 8), "00000101");
  EXPECT_EQ(BitString(0, 0), "0");
  EXPECT_EQ(BitString(0xFFFFFFFF, 4), std::string(32, '1'));  // a longer text is not cut
  EXPECT_EQ(BitString(1, 1000).size(), 255u);
}

TEST(Utils, Colours) {
  EXPECT_EQ(Blend(0xFFFFFF, 0x000000, 128), 0x7F7F7Fu);
  EXPECT_EQ(Blend(0x102030, 0x405060, 0), 0x102030u);
  EXPECT_EQ(Blend(0x102030, 0x405060, 255), 0x405060u);
  EXPECT_EQ(HsvToColor(120, 1, 1), 0x00FF00u);
  EXPECT_EQ(HsvToColor(-120, 1, 1), 0x00FF00u);
  EXPECT_EQ(HsvToColor(0, 1, 1), 0x0000FFu);    // red in the low byte
  EXPECT_EQ(HsvToColor(240, 1, 1), 0xFF0000u);
  EXPECT_EQ(HsvToColor(360, 1, 1), 0x0000FFu);
  EXPECT_EQ(HsvToColor(10, 1.5, 1), 0u);
  EXPECT_EQ(HsvToColor(10, 1, -0.1), 0u);
  EXPECT_EQ(HsvToColor(10, std::nan(""), 1), 0u);  // once undefined behaviour
  EXPECT_EQ(HsvToColor(10, 1, std::nan("")), 0u);
  EXPECT_EQ(HsvToColor(0, 0, 0.5), 0x808080u);  // 127.5 rounds to even: 128
}

// The exact quotient of a 128-bit product: no rounding before the truncation, and
// the largest value for what does not fit or has no divisor.
TEST(Utils, MulDivFloor) {
  constexpr std::uint64_t kAll = std::numeric_limits<std::uint64_t>::max();
  const struct {
    std::uint64_t a, b, c, quotient;
  } cases[] = {
      {3, 5, 2, 7},
      {8192, 10000000, 2048000, 40000},  // a double made 39999.99... of it in one build
      {4480, 1000000, 1000000, 4480},
      {kAll, kAll, kAll, kAll},
      {kAll, 3, 4, 13835058055282163711u},
      {std::uint64_t{1} << 63, 4, 2, kAll},  // 2^64: saturated
      {std::uint64_t{1} << 63, 4, 3, 12297829382473034410u},  // a 66-bit product back in range
      {10, 0, 3, 0},
      {10, 20, 0, kAll},
  };
  for (const auto& c : cases) EXPECT_EQ(MulDivFloor(c.a, c.b, c.c), c.quotient) << c.a << " x " << c.b << " / " << c.c;
}

// A tenth added in long double's own precision: at double precision the first
// case is 0.1000000000000000055511151231257827, not the long double nearest 0.1.
TEST(Utils, AddTenthsKeepsLongDoublePrecision) {
  const struct {
    long double value;
    int tenths;
    long double sum;
  } cases[] = {
      {0, 1, 0.1L},
      {0, -3, -0.3L},
      {1e30L, 1, 1e30L},
  };
  for (const auto& c : cases) {
    const long double sum = AddTenths(c.value, c.tenths);
    std::ostringstream shown;
    shown << std::setprecision(21) << sum << " for " << c.sum;
    EXPECT_TRUE(sum == c.sum) << shown.str();
  }
}

TEST(Utils, FormatVersion) {
  EXPECT_EQ(FormatVersion(0x100909, true), "16.09.09");
  EXPECT_EQ(FormatVersion(0x100909, false), "9 September 2016");
  EXPECT_EQ(FormatVersion(0x10021F, false), "");
  EXPECT_EQ(FormatVersion(0x10021F, true), "16.02.31");
  EXPECT_EQ(FormatVersion(0x10021D, false), "29 February 2016");
}

}  // namespace
}  // namespace vexa
