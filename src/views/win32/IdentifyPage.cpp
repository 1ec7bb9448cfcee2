// The Identify page's owner-drawn list: rows added once from the model's tags,
// painted from TIdentifyRowPaint, copied as the model's text.
#include "views/win32/IdentifyPage.h"

#include <algorithm>

#include "shell/App.h"
#include "shell/PixelsPerInch.h"
#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/WideText.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

RECT ToRect(const TRect& r) { return {r.left, r.top, r.left + r.width, r.top + r.height}; }

void Fill(HDC dc, const TRect& r, TColor colour) {
  if (r.width <= 0 || r.height <= 0) return;
  const RECT rect = ToRect(r);
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

TIdentifySystemColours SystemColours() {
  return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHT),
          GetSysColor(COLOR_HIGHLIGHTTEXT)};
}

}  // namespace

TIdentifyPage::TIdentifyPage(std::unique_ptr<TSheet> sheet) : TIdentifyTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  // The items keep their rows' labels, which screen readers and other tools read.
  list = std::make_unique<TNvListBox>(sheetWindow, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
  FillList();
  list->onDrawItem = [this](const DRAWITEMSTRUCT& item) { DrawRow(item); };
  list->onDoubleClick = [this] { Copy(); };
  list->onKeyDown = CopyKeyHandler([this] { Copy(); });
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  RECT client;
  if (sheetWindow && GetClientRect(sheetWindow, &client)) list->SetBounds(client);
  FontChanged(FontDescription());
}

TIdentifyPage::~TIdentifyPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
  list.reset();
  if (font) DeleteObject(font);
}

std::optional<LRESULT> TIdentifyPage::SheetMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE && list) list->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
  return std::nullopt;
}

// The ATA rows are fixed; an NVMe drive has rows of its own, so the items follow
// the kind of drive shown.
void TIdentifyPage::FillList() {
  if (!list) return;
  listedNvme = Model().ShowsNvme();
  list->Clear();
  if (listedNvme) {
    for (const TNvmeIdentifyRow& row : Model().NvmeRows()) list->AddItem(row.label);
  } else {
    for (const std::uint32_t tag : Model().Rows()) list->AddItem(IdentifyRowLabel(tag), static_cast<LPARAM>(tag));
  }
}

void TIdentifyPage::ModelChanged() {
  if (!list) return;
  if (listedNvme || Model().ShowsNvme()) FillList();
  list->Invalidate();
}

// A new font: the row height and the three column widths follow it.
void TIdentifyPage::FontChanged(std::string_view description) {
  if (!list) return;
  LONG height = 0;
  HFONT newFont = CreatePageFont(description, &height);
  if (!newFont) return;
  HDC dc = GetDC(list->Handle());
  HGDIOBJ old = SelectObject(dc, newFont);
  const TTextWidth textWidth = [dc](std::string_view text) {
    const std::wstring wide = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return static_cast<std::int32_t>(size.cx);
  };
  const TPixelsPerInch fallback(96, 96);
  metrics = ComputeIdentifyMetrics(App().scaler ? *App().scaler : fallback, height, textWidth);
  SelectObject(dc, old);
  ReleaseDC(list->Handle(), dc);

  list->SetFont(newFont);
  if (font) DeleteObject(font);
  font = newFont;
  list->SetItemHeight(std::min(metrics.rowHeight, 255));  // a list box row is at most 255 pixels
  list->Invalidate();
}

void TIdentifyPage::DrawRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (width <= 0 || height <= 0) return;

  HDC dc = CreateCompatibleDC(item.hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
  if (!dc || !bitmap) {
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font ? font : IconTitleFont());

  const TPixelsPerInch fallback(96, 96);
  const TIdentifyRowPaint paint =
      Model().Paint(static_cast<int>(item.itemID), TRect{0, 0, width, height}, (item.itemState & ODS_SELECTED) != 0,
                    SystemColours(), metrics, App().scaler ? *App().scaler : fallback);

  Fill(dc, paint.leftMargin, paint.marginColour);
  Fill(dc, paint.rightMargin, paint.marginColour);
  Fill(dc, paint.body, paint.bodyColour);
  Fill(dc, TRect{paint.separatorX, 0, 1, height}, paint.lineColour);
  if (paint.topLine) Fill(dc, TRect{paint.body.left, paint.body.top, paint.body.width, 1}, paint.lineColour);

  SetBkMode(dc, TRANSPARENT);
  // A right-aligned value that shares its room with a label stops short of the
  // label's last letter, cut with an ellipsis, instead of being drawn over it.
  const auto inkEnd = [dc](const TIdentifyPaintText& text) {
    const std::wstring wide = Wide(text.text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return std::min<LONG>(text.rect.left + size.cx, text.rect.left + text.rect.width);
  };
  for (const TIdentifyPaintText& text : paint.texts) {
    RECT rect = ToRect(text.rect);
    if (text.align == TIdentifyTextAlign::Right) {
      for (const TIdentifyPaintText& other : paint.texts) {
        if (other.align == TIdentifyTextAlign::Left && other.rect.left >= rect.left && other.rect.left < rect.right)
          rect.left = std::max<LONG>(rect.left, inkEnd(other) + PageScale(8));
      }
    }
    const std::wstring wide = Wide(text.text);
    SetTextColor(dc, text.colour);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                  (text.align == TIdentifyTextAlign::Right ? DT_RIGHT : DT_LEFT));
  }

  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

void TIdentifyPage::Copy() { CopyToClipboard(CopyText(list->SelectedIndex())); }

}  // namespace vexa
