// The house controls over the common controls (see NvControls.h). Each control
// subclasses itself and its parent with comctl32's SetWindowSubclass, keyed by
// the object's address, so several controls can share one parent.
#include "support/win32/NvControls.h"

#include <algorithm>
#include <vector>

#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr wchar_t kPanelClass[] = L"TNvPanel";

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return Narrow(text);
}

// The colour of a transparent glyph: its top-left pixel.
COLORREF TopLeftColour(HBITMAP bitmap) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF colour = GetPixel(dc, 0, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return colour;
}

}  // namespace

HFONT IconTitleFont() {
  static HFONT font = [] {
    LOGFONTW logFont{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0))
      if (HFONT created = CreateFontIndirectW(&logFont)) return created;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

namespace {
HIMAGELIST sharedImages = nullptr;
}  // namespace

void SetSharedImages(HIMAGELIST images) { sharedImages = images; }
HIMAGELIST SharedImages() { return sharedImages; }

void DropPendingKeys() {
  MSG message;
  PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
}

TNvShiftState KeyShiftState() {
  return {GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0};
}

LRESULT DialogCodeWithEnterAndEscape(LRESULT code, LPARAM pendingMessage) {
  const auto* pending = reinterpret_cast<const MSG*>(pendingMessage);
  if (pending && pending->message == WM_KEYDOWN && (pending->wParam == VK_RETURN || pending->wParam == VK_ESCAPE))
    return code | DLGC_WANTMESSAGE;
  return code;
}

// ---- TNvControl ----

TNvControl::~TNvControl() {
  HWND own = window;
  Detach();
  if (own && IsWindow(own)) DestroyWindow(own);
}

void TNvControl::Detach() {
  if (window) RemoveWindowSubclass(window, ControlProc, reinterpret_cast<UINT_PTR>(this));
  if (parent) RemoveWindowSubclass(parent, ParentProc, reinterpret_cast<UINT_PTR>(this));
  window = nullptr;
}

void TNvControl::CreateHandle(HWND parentWindow, const wchar_t* className, DWORD style, DWORD exStyle,
                              const wchar_t* text) {
  parent = parentWindow;
  // Each control gets its own identifier, which is how its parent tells whose
  // WM_MEASUREITEM it receives.
  static UINT_PTR nextId = 0x7000;
  window = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(nextId++), GetModuleHandleW(nullptr), nullptr);
  if (nextId > 0xEFFF) nextId = 0x7000;
  if (!window) return;
  HFONT font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : IconTitleFont()), FALSE);
  SetWindowSubclass(window, ControlProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
  if (parent) SetWindowSubclass(parent, ParentProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
}

std::optional<LRESULT> TNvControl::ControlMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }
std::optional<LRESULT> TNvControl::ParentMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT TNvControl::DefaultControl(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(window, message, wParam, lParam);
}

bool TNvControl::Concerns(UINT message, WPARAM wParam, LPARAM lParam) const {
  switch (message) {
    case WM_NOTIFY:
      return lParam && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == window;
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam) == window;
    case WM_DRAWITEM:
      return lParam && reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem == window;
    case WM_MEASUREITEM:
      return wParam == static_cast<WPARAM>(GetDlgCtrlID(window));
    default:
      return false;
  }
}

LRESULT CALLBACK TNvControl::ControlProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* control = reinterpret_cast<TNvControl*>(data);
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefSubclassProc(handle, message, wParam, lParam);
    control->Detach();
    return result;
  }
  if (const auto result = control->ControlMessage(message, wParam, lParam)) return *result;
  return DefSubclassProc(handle, message, wParam, lParam);
}

LRESULT CALLBACK TNvControl::ParentProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* control = reinterpret_cast<TNvControl*>(data);
  if (control->window && control->Concerns(message, wParam, lParam))
    if (const auto result = control->ParentMessage(message, wParam, lParam)) return *result;
  return DefSubclassProc(handle, message, wParam, lParam);
}

