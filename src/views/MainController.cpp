// Rescan, device selection and the device-list reactions.
#include "views/MainController.h"

#include <exception>

#include "device/DeviceManager.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"
#include "shell/Shared.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "shell/Version.h"
#include "support/Format.h"
#include "views/HistoryKeeper.h"

namespace vexa {

std::string DeviceTitleSuffix(const TDeviceInfo* device) {
  if (!device) return {};
  const TKnownDevice* row = device->knownRow;
  if (row && row->modelName) {
    if (device->brand != 0) return Format(" - %s %s", row->brandName ? row->brandName : "", row->modelName);
    return Format(" - %s", row->modelName);
  }
  if (device->brand != 0 && device->HasFeature(DriveFeature::SolidState))
    return Format(" - 未知 %s SSD", TKnownDevicesDB::BrandName(device->brand));
  return {};
}

int PageIndexAfterClosing(int pageIndex, int activePageIndex, int pageCount) {
  int next = activePageIndex;
  // Closing a page to the right of the active one leaves the active page alone; only
  // the active page itself, when it is the last, hands over to its left neighbour.
  if (pageIndex < activePageIndex || (pageIndex == activePageIndex && pageIndex == pageCount - 1)) --next;
  return next;
}

TMainController::TMainController(TVexaCore& coreRef, TDeviceManager& deviceList, TVexaTabManager& tabManager,
                                 TStatusProperties& statusProperties, const TMainSettings& mainSettings,
                                 TMainWindowHost& window)
    : core(coreRef),
      devices(deviceList),
      tabs(tabManager),
      status(statusProperties),
      settings(mainSettings),
      host(window),
      baseCaption(vexa::BaseCaption()) {}

void TMainController::Rescan() {
  host.SetBusyCursor(true);
  devices.BeginUpdate();
  try {
    devices.Clear();
    core.RefreshTrim();
    if (settings.enumPhysical->Value()) devices.Enumerate(DeviceKindPhysical(), 0, 256);
    if (settings.enumScsi->Value()) devices.Enumerate(DeviceKindScsi(), 0, 256);
    if (settings.enumOptical->Value()) devices.Enumerate(DeviceKindOptical(), 0, 256);
    tabs.NotifyDevicesEnumerated(devices.Count());
    host.SelectorSetIndex(core.CurrentDeviceIndex());
  } catch (const std::exception& error) {
    ShowError("裝置完全重新整理失敗.", error.what());
  }
  // Ending the update re-applies the device index, which selects the current device.
  devices.EndUpdate();
  RecordOtherDrives();
  host.SetBusyCursor(false);
}

void TMainController::RecordHistory(TDeviceInfo& device) {
  if (THistoryKeeper* history = App().history) history->Record(device, core.machine.LocalTime());
}

void TMainController::RecordOtherDrives() {
  // The history keeps every drive, not only the one on show: a drive nobody looks
  // at is the one whose decline would go unnoticed.
  const THistoryKeeper* history = App().history;
  if (!history || !history->Enabled() || !history->Problem().empty()) return;
  TDeviceInfo* current = core.CurrentDevice();
  for (int i = 0; i < devices.DeviceCount(); ++i) {
    TDeviceInfo* device = devices.DeviceAt(i);
    if (!device || device == current || !device->Open()) continue;
    try {
      device->BeforeRefresh();
      device->Refresh();
      RecordHistory(*device);
    } catch (const std::exception&) {
      // A drive that fails its reading now simply has no reading this time.
    }
    device->Close();
  }
}

void TMainController::SelectDevice() {
  if (!core.started) return;
  host.SetBusyCursor(true);
  host.HideTooltip();
  status.Clear();
  TDeviceInfo* device = core.CurrentDevice();
  if (device && device->Open()) {
    try {
      device->BeforeRefresh();
      device->Refresh();
      RecordHistory(*device);
      host.SetTitle(baseCaption + DeviceTitleSuffix(device));
      tabs.NotifyDeviceChanged(device);
    } catch (...) {
      device->Close();
      host.SetBusyCursor(false);
      throw;
    }
    device->Close();
  } else {
    host.SetTitle(baseCaption);
    tabs.NotifyNoDevice();
    if (device) ShowError("無法開啟裝置", Format("\"%s\"", device->path));
  }
  host.SetBusyCursor(false);
}

void TMainController::ReapplyDeviceIndex() { settings.deviceIndex->SetValue(core.CurrentDeviceIndex()); }

void TMainController::DeviceListChanged(TListChange code, int index, TDeviceInfo* device) {
  switch (code) {
    case TListChange::Added:
      host.SelectorAdd(device->GetDisplayName(), device);
      if (device->smartDescriptor) device->smartDescriptor->SetFahrenheit(settings.fahrenheitTemp->Value());
      break;
    case TListChange::Deleted:
      host.SelectorRemove(device);
      host.SelectorRepaint();
      if (!devices.InUpdate()) ReapplyDeviceIndex();
      break;
    case TListChange::Cleared:
      tabs.NotifyNoDevice();
      host.RepaintWindow();
      host.SelectorClear();
      break;
    case TListChange::Sorted:
      host.SelectorRepaint();
      ReapplyDeviceIndex();
      break;
    case TListChange::UpdateEnded:
      ReapplyDeviceIndex();
      break;
    case TListChange::Extracted:
    case TListChange::UpdateBegun:
      break;
  }
  tabs.NotifyDeviceListChanged(code, device, index);
}

}  // namespace vexa
