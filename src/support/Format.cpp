// Formatter implementation. Integers are written by hand; floats go through the
// exact decimal expansion of the C library and are then rounded half away from
// zero, so 0.125 with two decimals gives 0.13 on every platform.
#include "support/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "support/Bytes.h"

namespace vexa {

TNumberFormat& NumberFormat() {
  static TNumberFormat format;
  return format;
}

TFormatArg& TFormatArg::operator=(const TFormatArg& other) {
  kind = other.kind;
  bits = other.bits;
  signedValue = other.signedValue;
  unsignedValue = other.unsignedValue;
  floatValue = other.floatValue;
  ratio = other.ratio;
  charStore = other.charStore;
  text = (other.text.data() == &other.charStore) ? std::string_view(&charStore, 1) : other.text;
  return *this;
}

namespace {

// Decodes one UTF-8 sequence at text[i]; invalid bytes count as one character each.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  int length = byte < 0x80 ? 1 : (byte >> 5) == 6 ? 2 : (byte >> 4) == 14 ? 3 : (byte >> 3) == 30 ? 4 : 0;
  if (length == 0 || i + length > text.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = length == 1 ? byte : byte & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  i += length;
  return cp;
}

bool IsWide(char32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

// Byte length of the first `columns` display columns of text.
std::size_t PrefixForColumns(std::string_view text, std::size_t columns) {
  std::size_t i = 0, used = 0;
  while (i < text.size()) {
    std::size_t next = i;
    const std::size_t w = IsWide(NextCodePoint(text, next)) ? 2 : 1;
    if (used + w > columns) break;
    used += w;
    i = next;
  }
  return i;
}

void Pad(std::string& out, std::string_view body, int width, bool left) {
  const std::size_t shown = DisplayWidth(body);
  const std::size_t fill = width > 0 && static_cast<std::size_t>(width) > shown ? width - shown : 0;
  if (!left) out.append(fill, ' ');
  out.append(body);
  if (left) out.append(fill, ' ');
}

std::string Digits(std::uint64_t value, unsigned base) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buffer[72];
  int n = 0;
  do {
    buffer[n++] = kDigits[value % base];
    value /= base;
  } while (value != 0);
  std::string result;
  while (n > 0) result.push_back(buffer[--n]);
  return result;
}

std::string Group(std::string_view integerDigits) {
  std::string grouped;
  const std::size_t n = integerDigits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) grouped.push_back(NumberFormat().thousandsSeparator);
    grouped.push_back(integerDigits[i]);
  }
  return grouped;
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  std::size_t i = 0, width = 0;
  while (i < text.size()) width += IsWide(NextCodePoint(text, i)) ? 2 : 1;
  return width;
}

// The digits of |value| rounded half away from zero to `decimals` places, as the
// integer part and the fraction part. Infinities and NaN give empty parts.
struct TDecimal {
  bool negative = false;
  bool finite = true;
  std::string integer;
  std::string fraction;
};

// digits holds the integer digits and then `decimals` fraction digits; the
// rounding has been decided, and is carried here.
static TDecimal SplitDigits(std::string digits, int decimals, bool roundUp, bool negative) {
  TDecimal d;
  if (roundUp) {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i < 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i];
  }
  d.integer = digits.substr(0, digits.size() - decimals);
  d.fraction = digits.substr(digits.size() - decimals);
  std::size_t firstNonZero = d.integer.find_first_not_of('0');
  d.integer = firstNonZero == std::string::npos ? "0" : d.integer.substr(firstNonZero);
  d.negative = negative && !(d.integer == "0" && d.fraction.find_first_not_of('0') == std::string::npos);
  return d;
}

static int DecimalsInRange(int decimals) { return std::max(0, std::min(decimals, 30)); }

static TDecimal ToDecimal(long double value, int decimals) {
  TDecimal d;
  if (!std::isfinite(value)) {
    d.finite = false;
    d.negative = value < 0;
    return d;
  }
  const double magnitude = std::fabs(static_cast<double>(value));
  decimals = DecimalsInRange(decimals);
  // 30 guard digits decide the rounding; the expansion itself is exact in both C libraries.
  std::vector<char> buffer(400);
  int written = std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals + 30, magnitude);
  if (written >= static_cast<int>(buffer.size())) {
    buffer.resize(written + 1);
    std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals + 30, magnitude);
  }
  std::string text(buffer.data());
  const std::size_t point = text.find('.');
  const std::string digits = text.substr(0, point) + text.substr(point + 1, decimals);
  return SplitDigits(digits, decimals, text[point + 1 + decimals] >= '5', std::signbit(value));
}

