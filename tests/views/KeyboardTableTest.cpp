// The keyboard table: each row with its exact modifiers, the wrap-arounds, and
// the keys that must reach the focused control.
#include "views/KeyboardTable.h"

#include <gtest/gtest.h>

#include "views/MainController.h"

namespace vexa {
namespace {

TKeyContext Window() {
  TKeyContext c;
  c.deviceCount = 5;
  c.deviceIndex = 4;
  c.pageCount = 7;
  c.pageIndex = 6;
  c.previousPageIndex = 2;
  c.hideSerialRegistered = true;
  return c;
}

TEST(KeyboardTable, DigitsChooseDevicesOrPages) {
  TKeyContext c = Window();
  EXPECT_EQ(DecideKey('5', 0, c).action, TKeyAction::SetDeviceIndex);
  EXPECT_EQ(DecideKey('5', 0, c).value, 4);
  EXPECT_EQ(DecideKey(vk::Numpad0 + 2, 0, c).value, 1);
  EXPECT_EQ(DecideKey('6', 0, c).action, TKeyAction::None);  // no sixth device: consumed, nothing done
  c.focus = TFocusKind::Edit;
  EXPECT_EQ(DecideKey('5', 0, c).action, TKeyAction::NotHandled);  // typed into the edit field
  EXPECT_EQ(DecideKey('3', kCtrl, c).action, TKeyAction::SetPageIndex);
  EXPECT_EQ(DecideKey('3', kCtrl, c).value, 2);
  EXPECT_EQ(DecideKey('8', kCtrl, c).action, TKeyAction::None);
  EXPECT_EQ(DecideKey('5', kCtrl | kShift, c).action, TKeyAction::NotHandled);  // modifiers must match exactly
  EXPECT_EQ(DecideKey('0', 0, c).action, TKeyAction::NotHandled);
}

TEST(KeyboardTable, WrapAround) {
  TKeyContext c = Window();
  EXPECT_EQ(DecideKey(vk::Right, kAlt, c).value, 0);  // past the last device: the first
  c.deviceIndex = 0;
  EXPECT_EQ(DecideKey(vk::Left, kAlt, c).value, 4);
  EXPECT_EQ(DecideKey(vk::PageDown, kCtrl, c).value, 0);  // past the last page: the first
  c.pageIndex = 0;
  EXPECT_EQ(DecideKey(vk::PageUp, kCtrl, c).value, 6);
  EXPECT_EQ(DecideKey('D', kCtrl, c).value, 2);
  c.deviceCount = 0;
  EXPECT_EQ(DecideKey(vk::Right, kAlt, c).action, TKeyAction::None);
}

TEST(KeyboardTable, SizesAndToggles) {
  TKeyContext c = Window();
  const TKeyDecision three = DecideKey('3', kAlt, c);
  EXPECT_EQ(three.action, TKeyAction::ResizeClient);
  EXPECT_EQ(three.width, 832);
  EXPECT_EQ(three.height, 0);  // keys 3 and 4 leave the height
  const TKeyDecision one = DecideKey('1', kAlt, c);
  EXPECT_EQ(one.width, 416);
  EXPECT_EQ(one.height, 406);
  c.pixelsPerInch = 144;
  EXPECT_EQ(DecideKey('2', kAlt, c).width, 936);
  EXPECT_EQ(DecideKey(vk::Numpad0 + 3, kAlt, c).action, TKeyAction::NotHandled);  // main keyboard only
  EXPECT_EQ(DecideKey(vk::Return, kAlt, c).action, TKeyAction::ToggleMaximized);
  EXPECT_EQ(DecideKey(vk::F9, 0, c).action, TKeyAction::ToggleHideSerial);
  c.hideSerialRegistered = false;
  EXPECT_EQ(DecideKey(vk::F9, 0, c).action, TKeyAction::NotHandled);  // no Device page yet
}

TEST(KeyboardTable, CommandsInTableOrder) {
  TKeyContext c = Window();
  EXPECT_EQ(DecideKey(vk::F5, 0, c).action, TKeyAction::SelectDevice);
  EXPECT_EQ(DecideKey('R', kCtrl, c).action, TKeyAction::SelectDevice);
  EXPECT_EQ(DecideKey(vk::F5, kCtrl, c).action, TKeyAction::Rescan);
  EXPECT_EQ(DecideKey('R', kCtrl | kShift, c).action, TKeyAction::Rescan);
  EXPECT_EQ(DecideKey(vk::F4, 0, c).action, TKeyAction::OpenDeviceSelector);
  c.selectorDropped = true;
  EXPECT_EQ(DecideKey(vk::F4, 0, c).action, TKeyAction::FocusPageControl);
  c.focus = TFocusKind::ComboBox;
  EXPECT_EQ(DecideKey(vk::F4, 0, c).action, TKeyAction::NotHandled);
  EXPECT_EQ(DecideKey(vk::F12, 0, c).action, TKeyAction::StartSecondWindow);
  EXPECT_EQ(DecideKey('T', kCtrl, c).action, TKeyAction::DuplicatePage);
  EXPECT_EQ(DecideKey(vk::Insert, kCtrl, c).action, TKeyAction::DuplicatePage);
  EXPECT_EQ(DecideKey('W', kCtrl, c).action, TKeyAction::ClosePageLater);
  EXPECT_EQ(DecideKey(vk::Delete, kCtrl, c).action, TKeyAction::ClosePageLater);
  EXPECT_EQ(DecideKey(vk::Delete, kAlt, c).action, TKeyAction::DeleteDevice);
  EXPECT_EQ(DecideKey(vk::Delete, kAlt, c).value, 4);
  EXPECT_EQ(DecideKey(vk::F1, 0, c).action, TKeyAction::NotHandled);  // no About page yet
  c.aboutPageAvailable = true;
  EXPECT_EQ(DecideKey(vk::F1, 0, c).action, TKeyAction::ShowAboutPage);
  EXPECT_EQ(DecideKey('X', kCtrl, c).action, TKeyAction::NotHandled);
}

TEST(ClosingPages, ActivePageAfterwards) {
  EXPECT_EQ(PageIndexAfterClosing(4, 4, 5), 3);  // the active last page: the one before it
  EXPECT_EQ(PageIndexAfterClosing(1, 3, 5), 2);  // left of the active page: same page, one place down
  EXPECT_EQ(PageIndexAfterClosing(3, 1, 5), 1);
  // Regression: closing the last page while another is active used to move the
  // active page one to the left.
  EXPECT_EQ(PageIndexAfterClosing(4, 1, 5), 1);
}

}  // namespace
}  // namespace vexa
