// The Configuration page's window: one report-style list of every settings variable
// that fills the sheet, sortable by its headers; the keys and double-click act on the
// selected variable through TConfigTab, and text is asked for in InputText.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "support/win32/NvListView.h"
#include "views/ConfigTab.h"

namespace vexa {

class TConfigPage : public TConfigTab {
public:
  explicit TConfigPage(std::unique_ptr<TSheet> sheet);
  ~TConfigPage() override;

  const TNvListView& List() const { return *list; }

protected:
  void RowsChanged() override;
  void RowChanged(int row) override;
  std::optional<std::string> AskText(const std::string& prompt, const std::string& initial) override;

private:
  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool KeyDown(UINT key);

  HWND sheetWindow = nullptr;
  std::unique_ptr<TNvListView> list;
  bool filling = false;
};

}  // namespace vexa
