// The SMART page's texts and states. Every cell is computed here from the drive's
// attribute table and descriptor; the page only places them. A row keeps the raw
// value and table position it was built from, so setting changes rewrite cells
// without reading the device again.
#include "views/SmartPageModel.h"

#include <algorithm>

#include "device/NvmeDrive.h"
#include "shell/EasyConfig.h"
#include "support/Format.h"
#include "support/Utils.h"
#include "views/NvmeHealthText.h"

namespace vexa {

const std::array<TListColumn, kSmartColumnCount> SmartPageColumns{{
    {"屬性說明", 155, TColumnAlignment::Left},
    {"ID", 34, TColumnAlignment::Centre},
    {"格式化", 76, TColumnAlignment::Right},
    {"目前", 50, TColumnAlignment::Right},
    {"不良", 50, TColumnAlignment::Right},
    {"閾值", 50, TColumnAlignment::Right},
    {"原始值", 90, TColumnAlignment::Right},
    {"標誌", 95, TColumnAlignment::Left},
    {"標誌說明", 380, TColumnAlignment::Left},
    {"標誌", 50, TColumnAlignment::Right},
}};

const std::array<TSmartFlagName, kSmartFlagCount> SmartFlagNames{{
    {"PW", "PrefailWarranty"},
    {"OC", "OnlineCollection"},
    {"PE", "效能"},
    {"ER", "ErrorRate"},
    {"EC", "EventCount"},
    {"SP", "SelfPreserving"},
}};

namespace {

constexpr std::array<std::string_view, 4> kStatusTexts{"未知", "OK", "慎重", "警報"};
constexpr std::string_view kValueFormat = ",0;;#";
constexpr std::string_view kHexPrefix = "$";
constexpr int kHexRawDigits = 4;

std::string FormatByteValue(std::uint8_t value) {
  return FormatFloat(kValueFormat, static_cast<long double>(value));
}

int StatusIndex(TSmartStatus status) {
  return Clamp(static_cast<int>(status), 0, 3);
}

}  // namespace

std::string_view SmartStatusText(TSmartStatus status) {
  return kStatusTexts[StatusIndex(status)];
}

std::string FormatSmartId(std::uint8_t id, bool hexadecimal) {
  return hexadecimal ? Format("%.2x", id) : Format("%.3d", id);
}

std::string FormatSmartRawValue(std::uint64_t raw, bool hexadecimal) {
  if (raw == 0) return {};
  return hexadecimal ? Format("%s%.*x", kHexPrefix, kHexRawDigits, raw) : Format("%d", raw);
}

std::string SmartFlagsShortText(std::uint16_t flags) {
  std::string text;
  for (int bit = kSmartFlagCount - 1; bit >= 0; --bit) {
    if (flags & (1u << bit)) {
      text += SmartFlagNames[bit].shortName;
      text += ' ';
    }
  }
  if (!text.empty()) text.pop_back();
  return text;
}

std::string SmartFlagsLongText(std::uint16_t flags, std::uint8_t vendorByte) {
  std::string text;
  for (int bit = kSmartFlagCount - 1; bit >= 0; --bit) {
    if (flags & (1u << bit)) {
      text += SmartFlagNames[bit].longName;
      text += ", ";
    }
  }
  if (!text.empty()) text.resize(text.size() - 2);
  if (vendorByte != 0) text.insert(0, Format("[%.2x] ", vendorByte));
  return text;
}

std::string SmartFlagsBinaryText(std::uint16_t flags) {
  return BitString(flags, 6);
}

TSmartPageSettings RegisterSmartPageSettings(TEasyConfig& store) {
  return {TConfigVarBool::Register(&store, "tabs.smart", false, "hex_id"),
          TConfigVarBool::Register(&store, "tabs.smart", true, "hex_raw_value")};
}

void TSmartPageModel::ShowNoDevice() {
  rows.clear();
  verdict.reset();
  selectedRow = -1;
  focusedRow = -1;
}

void TSmartPageModel::FillCells(TSmartPageRow& row, const TSmartDescriptor& descriptor, TSmartEntry entry) const {
  auto& c = row.cells;
  c[static_cast<int>(TSmartColumn::Name)] = descriptor.AttributeName(row.id);
  c[static_cast<int>(TSmartColumn::Id)] = FormatSmartId(row.id, options.hexId);
  c[static_cast<int>(TSmartColumn::Formatted)] = descriptor.FormatRawValue(entry);
  c[static_cast<int>(TSmartColumn::Current)] = FormatByteValue(entry.Current());
  c[static_cast<int>(TSmartColumn::Worst)] = FormatByteValue(entry.Worst());
  c[static_cast<int>(TSmartColumn::Threshold)] = FormatByteValue(descriptor.Attributes()->ThresholdOf(row.id));
  c[static_cast<int>(TSmartColumn::RawValue)] = FormatSmartRawValue(row.raw, options.hexRawValue);
  c[static_cast<int>(TSmartColumn::FlagsShort)] = SmartFlagsShortText(entry.Flags());
  c[static_cast<int>(TSmartColumn::FlagsLong)] = SmartFlagsLongText(entry.Flags(), entry.VendorByte());
  c[static_cast<int>(TSmartColumn::FlagsBinary)] = SmartFlagsBinaryText(entry.Flags());
}

// The table is taken from the descriptor so that names, values, thresholds and
// verdicts can never come from two different drives.
void TSmartPageModel::ShowDevice(const TSmartDescriptor& descriptor, bool smartSupported) {
  ShowNoDevice();
  const TSmartAttributes* attributes = descriptor.Attributes();
  const std::size_t count = attributes ? attributes->Count() : 0;
  if (count == 0) {
    verdict = smartSupported ? TSmartVerdict{"查詢失敗", TStatusState::Warning}
                             : TSmartVerdict{"不支援", TStatusState::Plain};
    return;
  }

  rows.reserve(count);
  int largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const TSmartEntry entry = attributes->Entry(i);
    TSmartPageRow row;
    row.id = entry.Id();
    row.entryIndex = i;
    row.raw = TSmartAttributes::RawValue(entry);
    row.status = descriptor.AttributeStatus(entry);
    FillCells(row, descriptor, entry);
    largest = std::max(largest, StatusIndex(row.status));
    // With a repeated id the first of its rows takes the selection back.
    if (selectedRow < 0 && selectedId != 0 && row.id == selectedId) selectedRow = static_cast<int>(rows.size());
    rows.push_back(std::move(row));
  }
  focusedRow = selectedRow >= 0 ? selectedRow : 0;

