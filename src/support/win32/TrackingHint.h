// A tip that follows the pointer: a tracking tool tip over one window, moved and
// filled by its owner (the Benchmark page's drawing, a history graph), shown only
// while there is something to say at the pointer.
#pragma once

#include <windows.h>

#include <string>

namespace vexa {

class TTrackingHint {
public:
  TTrackingHint() = default;
  ~TTrackingHint();
  TTrackingHint(const TTrackingHint&) = delete;
  TTrackingHint& operator=(const TTrackingHint&) = delete;

  // The tip over owner, its lines broken at maxWidth pixels. Without a tip (the
  // control could not be made) Show and Hide do nothing.
  void Create(HWND owner, int maxWidth);
  // The text at a point on the screen; empty text hides the tip.
  void Show(const std::string& text, POINT screen);
  void Hide();
  void Destroy();
  // The owner was destroyed, and the tip with it.
  void Forget();

private:
  HWND tip = nullptr;
  HWND owner = nullptr;
  std::string text;
  std::wstring wide;
  bool shown = false;
};

}  // namespace vexa
