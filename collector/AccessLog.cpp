// A request is served start to end on one worker thread, so the pre-routing handler
// can leave its start time in a thread-local for the logger, which runs after the
// answer is written. The logger clears it: a request that never reached routing
// logs no duration rather than another request's.
#include "AccessLog.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace vexa::collector {

namespace {

struct TAccessEntry {
  std::int64_t unixMillis = 0;
  std::string remote;
  std::string method;
  std::string path;
  int status = 0;
  std::size_t bytes = 0;
  std::optional<double> milliseconds;
  std::optional<std::int64_t> report;
};

thread_local std::optional<std::chrono::steady_clock::time_point> requestStart;

// The length of the UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  return overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF ? 0 : length;
}

// A JSON string; bytes that are not UTF-8 become U+FFFD.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(text, i);
    const char c = text[i];
    if (length == 0) {
      quoted += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      quoted += escape;
    } else {
      quoted.append(text, i, length);
    }
    i += length;
  }
  return quoted + '"';
}

std::string IsoUtc(std::int64_t unixMillis) {
  const auto seconds = static_cast<std::time_t>(unixMillis / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[48];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(unixMillis % 1000));
  return text;
}

// The number a stored submission was answered with.
std::optional<std::int64_t> StoredReport(const httplib::Request& request, const httplib::Response& response) {
  if (request.method != "POST" || request.path != "/vexa/submit.php" || response.status != 200) return std::nullopt;
  const std::string& body = response.body;
  if (body.empty() || body.size() > 18 || body.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoll(body);
}

std::string AccessLogLine(const TAccessEntry& entry) {
  std::string line = "{\"time\":" + Quoted(IsoUtc(entry.unixMillis)) + ",\"remote\":" + Quoted(entry.remote) +
                     ",\"method\":" + Quoted(entry.method) + ",\"path\":" + Quoted(entry.path) +
                     ",\"status\":" + std::to_string(entry.status) + ",\"bytes\":" + std::to_string(entry.bytes) +
                     ",\"ms\":";
  if (entry.milliseconds) {
    char milliseconds[32];
    std::snprintf(milliseconds, sizeof milliseconds, "%.3f", *entry.milliseconds);
    line += milliseconds;
  } else {
    line += "null";
  }
  if (entry.report) line += ",\"report\":" + std::to_string(*entry.report);
  return line + "}\n";
}

}  // namespace

void NoteRequestStart() { requestStart = std::chrono::steady_clock::now(); }

void InstallAccessLog(httplib::Server& server) {
  server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
    TAccessEntry entry;
    entry.unixMillis = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    if (requestStart) {
      entry.milliseconds =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *requestStart).count();
      requestStart.reset();
    }
    entry.remote = request.remote_addr;
    entry.method = request.method;
    entry.path = request.path;
    entry.status = response.status;
    entry.bytes = response.body.size();
    entry.report = StoredReport(request, response);
    // One write per line, so that lines of parallel requests never interleave.
    const std::string line = AccessLogLine(entry);
    std::fwrite(line.data(), 1, line.size(), stderr);
  });
}

}  // namespace vexa::collector
