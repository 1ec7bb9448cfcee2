// The SMART page's window: one report-style list that fills the sheet, with the
// shared status images, a last column saying how each row moved since the drive's
// previous stored reading, and the rows that moved coloured. TSmartTab decides
// every row, cell, image and the remembered selection; this class places them.
// Double-click and Enter open the selected row's history graph, and copy the row
// as before when there is none; Ctrl+C copies.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "support/win32/NvListView.h"
#include "views/SmartHistoryGraph.h"
#include "views/SmartTab.h"

namespace vexa {

// Shows a row's graph; the main window sets it (the window that draws graphs lies
// beyond the pages' reach) and clears it at its end. Without one, rows are copied.
using TSmartGraphOpener = std::function<void(THistoryGraphData graph)>;
void SetSmartGraphOpener(TSmartGraphOpener opener);

class TSmartPage : public TSmartTab {
public:
  explicit TSmartPage(std::unique_ptr<TSheet> sheet);
  ~TSmartPage() override;

  const TNvListView& List() const { return *list; }

protected:
  void ModelChanged() override;
  void CellsChanged(const std::vector<TSmartCellChange>& changes) override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Fill();
  void Copy();
  // Opens the selected row's graph; false when there is none to show.
  bool ShowGraph();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListView> list;
  // While the list is refilled, its selection events are not the user's.
  bool filling = false;
};

}  // namespace vexa
