// Shared pieces of the Win32 pages (see PageSupport.h).
#include "views/win32/PageSupport.h"

#include <cwchar>

#include "shell/App.h"
#include "shell/Core.h"
#include "shell/PixelsPerInch.h"
#include "shell/win32/Fonts.h"
#include "support/win32/NvControls.h"
#include "support/Utils.h"
#include "support/win32/ClipboardSimple.h"
#include "support/win32/WideText.h"

namespace vexa {

HFONT CreatePageFont(std::string_view description, LONG* height) {
  const TPixelsPerInch fallback(96, 96);
  const TPixelsPerInch& scaler = App().scaler ? *App().scaler : fallback;
  const std::optional<TFontSpec> base = IconTitleFontSpec();
  const TFontSpec fontSpec = scaler.ParseFont(description, base ? &*base : nullptr);
  if (height) *height = Clamp<LONG>(fontSpec.height, -kMaxFontHeight, kMaxFontHeight);
  return CreateFontFromSpec(fontSpec);
}

std::function<bool(UINT key)> CopyKeyHandler(std::function<void()> copy) {
  return [copy = std::move(copy)](UINT key) {
    const TNvShiftState shift = KeyShiftState();
    if (key != 'C' || !shift.ctrl || shift.shift || shift.alt) return false;
    copy();
    DropPendingKeys();
    return true;
  };
}

void CopyToClipboard(std::string_view text) {
  if (text.empty()) return;
  TClipboardSimple clipboard;
  if (App().core) clipboard.owner = reinterpret_cast<HWND>(App().core->mainWindowHandle);
  clipboard.SetText(text);
}

}  // namespace vexa
