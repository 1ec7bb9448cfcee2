// The Device page as portable code: the 23 value boxes laid out from a table and
// zoomed with the window (or by a fixed factor), the text and colour of each box
// from the status properties, the brand logo, the tool tips, the click shortcuts
// and the double-click copy text. The Win32 page derives from it, owns the real
// controls and redraws them when the hooks below tell it to.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "shell/PixelsPerInch.h"
#include "shell/StatusProperties.h"
#include "shell/Tabs.h"
#include "support/Geometry.h"
#include "support/Utils.h"

namespace vexa {

class TConfigVarBool;
class TConfigVarFloat;

// One box of the form, in pixels at 96 pixels per inch: left edge x + 88, top
// row × 21 + 8 (a negative row -r means top r), 17 high; width 0 means 192.
struct TDeviceBoxPlace {
  std::int16_t x;
  std::int16_t width;
  std::int16_t row;
};

inline constexpr int kDeviceBoxCount = TStatusProperties::kCount;
inline constexpr int kDeviceBoxHeight = 17;
inline constexpr int kDeviceRowPitch = 21;
inline constexpr int kDeviceLabelWidth = 88;
inline constexpr int kDeviceDefaultBoxWidth = 192;
inline constexpr int kDeviceLogoSize = 90;

// Indexed like the status properties.
extern const std::array<TDeviceBoxPlace, kDeviceBoxCount> kDeviceBoxPlaces;

// Value colours by status state (plain, good, warning, bad), 0x00BBGGRR.
inline constexpr std::array<TColor, 4> kDeviceStateColors{0x800000, 0x008000, 0x00537F, 0x0020D0};
inline constexpr TColor kDeviceEmptyColor = 0x808080;
inline constexpr TColor kDeviceHiddenSerialColor = 0x00537F;
inline constexpr std::string_view kDeviceEmptyText = "n/a";
inline constexpr std::string_view kDeviceHiddenSerialText = "<點擊或按 F9 檢視>";
inline constexpr int kDeviceSerialBox = 2;

// Bitmap resources: 1024 + brand, and 1280 + brand for a solid-state variant.
inline constexpr int kDeviceLogoFirst = 1024;
inline constexpr int kDeviceLogoSolidStateFirst = 1280;

// Tool-tip items: the boxes use their index, the logo panel this one.
inline constexpr std::uint16_t kDeviceTooltipLogo = 256;
inline constexpr std::uint32_t kDeviceTooltipLogoFlags = 1;
inline constexpr std::uint32_t kDeviceTooltipBoxFlags = 0;

struct TDeviceBoxView {
  std::string text;
  TColor color = kDeviceEmptyColor;
  bool operator==(const TDeviceBoxView&) const = default;
};

struct TPanelSize {
  std::int32_t width = 0, height = 0;
  bool operator==(const TPanelSize&) const = default;
};

// A zoom factor. Fitted to the window it is the fraction over ÷ under of a panel
// side and a design side, kept whole so that the target below comes out the same
// in every build; a factor from the setting or a bound has under = 0.
struct TDeviceZoom {
  TDeviceZoom(double factor = 1) : factor(factor) {}
  TDeviceZoom(std::int32_t over, std::int32_t under)
      : factor(static_cast<double>(over) / under), over(over), under(under) {}

  double factor = 1;
  std::int32_t over = 0, under = 0;
};

// Where everything goes for one zoom, in the outer panel's coordinates.
struct TDeviceLayout {
  double zoom = 1;
  std::int32_t targetPixelsPerInch = 96;  // of the temporary scaler
  TRect logo;
  std::array<TRect, kDeviceBoxCount> boxes{};
  std::array<TRect, kDeviceBoxCount> labels{};
  TFontSpec font;  // of every box and label
};

// The zoom for ui_scale s: s itself when positive; otherwise the factor that fits
// the design size into the panel, for s < 0 at most |s|. An unknown design size
// fits at 1; absurd settings (not a number, beyond 32) are kept within 0 .. 32.
TDeviceZoom DeviceZoom(double uiScale, TPanelSize panel, std::optional<TPanelSize> design);

// The layout for a zoom, through a scaler of target trunc(main target × zoom).
TDeviceLayout ComputeDeviceLayout(const TPixelsPerInch& mainScaler, const TDeviceZoom& zoom, std::string_view fontMain,
                                  const TFontSpec* iconTitleFont);

// The bitmap resource for a brand: the solid-state variant when one exists, else
// the brand's own, else the generic 1024; none when even that is missing.
std::optional<int> ChooseDeviceLogo(std::uint8_t brand, bool solidState, const std::function<bool(int)>& exists);

enum class TDeviceMouseButton { Left, Right, Middle };

// What a click on a box changes.
struct TDeviceClickShortcut {
  int box;
  TDeviceMouseButton button;
  enum TAction { ToggleHideSerial, ToggleFahrenheit, ShowSmartPage, ShowPartitionsPage } action;
};
extern const std::array<TDeviceClickShortcut, 11> kDeviceClickShortcuts;

class TDeviceTab : public TVexaTab {
public:
  static constexpr std::string_view kClassName = "TDeviceTab";
  static constexpr bool kNeedsSheet = true;

  // The page without controls: registers its settings and catches up at once.
  explicit TDeviceTab(std::unique_ptr<TSheet> sheet);
  std::string_view ClassName() const override { return kClassName; }

  void DeviceChanged(TDeviceInfo* device) override;
  void StatusPropertyChanged(int index) override;
  bool GetTooltip(std::uint16_t item, TTooltipContent& tooltip) override;
  void ConfigChanged(TConfigVar* variable) override;

  // What box index shows now; boxes outside 0 .. 22 show "n/a".
  TDeviceBoxView BoxView(int index) const;
  // The value a double click copies: never hidden.
  std::string CopyText(int index) const;
  // A button pressed on a box (a double click presses it again, as the platform
  // reports it): applies the click shortcut; answers the text to copy for a left
  // double click.
  std::optional<std::string> BoxMouseDown(int index, TDeviceMouseButton button, bool doubleClick);

  // Recomputes the layout from the panel's size and tabs.device.ui_scale.
  void Relayout();
  const TDeviceLayout& Layout() const { return layout; }
  std::optional<int> LogoResource() const { return logoResource; }

  // The size of the first Device page of the process, against which later pages zoom.
  static std::optional<TPanelSize> DesignSize();
  static void ForgetDesignSize();

protected:
  struct TDeferredStart {};
  // For a page that builds controls: call Start once they exist.
  TDeviceTab(std::unique_ptr<TSheet> sheet, TDeferredStart);
  // Remembers the design size if not yet known and, when the core has started,
  // catches up: relayout, the current device, every box.
  void Start();

  // The outer panel's size now; none before the controls exist.
  virtual TPanelSize OuterPanelSize() const { return {}; }
  // The platform's icon-title font, the base of every font description.
  virtual const TFontSpec* IconTitleFont() const { return nullptr; }
  virtual bool LogoResourceExists(int /*resource*/) const { return false; }
  virtual void BoxChanged(int /*index*/) {}
  virtual void LogoChanged() {}
  virtual void LayoutChanged() {}

private:
  void Register();
  bool SerialHidden() const;

  TConfigVarBool* hideSerial = nullptr;
  TConfigVarFloat* uiScale = nullptr;
  TDeviceLayout layout;
  std::optional<int> logoResource;
};

}  // namespace vexa
