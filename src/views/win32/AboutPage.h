// The About page's window. Each of its two boxes is one owner-drawn window that
// paints the frame, the title and the labels and icon of its layout table in table
// order, as on one canvas: the title's five stacked copies must show through one
// another, which overlapping label windows cannot promise. Buttons (and bitmaps)
// are windows of their own above it. Everything is placed again when the sheet
// changes size; a click on an item with a link opens it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "shell/Shared.h"
#include "views/AboutTab.h"

namespace vexa {

class TAboutPage : public TAboutTab {
public:
  explicit TAboutPage(std::unique_ptr<TSheet> sheet);
  ~TAboutPage() override;

private:
  struct TControl {
    HWND window = nullptr;  // none: painted by its box
    const TAboutItem* item = nullptr;
    bool licence = false;  // in the licence box, else in the about box
    HFONT font = nullptr;
    RECT bounds{};  // in its box
  };

  std::optional<LRESULT> SheetMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Build(const TAboutItem& item, bool licence, int id);
  void Place();
  void PaintBox(const DRAWITEMSTRUCT& item) const;
  const TControl* LinkAt(HWND box, POINT screen) const;

  HWND sheetWindow = nullptr;
  HWND aboutBox = nullptr;
  HWND licenceBox = nullptr;
  HFONT pageFont = nullptr;
  std::vector<TControl> controls;
  std::vector<HFONT> fonts;
  std::wstring releaseLine;
};

}  // namespace vexa
