// The System module: the tab module without a page. It applies the window-level
// settings whoever changed them (fonts, page, device, stay-on-top, geometry,
// temperature unit), fills the status properties of the chosen drive that the
// Device page shows, and answers the tool tips of the rescan button and the
// device selector. It reaches its collaborators through App() and SystemWindowActions().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "shell/StatusProperties.h"
#include "shell/Tabs.h"

namespace vexa {

// Names of the device record's feature flags by bit; bit 4 (solid state) is a
// kind of drive, not a feature, and is never listed.
inline constexpr std::array<std::string_view, 7> kSystemFeatureNames{"APM", "LBA48", "SMART", "NCQ",
                                                                     "",    "TRIM",  "DEVSLP"};
inline constexpr std::array<std::string_view, 2> kSystemOnOffWords{"停用", "啟用"};
// TRIM off warns, on is good.
inline constexpr std::array<TStatusState, 2> kSystemTrimStates{TStatusState::Warning, TStatusState::Good};
inline constexpr std::array<std::string_view, 2> kSystemTruthWords{"false", "true"};
// Celsius, Fahrenheit: indexed by the descriptors' Fahrenheit flag.
inline constexpr std::array<std::string_view, 2> kSystemTemperatureUnitNames{"攝氏", "華氏"};

// Tool-tip items of the module.
inline constexpr std::uint16_t kSystemTooltipRescan = 1;
inline constexpr std::uint16_t kSystemTooltipSelector = 2;

class TSystemTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TSystemTab";
  static constexpr bool kNeedsSheet = false;

  explicit TSystemTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  // With a device, fills the status properties from it; with none, nothing (the
  // main window has already cleared them).
  void DeviceChanged(TDeviceInfo* device) override;
  bool GetTooltip(std::uint16_t item, TTooltipContent& tooltip) override;
  void ConfigChanged(TConfigVar* variable) override;
};

}  // namespace vexa
