// What the collector requires of a drive report before it stores one: UTF-8, JSON of
// bounded depth, every member the client writes with its kind, and no NUL in a text.
// A report that passes is stored exactly as received.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexa::collector {

// A refused report; the message is the short reason the client gets with status 400.
class EBadReport : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The members the listings and the queries by model need, taken from an accepted report.
struct TReportSummary {
  std::string model;
  std::string firmware;
  std::string kind;
  std::int64_t sizeBytes = -1;
};

// The member of a SMART attribute that holds its raw value: 原 and U+FFFD.
inline constexpr std::string_view RawValueKey = "\xE5\x8E\x9F\xEF\xBF\xBD";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The parsed report; throws EBadReport naming the first thing wrong.
nlohmann::json ParseReport(std::string_view text);
TReportSummary SummarizeReport(const nlohmann::json& report);
// True for the key of a member the report format defines (at any level).
bool IsReportMemberName(std::string_view key);

}  // namespace vexa::collector
