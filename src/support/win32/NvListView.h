// The house report-style list: one whole row selected, kept visible when the list
// loses focus, read-only, columns added from descriptors written for 96 pixels
// per inch, and (when column clicks are on) sorting by the clicked column with the
// header's arrow following the ascending/descending toggle of ListViewRules.h.
#pragma once

#include "support/win32/NvControls.h"

#include <optional>
#include <span>

#include "support/ListViewRules.h"
#include "support/ListColumns.h"

namespace vexa {

class TNvListView : public TNvControl {
public:
  // columnClicks off: the headers are plain (no sorting, no arrow).
  explicit TNvListView(HWND parent, bool columnClicks = true, DWORD extraStyle = 0);

  bool ColumnClicks() const { return columnClicks; }
  const TListSortState& Sort() const { return sort; }
  // Moves the arrow from the old sort column to the new one.
  void SetSortColumn(int column);
  // Replaces the arrow bits of a header item's format; nothing without a header.
  void SetHeaderSortArrow(int column, std::uint32_t flags);
  // Adds the columns first..lastIndex with widths scaled to pixelsPerInch.
  void AddColumns(std::span<const TListColumn> columns, int lastIndex, int pixelsPerInch);
  int ColumnCount() const;
  int ColumnWidth(int column) const;

  // Items. Shared image lists stay with their owners.
  void SetSmallImages(HIMAGELIST images);
  int ItemCount() const;
  int AddItem(std::string_view caption, int imageIndex = -1, LPARAM data = 0);
  void SetSubItem(int item, int subItem, std::string_view text);
  // subItem 0 is the caption.
  std::string ItemText(int item, int subItem = 0) const;
  LPARAM ItemData(int item) const;
  int SelectedIndex() const;
  // Selects and focuses (and shows) an item; -1 clears the selection.
  void Select(int item);
  // Gives an item the focus without selecting it.
  void Focus(int item);
  void Clear();
  // Nestable: the list does not redraw until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  // Sorts the items by the texts of the sort column in its direction and shows
  // the selected item.
  void SortItems();

  std::function<void(int column, int width)> onColumnResized;
  std::function<void()> onEditEnded;
  std::function<void(int item, bool checked)> onCheckToggled;
  std::function<void(int item, bool selected)> onSelectItem;
  std::function<void(int column)> onColumnClick;
  std::function<void()> onDoubleClick;
  // Answers true when the key was handled (the list then does not see it).
  std::function<bool(UINT key)> onKeyDown;
  // The text colour of an item (by position), none for the list's own; the list
  // is custom-drawn item by item only while this is set.
  std::function<std::optional<COLORREF>(int item)> onItemTextColour;

protected:
  // Raises onColumnResized; column -1 when the header named none.
  virtual void ColumnResized(int column, int width);

  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void HeaderNotification(const NMHDR& header);
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;
  HWND Header() const;

  bool columnClicks;
  TListSortState sort;
  int updateDepth = 0;
};

}  // namespace vexa
