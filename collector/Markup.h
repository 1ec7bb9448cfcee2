// Texts of reports reach pages and JSON answers only through these: every character
// that could end a text or start markup is escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa::collector {

std::string HtmlEscape(std::string_view text);
// A JSON string literal, quotes included; the text must be UTF-8.
std::string JsonQuote(std::string_view text);
// A form-style escape for query values in links (model names in /vexa/reports.json?model=).
std::string UrlEscape(std::string_view text);
// "2026-12-08 11:18:23 UTC"
std::string FormatUtc(std::int64_t unixSeconds);

}  // namespace vexa::collector
