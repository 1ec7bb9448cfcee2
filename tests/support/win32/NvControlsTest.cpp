// The house controls on real common controls: list columns scaled and aligned,
// the column-click sort with its header arrows, the header and state events, the
// presets of the other controls, masked images, the form's snapping and title.
// Windows need a display: without one (Wine with no X server) these tests skip.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/win32/NvControls.h"
#include "support/win32/NvForm.h"
#include "support/win32/NvListView.h"

namespace vexa {
namespace {

class NvControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 100, 100, 500, 400, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!parent) GTEST_FAIL() << "no windows in this session: run it through ctest, which gives it a virtual display";
  }
  void TearDown() override {
    if (parent) DestroyWindow(parent);
  }

  // The parent hears the list's notification as if the user had acted.
  void Notify(HWND from, UINT code, NMLISTVIEW extra = {}) {
    extra.hdr.hwndFrom = from;
    extra.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
    extra.hdr.code = code;
    SendMessageW(GetParent(from), WM_NOTIFY, extra.hdr.idFrom, reinterpret_cast<LPARAM>(&extra));
  }
  static int HeaderFormat(const TNvListView& list, int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(ListView_GetHeader(list.Handle()), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
  }
  static std::vector<std::string> Column(const TNvListView& list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.ItemCount(); ++i) texts.push_back(list.ItemText(i, column));
    return texts;
  }

  HWND parent = nullptr;
};

constexpr std::array<TListColumn, 3> kColumns{{
    {"名稱", 100, TColumnAlignment::Left},
    {"值", 50, TColumnAlignment::Right},
    {"ID", 34, TColumnAlignment::Centre},
}};

TEST_F(NvControlsTest, ColumnsAreScaledAndAligned) {
  TNvListView list(parent);
  list.AddColumns(kColumns, 2, 120);
  ASSERT_EQ(list.ColumnCount(), 3);
  EXPECT_EQ(list.ColumnWidth(0), 125);
  EXPECT_EQ(list.ColumnWidth(1), 63);  // 62.5 rounds up
  EXPECT_EQ(list.ColumnWidth(2), 43);
  EXPECT_EQ(HeaderFormat(list, 1) & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
  EXPECT_EQ(HeaderFormat(list, 2) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  EXPECT_EQ(HeaderFormat(list, 0) & 0x600, 0x400);  // arrow on the sort column

  TNvListView partial(parent, false);
  partial.AddColumns(kColumns, 1, 96);
  EXPECT_EQ(partial.ColumnCount(), 2);
  EXPECT_EQ(HeaderFormat(partial, 0) & 0x600, 0);  // no column clicks, no arrow
  EXPECT_TRUE(GetWindowLongPtrW(partial.Handle(), GWL_STYLE) & LVS_NOSORTHEADER);

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(list.Handle(), GWL_STYLE));
  EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  EXPECT_TRUE(ListView_GetExtendedListViewStyle(list.Handle()) & LVS_EX_FULLROWSELECT);
}

TEST_F(NvControlsTest, ColumnClicksToggleTheSortAndMoveTheArrow) {
  TNvListView list(parent);
  list.AddColumns(kColumns, 2, 96);
  for (const auto& [name, value] : {std::pair{"b", "2"}, {"a", "3"}, {"c", "1"}}) {
    const int item = list.AddItem(name);
    list.SetSubItem(item, 1, value);
  }
  std::vector<int> clicked;
  list.onColumnClick = [&](int column) { clicked.push_back(column); };
  NMLISTVIEW click{};
  click.iItem = -1;
  click.iSubItem = 1;

  Notify(list.Handle(), LVN_COLUMNCLICK, click);
  EXPECT_EQ(list.Sort().direction, TSortDirection::Ascending);
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(HeaderFormat(list, 0) & 0x600, 0);
  EXPECT_EQ(HeaderFormat(list, 1) & 0x600, 0x400);

  Notify(list.Handle(), LVN_COLUMNCLICK, click);
  EXPECT_EQ(list.Sort().direction, TSortDirection::Descending);
  EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"3", "2", "1"}));
  EXPECT_EQ(HeaderFormat(list, 1) & 0x600, 0x200);

  Notify(list.Handle(), LVN_COLUMNCLICK, click);
  EXPECT_EQ(list.Sort().direction, TSortDirection::Ascending);
  EXPECT_EQ(HeaderFormat(list, 1) & 0x600, 0x400);

  click.iSubItem = 0;
  Notify(list.Handle(), LVN_COLUMNCLICK, click);
  EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(clicked, (std::vector<int>{1, 1, 1, 0}));

  list.SetSortColumn(2);
  EXPECT_EQ(HeaderFormat(list, 0) & 0x600, 0);
  EXPECT_EQ(HeaderFormat(list, 2) & 0x600, 0x400);
}