void TNvControl::SetBounds(int left, int top, int width, int height) {
  if (window) MoveWindow(window, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

void TNvControl::SetBounds(const RECT& bounds) {
  SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TNvControl::SetFont(HFONT font) {
  if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TNvControl::SetVisible(bool visible) {
  if (window) ShowWindow(window, visible ? SW_SHOW : SW_HIDE);
}

void TNvControl::SetFocus() {
  if (window) ::SetFocus(window);
}

void TNvControl::Invalidate() {
  if (window) InvalidateRect(window, nullptr, TRUE);
}

void TNvControl::SetText(std::string_view text) {
  if (window) SetWindowTextW(window, Wide(text).c_str());
}

std::string TNvControl::Text() const { return window ? WindowText(window) : std::string(); }

// ---- TNvTreeView ----

TNvTreeView::TNvTreeView(HWND parentWindow, DWORD extraStyle) {
  CreateHandle(parentWindow, WC_TREEVIEWW,
               WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | extraStyle,
               WS_EX_CLIENTEDGE);
  SetItemHeight(itemHeight);
}

void TNvTreeView::SetItemHeight(int height) {
  itemHeight = height;
  if (window) TreeView_SetItemHeight(window, height);
}

HTREEITEM TNvTreeView::AddItem(HTREEITEM parentItem, std::string_view text, LPARAM data) {
  std::wstring wide = Wide(text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parentItem ? parentItem : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = wide.data();
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TNvTreeView::SetItemText(HTREEITEM item, std::string_view text) {
  std::wstring wide = Wide(text);
  TVITEMW change{};
  change.mask = TVIF_TEXT;
  change.hItem = item;
  change.pszText = wide.data();
  SendMessageW(window, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

void TNvTreeView::Clear() { TreeView_DeleteAllItems(window); }

void TNvTreeView::Expand(HTREEITEM item) { TreeView_Expand(window, item, TVE_EXPAND); }

HTREEITEM TNvTreeView::Selected() const { return TreeView_GetSelection(window); }

std::string TNvTreeView::ItemText(HTREEITEM item) const {
  wchar_t buffer[1024] = {};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = buffer;
  query.cchTextMax = static_cast<int>(std::size(buffer));
  if (!SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return {};
  return Narrow(buffer);
}

HTREEITEM TNvTreeView::Parent(HTREEITEM item) const { return TreeView_GetParent(window, item); }

std::vector<HTREEITEM> TNvTreeView::TopItems() const {
  std::vector<HTREEITEM> items;
  for (HTREEITEM item = TreeView_GetRoot(window); item; item = TreeView_GetNextSibling(window, item))
    items.push_back(item);
  return items;
}

std::optional<LRESULT> TNvTreeView::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && onKeyDown && onKeyDown(static_cast<UINT>(wParam))) return 0;
  if (message == WM_RBUTTONDOWN) {
    TVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (HTREEITEM item = TreeView_HitTest(window, &hit); item && (hit.flags & TVHT_ONITEM))
      TreeView_SelectItem(window, item);
    return DefaultControl(message, wParam, lParam);
  }
  return std::nullopt;
}

std::optional<LRESULT> TNvTreeView::ParentMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return std::nullopt;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);
  if (onSelect && (header->code == TVN_SELCHANGEDW || header->code == TVN_SELCHANGEDA)) onSelect(change->itemNew.hItem);
  if (onExpanded && (header->code == TVN_ITEMEXPANDEDW || header->code == TVN_ITEMEXPANDEDA)) {
    if (change->action == TVE_EXPAND || change->action == TVE_COLLAPSE)
      onExpanded(change->itemNew.hItem, change->action == TVE_EXPAND);
  }
  return std::nullopt;
}

// ---- TNvListBox ----

TNvListBox::TNvListBox(HWND parentWindow, DWORD style) {
  CreateHandle(parentWindow, WC_LISTBOXW, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | style,
               WS_EX_CLIENTEDGE);
}

int TNvListBox::AddItem(std::string_view text, LPARAM data) {
  // Owner-drawn boxes without strings keep the data as their item.
  const bool hasStrings = (GetWindowLongPtrW(window, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0 ||
                          (GetWindowLongPtrW(window, GWL_STYLE) & LBS_HASSTRINGS) != 0;
  const std::wstring wide = Wide(text);
  const auto index = static_cast<int>(SendMessageW(window, LB_ADDSTRING, 0,
                                                   hasStrings ? reinterpret_cast<LPARAM>(wide.c_str()) : data));
  if (index >= 0 && hasStrings) SendMessageW(window, LB_SETITEMDATA, index, data);
  return index;
}

void TNvListBox::Clear() { SendMessageW(window, LB_RESETCONTENT, 0, 0); }
int TNvListBox::Count() const { return static_cast<int>(SendMessageW(window, LB_GETCOUNT, 0, 0)); }
LPARAM TNvListBox::ItemData(int index) const { return SendMessageW(window, LB_GETITEMDATA, index, 0); }
int TNvListBox::SelectedIndex() const { return static_cast<int>(SendMessageW(window, LB_GETCURSEL, 0, 0)); }
void TNvListBox::SetSelectedIndex(int index) { SendMessageW(window, LB_SETCURSEL, index, 0); }
void TNvListBox::SetItemHeight(int height) { SendMessageW(window, LB_SETITEMHEIGHT, 0, std::max(height, 1)); }
int TNvListBox::TopIndex() const { return static_cast<int>(SendMessageW(window, LB_GETTOPINDEX, 0, 0)); }

std::optional<LRESULT> TNvListBox::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE && onKeyDown) {
    return DialogCodeWithEnterAndEscape(DefaultControl(message, wParam, lParam), lParam);
  } else if (message == WM_SIZE) {
    InvalidateRect(window, nullptr, TRUE);
  } else if (message == WM_KEYDOWN && onKeyDown && onKeyDown(static_cast<UINT>(wParam))) {
    return 0;
  }
  return std::nullopt;
}

std::optional<LRESULT> TNvListBox::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && onDrawItem) {
    onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_COMMAND) {
    if (HIWORD(wParam) == LBN_DBLCLK && onDoubleClick) onDoubleClick();
    if (HIWORD(wParam) == LBN_SELCHANGE && onSelect) onSelect();
  }
  return std::nullopt;
}

// ---- TNvEdit, TNvMemo ----

TNvEdit::TNvEdit(HWND parentWindow, DWORD extraStyle) {
  CreateHandle(parentWindow, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, WS_EX_CLIENTEDGE);
}

void TNvEdit::SetReadOnly(bool readOnly) { SendMessageW(window, EM_SETREADONLY, readOnly, 0); }

std::optional<LRESULT> TNvEdit::ParentMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && onChange) onChange();
  return std::nullopt;
}

TNvMemo::TNvMemo(HWND parentWindow, DWORD extraStyle) {
  CreateHandle(parentWindow, WC_EDITW,
               WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_WANTRETURN | extraStyle,
               WS_EX_CLIENTEDGE);
  ApplyTabWidth();
}

void TNvMemo::SetTabWidth(int characters) {
  tabWidth = characters;
  ApplyTabWidth();
}

void TNvMemo::ApplyTabWidth() {
  if (!window) return;
  UINT stop = static_cast<UINT>(std::max(tabWidth, 0)) * 4;
  SendMessageW(window, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
  InvalidateRect(window, nullptr, TRUE);
}

void TNvMemo::SetReadOnly(bool readOnly) { SendMessageW(window, EM_SETREADONLY, readOnly, 0); }

std::optional<LRESULT> TNvMemo::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) {
    const LRESULT code = DefaultControl(message, wParam, lParam);
    const auto* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_TAB)
      return code & ~static_cast<LRESULT>(DLGC_WANTTAB | DLGC_WANTALLKEYS);
    return code & ~static_cast<LRESULT>(DLGC_WANTTAB);
  }
  if (message == WM_CHAR && wParam == L'\t') return 0;
  return std::nullopt;
}

