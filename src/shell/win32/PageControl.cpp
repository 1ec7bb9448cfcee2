// Tab control and its pages.
#include "shell/win32/PageControl.h"

#include <commctrl.h>

#include <algorithm>

#include "shell/win32/Sheet.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr wchar_t kSheetClass[] = L"VexaSheet";

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The sheet object is stored in the window's user data once it exists.
  if (auto* sheet = reinterpret_cast<TWin32Sheet*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
    if (const auto result = sheet->Dispatch(message, wParam, lParam)) return *result;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterSheetClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = SheetProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kSheetClass;
  RegisterClassExW(&windowClass);
  registered = true;
}

}  // namespace

TWin32Sheet::TWin32Sheet(TWin32PageControl* pages, HWND sheetWindow) : owner(pages), window(sheetWindow) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32Sheet::~TWin32Sheet() {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  owner->RemoveSheet(this);
  DestroyWindow(window);
}

void TWin32Sheet::SetText(std::string_view text) {
  const int index = owner->PageIndexOf(this);
  if (index < 0) return;
  std::wstring wide = Wide(text);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = wide.data();
  TabCtrl_SetItem(owner->Handle(), index, &item);
}

TWin32PageControl::TWin32PageControl(HWND parent, HWND mainWindowHandle, HFONT font) : mainWindow(mainWindowHandle) {
  RegisterSheetClass();
  tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP,
                        0, 0, 100, 100, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

TWin32PageControl::~TWin32PageControl() = default;

std::unique_ptr<TSheet> TWin32PageControl::AddSheet() {
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kSheetClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 10, 10, tab,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  auto sheet = std::make_unique<TWin32Sheet>(this, window);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  wchar_t empty[] = L"";
  item.pszText = empty;
  TabCtrl_InsertItem(tab, static_cast<int>(sheets.size()), &item);
  sheets.push_back(sheet.get());
  if (sheets.size() == 1) TabCtrl_SetCurSel(tab, 0);
  LayOutSheets();
  return sheet;
}

void TWin32PageControl::RemoveSheet(const TSheet* sheet) {
  const int index = PageIndexOf(sheet);
  if (index < 0) return;
  TabCtrl_DeleteItem(tab, index);
  sheets.erase(sheets.begin() + index);
  if (TabCtrl_GetCurSel(tab) < 0 && !sheets.empty()) TabCtrl_SetCurSel(tab, std::min<int>(index, sheets.size() - 1));
  LayOutSheets();
}

int TWin32PageControl::PageIndexOf(const TSheet* sheet) const {
  const auto it = std::find(sheets.begin(), sheets.end(), sheet);
  return it == sheets.end() ? -1 : static_cast<int>(it - sheets.begin());
}

int TWin32PageControl::ActivePageIndex() const { return TabCtrl_GetCurSel(tab); }

HWND TWin32PageControl::SheetWindow(int pageIndex) const {
  return pageIndex >= 0 && pageIndex < static_cast<int>(sheets.size())
             ? static_cast<TWin32Sheet*>(sheets[pageIndex])->Window()
             : nullptr;
}

void TWin32PageControl::SelectPage(int pageIndex) {
  if (pageIndex < 0 || pageIndex >= static_cast<int>(sheets.size())) return;
  TabCtrl_SetCurSel(tab, pageIndex);
  LayOutSheets();
}

void TWin32PageControl::ShowPage(const TSheet* sheet) {
  const int index = PageIndexOf(sheet);
  if (index < 0) return;
  SelectPage(index);
  if (onPageChanged) onPageChanged(index);
}

void TWin32PageControl::HandleSelectionChange() {
  LayOutSheets();
  if (onPageChanged) onPageChanged(ActivePageIndex());
}

void TWin32PageControl::PostClosePage(int pageIndex) { PostMessageW(mainWindow, kClosePageMessage, pageIndex, 0); }

void TWin32PageControl::Resize(const RECT& bounds) {
  MoveWindow(tab, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, TRUE);
  LayOutSheets();
}

void TWin32PageControl::LayOutSheets() {
  RECT area;
  GetClientRect(tab, &area);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  const int active = ActivePageIndex();
  for (int i = 0; i < static_cast<int>(sheets.size()); ++i) {
    HWND window = SheetWindow(i);
    MoveWindow(window, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    ShowWindow(window, i == active ? SW_SHOW : SW_HIDE);
  }
}

}  // namespace vexa
