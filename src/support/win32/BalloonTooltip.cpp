// The shared balloon tool tip (see BalloonTooltip.h). The tool record is sized as
// the version-2 record (without the reserved pointer) so that it is accepted by
// the common controls with and without the version 6 manifest.
#include "support/win32/BalloonTooltip.h"

#include "support/win32/WideText.h"

namespace vexa {

TBalloonTooltip::TBalloonTooltip(HWND owner, bool balloon) {
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = owner;
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  window = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | (balloon ? TTS_BALLOON : 0), CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
  if (!window) return;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetDelayTime(TTDT_AUTOMATIC, static_cast<int>(GetDoubleClickTime()));
  SetMaxTipWidth(kMaxTipWidth);
}

TBalloonTooltip::~TBalloonTooltip() {
  if (window) DestroyWindow(window);
}

void TBalloonTooltip::AddTool(std::uintptr_t id, std::uint32_t value, std::uint32_t flags) {
  if (!window) return;
  tool.uId = id;
  tool.lParam = static_cast<LPARAM>(value);
  tool.uFlags = flags;
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(window, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TBalloonTooltip::DeleteTool(std::uintptr_t id) {
  if (!window) return;
  tool.uId = id;
  SendMessageW(window, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TBalloonTooltip::ApplyTitle(bool destroyIcon) {
  if (!window) return;
  const std::wstring wideTitle = Wide(title);
  SendMessageW(window, TTM_SETTITLEW, icon, reinterpret_cast<LPARAM>(wideTitle.c_str()));
  if (!destroyIcon) return;
  // Standard icon numbers are not handles: only a handle is destroyed.
  if (icon > kLastStandardIcon) DestroyIcon(reinterpret_cast<HICON>(icon));
  icon = TTI_INFO;
}

void TBalloonTooltip::Pop() {
  if (window) SendMessageW(window, TTM_POP, 0, 0);
}

void TBalloonTooltip::SetMaxTipWidth(int pixels) {
  if (window) SendMessageW(window, TTM_SETMAXTIPWIDTH, 0, pixels);
}

void TBalloonTooltip::SetDelayTime(DWORD which, int milliseconds) {
  if (window) SendMessageW(window, TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds & 0x7FFF, 0));
}

bool TBalloonTooltip::IsTextRequest(const NMHDR& header) const {
  return window && header.hwndFrom == window && header.code == TTN_GETDISPINFOW;
}

void TBalloonTooltip::AnswerTextRequest(NMTTDISPINFOW& request, const TTooltipContent* content) {
  if (content) {
    text = content->text;
    title = content->title;
    icon = content->icon;
  } else {
    text.clear();
    title.clear();
    icon = TTI_NONE;
  }
  wideText = Wide(text);
  // The tip draws a tab as a box: descriptions that pair a name and its meaning with
  // a tab show them two blanks apart.
  for (std::size_t at = wideText.find(L'\t'); at != std::wstring::npos; at = wideText.find(L'\t', at + 2))
    wideText.replace(at, 1, L"  ");
  request.lpszText = wideText.data();
  request.szText[0] = L'\0';
  request.hinst = nullptr;
  ApplyTitle(true);
}

}  // namespace vexa
