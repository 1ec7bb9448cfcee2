// What the SMART page shows, without a window: one row per attribute with its ten
// cell texts and health image, the drive's overall verdict, the remembered selection
// and the copy text. The Win32 page, the console program and the tests render from it.
// The model keeps no reference to a device: what a later reaction needs is passed in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/SmartDescriptor.h"
#include "views/HistoryKeeper.h"
#include "shell/StatusProperties.h"
#include "support/ListColumns.h"

namespace vexa {

class TConfigVar;
class TConfigVarBool;
struct TNvmeDrive;
class TEasyConfig;

inline constexpr std::string_view kSmartPageCaption = "S.M.A.R.T.";

enum class TSmartColumn : int {
  Name = 0,
  Id = 1,
  Formatted = 2,
  Current = 3,
  Worst = 4,
  Threshold = 5,
  RawValue = 6,
  FlagsShort = 7,
  FlagsLong = 8,
  FlagsBinary = 9,
};
constexpr int kSmartColumnCount = 10;

extern const std::array<TListColumn, kSmartColumnCount> SmartPageColumns;

// The status flag bits 0..5 of an attribute entry.
struct TSmartFlagName {
  std::string_view shortName;
  std::string_view longName;
};
constexpr int kSmartFlagCount = 6;
extern const std::array<TSmartFlagName, kSmartFlagCount> SmartFlagNames;

// "未知", "OK", "慎重", "警報" for the statuses 0..3.
std::string_view SmartStatusText(TSmartStatus status);

// Cell texts. The id is "%.3d", or "%.2x" in hexadecimal; a raw value of 0 is empty,
// otherwise "%d", or "$" and at least four hexadecimal digits.
std::string FormatSmartId(std::uint8_t id, bool hexadecimal);
std::string FormatSmartRawValue(std::uint64_t raw, bool hexadecimal);
// Set flags from bit 5 down to bit 0: "SP EC OC"; "SelfPreserving, EventCount,
// OnlineCollection", preceded by "[XX] " when the entry's vendor byte is non-zero.
std::string SmartFlagsShortText(std::uint16_t flags);
std::string SmartFlagsLongText(std::uint16_t flags, std::uint8_t vendorByte);
// Base 2 with at least six digits.
std::string SmartFlagsBinaryText(std::uint16_t flags);

struct TSmartPageOptions {
  bool hexId = false;
  bool hexRawValue = true;
};

// How a row moved since the drive's previous stored reading.
enum class TSmartRowMark : std::uint8_t { None, Changed, Worse };

struct TSmartPageRow {
  std::uint8_t id = 0;
  std::string_view key;  // an NVMe row's health-field key; empty for ATA
  std::size_t entryIndex = 0;  // position in the drive's table
  std::uint64_t raw = 0;
  bool wideRaw = false;  // an NVMe count beyond 64 bits, shown in decimal whatever the setting
  TSmartStatus status = TSmartStatus::None;  // also the row's image index
  std::array<std::string, kSmartColumnCount> cells;
  TSmartRowMark mark = TSmartRowMark::None;
  std::string change;  // how it moved ("目前值 241 → 212"), with the reason when worse

  const std::string& Cell(TSmartColumn column) const { return cells[static_cast<int>(column)]; }
};

// The value of status property 12.
struct TSmartVerdict {
  std::string text;
  TStatusState state = TStatusState::Plain;
  bool operator==(const TSmartVerdict&) const = default;
};
constexpr int kSmartStatusPropertyIndex = statusindex::kSmart;

// One cell whose text a settings change replaced.
struct TSmartCellChange {
  int row = 0;
  TSmartColumn column = TSmartColumn::Name;
  std::string text;
  bool operator==(const TSmartCellChange&) const = default;
};

// The page's settings in section "tabs.smart".
struct TSmartPageSettings {
  TConfigVarBool* hexId = nullptr;
  TConfigVarBool* hexRawValue = nullptr;
};
TSmartPageSettings RegisterSmartPageSettings(TEasyConfig& store);

class TSmartPageModel {
public:
  // No device: no rows and no verdict (the status property is left alone). The
  // remembered selected id survives.
  void ShowNoDevice();
  // The rows of the drive's table, read through its descriptor (which judges each
  // entry against that same table's thresholds), the verdict, the selected and
  // focused row. An empty table, or a descriptor without one, gives no rows and a
  // verdict that says whether the drive supports SMART at all.
  void ShowDevice(const TSmartDescriptor& descriptor, bool smartSupported);
  // The rows of an NVMe drive's health log, one per field with its byte offset as
  // the id, and the verdict of its fields; no rows when the log was not read.
  void ShowNvme(const TNvmeDrive& drive, bool fahrenheit);

  const std::vector<TSmartPageRow>& Rows() const { return rows; }
  // An ATA row by its id (key empty), an NVMe row by its field's key; none when absent.
  const TSmartPageRow* FindRow(std::uint8_t id, std::string_view key) const;
  // Marks the rows that moved between the drive's last two stored readings.
  void MarkChanges(const TReadingChanges& changes);
  // The verdict says the drive got worse, and is at least a caution. The Device
  // page's box has room for a word, not a date: since when is the first line of the
  // verdict's description (TSmartTab).
  void NoteWorsening();
  const std::optional<TSmartVerdict>& Verdict() const { return verdict; }
  // Sets status property 12 when there is a verdict.
  void ApplyVerdict(TStatusProperties& properties) const;

  // Row positions, -1 for none. The selected row is the one whose id was last
  // selected by the user; otherwise the first row only has the focus.
  int SelectedRow() const { return selectedRow; }
  int FocusedRow() const { return focusedRow; }
  // The user selected a row (-1: the selection went away). Ids are kept across
  // refreshes and devices; 0 means none.
  void SelectRow(int row);
  std::uint8_t SelectedId() const { return selectedId; }

  const TSmartPageOptions& Options() const { return options; }
  // Each reaction stores the new option and answers the cells that now read
  // differently (and updates the rows to match).
  std::vector<TSmartCellChange> SetHexId(bool hexadecimal);
  std::vector<TSmartCellChange> SetHexRawValue(bool hexadecimal);
  // The descriptor of the current device, whose temperature unit just changed;
  // none when there is no device.
  std::vector<TSmartCellChange> TemperatureUnitChanged(const TSmartDescriptor* descriptor);
  // Dispatches a settings change: "tabs.smart.hex_id", "tabs.smart.hex_raw_value"
  // or "system.fahrenheit_temp"; any other variable changes nothing.
  std::vector<TSmartCellChange> ConfigChanged(const TConfigVar& variable, const TSmartDescriptor* descriptor);

  // "name: value", the name alone when the value text is empty; empty for no row.
  std::string CopyText(int row) const;

private:
  void FillCells(TSmartPageRow& row, const TSmartDescriptor& descriptor, TSmartEntry entry) const;

  TSmartPageOptions options;
  std::vector<TSmartPageRow> rows;
  std::optional<TSmartVerdict> verdict;
  std::uint8_t selectedId = 0;
  int selectedRow = -1;
  int focusedRow = -1;
};

}  // namespace vexa
