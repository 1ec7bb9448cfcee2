// The drive report the Submit page sends and vexa-cli prints: one JSON document per
// device, its members in a fixed order that the receiving service relies on, built
// from the device record, the status properties and the machine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa {

class TDeviceInfo;
class TJsonReader;

inline constexpr std::size_t kReportEmailLimit = 254;    // characters
inline constexpr std::size_t kReportCommentLimit = 512;  // characters
// The key of each attribute's raw value: 原 and U+FFFD, as the service knows it.
inline constexpr std::string_view kReportRawValueKey = "原\uFFFD";

// The e-mail as sent: its first 254 characters, or empty unless they hold "@" and ".".
std::string ReportEmail(std::string_view email);
// The comment as sent: its first 512 characters.
std::string ReportComment(std::string_view comment);

// Clears json and appends the report of the device; without a device the document
// stays empty. The status properties come from App() (empty texts when there are none).
void BuildReport(TJsonReader& json, const TDeviceInfo* device, std::string_view email, std::string_view comment);

}  // namespace vexa