  const auto status = static_cast<TSmartStatus>(largest);
  verdict = TSmartVerdict{"狀態:" + std::string(SmartStatusText(status)), static_cast<TStatusState>(largest)};
}

void TSmartPageModel::ShowNvme(const TNvmeDrive& drive, bool fahrenheit) {
  ShowNoDevice();
  if (!drive.healthRead) {
    verdict = TSmartVerdict{"查詢失敗", TStatusState::Warning};
    return;
  }
  int largest = 0;
  for (const TNvmeHealthField& field : NvmeHealthFields()) {
    TSmartPageRow row;
    row.id = static_cast<std::uint8_t>(field.offset);
    row.key = field.key;
    row.entryIndex = rows.size();
    const TUInt128 raw = NvmeFieldRaw(field, drive);
    row.raw = raw.low;
    row.wideRaw = raw.high != 0;
    row.status = NvmeFieldStatus(field, drive);
    auto& c = row.cells;
    c[static_cast<int>(TSmartColumn::Name)] = field.name;
    c[static_cast<int>(TSmartColumn::Id)] = FormatSmartId(row.id, options.hexId);
    c[static_cast<int>(TSmartColumn::Formatted)] = NvmeFieldText(field, drive, fahrenheit);
    if (field.key == "available_spare") {
      c[static_cast<int>(TSmartColumn::Current)] = FormatByteValue(drive.health.availableSpare);
      c[static_cast<int>(TSmartColumn::Threshold)] = FormatByteValue(drive.health.availableSpareThreshold);
    }
    // A 128-bit count does not fit the raw column's 64 bits: it is shown whole.
    c[static_cast<int>(TSmartColumn::RawValue)] =
        raw.high != 0 ? DecimalText(raw) : FormatSmartRawValue(raw.low, options.hexRawValue);
    largest = std::max(largest, StatusIndex(row.status));
    if (selectedRow < 0 && selectedId != 0 && row.id == selectedId) selectedRow = static_cast<int>(rows.size());
    rows.push_back(std::move(row));
  }
  focusedRow = selectedRow >= 0 ? selectedRow : 0;
  verdict = TSmartVerdict{"狀態:" + std::string(SmartStatusText(static_cast<TSmartStatus>(largest))),
                          static_cast<TStatusState>(largest)};
}