TEST_F(NvControlsTest, HeaderAndStateEvents) {
  TNvListView list(parent, true, 0);
  list.AddColumns(kColumns, 2, 96);
  std::vector<std::pair<int, int>> resized;
  list.onColumnResized = [&](int column, int width) { resized.emplace_back(column, width); };
  HWND header = ListView_GetHeader(list.Handle());
  HDITEMW width{};
  width.mask = HDI_WIDTH;
  width.cxy = 77;
  NMHEADERW track{};
  track.hdr.hwndFrom = header;
  track.hdr.code = HDN_ENDTRACKW;
  track.iItem = 2;
  track.pitem = &width;
  SendMessageW(list.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
  track.hdr.code = HDN_DIVIDERDBLCLICKW;
  track.iItem = 1;
  track.pitem = nullptr;
  SendMessageW(list.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
  track.iItem = 9;
  SendMessageW(list.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
  EXPECT_EQ(resized, (std::vector<std::pair<int, int>>{{2, 77}, {1, 50}, {-1, -1}}));

  ListView_SetExtendedListViewStyleEx(list.Handle(), LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  list.AddItem("a");
  list.AddItem("b");
  std::vector<std::pair<int, bool>> toggled, selected;
  list.onCheckToggled = [&](int item, bool checked) { toggled.emplace_back(item, checked); };
  list.onSelectItem = [&](int item, bool on) { selected.emplace_back(item, on); };
  ListView_SetCheckState(list.Handle(), 1, TRUE);
  list.Select(1);  // selection alone is no toggle
  ListView_SetCheckState(list.Handle(), 1, FALSE);
  list.Select(0);
  EXPECT_EQ(toggled, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}}));
  EXPECT_EQ(selected, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}, {0, true}}));
  EXPECT_EQ(list.SelectedIndex(), 0);

  int doubleClicks = 0;
  list.onDoubleClick = [&] { ++doubleClicks; };
  Notify(list.Handle(), NM_DBLCLK);
  EXPECT_EQ(doubleClicks, 1);

  std::vector<UINT> keys;
  list.onKeyDown = [&](UINT key) {
    keys.push_back(key);
    return key == 'C';
  };
  EXPECT_EQ(SendMessageW(list.Handle(), WM_KEYDOWN, 'C', 0), 0);
  SendMessageW(list.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(keys, (std::vector<UINT>{'C', VK_DOWN}));
  EXPECT_EQ(list.SelectedIndex(), 1);  // the unhandled key reached the list
}

