// The house controls: thin wrappers that preset the common controls to the house
// style and turn their notifications into events. A control is a child of its
// parent from birth, hears its own messages and those its parent gets about it
// (comctl32 subclassing, so any parent works) and destroys its window with itself.
// Rules worth a test live in portable code (support/ListViewRules.h, Snap.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// The platform's icon-title font, created once for the process (the house font of
// forms and controls whose parent has none).
HFONT IconTitleFont();

// The program's shared 16 × 16 image list (bitmaps 64 upward: the status images
// 0..3 and the partition images). The main window loads it and sets it here
// before the pages are made; pages use it without owning it.
void SetSharedImages(HIMAGELIST images);
HIMAGELIST SharedImages();

// Removes the next pending key message of this thread, so that the character
// message following a handled shortcut does not reach the focused control.
void DropPendingKeys();

struct TNvShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};
// The shift keys held while the current key message was sent.
TNvShiftState KeyShiftState();

// The answer to WM_GETDLGCODE of a control whose own key handler acts on Enter or
// Escape: the main window's message loop runs the dialog manager, which otherwise
// turns those keys into its default and cancel buttons before the control sees them.
LRESULT DialogCodeWithEnterAndEscape(LRESULT code, LPARAM pendingMessage);

// The base of every child control.
class TNvControl {
public:
  virtual ~TNvControl();
  TNvControl(const TNvControl&) = delete;
  TNvControl& operator=(const TNvControl&) = delete;

  HWND Handle() const { return window; }
  HWND Parent() const { return parent; }
  void SetBounds(int left, int top, int width, int height);
  void SetBounds(const RECT& bounds);
  void SetFont(HFONT font);
  void SetVisible(bool visible);
  void SetFocus();
  void Invalidate();
  void SetText(std::string_view text);
  std::string Text() const;

protected:
  TNvControl() = default;
  // Creates the window as a child of parentWindow with the parent's font (the
  // icon-title font when the parent has none) and starts listening.
  void CreateHandle(HWND parentWindow, const wchar_t* className, DWORD style, DWORD exStyle = 0,
                    const wchar_t* text = L"");

