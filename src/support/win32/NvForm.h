// The house form behaviours, attached to a top-level window its owner created:
// key preview (the form sees keys before its controls), snapping to the work
// area's edges within 16 pixels after the user moves or sizes it, stay on top,
// a redraw switch, dropped files, the main form's title as the application's, and
// the focused control kept while another window (a dialog, a message box, another
// program) is active.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "support/Snap.h"

namespace vexa {

class TNvForm {
public:
  // Starts listening to the window's messages. A window without an owner is the
  // main form; its title is the application's title.
  explicit TNvForm(HWND window);
  ~TNvForm();
  TNvForm(const TNvForm&) = delete;
  TNvForm& operator=(const TNvForm&) = delete;

  HWND Handle() const { return window; }
  // The icon-title font (owned by the process, shared with the controls).
  HFONT Font() const;

  int snapDistance = kDefaultSnapDistance;

  void SetStayOnTop(bool onTop);
  bool StayOnTop() const { return stayOnTop; }
  // Only a change acts; switching on redraws the frame and every child.
  void SetRedrawEnabled(bool enabled);
  bool RedrawEnabled() const { return redrawEnabled; }
  void SetAcceptFiles(bool accept);
  bool AcceptFiles() const { return acceptFiles; }

  // Key preview: the message loop hands every message here before translating it;
  // answers true when onKeyDown took a key pressed in this form or any of its
  // controls (the message is then dropped).
  bool PreviewKey(const MSG& message);
  std::function<bool(UINT key)> onKeyDown;
  std::function<void(const std::vector<std::string>& files)> onFilesDropped;
  std::function<void(const std::string& title)> onTitleChanged;

  // The main form's title.
  static const std::string& ApplicationTitle();

  // Snaps the window to the work area of its monitor now (run after a move or size).
  void SnapToEdges();

private:
  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  void DropFiles(HDROP drop);
  void RememberFocus();
  bool RestoreFocus();

  HWND window;
  bool redrawEnabled = true;
  bool stayOnTop = false;
  bool acceptFiles = false;
  HWND lastFocus = nullptr;
};

}  // namespace vexa
