// What the public is shown of a report. The store keeps every report as it was
// received; each public answer (pages, reports.json, the raw JSON page) goes through
// RedactReport first, so that nothing there leads back to the person who sent it or to
// the one unit they own:
//   信箱            emptied (member kept, so the report keeps its shape)
//   序號            IDENTIFY words 10-19 set to ATA blanks (0x2020), the media serial
//                   (words 176-205) too when present, and every member whose key names
//                   a serial number (serial, serial_number, 序號, ...) emptied
//   全球通用名稱    IDENTIFY words 108-111 zeroed, 裝置訊息.全球通用名稱 and every member
//                   whose key names a world-wide name (wwn, eui64, nguid) emptied
// The texts taken out are also replaced by HiddenMark wherever else they occur (a
// comment that repeats the e-mail address or the serial), in any letter case, in
// values and keys alike; so is anything in a text that reads as an e-mail address.
// The IDENTIFY checksum (word 255) is computed again, as it would otherwise still
// carry a sum of the hidden bytes. The report then holds HiddenKey, listing the three
// names above, and still is a report the collector accepts.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace vexa::collector {

// Who an answer is for: the public (redacted) or a maintainer (the report as received).
enum class TAudience { Public, Maintainer };

inline constexpr std::string_view HiddenKey = "隱藏";
inline constexpr std::string_view HiddenMark = "[已隱藏]";
// The line public pages carry to say what they leave out.
inline constexpr std::string_view HiddenNotice = "為保護提交者，序號、全球通用名稱與電子信箱已隱藏。";
// Shorter texts are blanked where they belong but not searched for elsewhere: a
// serial of "12" would otherwise eat every 12 in the report.
inline constexpr std::size_t MinHiddenTextLength = 4;

// The report must be an object (as every accepted report is); anything else is left alone.
void RedactReport(nlohmann::json& report);
void RedactReport(nlohmann::ordered_json& report);
// A stored report's text as the public sees it, its members in the order received.
std::string PublicReportText(const std::string& storedText);

}  // namespace vexa::collector
