// What the parts of the replay machine share: the shape of an answer, the 32-bit
// clamp of counts, and the calendar arithmetic of its virtual clock.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/Machine.h"
#include "support/Utils.h"

namespace vexa::replay {

inline TIoResult Ok(std::size_t bytes) { return {true, static_cast<std::uint32_t>(bytes), 0}; }
inline TIoResult Error(std::uint32_t code) { return {false, 0, code}; }

inline std::uint32_t CapTo32(std::uint64_t value) {
  return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

inline TCalendarTime CivilFromSeconds(std::int64_t seconds, std::uint16_t milliseconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
  TCalendarTime time;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
  time.hour = static_cast<std::uint16_t>(rest / 3600);
  time.minute = static_cast<std::uint16_t>(rest / 60 % 60);
  time.second = static_cast<std::uint16_t>(rest % 60);
  time.milliseconds = milliseconds;
  return time;
}

inline bool ValidCalendarTime(const TCalendarTime& t) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1) return false;
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  const unsigned days = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
  return t.day <= days && t.hour < 24 && t.minute < 60 && t.second < 60 && t.milliseconds < 1000;
}

inline std::int64_t SecondsOf(const TCalendarTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

}  // namespace vexa::replay