std::optional<LRESULT> TNvMemo::ParentMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && onChange) onChange();
  return std::nullopt;
}

// ---- TNvComboBox ----

TNvComboBox::TNvComboBox(HWND parentWindow, DWORD extraStyle) {
  CreateHandle(parentWindow, WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | extraStyle);
}

void TNvComboBox::SetDroppedWidth(int pixels) {
  droppedWidth = pixels;
  if (window && droppedWidth != 0) SendMessageW(window, CB_SETDROPPEDWIDTH, droppedWidth, 0);
}

int TNvComboBox::AddItem(std::string_view text, LPARAM data) {
  const bool hasStrings = (GetWindowLongPtrW(window, GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) == 0 ||
                          (GetWindowLongPtrW(window, GWL_STYLE) & CBS_HASSTRINGS) != 0;
  const std::wstring wide = Wide(text);
  const auto index = static_cast<int>(SendMessageW(window, CB_ADDSTRING, 0,
                                                   hasStrings ? reinterpret_cast<LPARAM>(wide.c_str()) : data));
  if (index >= 0 && hasStrings) SendMessageW(window, CB_SETITEMDATA, index, data);
  return index;
}

void TNvComboBox::Clear() { SendMessageW(window, CB_RESETCONTENT, 0, 0); }
int TNvComboBox::Count() const { return static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0)); }
int TNvComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0)); }
void TNvComboBox::SetItemIndex(int index) { SendMessageW(window, CB_SETCURSEL, index, 0); }
LPARAM TNvComboBox::ItemData(int index) const { return SendMessageW(window, CB_GETITEMDATA, index, 0); }

