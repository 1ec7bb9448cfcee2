// An unsigned 128-bit count, for the NVMe health log's counters and for exact
// products of 64-bit counts. The 32-bit Windows compiler has no 128-bit integer,
// so the value is two 64-bit halves with the few operations the program needs:
// exact decimal text, products, quotients and their order.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "support/Bytes.h"

namespace vexa {

struct TUInt128 {
  std::uint64_t low = 0;
  std::uint64_t high = 0;

  friend bool operator==(const TUInt128&, const TUInt128&) = default;
  friend std::strong_ordering operator<=>(const TUInt128& a, const TUInt128& b) {
    return a.high != b.high ? a.high <=> b.high : a.low <=> b.low;
  }
  bool IsZero() const { return low == 0 && high == 0; }
};

// 16 bytes little-endian at offset (bytes beyond the buffer read as 0).
TUInt128 GetU128(TBytes buffer, std::size_t offset);
void PutU128(TMutableBytes buffer, std::size_t offset, TUInt128 value);
// The nearest double, for placing a value on a scale (not for its digits).
double ToDouble(TUInt128 value);
// The exact decimal digits, without separators ("0" for zero; up to 39 digits).
std::string DecimalText(TUInt128 value);
// Reads decimal digits only; false when empty, not digits or beyond 128 bits.
bool TryParseUInt128(std::string_view text, TUInt128& value);
// The whole product of two 64-bit values.
TUInt128 Multiply(std::uint64_t a, std::uint64_t b);
// value × factor; false (and value unchanged) when the product needs more than 128 bits.
bool TryMultiply(TUInt128& value, std::uint64_t factor);
// value ÷ divisor truncated, and its remainder; divisor must not be 0.
TUInt128 Divide(TUInt128 value, std::uint64_t divisor, std::uint64_t& remainder);

}  // namespace vexa