// Long division: the integer part, then one digit per decimal; the remainder left
// over decides the rounding (half or more rounds up).
static TDecimal ToDecimal(const TRatio& value, int decimals) {
  if (value.denominator == 0) {
    TDecimal d;
    d.finite = false;
    d.negative = value.negative;
    return d;
  }
  decimals = DecimalsInRange(decimals);
  std::uint64_t remainder = 0;
  std::string digits = DecimalText(Divide(value.numerator, value.denominator, remainder));
  for (int i = 0; i < decimals; ++i) {
    std::uint64_t next = 0;
    digits.push_back(static_cast<char>('0' + Divide(Multiply(remainder, 10), value.denominator, next).low));
    remainder = next;
  }
  return SplitDigits(digits, decimals, remainder >= value.denominator - remainder, value.negative);
}

static std::string FixedText(const TDecimal& d, bool grouped) {
  if (!d.finite) return d.negative ? "-INF" : "INF";
  std::string result = d.negative ? "-" : "";
  result += grouped ? Group(d.integer) : d.integer;
  if (!d.fraction.empty()) {
    result.push_back(NumberFormat().decimalSeparator);
    result += d.fraction;
  }
  return result;
}

static std::string ScientificText(long double value, int precision, bool general) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, general ? "%.*G" : "%.*E", precision, static_cast<double>(value));
  std::string text(buffer);
  for (char& c : text)
    if (c == '.') c = NumberFormat().decimalSeparator;
  return text;
}

std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args) {
  std::string out;
  std::size_t next = 0;
  auto takeInt = [&](int& target) -> bool {
    if (next >= args.size()) return false;
    const TFormatArg& a = args[next++];
    if (a.kind == TFormatArg::TKind::Signed)
      target = static_cast<int>(std::clamp<std::int64_t>(a.signedValue, -100000, 100000));
    else if (a.kind == TFormatArg::TKind::Unsigned)
      target = static_cast<int>(std::min<std::uint64_t>(a.unsignedValue, 100000));
    else
      return false;
    return true;
  };

  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out.push_back(c);
      ++i;
      continue;
    }
    const std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    bool left = false, ok = true;
    int width = -1, precision = -1;
    if (i < format.size() && format[i] == '-') {
      left = true;
      ++i;
    }
    if (i < format.size() && format[i] == '*') {
      ok = takeInt(width);
      ++i;
    } else {
      while (i < format.size() && format[i] >= '0' && format[i] <= '9' && width < 100000)
        width = std::max(width, 0) * 10 + (format[i++] - '0');
    }
    if (i < format.size() && format[i] == '.') {
      ++i;
      precision = 0;
      if (i < format.size() && format[i] == '*') {
        ok = takeInt(precision) && ok;
        ++i;
      } else {
        while (i < format.size() && format[i] >= '0' && format[i] <= '9' && precision < 100000)
          precision = precision * 10 + (format[i++] - '0');
      }
    }
    if (width < 0 && width != -1) {  // a negative "*" width means left alignment
      left = true;
      width = -width;
    }
    if (i >= format.size() || !ok || next >= args.size()) {
      out.append(format.substr(start, std::min(i + 1, format.size()) - start));
      i = std::min(i + 1, format.size());
      continue;
    }
    const char type = static_cast<char>(format[i] | 0x20);
    ++i;
    const TFormatArg& arg = args[next++];
    std::string body;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        if (arg.kind == TFormatArg::TKind::Text || arg.kind == TFormatArg::TKind::Float ||
            arg.kind == TFormatArg::TKind::Ratio) {
          body = std::string(format.substr(start, i - start));
          break;
        }
        bool negative = false;
        std::uint64_t magnitude = arg.unsignedValue;
        if (arg.kind == TFormatArg::TKind::Signed) {
          if (type == 'd' && arg.signedValue < 0) {
            negative = true;
            magnitude = 0 - static_cast<std::uint64_t>(arg.signedValue);
          } else {
            magnitude = static_cast<std::uint64_t>(arg.signedValue);
            if (arg.bits < 64 && arg.signedValue < 0) magnitude &= (std::uint64_t{1} << std::max<int>(arg.bits, 32)) - 1;
          }
        }
        std::string digits = Digits(magnitude, type == 'x' ? 16 : 10);
        if (precision > 0 && static_cast<int>(digits.size()) < precision)
          digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
        body = (negative ? "-" : "") + digits;
        break;
      }
      case 's':
        if (arg.kind != TFormatArg::TKind::Text) {
          body = std::string(format.substr(start, i - start));
          break;
        }
        body = precision >= 0 ? std::string(arg.text.substr(0, PrefixForColumns(arg.text, precision)))
                              : std::string(arg.text);
        break;
      case 'c':
        body = arg.kind == TFormatArg::TKind::Text ? std::string(arg.text.substr(0, 1))
                                                   : std::string(1, static_cast<char>(arg.unsignedValue | arg.signedValue));
        break;
      case 'n':
      case 'f':
      case 'e':
      case 'g': {
        long double value = arg.kind == TFormatArg::TKind::Float      ? arg.floatValue
                            : arg.kind == TFormatArg::TKind::Signed   ? static_cast<long double>(arg.signedValue)
                            : arg.kind == TFormatArg::TKind::Unsigned ? static_cast<long double>(arg.unsignedValue)
                                                                      : 0;
        const int decimals = precision < 0 ? 2 : precision;
        if (arg.kind == TFormatArg::TKind::Text || (arg.kind == TFormatArg::TKind::Ratio && type != 'n' && type != 'f')) {
          body = std::string(format.substr(start, i - start));
        } else if (arg.kind == TFormatArg::TKind::Ratio) {
          body = FixedText(ToDecimal(arg.ratio, decimals), type == 'n');
        } else if (type == 'n' || type == 'f') {
          body = FixedText(ToDecimal(value, decimals), type == 'n');
        } else {
          body = ScientificText(value, precision < 0 ? 15 : precision, type == 'g');
        }
        break;
      }
      default:
        body = std::string(format.substr(start, i - start));
        --next;
        break;
    }
    Pad(out, body, width, left);
  }
  return out;
}

