// The Identify page as a portable module: it owns the page's model (the chosen
// drive's IDENTIFY block as rows of word groups and bit fields) and the font
// setting of the list. The Win32 page derives from it, draws Model() and applies
// the font it is told; vexa-cli and the tests run the same module without a window.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "shell/Tabs.h"
#include "views/IdentifyPageModel.h"

namespace vexa {

class TConfigVarStr;

class TIdentifyTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TIdentifyTab";
  static constexpr bool kNeedsSheet = true;

  // Sets the caption, registers tabs.identify.font and, once the core has started,
  // applies the font and catches up with the current device. The catch-up runs
  // before a deriving page exists, so the page reads Model() and FontDescription()
  // at the end of its own constructor.
  explicit TIdentifyTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  // The device's block and colour, or none (grey, no data).
  void DeviceChanged(TDeviceInfo* device) override;
  void ConfigChanged(TConfigVar* variable) override;
  // The model reads the record's block in place: when that record is deleted from
  // the device list the block is dropped before the record is freed.
  void DeviceListChanged(TListChange code, TDeviceInfo* device, int index) override;

  const TIdentifyPageModel& Model() const { return model; }
  // The list's font as a description for CreateFont, e.g. "\"Verdana\" 7".
  const std::string& FontDescription() const { return fontDescription; }
  TConfigVarStr* FontVariable() const { return fontVariable; }
  // What double-click and Ctrl+C put on the clipboard for a row; empty for no row
  // (-1) or no block.
  std::string CopyText(int row) const { return model.CopyText(row); }

protected:
  // The block or the list colour changed: the page repaints when it is showing.
  virtual void ModelChanged() {}
  // The font setting changed: the page sets its list's font. Nothing here.
  virtual void FontChanged(std::string_view /*description*/) {}

private:
  TIdentifyPageModel model;
  TConfigVarStr* fontVariable = nullptr;
  std::string fontDescription;
};

}  // namespace vexa
