// The program's SMART history: the history file beside the settings, the history.*
// settings, a reading of a drive each time its SMART data is read, and what the
// pages say from it (the rows that moved since the previous reading, and when the
// drive last got worse). One instance per process, reached through App().history;
// without one, or with history off, the program reads drives as it always did.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/SmartHistory.h"

namespace vexa {

class TDeviceInfo;
class TEasyConfig;
class TConfigVarBool;
class TConfigVarInt;
class TConfigVar;
class TSmartDescriptor;

struct THistorySettingsVars {
  TConfigVarBool* enabled = nullptr;
  TConfigVarInt* intervalMinutes = nullptr;  // a reading without change is stored after this long
  TConfigVarInt* sizeLimitKib = nullptr;     // past this the file is thinned
};
// history.enabled (屬實), history.interval_minutes (60, 1 .. 525600) and
// history.size_limit_kib (4096, 64 .. 1048576).
THistorySettingsVars RegisterHistorySettings(TEasyConfig& store);

// The drive's SMART data as last read, as a reading taken at time: an ATA drive's
// attribute table through its descriptor, an NVMe drive's health log. None when
// there is nothing to keep (no table, no log, no model and serial to know it by).
std::optional<TSmartReading> ReadingOfDevice(const TDeviceInfo& device, const TCalendarTime& time);

// When the drive last got worse: the first reading that was worse than the one
// before it, the latest such pair in the history.
struct TWorsening {
  TCalendarTime since;   // the reading that was worse
  TCalendarTime before;  // the reading before it
  TReadingChanges changes;
};

// Chinese words for a reason, as the pages show them ("到達臨界值").
std::string_view WorseReasonWords(TWorseReason reason);
// How a row moved, as the SMART page's change column shows it: "目前值 241 → 212",
// "原始值 22047 → 29259", both joined by "; ", "新" for a new row; " (歸零)" ends a
// counter that was reset.
std::string RowChangeText(const TRowChange& change);

// One changed row as a line of its own: "010 Spin Retry Count: 目前值 241 → 212
// (到達臨界值)"; ATA names through the descriptor (none: the id alone), NVMe fields by
// their names on the SMART page.
std::string RowChangeLine(const TRowChange& change, const TSmartDescriptor* descriptor);
// The RowChangeLine of each row that got worse, in the table's order.
std::vector<std::string> WorseRowLines(const TReadingChanges& changes, const TSmartDescriptor* descriptor);

class THistoryKeeper {
public:
  // An empty path: no history at all (a replayed machine without -history).
  explicit THistoryKeeper(std::string path);

  // The settings to follow; read at every Record.
  void SetVariables(const THistorySettingsVars& vars) { variables = vars; }
  // The file is named and history.enabled is on.
  bool Enabled() const;
  const std::string& Path() const { return path; }

  // Stores the device's reading when the history rules say so. None when nothing
  // was tried: history off, a device with nothing to keep, or the file already
  // refused (said once in Messages).
  std::optional<TRecordResult> Record(const TDeviceInfo& device, const TCalendarTime& time);
  // The file as last read (loaded on first use); none without a file.
  const TSmartHistory* History();

  // Between the drive's last two stored readings; none with fewer than two.
  std::optional<TReadingChanges> LastChanges(const TDeviceInfo& device);
  std::optional<TWorsening> LastWorsening(const TDeviceInfo& device);

  // What went wrong since the last call, one sentence each: a sentence is said once
  // however often the file gives cause again.
  std::vector<std::string> TakeMessages();
  // Every message said so far, taken or not, each once: for a page that shows
  // them whenever it is opened.
  const std::vector<std::string>& Said() const { return said; }
  // Why the history is not being written, or empty while it is (or is off by choice).
  const std::string& Problem() const { return problem; }

private:
  THistorySettings CurrentSettings() const;
  void Collect();
  void Say(std::string message);

  std::string path;
  THistorySettingsVars variables;
  std::unique_ptr<TSmartHistory> history;
  bool loaded = false;
  std::string problem;
  std::vector<std::string> said;
  std::size_t taken = 0;  // of said
};

}  // namespace vexa
