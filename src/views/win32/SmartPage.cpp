// The SMART page's list: built once, refilled from the model on every device
// change, single cells rewritten on settings changes.
#include "views/win32/SmartPage.h"

#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "views/win32/PageSupport.h"

namespace vexa {

TSmartPage::TSmartPage(std::unique_ptr<TSheet> sheet) : TSmartTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  list = std::make_unique<TNvListView>(sheetWindow, false);
  list->SetSmallImages(SharedImages());
  list->AddColumns(SmartPageColumns, kSmartColumnCount - 1, PagePixelsPerInch());
  list->onSelectItem = [this](int item, bool selected) {
    if (!filling) SelectRow(selected ? item : -1);
  };
  list->onDoubleClick = [this] { Copy(); };
  list->onKeyDown = CopyKeyHandler([this] { Copy(); });
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  RECT client;
  if (sheetWindow && GetClientRect(sheetWindow, &client)) list->SetBounds(client);
  // The module may have caught up with the current device before the list existed.
  Fill();
}

TSmartPage::~TSmartPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
}

std::optional<LRESULT> TSmartPage::SheetMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE && list) list->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
  return std::nullopt;
}

void TSmartPage::ModelChanged() {
  if (list) Fill();
}

void TSmartPage::Fill() {
  filling = true;
  list->BeginUpdate();
  list->Clear();
  for (const TSmartPageRow& row : Model().Rows()) {
    const int item = list->AddItem(row.Cell(TSmartColumn::Name), static_cast<int>(row.status), row.id);
    for (int column = 1; column < kSmartColumnCount; ++column) list->SetSubItem(item, column, row.cells[column]);
  }
  if (Model().SelectedRow() >= 0)
    list->Select(Model().SelectedRow());
  else
    list->Focus(Model().FocusedRow());
  list->EndUpdate();
  filling = false;
}

void TSmartPage::CellsChanged(const std::vector<TSmartCellChange>& changes) {
  if (!list) return;
  for (const TSmartCellChange& change : changes)
    list->SetSubItem(change.row, static_cast<int>(change.column), change.text);
}

void TSmartPage::Copy() {
  if (list->SelectedIndex() < 0) return;
  CopyToClipboard(CopyText());
}

}  // namespace vexa
