// The one text formatter of the program: printf-like conventions shared by every
// text the program shows (upper-case %x, %n with thousands separators, `*` widths,
// %-*s columns), float section patterns, byte sizes and GUIDs.
// Formatting never throws on bad formats or missing arguments: what cannot be
// converted is written as the format text itself, so a wrong format shows up in
// the output instead of stopping the program.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "support/UInt128.h"

namespace vexa {

// The separators used by %n and by FormatFloat; the Windows program fills them from
// the user's locale at start, everything else (tests included) keeps the defaults.
struct TNumberFormat {
  char thousandsSeparator = ',';
  char decimalSeparator = '.';
};
TNumberFormat& NumberFormat();

// An exact quotient to write with %n, %f or FormatFloat: the digits come from
// integer division, rounded half away from zero as floats are. A figure that is a
// ratio of counts (a share of a disk, bytes in gigabytes, watts in hundredths)
// goes through this rather than a double, whose last digit can round one way in
// the 32-bit build's x87 arithmetic and the other in everything else. A
// denominator of 0 writes as a float's infinity does.
struct TRatio {
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  constexpr TRatio(T numerator, std::uint64_t denominator)
      : numerator{numerator < 0 ? 0 - static_cast<std::uint64_t>(numerator) : static_cast<std::uint64_t>(numerator), 0},
        denominator(denominator),
        negative(numerator < 0) {}
  constexpr TRatio(TUInt128 numerator, std::uint64_t denominator) : numerator(numerator), denominator(denominator) {}

  TUInt128 numerator;
  std::uint64_t denominator = 1;
  bool negative = false;
};

class TFormatArg {
public:
  enum class TKind : std::uint8_t { Signed, Unsigned, Float, Ratio, Text };

  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  TFormatArg(T value) : bits(sizeof(T) * 8) {
    if constexpr (std::is_signed_v<T>) {
      kind = TKind::Signed;
      signedValue = value;
    } else {
      kind = TKind::Unsigned;
      unsignedValue = value;
    }
  }
  TFormatArg(bool value) : kind(TKind::Unsigned), bits(32), unsignedValue(value ? 1 : 0) {}
  TFormatArg(char value) : kind(TKind::Text), text(&charStore, 1), charStore(value) {}
  TFormatArg(double value) : kind(TKind::Float), floatValue(static_cast<long double>(value)) {}
  TFormatArg(long double value) : kind(TKind::Float), floatValue(value) {}
  TFormatArg(float value) : kind(TKind::Float), floatValue(value) {}
  TFormatArg(const TRatio& value) : kind(TKind::Ratio), ratio(value) {}
  TFormatArg(const char* value) : kind(TKind::Text), text(value ? value : "") {}
  TFormatArg(std::string_view value) : kind(TKind::Text), text(value) {}
  TFormatArg(const std::string& value) : kind(TKind::Text), text(value) {}
  TFormatArg(const TFormatArg& other) { *this = other; }
  TFormatArg& operator=(const TFormatArg& other);

  TKind kind = TKind::Signed;
  std::uint8_t bits = 32;  // width of the integer the caller passed: %x of -1 is FFFFFFFF for 32 bits
  std::int64_t signedValue = 0;
  std::uint64_t unsignedValue = 0;
  long double floatValue = 0;
  TRatio ratio{0, 1};
  std::string_view text;

private:
  char charStore = 0;
};

std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args);

// Conversions: %d %u %x %s %n %f %e %g %c %% with optional "-" (left align), width and
// precision, either of which may be "*" (taken from the next argument). %n and %f
// also take a TRatio.
// %d/%u/%x: precision is the minimum digit count (zero padded). %x digits are upper
// case. %s: precision is the maximum length. %n: thousands separators, 2 decimals
// unless a precision is given. Widths count display columns: an East Asian wide
// character counts two, so columns of Chinese text line up in fixed-pitch fonts.
template <typename... TArgs>
std::string Format(std::string_view format, const TArgs&... args) {
  const std::array<TFormatArg, sizeof...(TArgs)> list{TFormatArg(args)...};
  return FormatArgs(format, list);
}

// Section patterns "positive;negative;zero": 0 and # digit placeholders, "." decimal
// point, "," thousands separators, quoted literals. A zero section of "#" writes nothing.
std::string FormatFloat(std::string_view pattern, long double value);
std::string FormatFloat(std::string_view pattern, const TRatio& value);

// 1024-based: "bytes", "kB", "MB", "GB", "TB", "PB"; 0 gives the empty text.
// Exact: the digits shown are those of the true quotient, rounded half away from zero.
std::string FormatByteSize(std::uint64_t bytes);

// 1000-based, as drive makers count: "512 GB", "1.00 TB", "29.62 TB" (two decimals
// from GB up) of count × unitBytes bytes, exactly as FormatByteSize; 0 gives "0 bytes".
std::string FormatDecimalByteSize(TUInt128 count, std::uint64_t unitBytes = 1);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in lower case from the 16 bytes of a GUID as
// stored (first field 32-bit little-endian, next two 16-bit little-endian, then 8 bytes).
std::string FormatGuid(std::span<const std::uint8_t, 16> guid);

// Display columns of a UTF-8 text (wide East Asian characters count two).
std::size_t DisplayWidth(std::string_view text);

}  // namespace vexa
