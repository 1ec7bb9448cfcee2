// The About page's boxes, painted from the tables, and its buttons, placed by their rules.
#include "views/win32/AboutPage.h"

#include <algorithm>

#include "shell/App.h"
#include "shell/PixelsPerInch.h"
#include "shell/win32/Sheet.h"
#include "support/win32/NvControls.h"
#include "support/win32/WideText.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

constexpr int kFirstItemId = 2000;

// The release date in the user's long date format.
std::wstring LongReleaseDate() {
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(kAboutReleaseDate.year);
  date.wMonth = static_cast<WORD>(kAboutReleaseDate.month);
  date.wDay = static_cast<WORD>(kAboutReleaseDate.day);
  wchar_t text[128] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, text, static_cast<int>(std::size(text))) > 0)
    return text;
  return L"2016-09-09";
}

constexpr int kAboutBoxId = 1998;
constexpr int kLicenceBoxId = 1999;

// A box: one owner-drawn window, below the buttons, which it does not paint over.
HWND BoxWindow(HWND parent, int id) {
  return CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_OWNERDRAW | SS_NOTIFY, 0, 0,
                         0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

}  // namespace

TAboutPage::TAboutPage(std::unique_ptr<TSheet> sheet) : TAboutTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  if (!sheetWindow) return;
  pageFont = IconTitleFont();
  releaseLine = Wide(AboutReleaseLine(Narrow(LongReleaseDate())));
  aboutBox = BoxWindow(sheetWindow, kAboutBoxId);
  licenceBox = BoxWindow(sheetWindow, kLicenceBoxId);
  int id = kFirstItemId;
  for (const TAboutItem& item : AboutBoxItems()) Build(item, false, id++);
  for (const TAboutItem& item : LicenceBoxItems()) Build(item, true, id++);
  // The boxes go below every item window.
  for (HWND box : {aboutBox, licenceBox}) SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  Place();
}

TAboutPage::~TAboutPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  for (const TControl& control : controls)
    if (control.window && IsWindow(control.window)) DestroyWindow(control.window);
  for (HWND box : {aboutBox, licenceBox})
    if (box && IsWindow(box)) DestroyWindow(box);
  for (HFONT font : fonts) DeleteObject(font);
}

void TAboutPage::Build(const TAboutItem& item, bool licence, int id) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  TControl control{nullptr, &item, licence};
  control.font = item.font.empty() ? pageFont : CreatePageFont(item.font);
  if (!item.font.empty() && control.font) fonts.push_back(control.font);
  const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  if (item.kind == TAboutItemKind::Button) {
    control.window = CreateWindowExW(0, L"BUTTON", Wide(item.text).c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, sheetWindow, menu,
                                     instance, nullptr);
  } else if (item.kind == TAboutItemKind::Bitmap) {
    control.window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP, 0, 0, 0, 0,
                                     sheetWindow, menu, instance, nullptr);
    if (control.window) {
      const HANDLE bitmap = LoadImageW(instance, Wide(item.text).c_str(), IMAGE_BITMAP, 0, 0, 0);
      SendMessageW(control.window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
  }
  if (control.window && control.font)
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(control.font), FALSE);
  controls.push_back(control);
}

namespace {

std::wstring ItemText(const TAboutItem& item, const std::wstring& releaseLine) {
  return item.special == TAboutSpecial::ReleaseLine ? releaseLine : Wide(item.text);
}

bool IsLabel(const TAboutItem& item) {
  return item.kind == TAboutItemKind::Label || item.kind == TAboutItemKind::ResourceLabel;
}

// The flags a label is drawn and measured with: one line, or wrapped when it has a height.
UINT LabelFormat(const TAboutItem& item) {
  return DT_NOPREFIX | DT_LEFT | DT_TOP | (item.height ? DT_WORDBREAK : DT_SINGLELINE);
}

}  // namespace

