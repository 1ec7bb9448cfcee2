#include "history/HistoryFormat.h"

#include <charconv>
#include <vector>

#include "support/Crc32.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string Hex(std::uint64_t value, int digits) {
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kHexDigits[value & 15];
  return text;
}

// Texts travel percent-encoded: no blank, separator or control byte reaches the line.
std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '%' || c == ',' || c == ':' || c == '=' || c == '#') {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string TimeText(const TCalendarTime& t) {
  char text[32];
  const auto two = [](char* at, unsigned value) {
    at[0] = static_cast<char>('0' + value / 10 % 10);
    at[1] = static_cast<char>('0' + value % 10);
  };
  const unsigned year = t.year % 10000;
  two(text, year / 100);
  two(text + 2, year % 100);
  text[4] = '-';
  two(text + 5, t.month);
  text[7] = '-';
  two(text + 8, t.day);
  text[10] = 'T';
  two(text + 11, t.hour);
  text[13] = ':';
  two(text + 14, t.minute);
  text[16] = ':';
  two(text + 17, t.second);
  return std::string(text, 19);
}

bool ParseTime(std::string_view text, TCalendarTime& t) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
    return false;
  return ParseNumber(text.substr(0, 4), t.year) && ParseNumber(text.substr(5, 2), t.month) &&
         ParseNumber(text.substr(8, 2), t.day) && ParseNumber(text.substr(11, 2), t.hour) &&
         ParseNumber(text.substr(14, 2), t.minute) && ParseNumber(text.substr(17, 2), t.second) &&
         t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 && t.minute < 60 && t.second < 61;
}

std::string FormatRows(const TSmartReading& reading) {
  std::string text;
  for (const TSmartRow& row : reading.rows) {
    if (!text.empty()) text += ',';
    text += std::to_string(row.id) + '.' + Hex(row.flags, 4) + '.' + std::to_string(row.current) + '.' +
            std::to_string(row.worst) + '.' + std::to_string(row.threshold) + '.' + std::to_string(row.raw);
  }
  return text;
}

bool ParseRows(std::string_view text, std::vector<TSmartRow>& rows) {
  if (text.empty()) return true;
  for (const std::string_view item : Split(text, ',')) {
    const std::vector<std::string_view> parts = Split(item, '.');
    TSmartRow row;
    if (parts.size() != 6 || !ParseNumber(parts[0], row.id) || !ParseNumber(parts[1], row.flags, 16) ||
        !ParseNumber(parts[2], row.current) || !ParseNumber(parts[3], row.worst) ||
        !ParseNumber(parts[4], row.threshold) || !ParseNumber(parts[5], row.raw) || row.raw >> 48)
      return false;
    rows.push_back(row);
  }
  return true;
}

std::string FormatHealth(const TSmartReading& reading) {
  std::string text;
  for (const TNvmeValue& value : reading.health) {
    if (!text.empty()) text += ',';
    text += Escape(value.key) + ':' + DecimalText(value.value);
  }
  return text;
}

bool ParseHealth(std::string_view text, std::vector<TNvmeValue>& health) {
  if (text.empty()) return true;
  for (const std::string_view item : Split(text, ',')) {
    const std::size_t colon = item.find(':');
    TNvmeValue value;
    if (colon == std::string_view::npos || !Unescape(item.substr(0, colon), value.key) || value.key.empty() ||
        !TryParseUInt128(item.substr(colon + 1), value.value))
      return false;
    health.push_back(std::move(value));
  }
  return true;
}

std::string Checksum(std::string_view body) {
  return Hex(Crc32(TBytes(reinterpret_cast<const std::uint8_t*>(body.data()), body.size())), 8);
}

}  // namespace

std::string HistoryDateText(const TCalendarTime& time) { return TimeText(time).substr(0, 10); }

std::string HistoryMinuteText(const TCalendarTime& time) {
  std::string text = TimeText(time).substr(0, 16);
  text[10] = ' ';
  return text;
}

std::string HistoryVersionLine() { return std::string(kHistoryVersionPrefix) + std::to_string(kHistoryVersion); }

std::optional<int> ParseHistoryVersionLine(std::string_view line) {
  line = TrimRight(line);
  if (!line.starts_with(kHistoryVersionPrefix)) return std::nullopt;
  int version = 0;
  if (!ParseNumber(line.substr(kHistoryVersionPrefix.size()), version) || version < 1) return std::nullopt;
  return version;
}

std::string FormatHistoryLine(const TSmartReading& reading) {
  std::string body = "R " + TimeText(reading.time) + " k=" + Escape(reading.driveKey) + " m=" + Escape(reading.model) +
                     " f=" + Escape(reading.firmware) + " d=" + Escape(reading.descriptor) +
                     " v=" + std::to_string(static_cast<int>(reading.verdict));
  body += reading.IsNvme() ? " n=" + FormatHealth(reading) : " a=" + FormatRows(reading);
  return SealHistoryLine(body);
}

std::string SealHistoryLine(std::string_view body) { return std::string(body) + " #" + Checksum(body); }

TParsedLine ParseHistoryLine(std::string_view line) {
  TParsedLine parsed;
  const std::size_t mark = line.rfind(" #");
  if (mark == std::string_view::npos || line.size() - mark != 10) {
    parsed.problem = "cut short, no checksum at its end (a write that did not finish)";
    return parsed;
  }
  const std::string_view body = line.substr(0, mark);
  if (Checksum(body) != line.substr(mark + 2)) {
    parsed.problem = "its checksum does not match (damaged)";
    return parsed;
  }
  const std::vector<std::string_view> fields = Split(body, ' ');
  if (fields[0] != "R") {
    parsed.status = TLineStatus::Unknown;
    return parsed;
  }
  TSmartReading& reading = parsed.reading;
  bool haveKey = false, haveVerdict = false;
  if (fields.size() < 2 || !ParseTime(fields[1], reading.time)) {
    parsed.problem = "its time is not a date";
    return parsed;
  }
  for (std::size_t i = 2; i < fields.size(); ++i) {
    const std::size_t equals = fields[i].find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = fields[i].substr(0, equals), value = fields[i].substr(equals + 1);
    bool ok = true;
    if (name == "k") ok = haveKey = Unescape(value, reading.driveKey) && !reading.driveKey.empty();
    else if (name == "m") ok = Unescape(value, reading.model);
    else if (name == "f") ok = Unescape(value, reading.firmware);
    else if (name == "d") ok = Unescape(value, reading.descriptor);
    else if (name == "v") {
      int verdict = 0;
      ok = haveVerdict = ParseNumber(value, verdict) && verdict >= 0 && verdict <= 3;
      reading.verdict = static_cast<TSmartStatus>(verdict);
    } else if (name == "a") ok = ParseRows(value, reading.rows);
    else if (name == "n") ok = ParseHealth(value, reading.health);
    if (!ok) {
      parsed.problem = "its field " + std::string(name) + " does not read";
      return parsed;
    }
  }
  if (!haveKey || !haveVerdict) {
    parsed.problem = "it names no drive or no verdict";
    return parsed;
  }
  parsed.status = TLineStatus::Reading;
  return parsed;
}

}  // namespace vexa
