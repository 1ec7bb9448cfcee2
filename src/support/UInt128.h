// An unsigned 128-bit count, for the NVMe health log's counters. The 32-bit
// Windows compiler has no 128-bit integer, so the value is two 64-bit halves with
// the few operations the program needs: exact decimal text and an approximate
// floating value for sizes.
#pragma once

#include <cstdint>
#include <string>

#include "support/Bytes.h"

namespace vexa {

struct TUInt128 {
  std::uint64_t low = 0;
  std::uint64_t high = 0;

  friend bool operator==(const TUInt128&, const TUInt128&) = default;
  bool IsZero() const { return low == 0 && high == 0; }
};

// 16 bytes little-endian at offset (bytes beyond the buffer read as 0).
TUInt128 GetU128(TBytes buffer, std::size_t offset);
void PutU128(TMutableBytes buffer, std::size_t offset, TUInt128 value);
// The exact decimal digits, without separators ("0" for zero; up to 39 digits).
std::string DecimalText(TUInt128 value);
// Reads decimal digits only; false when empty, not digits or beyond 128 bits.
bool TryParseUInt128(std::string_view text, TUInt128& value);
// The value as a long double (exact up to 2^64, rounded beyond).
long double ToLongDouble(TUInt128 value);

}  // namespace vexa
