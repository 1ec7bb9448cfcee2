// Implementations of the small helpers.
#include "support/Utils.h"

#include <cmath>
#if defined(_WIN32) && defined(__i386__)
#include <float.h>
#endif
#include <filesystem>
#include <system_error>

#include "support/Format.h"
#include "support/Paths.h"
#include "support/UInt128.h"

namespace vexa {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(product < 0 ? -product : product);
  const std::uint64_t divisor = static_cast<std::uint64_t>(c < 0 ? -static_cast<std::int64_t>(c) : c);
  const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
  if (quotient > 0x7FFFFFFFu) return -1;  // overflow, as the platform answers
  return negative ? -static_cast<std::int32_t>(quotient) : static_cast<std::int32_t>(quotient);
}

std::uint64_t MulDivFloor(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  if (c == 0) return kMost;
  std::uint64_t remainder = 0;
  const TUInt128 quotient = Divide(Multiply(a, b), c, remainder);
  return quotient.high != 0 ? kMost : quotient.low;
}

long double AddTenths(long double value, int tenths) {
#if defined(_WIN32) && defined(__i386__)
  // Volatile operands are read, and the sum written, between the precision changes.
  const unsigned int saved = _controlfp(0, 0);
  _controlfp(_PC_64, _MCW_PC);
  volatile long double base = value;
  volatile long double step = tenths;
  volatile long double sum = base + step / 10;
  _controlfp(saved, _MCW_PC);
  return sum;
#else
  return value + static_cast<long double>(tenths) / 10;
#endif
}

std::string BitString(std::uint32_t value, int width) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + (value & 1)));
    value >>= 1;
  } while (value != 0);
  width = Clamp(width, 0, 255);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

TColor Blend(TColor from, TColor to, int amount) {
  TColor result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((from >> shift) & 0xFF);
    const int b = static_cast<int>((to >> shift) & 0xFF);
    const int channel = a + (b - a) * amount / 255;
    result |= static_cast<TColor>(channel & 0xFF) << shift;
  }
  return result;
}

TColor HsvToColor(double hue, double saturation, double value) {
  // Written so that NaN fails every test: settings and machine files carry any float.
  if (!(saturation >= 0 && saturation <= 1 && value >= 0 && value <= 1 && std::isfinite(hue))) return 0;
  const double c = value * saturation;
  const double h = std::fmod(std::fabs(hue), 360.0) / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  const double m = value - c;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
  }
  // nearbyint rounds halves to even in the default rounding mode.
  auto channel = [m](double v) { return static_cast<TColor>(std::nearbyint((v + m) * 255)) & 0xFF; };
  return channel(r) | (channel(g) << 8) | (channel(b) << 16);
}

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

static std::string EnglishLongDate(int year, int month, int day) {
  static constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
  return Format("%d %s %d", day, kMonths[month - 1], year);
}

static TLongDateFormatter longDateFormatter = EnglishLongDate;

void SetLongDateFormatter(TLongDateFormatter formatter) {
  longDateFormatter = formatter ? formatter : EnglishLongDate;
}

std::string FormatVersion(std::uint32_t version, bool shortForm) {
  const int yy = static_cast<int>((version >> 16) & 0xFF);
  const int mm = static_cast<int>((version >> 8) & 0xFF);
  const int dd = static_cast<int>(version & 0xFF);
  if (shortForm) return Format("%.2d.%.2d.%.2d", yy, mm, dd);
  if (!IsValidDate(2000 + yy, mm, dd)) return {};
  return longDateFormatter(2000 + yy, mm, dd);
}

bool FileExists(std::string_view path) {
  std::error_code error;
  const auto status = std::filesystem::status(PathFromUtf8(path), error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace vexa
