// The SMART page's window: one report-style list that fills the sheet, with the
// shared status images. TSmartTab decides every row, cell, image and the
// remembered selection; this class places them and turns double-click and
// Ctrl+C into the copy.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "support/win32/NvListView.h"
#include "views/SmartTab.h"

namespace vexa {

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

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListView> list;
  // While the list is refilled, its selection events are not the user's.
  bool filling = false;
};

}  // namespace vexa
