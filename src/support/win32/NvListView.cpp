// The house report-style list over the common list view (see NvListView.h).
#include "support/win32/NvListView.h"

#include <algorithm>

#include "support/win32/WideText.h"

namespace vexa {

namespace {

int ColumnFormat(TColumnAlignment alignment) {
  switch (alignment) {
    case TColumnAlignment::Centre:
      return LVCFMT_CENTER;
    case TColumnAlignment::Right:
      return LVCFMT_RIGHT;
    case TColumnAlignment::Left:
      break;
  }
  return LVCFMT_LEFT;
}

struct TSortContext {
  HWND list;
  int column;
  bool descending;
};

std::wstring ListItemText(HWND list, int item, int subItem) {
  // LVM_GETITEMTEXT answers the characters copied; grow until the text fits.
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW query{};
    query.iSubItem = subItem;
    query.pszText = buffer.data();
    query.cchTextMax = static_cast<int>(buffer.size());
    const auto copied = static_cast<std::size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&query)));
    if (copied + 1 < buffer.size() || buffer.size() >= 65536) {
      buffer.resize(std::min(copied, buffer.size()));
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

int CALLBACK CompareItems(LPARAM left, LPARAM right, LPARAM data) {
  const auto& context = *reinterpret_cast<const TSortContext*>(data);
  const std::wstring a = ListItemText(context.list, static_cast<int>(left), context.column);
  const std::wstring b = ListItemText(context.list, static_cast<int>(right), context.column);
  const int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                   b.c_str(), static_cast<int>(b.size())) -
                    CSTR_EQUAL;
  return context.descending ? -order : order;
}

}  // namespace

TNvListView::TNvListView(HWND parentWindow, bool clicks, DWORD extraStyle) : columnClicks(clicks) {
  CreateHandle(parentWindow, WC_LISTVIEWW,
               WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                   (columnClicks ? 0 : LVS_NOSORTHEADER) | extraStyle,
               WS_EX_CLIENTEDGE);
  if (window)
    ListView_SetExtendedListViewStyleEx(window, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                                        LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
}

HWND TNvListView::Header() const { return window ? ListView_GetHeader(window) : nullptr; }

void TNvListView::SetHeaderSortArrow(int column, std::uint32_t flags) {
  HWND header = Header();
  if (!header) return;
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item))) return;
  item.fmt = static_cast<int>(WithSortArrow(static_cast<std::uint32_t>(item.fmt), flags));
  SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

void TNvListView::SetSortColumn(int column) {
  if (columnClicks) SetHeaderSortArrow(sort.column, 0);
  sort.column = column;
  if (columnClicks) SetHeaderSortArrow(sort.column, SortArrowFlags(sort.direction));
}

void TNvListView::AddColumns(std::span<const TListColumn> columns, int lastIndex, int pixelsPerInch) {
  const int last = std::min(lastIndex, static_cast<int>(columns.size()) - 1);
  for (int i = 0; i <= last; ++i) {
    std::wstring caption = Wide(columns[i].caption);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = ColumnFormat(columns[i].alignment);
    column.cx = ScaleColumnWidth(columns[i].width, pixelsPerInch);
    column.pszText = caption.data();
    SendMessageW(window, LVM_INSERTCOLUMNW, ColumnCount(), reinterpret_cast<LPARAM>(&column));
  }
  if (columnClicks) SetHeaderSortArrow(sort.column, SortArrowFlags(sort.direction));
}

int TNvListView::ColumnCount() const {
  HWND header = Header();
  return header ? Header_GetItemCount(header) : 0;
}

int TNvListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(window, column); }

void TNvListView::SetSmallImages(HIMAGELIST images) { ListView_SetImageList(window, images, LVSIL_SMALL); }

int TNvListView::ItemCount() const { return window ? ListView_GetItemCount(window) : 0; }

