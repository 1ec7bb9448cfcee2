// The Device page's controls: building them on the sheet, placing them from the
// portable layout, painting the boxes and the logo double-buffered, the tool
// tips, the click shortcuts and the double-click copy.
#include "views/win32/DevicePage.h"

#include "shell/win32/Fonts.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <exception>

#include "shell/App.h"
#include "shell/Core.h"
#include "shell/Shared.h"
#include "shell/win32/Sheet.h"
#include "support/win32/ClipboardSimple.h"
#include "support/win32/NvControls.h"
#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr wchar_t kPanelClass[] = L"TVexaPropertyPanel";
// Inside a box's one-pixel bevel, the border keeps the text two pixels further in.
constexpr int kBoxTextInset = 1 + 2;

void RegisterPanelClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kPanelClass;
  RegisterClassExW(&windowClass);
  registered = true;
}

void Move(HWND window, const TRect& r) { MoveWindow(window, r.left, r.top, r.width, r.height, FALSE); }

// Paints through a bitmap of the client's size, so a repaint never flickers.
template <typename TPaint>
void PaintBuffered(HWND window, TPaint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory, client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
  } else {
    paint(dc, client);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  EndPaint(window, &ps);
}

}  // namespace

TDevicePage::TDevicePage(std::unique_ptr<TSheet> ownSheet) : TDeviceTab(std::move(ownSheet), TDeferredStart{}) {
  iconTitle = IconTitleFontSpec();
  TWin32Sheet* win32Sheet = TWin32Sheet::Of(Sheet());
  if (win32Sheet) {
    sheetWindow = win32Sheet->Window();
    RegisterPanelClass(PanelProc);
    win32Sheet->SetHandler([this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == WM_SIZE) PlaceOuterPanel();
      return std::nullopt;
    });

    outerSlot = {this, kOuterRole};
    outer = CreatePanel(sheetWindow, outerSlot, 0);
    PlaceOuterPanel();

    logoSlot = {this, kLogoRole};
    logo = CreatePanel(outer, logoSlot, kDeviceLogoControlId);
    AddTooltip(kDeviceTooltipLogo, reinterpret_cast<std::uintptr_t>(logo), kDeviceTooltipLogoFlags);

    for (int i = 0; i < kDeviceBoxCount; ++i) {
      labels[i] = Wide(App().status ? App().status->Entry(i).name : std::string(StatusPropertyName(i)));
      boxSlots[i] = {this, i};
      boxes[i] = CreatePanel(outer, boxSlots[i], kDeviceBoxControlId + i);
      AddTooltip(static_cast<std::uint16_t>(i), reinterpret_cast<std::uintptr_t>(boxes[i]), kDeviceTooltipBoxFlags);
    }
    built = true;
  }
  Start();
  // Before start-up the settings load lays the page out; until then it shows the
  // design layout and the generic logo.
  if (!App().core || !App().core->started) {
    Relayout();
    DeviceChanged(nullptr);
    for (int i = 0; i < kDeviceBoxCount; ++i) BoxChanged(i);
  }
}

TDevicePage::~TDevicePage() {
  if (logo) RemoveTooltip(reinterpret_cast<std::uintptr_t>(logo));
  for (HWND box : boxes)
    if (box) RemoveTooltip(reinterpret_cast<std::uintptr_t>(box));
  built = false;
  if (TWin32Sheet* win32Sheet = TWin32Sheet::Of(Sheet())) win32Sheet->SetHandler({});
  if (outer) DestroyWindow(outer);
  if (font) DeleteObject(font);
  if (logoBitmap) DeleteObject(logoBitmap);
}

HWND TDevicePage::CreatePanel(HWND parent, TPanelSlot& slot, int controlId) {
  HWND window = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                GetModuleHandleW(nullptr), nullptr);
  if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&slot));
  return window;
}

// Anchored to all four sides of the sheet, six (scaled) pixels in, one more at the bottom.
void TDevicePage::PlaceOuterPanel() {
  if (!outer || !sheetWindow) return;
  RECT client;
  GetClientRect(sheetWindow, &client);
  const int a = App().scaler ? App().scaler->Scale(6) : 6;
  MoveWindow(outer, a, a, std::max<LONG>(client.right - 2 * a, 0), std::max<LONG>(client.bottom - 2 * a - 1, 0), TRUE);
}

TPanelSize TDevicePage::OuterPanelSize() const {
  if (!outer) return {};
  RECT bounds;
  GetWindowRect(outer, &bounds);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

bool TDevicePage::LogoResourceExists(int resource) const {
  return resource > 0 && resource < 0x10000 &&
         FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(2)) != nullptr;
}

void TDevicePage::BoxChanged(int index) {
  if (!built || index < 0 || index >= kDeviceBoxCount) return;
  // The text is also the box's window text, for tools that read controls.
  SetWindowTextW(boxes[index], Wide(BoxView(index).text).c_str());
  InvalidateRect(boxes[index], nullptr, FALSE);
  UpdateWindow(boxes[index]);
}

void TDevicePage::LogoChanged() {
  if (!built || !LogoResource()) return;
  auto* bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(*LogoResource()),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  // A bitmap that will not load leaves the current picture.
  if (!bitmap) return;
  if (logoBitmap) DeleteObject(logoBitmap);
  logoBitmap = bitmap;
  InvalidateRect(logo, nullptr, FALSE);
  UpdateWindow(logo);
}

