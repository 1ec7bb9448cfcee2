// The house form behaviours (see NvForm.h), carried out through a comctl32
// subclass of the form's window.
#include "support/win32/NvForm.h"

#include <commctrl.h>
#include <shellapi.h>

#include "support/win32/NvControls.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

std::string& StoredApplicationTitle() {
  static std::string title;
  return title;
}

TRect ToRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

TNvForm::TNvForm(HWND formWindow) : window(formWindow) {
  SetWindowSubclass(window, FormProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(IconTitleFont()), FALSE);
  DragAcceptFiles(window, acceptFiles);
}

TNvForm::~TNvForm() {
  if (window) RemoveWindowSubclass(window, FormProc, reinterpret_cast<UINT_PTR>(this));
}

HFONT TNvForm::Font() const { return IconTitleFont(); }

const std::string& TNvForm::ApplicationTitle() { return StoredApplicationTitle(); }

void TNvForm::SetStayOnTop(bool onTop) {
  stayOnTop = onTop;
  if (window)
    SetWindowPos(window, stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TNvForm::SetRedrawEnabled(bool enabled) {
  if (enabled == redrawEnabled) return;
  redrawEnabled = enabled;
  if (!window) return;
  SendMessageW(window, WM_SETREDRAW, enabled, 0);
  if (enabled) RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TNvForm::SetAcceptFiles(bool accept) {
  acceptFiles = accept;
  if (window) DragAcceptFiles(window, accept);
}

bool TNvForm::PreviewKey(const MSG& message) {
  if (!window || !onKeyDown || (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  return onKeyDown(static_cast<UINT>(message.wParam));
}

void TNvForm::SnapToEdges() {
  if (!window || snapDistance < 1 || IsZoomed(window) || IsIconic(window)) return;
  RECT bounds;
  GetWindowRect(window, &bounds);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT workArea;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    workArea = monitor.rcWork;
  else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0))
    return;
  const TRect form = ToRect(bounds);
  const TRect snapped = SnapToWorkArea(form, ToRect(workArea), snapDistance);
  if (snapped == form) return;
  SetWindowPos(window, nullptr, snapped.left, snapped.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TNvForm::DropFiles(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
    files.push_back(Narrow(name));
  }
  DragFinish(drop);
  if (onFilesDropped) onFilesDropped(files);
}

// A plain window, unlike a dialog, takes the focus itself when it is activated
// again: without this, after a dialog or a message box closes the keys of the page
// the user was in go nowhere until a click.
void TNvForm::RememberFocus() {
  HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) lastFocus = focus;
}

bool TNvForm::RestoreFocus() {
  if (!lastFocus || !IsWindow(lastFocus) || !IsChild(window, lastFocus) || !IsWindowVisible(lastFocus) ||
      !IsWindowEnabled(lastFocus))
    return false;
  SetFocus(lastFocus);
  return true;
}

LRESULT TNvForm::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CANCELMODE:
      // Sent first when a modal window disables the form, before the focus goes.
      RememberFocus();
      return DefSubclassProc(window, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
      } else if (!HIWORD(wParam) && RestoreFocus()) {
        return 0;
      }
      return DefSubclassProc(window, message, wParam, lParam);
    case WM_EXITSIZEMOVE:
      // Snapped before the window hears the move ended, so what it stores is where
      // the window stays.
      SnapToEdges();
      return DefSubclassProc(window, message, wParam, lParam);
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      if (!GetWindow(window, GW_OWNER)) {
        StoredApplicationTitle() = lParam ? Narrow(reinterpret_cast<const wchar_t*>(lParam)) : std::string();
        if (onTitleChanged) onTitleChanged(StoredApplicationTitle());
      }
      return result;
    }
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      RemoveWindowSubclass(window, FormProc, reinterpret_cast<UINT_PTR>(this));
      window = nullptr;
      return result;
    }
    default:
      return DefSubclassProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK TNvForm::FormProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<TNvForm*>(data)->Message(message, wParam, lParam);
}

}  // namespace vexa
