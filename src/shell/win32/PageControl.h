// The page control: a Win32 tab control whose pages are child windows laid over
// its display area. It is the TPageHost of the tab framework.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "shell/Tabs.h"

namespace vexa {

class TWin32PageControl : public TPageHost {
public:
  // Posted to the main window to close a page once the current handler returns.
  static constexpr UINT kClosePageMessage = WM_USER + 1;

  TWin32PageControl(HWND parent, HWND mainWindow, HFONT font);
  ~TWin32PageControl() override;

  HWND Handle() const { return tab; }
  // Called after the user or ShowPage switched pages, with the new page index.
  std::function<void(int pageIndex)> onPageChanged;

  std::unique_ptr<TSheet> AddSheet() override;
  int PageIndexOf(const TSheet* sheet) const override;
  int ActivePageIndex() const override;
  void ShowPage(const TSheet* sheet) override;
  void PostClosePage(int pageIndex) override;

  // Selects a page without announcing it (the settings already say so).
  void SelectPage(int pageIndex);
  void Resize(const RECT& bounds);
  // The tab control's own notification of a page switch.
  void HandleSelectionChange();
  HWND SheetWindow(int pageIndex) const;
  void RemoveSheet(const TSheet* sheet);

private:
  void LayOutSheets();

  HWND tab;
  HWND mainWindow;
  std::vector<TSheet*> sheets;
};

}  // namespace vexa
