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
#include <string>
#include <utility>
#include <vector>

#include "support/win32/NvListView.h"
#include "views/SmartHistoryGraph.h"
#include "views/SmartTab.h"

namespace vexa {

// The window that draws a row's graph; the main window sets it (that window lies
// beyond the pages' reach) and clears it at its end. Without it, rows are copied.
struct TSmartGraphOpener {
  // Opens the window or brings it forward with this graph.
  std::function<void(THistoryGraphData graph)> show;
  // Whether the window is open (the user may have closed it).
  std::function<bool()> isOpen;
  // When the window is open: shows this graph in it, or closes it when none.
  std::function<void(std::optional<THistoryGraphData> graph)> follow;
};
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
  // After a drive change or a new reading, an open graph shows the same attribute
  // of the drive now on the page, with its newest readings, or closes.
  void FollowGraph();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListView> list;
  // While the list is refilled, its selection events are not the user's.
  bool filling = false;
  // The row the open graph draws: an ATA id, or an NVMe field's key.
  std::optional<std::pair<std::uint8_t, std::string>> graphedRow;
};

}  // namespace vexa
