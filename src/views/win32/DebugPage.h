// The Debug page's window: a tree of the last run in a fixed-pitch font that fills
// the sheet. Expanding or collapsing a section is remembered; Ctrl+C copies a line
// and Ctrl+V opens a saved log named on the clipboard. Its context menu saves a
// machine file of this PC ("保存機器檔案..."), the best thing to send a helper.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "support/win32/NvControls.h"
#include "views/DebugTab.h"

namespace vexa {

class TDebugPage : public TDebugTab {
public:
  explicit TDebugPage(std::unique_ptr<TSheet> sheet);
  ~TDebugPage() override;

  const TNvTreeView& TreeView() const { return *view; }

protected:
  void TreeChanged() override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Show(const TDebugTree& shown, COLORREF background);
  void ShowHistoryNotes();
  bool KeyDown(UINT key);
  void ContextMenu(POINT screen);
  void SaveMachineFile();

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvTreeView> view;
  HFONT font = nullptr;
  bool filling = false;
};

}  // namespace vexa
