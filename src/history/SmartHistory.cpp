#include "history/SmartHistory.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "history/HistoryFormat.h"
#include "knowledge/SmartMeanings.h"
#include "support/FileAppend.h"
#include "support/Paths.h"

namespace vexa {

namespace {

// A history file larger than this is someone else's file, not one this program grew.
constexpr std::size_t kLargestReadable = 256u * 1024 * 1024;
// Damaged lines are named one by one up to this many, then counted.
constexpr std::size_t kNamedProblems = 5;

bool IsTemperatureKey(std::string_view key) { return key == "temperature" || key.starts_with("temperature_sensor_"); }

bool IsTemperatureRow(const TSmartReading& reading, std::uint8_t id) {
  const std::optional<TSmartDescriptorKind> kind = SmartDescriptorKindOf(reading.descriptor);
  return SmartMeaning(kind.value_or(TSmartDescriptorKind::Fallback), id) == TSmartMeaning::Temperature;
}

// A reading that tells something its drive's previous one did not, beyond counters
// that grow and temperatures that wander: thinning keeps these always.
bool HoldsAChange(const TSmartReading& previous, const TSmartReading& reading) {
  const TReadingChanges changes = CompareReadings(previous, reading);
  if (changes.firmwareChanged || changes.oldVerdict != changes.newVerdict || previous.descriptor != reading.descriptor)
    return true;
  for (const TRowChange& row : changes.rows) {
    if (row.IsWorse() || row.reset || row.before != row.after) return true;
    if (row.key.empty()) {
      const TSmartRow& a = row.oldRow;
      const TSmartRow& b = row.newRow;
      if (a.flags != b.flags || a.threshold != b.threshold || a.worst != b.worst ||
          (a.current != b.current && !IsTemperatureRow(reading, row.id)))
        return true;
    } else if (!IsTemperatureKey(row.key) && !row.key.ends_with("_minutes") && row.key != "data_units_read" &&
               row.key != "data_units_written" && row.key != "host_read_commands" && row.key != "host_write_commands" &&
               row.key != "power_on_hours" && row.key != "power_cycles" && row.key != "unsafe_shutdowns") {
      return true;
    }
  }
  return false;
}

}  // namespace

bool SameApartFromTemperature(const TSmartReading& a, const TSmartReading& b) {
  if (a.driveKey != b.driveKey || a.firmware != b.firmware || a.descriptor != b.descriptor || a.verdict != b.verdict ||
      a.rows.size() != b.rows.size() || a.health.size() != b.health.size())
    return false;
  for (std::size_t i = 0; i < a.rows.size(); ++i) {
    if (a.rows[i] == b.rows[i]) continue;
    if (a.rows[i].id != b.rows[i].id || !IsTemperatureRow(b, b.rows[i].id)) return false;
  }
  for (std::size_t i = 0; i < a.health.size(); ++i) {
    if (a.health[i] == b.health[i]) continue;
    if (a.health[i].key != b.health[i].key || !IsTemperatureKey(b.health[i].key)) return false;
  }
  return true;
}

TSmartHistory::TSmartHistory(std::string path, THistorySettings settings)
    : path(std::move(path)), settings(settings) {}

std::optional<TSmartHistory::TFileStamp> TSmartHistory::StampOf(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = PathFromUtf8(path);
  TFileStamp stamp;
  stamp.size = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  stamp.time = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  return stamp;
}

// A rescan records every drive, and each Record starts with a Load: reading a file
// of some MiB again for each drive, when nobody else wrote it, is what the stamp saves.
bool TSmartHistory::Load() {
  const std::optional<TFileStamp> stamp = StampOf(path);
  if (stamp && stamp == loadedStamp) {
    messages = loadMessages;
    return true;
  }
  loadedStamp.reset();
  const bool read = Read();
  // A file that changed while it was read is read again next time.
  if (read && stamp && StampOf(path) == stamp) {
    loadedStamp = stamp;
    loadMessages = messages;
  }
  return read;
}

bool TSmartHistory::Read() {
  messages.clear();
  lines.clear();
  readings.clear();
  version = 0;
  foreign = false;
  restart = false;
  fileSize = 0;
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(path), error)) return true;
  std::string contents;
  if (!ReadFileBytes(path, contents, kLargestReadable)) {
    messages.push_back("The history file " + path + " cannot be read (or is larger than 256 MiB); it is left as it is.");
    foreign = true;
    return false;
  }
  fileSize = contents.size();
  if (contents.empty()) return true;

  std::size_t start = 0, number = 0, damaged = 0, unknown = 0;
  std::vector<std::string> problems;
  while (start < contents.size()) {
    const std::size_t end = contents.find('\n', start);
    const bool complete = end != std::string::npos;
    std::string_view line(contents.data() + start, (complete ? end : contents.size()) - start);
    start = complete ? end + 1 : contents.size();
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (number == 1) {
      const std::optional<int> found = ParseHistoryVersionLine(line);
      if (!complete && !found && HistoryVersionLine().starts_with(line)) {
        restart = true;  // the very first write was cut short: nothing to keep
        return true;
      }
      if (!found) {
        messages.push_back("The file " + path + " is no Vexa SMART history (its first line is not \"" +
                           HistoryVersionLine() + "\"); it is not read and never written.");
        foreign = true;
        return true;
      }
      version = *found;
      continue;
    }
    if (line.empty() || ParseHistoryVersionLine(line)) continue;  // two first writers each wrote the version line
    TParsedLine parsed = ParseHistoryLine(line);
    TLine kept{std::string(line), std::nullopt};
    if (parsed.status == TLineStatus::Reading) {
      kept.reading = readings.size();
      readings.push_back(std::move(parsed.reading));
    } else if (parsed.status == TLineStatus::Unknown || version > kVersionWritten) {
      ++unknown;
    } else {
      ++damaged;
      if (problems.size() < kNamedProblems)
        problems.push_back("line " + std::to_string(number) + ": " + parsed.problem);
    }
    lines.push_back(std::move(kept));
  }
  if (damaged > 0) {
    std::string text = "The history file " + path + " has " + std::to_string(damaged) +
                       (damaged == 1 ? " reading" : " readings") + " that could not be read and were skipped (";
    for (std::size_t i = 0; i < problems.size(); ++i) text += (i ? "; " : "") + problems[i];
    if (damaged > problems.size()) text += "; ...";
    messages.push_back(text + "). Every other reading is kept.");
  }
  if (version > kVersionWritten)
    messages.push_back("The history file " + path + " was written by a newer Vexa (format " + std::to_string(version) +
                       "): " + std::to_string(readings.size()) + " readings are understood, " + std::to_string(unknown) +
                       " lines are not; the file is never written by this version.");
  else if (unknown > 0)
    messages.push_back("The history file " + path + " has " + std::to_string(unknown) +
                       " lines of a kind this version does not know; they are skipped and kept.");
  return true;
}