TEST_F(NvControlsTest, OtherControlPresets) {
  TNvComboBox combo(parent);
  EXPECT_EQ(GetWindowLongPtrW(combo.Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
  combo.SetDroppedWidth(300);
  EXPECT_EQ(SendMessageW(combo.Handle(), CB_GETDROPPEDWIDTH, 0, 0), 300);
  combo.AddItem("一", 11);
  combo.AddItem("二", 22);
  int changes = 0;
  combo.onChange = [&] { ++changes; };
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo.Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo.Handle()));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo.ItemData(1), 22);

  TNvButton plain(parent, "確定");
  TNvButton first(parent, "確定", true);
  EXPECT_FALSE(GetWindowLongPtrW(plain.Handle(), GWL_STYLE) & WS_GROUP);
  EXPECT_TRUE(GetWindowLongPtrW(first.Handle(), GWL_STYLE) & WS_GROUP);
  EXPECT_EQ(first.Text(), "確定");
  int clicks = 0;
  first.onClick = [&] { ++clicks; };
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(first.Handle()), BN_CLICKED),
               reinterpret_cast<LPARAM>(first.Handle()));
  EXPECT_EQ(clicks, 1);

  TNvMemo memo(parent);
  EXPECT_EQ(memo.TabWidth(), 4);
  EXPECT_TRUE(GetWindowLongPtrW(memo.Handle(), GWL_STYLE) & ES_NOHIDESEL);
  memo.SetText("ab");
  SendMessageW(memo.Handle(), WM_CHAR, L'\t', 0);
  EXPECT_EQ(memo.Text(), "ab");
  MSG tab{memo.Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  const LRESULT code = SendMessageW(memo.Handle(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab));
  EXPECT_EQ(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0);

  TNvTreeView tree(parent);
  tree.SetBounds(0, 0, 200, 200);
  tree.SetItemHeight(30);
  EXPECT_EQ(TreeView_GetItemHeight(tree.Handle()), 30);
  tree.AddItem(nullptr, "first");
  HTREEITEM second = tree.AddItem(nullptr, "second");
  RECT rect{};
  ASSERT_TRUE(TreeView_GetItemRect(tree.Handle(), second, &rect, TRUE));
  // The tree tracks the pressed button until it is released: the release waits
  // in the queue.
  const LPARAM point = MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
  PostMessageW(tree.Handle(), WM_RBUTTONUP, 0, point);
  SendMessageW(tree.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, point);
  EXPECT_EQ(tree.Selected(), second);
  EXPECT_EQ(tree.ItemText(second), "second");
}