  // Messages sent to the control itself; none lets the control's own handling run.
  virtual std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Messages the parent receives about this control (WM_NOTIFY from it, WM_COMMAND
  // from it, WM_DRAWITEM and WM_MEASUREITEM for it); none lets the parent's own
  // handling run.
  virtual std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The control's own handling of a message (for work done after it).
  LRESULT DefaultControl(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window = nullptr;
  HWND parent = nullptr;

private:
  static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK ParentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  bool Concerns(UINT message, WPARAM wParam, LPARAM lParam) const;
  void Detach();
};

// A read-only tree with its selection kept visible; a right click selects the node
// under the pointer before the normal handling.
class TNvTreeView : public TNvControl {
public:
  explicit TNvTreeView(HWND parent, DWORD extraStyle = 0);

  // -1 keeps the platform's default.
  void SetItemHeight(int height);
  int ItemHeight() const { return itemHeight; }

  HTREEITEM AddItem(HTREEITEM parentItem, std::string_view text, LPARAM data = 0);
  void SetItemText(HTREEITEM item, std::string_view text);
  void Clear();
  void Expand(HTREEITEM item);
  HTREEITEM Selected() const;
  std::string ItemText(HTREEITEM item) const;

  // The item's parent; none at the top level.
  HTREEITEM Parent(HTREEITEM item) const;
  // Top-level items in order, for finding an item's position among them.
  std::vector<HTREEITEM> TopItems() const;

  std::function<void(HTREEITEM item)> onSelect;
  // The user expanded (true) or collapsed (false) an item.
  std::function<void(HTREEITEM item, bool expanded)> onExpanded;
  // Answers true when the key was handled (the tree then does not see it).
  std::function<bool(UINT key)> onKeyDown;

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  int itemHeight = -1;
};

// A list box that repaints entirely whenever it is resized (owner-drawn rows
// depend on the width).
class TNvListBox : public TNvControl {
public:
  // style: extra list box styles, such as LBS_OWNERDRAWFIXED.
  explicit TNvListBox(HWND parent, DWORD style = 0);

  int AddItem(std::string_view text, LPARAM data = 0);
  void Clear();
  int Count() const;
  LPARAM ItemData(int index) const;
  int SelectedIndex() const;
  void SetSelectedIndex(int index);
  void SetItemHeight(int height);
  int TopIndex() const;

  std::function<void(const DRAWITEMSTRUCT& item)> onDrawItem;
  std::function<void()> onDoubleClick;
  std::function<void()> onSelect;
  // Answers true when the key was handled (the control then does not see it).
  std::function<bool(UINT key)> onKeyDown;

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class TNvEdit : public TNvControl {
public:
  explicit TNvEdit(HWND parent, DWORD extraStyle = 0);
  void SetReadOnly(bool readOnly);
  std::function<void()> onChange;

protected:
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A multi-line edit that keeps its selection visible and leaves the Tab key to
// the dialog navigation.
class TNvMemo : public TNvControl {
public:
  static constexpr int kDefaultTabWidth = 4;

  explicit TNvMemo(HWND parent, DWORD extraStyle = 0);
  // In characters: one tab stop of width × 4 dialog units.
  void SetTabWidth(int characters);
  int TabWidth() const { return tabWidth; }
  void SetReadOnly(bool readOnly);
  std::function<void()> onChange;

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void ApplyTabWidth();
  int tabWidth = kDefaultTabWidth;
};

// A drop-down list without free text.
class TNvComboBox : public TNvControl {
public:
  explicit TNvComboBox(HWND parent, DWORD extraStyle = 0);

  // Pixels; 0 keeps the platform's width.
  void SetDroppedWidth(int pixels);
  int DroppedWidth() const { return droppedWidth; }

  int AddItem(std::string_view text, LPARAM data = 0);
  void Clear();
  int Count() const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  LPARAM ItemData(int index) const;

  std::function<void()> onChange;
  std::function<void(const DRAWITEMSTRUCT& item)> onDrawItem;
  std::function<void(MEASUREITEMSTRUCT& item)> onMeasureItem;

protected:
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  int droppedWidth = 0;
};

// A flat area in its parent's colour whose owner paints on it after the
// background. Mouse messages reach onMouse (answer true to take them).
// Registers, once, a window class of the program's own controls: the default window
// procedure (the control's subclass does the work) and the given standard cursor.
void RegisterPlainWindowClass(const wchar_t* className, const wchar_t* cursor);

class TNvPanel : public TNvControl {
public:
  explicit TNvPanel(HWND parent, DWORD extraStyle = 0);

  void SetColor(COLORREF colour);
  std::function<void(HDC dc, const RECT& client)> onPaint;
  std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> onMouse;

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  std::optional<COLORREF> colour;
};

// A push button; the group-start flag gives it the WS_GROUP style.
class TNvButton : public TNvControl {
public:
  TNvButton(HWND parent, std::string_view caption, bool groupStart = false, DWORD extraStyle = 0);
  bool GroupStart() const { return groupStart; }
  std::function<void()> onClick;

protected:
  std::optional<LRESULT> ParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  bool groupStart;
};

// A push button that draws a 16 × 16 glyph centred over its normal face, one
// pixel right and down while pressed. It owns the glyph's image list.
class TNvBitButton : public TNvButton {
public:
  static constexpr int kGlyphWidth = 16;
  static constexpr int kGlyphHeight = 16;

  TNvBitButton(HWND parent, std::string_view caption, bool groupStart = false, DWORD extraStyle = 0);
  ~TNvBitButton() override;

  // Replaces the glyph; the bitmap's top-left colour is transparent. The caller
  // keeps the bitmap.
  void SetGlyph(HBITMAP bitmap);
  HIMAGELIST Glyphs() const { return glyphs; }

protected:
  std::optional<LRESULT> ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  HIMAGELIST glyphs = nullptr;
};

// An image list that can load a run of bitmap resources.
class TNvImageList {
public:
  TNvImageList(int width = 16, int height = 16);
  ~TNvImageList();
  TNvImageList(const TNvImageList&) = delete;
  TNvImageList& operator=(const TNvImageList&) = delete;

  HIMAGELIST Handle() const { return list; }
  int Width() const { return width; }
  int Height() const { return height; }
  int Count() const;

  // Adds a bitmap masked by its top-left pixel's colour; answers its index or -1.
  int AddMasked(HBITMAP bitmap);
  // Loads the bitmap resources firstId, firstId + 1, ... of the module at the
  // list's size until one is missing (or the identifier would reach 0xFFFF);
  // answers how many were added.
  int LoadBitmaps(std::uint16_t firstId, HINSTANCE module = nullptr);
  void Clear();

private:
  int width;
  int height;
  HIMAGELIST list = nullptr;
};

// A bar between two stacked controls that the user drags to resize the one above
// (live). Dragged below the minimum size, the control above snaps shut.
class TNvSplitter : public TNvPanel {
public:
  TNvSplitter(HWND parent, int minimumSize = 1);
  // Called while dragging with the new height of the control above.
  std::function<void(int height)> onMoved;
  // The control above's height at the start of a drag.
  std::function<int()> currentHeight;

private:
  bool Mouse(UINT message, WPARAM wParam, LPARAM lParam);
  int minimumSize;
  bool dragging = false;
  int startY = 0;
  int startHeight = 0;
};

}  // namespace vexa
