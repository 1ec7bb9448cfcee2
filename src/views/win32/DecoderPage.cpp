// The Decoder page's owner-drawn list: one item per model line, painted from the
// line's kind and texts; Escape deselects, Ctrl+C and double-click copy.
#include "views/win32/DecoderPage.h"

#include <algorithm>

#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/WideText.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

void FillRect(HDC dc, const RECT& rect, TColor colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void HorizontalLine(HDC dc, int left, int right, int y, TColor colour) {
  FillRect(dc, RECT{left, y, right, y + 1}, colour);
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// One line of text, vertically centred, cut with an ellipsis when it does not fit.
void DrawLineText(HDC dc, const std::wstring& text, RECT rect, UINT align) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | align);
}

}  // namespace

TDecoderPage::TDecoderPage(std::unique_ptr<TSheet> sheet) : TDecoderTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  list = std::make_unique<TNvListBox>(sheetWindow, LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS);
  list->onDrawItem = [this](const DRAWITEMSTRUCT& item) { DrawLine(item); };
  list->onDoubleClick = [this] { Copy(); };
  list->onSelect = [this] { SelectLine(list->SelectedIndex()); };
  const auto copyKey = CopyKeyHandler([this] { Copy(); });
  list->onKeyDown = [this, copyKey](UINT key) {
    if (key == VK_ESCAPE && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
      list->SetSelectedIndex(-1);
      SelectLine(-1);
      return true;
    }
    return copyKey(key);
  };
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  RECT client;
  if (sheetWindow && GetClientRect(sheetWindow, &client)) list->SetBounds(client);
  // The module caught up before this page existed: take its fonts and lines now.
  FontChanged(true, HeaderFont());
  FontChanged(false, CaptureFont());
  ModelChanged();
}

TDecoderPage::~TDecoderPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  list.reset();
  if (headerFont) DeleteObject(headerFont);
  if (rowFont) DeleteObject(rowFont);
}

std::optional<LRESULT> TDecoderPage::SheetMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE && list) {
    list->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
    list->Invalidate();  // the margins follow the width
  }
  return std::nullopt;
}

void TDecoderPage::ModelChanged() {
  if (!list) return;
  SendMessageW(list->Handle(), WM_SETREDRAW, FALSE, 0);
  list->Clear();
  // Each item keeps its line's texts, which screen readers and other tools read.
  for (std::size_t i = 0; i < Model().Lines().size(); ++i)
    list->AddItem(Model().LineText(static_cast<int>(i)), static_cast<LPARAM>(i));
  list->SetSelectedIndex(SelectedLine());
  SendMessageW(list->Handle(), WM_SETREDRAW, TRUE, 0);
  list->Invalidate();
}

void TDecoderPage::FontChanged(bool header, const std::string& description) {
  if (!list || description.empty()) return;
  LONG height = 0;
  HFONT font = CreatePageFont(description, &height);
  if (!font) return;
  HFONT& slot = header ? headerFont : rowFont;
  if (slot) DeleteObject(slot);
  slot = font;
  (header ? headerHeight : rowHeight) = height < 0 ? -height : height;
  if (!header) list->SetFont(font);
  UpdateMetrics();
}

// Line height from the taller font; the capture column from ten capitals.
void TDecoderPage::UpdateMetrics() {
  const int margin = PageScale(5);
  if (rowFont) {
    HDC dc = GetDC(list->Handle());
    HGDIOBJ old = SelectObject(dc, rowFont);
    captureColumn = TextWidth(dc, L"ABCDEFGHIJ") + 2 * margin;
    SelectObject(dc, old);
    ReleaseDC(list->Handle(), dc);
  }
  const int height = static_cast<int>(std::max(headerHeight, rowHeight)) + 2 * margin;
  list->SetItemHeight(std::clamp(height, 1, 255));  // a list box line is at most 255 pixels
  list->Invalidate();
}

void TDecoderPage::DrawLine(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const auto position = static_cast<int>(item.itemID);
  if (position >= static_cast<int>(Model().Lines().size())) return;
  const TDecoderLine& line = Model().Lines()[static_cast<std::size_t>(position)];
  const TDecoderColours colours = DecoderColours(ListColour(), BaseColour());
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, r, colours.background);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kDecoderTextColour);
  const int margin = DecoderMargin(r.right, PageScale(700));
  r.left += margin;
  r.right -= margin;
  if (line.kind == TDecoderLineKind::Spacer) return;

  const bool header = line.kind == TDecoderLineKind::Header || line.kind == TDecoderLineKind::NoMatch;
  const TColor fill = selected ? colours.selected : header ? colours.header
                                                  : (line.row % 2 != 0 ? colours.oddRow : colours.evenRow);
  FillRect(dc, r, fill);
  const int pad = PageScale(5);
  if (header) {
    HGDIOBJ oldFont = SelectObject(dc, headerFont ? headerFont : static_cast<HGDIOBJ>(GetStockObject(DEFAULT_GUI_FONT)));
    if (position > 0) HorizontalLine(dc, r.left, r.right, r.top++, colours.separator);
    HorizontalLine(dc, r.left, r.right, --r.bottom, colours.separator);
    const std::wstring left = Wide(line.left), right = Wide(line.right);
    r.left += pad;
    r.right -= pad;
    DrawLineText(dc, right, r, DT_RIGHT);
    r.right -= pad + TextWidth(dc, right);
    DrawLineText(dc, left, r, DT_LEFT);
    SelectObject(dc, oldFont);
  } else {
    FillRect(dc, RECT{r.left + captureColumn, r.top, r.left + captureColumn + 1, r.bottom}, colours.separator);
    r.left += pad;
    r.right -= pad;
    DrawLineText(dc, Wide(line.capture), r, DT_LEFT);
    r.left += captureColumn;
    const std::wstring value = Wide(line.value);
    SetTextColor(dc, DecoderValueColour(line, selected));
    DrawLineText(dc, value, r, DT_RIGHT);
    r.right -= pad + TextWidth(dc, value);
    SetTextColor(dc, kDecoderTextColour);
    DrawLineText(dc, Wide(line.label), r, DT_LEFT);
  }
  if (item.itemState & ODS_FOCUS) {
    SetTextColor(dc, 0);
    SetBkColor(dc, 0);
    DrawFocusRect(dc, &item.rcItem);
  }
}

void TDecoderPage::Copy() { CopyToClipboard(Model().CopyText(list->SelectedIndex())); }

}  // namespace vexa