TEST_F(NvControlsTest, ImagesAreMaskedByTheirTopLeftColour) {
  TNvImageList images;
  EXPECT_EQ(images.LoadBitmaps(64), 0);  // the test program has no such resources
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 16, 16}, centre{4, 4, 12, 12};
  HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255)), green = CreateSolidBrush(RGB(0, 160, 0));
  FillRect(dc, &all, magenta);
  FillRect(dc, &centre, green);
  SelectObject(dc, old);
  ASSERT_EQ(images.AddMasked(bitmap), 0);
  EXPECT_EQ(images.Count(), 1);

  // Drawn on white, the background stays white and the centre is green.
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  old = SelectObject(dc, canvas);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(images.Handle(), 0, dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 8, 8), RGB(0, 160, 0));
  SelectObject(dc, old);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(canvas), static_cast<HGDIOBJ>(bitmap), static_cast<HGDIOBJ>(magenta),
                         static_cast<HGDIOBJ>(green)})
    DeleteObject(object);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(NvControlsTest, FormSnapsStaysOnTopAndNamesTheApplication) {
  TNvForm form(parent);
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  SetWindowPos(parent, nullptr, work.left + 16, work.top + 17, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  form.SnapToEdges();
  RECT bounds;
  GetWindowRect(parent, &bounds);
  EXPECT_EQ(bounds.left, work.left);     // 16 pixels away: snapped
  EXPECT_EQ(bounds.top, work.top + 17);  // 17 pixels away: stays

  form.SetStayOnTop(true);
  EXPECT_TRUE(GetWindowLongPtrW(parent, GWL_EXSTYLE) & WS_EX_TOPMOST);
  form.SetStayOnTop(false);
  EXPECT_FALSE(GetWindowLongPtrW(parent, GWL_EXSTYLE) & WS_EX_TOPMOST);

  std::string announced;
  form.onTitleChanged = [&](const std::string& title) { announced = title; };
  SetWindowTextW(parent, L"Vexa 磁碟");
  EXPECT_EQ(TNvForm::ApplicationTitle(), "Vexa 磁碟");
  EXPECT_EQ(announced, "Vexa 磁碟");

  TNvListView child(parent);
  std::vector<UINT> keys;
  form.onKeyDown = [&](UINT key) {
    keys.push_back(key);
    return key == VK_F5;
  };
  EXPECT_TRUE(form.PreviewKey(MSG{child.Handle(), WM_KEYDOWN, VK_F5, 0, 0, {}}));
  EXPECT_FALSE(form.PreviewKey(MSG{child.Handle(), WM_KEYDOWN, 'A', 0, 0, {}}));
  EXPECT_FALSE(form.PreviewKey(MSG{child.Handle(), WM_CHAR, 'a', 0, 0, {}}));
  EXPECT_FALSE(form.PreviewKey(MSG{GetDesktopWindow(), WM_KEYDOWN, VK_F5, 0, 0, {}}));
  EXPECT_EQ(keys, (std::vector<UINT>{VK_F5, 'A'}));
}

// A dialog or another window takes the activation and gives it back: the control
// that had the focus has it again (a plain window would take it itself).
TEST_F(NvControlsTest, FormGivesTheFocusBackAfterAnotherWindow) {
  TNvForm form(parent);
  TNvListView list(parent);
  TNvButton button(parent, "確定");
  ShowWindow(parent, SW_SHOW);
  SetActiveWindow(parent);
  SetFocus(list.Handle());
  ASSERT_EQ(GetFocus(), list.Handle());

  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 150, 200, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(other);
  SetActiveWindow(other);
  EXPECT_NE(GetFocus(), list.Handle());
  SetActiveWindow(parent);
  EXPECT_EQ(GetFocus(), list.Handle());

  // As a modal dialog does: the form disabled while the dialog is active.
  SetActiveWindow(other);
  EnableWindow(parent, FALSE);
  EnableWindow(parent, TRUE);
  SetActiveWindow(parent);
  EXPECT_EQ(GetFocus(), list.Handle());

  // A control that went away (or hid) is not focused: the form takes the focus.
  SetActiveWindow(other);
  ShowWindow(list.Handle(), SW_HIDE);
  SetActiveWindow(parent);
  EXPECT_EQ(GetFocus(), parent);
  DestroyWindow(other);
}

// The main window's loop runs the dialog manager: a list with a key handler still
// hears Enter and Escape, which would otherwise press the window's default and
// cancel buttons; other keys and lists without a handler keep the usual road.
TEST_F(NvControlsTest, ListsWithKeyHandlersHearEnterAndEscape) {
  SetWindowLongPtrW(parent, GWL_EXSTYLE, GetWindowLongPtrW(parent, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  TNvListView view(parent);
  TNvListBox box(parent);
  TNvListView plain(parent);
  std::vector<UINT> viewKeys, boxKeys;
  view.onKeyDown = [&](UINT key) {
    viewKeys.push_back(key);
    return true;
  };
  box.onKeyDown = [&](UINT key) {
    boxKeys.push_back(key);
    return true;
  };
  for (HWND control : {view.Handle(), box.Handle(), plain.Handle()}) {
    SetFocus(control);
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
      MSG message{control, WM_KEYDOWN, key, 0, 0, {}};
      IsDialogMessageW(parent, &message);
    }
  }
  EXPECT_EQ(viewKeys, (std::vector<UINT>{VK_RETURN, VK_ESCAPE}));
  EXPECT_EQ(boxKeys, (std::vector<UINT>{VK_RETURN, VK_ESCAPE}));
  MSG tab{view.Handle(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_EQ(SendMessageW(view.Handle(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTMESSAGE, 0);
  MSG enter{plain.Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_EQ(SendMessageW(plain.Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE,
            0);
}

TEST_F(NvControlsTest, PendingKeysAreDropped) {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  PostMessageW(parent, WM_CHAR, 3, 0);
  DropPendingKeys();
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
}

}  // namespace
}  // namespace vexa
