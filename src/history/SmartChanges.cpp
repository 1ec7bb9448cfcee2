#include "history/SmartChanges.h"

#include <algorithm>

#include "knowledge/SmartMeanings.h"

namespace vexa {

namespace {

constexpr std::uint64_t kUsedWarning = 90;
constexpr std::uint64_t kUsedUp = 100;

bool Reached(const TSmartRow& row) {
  // A row whose current and worst are both 0 carries no verdict (as on the SMART page).
  return row.threshold != 0 && !(row.current == 0 && row.worst == 0) && row.current <= row.threshold;
}

TRowChange CompareAta(std::optional<TSmartDescriptorKind> kind, const TSmartRow* a, const TSmartRow* b) {
  TRowChange change;
  change.id = (b ? b : a)->id;
  change.before = a != nullptr;
  change.after = b != nullptr;
  if (a) change.oldRow = *a;
  if (b) change.newRow = *b;
  if (!a || !b) return change;
  const TSmartMeaning meaning = kind ? SmartMeaning(*kind, change.id) : TSmartMeaning::Other;
  if (meaning == TSmartMeaning::Temperature || meaning == TSmartMeaning::PowerOnHours) {
    change.reset = meaning == TSmartMeaning::PowerOnHours && b->raw < a->raw;
    return change;
  }
  if (IsGrowingCounter(meaning) && b->raw < a->raw) change.reset = true;
  else if (IsFailureCounter(meaning) && b->raw > a->raw) change.worse = TWorseReason::CounterRose;
  if (!change.IsWorse() && Reached(*b) && !Reached(*a)) change.worse = TWorseReason::ReachedThreshold;
  return change;
}

bool IsNvmeCounter(std::string_view key) {
  // The 128-bit counters of the log, which only grow.
  return key == "data_units_read" || key == "data_units_written" || key == "host_read_commands" ||
         key == "host_write_commands" || key == "controller_busy_minutes" || key == "power_cycles" ||
         key == "power_on_hours" || key == "unsafe_shutdowns" || key == "media_errors" || key == "error_log_entries";
}

TUInt128 HealthOf(const TSmartReading& reading, std::string_view key) {
  const TNvmeValue* value = reading.FindHealth(key);
  return value ? value->value : TUInt128{};
}

TRowChange CompareNvme(const TSmartReading& before, const TSmartReading& after, const TNvmeValue* a,
                       const TNvmeValue* b) {
  TRowChange change;
  change.key = (b ? b : a)->key;
  change.before = a != nullptr;
  change.after = b != nullptr;
  if (a) change.oldValue = a->value;
  if (b) change.newValue = b->value;
  if (!a || !b) return change;
  const std::string_view key = change.key;
  const TUInt128 oldValue = a->value, newValue = b->value;
  if (IsNvmeCounter(key) && newValue < oldValue) {
    change.reset = true;
  } else if (key == "media_errors" && newValue > oldValue) {
    change.worse = TWorseReason::CounterRose;
  } else if (key == "available_spare") {
    const TUInt128 oldThreshold = HealthOf(before, "available_spare_threshold");
    const TUInt128 newThreshold = HealthOf(after, "available_spare_threshold");
    if (newValue < newThreshold && !(oldValue < oldThreshold)) change.worse = TWorseReason::SpareBelowThreshold;
  } else if (key == "percentage_used") {
    const auto crossed = [&](std::uint64_t mark) { return oldValue < TUInt128{mark, 0} && newValue >= TUInt128{mark, 0}; };
    if (crossed(kUsedUp)) change.worse = TWorseReason::UsedReached100;
    else if (crossed(kUsedWarning)) change.worse = TWorseReason::UsedReached90;
  } else if (key == "critical_warning") {
    if (newValue.low & ~oldValue.low) change.worse = TWorseReason::WarningBitSet;
  }
  return change;
}

}  // namespace

bool TReadingChanges::AnyWorse() const {
  return verdictWorse || std::any_of(rows.begin(), rows.end(), [](const TRowChange& row) { return row.IsWorse(); });
}

bool TReadingChanges::AnyReset() const {
  return std::any_of(rows.begin(), rows.end(), [](const TRowChange& row) { return row.reset; });
}

const TRowChange* TReadingChanges::Find(std::uint8_t id) const {
  const auto found = std::find_if(rows.begin(), rows.end(), [id](const TRowChange& row) { return row.key.empty() && row.id == id; });
  return found == rows.end() ? nullptr : &*found;
}

const TRowChange* TReadingChanges::Find(std::string_view key) const {
  const auto found = std::find_if(rows.begin(), rows.end(), [key](const TRowChange& row) { return !key.empty() && row.key == key; });
  return found == rows.end() ? nullptr : &*found;
}

TReadingChanges CompareReadings(const TSmartReading& before, const TSmartReading& after) {
  TReadingChanges changes;
  changes.firmwareChanged = before.firmware != after.firmware;
  changes.oldVerdict = before.verdict;
  changes.newVerdict = after.verdict;
  // No verdict before (a failed read) says nothing about getting worse.
  changes.verdictWorse = before.verdict != TSmartStatus::None && after.verdict > before.verdict;

  // A reading judged by another family than before is judged by the later one's.
  const std::optional<TSmartDescriptorKind> kind = SmartDescriptorKindOf(after.descriptor);
  for (const TSmartRow& row : after.rows) {
    const TSmartRow* old = before.FindRow(row.id);
    if (old && *old == row) continue;
    changes.rows.push_back(CompareAta(kind, old, &row));
  }
  for (const TSmartRow& row : before.rows)
    if (!after.FindRow(row.id)) changes.rows.push_back(CompareAta(kind, &row, nullptr));

  for (const TNvmeValue& value : after.health) {
    const TNvmeValue* old = before.FindHealth(value.key);
    if (old && *old == value) continue;
    changes.rows.push_back(CompareNvme(before, after, old, &value));
  }
  for (const TNvmeValue& value : before.health)
    if (!after.FindHealth(value.key)) changes.rows.push_back(CompareNvme(before, after, &value, nullptr));
  return changes;
}

std::string_view WorseReasonText(TWorseReason reason) {
  switch (reason) {
    case TWorseReason::None: return "";
    case TWorseReason::CounterRose: return "count rose";
    case TWorseReason::ReachedThreshold: return "reached its threshold";
    case TWorseReason::SpareBelowThreshold: return "spare fell under its threshold";
    case TWorseReason::UsedReached90: return "life used reached 90 %";
    case TWorseReason::UsedReached100: return "life used reached 100 %";
    case TWorseReason::WarningBitSet: return "critical warning set";
    case TWorseReason::VerdictWorse: return "verdict got worse";
  }
  return "";
}

}  // namespace vexa
