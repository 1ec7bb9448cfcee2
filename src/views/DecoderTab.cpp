// The Decoder module: decoders, font settings, and the refill on every device.
#include "views/DecoderTab.h"

#include "device/DeviceInfo.h"
#include "knowledge/decoders/ModelDecoders.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"

namespace vexa {

namespace {
constexpr std::string_view kSection = "tabs.decoder";
const std::string kNoFont;
}  // namespace

TDecoderTab::TDecoderTab(std::unique_ptr<TSheet> sheet)
    : TVexaTab(std::move(sheet)), decoders(CreateModelDecoders()) {
  SetCaption(model.Caption());
  if (App().config) {
    headerFont = TConfigVarStr::Register(App().config, kSection, "\"Georgia\" 14 b", "font_header");
    captureFont = TConfigVarStr::Register(App().config, kSection, "\"Verdana\" 8", "font_capture");
  }
  if (App().core && App().core->started) {
    ConfigChanged(headerFont);
    ConfigChanged(captureFont);
    DeviceChanged(App().core->CurrentDevice());
  }
}

TDecoderTab::~TDecoderTab() = default;

const std::string& TDecoderTab::HeaderFont() const { return headerFont ? headerFont->Value() : kNoFont; }
const std::string& TDecoderTab::CaptureFont() const { return captureFont ? captureFont->Value() : kNoFont; }

void TDecoderTab::DeviceChanged(TDeviceInfo* device) {
  listColour = device ? Blend(device->GetColor(), 0, 128) : kDecoderNoDeviceColour;
  const TDeviceInfo* current = App().core ? App().core->CurrentDevice() : device;
  baseColour = current ? current->GetColor() : kDecoderNoDeviceBase;
  // The caption follows even when decoding fails on the way.
  struct TCaptionOnExit {
    TDecoderTab& tab;
    ~TCaptionOnExit() { tab.SetCaption(tab.model.Caption()); }
  } caption{*this};
  if (device) {
    model.ShowDevice(device->model, device->GetDisplayName(), decoders);
  } else {
    model.ShowNoDevice();
  }
  // The remembered position may now hold another line, or none.
  if (selected >= static_cast<int>(model.Lines().size())) selected = -1;
  ModelChanged();
}

void TDecoderTab::ConfigChanged(TConfigVar* variable) {
  if (!variable) return;
  if (variable == headerFont) FontChanged(true, headerFont->Value());
  if (variable == captureFont) FontChanged(false, captureFont->Value());
}

}  // namespace vexa