std::optional<LRESULT> TNvComboBox::ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE && onChange) onChange();
  if (message == WM_DRAWITEM && onDrawItem) {
    onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_MEASUREITEM && onMeasureItem) {
    onMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return std::nullopt;
}

void RegisterPlainWindowClass(const wchar_t* className, const wchar_t* cursor) {
  WNDCLASSEXW windowClass{};
  if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &windowClass)) return;
  windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, cursor);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

// ---- TNvPanel ----

namespace {

// The parent's class background as a brush: a class may name a system colour (its
// index + 1) in place of a brush.
HBRUSH ParentBrush(HWND parent) {
  const auto value = static_cast<INT_PTR>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND));
  if (value == 0) return GetSysColorBrush(COLOR_BTNFACE);
  if (value <= COLOR_MENUBAR + 1) return GetSysColorBrush(static_cast<int>(value - 1));
  return reinterpret_cast<HBRUSH>(value);
}

}  // namespace

TNvPanel::TNvPanel(HWND parentWindow, DWORD extraStyle) {
  RegisterPlainWindowClass(kPanelClass, IDC_ARROW);
  CreateHandle(parentWindow, kPanelClass, WS_CLIPCHILDREN | extraStyle);
}

void TNvPanel::SetColor(COLORREF newColour) {
  colour = newColour;
  Invalidate();
}

std::optional<LRESULT> TNvPanel::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted with the rest in WM_PAINT, without flicker
    case WM_CTLCOLORSTATIC: {
      // Labels on the panel stand on its colour, not on the dialog grey.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      if (colour) {
        SetDCBrushColor(dc, *colour);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
      }
      return reinterpret_cast<LRESULT>(ParentBrush(parent));
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      // The parent's colour: its class background, unless one was set.
      HBRUSH own = colour ? CreateSolidBrush(*colour) : nullptr;
      FillRect(dc, &client, own ? own : ParentBrush(parent));
      if (own) DeleteObject(own);
      if (onPaint) onPaint(dc, client);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && onMouse && onMouse(message, wParam, lParam)) return 0;
      if (message == WM_SETCURSOR && onMouse && onMouse(message, wParam, lParam)) return TRUE;
      if (message == WM_CAPTURECHANGED && onMouse) onMouse(message, wParam, lParam);
      return std::nullopt;
  }
}

// ---- TNvButton, TNvBitButton ----

TNvButton::TNvButton(HWND parentWindow, std::string_view caption, bool isGroupStart, DWORD extraStyle)
    : groupStart(isGroupStart) {
  CreateHandle(parentWindow, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON | (groupStart ? WS_GROUP : 0) | extraStyle, 0,
               Wide(caption).c_str());
}

