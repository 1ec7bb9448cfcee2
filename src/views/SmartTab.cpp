// The SMART module: the drive's attribute rows and verdict, and the three settings
// that change how cells read.
#include "views/SmartTab.h"

#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/StatusProperties.h"

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
  if (App().status) model.ApplyVerdict(*App().status);
  ModelChanged();
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