TRecordResult TSmartHistory::Record(const TSmartReading& reading) {
  if (!Load()) return TRecordResult::Refused;
  if (foreign || IsNewer()) return TRecordResult::Refused;
  const std::vector<const TSmartReading*> earlier = ReadingsOf(reading.driveKey);
  if (!earlier.empty()) {
    const TSmartReading& last = *earlier.back();
    if (SameApartFromTemperature(last, reading) &&
        LocalSeconds(reading.time) - LocalSeconds(last.time) < settings.intervalSeconds)
      return TRecordResult::Unchanged;
  }
  std::string line = FormatHistoryLine(reading);
  std::string bytes = line + "\n";
  char lastByte = 0;
  bool endsACutLine = false;
  if (fileSize == 0) {
    bytes = HistoryVersionLine() + "\n" + bytes;
  } else if (LastByteOfFile(path, lastByte) && lastByte != '\n') {
    bytes = "\n" + bytes;  // end a line cut short first
    endsACutLine = true;
  }
  std::string error;
  if (restart) {
    bytes = HistoryVersionLine() + "\n" + line + "\n";
    if (!WriteFileAtomically(path, bytes)) error = "the folder cannot be written";
  } else {
    AppendToFile(path, bytes, error);
  }
  if (!error.empty()) {
    messages.push_back("The reading cannot be added to the history file " + path + ": " + error +
                       ". History is off until it can be written.");
    return TRecordResult::Refused;
  }
  if (version == 0) version = kVersionWritten;
  // What reading the file said still holds after this line, unless the line ended
  // one cut short (said as such) or the file was begun anew.
  const bool saysTheSame = !restart && !endsACutLine;
  // The readings stood for the file before this line (a missing file is no readings).
  const bool stood = loadedStamp.has_value() || fileSize == 0;
  fileSize = restart ? bytes.size() : fileSize + bytes.size();
  restart = false;
  lines.push_back({std::move(line), readings.size()});
  readings.push_back(reading);
  // They still do when the file grew by this line alone.
  loadedStamp.reset();
  const std::optional<TFileStamp> stamp = StampOf(path);
  if (stood && saysTheSame && stamp && stamp->size == fileSize) {
    loadedStamp = stamp;
    loadMessages = messages;
  }
  if (fileSize > settings.sizeLimit) Thin();
  return TRecordResult::Stored;
}

