// What changed between two readings of one drive, and which changes make the drive
// worse. The one place that decides "worse":
// - ATA: the raw value of a reallocated, pending, uncorrectable, CRC-error or
//   reallocation-event attribute (by its meaning under the reading's descriptor)
//   rises; a normalised value falls to or below its non-zero threshold.
// - NVMe: media errors rise; available spare falls under its threshold; percentage
//   used crosses 90 or 100; a critical-warning bit appears.
// - Both: the verdict gets worse (good to caution or bad, caution to bad).
// Temperature and power-on hours are never worse. A counter that only grows and yet
// fell (a firmware update resetting it, a wrap) is a reset: neither better nor worse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/SmartReading.h"

namespace vexa {

enum class TWorseReason : std::uint8_t {
  None,
  CounterRose,         // a failure counter's raw value rose
  ReachedThreshold,    // the normalised value fell to or below the threshold
  SpareBelowThreshold, // NVMe available spare fell under its threshold
  UsedReached90,       // NVMe percentage used crossed 90
  UsedReached100,      // NVMe percentage used crossed 100
  WarningBitSet,       // an NVMe critical-warning bit appeared
  VerdictWorse,        // the reading's verdict got worse
};

// One attribute row (ATA) or health field (NVMe) that differs between the readings.
struct TRowChange {
  std::uint8_t id = 0;  // the ATA attribute id; 0 for an NVMe field
  std::string key;      // the NVMe field's key; empty for ATA
  bool before = false;  // present in the earlier reading
  bool after = false;   // present in the later one
  TSmartRow oldRow, newRow;        // ATA
  TUInt128 oldValue, newValue;     // NVMe
  TWorseReason worse = TWorseReason::None;
  bool reset = false;   // a growing counter fell

  bool IsWorse() const { return worse != TWorseReason::None; }
};

struct TReadingChanges {
  std::vector<TRowChange> rows;  // in the later reading's order, then rows that went away
  bool firmwareChanged = false;
  TSmartStatus oldVerdict = TSmartStatus::None;
  TSmartStatus newVerdict = TSmartStatus::None;
  bool verdictWorse = false;

  bool AnyWorse() const;
  bool AnyReset() const;
  // The rows changed for the attribute id (ATA) or field key (NVMe); null when unchanged.
  const TRowChange* Find(std::uint8_t id) const;
  const TRowChange* Find(std::string_view key) const;
};

// Changes from `before` to `after`, two readings of one drive (earlier first).
// Readings of different kinds (ATA and NVMe) compare as every row gone and new.
TReadingChanges CompareReadings(const TSmartReading& before, const TSmartReading& after);

// English words for a reason, for logs and the console program ("" for None).
std::string_view WorseReasonText(TWorseReason reason);

}  // namespace vexa