int TNvListView::AddItem(std::string_view caption, int imageIndex, LPARAM data) {
  std::wstring text = Wide(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = ItemCount();
  item.pszText = text.data();
  item.iImage = imageIndex;
  item.lParam = data;
  return static_cast<int>(SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void TNvListView::SetSubItem(int item, int subItem, std::string_view text) {
  std::wstring wide = Wide(text);
  LVITEMW change{};
  change.iSubItem = subItem;
  change.pszText = wide.data();
  SendMessageW(window, LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&change));
}

std::string TNvListView::ItemText(int item, int subItem) const {
  if (item < 0 || item >= ItemCount()) return {};
  return Narrow(ListItemText(window, item, subItem));
}

LPARAM TNvListView::ItemData(int item) const {
  LVITEMW query{};
  query.mask = LVIF_PARAM;
  query.iItem = item;
  return SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) ? query.lParam : 0;
}

int TNvListView::SelectedIndex() const { return window ? ListView_GetNextItem(window, -1, LVNI_SELECTED) : -1; }

void TNvListView::Select(int item) {
  if (item < 0) {
    ListView_SetItemState(window, -1, 0, LVIS_SELECTED);
    return;
  }
  ListView_SetItemState(window, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(window, item, FALSE);
}

void TNvListView::Focus(int item) {
  if (item >= 0) ListView_SetItemState(window, item, LVIS_FOCUSED, LVIS_FOCUSED);
}

void TNvListView::Clear() { ListView_DeleteAllItems(window); }

void TNvListView::BeginUpdate() {
  if (updateDepth++ == 0) SendMessageW(window, WM_SETREDRAW, FALSE, 0);
}

void TNvListView::EndUpdate() {
  if (updateDepth <= 0) return;
  if (--updateDepth == 0) {
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }
}

void TNvListView::SortItems() {
  TSortContext context{window, sort.column, sort.direction == TSortDirection::Descending};
  SendMessageW(window, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(CompareItems));
  if (const int selected = SelectedIndex(); selected >= 0) ListView_EnsureVisible(window, selected, FALSE);
}

void TNvListView::ColumnResized(int column, int width) {
  if (onColumnResized) onColumnResized(column, width);
}

void TNvListView::HeaderNotification(const NMHDR& header) {
  const auto& notification = reinterpret_cast<const NMHEADERW&>(header);
  switch (header.code) {
    case HDN_ITEMCHANGEDW:
    case HDN_ITEMCHANGEDA:
      // A width change may drop the arrow: draw it again.
      if (columnClicks && notification.iItem == sort.column && notification.pitem &&
          (notification.pitem->mask & HDI_WIDTH))
        SetHeaderSortArrow(sort.column, SortArrowFlags(sort.direction));
      break;
    case HDN_ENDTRACKW:
    case HDN_ENDTRACKA:
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA: {
      const bool known = notification.iItem >= 0 && notification.iItem < ColumnCount();
      int width = -1;
      if (notification.pitem && (notification.pitem->mask & HDI_WIDTH))
        width = notification.pitem->cxy;
      else if (known)
        width = ColumnWidth(notification.iItem);
      ColumnResized(known ? notification.iItem : -1, width);
      break;
    }
    default:
      break;
  }
}

std::optional<LRESULT> TNvListView::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE && onKeyDown) {
    return DialogCodeWithEnterAndEscape(DefaultControl(message, wParam, lParam), lParam);
  } else if (message == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == Header()) {
    HeaderNotification(*reinterpret_cast<const NMHDR*>(lParam));
  } else if (message == WM_KEYDOWN && onKeyDown && onKeyDown(static_cast<UINT>(wParam))) {
    return 0;
  }
  return std::nullopt;
}

LRESULT TNvListView::CustomDraw(NMLVCUSTOMDRAW& draw) const {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  if (const std::optional<COLORREF> colour = onItemTextColour(static_cast<int>(draw.nmcd.dwItemSpec))) {
    draw.clrText = *colour;
    return CDRF_NEWFONT;
  }
  return CDRF_DODEFAULT;
}

std::optional<LRESULT> TNvListView::ParentMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return std::nullopt;
  const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
  switch (header.code) {
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
      const int old = sort.column;
      sort.Click(column);
      SetHeaderSortArrow(old, 0);
      SetHeaderSortArrow(sort.column, SortArrowFlags(sort.direction));
      if (onColumnClick) onColumnClick(column);
      SortItems();
      break;
    }
    case LVN_ENDLABELEDITW:
    case LVN_ENDLABELEDITA: {
      const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
      if (!info.item.pszText && info.item.iItem >= 0 && onEditEnded) onEditEnded();
      break;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!(change.uChanged & LVIF_STATE)) break;
      if (const auto toggle = CheckToggleOf(change.uOldState, change.uNewState); toggle.toggled && onCheckToggled)
        onCheckToggled(change.iItem, toggle.checked);
      if (((change.uOldState ^ change.uNewState) & LVIS_SELECTED) && onSelectItem)
        onSelectItem(change.iItem, (change.uNewState & LVIS_SELECTED) != 0);
      break;
    }
    case NM_DBLCLK:
      if (onDoubleClick) onDoubleClick();
      break;
    case NM_CUSTOMDRAW:
      if (onItemTextColour) return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace vexa