// --- FormatFloat ---------------------------------------------------------------

namespace {

std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t begin = 0;
  char quote = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' && sections.size() < 2) {
      sections.push_back(pattern.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  sections.push_back(pattern.substr(begin));
  return sections;
}

// toDecimal gives the magnitude's digits for a number of decimals.
template <typename TToDecimal>
std::string ApplySection(std::string_view section, const TToDecimal& toDecimal) {
  // Layout of the section: literals before the first placeholder, the placeholders
  // (with "." and ","), literals after the last one.
  int intZeros = 0, intPlaces = 0, fracZeros = 0, fracPlaces = 0;
  bool thousands = false, inFraction = false, seenPlaceholder = false;
  std::string prefix, suffix;
  char quote = 0;
  for (std::size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    std::string& literals = seenPlaceholder ? suffix : prefix;
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        literals.push_back(c);
      continue;
    }
    switch (c) {
      case '"':
      case '\'':
        quote = c;
        break;
      case '0':
      case '#':
        seenPlaceholder = true;
        suffix.clear();
        if (inFraction) {
          ++fracPlaces;
          if (c == '0') fracZeros = fracPlaces;
        } else {
          ++intPlaces;
          if (c == '0' || intZeros > 0) ++intZeros;
        }
        break;
      case '.':
        if (!inFraction) {
          inFraction = true;
          seenPlaceholder = true;
          suffix.clear();
        } else {
          literals.push_back(c);
        }
        break;
      case ',':
        if (!inFraction) thousands = true;
        break;
      default:
        literals.push_back(c);
        break;
    }
  }
  if (intPlaces == 0 && fracPlaces == 0 && !inFraction) return prefix + suffix;
  const TDecimal d = toDecimal(fracPlaces);
  std::string integer = d.integer;
  if (integer == "0" && intZeros == 0) integer.clear();
  if (static_cast<int>(integer.size()) < intZeros) integer.insert(0, intZeros - integer.size(), '0');
  std::string fraction = d.fraction;
  while (static_cast<int>(fraction.size()) > fracZeros && fraction.back() == '0') fraction.pop_back();
  std::string number = thousands ? Group(integer) : integer;
  if (!fraction.empty()) {
    number.push_back(NumberFormat().decimalSeparator);
    number += fraction;
  }
  return prefix + number + suffix;
}

