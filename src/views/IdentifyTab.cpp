// The Identify module: the chosen drive's block and colour, and the list's font.
#include "views/IdentifyTab.h"

#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"

namespace vexa {

TIdentifyTab::TIdentifyTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  SetCaption(kIdentifyPageCaption);
  if (App().config) fontVariable = RegisterIdentifyPageSettings(*App().config);
  if (fontVariable) fontDescription = fontVariable->Value();
  if (App().core && App().core->started) {
    if (fontVariable) ConfigChanged(fontVariable);
    DeviceChanged(App().core->CurrentDevice());
  }
}

void TIdentifyTab::DeviceChanged(TDeviceInfo* device) {
  if (device && device->IsNvme()) {
    model.ShowNvme(device->nvme, device->GetColor());
  } else if (device) {
    model.ShowDevice(device->identify, device->GetColor());
  } else {
    model.ShowNoDevice();
  }
  ModelChanged();
}

void TIdentifyTab::ConfigChanged(TConfigVar* variable) {
  if (!variable || variable != fontVariable) return;
  fontDescription = fontVariable->Value();
  FontChanged(fontDescription);
}

void TIdentifyTab::DeviceListChanged(TListChange code, TDeviceInfo* device, int /*index*/) {
  if (code != TListChange::Deleted || !device || model.Data() != &device->identify) return;
  model.ShowNoDevice();
  ModelChanged();
}

}  // namespace vexa
