// The About page's controls, built from the tables and placed by their rules.
#include "views/win32/AboutPage.h"

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

HWND GroupBox(HWND parent, std::string_view title) {
  return CreateWindowExW(WS_EX_TRANSPARENT, L"BUTTON", Wide(title).c_str(), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 0,
                         0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TAboutPage::TAboutPage(std::unique_ptr<TSheet> sheet) : TAboutTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  if (!sheetWindow) return;
  releaseLine = Wide(AboutReleaseLine(Narrow(LongReleaseDate())));
  aboutBox = GroupBox(sheetWindow, kAboutPageCaption);
  licenceBox = GroupBox(sheetWindow, kLicenceBoxCaption);
  int id = kFirstItemId;
  for (const TAboutItem& item : AboutBoxItems()) Build(item, false, id++);
  for (const TAboutItem& item : LicenceBoxItems()) Build(item, true, id++);
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  Place();
}

TAboutPage::~TAboutPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  for (const TControl& control : controls)
    if (IsWindow(control.window)) DestroyWindow(control.window);
  for (HWND box : {aboutBox, licenceBox})
    if (box && IsWindow(box)) DestroyWindow(box);
  for (HFONT font : fonts) DeleteObject(font);
}

void TAboutPage::Build(const TAboutItem& item, bool licence, int id) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND window = nullptr;
  const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  switch (item.kind) {
    case TAboutItemKind::Icon:
    case TAboutItemKind::Bitmap: {
      window = CreateWindowExW(0, L"STATIC", nullptr,
                               WS_CHILD | WS_VISIBLE | SS_NOTIFY | (item.kind == TAboutItemKind::Icon ? SS_ICON : SS_BITMAP),
                               0, 0, 0, 0, sheetWindow, menu, instance, nullptr);
      if (item.kind == TAboutItemKind::Icon) {
        const HICON icon = LoadIconW(instance, Wide(item.text).c_str());
        SendMessageW(window, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
      }
      break;
    }
    case TAboutItemKind::Button:
      window = CreateWindowExW(0, L"BUTTON", Wide(item.text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                               0, 0, 0, 0, sheetWindow, menu, instance, nullptr);
      break;
    default: {
      const std::wstring text = item.special == TAboutSpecial::ReleaseLine ? releaseLine : Wide(item.text);
      window = CreateWindowExW(0, L"STATIC", text.c_str(),
                               WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX | (item.height ? 0 : SS_LEFTNOWORDWRAP),
                               0, 0, 0, 0, sheetWindow, menu, instance, nullptr);
      break;
    }
  }
  if (!window) return;
  HFONT font = item.font.empty() ? IconTitleFont() : CreatePageFont(item.font);
  if (!item.font.empty() && font) fonts.push_back(font);
  if (font) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Drawn over the group boxes: the boxes go below every item.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  controls.push_back({window, &item, licence});
}

// Every control again at its place: natural sizes measured from its text and font.
void TAboutPage::Place() {
  RECT client{};
  GetClientRect(sheetWindow, &client);
  const TPixelsPerInch fallback(96, 96);
  const TPixelsPerInch& scaler = App().scaler ? *App().scaler : fallback;
  const TAboutBoxes boxes = AboutBoxes(client.right, client.bottom, scaler);
  MoveWindow(aboutBox, boxes.about.left, boxes.about.top, boxes.about.width, boxes.about.height, TRUE);
  MoveWindow(licenceBox, boxes.licence.left, boxes.licence.top, boxes.licence.width, boxes.licence.height, TRUE);
  for (const TControl& control : controls) {
    const TRect& box = control.licence ? boxes.licence : boxes.about;
    TAboutPlacement placement = PlaceAboutItem(*control.item, box.width, box.height, scaler);
    TRect& r = placement.bounds;
    if (r.width == 0 || r.height == 0) {
      if (control.item->kind == TAboutItemKind::Icon) {
        r.width = r.width ? r.width : GetSystemMetrics(SM_CXICON);
        r.height = r.height ? r.height : GetSystemMetrics(SM_CYICON);
      } else {
        wchar_t text[512] = {};
        GetWindowTextW(control.window, text, static_cast<int>(std::size(text)));
        HDC dc = GetDC(control.window);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control.window, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        SelectObject(dc, old);
        ReleaseDC(control.window, dc);
        r.width = r.width ? r.width : size.cx + 2;
        r.height = r.height ? r.height : size.cy;
      }
    }
    MoveWindow(control.window, box.left + r.left, box.top + r.top, r.width, r.height, TRUE);
  }
}

std::optional<LRESULT> TAboutPage::SheetMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Place();
      break;
    case WM_CTLCOLORSTATIC:
      for (const TControl& control : controls) {
        if (control.window != reinterpret_cast<HWND>(lParam)) continue;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        if (const std::optional<TColor> colour = AboutLabelColour(*control.item, GetSysColor(COLOR_WINDOWTEXT)))
          SetTextColor(dc, *colour);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_COMMAND: {
      const int index = LOWORD(wParam) - kFirstItemId;
      const bool click = HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_CLICKED;
      if (click && index >= 0 && index < static_cast<int>(controls.size()) && !controls[index].item->link.empty()) {
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