std::vector<const TSmartReading*> TSmartHistory::ReadingsOf(std::string_view driveKey) const {
  std::vector<const TSmartReading*> found;
  for (const TSmartReading& reading : readings)
    if (reading.driveKey == driveKey) found.push_back(&reading);
  std::stable_sort(found.begin(), found.end(), [](const TSmartReading* a, const TSmartReading* b) {
    return LocalSeconds(a->time) < LocalSeconds(b->time);
  });
  return found;
}

std::vector<THistoryPoint> TSmartHistory::Series(std::string_view driveKey, std::uint8_t id) const {
  std::vector<THistoryPoint> points;
  for (const TSmartReading* reading : ReadingsOf(driveKey))
    if (const TSmartRow* row = reading->FindRow(id))
      points.push_back({reading->time, row->current, row->worst, row->threshold, TUInt128{row->raw, 0}});
  return points;
}

std::vector<THistoryPoint> TSmartHistory::Series(std::string_view driveKey, std::string_view healthKey) const {
  std::vector<THistoryPoint> points;
  for (const TSmartReading* reading : ReadingsOf(driveKey))
    if (const TNvmeValue* value = reading->FindHealth(healthKey)) points.push_back({reading->time, 0, 0, 0, value->value});
  return points;
}

std::optional<TReadingChanges> TSmartHistory::LastChanges(std::string_view driveKey) const {
  const std::vector<const TSmartReading*> found = ReadingsOf(driveKey);
  if (found.size() < 2) return std::nullopt;
  return CompareReadings(*found[found.size() - 2], *found.back());
}

void TSmartHistory::Thin() {
  // Per drive, oldest first: which readings hold a change, which repeat the one before.
  std::map<std::string, std::vector<std::size_t>> byDrive;
  for (const TSmartReading& reading : readings) byDrive.try_emplace(reading.driveKey);
  std::vector<bool> removed(readings.size(), false);
  std::vector<std::size_t> drifting;  // readings whose only news is counters growing, temperatures wandering
  for (auto& [key, indexes] : byDrive) {
    for (const TSmartReading* reading : ReadingsOf(key)) indexes.push_back(static_cast<std::size_t>(reading - readings.data()));
    for (std::size_t i = 1; i + 1 < indexes.size(); ++i) {  // the first and the last reading always stay
      const TSmartReading& previous = readings[indexes[i - 1]];
      const TSmartReading& reading = readings[indexes[i]];
      if (previous.SameValues(reading)) removed[indexes[i]] = true;
      else if (!HoldsAChange(previous, reading)) drifting.push_back(indexes[i]);
    }
  }
  std::sort(drifting.begin(), drifting.end(), [this](std::size_t a, std::size_t b) {
    return LocalSeconds(readings[a].time) < LocalSeconds(readings[b].time);
  });
  const auto size = [&] {
    std::uint64_t total = HistoryVersionLine().size() + 1;
    for (const TLine& line : lines)
      if (!line.reading || !removed[*line.reading]) total += line.text.size() + 1;
    return total;
  };
  // Halve the drifting readings, every other one from the oldest, until the file fits.
  while (size() > settings.sizeLimit && !drifting.empty()) {
    std::vector<std::size_t> left;
    for (std::size_t i = 0; i < drifting.size(); ++i) {
      if (i % 2 == 0) removed[drifting[i]] = true;
      else left.push_back(drifting[i]);
    }
    drifting = std::move(left);
  }
  if (std::none_of(removed.begin(), removed.end(), [](bool r) { return r; })) {
    messages.push_back("The history file " + path + " is above its size limit, and every reading in it holds a change; it is kept whole.");
    return;
  }
  std::string contents = HistoryVersionLine() + "\n";
  for (const TLine& line : lines)
    if (!line.reading || !removed[*line.reading]) contents += line.text + "\n";
  if (!WriteFileAtomically(path, contents)) {
    messages.push_back("The history file " + path + " could not be thinned (its folder cannot be written); it stays as it is.");
    return;
  }
  const std::vector<std::string> kept = messages;
  Load();
  messages.insert(messages.begin(), kept.begin(), kept.end());
}

}  // namespace vexa
