// The SMART page's list: built once, refilled from the model on every device
// change, single cells rewritten on settings changes.
#include "views/win32/SmartPage.h"

#include "device/DeviceInfo.h"
#include "shell/App.h"
#include "shell/Core.h"
#include "shell/win32/PageScale.h"
#include "shell/win32/Sheet.h"
#include "views/win32/PageSupport.h"

namespace vexa {

namespace {

// Only the window shows how each row moved; the model's ten cells stay what the
// console program prints.
constexpr TListColumn kChangeColumn{"變化", 220, TColumnAlignment::Left};
constexpr int kChangeColumnIndex = kSmartColumnCount;
// A row that got worse reads in the "bad" red of the health states; one that only
// moved in a calm blue that is not taken for a warning.
constexpr COLORREF kWorseRowColour = RGB(208, 32, 0);
constexpr COLORREF kChangedRowColour = RGB(0, 84, 192);

TSmartGraphOpener& GraphOpener() {
  static TSmartGraphOpener opener;
  return opener;
}

}  // namespace

void SetSmartGraphOpener(TSmartGraphOpener opener) { GraphOpener() = std::move(opener); }

TSmartPage::TSmartPage(std::unique_ptr<TSheet> sheet) : TSmartTab(std::move(sheet)) {
  sheetWindow = SheetWindow(Sheet());
  list = std::make_unique<TNvListView>(sheetWindow, false);
  list->SetSmallImages(SharedImages());
  list->AddColumns(SmartPageColumns, kSmartColumnCount - 1, PagePixelsPerInch());
  list->AddColumns(std::span(&kChangeColumn, 1), 0, PagePixelsPerInch());
  list->onItemTextColour = [this](int item) -> std::optional<COLORREF> {
    const std::vector<TSmartPageRow>& rows = Model().Rows();
    if (item < 0 || item >= static_cast<int>(rows.size())) return std::nullopt;
    switch (rows[static_cast<std::size_t>(item)].mark) {
      case TSmartRowMark::Worse: return kWorseRowColour;
      case TSmartRowMark::Changed: return kChangedRowColour;
      case TSmartRowMark::None: break;
    }
    return std::nullopt;
  };
  list->onSelectItem = [this](int item, bool selected) {
    if (!filling) SelectRow(selected ? item : -1);
  };
  list->onDoubleClick = [this] {
    if (!ShowGraph()) Copy();
  };
  list->onKeyDown = [this, copy = CopyKeyHandler([this] { Copy(); })](UINT key) {
    const TNvShiftState shift = KeyShiftState();
    if (key == VK_RETURN && !shift.ctrl && !shift.shift && !shift.alt) return ShowGraph();
    return copy(key);
  };
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
  if (!list) return;
  Fill();
  FollowGraph();
}

void TSmartPage::Fill() {
  filling = true;
  list->BeginUpdate();
  list->Clear();
  for (const TSmartPageRow& row : Model().Rows()) {
    const int item = list->AddItem(row.Cell(TSmartColumn::Name), static_cast<int>(row.status), row.id);
    for (int column = 1; column < kSmartColumnCount; ++column) list->SetSubItem(item, column, row.cells[column]);
    list->SetSubItem(item, kChangeColumnIndex, row.change);
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

bool TSmartPage::ShowGraph() {
  const int item = list->SelectedIndex();
  const std::vector<TSmartPageRow>& rows = Model().Rows();
  const TDeviceInfo* device = App().core ? App().core->CurrentDevice() : nullptr;
  if (!GraphOpener().show || !device || item < 0 || item >= static_cast<int>(rows.size())) return false;
  const TSmartPageRow& row = rows[static_cast<std::size_t>(item)];
  std::optional<THistoryGraphData> graph = GraphOfRow(App().history, device->model, device->serial, row);
  if (!graph) return false;
  graphedRow.emplace(row.id, std::string(row.key));
  GraphOpener().show(std::move(*graph));
  return true;
}

void TSmartPage::FollowGraph() {
  if (!graphedRow || !GraphOpener().follow) return;
  // A graph the user closed is not drawn again for nobody at every drive change.
  if (!GraphOpener().isOpen || !GraphOpener().isOpen()) {
    graphedRow.reset();
    return;
  }
  const TDeviceInfo* device = App().core ? App().core->CurrentDevice() : nullptr;
  const TSmartPageRow* row = Model().FindRow(graphedRow->first, graphedRow->second);
  std::optional<THistoryGraphData> graph;
  if (device && row) graph = GraphOfRow(App().history, device->model, device->serial, *row);
  if (!graph) graphedRow.reset();
  GraphOpener().follow(std::move(graph));
}

void TSmartPage::Copy() {
  if (list->SelectedIndex() < 0) return;
  CopyToClipboard(CopyText());
}

}  // namespace vexa