void TDevicePage::LayoutChanged() {
  if (!built) return;
  const TDeviceLayout& place = Layout();
  HFONT newFont = CreateFontFromSpec(place.font);
  SendMessageW(outer, WM_SETREDRAW, FALSE, 0);
  Move(logo, place.logo);
  for (int i = 0; i < kDeviceBoxCount; ++i) Move(boxes[i], place.boxes[i]);
  if (font) DeleteObject(font);
  font = newFont;
  SendMessageW(outer, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(outer, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The outer panel takes its sheet's colour.
HBRUSH TDevicePage::OuterBrush() const {
  const auto value = sheetWindow ? GetClassLongPtrW(sheetWindow, GCLP_HBRBACKGROUND) : 0;
  // A class background may be a system colour number plus one rather than a brush.
  if (value > 0 && value <= COLOR_MENUBAR + 1) return GetSysColorBrush(static_cast<int>(value - 1));
  return value ? reinterpret_cast<HBRUSH>(value) : GetSysColorBrush(COLOR_BTNFACE);
}

void TDevicePage::Paint(const TPanelSlot& slot, HDC dc, const RECT& client) {
  RECT r = client;
  HGDIOBJ oldFont = SelectObject(dc, font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  SetBkMode(dc, TRANSPARENT);
  if (slot.role == kOuterRole) {
    FillRect(dc, &r, OuterBrush());
    DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    // The labels are drawn on the panel rather than being windows: a label's
    // rectangle reaches across the boxes to its left, and only its text may show.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (int i = 0; i < kDeviceBoxCount; ++i) {
      const TRect& bounds = Layout().labels[i];
      RECT area{bounds.left, bounds.top, bounds.Right(), bounds.Bottom()};
      DrawTextW(dc, labels[i].c_str(), static_cast<int>(labels[i].size()), &area,
                DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
    SelectObject(dc, oldFont);
    return;
  }
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if (slot.role == kLogoRole) {
    SelectObject(dc, oldFont);
    if (!logoBitmap) return;
    BITMAP info{};
    GetObjectW(logoBitmap, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, logoBitmap);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    return;
  }
  const TDeviceBoxView view = BoxView(slot.role);
  const std::wstring text = Wide(view.text);
  SetTextColor(dc, view.color);
  RECT textArea{client.left + kBoxTextInset, client.top, client.right - kBoxTextInset, client.bottom};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, oldFont);
}

void TDevicePage::MouseDown(int index, TDeviceMouseButton button, bool doubleClick) {
  const std::optional<std::string> copy = BoxMouseDown(index, button, doubleClick);
  if (!copy) return;
  TClipboardSimple clipboard;
  clipboard.owner = App().core ? reinterpret_cast<HWND>(App().core->mainWindowHandle) : nullptr;
  clipboard.SetText(*copy);
}

LRESULT CALLBACK TDevicePage::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* slot = reinterpret_cast<const TPanelSlot*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!slot || !slot->page) return DefWindowProcW(window, message, wParam, lParam);
  // Errors must not unwind through the window system.
  try {
    return slot->page->PanelMessage(*slot, window, message, wParam, lParam);
  } catch (const std::exception& error) {
    ShowMessage(error.what(), kMessageIconError);
  }
  return 0;
}

LRESULT TDevicePage::PanelMessage(const TPanelSlot& slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintBuffered(window, [&](HDC dc, const RECT& client) { Paint(slot, dc, client); });
      return 0;
    case WM_SIZE:
      if (slot.role == kOuterRole && built) Relayout();
      break;
    default:
      break;
  }
  if (slot.role < 0) return DefWindowProcW(window, message, wParam, lParam);

  // A box: the platform's handling first, then the page's shortcuts.
  const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_LBUTTONDOWN: MouseDown(slot.role, TDeviceMouseButton::Left, false); break;
    case WM_LBUTTONDBLCLK: MouseDown(slot.role, TDeviceMouseButton::Left, true); break;
    case WM_RBUTTONDOWN: MouseDown(slot.role, TDeviceMouseButton::Right, false); break;
    case WM_RBUTTONDBLCLK: MouseDown(slot.role, TDeviceMouseButton::Right, true); break;
    case WM_MBUTTONDOWN: MouseDown(slot.role, TDeviceMouseButton::Middle, false); break;
    case WM_MBUTTONDBLCLK: MouseDown(slot.role, TDeviceMouseButton::Middle, true); break;
    default: break;
  }
  return result;
}

bool TDevicePage::GetTooltip(std::uint16_t item, TTooltipContent& tooltip) {
  if (!TDeviceTab::GetTooltip(item, tooltip)) return false;
  // The module gives the state (0..3); the tip takes the image list's icon for it,
  // which the window destroys after use.
  if (item < kDeviceBoxCount && SharedImages()) {
    if (HICON ball = ImageList_GetIcon(SharedImages(), static_cast<int>(tooltip.icon), ILD_NORMAL)) {
      tooltip.icon = reinterpret_cast<std::uintptr_t>(ball);
    }
  }
  return true;
}

}  // namespace vexa
