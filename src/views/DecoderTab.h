// The Decoder page as a portable module, opened on demand: one instance of each
// model-number decoder, the page's two font settings, and the lines of the chosen
// drive. The Win32 page derives from it and only draws Model(); vexa-cli and the
// tests run the same module without a window.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Tabs.h"
#include "views/DecoderPageModel.h"

namespace vexa {

class TConfigVarStr;
class TModelDecoder;

class TDecoderTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TDecoderTab";
  static constexpr bool kNeedsSheet = true;

  // Creates the decoders, registers tabs.decoder.font_header and font_capture and,
  // once the core has started, catches up: both fonts, then the current device.
  explicit TDecoderTab(std::unique_ptr<TSheet> sheet);
  ~TDecoderTab() override;
  std::string_view ClassName() const override { return kClassName; }

  // Refills the lines, keeps the selected position, sets the list colour and the
  // caption "解碼器 (N)".
  void DeviceChanged(TDeviceInfo* device) override;
  void ConfigChanged(TConfigVar* variable) override;

  const TDecoderPageModel& Model() const { return model; }
  // The device's colour darkened by half; grey without a device.
  TColor ListColour() const { return listColour; }
  // The colour the brushes start from: the current device's, silver without one.
  TColor BaseColour() const { return baseColour; }
  const std::string& HeaderFont() const;
  const std::string& CaptureFont() const;

  // The selected position (-1: none); kept across refills.
  int SelectedLine() const { return selected; }
  void SelectLine(int position) { selected = position; }
  // What double-click and Ctrl+C copy: the selected line's text, or empty.
  std::string CopyText() const { return model.CopyText(selected); }

protected:
  // The lines were rebuilt (and the selection set): the page refills its list.
  virtual void ModelChanged() {}
  // A font setting changed: the page makes the font from the description.
  virtual void FontChanged(bool /*header*/, const std::string& /*description*/) {}

private:
  std::vector<std::unique_ptr<TModelDecoder>> decoders;
  TDecoderPageModel model;
  TConfigVarStr* headerFont = nullptr;
  TConfigVarStr* captureFont = nullptr;
  TColor listColour = kDecoderNoDeviceColour;
  TColor baseColour = kDecoderNoDeviceBase;
  int selected = -1;
};

}  // namespace vexa
