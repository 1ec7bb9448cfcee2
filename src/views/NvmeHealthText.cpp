#include "views/NvmeHealthText.h"

#include <algorithm>
#include <array>

#include "support/Format.h"

namespace vexa {

namespace {

constexpr std::array<std::string_view, 6> kWarningNames{
    "備用空間低於閾值", "溫度超出閾值", "可靠性下降", "唯讀模式", "揮發性記憶體備份失敗", "持久記憶體唯讀"};

constexpr std::uint8_t kLifeWarning = 90;
constexpr std::uint8_t kLifeUsedUp = 100;

bool Is(const TNvmeHealthField& field, std::string_view key) { return field.key == key; }

bool IsTemperature(const TNvmeHealthField& field) {
  return Is(field, "temperature") || field.key.starts_with("temperature_sensor_");
}

}  // namespace

std::string NvmeWarningText(std::uint8_t criticalWarning) {
  std::string text;
  for (std::size_t bit = 0; bit < kWarningNames.size(); ++bit) {
    if (!(criticalWarning & (1u << bit))) continue;
    if (!text.empty()) text += ", ";
    text += kWarningNames[bit];
  }
  if (criticalWarning >> kWarningNames.size()) text += text.empty() ? "保留位元" : ", 保留位元";
  return text.empty() ? "無" : text;
}

std::string NvmeTemperatureText(std::uint16_t kelvin, bool fahrenheit) {
  const std::optional<int> celsius = TNvmeHealthLog::Celsius(kelvin);
  if (!celsius) return {};
  return fahrenheit ? Format("%d °F", *celsius * 9 / 5 + 32) : Format("%d °C", *celsius);
}

std::string NvmeDataUnitsText(TUInt128 units) { return FormatDecimalByteSize(units, kNvmeDataUnitBytes); }

std::string NvmeCountText(TUInt128 count) {
  return count.high == 0 ? Format("%.0n", count.low) : DecimalText(count);
}

std::string NvmeFieldText(const TNvmeHealthField& field, const TNvmeDrive& drive, bool fahrenheit) {
  const TUInt128 raw = NvmeFieldRaw(field, drive);
  if (Is(field, "critical_warning")) return NvmeWarningText(static_cast<std::uint8_t>(raw.low));
  if (IsTemperature(field)) return NvmeTemperatureText(static_cast<std::uint16_t>(raw.low), fahrenheit);
  if (Is(field, "available_spare") || Is(field, "available_spare_threshold") || Is(field, "percentage_used"))
    return Format("%d %%", raw.low);
  if (Is(field, "data_units_read") || Is(field, "data_units_written")) return NvmeDataUnitsText(raw);
  if (Is(field, "power_on_hours")) return NvmeCountText(raw) + " 小時";
  if (field.key.ends_with("_minutes")) return NvmeCountText(raw) + " 分鐘";
  return NvmeCountText(raw);
}

TSmartStatus NvmeFieldStatus(const TNvmeHealthField& field, const TNvmeDrive& drive) {
  const TNvmeHealthLog& health = drive.health;
  if (Is(field, "critical_warning"))
    return health.criticalWarning ? TSmartStatus::CurrentReached : TSmartStatus::Good;
  if (Is(field, "temperature")) {
    if (health.temperature == 0) return TSmartStatus::None;
    const std::uint16_t critical = drive.controller.criticalTemperature;
    const std::uint16_t warning = drive.controller.warningTemperature;
    if (critical != 0 && health.temperature >= critical) return TSmartStatus::CurrentReached;
    if (warning != 0 && health.temperature >= warning) return TSmartStatus::WorstReached;
    return TSmartStatus::Good;
  }
  if (Is(field, "available_spare"))
    return health.availableSpare < health.availableSpareThreshold ? TSmartStatus::CurrentReached : TSmartStatus::Good;
  if (Is(field, "percentage_used")) {
    if (health.percentageUsed >= kLifeUsedUp) return TSmartStatus::CurrentReached;
    return health.percentageUsed >= kLifeWarning ? TSmartStatus::WorstReached : TSmartStatus::Good;
  }
  if (Is(field, "media_errors")) return health.mediaErrors.IsZero() ? TSmartStatus::Good : TSmartStatus::WorstReached;
  return TSmartStatus::None;
}

TSmartStatus NvmeHealthStatus(const TNvmeDrive& drive) {
  int worst = 0;
  for (const TNvmeHealthField& field : NvmeHealthFields())
    worst = std::max(worst, static_cast<int>(NvmeFieldStatus(field, drive)));
  return static_cast<TSmartStatus>(worst);
}

}  // namespace vexa
