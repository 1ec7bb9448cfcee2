#include "views/HistoryKeeper.h"

#include <algorithm>
#include <utility>

#include "device/DeviceInfo.h"
#include "shell/EasyConfig.h"
#include "support/Format.h"
#include "support/Text.h"
#include "views/NvmeHealthText.h"

namespace vexa {

namespace {

constexpr std::int32_t kMinutesInAYear = 365 * 24 * 60;

}  // namespace

THistorySettingsVars RegisterHistorySettings(TEasyConfig& store) {
  THistorySettingsVars vars;
  vars.enabled = TConfigVarBool::Register(&store, "history", true, "enabled");
  vars.intervalMinutes = TConfigVarInt::Register(&store, "history", 60, "interval_minutes");
  vars.intervalMinutes->minimum = 1;
  vars.intervalMinutes->maximum = kMinutesInAYear;
  vars.sizeLimitKib = TConfigVarInt::Register(&store, "history", 4096, "size_limit_kib");
  vars.sizeLimitKib->minimum = 64;
  vars.sizeLimitKib->maximum = 1024 * 1024;
  return vars;
}

std::optional<TSmartReading> ReadingOfDevice(const TDeviceInfo& device, const TCalendarTime& time) {
  // Without model and serial the drive cannot be known again in a later reading.
  if (Trim(device.model).empty() && Trim(device.serial).empty()) return std::nullopt;
  if (device.IsNvme()) {
    if (!device.nvme.healthRead) return std::nullopt;
    return MakeNvmeReading(device.model, device.serial, device.firmware, time, device.nvme.healthBlock,
                           NvmeHealthStatus(device.nvme));
  }
  if (!device.smartDescriptor || device.smartDescriptor->Attributes() != &device.smartAttributes ||
      device.smartAttributes.Count() == 0)
    return std::nullopt;
  return MakeAtaReading(device.model, device.serial, device.firmware, time, *device.smartDescriptor,
                        device.smartAttributes);
}

std::string_view WorseReasonWords(TWorseReason reason) {
  switch (reason) {
    case TWorseReason::None: return "";
    case TWorseReason::CounterRose: return "計數增加";
    case TWorseReason::ReachedThreshold: return "到達臨界值";
    case TWorseReason::SpareBelowThreshold: return "備用空間低於臨界值";
    case TWorseReason::UsedReached90: return "使用量達 90%";
    case TWorseReason::UsedReached100: return "使用量達 100%";
    case TWorseReason::WarningBitSet: return "出現嚴重警告";
    case TWorseReason::VerdictWorse: return "狀態變差";
  }
  return "";
}

std::string RowChangeText(const TRowChange& change) {
  if (!change.before) return "新";
  if (!change.after) return "已消失";
  std::vector<std::string> parts;
  if (change.key.empty()) {
    const TSmartRow& a = change.oldRow;
    const TSmartRow& b = change.newRow;
    if (a.current != b.current) parts.push_back(Format("目前值 %u → %u", a.current, b.current));
    if (a.worst != b.worst && a.current == b.current) parts.push_back(Format("最差值 %u → %u", a.worst, b.worst));
    if (a.threshold != b.threshold) parts.push_back(Format("臨界值 %u → %u", a.threshold, b.threshold));
    if (a.raw != b.raw) parts.push_back(Format("原始值 %u → %u", a.raw, b.raw));
    if (parts.empty() && a.flags != b.flags) parts.push_back(Format("旗標 %.4x → %.4x", a.flags, b.flags));
  } else {
    parts.push_back(DecimalText(change.oldValue) + " → " + DecimalText(change.newValue));
  }
  std::string text = JoinText(parts, "; ");
  if (change.reset) text += " (歸零)";
  return text;
}

std::string RowChangeLine(const TRowChange& change, const TSmartDescriptor* descriptor) {
  std::string name;
  if (change.key.empty()) {
    name = Format("%.3d", change.id);
    if (descriptor) name += Format(" %s", descriptor->AttributeName(change.id));
  } else {
    const TNvmeHealthField* field = FindNvmeHealthField(change.key);
    name = field ? field->name : change.key;
  }
  std::string line = name + ": " + RowChangeText(change);
  if (change.IsWorse()) line += Format(" (%s)", WorseReasonWords(change.worse));
  return line;
}

std::vector<std::string> WorseRowLines(const TReadingChanges& changes, const TSmartDescriptor* descriptor) {
  std::vector<std::string> lines;
  for (const TRowChange& change : changes.rows)
    if (change.IsWorse()) lines.push_back(RowChangeLine(change, descriptor));
  return lines;
}

THistoryKeeper::THistoryKeeper(std::string file) : path(std::move(file)) {}

bool THistoryKeeper::Enabled() const {
  return !path.empty() && (!variables.enabled || variables.enabled->Value());
}

THistorySettings THistoryKeeper::CurrentSettings() const {
  THistorySettings settings;
  // A value loaded from the settings file is taken as written: held to the bounds here.
  const auto bounded = [](const TConfigVarInt& v) { return std::clamp(v.Value(), v.minimum, v.maximum); };
  if (variables.intervalMinutes) settings.intervalSeconds = std::int64_t{bounded(*variables.intervalMinutes)} * 60;
  if (variables.sizeLimitKib)
    settings.sizeLimit = std::uint64_t{static_cast<std::uint32_t>(bounded(*variables.sizeLimitKib))} * 1024;
  return settings;
}

const TSmartHistory* THistoryKeeper::History() {
  if (path.empty()) return nullptr;
  if (!history) history = std::make_unique<TSmartHistory>(path, CurrentSettings());
  if (!loaded) {
    loaded = true;
    history->Load();
    Collect();
  }
  return history.get();
}

void THistoryKeeper::Collect() {
  for (const std::string& message : history->Messages()) Say(message);
}

void THistoryKeeper::Say(std::string message) {
  if (std::find(said.begin(), said.end(), message) == said.end()) said.push_back(std::move(message));
}

std::optional<TRecordResult> THistoryKeeper::Record(const TDeviceInfo& device, const TCalendarTime& time) {
  if (!Enabled() || !problem.empty()) return std::nullopt;
  const std::optional<TSmartReading> reading = ReadingOfDevice(device, time);
  if (!reading) return std::nullopt;
  History();
  history->SetSettings(CurrentSettings());
  const TRecordResult result = history->Record(*reading);
  Collect();
  if (result == TRecordResult::Refused) {
    problem = history->IsWritable() ? Format("無法寫入歷史記錄檔案 \"%s\"", path)
                                    : Format("\"%s\" 不是此版本可寫入的歷史記錄檔案", path);
    if (history->Messages().empty()) Say("History is off: " + path + " cannot be written.");
  }
  return result;
}

std::optional<TReadingChanges> THistoryKeeper::LastChanges(const TDeviceInfo& device) {
  const TSmartHistory* file = History();
  if (!file) return std::nullopt;
  return file->LastChanges(DriveKey(device.model, device.serial));
}

std::optional<TWorsening> THistoryKeeper::LastWorsening(const TDeviceInfo& device) {
  const TSmartHistory* file = History();
  if (!file) return std::nullopt;
  const std::vector<const TSmartReading*> readings = file->ReadingsOf(DriveKey(device.model, device.serial));
  for (std::size_t i = readings.size(); i-- > 1;) {
    TReadingChanges changes = CompareReadings(*readings[i - 1], *readings[i]);
    if (changes.AnyWorse()) return TWorsening{readings[i]->time, readings[i - 1]->time, std::move(changes)};
  }
  return std::nullopt;
}

std::vector<std::string> THistoryKeeper::TakeMessages() {
  std::vector<std::string> fresh(said.begin() + static_cast<std::ptrdiff_t>(taken), said.end());
  taken = said.size();
  return fresh;
}

}  // namespace vexa
