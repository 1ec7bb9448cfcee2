// 128-bit arithmetic on 32-bit limbs: every step multiplies or divides one limb by
// a small number inside a 64-bit intermediate, which every compiler has.
#include "support/UInt128.h"

#include <algorithm>
#include <array>

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

long double ToLongDouble(TUInt128 value) {
  return static_cast<long double>(value.high) * 18446744073709551616.0L + static_cast<long double>(value.low);
}

}  // namespace vexa
