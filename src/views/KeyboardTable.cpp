// The keyboard table, rows tried in order with exact modifier sets.
#include "views/KeyboardTable.h"

#include "support/Utils.h"

namespace vexa {

namespace {

// 1..9 on the main keyboard or, when allowed, the numeric pad; 0 otherwise.
int DigitOf(std::uint32_t key, bool numpad) {
  if (key > vk::Digit0 && key <= vk::Digit0 + 9) return static_cast<int>(key - vk::Digit0);
  if (numpad && key > vk::Numpad0 && key <= vk::Numpad0 + 9) return static_cast<int>(key - vk::Numpad0);
  return 0;
}

TKeyDecision Do(TKeyAction action, int value = 0) { return TKeyDecision{action, value, 0, 0}; }

}  // namespace

TKeyDecision DecideKey(std::uint32_t key, std::uint8_t modifiers, const TKeyContext& c) {
  const bool none = modifiers == 0, alt = modifiers == kAlt, ctrl = modifiers == kCtrl;
  const bool ctrlShift = modifiers == (kCtrl | kShift);
  const int digit = DigitOf(key, true);

  if (digit && none) {
    if (c.focus == TFocusKind::Edit) return Do(TKeyAction::NotHandled);
    return digit - 1 < c.deviceCount ? Do(TKeyAction::SetDeviceIndex, digit - 1) : Do(TKeyAction::None);
  }
  if ((key == vk::Left || key == vk::Right) && alt) {
    if (c.deviceCount <= 0) return Do(TKeyAction::None);
    return Do(TKeyAction::SetDeviceIndex, Wrap(c.deviceIndex + (key == vk::Left ? -1 : 1), 0, c.deviceCount - 1));
  }
  if (digit && ctrl) return digit - 1 < c.pageCount ? Do(TKeyAction::SetPageIndex, digit - 1) : Do(TKeyAction::None);
  if ((key == vk::PageUp || key == vk::PageDown) && ctrl) {
    if (c.pageCount <= 0) return Do(TKeyAction::None);
    return Do(TKeyAction::SetPageIndex, Wrap(c.pageIndex + (key == vk::PageUp ? -1 : 1), 0, c.pageCount - 1));
  }
  if (key == 'D' && ctrl) return Do(TKeyAction::SetPageIndex, c.previousPageIndex);
  if (key == vk::F1 && none) return c.aboutPageAvailable ? Do(TKeyAction::ShowAboutPage) : Do(TKeyAction::NotHandled);
  if (key == vk::F2 && none) return c.configPageAvailable ? Do(TKeyAction::ShowConfigPage) : Do(TKeyAction::NotHandled);
  if (alt) {
    const int mainDigit = DigitOf(key, false);
    if (mainDigit >= 1 && mainDigit <= 4) {
      static constexpr int kPercent[] = {100, 150, 200, 250};
      const int p = kPercent[mainDigit - 1];
      TKeyDecision d = Do(TKeyAction::ResizeClient);
      d.width = MulDiv(p * 416 / 100, c.pixelsPerInch, 96);
      d.height = mainDigit <= 2 ? MulDiv(p * 406 / 100, c.pixelsPerInch, 96) : 0;
      return d;
    }
  }
  if (key == vk::Return && alt) return Do(TKeyAction::ToggleMaximized);
  if ((key == vk::F5 && none) || (key == 'R' && ctrl)) return Do(TKeyAction::SelectDevice);
  if ((key == vk::F5 && ctrl) || (key == 'R' && ctrlShift)) return Do(TKeyAction::Rescan);
  if (key == vk::F4 && none) {
    if (c.focus == TFocusKind::ComboBox) return Do(TKeyAction::NotHandled);
    return Do(c.selectorDropped ? TKeyAction::FocusPageControl : TKeyAction::OpenDeviceSelector);
  }
  if (key == vk::F9 && none) return c.hideSerialRegistered ? Do(TKeyAction::ToggleHideSerial) : Do(TKeyAction::NotHandled);
  if (key == vk::F12 && none) return Do(TKeyAction::StartSecondWindow);
  if ((key == vk::Insert || key == 'T') && ctrl) return Do(TKeyAction::DuplicatePage);
  if ((key == vk::Delete || key == 'W') && ctrl) return Do(TKeyAction::ClosePageLater);
  if (key == vk::Delete && alt) return Do(TKeyAction::DeleteDevice, c.deviceIndex);
  return Do(TKeyAction::NotHandled);
}

}  // namespace vexa
