// The text of the history file (docs/HISTORY-FILE.md): a version line, then one
// reading per line, each ending in a checksum of the line, so a line cut short or
// damaged is known as such and skipped on its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "history/SmartReading.h"

namespace vexa {

inline constexpr int kHistoryVersion = 1;
inline constexpr std::string_view kHistoryVersionPrefix = "Vexa SMART history ";

// "Vexa SMART history 1".
std::string HistoryVersionLine();
// The version of a version line; none when the line is not one.
std::optional<int> ParseHistoryVersionLine(std::string_view line);

// "YYYY-MM-DD" and "YYYY-MM-DD HH:MM": a reading's date as the pages and drawings
// show it.
std::string HistoryDateText(const TCalendarTime& time);
std::string HistoryMinuteText(const TCalendarTime& time);

// One reading as a line, without the line break.
std::string FormatHistoryLine(const TSmartReading& reading);
// A line's text with its checksum appended: " #" and the CRC-32 of the text in 8
// hexadecimal digits. Every line but the version line ends so.
std::string SealHistoryLine(std::string_view body);

enum class TLineStatus {
  Reading,     // a sound reading
  Damaged,     // a reading line whose checksum or fields do not hold
  Unknown,     // a sound line of a kind this version does not know (a newer writer's)
};
struct TParsedLine {
  TLineStatus status = TLineStatus::Damaged;
  TSmartReading reading;
  std::string problem;  // why a damaged line is damaged
};
// Fields this version does not know are passed over, so a newer writer may add them.
TParsedLine ParseHistoryLine(std::string_view line);

}  // namespace vexa
