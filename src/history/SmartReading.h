// One SMART or NVMe health reading of one drive, as the history keeps it: whose it
// is (a hash of model and serial, never the serial itself), when the machine's clock
// says it was taken, the firmware, the descriptor that names its attributes, every
// attribute row or health field, and the verdict of the whole reading.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/NvmeData.h"
#include "knowledge/SmartDescriptor.h"
#include "platform/Machine.h"
#include "support/UInt128.h"

namespace vexa {

struct TSmartRow {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint8_t threshold = 0;
  std::uint64_t raw = 0;  // 48 bits
  friend bool operator==(const TSmartRow&, const TSmartRow&) = default;
};

// A health-log field by the name the machine file and the console program use.
struct TNvmeValue {
  std::string key;
  TUInt128 value;
  friend bool operator==(const TNvmeValue&, const TNvmeValue&) = default;
};

struct TSmartReading {
  std::string driveKey;    // DriveKey(model, serial)
  TCalendarTime time;      // the machine's local time
  std::string model;
  std::string firmware;
  std::string descriptor;  // the descriptor's display name ("Fallback"); "NVMe" for NVMe drives
  TSmartStatus verdict = TSmartStatus::None;
  std::vector<TSmartRow> rows;       // ATA drives, in the drive's order
  std::vector<TNvmeValue> health;    // NVMe drives, in log order

  bool IsNvme() const { return descriptor == kNvmeDescriptor; }
  static constexpr std::string_view kNvmeDescriptor = "NVMe";

  const TSmartRow* FindRow(std::uint8_t id) const;
  const TNvmeValue* FindHealth(std::string_view key) const;
  // Everything but the time is the same.
  bool SameValues(const TSmartReading& other) const;
};

// 16 lower-case hexadecimal digits of a 64-bit FNV-1a hash of the model, a NUL and
// the serial, each with blanks trimmed. Stable across versions: it is how a drive is
// found again in the file. Not a secret: it only keeps the serial out of sight.
std::string DriveKey(std::string_view model, std::string_view serial);

// A reading of an ATA drive: its table through its descriptor, the verdict the SMART
// page gives (the largest attribute status). No rows when the table is empty.
TSmartReading MakeAtaReading(std::string_view model, std::string_view serial, std::string_view firmware,
                             const TCalendarTime& time, const TSmartDescriptor& descriptor,
                             const TSmartAttributes& table);
// A reading of an NVMe drive's health log, with the verdict the SMART page gives it.
TSmartReading MakeNvmeReading(std::string_view model, std::string_view serial, std::string_view firmware,
                              const TCalendarTime& time, TBytes healthLog, TSmartStatus verdict);

// Seconds from 1970-01-01 00:00 of the local calendar time (no time zone applied:
// only differences between readings of one machine matter).
std::int64_t LocalSeconds(const TCalendarTime& time);

}  // namespace vexa
