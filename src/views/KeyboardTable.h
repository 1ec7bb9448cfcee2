// The main window's keyboard table, decided in portable code: which action a key
// with its exact modifier set stands for, in the table's order. The window sees
// keys before its controls, asks DecideKey, performs the action and, when the key
// was handled, drops it so no character or beep follows.
#pragma once

#include <cstdint>

namespace vexa {

// Virtual-key codes, as Windows numbers them.
namespace vk {
inline constexpr std::uint32_t Return = 0x0D;
inline constexpr std::uint32_t PageUp = 0x21;
inline constexpr std::uint32_t PageDown = 0x22;
inline constexpr std::uint32_t Left = 0x25;
inline constexpr std::uint32_t Right = 0x27;
inline constexpr std::uint32_t Insert = 0x2D;
inline constexpr std::uint32_t Delete = 0x2E;
inline constexpr std::uint32_t Digit0 = 0x30;
inline constexpr std::uint32_t Numpad0 = 0x60;
inline constexpr std::uint32_t F1 = 0x70;
inline constexpr std::uint32_t F2 = 0x71;
inline constexpr std::uint32_t F4 = 0x73;
inline constexpr std::uint32_t F5 = 0x74;
inline constexpr std::uint32_t F9 = 0x78;
inline constexpr std::uint32_t F12 = 0x7B;
}  // namespace vk

enum TKeyModifier : std::uint8_t { kShift = 1, kAlt = 2, kCtrl = 4 };

enum class TFocusKind : std::uint8_t { Other, Edit, ComboBox };

// What the decision needs to know of the window at the moment of the key.
struct TKeyContext {
  TFocusKind focus = TFocusKind::Other;
  int deviceCount = 0;
  int deviceIndex = 0;
  int pageCount = 0;
  int pageIndex = 0;
  int previousPageIndex = 0;
  bool selectorDropped = false;
  bool hideSerialRegistered = false;  // the Device page exists
  bool aboutPageAvailable = false;
  bool configPageAvailable = false;
  int pixelsPerInch = 96;
};

enum class TKeyAction : std::uint8_t {
  None,             // consumed, nothing to do
  NotHandled,       // the key goes on to the focused control
  SetDeviceIndex,   // value
  SetPageIndex,     // value (remembers the previous page)
  ShowAboutPage,
  ShowConfigPage,
  ResizeClient,     // width, height (0: keep the height)
  ToggleMaximized,
  SelectDevice,
  Rescan,
  FocusPageControl,
  OpenDeviceSelector,
  ToggleHideSerial,
  StartSecondWindow,
  DuplicatePage,
  ClosePageLater,
  DeleteDevice,     // value: the device index
};

struct TKeyDecision {
  TKeyAction action = TKeyAction::NotHandled;
  int value = 0;
  int width = 0;
  int height = 0;
  bool Handled() const { return action != TKeyAction::NotHandled; }
};

TKeyDecision DecideKey(std::uint32_t key, std::uint8_t modifiers, const TKeyContext& context);

}  // namespace vexa
