// 128-bit arithmetic on 32-bit limbs: every step multiplies or divides one limb by
// a small number inside a 64-bit intermediate, which every compiler has.
#include "support/UInt128.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vexa {

namespace {

// Least significant limb first.
using TLimbs = std::array<std::uint32_t, 4>;

TLimbs ToLimbs(TUInt128 value) {
  return {static_cast<std::uint32_t>(value.low), static_cast<std::uint32_t>(value.low >> 32),
          static_cast<std::uint32_t>(value.high), static_cast<std::uint32_t>(value.high >> 32)};
}

TUInt128 FromLimbs(const TLimbs& limbs) {
  return {limbs[0] | (static_cast<std::uint64_t>(limbs[1]) << 32),
          limbs[2] | (static_cast<std::uint64_t>(limbs[3]) << 32)};
}

// Divides in place and answers the remainder.
std::uint32_t DivideLimbs(TLimbs& limbs, std::uint32_t divisor) {
  std::uint64_t remainder = 0;
  for (std::size_t i = limbs.size(); i-- > 0;) {
    const std::uint64_t part = (remainder << 32) | limbs[i];
    limbs[i] = static_cast<std::uint32_t>(part / divisor);
    remainder = part % divisor;
  }
  return static_cast<std::uint32_t>(remainder);
}

// limbs × factor + addend in place; false when the result needs more than 128 bits.
bool MultiplyAddLimbs(TLimbs& limbs, std::uint32_t factor, std::uint32_t addend) {
  std::uint64_t carry = addend;
  for (std::uint32_t& limb : limbs) {
    const std::uint64_t part = static_cast<std::uint64_t>(limb) * factor + carry;
    limb = static_cast<std::uint32_t>(part);
    carry = part >> 32;
  }
  return carry == 0;
}

bool AllZero(const TLimbs& limbs) {
  return std::all_of(limbs.begin(), limbs.end(), [](std::uint32_t limb) { return limb == 0; });
}

}  // namespace

TUInt128 GetU128(TBytes buffer, std::size_t offset) {
  return {GetU64(buffer, offset), GetU64(buffer, offset + 8)};
}

void PutU128(TMutableBytes buffer, std::size_t offset, TUInt128 value) {
  PutU64(buffer, offset, value.low);
  PutU64(buffer, offset + 8, value.high);
}

std::string DecimalText(TUInt128 value) {
  TLimbs limbs = ToLimbs(value);
  std::string digits;  // least significant first
  do {
    // Nine digits at a time; the last group written carries no leading zeros.
    std::uint32_t group = DivideLimbs(limbs, 1000000000u);
    const bool last = AllZero(limbs);
    for (int i = 0; i < 9 && !(last && group == 0 && i > 0); ++i) {
      digits.push_back(static_cast<char>('0' + group % 10));
      group /= 10;
    }
  } while (!AllZero(limbs));
  std::reverse(digits.begin(), digits.end());
  return digits;
}

bool TryParseUInt128(std::string_view text, TUInt128& value) {
  if (text.empty()) return false;
  TLimbs limbs{};
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    if (!MultiplyAddLimbs(limbs, 10, static_cast<std::uint32_t>(c - '0'))) return false;
  }
  value = FromLimbs(limbs);
  return true;
}

TUInt128 Multiply(std::uint64_t a, std::uint64_t b) {
  // Four 32 × 32-bit partial products; the middle ones are added with their carries.
  const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
  const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow;
  const std::uint64_t highLow = aHigh * bLow;
  const std::uint64_t lowHigh = aLow * bHigh;
  const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
  return {(middle << 32) | (lowLow & 0xFFFFFFFFu), aHigh * bHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32)};
}

bool TryMultiply(TUInt128& value, std::uint64_t factor) {
  const TUInt128 low = Multiply(value.low, factor);
  const TUInt128 high = Multiply(value.high, factor);
  const std::uint64_t top = low.high + high.low;
  if (high.high != 0 || top < low.high) return false;
  value = {low.low, top};
  return true;
}

TUInt128 Divide(TUInt128 value, std::uint64_t divisor, std::uint64_t& remainder) {
  if (value.high == 0) {
    remainder = value.low % divisor;
    return {value.low / divisor, 0};
  }
  // Binary long division. The running remainder stays below the divisor, so a
  // shift that pushes a bit out of 64 leaves a value at least the divisor, and
  // the subtraction, taken modulo 2^64, brings it back below.
  TUInt128 quotient;
  std::uint64_t rest = 0;
  for (int bit = 127; bit >= 0; --bit) {
    const bool carry = (rest >> 63) != 0;
    const std::uint64_t half = bit >= 64 ? value.high : value.low;
    rest = (rest << 1) | ((half >> (bit % 64)) & 1);
    if (carry || rest >= divisor) {
      rest -= divisor;
      (bit >= 64 ? quotient.high : quotient.low) |= std::uint64_t{1} << (bit % 64);
    }
  }
  remainder = rest;
  return quotient;
}

double ToDouble(TUInt128 value) {
  return std::ldexp(static_cast<double>(value.high), 64) + static_cast<double>(value.low);
}

}  // namespace vexa
