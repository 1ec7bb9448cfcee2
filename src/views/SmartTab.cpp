// The SMART module: the drive's attribute rows and verdict, and the three settings
// that change how cells read.
#include "views/SmartTab.h"

#include "device/DeviceInfo.h"
#include "history/HistoryFormat.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/StatusProperties.h"
#include "support/Format.h"
#include "views/HistoryKeeper.h"

namespace vexa {

namespace {

// The descriptor of the current device, whose temperature unit a settings change
// concerns; none without a device.
const TSmartDescriptor* CurrentDescriptor() {
  const TVexaCore* core = App().core;
  const TDeviceInfo* device = core ? core->CurrentDevice() : nullptr;
  return device ? device->smartDescriptor.get() : nullptr;
}

}  // namespace

TSmartTab::TSmartTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption(kSmartPageCaption);
  if (App().config) settings = RegisterSmartPageSettings(*App().config);
  // The model starts from the variables' values: without a settings file (vexa-cli)
  // no load ever announces them.
  if (settings.hexId) model.SetHexId(settings.hexId->Value());
  if (settings.hexRawValue) model.SetHexRawValue(settings.hexRawValue->Value());
  if (App().core && App().core->started) DeviceChanged(App().core->CurrentDevice());
}

void TSmartTab::DeviceChanged(TDeviceInfo* device) {
  if (!device) {
    model.ShowNoDevice();
    ModelChanged();
    return;
  }
  const bool smartSupported = device->HasFeature(DriveFeature::Smart);
  if (device->IsNvme()) {
    model.ShowNvme(device->nvme, device->smartDescriptor && device->smartDescriptor->Fahrenheit());
  } else if (device->smartDescriptor) {
    model.ShowDevice(*device->smartDescriptor, smartSupported);
  } else {
    // A record whose probe never got as far as choosing a descriptor: judge its
    // (empty) table through a fresh one rather than show nothing at all.
    std::unique_ptr<TSmartDescriptor> descriptor = device->CreateSmartDescriptor();
    descriptor->SetAttributes(&device->smartAttributes);
    model.ShowDevice(*descriptor, smartSupported);
  }
  ShowHistory(*device);
  ModelChanged();
}

void TSmartTab::ShowHistory(const TDeviceInfo& device) {
  THistoryKeeper* history = App().history;
  if (history && history->Enabled()) {
    if (const std::optional<TReadingChanges> changes = history->LastChanges(device)) model.MarkChanges(*changes);
    worsening = history->LastWorsening(device);
    if (worsening) model.NoteWorsening();
  } else {
    worsening.reset();
  }
  if (!App().status) return;
  model.ApplyVerdict(*App().status);
  if (history && !history->Problem().empty())
    App().status->AppendDescription(kSmartStatusPropertyIndex, "SMART 歷史記錄已關閉: " + history->Problem());
  if (!worsening) return;
  // The verdict's tool tip (and the console program's info) says what got worse.
  App().status->AppendDescription(kSmartStatusPropertyIndex,
                                  Format("自 %s 起變差 (與 %s 的讀數相比):", HistoryMinuteText(worsening->since),
                                         HistoryMinuteText(worsening->before)));
  for (const std::string& line : WorseRowLines(worsening->changes, device.smartDescriptor.get()))
    App().status->AppendDescription(kSmartStatusPropertyIndex, line);
  if (worsening->changes.verdictWorse)
    App().status->AppendDescription(kSmartStatusPropertyIndex,
                                    Format("狀態: %s → %s", SmartStatusText(worsening->changes.oldVerdict),
                                           SmartStatusText(worsening->changes.newVerdict)));
}

void TSmartTab::ConfigChanged(TConfigVar* variable) {
  if (!variable) return;
  // An NVMe drive's temperatures are rows of its own: the rows are made again.
  const TDeviceInfo* device = App().core ? App().core->CurrentDevice() : nullptr;
  if (device && device->IsNvme() && variable->FullName() == "system.fahrenheit_temp") {
    const auto* flag = dynamic_cast<const TConfigVarBool*>(variable);
    model.ShowNvme(device->nvme, flag && flag->Value());
    ModelChanged();
    return;
  }
  const std::vector<TSmartCellChange> changes = model.ConfigChanged(*variable, CurrentDescriptor());
  if (!changes.empty()) CellsChanged(changes);
}

}  // namespace vexa
