// The Device page's window: an etched outer panel on the sheet, the logo panel and
// the 23 value boxes with their labels. The portable TDeviceTab decides what goes
// where and what each box shows; this class places the controls, paints them and
// turns their mouse messages into the page's shortcuts.
#pragma once

#include <windows.h>

#include <optional>

#include <array>
#include <memory>
#include <string>

#include "views/DeviceTab.h"

namespace vexa {

// Control ids of the boxes (the first plus the status-property index) and of the
// logo, so tools outside the program can find them.
inline constexpr int kDeviceBoxControlId = 2000;
inline constexpr int kDeviceLogoControlId = 2100;

class TDevicePage : public TDeviceTab {
public:
  explicit TDevicePage(std::unique_ptr<TSheet> sheet);
  ~TDevicePage() override;
  // The boxes' tips carry the status ball of their state from the shared images.
  bool GetTooltip(std::uint16_t item, TTooltipContent& tooltip) override;

protected:
  TPanelSize OuterPanelSize() const override;
  const TFontSpec* IconTitleFont() const override { return iconTitle ? &*iconTitle : nullptr; }
  bool LogoResourceExists(int resource) const override;
  void BoxChanged(int index) override;
  void LogoChanged() override;
  void LayoutChanged() override;

private:
  // The panels share one window class; each knows its page and its role.
  static constexpr int kOuterRole = -2;
  static constexpr int kLogoRole = -1;
  struct TPanelSlot {
    TDevicePage* page = nullptr;
    int role = 0;  // a box index, or one of the roles above
  };

  static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT PanelMessage(const TPanelSlot& slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND CreatePanel(HWND parent, TPanelSlot& slot, int controlId);
  void Paint(const TPanelSlot& slot, HDC dc, const RECT& client);
  void MouseDown(int index, TDeviceMouseButton button, bool doubleClick);
  void PlaceOuterPanel();
  HBRUSH OuterBrush() const;

  HWND sheetWindow = nullptr;
  HWND outer = nullptr;
  HWND logo = nullptr;
  std::array<HWND, kDeviceBoxCount> boxes{};
  std::array<std::wstring, kDeviceBoxCount> labels;  // the entries' names
  TPanelSlot outerSlot, logoSlot;
  std::array<TPanelSlot, kDeviceBoxCount> boxSlots{};
  bool built = false;

  std::optional<TFontSpec> iconTitle;
  HFONT font = nullptr;
  HBITMAP logoBitmap = nullptr;
};

}  // namespace vexa
