// The Identify page's window: one owner-drawn list box that fills the sheet, a row
// per word group and bit field of the IDENTIFY block. TIdentifyTab and its model
// give every row's rectangles, colours and texts; this class paints them (each
// row through a memory bitmap, so scrolling never flickers) and copies a row.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

#include "support/win32/NvControls.h"
#include "views/IdentifyTab.h"

namespace vexa {

class TIdentifyPage : public TIdentifyTab {
public:
  explicit TIdentifyPage(std::unique_ptr<TSheet> sheet);
  ~TIdentifyPage() override;

  const TNvListBox& List() const { return *list; }
  const TIdentifyMetrics& Metrics() const { return metrics; }

protected:
  void ModelChanged() override;
  void FontChanged(std::string_view description) override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void DrawRow(const DRAWITEMSTRUCT& item);
  void Copy();
  void FillList();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListBox> list;
  HFONT font = nullptr;
  bool listedNvme = false;  // the list holds an NVMe drive's rows
  TIdentifyMetrics metrics;
};

}  // namespace vexa