// Chooses the section for the value's sign and writes its magnitude there.
// magnitude(decimals) gives the magnitude's digits.
template <typename TMagnitude>
std::string FormatSections(std::string_view pattern, bool zero, bool negative, const TMagnitude& magnitude) {
  const std::vector<std::string_view> sections = SplitSections(pattern);
  if (zero && sections.size() >= 3 && !sections[2].empty()) {
    return ApplySection(sections[2], [](int decimals) { return ToDecimal(TRatio(0, 1), decimals); });
  }
  if (negative && sections.size() >= 2 && !sections[1].empty()) return ApplySection(sections[1], magnitude);
  if (negative) {
    std::string text = ApplySection(sections[0], magnitude);
    const bool allZero = text.find_first_of("123456789") == std::string::npos;
    return allZero ? text : "-" + text;
  }
  return ApplySection(sections[0], magnitude);
}

}  // namespace

std::string FormatFloat(std::string_view pattern, long double value) {
  if (!std::isfinite(value)) return value < 0 ? "-INF" : std::isnan(value) ? "NAN" : "INF";
  const long double magnitude = value < 0 ? -value : value;
  return FormatSections(pattern, value == 0, value < 0,
                        [magnitude](int decimals) { return ToDecimal(magnitude, decimals); });
}

std::string FormatFloat(std::string_view pattern, const TRatio& value) {
  if (value.denominator == 0) return value.negative ? "-INF" : value.numerator.IsZero() ? "NAN" : "INF";
  TRatio magnitude = value;
  magnitude.negative = false;
  return FormatSections(pattern, value.numerator.IsZero(), value.negative && !value.numerator.IsZero(),
                        [&magnitude](int decimals) { return ToDecimal(magnitude, decimals); });
}

std::string FormatDecimalByteSize(TUInt128 count, std::uint64_t unitBytes) {
  static constexpr const char* kUnits[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
  if (count.IsZero() || unitBytes == 0) return "0 bytes";
  // The largest unit not above the size. For unit k the size is count ×
  // unitBytes ÷ 1000^k, reduced by their common factor; a product beyond 128
  // bits is above every unit, and at the largest unit it is the most a count can say.
  TRatio value(0, 1);
  int unit = 0;
  std::uint64_t scale = 1;  // 1000^k
  for (int k = 0; k <= 6; ++k) {
    if (k > 0) scale *= 1000;
    const std::uint64_t common = std::gcd(unitBytes, scale);
    TUInt128 numerator = count;
    const bool fits = TryMultiply(numerator, unitBytes / common);
    if (fits && numerator < TUInt128{scale / common, 0}) break;
    unit = k;
    value = TRatio(fits ? numerator : TUInt128{~std::uint64_t{0}, ~std::uint64_t{0}}, scale / common);
  }
  return Format("%.*n %s", unit >= 3 ? 2 : 0, value, kUnits[unit]);
}

std::string FormatByteSize(std::uint64_t bytes) {
  static constexpr const char* kUnits[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
  if (bytes == 0) return {};
  int unit = 0;
  while (unit != 5 && bytes >> (10 * (unit + 1)) != 0) ++unit;
  // 0, 1, 1, 2, 3, 4 decimals from bytes to PB.
  const int decimals = (unit * 4 + 1) / 5;
  return Format("%.*n %s", decimals, TRatio(bytes, std::uint64_t{1} << (10 * unit)), kUnits[unit]);
}

std::string FormatGuid(std::span<const std::uint8_t, 16> guid) {
  std::string text = Format("{%.8x-%.4x-%.4x-%.2x%.2x-%.2x%.2x%.2x%.2x%.2x%.2x}", GetU32(guid, 0),
                            GetU16(guid, 4), GetU16(guid, 6), guid[8], guid[9], guid[10], guid[11],
                            guid[12], guid[13], guid[14], guid[15]);
  for (char& c : text)
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c | 0x20);
  return text;
}

}  // namespace vexa
