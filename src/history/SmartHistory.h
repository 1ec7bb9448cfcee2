// The history file: every reading of every drive of one machine, appended as whole
// lines. A reading is stored only when a value changed (temperature aside) or the
// interval passed since the drive's last one; past the size limit the file is
// thinned, keeping every change and dropping repeats, and written anew beside itself
// and renamed over the old. A file damaged somewhere is read around the damage; a
// file of a newer version is read as far as it is understood and never written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "history/SmartChanges.h"
#include "history/SmartReading.h"

namespace vexa {

struct THistorySettings {
  std::int64_t intervalSeconds = 3600;
  std::uint64_t sizeLimit = 4 * 1024 * 1024;
};

// One point of an attribute's (or health field's) series.
struct THistoryPoint {
  TCalendarTime time;
  std::uint8_t current = 0, worst = 0, threshold = 0;  // ATA only
  TUInt128 raw;                                        // the raw value, or the NVMe field's value
};

enum class TRecordResult {
  Stored,
  Unchanged,  // same values within the interval: nothing written
  Refused,    // not written: a newer file, or the file could not be written (see Messages)
};

class TSmartHistory {
public:
  explicit TSmartHistory(std::string path, THistorySettings settings = {});

  // Reads the file again unless it is as this object last read or wrote it (same
  // size and time); a missing file is an empty history. False when the file exists
  // but cannot be read (a message says why).
  bool Load();
  // Loads the file, then appends the reading unless the interval rule says no;
  // thins the file when it has grown past the limit.
  TRecordResult Record(const TSmartReading& reading);

  const std::string& Path() const { return path; }
  // Takes effect from the next Record.
  void SetSettings(const THistorySettings& newSettings) { settings = newSettings; }
  // Every sound reading, in the file's order.
  const std::vector<TSmartReading>& Readings() const { return readings; }
  // What the last Load or Record skipped or could not do, one sentence each.
  const std::vector<std::string>& Messages() const { return messages; }
  // The file is of a newer version: read as far as understood, never written.
  bool IsNewer() const { return version > kVersionWritten; }
  // The file can take readings: missing, empty, or a history of this version.
  bool IsWritable() const { return !foreign && !IsNewer(); }

  // A drive's readings, oldest first (by the machine's clock; equal times in file order).
  std::vector<const TSmartReading*> ReadingsOf(std::string_view driveKey) const;
  std::vector<THistoryPoint> Series(std::string_view driveKey, std::uint8_t id) const;
  std::vector<THistoryPoint> Series(std::string_view driveKey, std::string_view healthKey) const;
  // Between the drive's last two readings; none with fewer than two.
  std::optional<TReadingChanges> LastChanges(std::string_view driveKey) const;

private:
  static constexpr int kVersionWritten = 1;
  struct TLine {
    std::string text;
    std::optional<std::size_t> reading;  // index into readings for a sound reading line
  };

  // What tells that the file is as it was: other programs only append to it or
  // replace it whole, and either changes its size or its time.
  struct TFileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    bool operator==(const TFileStamp&) const = default;
  };
  static std::optional<TFileStamp> StampOf(const std::string& path);

  bool Read();
  void Thin();

  std::string path;
  THistorySettings settings;
  int version = 0;  // 0: no file yet
  bool foreign = false;  // not a history file, or unreadable: never written
  bool restart = false;  // only a cut version line: written anew
  std::vector<TLine> lines;  // every line after the version line, as read
  std::vector<TSmartReading> readings;
  std::uint64_t fileSize = 0;
  std::vector<std::string> messages;
  // The file as the readings above stand for it, and what reading it said; none
  // when the next Load must read it.
  std::optional<TFileStamp> loadedStamp;
  std::vector<std::string> loadMessages;
};

// The same values but for temperatures: what the interval rule compares.
bool SameApartFromTemperature(const TSmartReading& a, const TSmartReading& b);

}  // namespace vexa
