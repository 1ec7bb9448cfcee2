// The SMART page as a portable module: it owns the page's model, registers the
// page's settings, fills the model from the chosen drive and sets the drive's
// overall verdict (status property 12). The Win32 page derives from it and only
// renders Model(); every decision is made here, so vexa-cli and the tests run the
// same module without a window.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Tabs.h"
#include "views/SmartPageModel.h"

namespace vexa {

class TSmartTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TSmartTab";
  static constexpr bool kNeedsSheet = true;

  // Sets the caption, registers tabs.smart.hex_id and tabs.smart.hex_raw_value and,
  // once the core has started, catches up with the current device. The catch-up runs
  // before a deriving page exists, so the page renders Model() at the end of its own
  // constructor instead of waiting for ModelChanged.
  explicit TSmartTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  // The rows of the device's attribute table and the verdict in status property 12;
  // with none, an empty list and no change of the status properties.
  void DeviceChanged(TDeviceInfo* device) override;
  // The two page settings and system.fahrenheit_temp rewrite the cells they affect.
  void ConfigChanged(TConfigVar* variable) override;

  const TSmartPageModel& Model() const { return model; }
  const TSmartPageSettings& Settings() const { return settings; }
  // When the shown drive last got worse, from the SMART history; none without one.
  const std::optional<TWorsening>& Worsening() const { return worsening; }

  // The user selected a row (-1: the selection went away); the attribute id is
  // remembered across refreshes and devices.
  void SelectRow(int row) { model.SelectRow(row); }
  // What double-click and Ctrl+C put on the clipboard: the selected row's text, or
  // empty when no row is selected.
  std::string CopyText() const { return model.CopyText(model.SelectedRow()); }

protected:
  // The rows were rebuilt: the page refills its list from Model(). Nothing here.
  virtual void ModelChanged() {}
  // A settings change rewrote these cells: the page updates them. Nothing here.
  virtual void CellsChanged(const std::vector<TSmartCellChange>& /*changes*/) {}

private:
  // The history's marks and worsening on the rows and verdict; sets the verdict.
  void ShowHistory(const TDeviceInfo& device);

  TSmartPageModel model;
  std::optional<TWorsening> worsening;
  TSmartPageSettings settings;
};

}  // namespace vexa
