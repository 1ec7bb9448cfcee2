// Small free helpers shared across the program: clamping, wrapping, choosing,
// binary text, colour blending and HSV colours, version text, dates, file tests.
// Colours are 32-bit values in the Windows order 0x00BBGGRR (red in the low byte).
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vexa {

using TColor = std::uint32_t;

template <typename T>
constexpr T Choose(T a, T b, bool condition) {
  return condition ? b : a;
}

template <typename T>
constexpr T Clamp(T value, T low, T high) {
  return value < low ? low : value > high ? high : value;
}

// Stepping past one end continues at the other.
template <typename T>
constexpr T Wrap(T value, T low, T high) {
  return value < low ? high : value > high ? low : value;
}

// a * b / c with a 64-bit product, rounded half away from zero; -1 when c is 0
// (the Windows multiply-divide, used for every pixel and font scaling).
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// a × b ÷ c exactly: the product is formed in 128 bits and the quotient truncated,
// then saturated at the largest 64-bit value (also for c = 0). Figures that are a
// ratio of counts (reads per second, microseconds in counter ticks, pixels of a
// share) come from here rather than from a double, so every build gives them alike.
std::uint64_t MulDivFloor(std::uint64_t a, std::uint64_t b, std::uint64_t c);

// value + tenths ÷ 10 in long double's own 64-bit precision, in every build. The
// 32-bit Windows build runs the x87 at double precision for its doubles' sake (see
// CMakeLists.txt), which would round this to 53 bits there and to 64 elsewhere;
// the settings file keeps such values, so they must come out alike.
long double AddTenths(long double value, int tenths);

// Base 2, most significant digit first, padded with 0 on the left to width.
std::string BitString(std::uint32_t value, int width);

TColor Blend(TColor from, TColor to, int amount);
TColor HsvToColor(double hue, double saturation, double value);

// The version packs 0x00YYMMDD. Short: "YY.MM.DD"; long: the date 20YY-MM-DD in the
// long date format of the locale (see SetLongDateFormatter); empty for an invalid date.
std::string FormatVersion(std::uint32_t version, bool shortForm);

// The Windows program formats long dates with the user's locale; elsewhere the
// default writes "d MMMM yyyy" in English.
using TLongDateFormatter = std::string (*)(int year, int month, int day);
void SetLongDateFormatter(TLongDateFormatter formatter);
bool IsValidDate(int year, int month, int day);
// Days from 1970-01-01 to the date of the proleptic Gregorian calendar (negative before).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// True when path (UTF-8) names an existing file, not a directory.
bool FileExists(std::string_view path);

}  // namespace vexa
