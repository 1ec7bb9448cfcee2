// The Device page's layout, box texts, logo choice, tool tips and click shortcuts.
// Nothing here holds drive data: each box is read from the status properties when
// it is drawn.
#include "views/DeviceTab.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "device/DeviceInfo.h"
#include "knowledge/KnownDevices.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"

namespace vexa {

const std::array<TDeviceBoxPlace, kDeviceBoxCount> kDeviceBoxPlaces{{
    {0, 192, 0},     // 0 裝置名稱
    {0, 192, 1},     // 1 韌體
    {0, 192, 2},     // 2 序號
    {0, 192, 3},     // 3 發佈日期
    {0, 74, 4},      // 4 製程
    {118, 74, 4},    // 5 元件
    {0, 290, 5},     // 6 控制器
    {0, 290, 6},     // 7 顆粒
    {0, 92, 9},      // 8 TRIM
    {0, 290, 7},     // 9 效能
    {0, 110, 8},     // 10 介面
    {178, 112, 9},   // 11 ATA 標准
    {0, 126, 10},    // 12 S.M.A.R.T.
    {212, 78, 10},   // 13 溫度
    {0, 88, 11},     // 14 POH
    {212, 78, 11},   // 15 電源周期次數
    {0, 88, 12},     // 16 容量
    {176, 114, 12},  // 17 超過規定
    {0, 88, 13},     // 18 寫入字節數
    {176, 114, 13},  // 19 扇區大小
    {0, 126, 14},    // 20 磁碟區
    {200, 90, 14},   // 21 分區
    {158, 132, 8},   // 22 速率
}};

const std::array<TDeviceClickShortcut, 11> kDeviceClickShortcuts{{
    {2, TDeviceMouseButton::Left, TDeviceClickShortcut::ToggleHideSerial},
    {13, TDeviceMouseButton::Left, TDeviceClickShortcut::ToggleFahrenheit},
    {12, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowSmartPage},
    {13, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowSmartPage},
    {14, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowSmartPage},
    {15, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowSmartPage},
    {18, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowSmartPage},
    {16, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowPartitionsPage},
    {17, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowPartitionsPage},
    {20, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowPartitionsPage},
    {21, TDeviceMouseButton::Right, TDeviceClickShortcut::ShowPartitionsPage},
}};

namespace {

// Beyond this a fixed zoom would only overflow the pixel arithmetic.
constexpr double kMaxZoom = 32;
constexpr int kSmartPageIndex = 1;
constexpr int kPartitionsPageIndex = 2;

std::optional<TPanelSize> designSize;

bool ValidIndex(int index) { return index >= 0 && index < kDeviceBoxCount; }

void ToggleSetting(std::string_view fullName) {
  if (!App().config) return;
  if (auto* flag = App().config->FindAs<TConfigVarBool>(fullName)) flag->SetValue(!flag->Value());
}

void SetPageIndex(int index) {
  if (!App().config) return;
  if (auto* page = App().config->FindAs<TConfigVarInt>("tabs.page_index")) page->SetValue(index);
}

}  // namespace

TDeviceZoom DeviceZoom(double uiScale, TPanelSize panel, std::optional<TPanelSize> design) {
  if (std::isnan(uiScale)) uiScale = 0;
  if (uiScale > 0) return std::min(uiScale, kMaxZoom);
  TDeviceZoom fit;
  if (design && design->width > 0 && design->height > 0) {
    // The narrower direction decides: height ÷ its design at most width ÷ its design.
    const std::int32_t height = std::max(panel.height, 0), width = std::max(panel.width, 0);
    fit = std::int64_t{height} * design->width <= std::int64_t{width} * design->height
              ? TDeviceZoom(height, design->height)
              : TDeviceZoom(width, design->width);
  }
  if (uiScale < 0 && -uiScale < fit.factor) return std::min(-uiScale, kMaxZoom);
  return fit.factor > kMaxZoom ? TDeviceZoom(kMaxZoom) : fit;
}

TDeviceLayout ComputeDeviceLayout(const TPixelsPerInch& mainScaler, const TDeviceZoom& zoom, std::string_view fontMain,
                                  const TFontSpec* iconTitleFont) {
  TDeviceLayout layout;
  layout.zoom = zoom.factor;
  const std::int32_t target = std::max(mainScaler.Target(), 0);
  const std::int64_t zoomed =
      zoom.under > 0 ? static_cast<std::int64_t>(MulDivFloor(static_cast<std::uint64_t>(target),
                                                             static_cast<std::uint64_t>(zoom.over),
                                                             static_cast<std::uint64_t>(zoom.under)))
                     : static_cast<std::int64_t>(std::trunc(target * zoom.factor));
  // A target of 0 would mean "the screen's" to the scaler; the smallest real one is 1.
  layout.targetPixelsPerInch = static_cast<std::int32_t>(std::clamp<std::int64_t>(zoomed, 1, std::numeric_limits<std::int32_t>::max()));
  const TPixelsPerInch scaler(mainScaler.Screen(), layout.targetPixelsPerInch);

  const std::int32_t logoSize = scaler.Scale(kDeviceLogoSize);
  layout.logo = TRect{scaler.Scale(8) + scaler.Scale(kDeviceLabelWidth + kDeviceDefaultBoxWidth), scaler.Scale(8),
                      logoSize, logoSize};

  const std::int32_t height = scaler.Scale(kDeviceBoxHeight);
  for (int i = 0; i < kDeviceBoxCount; ++i) {
    const TDeviceBoxPlace& place = kDeviceBoxPlaces[i];
    const int width = place.width == 0 ? kDeviceDefaultBoxWidth : place.width;
    const int top = place.row < 0 ? -place.row : place.row * kDeviceRowPitch + 8;
    const std::int32_t x = scaler.Scale(place.x + kDeviceLabelWidth);
    const std::int32_t y = scaler.Scale(top);
    layout.boxes[i] = TRect{x, y, scaler.Scale(width), height};
    // The label's offsets stay unscaled: they only keep it clear of the box.
    layout.labels[i] = TRect{1, y - 3, x - 5, height + 5};
  }
  layout.font = scaler.ParseFont(fontMain, iconTitleFont);
  return layout;
}

std::optional<int> ChooseDeviceLogo(std::uint8_t brand, bool solidState, const std::function<bool(int)>& exists) {
  const int b = brand & 0x7F;
  if (solidState && brand != 0 && exists(kDeviceLogoSolidStateFirst + b)) return kDeviceLogoSolidStateFirst + b;
  if (exists(kDeviceLogoFirst + b)) return kDeviceLogoFirst + b;
  if (brand != 0 && exists(kDeviceLogoFirst)) return kDeviceLogoFirst;
  return std::nullopt;
}

// --- The page ---------------------------------------------------------------------

TDeviceTab::TDeviceTab(std::unique_ptr<TSheet> sheet) : TVexaTab(std::move(sheet)) {
  Register();
  Start();
}

TDeviceTab::TDeviceTab(std::unique_ptr<TSheet> sheet, TDeferredStart) : TVexaTab(std::move(sheet)) { Register(); }

void TDeviceTab::Register() {
  SetCaption("裝置");
  if (TEasyConfig* store = App().config) {
    hideSerial = TConfigVarBool::Register(store, "tabs.device", true, "hide_serial");
    uiScale = TConfigVarFloat::Register(store, "tabs.device", 0, "ui_scale");
  }
}

void TDeviceTab::Start() {
  const TPanelSize size = OuterPanelSize();
  if (!designSize && size.width > 0 && size.height > 0) designSize = size;
  if (!App().core || !App().core->started) return;
  Relayout();
  DeviceChanged(App().core->CurrentDevice());
  for (int i = 0; i < kDeviceBoxCount; ++i) StatusPropertyChanged(i);
}

std::optional<TPanelSize> TDeviceTab::DesignSize() { return designSize; }
void TDeviceTab::ForgetDesignSize() { designSize.reset(); }

void TDeviceTab::Relayout() {
  const TPanelSize size = OuterPanelSize();
  // A first page built before its sheet had a size takes the first real one.
  if (!designSize && size.width > 0 && size.height > 0) designSize = size;
  const TPixelsPerInch fallback(96, 96);
  const TPixelsPerInch& scaler = App().scaler ? *App().scaler : fallback;
  const auto* font = App().config ? App().config->FindAs<TConfigVarStr>("gui.font_main") : nullptr;
  const TDeviceZoom zoom = DeviceZoom(uiScale ? static_cast<double>(uiScale->Value()) : 0, size, designSize);
  layout = ComputeDeviceLayout(scaler, zoom, font ? std::string_view(font->Value()) : std::string_view(),
                               IconTitleFont());
  LayoutChanged();
}

bool TDeviceTab::SerialHidden() const { return hideSerial ? hideSerial->Value() : true; }

TDeviceBoxView TDeviceTab::BoxView(int index) const {
  if (!ValidIndex(index) || !App().status) return {std::string(kDeviceEmptyText), kDeviceEmptyColor};
  const TStatusProperty& entry = App().status->Entry(index);
  if (entry.value.empty()) return {std::string(kDeviceEmptyText), kDeviceEmptyColor};
  if (index == kDeviceSerialBox && SerialHidden())
    return {std::string(kDeviceHiddenSerialText), kDeviceHiddenSerialColor};
  const auto state = static_cast<std::size_t>(entry.state);
  return {entry.value, state < kDeviceStateColors.size() ? kDeviceStateColors[state] : kDeviceStateColors[0]};
}

std::string TDeviceTab::CopyText(int index) const {
  if (!ValidIndex(index) || !App().status) return {};
  return App().status->Entry(index).value;
}

std::optional<std::string> TDeviceTab::BoxMouseDown(int index, TDeviceMouseButton button, bool doubleClick) {
  for (const TDeviceClickShortcut& shortcut : kDeviceClickShortcuts) {
    if (shortcut.box != index || shortcut.button != button) continue;
    switch (shortcut.action) {
      case TDeviceClickShortcut::ToggleHideSerial: ToggleSetting("tabs.device.hide_serial"); break;
      case TDeviceClickShortcut::ToggleFahrenheit: ToggleSetting("system.fahrenheit_temp"); break;
      case TDeviceClickShortcut::ShowSmartPage: SetPageIndex(kSmartPageIndex); break;
      case TDeviceClickShortcut::ShowPartitionsPage: SetPageIndex(kPartitionsPageIndex); break;
    }
    break;
  }
  if (doubleClick && button == TDeviceMouseButton::Left && ValidIndex(index)) return CopyText(index);
  return std::nullopt;
}

void TDeviceTab::DeviceChanged(TDeviceInfo* device) {
  const std::uint8_t brand = device ? device->brand : 0;
  const bool solidState = device && device->HasFeature(DriveFeature::SolidState);
  const auto chosen = ChooseDeviceLogo(brand, solidState, [this](int id) { return LogoResourceExists(id); });
  // With not even the generic logo, the current picture stays.
  if (!chosen) return;
  logoResource = chosen;
  LogoChanged();
}

void TDeviceTab::StatusPropertyChanged(int index) {
  if (ValidIndex(index)) BoxChanged(index);
}

bool TDeviceTab::GetTooltip(std::uint16_t item, TTooltipContent& tooltip) {
  if (item == kDeviceTooltipLogo) {
    const TDeviceInfo* device = App().core ? App().core->CurrentDevice() : nullptr;
    if (!device) return false;
    tooltip.title = "製造商";
    tooltip.text = TKnownDevicesDB::BrandName(device->brand);
    tooltip.icon = 0;
    return true;
  }
  if (item >= kDeviceBoxCount || !App().status) return false;
  const TStatusProperty& entry = App().status->Entry(item);
  tooltip.text = entry.description + entry.extraDescription;
  tooltip.title = entry.alternateName.empty() ? entry.name : entry.alternateName;
  // The state is also the image number of the status icon (plain, good, warning, bad).
  tooltip.icon = static_cast<std::uintptr_t>(entry.state);
  return true;
}

void TDeviceTab::ConfigChanged(TConfigVar* variable) {
  if (!variable) return;
  if (variable == hideSerial) {
    BoxChanged(kDeviceSerialBox);
  } else if (variable == uiScale || variable->FullName() == "gui.font_main") {
    Relayout();
  }
}

}  // namespace vexa