void TSmartPageModel::MarkChanges(const TReadingChanges& changes) {
  for (TSmartPageRow& row : rows) {
    const TRowChange* change = row.key.empty() ? changes.Find(row.id) : changes.Find(row.key);
    if (!change) continue;
    row.mark = change->IsWorse() ? TSmartRowMark::Worse : TSmartRowMark::Changed;
    row.change = RowChangeText(*change);
    if (change->IsWorse()) row.change += Format(" (%s)", WorseReasonWords(change->worse));
  }
}

const TSmartPageRow* TSmartPageModel::FindRow(std::uint8_t id, std::string_view key) const {
  for (const TSmartPageRow& row : rows)
    if (key.empty() ? row.key.empty() && row.id == id : row.key == key) return &row;
  return nullptr;
}

void TSmartPageModel::NoteWorsening() {
  if (!verdict) return;
  verdict->text += " (變差)";
  verdict->state = std::max(verdict->state, TStatusState::Warning);
}

void TSmartPageModel::ApplyVerdict(TStatusProperties& properties) const {
  if (verdict) properties.Set(kSmartStatusPropertyIndex, verdict->text, verdict->state);
}

void TSmartPageModel::SelectRow(int row) {
  if (row >= 0 && row < static_cast<int>(rows.size())) {
    selectedRow = row;
    focusedRow = row;
    selectedId = rows[row].id;
  } else {
    selectedRow = -1;
    selectedId = 0;
  }
}

std::vector<TSmartCellChange> TSmartPageModel::SetHexId(bool hexadecimal) {
  options.hexId = hexadecimal;
  std::vector<TSmartCellChange> changes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string& cell = rows[i].cells[static_cast<int>(TSmartColumn::Id)];
    cell = FormatSmartId(rows[i].id, hexadecimal);
    changes.push_back({static_cast<int>(i), TSmartColumn::Id, cell});
  }
  return changes;
}

std::vector<TSmartCellChange> TSmartPageModel::SetHexRawValue(bool hexadecimal) {
  options.hexRawValue = hexadecimal;
  std::vector<TSmartCellChange> changes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].wideRaw) continue;
    std::string& cell = rows[i].cells[static_cast<int>(TSmartColumn::RawValue)];
    cell = FormatSmartRawValue(rows[i].raw, hexadecimal);
    changes.push_back({static_cast<int>(i), TSmartColumn::RawValue, cell});
  }
  return changes;
}

// Every row whose formatted text now reads differently is rewritten, not only the
// descriptor's temperature attribute: drives that report two temperatures (airflow
// and internal) would otherwise show one in °C and the other in °F.
std::vector<TSmartCellChange> TSmartPageModel::TemperatureUnitChanged(const TSmartDescriptor* descriptor) {
  std::vector<TSmartCellChange> changes;
  if (!descriptor || !descriptor->Attributes()) return changes;
  const TSmartAttributes& attributes = *descriptor->Attributes();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TSmartEntry entry = attributes.Entry(rows[i].entryIndex);
    if (!entry || entry.Id() != rows[i].id) continue;  // the table is no longer the one listed
    std::string text = descriptor->FormatRawValue(entry);
    std::string& cell = rows[i].cells[static_cast<int>(TSmartColumn::Formatted)];
    if (text == cell) continue;
    cell = std::move(text);
    changes.push_back({static_cast<int>(i), TSmartColumn::Formatted, cell});
  }
  return changes;
}

std::vector<TSmartCellChange> TSmartPageModel::ConfigChanged(const TConfigVar& variable,
                                                             const TSmartDescriptor* descriptor) {
  const auto* flag = dynamic_cast<const TConfigVarBool*>(&variable);
  if (!flag) return {};
  if (variable.Section() == "tabs.smart" && variable.Key() == "hex_id") return SetHexId(flag->Value());
  if (variable.Section() == "tabs.smart" && variable.Key() == "hex_raw_value") return SetHexRawValue(flag->Value());
  if (variable.Section() == "system" && variable.Key() == "fahrenheit_temp") return TemperatureUnitChanged(descriptor);
  return {};
}

std::string TSmartPageModel::CopyText(int row) const {
  if (row < 0 || row >= static_cast<int>(rows.size())) return {};
  const TSmartPageRow& r = rows[row];
  const std::string& name = r.Cell(TSmartColumn::Name);
  const std::string& value = r.Cell(TSmartColumn::Formatted);
  return value.empty() ? name : name + ": " + value;
}

}  // namespace vexa
