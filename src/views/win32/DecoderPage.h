// The Decoder page's window: one owner-drawn list box that fills the sheet, a line
// per model line of TDecoderTab, painted in the list's and the drive's colours with
// a header font and a row font of their own.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "support/win32/NvControls.h"
#include "views/DecoderTab.h"

namespace vexa {

class TDecoderPage : public TDecoderTab {
public:
  explicit TDecoderPage(std::unique_ptr<TSheet> sheet);
  ~TDecoderPage() override;

  const TNvListBox& List() const { return *list; }

protected:
  void ModelChanged() override;
  void FontChanged(bool header, const std::string& description) override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateMetrics();
  void DrawLine(const DRAWITEMSTRUCT& item);
  void Copy();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListBox> list;
  HFONT headerFont = nullptr;
  HFONT rowFont = nullptr;
  LONG headerHeight = 0;
  LONG rowHeight = 0;
  int captureColumn = 0;
};

}  // namespace vexa
