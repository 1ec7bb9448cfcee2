// The About page's window: two group boxes and, laid over them, the controls the
// layout tables describe (labels, the program icon, buttons), placed again when the
// sheet changes size; a click on an item with a link opens it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "views/AboutTab.h"

namespace vexa {

class TAboutPage : public TAboutTab {
public:
  explicit TAboutPage(std::unique_ptr<TSheet> sheet);
  ~TAboutPage() override;

private:
  struct TControl {
    HWND window = nullptr;
    const TAboutItem* item = nullptr;
    bool licence = false;  // in the licence box, else in the about box
  };

  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Build(const TAboutItem& item, bool licence, int id);
  void Place();

  HWND sheetWindow = nullptr;
  HWND aboutBox = nullptr;
  HWND licenceBox = nullptr;
  std::vector<TControl> controls;
  std::vector<HFONT> fonts;
  std::wstring releaseLine;
};

}  // namespace vexa
