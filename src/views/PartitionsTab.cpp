// The Partitions module: the volume scan, the chosen drive's lines and the three
// status properties they give.
#include "views/PartitionsTab.h"

#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/StatusProperties.h"

namespace vexa {

TPartitionsTab::TPartitionsTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption(kPartitionsPageCaption);
  if (!App().core || !App().core->started) return;
  // Created after the device scan: the scan this module missed is made now, and the
  // current device, which is closed between selections, is opened for its layout.
  RescanVolumes();
  TDeviceInfo* device = App().core->CurrentDevice();
  if (device && !device->IsOpen() && device->Open()) {
    DeviceChanged(device);
    device->Close();
  } else {
    DeviceChanged(device);
  }
}

void TPartitionsTab::RescanVolumes() {
  DropVolumeIcons();
  if (!App().machine) {
    model.Clear();
    return;
  }
  model.Rescan(*App().machine, [this](const std::string& rootPath) { return AddVolumeIcon(rootPath); });
}

void TPartitionsTab::DevicesEnumerated(int /*count*/) { RescanVolumes(); }

void TPartitionsTab::DeviceChanged(TDeviceInfo* device) {
  Machine* machine = device ? &device->machine : App().machine;
  if (machine) {
    model.ShowDevice(*machine, device);
  } else {
    model.Clear();
  }
  if (App().status) model.ApplyStatus(*App().status);
  ModelChanged();
}

}  // namespace vexa