// Every control again at its place: natural sizes measured from its text and font.
void TAboutPage::Place() {
  RECT client{};
  GetClientRect(sheetWindow, &client);
  const TPixelsPerInch fallback(96, 96);
  const TPixelsPerInch& scaler = App().scaler ? *App().scaler : fallback;
  const TAboutBoxes boxes = AboutBoxes(client.right, client.bottom, scaler);
  MoveWindow(aboutBox, boxes.about.left, boxes.about.top, boxes.about.width, boxes.about.height, TRUE);
  MoveWindow(licenceBox, boxes.licence.left, boxes.licence.top, boxes.licence.width, boxes.licence.height, TRUE);
  HDC dc = GetDC(sheetWindow);
  for (TControl& control : controls) {
    const TRect& box = control.licence ? boxes.licence : boxes.about;
    const TAboutItem& item = *control.item;
    TRect r = PlaceAboutItem(item, box.width, box.height, scaler).bounds;
    if (item.kind == TAboutItemKind::Icon) {
      r.width = r.width ? r.width : GetSystemMetrics(SM_CXICON);
      r.height = r.height ? r.height : GetSystemMetrics(SM_CYICON);
    } else if (IsLabel(item) && (r.width == 0 || r.height == 0)) {
      // A wrapped label keeps inside its box when the window is narrower than its width.
      if (r.width == 0 || item.height) r.width = r.width ? std::min(r.width, box.width - r.left - scaler.Scale(6)) : 0;
      const std::wstring text = ItemText(item, releaseLine);
      HGDIOBJ old = SelectObject(dc, control.font);
      RECT measured{0, 0, r.width ? r.width : 32767, 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, LabelFormat(item) | DT_CALCRECT);
      SelectObject(dc, old);
      r.width = r.width ? r.width : measured.right + 2;
      r.height = r.height ? r.height : measured.bottom;
    }
    control.bounds = {r.left, r.top, r.left + r.width, r.top + r.height};
    if (control.window) MoveWindow(control.window, box.left + r.left, box.top + r.top, r.width, r.height, TRUE);
  }
  ReleaseDC(sheetWindow, dc);
  for (HWND box : {aboutBox, licenceBox}) InvalidateRect(box, nullptr, FALSE);
}

// A box's frame with its title, then its labels and icon in table order, drawn
// off-screen and copied at once so that nothing flickers.
void TAboutPage::PaintBox(const DRAWITEMSTRUCT& drawn) const {
  const bool licence = drawn.hwndItem == licenceBox;
  const RECT area = drawn.rcItem;
  HDC dc = CreateCompatibleDC(drawn.hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(drawn.hDC, area.right, area.bottom);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, pageFont);
  const std::wstring title = Wide(licence ? kLicenceBoxCaption : kAboutPageCaption);
  SIZE titleSize{};
  GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.size()), &titleSize);
  RECT frame = area;
  frame.top += titleSize.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  RECT titleRect{6, 0, 6 + titleSize.cx + 4, titleSize.cy};
  FillRect(dc, &titleRect, GetSysColorBrush(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  TextOutW(dc, titleRect.left + 2, 0, title.c_str(), static_cast<int>(title.size()));
  for (const TControl& control : controls) {
    if (control.licence != licence || control.window) continue;
    const TAboutItem& item = *control.item;
    RECT bounds = control.bounds;
    if (item.kind == TAboutItemKind::Icon) {
      const HICON icon = LoadIconW(GetModuleHandleW(nullptr), Wide(item.text).c_str());
      if (icon) DrawIconEx(dc, bounds.left, bounds.top, icon, bounds.right - bounds.left, bounds.bottom - bounds.top, 0, nullptr, DI_NORMAL);
      continue;
    }
    if (!IsLabel(item)) continue;
    SelectObject(dc, control.font ? control.font : pageFont);
    const std::optional<TColor> colour = AboutLabelColour(item, GetSysColor(COLOR_WINDOWTEXT));
    SetTextColor(dc, colour ? *colour : GetSysColor(COLOR_WINDOWTEXT));
    const std::wstring text = ItemText(item, releaseLine);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, LabelFormat(item));
  }
  SelectObject(dc, oldFont);
  BitBlt(drawn.hDC, 0, 0, area.right, area.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// The painted item with a link under a point of the screen, in a box.
const TAboutPage::TControl* TAboutPage::LinkAt(HWND box, POINT screen) const {
  ScreenToClient(box, &screen);
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    if (it->window || it->item->link.empty() || it->licence != (box == licenceBox)) continue;
    if (PtInRect(&it->bounds, screen)) return &*it;
  }
  return nullptr;
}

std::optional<LRESULT> TAboutPage::SheetMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Place();
      break;
    case WM_DRAWITEM: {
      const auto* drawn = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (drawn->hwndItem != aboutBox && drawn->hwndItem != licenceBox) break;
      PaintBox(*drawn);
      return TRUE;
    }
    case WM_SETCURSOR: {
      const auto box = reinterpret_cast<HWND>(wParam);
      if (box != aboutBox && box != licenceBox) break;
      POINT point{};
      GetCursorPos(&point);
      if (!LinkAt(box, point)) break;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const bool click = HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_CLICKED;
      if (!click) break;
      if (id == kAboutBoxId || id == kLicenceBoxId) {
        const DWORD position = GetMessagePos();
        const POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        if (const TControl* control = LinkAt(reinterpret_cast<HWND>(lParam), point)) {
          OpenLink(control->item->link);
          return 0;
        }
        break;
      }
      const int index = id - kFirstItemId;
      if (index >= 0 && index < static_cast<int>(controls.size()) && !controls[index].item->link.empty()) {
        OpenLink(controls[index].item->link);
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace vexa
