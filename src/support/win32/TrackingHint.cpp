#include "support/win32/TrackingHint.h"

#include <commctrl.h>

#include "support/win32/WideText.h"

namespace vexa {

namespace {

constexpr UINT_PTR kHintTool = 1;

TTTOOLINFOW ToolOf(HWND owner) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = owner;
  tool.uId = kHintTool;
  return tool;
}

}  // namespace

TTrackingHint::~TTrackingHint() { Destroy(); }

void TTrackingHint::Destroy() {
  if (tip) DestroyWindow(tip);
  Forget();
}

void TTrackingHint::Create(HWND ownerWindow, int maxWidth) {
  owner = ownerWindow;
  tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
  if (!tip) return;
  TTTOOLINFOW tool = ToolOf(owner);
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  wide.assign(1, L' ');
  tool.lpszText = wide.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
}

void TTrackingHint::Show(const std::string& newText, POINT screen) {
  if (newText.empty()) return Hide();
  if (!tip) return;
  TTTOOLINFOW tool = ToolOf(owner);
  if (newText != text) {
    text = newText;
    wide = Wide(text);
    tool.lpszText = wide.data();
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x, screen.y));
  if (!shown) SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  shown = true;
}

void TTrackingHint::Hide() {
  if (!tip || !shown) return;
  TTTOOLINFOW tool = ToolOf(owner);
  SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  shown = false;
}

void TTrackingHint::Forget() {
  tip = nullptr;
  owner = nullptr;
  shown = false;
}

}  // namespace vexa
