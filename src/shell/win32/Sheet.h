// A page of the page control as the Win32 pages see it: a child window laid over
// the tab control's display area. The page that owns it receives the messages of
// its controls (commands, notifications, owner drawing, colours, size changes)
// through one handler.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "shell/Tabs.h"

namespace vexa {

class TWin32PageControl;

class TWin32Sheet : public TSheet {
public:
  // Answers a result to stop the message there, or none to let the default run.
  using THandler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  TWin32Sheet(TWin32PageControl* owner, HWND window);
  ~TWin32Sheet() override;
  void SetText(std::string_view text) override;

  HWND Window() const { return window; }
  void SetHandler(THandler newHandler) { handler = std::move(newHandler); }
  std::optional<LRESULT> Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    return handler ? handler(message, wParam, lParam) : std::nullopt;
  }

  // The Win32 sheet behind a module's sheet (none for modules without a page).
  static TWin32Sheet* Of(TSheet* sheet) { return dynamic_cast<TWin32Sheet*>(sheet); }

private:
  TWin32PageControl* owner;
  HWND window;
  THandler handler;
};

// The window of a module's sheet; none for a module without a page.
inline HWND SheetWindow(TSheet* sheet) {
  TWin32Sheet* win32 = TWin32Sheet::Of(sheet);
  return win32 ? win32->Window() : nullptr;
}

}  // namespace vexa
