#include "history/SmartReading.h"

#include <algorithm>

#include "support/Text.h"
#include "support/Utils.h"

namespace vexa {

const TSmartRow* TSmartReading::FindRow(std::uint8_t id) const {
  const auto found = std::find_if(rows.begin(), rows.end(), [id](const TSmartRow& row) { return row.id == id; });
  return found == rows.end() ? nullptr : &*found;
}

const TNvmeValue* TSmartReading::FindHealth(std::string_view key) const {
  const auto found = std::find_if(health.begin(), health.end(), [key](const TNvmeValue& value) { return value.key == key; });
  return found == health.end() ? nullptr : &*found;
}

bool TSmartReading::SameValues(const TSmartReading& other) const {
  return driveKey == other.driveKey && model == other.model && firmware == other.firmware &&
         descriptor == other.descriptor && verdict == other.verdict && rows == other.rows && health == other.health;
}

std::string DriveKey(std::string_view model, std::string_view serial) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  const auto add = [&hash](std::string_view text) {
    for (const char c : text) {
      hash ^= static_cast<std::uint8_t>(c);
      hash *= 0x100000001B3ull;
    }
  };
  add(Trim(model));
  add(std::string_view("\0", 1));
  add(Trim(serial));
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string key(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) key[static_cast<std::size_t>(i)] = kDigits[hash & 15];
  return key;
}

namespace {

TSmartReading Begin(std::string_view model, std::string_view serial, std::string_view firmware,
                    const TCalendarTime& time) {
  TSmartReading reading;
  reading.driveKey = DriveKey(model, serial);
  reading.time = time;
  reading.model = std::string(Trim(model));
  reading.firmware = std::string(Trim(firmware));
  return reading;
}

}  // namespace

TSmartReading MakeAtaReading(std::string_view model, std::string_view serial, std::string_view firmware,
                             const TCalendarTime& time, const TSmartDescriptor& descriptor,
                             const TSmartAttributes& table) {
  TSmartReading reading = Begin(model, serial, firmware, time);
  reading.descriptor = std::string(descriptor.DisplayName());
  int largest = 0;
  for (std::size_t i = 0; i < table.Count(); ++i) {
    const TSmartEntry entry = table.Entry(i);
    reading.rows.push_back({entry.Id(), entry.Flags(), entry.Current(), entry.Worst(), table.ThresholdOf(entry.Id()),
                            entry.Raw()});
    largest = std::max(largest, static_cast<int>(descriptor.AttributeStatus(entry)));
  }
  reading.verdict = static_cast<TSmartStatus>(largest);
  return reading;
}

TSmartReading MakeNvmeReading(std::string_view model, std::string_view serial, std::string_view firmware,
                              const TCalendarTime& time, TBytes healthLog, TSmartStatus verdict) {
  TSmartReading reading = Begin(model, serial, firmware, time);
  reading.descriptor = std::string(TSmartReading::kNvmeDescriptor);
  reading.verdict = verdict;
  for (const TNvmeHealthField& field : NvmeHealthFields())
    reading.health.push_back({std::string(field.key), NvmeHealthFieldValue(healthLog, field)});
  return reading;
}

std::int64_t LocalSeconds(const TCalendarTime& time) {
  return ((DaysFromCivil(time.year, time.month, time.day) * 24 + time.hour) * 60 + time.minute) * 60 + time.second;
}

}  // namespace vexa
