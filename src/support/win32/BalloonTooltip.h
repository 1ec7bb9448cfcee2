// The one tool-tip window shared by every page. Tools are windows registered with
// their page's id and item; the tip asks its owner (the main window) for the text
// just before it shows (the text-callback marker), and the owner answers through
// AnswerTextRequest with what the page filled in.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "support/Tooltip.h"

namespace vexa {

class TBalloonTooltip : public TTooltipHost {
public:
  static constexpr int kMaxTipWidth = 300;
  // The delays the main window sets, in milliseconds.
  static constexpr int kInitialDelay = 250;
  static constexpr int kAutoPopDelay = 32767;
  static constexpr int kReshowDelay = 20;
  // Icon values up to this one are the platform's standard icon numbers, not handles.
  static constexpr std::uintptr_t kLastStandardIcon = 6;

  // A topmost tip (with the balloon shape when asked) whose automatic delay is the
  // double-click time and whose lines wrap at 300 pixels. When the window cannot
  // be made, every later request does nothing.
  TBalloonTooltip(HWND owner, bool balloon);
  ~TBalloonTooltip() override;
  TBalloonTooltip(const TBalloonTooltip&) = delete;
  TBalloonTooltip& operator=(const TBalloonTooltip&) = delete;

  HWND Handle() const { return window; }

  // id is the tool's window (the flags say so); value goes back to the owner
  // with each text request.
  void AddTool(std::uintptr_t id, std::uint32_t value, std::uint32_t flags) override;
  void DeleteTool(std::uintptr_t id) override;

  // Sends the title with the icon; with destroyIcon, an icon handle is destroyed
  // afterwards (the tip keeps its own copy) and the icon becomes the standard
  // information icon.
  void ApplyTitle(bool destroyIcon);
  // Hides the tip now.
  void Pop();
  void SetMaxTipWidth(int pixels);
  // which: TTDT_RESHOW, TTDT_AUTOPOP or TTDT_INITIAL; the time is kept to 15 bits.
  void SetDelayTime(DWORD which, int milliseconds);

  // True for the tip's request for a tool's text (TTN_GETDISPINFOW).
  bool IsTextRequest(const NMHDR& header) const;
  // The tool's value as given to AddTool: (page id << 16) | item.
  static std::uint32_t ToolValue(const NMTTDISPINFOW& request) { return static_cast<std::uint32_t>(request.lParam); }
  // Answers a text request: with content, its text, title and icon are used (and
  // the icon destroyed after); without, the tip gets an empty text and shows nothing.
  void AnswerTextRequest(NMTTDISPINFOW& request, const TTooltipContent* content);

  std::string text;
  std::string title;
  std::uintptr_t icon = 0;

private:
  HWND window = nullptr;
  TTTOOLINFOW tool{};
  std::wstring wideText;
};

}  // namespace vexa
