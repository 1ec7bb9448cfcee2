// The main window's input: the keyboard table (keys reach the window before its
// controls), the mouse wheel that scrolls what is under the mouse, and the drawing
// of the device selector's items.
#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include "device/DeviceManager.h"
#include "shell/Core.h"
#include "shell/EasyConfig.h"
#include "shell/PixelsPerInch.h"
#include "shell/Tabs.h"
#include "shell/win32/PageControl.h"
#include "support/Format.h"
#include "support/win32/NvForm.h"
#include "support/win32/WideText.h"
#include "views/KeyboardTable.h"
#include "views/win32/AboutPage.h"
#include "views/win32/ConfigPage.h"

namespace vexa {

namespace {

TFocusKind FocusKind() {
  HWND focus = GetFocus();
  if (!focus) return TFocusKind::Other;
  wchar_t name[64] = L"";
  GetClassNameW(focus, name, 64);
  if (_wcsicmp(name, WC_EDITW) == 0) return TFocusKind::Edit;
  if (_wcsicmp(name, WC_COMBOBOXW) == 0 || _wcsicmp(name, L"ComboLBox") == 0) return TFocusKind::ComboBox;
  return TFocusKind::Other;
}

std::uint8_t Modifiers() {
  std::uint8_t modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= kShift;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kAlt;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= kCtrl;
  return modifiers;
}

// The character message that follows a handled key is removed, so no character
// and no beep reach the focused control.
void DropPendingKeys(HWND window) {
  MSG pending;
  PeekMessageW(&pending, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
  PeekMessageW(&pending, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE);
  PeekMessageW(&pending, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE);
}

}  // namespace

bool TVexaForm::PreTranslate(MSG& message) {
  if (!window || shutDown) return false;
  // The house form's key preview, the path its tests drive, decides which keys are
  // the window's; HandleKey is its handler.
  if (form->PreviewKey(message)) {
    DropPendingKeys(window);
    return true;
  }
  if (message.message == WM_MOUSEWHEEL) return HandleWheel(message);
  if (message.message == WM_MBUTTONDOWN && pages && message.hwnd == pages->Handle()) {
    // Middle-clicking a tab closes its page at once.
    TCHITTESTINFO hit{};
    hit.pt = POINT{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
    const int index = TabCtrl_HitTest(pages->Handle(), &hit);
    if (index >= 0) {
      ClosePage(index);
      return true;
    }
  }
  return false;
}

bool TVexaForm::HandleKey(UINT key) {
  TKeyContext context;
  context.focus = FocusKind();
  context.deviceCount = devices->Count();
  context.deviceIndex = settings.deviceIndex->Value();
  context.pageCount = PageCount();
  context.pageIndex = settings.pageIndex->Value();
  context.previousPageIndex = previousPageIndex;
  context.selectorDropped = SendMessageW(deviceSelector, CB_GETDROPPEDSTATE, 0, 0) != 0;
  context.hideSerialRegistered = config->Find("tabs.device.hide_serial") != nullptr;
  context.pixelsPerInch = scaler->Target();
  context.configPageAvailable = true;
  context.aboutPageAvailable = true;
  const TKeyDecision decision = DecideKey(key, Modifiers(), context);
  switch (decision.action) {
    case TKeyAction::NotHandled:
      return false;
    case TKeyAction::None:
      break;
    case TKeyAction::SetDeviceIndex:
      settings.deviceIndex->SetValue(decision.value);
      break;
    case TKeyAction::SetPageIndex:
      SetPageIndex(decision.value);
      break;
    case TKeyAction::ShowAboutPage:
      ShowPageOfClass(TabClassOf<TAboutPage>());
      break;
    case TKeyAction::ShowConfigPage:
      ShowPageOfClass(TabClassOf<TConfigPage>());
      break;
    case TKeyAction::ResizeClient:
      settings.windowMaxed->SetValue(false);
      SetClientSize(decision.width, decision.height > 0 ? decision.height : ClientHeight());
      settings.windowWidth->SetValue(OuterWidth());
      settings.windowHeight->SetValue(OuterHeight());
      break;
    case TKeyAction::ToggleMaximized:
      settings.windowMaxed->SetValue(!settings.windowMaxed->Value());
      break;
    case TKeyAction::SelectDevice:
      controller->SelectDevice();
      break;
    case TKeyAction::Rescan:
      controller->Rescan();
      break;
    case TKeyAction::FocusPageControl:
      SendMessageW(deviceSelector, CB_SHOWDROPDOWN, FALSE, 0);
      SetFocus(pages->Handle());
      break;
    case TKeyAction::OpenDeviceSelector:
      SetFocus(deviceSelector);
      SendMessageW(deviceSelector, CB_SHOWDROPDOWN, TRUE, 0);
      break;
    case TKeyAction::ToggleHideSerial:
      if (auto* hide = config->FindAs<TConfigVarBool>("tabs.device.hide_serial")) hide->SetValue(!hide->Value());
      break;
    case TKeyAction::StartSecondWindow:
      config->Save(false);
      StartSecondWindow();
      break;
    case TKeyAction::DuplicatePage:
      // A new module of the same class, shown at once.
      if (TVexaTab* tab = tabs->FindByPageIndex(pages->ActivePageIndex()))
        if (const TTabClass* tabClass = tabs->ClassOf(tab)) ShowTab(tabs->Add(*tabClass));
      break;
    case TKeyAction::ClosePageLater:
      if (TVexaTab* tab = tabs->FindByPageIndex(pages->ActivePageIndex())) CloseTabLater(tab);
      break;
    case TKeyAction::DeleteDevice:
      devices->Delete(decision.value);
      break;
  }
  return true;
}

// The wheel scrolls what is under the mouse, not what has the focus.
bool TVexaForm::HandleWheel(const MSG& message) {
  const POINT point{static_cast<short>(LOWORD(message.lParam)), static_cast<short>(HIWORD(message.lParam))};
  HWND target = WindowFromPoint(point);
  if (!target || (target != window && !IsChild(window, target))) return false;
  if (target == pages->Handle()) {
    HWND arrows = FindWindowExW(pages->Handle(), nullptr, UPDOWN_CLASSW, nullptr);
    TCHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(pages->Handle(), &hit.pt);
    if (arrows && IsWindowVisible(arrows) && TabCtrl_HitTest(pages->Handle(), &hit) >= 0) {
      const int steps = -GET_WHEEL_DELTA_WPARAM(message.wParam) / WHEEL_DELTA;
      const int position = LOWORD(SendMessageW(arrows, UDM_GETPOS, 0, 0)) + steps;
      SendMessageW(pages->Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::max(0, position)), 0);
      return true;
    }
  }
  if (target != message.hwnd) {
    SendMessageW(target, message.message, message.wParam, message.lParam);
    return true;
  }
  return false;
}

// Colour box, display name, and the kind letter with the number in italics on the
// right: P0 for a physical disk, S0 for a SCSI port, C0 for an optical drive.
void TVexaForm::DrawSelectorItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  TDeviceInfo* device = item.itemID == static_cast<UINT>(-1) ? nullptr : devices->Device(static_cast<int>(item.itemID));
  if (device) {
    const int boxWidth = scaler->Scale(6), gap = scaler->Scale(4);
    RECT box = item.rcItem;
    box.right = box.left + boxWidth;
    RECT text = item.rcItem;
    text.left += boxWidth + gap;
    text.right -= gap;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring name = Wide(device->GetDisplayName());
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    LOGFONTW logFont{};
    HFONT current = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    GetObjectW(current, sizeof logFont, &logFont);
    logFont.lfItalic = TRUE;
    HFONT italic = CreateFontIndirectW(&logFont);
    HGDIOBJ old = SelectObject(dc, italic);
    const std::wstring token = Wide(Format("%s%d", device->name.substr(0, 1), device->number));
    // Italic letters lean past their cell: the last one is placed clear of the edge
    // and drawn unclipped, or its top right corner would be cut off ("P0" read "PC").
    RECT tokenRect = text;
    tokenRect.right -= scaler->Scale(2);
    DrawTextW(dc, token.c_str(), static_cast<int>(token.size()), &tokenRect,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, old);
    DeleteObject(italic);
    HBRUSH brush = CreateSolidBrush(device->GetColor());
    FillRect(dc, &box, brush);
    DeleteObject(brush);
  }
  // An owner-drawn combo box leaves the keyboard-focus frame to its owner.
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    SetBkColor(dc, 0);
    SetTextColor(dc, 0);
    DrawFocusRect(dc, &item.rcItem);
  }
}

}  // namespace vexa