std::optional<LRESULT> TNvButton::ParentMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && onClick) onClick();
  return std::nullopt;
}

TNvBitButton::TNvBitButton(HWND parentWindow, std::string_view caption, bool isGroupStart, DWORD extraStyle)
    : TNvButton(parentWindow, caption, isGroupStart, extraStyle) {
  glyphs = ImageList_Create(kGlyphWidth, kGlyphHeight, ILC_COLOR32 | ILC_MASK, 1, 1);
}

TNvBitButton::~TNvBitButton() {
  if (glyphs) ImageList_Destroy(glyphs);
}

void TNvBitButton::SetGlyph(HBITMAP bitmap) {
  if (!glyphs) return;
  ImageList_RemoveAll(glyphs);
  if (bitmap) ImageList_AddMasked(glyphs, bitmap, TopLeftColour(bitmap));
  Invalidate();
}

std::optional<LRESULT> TNvBitButton::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return std::nullopt;
  const LRESULT result = DefaultControl(message, wParam, lParam);
  if (glyphs && ImageList_GetImageCount(glyphs) > 0) {
    RECT client;
    GetClientRect(window, &client);
    const bool pressed = (SendMessageW(window, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const int x = (client.right - client.left - kGlyphWidth) / 2 + (pressed ? 1 : 0);
    const int y = (client.bottom - client.top - kGlyphHeight) / 2 + (pressed ? 1 : 0);
    HDC dc = GetDC(window);
    ImageList_Draw(glyphs, 0, dc, x, y, ILD_TRANSPARENT);
    ReleaseDC(window, dc);
  }
  return result;
}

// ---- TNvImageList ----

TNvImageList::TNvImageList(int listWidth, int listHeight) : width(listWidth), height(listHeight) {
  list = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 8, 8);
}

TNvImageList::~TNvImageList() {
  if (list) ImageList_Destroy(list);
}

int TNvImageList::Count() const { return list ? ImageList_GetImageCount(list) : 0; }

int TNvImageList::AddMasked(HBITMAP bitmap) {
  if (!list || !bitmap) return -1;
  return ImageList_AddMasked(list, bitmap, TopLeftColour(bitmap));
}

int TNvImageList::LoadBitmaps(std::uint16_t firstId, HINSTANCE module) {
  if (!module) module = GetModuleHandleW(nullptr);
  int added = 0;
  for (std::uint32_t id = firstId; id < 0xFFFF; ++id) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, width, height, 0));
    if (!bitmap) break;
    if (AddMasked(bitmap) >= 0) ++added;
    DeleteObject(bitmap);
  }
  return added;
}

void TNvImageList::Clear() {
  if (list) ImageList_RemoveAll(list);
}

// ---- TNvSplitter ----

TNvSplitter::TNvSplitter(HWND parentWindow, int minimum) : TNvPanel(parentWindow), minimumSize(minimum) {
  onMouse = [this](UINT message, WPARAM wParam, LPARAM lParam) { return Mouse(message, wParam, lParam); };
}

bool TNvSplitter::Mouse(UINT message, WPARAM, LPARAM) {
  POINT point;
  GetCursorPos(&point);
  switch (message) {
    case WM_SETCURSOR:
      ::SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
      return true;
    case WM_LBUTTONDOWN:
      dragging = true;
      startY = point.y;
      startHeight = currentHeight ? currentHeight() : 0;
      SetCapture(window);
      return true;
    case WM_MOUSEMOVE:
      if (!dragging) return false;
      if (onMoved) {
        RECT area;
        GetClientRect(parent, &area);
        int height = std::min<int>(startHeight + point.y - startY, area.bottom - area.top);
        if (height < minimumSize) height = 0;
        onMoved(height);
      }
      return true;
    case WM_LBUTTONUP:
      if (dragging) ReleaseCapture();
      dragging = false;
      return true;
    case WM_CAPTURECHANGED:
      dragging = false;
      return false;
    default:
      return false;
  }
}

}  // namespace vexa
