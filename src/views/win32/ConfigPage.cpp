// The Configuration page's list: refilled from the module's rows, one row rewritten
// when its variable changes; keys act and then let the list handle them too.
#include "views/win32/ConfigPage.h"

#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "support/win32/NvControls.h"
#include "views/win32/InputText.h"
#include "views/win32/PageSupport.h"

namespace vexa {

TConfigPage::TConfigPage(std::unique_ptr<TSheet> sheet) : TConfigTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  list = std::make_unique<TNvListView>(sheetWindow, true);
  list->AddColumns(ConfigPageColumns, static_cast<int>(ConfigPageColumns.size()) - 1, PagePixelsPerInch());
  list->SetSortColumn(0);
  list->onSelectItem = [this](int item, bool selected) {
    if (!filling) SelectRow(selected ? item : -1);
  };
  list->onDoubleClick = [this] { Edit(); };
  list->onColumnClick = [this](int column) { SortBy(column); };
  list->onKeyDown = [this](UINT key) { return KeyDown(key); };
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet()))
    win32->SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return SheetMessage(message, wParam, lParam);
    });
  RECT client;
  if (sheetWindow && GetClientRect(sheetWindow, &client)) list->SetBounds(client);
  RowsChanged();
}

TConfigPage::~TConfigPage() {
  if (TWin32Sheet* win32 = TWin32Sheet::Of(Sheet())) win32->SetHandler(nullptr);
}

std::optional<LRESULT> TConfigPage::SheetMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE && list) list->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
  return std::nullopt;
}

void TConfigPage::RowsChanged() {
  if (!list) return;
  filling = true;
  list->BeginUpdate();
  list->Clear();
  for (const TConfigRow& row : Rows()) {
    const int item = list->AddItem(row.name);
    list->SetSubItem(item, 1, row.value);
    list->SetSubItem(item, 2, row.type);
  }
  if (SelectedRow() >= 0)
    list->Select(SelectedRow());
  else if (!Rows().empty())
    list->Focus(0);
  list->EndUpdate();
  filling = false;
}

void TConfigPage::RowChanged(int row) {
  if (!list || row < 0 || row >= static_cast<int>(Rows().size())) return;
  const TConfigRow& cells = Rows()[static_cast<std::size_t>(row)];
  list->SetSubItem(row, 0, cells.name);
  list->SetSubItem(row, 1, cells.value);
}

std::optional<std::string> TConfigPage::AskText(const std::string& prompt, const std::string& initial) {
  std::string text = initial;
  if (!InputText(sheetWindow, prompt, text)) return std::nullopt;
  return text;
}

// The page acts on its keys and leaves them to the list as well.
bool TConfigPage::KeyDown(UINT key) {
  const TNvShiftState shift = KeyShiftState();
  const bool none = !shift.ctrl && !shift.shift && !shift.alt;
  const bool ctrlOnly = shift.ctrl && !shift.shift && !shift.alt;
  if (none && key == VK_RETURN) Edit();
  else if (none && (key == VK_LEFT || key == VK_SUBTRACT)) Adjust(-1);
  else if (none && (key == VK_RIGHT || key == VK_ADD)) Adjust(+1);
  else if (none && key == VK_DELETE) ResetSelected();
  else if (ctrlOnly && key == 'S') Save();
  else if (ctrlOnly && key == 'C') CopyToClipboard(CopyText());
  return false;
}

}  // namespace vexa
